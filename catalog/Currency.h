// The eight currencies, their texts and the money formatter.
#pragma once

#include <string>
#include <string_view>

#include "library/TypeInfo.h"

namespace ortello {

enum TCurrencyType { ctUSDollar, ctCanada, ctDeutschemark, ctEuroDollar, ctYen, ctGreatBritainPound, ctBrazil, ctChina };
inline constexpr int kCurrencyCount = 8;
const TTypeInfo* TypeTCurrencyType();

struct TCurrencyText {
    const char* Symbol;
    const char* ShortName;
    const char* LongName;
    const char* Code;
};
// UTF-8 texts; the yen and pound symbols are characters A5 and A3 of Windows-1252.
const TCurrencyText& CurrencyText(TCurrencyType c);
// The currency whose code (e.g. "EUR") matches ignoring case; false when none.
bool CurrencyFromCode(std::string_view code, TCurrencyType& out);
// The currency whose identifier ("ctEuroDollar") matches ignoring case.
bool CurrencyFromIdent(std::string_view ident, TCurrencyType& out);

// The amount in the system's currency format (15 significant digits, the system's
// currency decimals) with every occurrence of the system's currency symbol removed
// unless keepSystemSymbol.
std::string PlainCurrencyText(double amount, bool keepSystemSymbol = false);
// The currency's symbol followed by the plain currency text.
std::string CurrencyAmountText(TCurrencyType c, double amount);
// Removes the system's currency symbol, reads the rest as a number and writes it
// as "%0.2F" behind the currency's symbol. Raises EConvertError when it is no number.
std::string RelabelCurrency(TCurrencyType c, std::string_view amountText);

}  // namespace ortello
