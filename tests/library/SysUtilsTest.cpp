#include "library/SysUtils.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace ortello;

TEST(Format, ArgumentsTakenInTurnWidthAndPrecision) {
    EXPECT_EQ(Fmt("%0s in %0s", "Invalid File Type", "TQuoteList"), "Invalid File Type in TQuoteList");
    EXPECT_EQ(Fmt("%3.3d", 1), "001");
    EXPECT_EQ(Fmt("%0.2f", 1234.5), "1234.50");
    EXPECT_EQ(Fmt("%s\\shell\\%s\\command", "OrtelloQuote", "open"), "OrtelloQuote\\shell\\open\\command");
    EXPECT_EQ(Fmt("%0s,%0d", "ortello", 1), "ortello,1");
    EXPECT_EQ(Fmt("Value must be between %d and %d", 0, 10), "Value must be between 0 and 10");
    EXPECT_EQ(Fmt("%1:s %0:s", "a", "b"), "b a");
    EXPECT_EQ(Fmt("%5s|%-5s|", "ab", "cd"), "   ab|cd   |");
    EXPECT_EQ(Fmt("100%%"), "100%");
    EXPECT_EQ(Fmt("%m", 1234.5), "$1,234.50");
    EXPECT_THROW(Fmt("%d", "text"), EConvertError);
    EXPECT_THROW(Fmt("%s %s", "one"), EConvertError);
}

TEST(FloatText, CurrencyAndGeneralFormats) {
    EXPECT_EQ(FloatToStrF(1234.5, TFloatFormat::ffCurrency, 15, 2), "$1,234.50");
    EXPECT_EQ(FloatToStrF(-3, TFloatFormat::ffCurrency, 15, 2), "($3.00)");
    EXPECT_EQ(FloatToStrF(1234567.891, TFloatFormat::ffNumber, 15, 2), "1,234,567.89");
    EXPECT_EQ(FloatToStr(0.1), "0.1");
    // Decimal halves round away from zero.
    EXPECT_EQ(Fmt("%0.2f", 7.125), "7.13");
    EXPECT_EQ(Fmt("%0.0f", 0.5), "1");
    EXPECT_EQ(Fmt("%0.2f", 9.999), "10.00");
    EXPECT_EQ(Fmt("%0.2f", -0.004), "0.00");
    EXPECT_EQ(FloatToStrF(999999.995, TFloatFormat::ffCurrency, 15, 2), "$1,000,000.00");
    EXPECT_EQ(FloatToStr(12.5), "12.5");
    EXPECT_EQ(FloatToStr(1e20), "1E+20");
    EXPECT_EQ(StrToFloat("  12.25 "), 12.25);
    EXPECT_THROW(StrToFloat("1,5"), EConvertError);
    EXPECT_THROW(StrToFloat(""), EConvertError);
}

TEST(FloatText, ReadingMatchesTheCorrectlyRoundedValue) {
    // Plain decimals take a shortcut; it must give exactly what a full conversion gives.
    uint64_t x = 88172645463325252ull;
    for (int i = 0; i < 20000; ++i) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        const int digits = 1 + static_cast<int>(x % 15);
        const int frac = static_cast<int>((x >> 8) % (digits + 1));
        std::string t = std::to_string((x >> 16) % 1000000000000000ull).substr(0, static_cast<size_t>(digits));
        if (frac > 0 && frac < static_cast<int>(t.size())) t.insert(t.size() - static_cast<size_t>(frac), ".");
        if (x & 1) t = "-" + t;
        ASSERT_EQ(StrToFloat(t), std::strtod(t.c_str(), nullptr)) << t;
    }
    for (const char* t : {"1.", ".5", "007.250", "0.30000000000000004", "1e3", "-0"})
        EXPECT_EQ(StrToFloat(t), std::strtod(t, nullptr)) << t;
    EXPECT_THROW(StrToFloat("."), EConvertError);
    EXPECT_THROW(StrToFloat("1.2.3"), EConvertError);
    EXPECT_THROW(StrToFloat("-"), EConvertError);
}

TEST(Integers, DecimalAndHexadecimal) {
    EXPECT_EQ(StrToInt("42"), 42);
    EXPECT_EQ(StrToInt("-7"), -7);
    EXPECT_EQ(StrToInt("$1F"), 31);
    EXPECT_THROW(StrToInt("12a"), EConvertError);
    EXPECT_THROW(StrToInt("99999999999"), EConvertError);
}

TEST(Dates, EpochAndShortDateFormat) {
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
    EXPECT_EQ(EncodeDate(2026, 12, 11), 46367.0);
    int y, m, d;
    DecodeDate(46367.75, y, m, d);
    EXPECT_EQ(y * 10000 + m * 100 + d, 20261211);
    EXPECT_EQ(DateToStr(EncodeDate(2026, 3, 7)), "3/7/2026");
    EXPECT_EQ(StrToDate("3/7/2026"), EncodeDate(2026, 3, 7));
    EXPECT_THROW(StrToDate("13/40/2026"), EConvertError);
}

TEST(Dates, TimesFormatMinutesAndReadBack) {
    const TDateTime t = EncodeTime(15, 30, 5, 0);
    EXPECT_EQ(FormatDateTime("h:mm:ss AMPM", t), "3:30:05 PM");
    EXPECT_EQ(FormatDateTime("m/d/yyyy h:mm", EncodeDate(2026, 3, 7) + t), "3/7/2026 15:30");
    EXPECT_EQ(DateTimeToStr(EncodeDate(2026, 3, 7) + t), "3/7/2026 3:30:05 PM");
    EXPECT_DOUBLE_EQ(StrToDateTime("3:30:05 PM"), t);
    EXPECT_DOUBLE_EQ(StrToDateTime("3/7/2026 3:30:05 PM"), EncodeDate(2026, 3, 7) + t);
    EXPECT_THROW(StrToDateTime("3/7/2026 soon"), EConvertError);
}

TEST(CodePage, RoundTripOfWindows1252) {
    const std::string utf8 = "10\xC2\xB0 tilt, \xC2\xA3" "5 \xE2\x82\xAC";  // degree, pound, euro
    const std::string cp = Utf8ToCp1252(utf8);
    EXPECT_EQ(cp, std::string("10\xB0 tilt, \xA3" "5 \x80"));
    EXPECT_EQ(Cp1252ToUtf8(cp), utf8);
}

TEST(Text, CaseFoldingIsAsciiOnly) {
    EXPECT_TRUE(SameText("Products.Antennas", "PRODUCTS.antennas"));
    EXPECT_FALSE(SameText("\xC3\xA9", "\xC3\x89"));
    EXPECT_LT(CompareText("abc", "ABD"), 0);
    EXPECT_EQ(Trim("\t a b \r\n"), "a b");
    EXPECT_EQ(StringReplace("US$12US$", "us$", "", true), "12");
}
