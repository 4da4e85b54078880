#include "library/SysUtils.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <locale>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ortello {

// ---------------------------------------------------------------- text

std::string UpperCase(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = UpChar(c);
    return r;
}

std::string LowerCase(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = LowChar(c);
    return r;
}

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (UpChar(a[i]) != UpChar(b[i])) return false;
    return true;
}

int CompareText(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(UpChar(a[i]));
        const auto cb = static_cast<unsigned char>(UpChar(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int CompareStr(std::string_view a, std::string_view b) {
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

bool StartsText(std::string_view prefix, std::string_view s) {
    return s.size() >= prefix.size() && SameText(s.substr(0, prefix.size()), prefix);
}

bool EndsText(std::string_view suffix, std::string_view s) {
    return s.size() >= suffix.size() && SameText(s.substr(s.size() - suffix.size()), suffix);
}

std::string_view TrimView(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= 32) ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
    return s.substr(b, e - b);
}

std::string Trim(std::string_view s) { return std::string(TrimView(s)); }

std::string TrimLeft(std::string_view s) {
    size_t b = 0;
    while (b < s.size() && static_cast<unsigned char>(s[b]) <= 32) ++b;
    return std::string(s.substr(b));
}

std::string TrimRight(std::string_view s) {
    size_t e = s.size();
    while (e > 0 && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
    return std::string(s.substr(0, e));
}

size_t Pos(std::string_view sub, std::string_view s) {
    if (sub.empty()) return 0;
    const size_t p = s.find(sub);
    return p == std::string_view::npos ? 0 : p + 1;
}

std::string StringReplace(std::string_view s, std::string_view from, std::string_view to,
                          bool ignoreCase) {
    if (from.empty()) return std::string(s);
    std::string r;
    size_t i = 0;
    while (i < s.size()) {
        const bool hit = s.size() - i >= from.size() &&
                         (ignoreCase ? SameText(s.substr(i, from.size()), from)
                                     : s.substr(i, from.size()) == from);
        if (hit) {
            r += to;
            i += from.size();
        } else {
            r += s[i++];
        }
    }
    return r;
}

// ---------------------------------------------------------------- code page

namespace {
// Code points of bytes 0x80..0x9F in Windows-1252 (0 where the byte is undefined).
constexpr char32_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}
}  // namespace

bool IsAscii(std::string_view s) {
    size_t i = 0;
    for (; i + 8 <= s.size(); i += 8) {
        uint64_t w;
        std::memcpy(&w, s.data() + i, 8);
        if (w & 0x8080808080808080ull) return false;
    }
    for (; i < s.size(); ++i)
        if (static_cast<unsigned char>(s[i]) >= 0x80) return false;
    return true;
}

std::string Cp1252ToUtf8(std::string_view s) {
    std::string out;
    AppendCp1252AsUtf8(s, out);
    return out;
}

void AppendCp1252AsUtf8(std::string_view s, std::string& out) {
    out.reserve(out.size() + s.size() + 16);
    size_t i = 0;
    while (i < s.size()) {
        size_t j = i;
        for (uint64_t w; j + 8 <= s.size(); j += 8) {
            std::memcpy(&w, s.data() + j, 8);
            if (w & 0x8080808080808080ull) break;
        }
        while (j < s.size() && static_cast<unsigned char>(s[j]) < 0x80) ++j;
        out.append(s.data() + i, j - i);  // runs of ASCII at once
        if (j == s.size()) break;
        const auto c = static_cast<unsigned char>(s[j]);
        if (c < 0xA0) {
            const char32_t cp = kCp1252High[c - 0x80];
            AppendUtf8(out, cp ? cp : char32_t(c));  // undefined bytes map to C1 controls
        } else {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        }
        i = j + 1;
    }
}

std::string Utf8ToCp1252(std::string_view s) {
    if (IsAscii(s)) return std::string(s);
    std::string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        char32_t cp;
        size_t n;
        if (c < 0x80) {
            cp = c;
            n = 1;
        } else if ((c & 0xE0) == 0xC0) {
            cp = c & 0x1F;
            n = 2;
        } else if ((c & 0xF0) == 0xE0) {
            cp = c & 0x0F;
            n = 3;
        } else if ((c & 0xF8) == 0xF0) {
            cp = c & 0x07;
            n = 4;
        } else {
            out += '?';
            ++i;
            continue;
        }
        if (i + n > s.size()) {
            out += '?';
            break;
        }
        bool ok = true;
        for (size_t k = 1; k < n; ++k) {
            const auto cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (!ok) {
            out += '?';
            ++i;
            continue;
        }
        i += n;
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
            out += char(cp);
        } else {
            char mapped = '?';
            for (int k = 0; k < 32; ++k)
                if (kCp1252High[k] == cp) mapped = char(0x80 + k);
            if (mapped == '?' && cp >= 0x80 && cp < 0xA0) mapped = char(cp);
            out += mapped;
        }
    }
    return out;
}

// ---------------------------------------------------------------- regional settings

TFormatSettings& FormatSettings() {
    static TFormatSettings settings;
    return settings;
}

void LoadFormatSettingsFromLocale() {
    TFormatSettings fs;  // United States unless the locale says otherwise
    const char* name = std::setlocale(LC_ALL, "");
    const std::string loc = name ? name : "C";
    if (loc != "C" && loc != "POSIX" && loc.rfind("C.", 0) != 0) {
        const std::lconv* lc = std::localeconv();
        if (lc && lc->currency_symbol && *lc->currency_symbol) {
            fs.CurrencyString = lc->currency_symbol;
            if (lc->frac_digits >= 0 && lc->frac_digits <= 18) fs.CurrencyDecimals = lc->frac_digits;
            const bool before = lc->p_cs_precedes == 1;
            const bool space = lc->p_sep_by_space == 1;
            fs.CurrencyFormat = before ? (space ? 2 : 0) : (space ? 3 : 1);
            fs.NegCurrFormat = before ? 1 : 5;
            if (lc->mon_decimal_point && *lc->mon_decimal_point)
                fs.DecimalSeparator = lc->mon_decimal_point[0];
            if (lc->mon_thousands_sep && *lc->mon_thousands_sep &&
                static_cast<unsigned char>(lc->mon_thousands_sep[0]) < 0x80)
                fs.ThousandSeparator = lc->mon_thousands_sep[0];
        }
    }
    // Numbers in the program's files are read with '.' whatever the C library does.
    std::setlocale(LC_NUMERIC, "C");
    FormatSettings() = fs;
}

// ---------------------------------------------------------------- numbers

std::string IntToStr(int64_t v) { return std::to_string(v); }

std::string IntToHex(uint64_t v, int digits) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%0*llX", digits, static_cast<unsigned long long>(v));
    return buf;
}

bool TryStrToInt64(std::string_view s, int64_t& out) {
    s = TrimView(s);
    if (s.empty()) return false;
    bool neg = false;
    size_t i = 0;
    if (s[0] == '-' || s[0] == '+') {
        neg = s[0] == '-';
        ++i;
    }
    int base = 10;
    if (i < s.size() && s[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= s.size()) return false;
    uint64_t value = 0;
    const char* b = s.data() + i;
    const char* e = s.data() + s.size();
    auto [p, ec] = std::from_chars(b, e, value, base);
    if (ec != std::errc() || p != e) return false;
    if (base == 10) {
        if (neg ? value > uint64_t(INT64_MAX) + 1 : value > uint64_t(INT64_MAX)) return false;
        out = neg ? static_cast<int64_t>(0 - value) : static_cast<int64_t>(value);
    } else {
        out = static_cast<int64_t>(neg ? 0 - value : value);
    }
    return true;
}

int64_t StrToInt64(std::string_view s) {
    int64_t v;
    if (!TryStrToInt64(s, v)) throw EConvertError("'" + std::string(s) + "' is not a valid integer value");
    return v;
}

int StrToInt(std::string_view s) {
    int64_t v;
    if (!TryStrToInt64(s, v) || v < INT32_MIN || v > INT32_MAX)
        throw EConvertError("'" + std::string(s) + "' is not a valid integer value");
    return static_cast<int>(v);
}

bool TryPlainDecimal(std::string_view s, char dec, double& out) {
    // The digits as an integer divided by a power of ten: both exact for at most
    // 15 digits, so the one division rounds correctly.
    static constexpr double kPow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8,
                                        1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const char* p = s.data();
    const char* e = p + s.size();
    if (p == e) return false;
    const bool neg = *p == '-';
    if (neg || *p == '+') ++p;
    uint64_t mant = 0;
    const char* start = p;
    while (p < e && static_cast<unsigned>(*p - '0') < 10) mant = mant * 10 + static_cast<unsigned>(*p++ - '0');
    const long whole = p - start;
    long frac = 0;
    if (p < e && *p == dec) {
        const char* f = ++p;
        while (p < e && static_cast<unsigned>(*p - '0') < 10) mant = mant * 10 + static_cast<unsigned>(*p++ - '0');
        frac = p - f;
    }
    if (p != e || whole + frac == 0 || whole + frac > 15) return false;
    double v = static_cast<double>(mant);
    if (frac > 0) v /= kPow10[frac];
    out = neg ? -v : v;
    return true;
}

bool TryStrToFloat(std::string_view s, double& out) {
    s = TrimView(s);
    if (s.empty()) return false;
    const char dec = FormatSettings().DecimalSeparator;
    if (TryPlainDecimal(s, dec, out)) return true;
    std::string tmp;
    if (dec != '.') {
        if (s.find('.') != std::string_view::npos) return false;
        tmp.assign(s);
        std::replace(tmp.begin(), tmp.end(), dec, '.');
        s = tmp;
    }
    if (s[0] == '+') s.remove_prefix(1);
    if (s.empty()) return false;
    double v = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::general);
    if (p != s.data() + s.size()) return false;
    if (ec == std::errc::result_out_of_range) {
        // Underflow reads as zero; overflow is refused.
        if (std::fabs(v) > 1.0) return false;
        v = 0;
    } else if (ec != std::errc()) {
        return false;
    }
    if (!std::isfinite(v)) return false;
    out = v;
    return true;
}

double StrToFloat(std::string_view s) {
    double v;
    if (!TryStrToFloat(s, v))
        throw EConvertError("'" + std::string(s) + "' is not a valid floating point value");
    return v;
}

namespace {
// Inserts thousands separators into the integer digits of a plain number text.
std::string GroupThousands(const std::string& digits, char sep) {
    std::string r;
    const size_t n = digits.size();
    for (size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0 && sep) r += sep;
        r += digits[i];
    }
    return r;
}

// The platform rounds decimal digits half away from zero: 7.125 gives "7.13".
// Works on the 18-significant-digit decimal expansion of |v|.
struct Decimal {
    std::string digits;  // no leading zeros; empty for zero
    int exponent = 0;    // value = 0.d1d2d3... * 10^exponent
};

Decimal ToDecimal(double av) {
    Decimal d;
    if (av == 0) return d;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17e", av);
    const char* e = std::strchr(buf, 'e');
    for (const char* p = buf; p < e; ++p)
        if (*p >= '0' && *p <= '9') d.digits += *p;
    d.exponent = std::atoi(e + 1) + 1;
    return d;
}

// Keeps `keep` digits (counted from the first), rounding half up.
void RoundDigits(Decimal& d, int keep) {
    if (keep < 0) {
        d.digits.clear();
        return;
    }
    if (static_cast<int>(d.digits.size()) <= keep) return;
    const bool up = d.digits[static_cast<size_t>(keep)] >= '5';
    d.digits.resize(static_cast<size_t>(keep));
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits[static_cast<size_t>(i)] == '9') d.digits[static_cast<size_t>(i--)] = '0';
        if (i < 0) {
            d.digits = "1";
            d.exponent += 1;
        } else {
            ++d.digits[static_cast<size_t>(i)];
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
    if (d.digits.empty()) d.exponent = 0;
}

// |v| with `digits` decimals after rounding to `precision` significant digits.
std::string FixedText(double av, int precision, int digits) {
    precision = std::clamp(precision, 1, 18);
    digits = std::clamp(digits, 0, 18);
    Decimal d = ToDecimal(av);
    RoundDigits(d, precision);
    if (!d.digits.empty()) RoundDigits(d, d.exponent + digits);
    std::string ip, fp;
    for (int i = 0; i < d.exponent; ++i)
        ip += i < static_cast<int>(d.digits.size()) ? d.digits[static_cast<size_t>(i)] : '0';
    if (ip.empty()) ip = "0";
    for (int i = 0; i < digits; ++i) {
        const int k = d.exponent + i;
        fp += (k >= 0 && k < static_cast<int>(d.digits.size())) ? d.digits[static_cast<size_t>(k)] : '0';
    }
    return digits > 0 ? ip + "." + fp : ip;
}
}  // namespace

std::string FloatToStrF(double v, TFloatFormat format, int precision, int digits) {
    const TFormatSettings& fs = FormatSettings();
    if (std::isnan(v)) return "NAN";
    if (std::isinf(v)) return v > 0 ? "INF" : "-INF";
    char buf[512];
    switch (format) {
        case TFloatFormat::ffGeneral: {
            if (precision < 1) precision = 15;
            if (precision > 18) precision = 18;
            if (v == 0) return "0";
            std::snprintf(buf, sizeof buf, "%.*g", precision, v);
            std::string s = buf;
            // Platform style: exponent as E+nn only when needed, no "+0".
            const size_t e = s.find('e');
            if (e != std::string::npos) {
                std::string mant = s.substr(0, e);
                int ex = std::atoi(s.c_str() + e + 1);
                char eb[16];
                std::snprintf(eb, sizeof eb, "E%c%02d", ex < 0 ? '-' : '+', std::abs(ex));
                s = mant + eb;
            }
            if (fs.DecimalSeparator != '.') std::replace(s.begin(), s.end(), '.', fs.DecimalSeparator);
            return s;
        }
        case TFloatFormat::ffExponent: {
            std::snprintf(buf, sizeof buf, "%.*E", std::max(precision - 1, 0), v);
            std::string s = buf;
            if (fs.DecimalSeparator != '.') std::replace(s.begin(), s.end(), '.', fs.DecimalSeparator);
            return s;
        }
        case TFloatFormat::ffFixed:
        case TFloatFormat::ffNumber:
        case TFloatFormat::ffCurrency: {
            const bool neg = std::signbit(v) && v != 0;
            std::string plain = FixedText(std::fabs(v), precision, digits);
            std::string ip = plain, fp;
            const size_t dot = plain.find('.');
            if (dot != std::string::npos) {
                ip = plain.substr(0, dot);
                fp = plain.substr(dot + 1);
            }
            // A value that rounds to zero shows without its sign.
            const bool allZero = std::all_of(plain.begin(), plain.end(),
                                             [](char c) { return c == '0' || c == '.'; });
            const bool showNeg = neg && !allZero;
            if (format != TFloatFormat::ffFixed) ip = GroupThousands(ip, fs.ThousandSeparator);
            std::string num = ip;
            if (!fp.empty()) num += fs.DecimalSeparator + fp;
            if (format != TFloatFormat::ffCurrency) return (showNeg ? "-" : "") + num;
            const std::string& cs = fs.CurrencyString;
            if (!showNeg) {
                switch (fs.CurrencyFormat) {
                    case 1: return num + cs;
                    case 2: return cs + " " + num;
                    case 3: return num + " " + cs;
                    default: return cs + num;
                }
            }
            switch (fs.NegCurrFormat) {
                case 1: return "-" + cs + num;
                case 2: return cs + "-" + num;
                case 3: return cs + num + "-";
                case 4: return "(" + num + cs + ")";
                case 5: return "-" + num + cs;
                case 6: return num + "-" + cs;
                case 7: return num + cs + "-";
                case 8: return "-" + num + " " + cs;
                case 9: return "-" + cs + " " + num;
                case 10: return num + " " + cs + "-";
                case 11: return cs + " " + num + "-";
                case 12: return cs + " -" + num;
                case 13: return num + "- " + cs;
                case 14: return "(" + cs + " " + num + ")";
                case 15: return "(" + num + " " + cs + ")";
                default: return "(" + cs + num + ")";
            }
        }
    }
    return {};
}

std::string FloatToStr(double v) { return FloatToStrF(v, TFloatFormat::ffGeneral, 15, 0); }

// ---------------------------------------------------------------- Format

namespace {
[[noreturn]] void FormatError(std::string_view fmt) {
    throw EConvertError("Format '" + std::string(fmt) + "' invalid or incompatible with argument");
}
}  // namespace

std::string Format(std::string_view fmt, const std::vector<TFormatArg>& args) {
    std::string out;
    size_t argIndex = 0;
    size_t i = 0;
    while (i < fmt.size()) {
        const char c = fmt[i];
        if (c != '%') {
            out += c;
            ++i;
            continue;
        }
        ++i;
        if (i < fmt.size() && fmt[i] == '%') {
            out += '%';
            ++i;
            continue;
        }
        // [index ":"] ["-"] [width] ["." prec] type
        auto readNumber = [&](int& value) -> bool {
            if (i < fmt.size() && fmt[i] == '*') {
                if (argIndex >= args.size() || !std::holds_alternative<int64_t>(args[argIndex]))
                    FormatError(fmt);
                value = static_cast<int>(std::get<int64_t>(args[argIndex++]));
                ++i;
                return true;
            }
            bool any = false;
            value = 0;
            while (i < fmt.size() && fmt[i] >= '0' && fmt[i] <= '9') {
                value = value * 10 + (fmt[i] - '0');
                if (value > 100000) FormatError(fmt);
                ++i;
                any = true;
            }
            return any;
        };
        int number = 0;
        bool hasNumber = readNumber(number);
        if (hasNumber && i < fmt.size() && fmt[i] == ':') {
            argIndex = static_cast<size_t>(number);
            ++i;
            hasNumber = false;
        }
        bool left = false;
        if (i < fmt.size() && fmt[i] == '-') {
            left = true;
            ++i;
        }
        int width = -1;
        if (hasNumber)
            width = number;
        else if (int w; readNumber(w))
            width = w;
        int prec = -1;
        if (i < fmt.size() && fmt[i] == '.') {
            ++i;
            int p;
            prec = readNumber(p) ? p : 0;
        }
        if (i >= fmt.size()) FormatError(fmt);
        const char type = LowChar(fmt[i++]);
        if (argIndex >= args.size()) FormatError(fmt);
        const TFormatArg& arg = args[argIndex++];
        std::string piece;
        switch (type) {
            case 'd':
            case 'u':
            case 'x': {
                if (!std::holds_alternative<int64_t>(arg)) FormatError(fmt);
                int64_t v = std::get<int64_t>(arg);
                if (type == 'u' && v < 0) v = static_cast<int64_t>(static_cast<uint32_t>(v));
                const bool neg = v < 0 && type == 'd';
                uint64_t mag = neg ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
                char buf[40];
                if (type == 'x')
                    std::snprintf(buf, sizeof buf, "%llX", static_cast<unsigned long long>(mag));
                else
                    std::snprintf(buf, sizeof buf, "%llu", static_cast<unsigned long long>(mag));
                std::string digits = buf;
                if (prec > 0 && static_cast<int>(digits.size()) < prec)
                    digits.insert(0, static_cast<size_t>(prec) - digits.size(), '0');
                piece = (neg ? "-" : "") + digits;
                break;
            }
            case 'e':
            case 'f':
            case 'g':
            case 'n':
            case 'm': {
                double v;
                if (std::holds_alternative<double>(arg))
                    v = std::get<double>(arg);
                else if (std::holds_alternative<int64_t>(arg))
                    FormatError(fmt);
                else
                    FormatError(fmt);
                switch (type) {
                    case 'e': piece = FloatToStrF(v, TFloatFormat::ffExponent, prec < 0 ? 15 : prec, 3); break;
                    case 'f': piece = FloatToStrF(v, TFloatFormat::ffFixed, 18, prec < 0 ? 2 : prec); break;
                    case 'g': piece = FloatToStrF(v, TFloatFormat::ffGeneral, prec < 0 ? 15 : prec, 3); break;
                    case 'n': piece = FloatToStrF(v, TFloatFormat::ffNumber, 18, prec < 0 ? 2 : prec); break;
                    default:
                        piece = FloatToStrF(v, TFloatFormat::ffCurrency, 18,
                                            prec < 0 ? FormatSettings().CurrencyDecimals : prec);
                }
                break;
            }
            case 's': {
                if (std::holds_alternative<std::string>(arg))
                    piece = std::get<std::string>(arg);
                else
                    FormatError(fmt);
                if (prec >= 0 && static_cast<int>(piece.size()) > prec) piece.resize(static_cast<size_t>(prec));
                break;
            }
            case 'p': {
                if (!std::holds_alternative<int64_t>(arg)) FormatError(fmt);
                piece = IntToHex(static_cast<uint64_t>(std::get<int64_t>(arg)), 8);
                break;
            }
            default: FormatError(fmt);
        }
        if (width > 0 && static_cast<int>(piece.size()) < width) {
            const std::string pad(static_cast<size_t>(width) - piece.size(), ' ');
            piece = left ? piece + pad : pad + piece;
        }
        out += piece;
    }
    return out;
}

// ---------------------------------------------------------------- dates

namespace {
constexpr int kDaysBefore1900 = 693594;  // days from 0001-01-01 to 1899-12-30

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
int DaysInMonth(int y, int m) {
    static const int d[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeapYear(y) ? 29 : d[m - 1];
}
}  // namespace

bool TryEncodeDate(int year, int month, int day, TDateTime& out) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return false;
    int64_t days = day;
    for (int m = 1; m < month; ++m) days += DaysInMonth(year, m);
    const int64_t y = year - 1;
    days += y * 365 + y / 4 - y / 100 + y / 400;
    out = static_cast<double>(days - kDaysBefore1900);
    return true;
}

TDateTime EncodeDate(int year, int month, int day) {
    TDateTime d;
    if (!TryEncodeDate(year, month, day, d)) throw EConvertError("Invalid argument to date encode");
    return d;
}

TDateTime EncodeTime(int hour, int min, int sec, int msec) {
    if (hour < 0 || hour > 23 || min < 0 || min > 59 || sec < 0 || sec > 59 || msec < 0 || msec > 999)
        throw EConvertError("Invalid argument to time encode");
    return (hour * 3600000.0 + min * 60000.0 + sec * 1000.0 + msec) / 86400000.0;
}

void DecodeDate(TDateTime dt, int& year, int& month, int& day) {
    int64_t d = static_cast<int64_t>(std::floor(dt)) + kDaysBefore1900 - 1;  // days since 0001-01-01, 0-based
    if (d < 0) {
        year = month = day = 0;
        return;
    }
    // Civil-from-days on the proleptic Gregorian calendar.
    const int64_t d400 = 146097, d100 = 36524, d4 = 1461;
    int64_t y = 1;
    y += 400 * (d / d400);
    d %= d400;
    int64_t i = d / d100;
    if (i == 4) i = 3;
    y += 100 * i;
    d -= i * d100;
    y += 4 * (d / d4);
    d %= d4;
    i = d / 365;
    if (i == 4) i = 3;
    y += i;
    d -= i * 365;
    year = static_cast<int>(y);
    month = 1;
    while (d >= DaysInMonth(year, month)) {
        d -= DaysInMonth(year, month);
        ++month;
    }
    day = static_cast<int>(d) + 1;
}

void DecodeTime(TDateTime dt, int& hour, int& min, int& sec, int& msec) {
    double frac = std::fabs(dt - std::trunc(dt));
    int64_t ms = std::llround(frac * 86400000.0);
    if (ms >= 86400000) ms = 86399999;
    hour = static_cast<int>(ms / 3600000);
    min = static_cast<int>(ms / 60000 % 60);
    sec = static_cast<int>(ms / 1000 % 60);
    msec = static_cast<int>(ms % 1000);
}

TDateTime Now() {
    const std::time_t t = std::time(nullptr);
    std::tm tmv{};
    localtime_r(&t, &tmv);
    return EncodeDate(tmv.tm_year + 1900, tmv.tm_mon + 1, tmv.tm_mday) +
           EncodeTime(tmv.tm_hour, tmv.tm_min, std::min(tmv.tm_sec, 59), 0);
}

TDateTime Date() { return std::floor(Now()); }

std::string FormatDateTime(std::string_view format, TDateTime dt) {
    int y, mo, d, h, mi, s, ms;
    DecodeDate(dt, y, mo, d);
    DecodeTime(dt, h, mi, s, ms);
    const bool ampm = format.find("AMPM") != std::string_view::npos ||
                      format.find("ampm") != std::string_view::npos;
    std::string out;
    size_t i = 0;
    auto count = [&](char ch) {
        size_t n = 0;
        while (i + n < format.size() && LowChar(format[i + n]) == ch) ++n;
        return n;
    };
    char buf[16];
    while (i < format.size()) {
        const char c = LowChar(format[i]);
        if (format.substr(i, 4) == "AMPM" || format.substr(i, 4) == "ampm") {
            out += h < 12 ? FormatSettings().TimeAMString : FormatSettings().TimePMString;
            i += 4;
        } else if (c == 'y') {
            const size_t n = count('y');
            std::snprintf(buf, sizeof buf, n <= 2 ? "%02d" : "%04d", n <= 2 ? y % 100 : y);
            out += buf;
            i += n;
        } else if (c == 'm') {
            const size_t n = count('m');
            // "m" right after an hour means minutes.
            const size_t lastHour = format.substr(0, i).find_last_of("hH");
            const size_t lastDate = format.substr(0, i).find_last_of("dDyY/");
            const bool minutes = !out.empty() && lastHour != std::string_view::npos &&
                                 (lastDate == std::string_view::npos || lastHour > lastDate);
            const int v = minutes ? mi : mo;
            std::snprintf(buf, sizeof buf, n >= 2 ? "%02d" : "%d", v);
            out += buf;
            i += n;
        } else if (c == 'd') {
            const size_t n = count('d');
            std::snprintf(buf, sizeof buf, n >= 2 ? "%02d" : "%d", d);
            out += buf;
            i += n;
        } else if (c == 'h') {
            const size_t n = count('h');
            int hv = h;
            if (ampm) {
                hv = h % 12;
                if (hv == 0) hv = 12;
            }
            std::snprintf(buf, sizeof buf, n >= 2 ? "%02d" : "%d", hv);
            out += buf;
            i += n;
        } else if (c == 'n') {
            const size_t n = count('n');
            std::snprintf(buf, sizeof buf, n >= 2 ? "%02d" : "%d", mi);
            out += buf;
            i += n;
        } else if (c == 's') {
            const size_t n = count('s');
            std::snprintf(buf, sizeof buf, n >= 2 ? "%02d" : "%d", s);
            out += buf;
            i += n;
        } else if (format[i] == '/') {
            out += FormatSettings().DateSeparator;
            ++i;
        } else if (format[i] == ':') {
            out += FormatSettings().TimeSeparator;
            ++i;
        } else {
            out += format[i++];
        }
    }
    return out;
}

std::string DateToStr(TDateTime dt) { return FormatDateTime(FormatSettings().ShortDateFormat, dt); }

std::string DateTimeToStr(TDateTime dt) {
    std::string s = DateToStr(dt);
    if (dt != std::floor(dt)) s += " " + FormatDateTime(FormatSettings().LongTimeFormat, dt);
    return s;
}

namespace {
bool ParseDatePart(std::string_view s, TDateTime& out) {
    // Order of day, month and year follows the short date format.
    const std::string& f = FormatSettings().ShortDateFormat;
    const size_t py = f.find_first_of("yY"), pm = f.find_first_of("mM"), pd = f.find_first_of("dD");
    int order[3];  // 0 year, 1 month, 2 day
    struct P {
        size_t pos;
        int what;
    } ps[3] = {{py, 0}, {pm, 1}, {pd, 2}};
    std::sort(std::begin(ps), std::end(ps), [](const P& a, const P& b) { return a.pos < b.pos; });
    for (int k = 0; k < 3; ++k) order[k] = ps[k].what;
    int values[3];
    int n = 0;
    size_t i = 0;
    const char sep = FormatSettings().DateSeparator;
    while (i <= s.size() && n < 3) {
        size_t j = i;
        while (j < s.size() && s[j] >= '0' && s[j] <= '9') ++j;
        if (j == i || j - i > 4) return false;
        values[n++] = std::atoi(std::string(s.substr(i, j - i)).c_str());
        if (j == s.size()) {
            i = j + 1;
            break;
        }
        if (s[j] != sep && s[j] != '/' && s[j] != '-' && s[j] != '.') return false;
        i = j + 1;
    }
    if (i <= s.size()) return false;  // trailing text
    int y = 0, m = 0, d = 0;
    if (n == 3) {
        for (int k = 0; k < 3; ++k) (order[k] == 0 ? y : order[k] == 1 ? m : d) = values[k];
    } else if (n == 2) {
        int idx = 0;
        for (int k = 0; k < 3; ++k) {
            if (order[k] == 0) continue;
            (order[k] == 1 ? m : d) = values[idx++];
        }
        int cd, cm;
        DecodeDate(Date(), y, cm, cd);
    } else {
        return false;
    }
    if (y < 100 && n == 3) y += y < 50 ? 2000 : 1900;
    return TryEncodeDate(y, m, d, out);
}

bool ParseTimePart(std::string_view s, double& out) {
    s = TrimView(s);
    bool pm = false, am = false;
    if (EndsText("PM", s)) {
        pm = true;
        s = TrimView(s.substr(0, s.size() - 2));
    } else if (EndsText("AM", s)) {
        am = true;
        s = TrimView(s.substr(0, s.size() - 2));
    }
    int parts[3] = {0, 0, 0};
    int n = 0;
    size_t i = 0;
    while (i <= s.size() && n < 3) {
        size_t j = i;
        while (j < s.size() && s[j] >= '0' && s[j] <= '9') ++j;
        if (j == i || j - i > 2) return false;
        parts[n++] = std::atoi(std::string(s.substr(i, j - i)).c_str());
        if (j == s.size()) {
            i = j + 1;
            break;
        }
        if (s[j] != ':' && s[j] != FormatSettings().TimeSeparator) return false;
        i = j + 1;
    }
    if (i <= s.size() || n < 2) return false;
    int h = parts[0];
    if (pm || am) {
        if (h < 1 || h > 12) return false;
        h = h % 12 + (pm ? 12 : 0);
    }
    if (h > 23 || parts[1] > 59 || parts[2] > 59) return false;
    out = EncodeTime(h, parts[1], parts[2], 0);
    return true;
}
}  // namespace

TDateTime StrToDateTime(std::string_view s) {
    std::string_view t = TrimView(s);
    const size_t sp = t.find(' ');
    TDateTime d = 0;
    double time = 0;
    bool ok;
    if (sp == std::string_view::npos) {
        ok = ParseDatePart(t, d);
        if (!ok) ok = ParseTimePart(t, time);
    } else {
        ok = ParseDatePart(t.substr(0, sp), d) && ParseTimePart(t.substr(sp + 1), time);
        if (!ok) {
            d = 0;  // a time alone, "3:30:05 PM"
            ok = ParseTimePart(t, time);
        }
    }
    if (!ok) throw EConvertError("'" + std::string(s) + "' is not a valid date and time");
    return d + time;
}

TDateTime StrToDate(std::string_view s) {
    TDateTime d;
    if (!ParseDatePart(TrimView(s), d)) throw EConvertError("'" + std::string(s) + "' is not a valid date");
    return d;
}

// ---------------------------------------------------------------- files

std::string IncludeTrailingPathDelimiter(std::string_view s) {
    std::string r(s);
    if (r.empty() || r.back() != '/') r += '/';
    return r;
}

std::string ExtractFilePath(std::string_view s) {
    const size_t p = s.find_last_of('/');
    return p == std::string_view::npos ? std::string() : std::string(s.substr(0, p + 1));
}

std::string ExtractFileName(std::string_view s) {
    const size_t p = s.find_last_of('/');
    return std::string(p == std::string_view::npos ? s : s.substr(p + 1));
}

std::string ExtractFileExt(std::string_view s) {
    const size_t p = s.find_last_of("./");
    if (p == std::string_view::npos || s[p] != '.') return {};
    return std::string(s.substr(p));
}

std::string ChangeFileExt(std::string_view s, std::string_view ext) {
    const size_t p = s.find_last_of("./");
    if (p == std::string_view::npos || s[p] != '.') return std::string(s) + std::string(ext);
    return std::string(s.substr(0, p)) + std::string(ext);
}

bool FileExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

bool DirectoryExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_directory(path, ec);
}

bool ForceDirectories(const std::string& path) {
    std::error_code ec;
    if (DirectoryExists(path)) return true;
    std::filesystem::create_directories(path, ec);
    return DirectoryExists(path);
}

std::string ToNativePath(std::string_view s) {
    std::string r(s);
    std::replace(r.begin(), r.end(), '\\', '/');
    return r;
}

std::string ReadFileBytes(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw EFOpenError("Cannot open file \"" + path + "\". " + std::strerror(errno));
    std::string data;
    struct FdCloser {
        int fd;
        ~FdCloser() { ::close(fd); }
    } closer{fd};
    const off_t size = ::lseek(fd, 0, SEEK_END);
    if (size > 0) data.reserve(static_cast<size_t>(size));
    ::lseek(fd, 0, SEEK_SET);
    char buf[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw EReadError("Cannot read file \"" + path + "\". " + std::strerror(errno));
        }
        if (n == 0) break;
        data.append(buf, static_cast<size_t>(n));
    }
    return data;
}

void WriteFileAtomic(const std::string& path, std::string_view bytes) {
    std::string dir = ExtractFilePath(path);
    std::string tmpl = (dir.empty() ? std::string("./") : dir) + "." + ExtractFileName(path) + ".XXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) throw EFCreateError("Cannot create file \"" + path + "\". " + std::strerror(errno));
    const std::string tmp(name.data());
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            const std::string err = std::strerror(errno);
            ::close(fd);
            ::unlink(tmp.c_str());
            throw EWriteError("Cannot write file \"" + path + "\". " + err);
        }
        done += static_cast<size_t>(n);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        const std::string err = std::strerror(errno);
        ::unlink(tmp.c_str());
        throw EWriteError("Cannot write file \"" + path + "\". " + err);
    }
    // Keep the permissions an ordinary file would get rather than mkstemp's 0600.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(tmp.c_str(), 0666 & ~mask);
    if (::rename(tmp.c_str(), path.c_str()) != 0) {
        const std::string err = std::strerror(errno);
        ::unlink(tmp.c_str());
        throw EFCreateError("Cannot create file \"" + path + "\". " + err);
    }
}

}  // namespace ortello
