// Native tests of the string helpers: the standard integer conversion, splitting and formatting.
#include "core/UNI_Strings.h"

#include <gtest/gtest.h>

using namespace lvx;

TEST(StrToInt, AcceptsDecimalWithBlanksAndSign)
{
    EXPECT_EQ(StrToInt("0"), 0);
    EXPECT_EQ(StrToInt("  42"), 42);
    EXPECT_EQ(StrToInt("+7"), 7);
    EXPECT_EQ(StrToInt("-15"), -15);
    EXPECT_EQ(StrToInt("007"), 7);
    EXPECT_EQ(StrToInt("2147483647"), 2147483647);
    EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
}

TEST(StrToInt, AcceptsEveryHexPrefixInEitherCase)
{
    EXPECT_EQ(StrToInt("$10"), 16);
    EXPECT_EQ(StrToInt("x1f"), 31);
    EXPECT_EQ(StrToInt("X1F"), 31);
    EXPECT_EQ(StrToInt("0x10"), 16);
    EXPECT_EQ(StrToInt("0XaB"), 0xAB);
    EXPECT_EQ(StrToInt(" -$10"), -16);
    // All 32 bits may be used; the value wraps into the signed range.
    EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);
    EXPECT_EQ(StrToInt("0x80000000"), INT32_MIN);
}

TEST(StrToInt, RejectsWhatIsNotANumber)
{
    for (const char* text : {"", " ", "-", "+", "$", "x", "0x", "12a", "12 ", "1 2", "+-1", "\t5", "- 5", "$G",
                             "0x1G", "1.5", "2147483648", "-2147483649", "$100000000", "99999999999999999999"})
        EXPECT_FALSE(StrToInt(text).has_value()) << '"' << text << '"';
    // A NUL inside the text is not the end of it.
    EXPECT_FALSE(StrToInt(std::string_view("12\0" "3", 4)).has_value());
}

TEST(SplitLines, TakesEveryLineEndAndKeepsEmptyLines)
{
    const auto lines = SplitLines("a\r\nb\nc\rd\r\n\r\ne");
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "a");
    EXPECT_EQ(lines[1], "b");
    EXPECT_EQ(lines[2], "c");
    EXPECT_EQ(lines[3], "d");
    EXPECT_EQ(lines[4], "");
    EXPECT_EQ(lines[5], "e");
    EXPECT_TRUE(SplitLines("").empty());
    EXPECT_EQ(SplitLines("one\r\n").size(), 1u);
    EXPECT_EQ(SplitLines("\r\r\n").size(), 2u);  // CR, then CR LF: two empty lines
    EXPECT_EQ(SplitLines("no end").front(), "no end");
}

TEST(ReplaceControlChars, ReplacesOnlyCodesBelow32)
{
    const std::string text("a\tb\nc\x1f" "d\x7f\xc0 \0e", 12);
    EXPECT_EQ(ReplaceControlChars(text, "?"), std::string("a?b?c?d\x7f\xc0 ?e"));
    EXPECT_EQ(ReplaceControlChars("\r\n", "<>"), "<><>");
    EXPECT_EQ(ReplaceControlChars("x\n", ""), "x");
    EXPECT_EQ(ReplaceControlChars("", "?"), "");
}

TEST(UpperCaseAscii, LeavesOtherBytesAlone)
{
    EXPECT_EQ(UpperCaseAscii("wm_Paint_1"), "WM_PAINT_1");
    EXPECT_EQ(UpperCaseAscii("\xe0\xff"), "\xe0\xff");  // Cyrillic letters in CP1251 keep their case
}

TEST(Formatting, HandlesIdsAndGeometry)
{
    EXPECT_EQ(FormatHandle(0), "00000000");
    EXPECT_EQ(FormatHandle(0x1a2b), "00001A2B");
    EXPECT_EQ(FormatHandle(0xFFFFFFFF), "FFFFFFFF");
    EXPECT_EQ(FormatHex(0x7FF612340000ull, 8), "7FF612340000");
    EXPECT_EQ(FormatHex(0xFFFFFFFFFFFFFFFFull, 8), "FFFFFFFFFFFFFFFF");
    EXPECT_EQ(FormatHex(0x400000, 8), "00400000");
    EXPECT_EQ(FormatHex(0, 1), "0");
    EXPECT_EQ(FormatPoint(-8, 1200), "(-8,1200)");
    EXPECT_EQ(FormatSize(420, 0), "420x0");
    EXPECT_EQ(FormatPoint(INT32_MIN, INT32_MAX), "(-2147483648,2147483647)");
}

TEST(ParseNumberNotation, EveryHexPrefixAndPlainDecimal)
{
    for (const char* text : {"0x10", "$10", "&h10", "&H10", "#10", "16", " 16 ", "0X10", "x10", "+16"})
        EXPECT_EQ(ParseNumberNotation(text), 16u) << text;
    EXPECT_EQ(ParseNumberNotation("#0"), 0u);
    EXPECT_EQ(ParseNumberNotation("-1"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseNumberNotation("$ffffffff"), 0xFFFFFFFFu);
}

TEST(ParseNumberNotation, RejectsPrefixesWithoutDigitsAndStrayLetters)
{
    for (const char* text : {"#", "$", "0x", "&h", "$G", "#1G", "&h-1", "$-1", "", "  ", "WM_PAINT", "1O", "12 3"})
        EXPECT_FALSE(ParseNumberNotation(text).has_value()) << '"' << text << '"';
}

TEST(ParseNumberNotation, KeepsTheLowThirtyTwoBitsOfLongHexNumbers)
{
    EXPECT_EQ(ParseNumberNotation("$1FFFFFFFF"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseNumberNotation("0x123456789ABCDEF0"), 0x9ABCDEF0u);
    EXPECT_EQ(ParseNumberNotation("#10000000000000001"), 1u);  // past 64 bits the value wraps
    // The pointer-wide form keeps all 64 bits and takes 64-bit decimal numbers.
    EXPECT_EQ(ParseWideNumberNotation("0x123456789ABCDEF0"), 0x123456789ABCDEF0u);
    EXPECT_EQ(ParseWideNumberNotation("-1"), ~uint64_t{0});
    EXPECT_EQ(ParseWideNumberNotation("4294967296"), 0x100000000u);
    EXPECT_FALSE(ParseNumberNotation("4294967296").has_value());
    EXPECT_FALSE(ParseWideNumberNotation("&H").has_value());
}

TEST(FormatMessageText, FillsTheFirstPlaceholderOnly)
{
    EXPECT_EQ(FormatMessageText(" Cannot save %s.", "C:\\a%s.txt"), " Cannot save C:\\a%s.txt.");
    EXPECT_EQ(FormatMessageText("%s and %s", "x"), "x and %s");
    // Anything else that looks like a format stays as it is.
    EXPECT_EQ(FormatMessageText("100%% %d %n", "x"), "100%% %d %n");
}

TEST(StrToInt64, WidensTheSameSyntax)
{
    EXPECT_EQ(StrToInt64("$FFFFFFFFFFFFFFFF"), -1);
    EXPECT_EQ(StrToInt64("$FFFFFFFF"), 0xFFFFFFFFll);
    EXPECT_EQ(StrToInt64("0x7ff612340000"), 0x7FF612340000ll);
    EXPECT_EQ(StrToInt64("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(StrToInt64(" 9223372036854775807"), INT64_MAX);
    for (const char* text : {"", "$", "9223372036854775808", "$10000000000000000", "18446744073709551616", "1O"})
        EXPECT_FALSE(StrToInt64(text).has_value()) << text;
}

TEST(ShortVersion, DropsTenCharactersAfterTheThird)
{
    EXPECT_EQ(ShortVersion("1.2.0.0"), "1.2");
    EXPECT_EQ(ShortVersion("1.2.3.4 (build)"), "1.2d)");
    EXPECT_EQ(ShortVersion("1234567890123"), "123");
    EXPECT_EQ(ShortVersion("12345678901234"), "1234");
    EXPECT_EQ(ShortVersion("1"), "1");
    EXPECT_EQ(ShortVersion(""), "");
}
