// Native tests of the install log's line parts, comma fields, words, registry references and line breaks.
#include "log/LogFields.h"

#include <gtest/gtest.h>

#include <string>

using namespace lvu;

namespace {

TEST(LogFields, LinePartsSplitAtTheFirstOrLastEqualsSign)
{
    EXPECT_EQ(NamePart("C:\\a=b.txt=1"), "C:\\a");
    EXPECT_EQ(ValuePart("C:\\a=b.txt=1"), "b.txt=1");
    EXPECT_EQ(PathPart("C:\\a=b.txt=1"), "C:\\a=b.txt");
    EXPECT_EQ(NamePart("no equals"), "no equals");
    EXPECT_EQ(ValuePart("no equals"), "");
    EXPECT_EQ(PathPart("no equals"), "no equals");
}

TEST(LogFields, CommaFieldsHonourQuotes)
{
    const std::string run = "\"C:\\Program Files\\x.exe\",'/a, /b',,2,\"Status, text\"";
    const char* fields[] = {"\"C:\\Program Files\\x.exe\"", "/a, /b", "", "2", "\"Status, text\"", ""};
    for (int n = 1; n <= 6; ++n) EXPECT_EQ(DelimitedField(run, n), fields[n - 1]) << n;
    EXPECT_EQ(DelimitedField(run, 0), "");
    EXPECT_EQ(DelimitedField("'it''s, here',x", 1), "it's, here");
    EXPECT_EQ(DelimitedField("a\"b,c\"d,e", 1), "a\"b,c\"d");  // a quote inside a field opens a stretch too
    EXPECT_EQ(DelimitedField("1,\"unterminated, rest", 2), "\"unterminated, rest");
    EXPECT_EQ(DelimitedField("'unterminated, rest", 1), "unterminated, rest");
    EXPECT_EQ(DelimitedField("'ab'cd,e", 1), "abcd");
}

TEST(LogFields, WordsSkipRunsOfDelimitersWithoutQuoting)
{
    const std::string items = ";;C:\\A;;c:\\a ;\"x;y\"";
    EXPECT_EQ(Word(items, 1, ";"), "C:\\A");
    EXPECT_EQ(Word(items, 2, ";"), "c:\\a ");
    EXPECT_EQ(Word(items, 3, ";"), "\"x");
    EXPECT_EQ(Word(items, 4, ";"), "y\"");
    EXPECT_EQ(Word(items, 5, ";"), "");
    EXPECT_EQ(Word("1,C:\\Bin;D:\\Tools", 2, ","), "C:\\Bin;D:\\Tools");
}

TEST(LogFields, RegistryReferencesSplitAtTheLastUnquotedBackslash)
{
    std::string key, value;
    EXPECT_TRUE(SplitRegistryValueReference("HKCU\\Software\\'C:\\it''s\\x'", key, value));
    EXPECT_EQ(key + "|" + value, "HKCU\\Software|C:\\it's\\x");
    EXPECT_TRUE(SplitRegistryValueReference("HKCU\\Software\\\"a\\b\"", key, value));
    EXPECT_EQ(key + "|" + value, "HKCU\\Software|\"a\\b\"");  // double quotes stay
    EXPECT_TRUE(SplitRegistryValueReference("HKLM\\Key\\", key, value));  // the default value
    EXPECT_EQ(key + "|" + value, "HKLM\\Key|");
    EXPECT_FALSE(SplitRegistryValueReference("'No\\root'", key, value));
    EXPECT_EQ(key + "|" + value, "|No\\root");
}

TEST(LogFields, DoubleBarsBecomeLineBreaks)
{
    EXPECT_EQ(ExpandLineBreaks("one||two", false), "one\rtwo");
    EXPECT_EQ(ExpandLineBreaks("one||two", true), "one\r\ntwo");
    EXPECT_EQ(ExpandLineBreaks("|||", false), "\r|");
}

}  // namespace
