// Native tests of the language file reader: sections, keys, sorting, duplicates and bad input.
#include "language/LanguageFile.h"

#include <gtest/gtest.h>

#include <string>

using namespace lvx;

namespace {

LanguageData Parsed(std::string_view content)
{
    LanguageData data;
    EXPECT_EQ(data.Parse(content), LanguageData::ParseResult::Ok);
    return data;
}

TEST(LanguageFile, KeysIgnoreCaseButSectionNamesDoNot)
{
    const LanguageData data = Parsed("[StylesForm]\r\ncaption=Styles\r\n[stylesform]\r\nCaption=Other\r\n");
    EXPECT_EQ(data.LookupText(data.LookupSection("StylesForm"), "Caption"), "Styles");
    EXPECT_EQ(data.LookupText(data.LookupSection("StylesForm"), "CAPTION"), "Styles");
    EXPECT_EQ(data.LookupSection("STYLESFORM"), -1);
    EXPECT_EQ(data.LookupText(data.LookupSection("STYLESFORM"), "Caption"), UntranslatedText);
    EXPECT_EQ(data.LookupText(data.LookupSection("stylesform"), "Caption"), "Other");
    // Cyrillic letters are compared without case as well.
    const LanguageData cyrillic = Parsed("[A]\n\xCA\xEB\xFE\xF7=1\n");  // "Ключ"
    EXPECT_EQ(cyrillic.LookupText(0, "\xEA\xCB\xDE\xD7"), "1");       // "кЛЮЧ"
}

TEST(LanguageFile, NothingIsTrimmedAndTheValueKeepsLaterEqualSigns)
{
    const LanguageData data = Parsed("[F]\nCaption=a=b\nTitle = X\nUnfreeze thread=Resume\n =blank key\n");
    const int section = data.LookupSection("F");
    EXPECT_EQ(data.LookupText(section, "Caption"), "a=b");
    EXPECT_EQ(data.LookupText(section, "Title"), UntranslatedText);
    EXPECT_EQ(data.LookupText(section, "Title "), " X");
    EXPECT_EQ(data.LookupText(section, "Unfreeze thread"), "Resume");
    EXPECT_EQ(data.LookupText(section, "Unfreezethread"), UntranslatedText);
    EXPECT_EQ(data.LookupText(section, " "), "blank key");
}

TEST(LanguageFile, AHeaderLineWithAnEqualSignIsAnEntry)
{
    const LanguageData data = Parsed("[Main]\n[StylesForm]=x\nKey=1\n");
    ASSERT_EQ(data.SectionCount(), 1u);
    EXPECT_EQ(data.LookupSection("StylesForm"), -1);
    EXPECT_EQ(data.LookupText(0, "[StylesForm]"), "x");
    EXPECT_EQ(data.LookupText(0, "Key"), "1");
}

TEST(LanguageFile, HeadersTakeTheTextUpToTheFirstBracket)
{
    const LanguageData data = Parsed("[A]]\na=1\n[No end\nb=2\n[]\nc=3\n[ Spaced ]\nd=4\n; comment\nignored line\n");
    EXPECT_EQ(data.LookupText(data.LookupSection("A"), "a"), "1");
    EXPECT_EQ(data.LookupSection(""), 1);  // the header without "]" has the empty name, and comes first
    EXPECT_EQ(data.LookupText(1, "b"), "2");
    EXPECT_EQ(data.LookupText(2, "c"), "3");
    EXPECT_EQ(data.LookupText(data.LookupSection(" Spaced "), "d"), "4");
    EXPECT_EQ(data.SectionCount(), 4u);
}

TEST(LanguageFile, OfTwoValuesForOneKeyTheLineThatSortsFirstWins)
{
    const LanguageData data = Parsed("[S]\nCaption=B\nCaption=A\nOther=1\nother=2\nSame=x\nsame=X\n[S]\nCaption=C\n");
    EXPECT_EQ(data.LookupText(0, "Caption"), "A");
    EXPECT_EQ(data.LookupText(0, "other"), "1");
    // "Same=x" and "same=X" are one line ignoring case: the first in the file stays.
    EXPECT_EQ(data.LookupText(0, "SAME"), "x");
    // Only the first of two sections with one name is ever found.
    EXPECT_EQ(data.LookupSection("S"), 0);
}

TEST(LanguageFile, EmptyValuesAndMissingKeysAreUntranslated)
{
    const LanguageData data = Parsed("[AllVars]\n_ERROR=Error\n_WARNING=\n");
    const int section = data.LookupSection("AllVars");
    EXPECT_EQ(data.LookupText(section, "_ERROR"), "Error");
    EXPECT_EQ(data.LookupText(section, "_WARNING"), UntranslatedText);
    EXPECT_EQ(data.LookupText(section, "_MESSAGE"), UntranslatedText);
    EXPECT_EQ(data.LookupText(-1, "_ERROR"), UntranslatedText);
    EXPECT_EQ(data.LookupText(7, "_ERROR"), UntranslatedText);
}

TEST(LanguageFile, AnEntryBeforeTheFirstHeaderMakesTheFileInvalid)
{
    LanguageData data;
    EXPECT_EQ(data.Parse("[Ok]\na=1\n"), LanguageData::ParseResult::Ok);
    EXPECT_EQ(data.Parse("; about this file\nKey=Value\n[Section]\n"), LanguageData::ParseResult::EntryBeforeHeader);
    EXPECT_EQ(data.SectionCount(), 0u);
    EXPECT_EQ(data.Parse("a=b"), LanguageData::ParseResult::EntryBeforeHeader);
}

TEST(LanguageFile, BadInputIsReadAsItIs)
{
    LanguageData data;
    EXPECT_EQ(data.Parse(""), LanguageData::ParseResult::Ok);
    EXPECT_EQ(data.SectionCount(), 0u);
    // No line ends at all.
    EXPECT_EQ(data.Parse("[Only a header]"), LanguageData::ParseResult::Ok);
    EXPECT_EQ(data.LookupSection("Only a header"), 0);
    // A NUL byte is an ordinary byte of its line.
    const std::string withNul("[S]\nKey=a\0b\nNext=2\n", 19);
    EXPECT_EQ(data.Parse(withNul), LanguageData::ParseResult::Ok);
    EXPECT_EQ(data.LookupText(0, "Key"), std::string("a\0b", 3));
    EXPECT_EQ(data.LookupText(0, "Next"), "2");
    // A 100,000-character line.
    const std::string longValue(100000, 'v');
    EXPECT_EQ(data.Parse("[S]\nLong=" + longValue + "\n"), LanguageData::ParseResult::Ok);
    EXPECT_EQ(data.LookupText(0, "Long"), longValue);
    // Binary bytes without any structure.
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary.push_back(static_cast<char>((i * 131 + 7) & 0xFF));
    data.Parse(binary);  // whatever it finds, it must not fail
}

TEST(LanguageFile, ManyEntriesStaySearchable)
{
    std::string content = "[Big]\r\n";
    for (int i = 0; i < 100000; ++i) content += "Key" + std::to_string(i) + "=Value" + std::to_string(i) + "\r\n";
    const LanguageData data = Parsed(content);
    EXPECT_EQ(data.LookupText(0, "key99999"), "Value99999");
    EXPECT_EQ(data.LookupText(0, "Key0"), "Value0");
    EXPECT_EQ(data.LookupText(0, "Key100000"), UntranslatedText);
}

TEST(CompareTextIgnoringCase, FoldsLatinAndCyrillicOnly)
{
    EXPECT_EQ(CompareTextIgnoringCase("ABC", "abc"), 0);
    EXPECT_EQ(CompareTextIgnoringCase("\xA8\xC0", "\xB8\xE0"), 0);  // "ЁА" and "ёа"
    EXPECT_LT(CompareTextIgnoringCase("ab", "abc"), 0);
    EXPECT_GT(CompareTextIgnoringCase("b", "A"), 0);
    EXPECT_NE(CompareTextIgnoringCase("[", "{"), 0);  // punctuation keeps its own code
}

}  // namespace
