#include "catalog/Currency.h"

#include "library/SysUtils.h"

namespace ortello {

const TTypeInfo* TypeTCurrencyType() {
    static const TTypeInfo* t =
        MakeEnumType("TCurrencyType", {"ctUSDollar", "ctCanada", "ctDeutschemark", "ctEuroDollar", "ctYen",
                                       "ctGreatBritainPound", "ctBrazil", "ctChina"});
    return t;
}

namespace {
const TCurrencyText kTexts[kCurrencyCount] = {
    {"$", "US$", "US Dollars", "USD"},
    {"CAN$", "CAN$", "Canadian Dollars", "CAD"},
    {"DM", "DM", "Deutsch Marks", "DEM"},
    {"EUR", "Euros", "Euros", "EUR"},
    {"\xC2\xA5", "Yen", "Yen", "JPY"},
    {"\xC2\xA3", "\xC2\xA3", "GB Pounds", "GBP"},
    {"R$", "R$", "Brazilian Real", "BRL"},
    {"RMB", "RMB", "Chinese Renmimbi", "CNY"},
};
}  // namespace

const TCurrencyText& CurrencyText(TCurrencyType c) {
    const int i = (static_cast<int>(c) >= 0 && static_cast<int>(c) < kCurrencyCount) ? c : 0;
    return kTexts[i];
}

bool CurrencyFromCode(std::string_view code, TCurrencyType& out) {
    for (int i = 0; i < kCurrencyCount; ++i)
        if (SameText(kTexts[i].Code, Trim(code))) {
            out = static_cast<TCurrencyType>(i);
            return true;
        }
    return false;
}

bool CurrencyFromIdent(std::string_view ident, TCurrencyType& out) {
    const int64_t v = TypeTCurrencyType()->EnumValue(ident);
    if (v < 0) return false;
    out = static_cast<TCurrencyType>(v);
    return true;
}

std::string PlainCurrencyText(double amount, bool keepSystemSymbol) {
    const TFormatSettings& fs = FormatSettings();
    std::string text = FloatToStrF(amount, TFloatFormat::ffCurrency, 15, fs.CurrencyDecimals);
    if (!keepSystemSymbol) text = StringReplace(text, fs.CurrencyString, "", true);
    return text;
}

std::string CurrencyAmountText(TCurrencyType c, double amount) {
    return std::string(CurrencyText(c).Symbol) + PlainCurrencyText(amount);
}

std::string RelabelCurrency(TCurrencyType c, std::string_view amountText) {
    const std::string rest = StringReplace(amountText, FormatSettings().CurrencyString, "", true);
    const double v = StrToFloat(rest);
    return std::string(CurrencyText(c).Symbol) + Fmt("%0.2f", v);
}

}  // namespace ortello
