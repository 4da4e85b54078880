// Basic text, number, date and exception helpers shared by every core library.
// Strings are UTF-8 inside the program; Windows-1252 only at file boundaries.
#pragma once

#include <cstdint>
#include <exception>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace ortello {

// ---------------------------------------------------------------- exceptions

// Every failure carries a message text only.
class Exception : public std::exception {
public:
    explicit Exception(std::string message = {}) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& Message() const noexcept { return message_; }
    void SetMessage(std::string m) { message_ = std::move(m); }
    // Run-time class name, used where messages name the failing class.
    virtual const char* ClassName() const noexcept { return "Exception"; }

private:
    std::string message_;
};

#define ORTELLO_EXCEPTION(Name, Base)                                   \
    class Name : public Base {                                          \
    public:                                                             \
        using Base::Base;                                               \
        const char* ClassName() const noexcept override { return #Name; } \
    };

ORTELLO_EXCEPTION(EConvertError, Exception)
ORTELLO_EXCEPTION(EListError, Exception)
ORTELLO_EXCEPTION(EStreamError, Exception)
ORTELLO_EXCEPTION(EReadError, EStreamError)
ORTELLO_EXCEPTION(EWriteError, EStreamError)
ORTELLO_EXCEPTION(EFOpenError, EStreamError)
ORTELLO_EXCEPTION(EFCreateError, EStreamError)
ORTELLO_EXCEPTION(EInOutError, Exception)
// Silent exceptions are not shown by the standard error dialog.
ORTELLO_EXCEPTION(EAbort, Exception)

// Shared by the object-record reader and the property editors.
inline constexpr const char* kInvalidPropertyValue = "Invalid property value";

// ---------------------------------------------------------------- Format

// One argument of Format: an integer, a float or a text.
using TFormatArg = std::variant<int64_t, double, std::string>;

// Format with the platform's semantics: "%" [index ":"] ["-"] [width] ["." precision] type,
// types d u e f g n m p s x, arguments taken in turn ("%0s in %0s" fills two), "%%" is "%".
// A missing or mismatched argument raises EConvertError.
std::string Format(std::string_view fmt, const std::vector<TFormatArg>& args);

inline TFormatArg FmtArg(int v) { return int64_t{v}; }
inline TFormatArg FmtArg(unsigned v) { return int64_t{v}; }
inline TFormatArg FmtArg(long v) { return int64_t{v}; }
inline TFormatArg FmtArg(unsigned long v) { return static_cast<int64_t>(v); }
inline TFormatArg FmtArg(long long v) { return int64_t{v}; }
inline TFormatArg FmtArg(double v) { return v; }
inline TFormatArg FmtArg(std::string v) { return v; }
inline TFormatArg FmtArg(std::string_view v) { return std::string(v); }
inline TFormatArg FmtArg(const char* v) { return std::string(v); }

template <typename... A>
std::string Fmt(std::string_view fmt, A&&... a) {
    return Format(fmt, std::vector<TFormatArg>{FmtArg(std::forward<A>(a))...});
}

// ---------------------------------------------------------------- text

// ASCII-only case folding: the one comparison rule of the program.
inline char UpChar(char c) { return (c >= 'a' && c <= 'z') ? char(c - 32) : c; }
inline char LowChar(char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; }
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);
bool SameText(std::string_view a, std::string_view b);
int CompareText(std::string_view a, std::string_view b);  // <0, 0, >0
int CompareStr(std::string_view a, std::string_view b);
bool StartsText(std::string_view prefix, std::string_view s);
bool EndsText(std::string_view suffix, std::string_view s);

// Trim removes blanks and control characters (code <= 32) at both ends.
std::string_view TrimView(std::string_view s);
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);

// Replace every occurrence of `from` (case-insensitive when asked).
std::string StringReplace(std::string_view s, std::string_view from, std::string_view to,
                          bool ignoreCase = false);
// 1-based position of sub in s, 0 when absent.
size_t Pos(std::string_view sub, std::string_view s);

// ---------------------------------------------------------------- code page

// Windows-1252 <-> UTF-8 at file boundaries. Characters 1252 cannot hold become '?'.
std::string Cp1252ToUtf8(std::string_view s);
// The same, appended to out (which keeps its capacity across calls).
void AppendCp1252AsUtf8(std::string_view s, std::string& out);
std::string Utf8ToCp1252(std::string_view s);
// True when every byte is ASCII (nothing to convert).
bool IsAscii(std::string_view s);

// ---------------------------------------------------------------- regional settings

struct TFormatSettings {
    std::string CurrencyString = "$";
    int CurrencyFormat = 0;     // 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $"
    int NegCurrFormat = 0;      // 0 "($1)", 1 "-$1", ...
    int CurrencyDecimals = 2;
    char ThousandSeparator = ',';
    char DecimalSeparator = '.';
    char DateSeparator = '/';
    char TimeSeparator = ':';
    std::string ShortDateFormat = "M/d/yyyy";
    std::string LongTimeFormat = "h:mm:ss AMPM";
    std::string TimeAMString = "AM";
    std::string TimePMString = "PM";

    static TFormatSettings UnitedStates() { return {}; }
};

// The program-wide regional settings. Defaults to United States settings;
// LoadFormatSettingsFromLocale() takes what the process locale defines.
TFormatSettings& FormatSettings();
void LoadFormatSettingsFromLocale();

// ---------------------------------------------------------------- numbers

std::string IntToStr(int64_t v);
std::string IntToHex(uint64_t v, int digits);
// Decimal, or "$"/"0x" followed by hexadecimal digits. Raises EConvertError.
int64_t StrToInt64(std::string_view s);
int StrToInt(std::string_view s);
bool TryStrToInt64(std::string_view s, int64_t& out);

// Locale decimal notation, optional exponent. Raises EConvertError.
double StrToFloat(std::string_view s);
// Only "[-+]digits[<dec>digits]" with at most 15 digits, without blanks; false otherwise.
bool TryPlainDecimal(std::string_view s, char dec, double& out);
bool TryStrToFloat(std::string_view s, double& out);

enum class TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };
std::string FloatToStrF(double v, TFloatFormat format, int precision, int digits);
std::string FloatToStr(double v);  // general, 15 significant digits

// ---------------------------------------------------------------- dates

using TDateTime = double;  // days since 30 December 1899, time as fraction

TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int min, int sec, int msec);
void DecodeDate(TDateTime dt, int& year, int& month, int& day);
void DecodeTime(TDateTime dt, int& hour, int& min, int& sec, int& msec);
bool TryEncodeDate(int year, int month, int day, TDateTime& out);
TDateTime Now();
TDateTime Date();
// Short date (and time when not midnight) in the regional settings.
std::string DateTimeToStr(TDateTime dt);
std::string DateToStr(TDateTime dt);
std::string FormatDateTime(std::string_view format, TDateTime dt);
// Date, optionally followed by a time. Raises EConvertError.
TDateTime StrToDateTime(std::string_view s);
TDateTime StrToDate(std::string_view s);

// ---------------------------------------------------------------- files

std::string IncludeTrailingPathDelimiter(std::string_view s);
std::string ExtractFilePath(std::string_view s);   // with trailing '/'
std::string ExtractFileName(std::string_view s);
std::string ExtractFileExt(std::string_view s);    // with the dot, or empty
std::string ChangeFileExt(std::string_view s, std::string_view ext);
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
bool ForceDirectories(const std::string& path);
// Folder names in settings use '\'; inside the program '/' is used.
std::string ToNativePath(std::string_view s);

// Reads a whole file; raises EFOpenError with the system's message.
std::string ReadFileBytes(const std::string& path);
// Writes to a temporary file beside the target and renames it over, so an
// interrupted write never leaves a truncated file. Raises EFCreateError/EWriteError.
void WriteFileAtomic(const std::string& path, std::string_view bytes);

}  // namespace ortello
