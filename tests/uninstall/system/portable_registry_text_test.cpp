// Native tests of the registry text forms: paths, hexadecimal data, multi-strings, unsigned numbers.
#include "RegistryText.h"

#include <gtest/gtest.h>

using namespace lvu;

namespace {

std::string Bytes(std::initializer_list<int> values)
{
    std::string bytes;
    for (const int value : values) bytes += static_cast<char>(value);
    return bytes;
}

TEST(RegistryPathText, RootsAreRecognisedInAnyCaseAndTheRestIsTheSubKey)
{
    const RegistryPath machine = ParseRegistryPath("hKlM\\Software\\Vendor\\");
    EXPECT_EQ(machine.Root, RegistryRoot::LocalMachine);
    EXPECT_EQ(machine.SubKey, "Software\\Vendor");
    EXPECT_EQ(ParseRegistryPath("HKCR\\.txt").Root, RegistryRoot::ClassesRoot);
    EXPECT_EQ(ParseRegistryPath("hku\\.DEFAULT").Root, RegistryRoot::Users);
    EXPECT_EQ(ParseRegistryPath("HKCU\\A\\B").SubKey, ParseRegistryPath("HKCU\\A\\B\\").SubKey);

    // A root alone is the root itself, with or without its backslash.
    EXPECT_EQ(ParseRegistryPath("HKCU").SubKey, "");
    EXPECT_EQ(ParseRegistryPath("HKLM\\").Root, RegistryRoot::LocalMachine);
    EXPECT_EQ(ParseRegistryPath("HKLM\\").SubKey, "");
}

TEST(RegistryPathText, AnythingElseIsTheWholePathUnderTheCurrentUser)
{
    for (const char* path : {"Software\\Vendor", "HKCUX\\Software\\Vendor", "HKEY_LOCAL_MACHINE\\Software\\Vendor"}) {
        const RegistryPath parsed = ParseRegistryPath(path);
        EXPECT_EQ(parsed.Root, RegistryRoot::CurrentUser) << path;
        EXPECT_EQ(parsed.SubKey, path);
    }
    EXPECT_EQ(ParseRegistryPath("Software\\Vendor\\").SubKey, "Software\\Vendor");
}

TEST(RegistryPathText, LastKeyIsSplitOffItsParent)
{
    EXPECT_EQ(SplitLastKey("Software\\A\\B").Parent, "Software\\A");
    EXPECT_EQ(SplitLastKey("Software\\A\\B").Name, "B");
    EXPECT_EQ(SplitLastKey("Software").Parent, "");
    EXPECT_EQ(SplitLastKey("Software").Name, "Software");
    // The root itself has no last key, so there is nothing a removal could name.
    EXPECT_EQ(SplitLastKey(ParseRegistryPath("HKLM\\").SubKey).Name, "");
}

TEST(RegistryDataText, HexadecimalPairsBecomeBytes)
{
    EXPECT_EQ(BinaryFromHex("0A 1b FF"), (std::vector<uint8_t>{10, 27, 255}));
    EXPECT_EQ(BinaryFromHex("0 A1 b"), (std::vector<uint8_t>{10, 27}));  // blanks go before pairing
    EXPECT_EQ(BinaryFromHex("zz01G1"), (std::vector<uint8_t>{0, 1, 0}));  // a bad pair is 0, not skipped
    EXPECT_EQ(BinaryFromHex("ABC"), (std::vector<uint8_t>{0xAB}));        // an odd last digit is ignored
    EXPECT_TRUE(BinaryFromHex("").empty());
    EXPECT_TRUE(BinaryFromHex("   ").empty());

    const uint8_t data[] = {0x00, 0x0a, 0xff, 0x7B};
    EXPECT_EQ(HexFromBinary(data, sizeof data), "000AFF7B");
    EXPECT_EQ(HexFromBinary(data, 0), "");
}

TEST(RegistryDataText, MultiStringsTurnLinesIntoZeroTerminatedStrings)
{
    EXPECT_EQ(MultiStringData("a\r\nb"), Bytes({'a', 0, 'b', 0, 0}));
    EXPECT_EQ(MultiStringData("a\rb\nc"), Bytes({'a', 0, 'b', 'c', 0, 0}));  // lone LF is dropped
    EXPECT_EQ(MultiStringData(""), Bytes({0, 0}));

    EXPECT_EQ(MultiStringText(Bytes({'a', 0, 'b', 0, 0})), "a\r\nb");
    EXPECT_EQ(MultiStringText(Bytes({'a', 0, 'b', 0})), "a\r\nb");  // one terminator is enough
    EXPECT_EQ(MultiStringText(Bytes({'a', 0, 'b'})), "a\r\nb");     // and none is tolerated
    EXPECT_EQ(MultiStringText(Bytes({'a', 0, 0, 0})), "a\r\n");     // only two are dropped
    EXPECT_EQ(MultiStringText(""), "");
    EXPECT_EQ(MultiStringText(MultiStringData("one\r\ntwo\r\nthree")), "one\r\ntwo\r\nthree");
}

TEST(RegistryDataText, UnsignedDecimalsCoverTheWholeDwordRange)
{
    EXPECT_EQ(ParseUnsignedDecimal("0", 9), 0u);
    EXPECT_EQ(ParseUnsignedDecimal("  +42", 9), 42u);
    EXPECT_EQ(ParseUnsignedDecimal("2147483647", 9), 2147483647u);
    EXPECT_EQ(ParseUnsignedDecimal("2147483648", 9), 2147483648u);
    EXPECT_EQ(ParseUnsignedDecimal("4294967295", 9), 4294967295u);
    EXPECT_EQ(ParseUnsignedDecimal("004294967295", 9), 4294967295u);
    EXPECT_EQ(ParseUnsignedDecimal("-1", 9), 4294967295u);  // a signed number keeps its bits
    EXPECT_EQ(ParseUnsignedDecimal("-2147483648", 9), 2147483648u);
}

TEST(RegistryDataText, WhatIsNoDwordGivesTheDefault)
{
    for (const char* text : {"", " ", "abc", "12a", "1 2", "12 ", "0x10", "$10", "1.5", "+", "-", "4294967296",
                             "4294967299", "9999999999", "42949672950", "-21474836480", "-21474836489", "2147483648-"})
        EXPECT_EQ(ParseUnsignedDecimal(text, 7), 7u) << '"' << text << '"';
}

}  // namespace
