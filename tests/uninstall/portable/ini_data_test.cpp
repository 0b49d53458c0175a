// Native tests of the uninstaller's INI reader core (line clean-up, sections, look-ups, writes, saving, bad input) and of the edits of other programs' INI files.
#include "log/IniData.h"
#include "log/IniEdit.h"
#include "log/LogFields.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace lvu;
using Lines = std::vector<std::string>;

namespace {

Lines LinesOf(IniData& data, std::string_view section)
{
    const Lines* lines = data.SectionLines(section);
    return lines == nullptr ? Lines{"<no section>"} : *lines;
}

IniData Loaded(std::string_view text, IniSwitches switches = {})
{
    IniData data(switches);
    data.Load(text);
    return data;
}

TEST(IniLoad, CleansLinesAsEachSwitchSays)
{
    constexpr char messy[] = "[S]\r\nKey \t= \t'quoted value'\r\nMixed='single\"\r\nEmpty=\"\"\r\nOne=\"\r\n=\"no key\"\r\n"
                             "= spaced\r\n; comment=1\r\nno equals\r\nTwice=''x''\r\n  \x01Indented=1 \x1F \r\n";
    IniData all = Loaded(messy);
    EXPECT_EQ(LinesOf(all, "S"), (Lines{"Key=quoted value", "Mixed='single\"", "Empty=", "One=\"", "=\"no key\"", "=spaced",
                                         "Twice='x'", "Indented=1"}));
    EXPECT_EQ(Loaded(messy, {.Comments = false}).ReadString("S", "; comment", "-"), "1");
    IniData keepAll = Loaded(messy, {.DropLinesWithoutEquals = false});
    EXPECT_EQ(LinesOf(keepAll, "S")[6], "no equals");
    EXPECT_EQ(keepAll.ReadString("S", "no equals", "-"), "-");  // a line without "=" has no key
    // The blank after "=" hides the quote from the quote switch.
    EXPECT_EQ(Loaded(messy, {.TrimAroundEquals = false}).ReadString("S", "Key \t", "-"), " \t'quoted value'");
    EXPECT_EQ(Loaded(messy, {.StripQuotes = false}).ReadString("S", "Key", "-"), "'quoted value'");
}

TEST(IniLoad, LinesEndAtCarriageReturnsAndHeadersNeedBothBrackets)
{
    constexpr char text[] = "before=dropped\r[A]\rk1=1\r\n\nk2=2\n\r\x1A\rk3=a\0b\r\n[B]\nk4=4\r\n"
                            "[]\r\n=empty name\r\n[ Spaced ]\r\n[a=b]\r\n[NoEnd\r\n[NoEnd=1\r\n";
    IniData data = Loaded({text, sizeof text - 1});
    EXPECT_EQ(data.ReadSections(), (Lines{"A", "", " Spaced ", "a=b"}));
    // With line feeds alone "[B]" is no header: its line runs on.
    EXPECT_EQ(LinesOf(data, "A"), (Lines{"k1=1", "k2=2", std::string("k3=a\0b", 6), "[B]k4=4"}));
    EXPECT_EQ(data.ReadString("", "", "-"), "empty name");
    EXPECT_EQ(LinesOf(data, "a=b"), Lines{"[NoEnd=1"});
}

TEST(IniLoad, OnlyTheFirstSectionOfANameIsSeen)
{
    IniData twice = Loaded("[Strings]\r\nAppID=First\r\n1=Caption\r\n[strings]\r\nAppID=Second\r\n2=Second only\r\n");
    ASSERT_EQ(twice.SectionCount(), 1u);
    EXPECT_EQ(LinesOf(twice, "STRINGS"), (Lines{"AppID=First", "1=Caption"}));
    EXPECT_TRUE(twice.Modified());
    // Cyrillic names match across case too; first occurrences keep their order.
    IniData data = Loaded("[\xD1\xEF\xE8\xF1\xEE\xEA]\r\na=1\r\n[Display]\r\nb=2\r\n[\xF1\xEF\xC8\xF1\xEE\xEA]\r\na=3\r\n[Last]\r\nc=5\r\n");
    EXPECT_EQ(data.ReadSections(), (Lines{"\xD1\xEF\xE8\xF1\xEE\xEA", "Display", "Last"}));
    EXPECT_EQ(data.ReadString("\xF1\xCF\xE8\xD1\xEE\xEA", "A", "-"), "1");
    EXPECT_FALSE(Loaded("[A]\r\nk=1\r\n[B]\r\nk=2\r\n").Modified());
}

TEST(IniLookup, KeysMatchWithoutCaseAndTheFirstLineWins)
{
    IniData data = Loaded("[S]\r\nKey=1\r\nKEY=2\r\n\xCA\xEB\xFE\xF7=cyr\r\nvalue=a=b\r\n");
    EXPECT_EQ(data.ReadString("s", "key", "-"), "1");
    EXPECT_EQ(data.ReadString("S", "\xEA\xCB\xDE\xD7", "-"), "cyr");
    EXPECT_EQ(data.ReadString("S", "value", "-"), "a=b");
    EXPECT_EQ(data.ReadString("Missing", "Key", "-"), "-");
    EXPECT_EQ(data.ReadSection("S"), (Lines{"Key", "KEY", "\xCA\xEB\xFE\xF7", "value"}));
    EXPECT_TRUE(SameTextIgnoringCase("\xC0\xDF\xA8", "\xE0\xFF\xB8"));  // А Я Ё
    EXPECT_FALSE(SameTextIgnoringCase("\x80", "\x90"));              // other letters of 1251 keep their case
    EXPECT_FALSE(SameTextIgnoringCase("@", "`"));
}

TEST(IniLookup, LargeSectionsAgreeWithAScanThroughWritesAndDeletes)
{
    std::string text = "[Big]\r\n";
    for (int i = 0; i < 3000; ++i) text += (i < 2000 ? "Key" : "key") + std::to_string(i % 2000) + "=" + std::to_string(i) + "\r\n";
    IniData data = Loaded(text);
    const auto expectScanAgrees = [&data](const char* when) {
        const Lines lines = LinesOf(data, "Big");
        for (int i = 0; i < 3300; ++i) {
            const std::string key = "KEY" + std::to_string(i);
            std::string scanned = "<none>";
            for (const std::string& line : lines) {
                if (SameTextIgnoringCase(NamePart(line), key)) {
                    scanned = ValuePart(line);
                    break;
                }
            }
            ASSERT_EQ(data.ReadString("Big", key, "<none>"), scanned) << key << " " << when;
        }
    };
    expectScanAgrees("after loading");
    ASSERT_TRUE(data.DeleteKey("Big", "key5"));  // "key5=2005" becomes the first of its key
    expectScanAgrees("after a delete");
    // Past 4,096 lines the index outgrows its table and is rebuilt.
    for (int i = 2000; i < 3200; ++i) data.WriteString("Big", "Key" + std::to_string(i), "new");
    data.WriteString("Big", "KEY7", "replaced");
    EXPECT_EQ(LinesOf(data, "Big")[6], "KEY7=replaced");  // in place, with the key as written now
    expectScanAgrees("after writes");
}

TEST(IniLookup, SectionSearchWrapsAroundTheCursor)
{
    IniData data = Loaded("[A]\r\na=1\r\n[B]\r\nb=1\r\n[C]\r\nc=1\r\n[D]\r\nd=1\r\n[E]\r\ne=1\r\n");
    EXPECT_EQ(data.FindSection("d"), 3);
    EXPECT_EQ(data.FindSection("B"), 1);  // before the cursor
    EXPECT_EQ(data.FindSection("e"), 4);  // after it
    EXPECT_EQ(data.FindSection("F"), -1);
    data.EraseSection("b");
    EXPECT_EQ(data.FindSection("E"), 3);
    data.WriteString("B", "b", "2");  // created again, at the end
    EXPECT_EQ(data.FindSection("B"), 4);
    EXPECT_EQ(data.ReadString("c", "C", "-"), "1");
}

TEST(IniRead, IntegersAndTruthValues)
{
    IniData data = Loaded("[N]\r\nHex=0x1F\r\nUpper=0X1f\r\nDollar=$1F\r\nSpaced='  -7'\r\nTrailing='7 '\r\nWord=abc\r\n"
                          "Bare=0x\r\nAllBits=$FFFFFFFF\r\nZero=0\r\n");
    const std::pair<const char*, int32_t> expected[] = {{"Hex", 31},      {"Upper", 31}, {"Dollar", 31}, {"Spaced", -7},
                                                        {"Trailing", 99}, {"Word", 99},  {"Bare", 99},   {"AllBits", -1},
                                                        {"Missing", 99}};
    for (const auto& [key, value] : expected) EXPECT_EQ(data.ReadInteger("N", key, 99), value) << key;
    EXPECT_FALSE(data.ReadBool("N", "Zero", true));
    EXPECT_TRUE(data.ReadBool("N", "AllBits", false));
    EXPECT_TRUE(data.ReadBool("N", "Word", true));
    EXPECT_FALSE(data.ReadBool("N", "Word", false));

    const std::pair<const char*, int32_t> good[] = {{"  +12", 12}, {"-2147483648", INT32_MIN}, {"2147483647", INT32_MAX},
                                                    {"-0", 0},     {"0000000000000000000042", 42}, {"$80000000", INT32_MIN},
                                                    {"-$1", -1},   {"-$FFFFFFFF", 1},          {"$00000000000aBc", 0xABC}};
    for (const auto& [text, value] : good) EXPECT_EQ(StrToIntUninstall(text), value) << text;
    for (const char* bad : {"", " ", "+", "$", "-$", "2147483648", "-2147483649", "99999999999999999999", "$100000000",
                            "0x10", "1 ", "\t1", "12a", "$G", "--1", "$-1"}) {
        EXPECT_FALSE(StrToIntUninstall(bad).has_value()) << '"' << bad << '"';
    }
}

TEST(IniWrite, ChangesSetTheModifiedFlagOnlyWhenTheyChangeSomething)
{
    IniData data = Loaded("[A]\r\nk=1\r\nK=dup\r\nother=x\r\n[B]\r\nb=1\r\n");
    data.WriteString("A", "k", "1");
    EXPECT_FALSE(data.DeleteKey("A", "missing"));
    data.EraseSection("Missing");
    EXPECT_FALSE(data.Modified());
    data.WriteString("A", "K", "1");  // same value, key spelled differently: the line changes
    EXPECT_TRUE(data.Modified());
    data.SetModified(false);
    EXPECT_TRUE(data.DeleteKey("A", "k"));
    EXPECT_TRUE(data.Modified());
    EXPECT_EQ(LinesOf(data, "A"), (Lines{"K=dup", "other=x"}));

    data.WriteInteger("New", "n", -5);
    data.WriteBool("New", "t", true);
    data.WriteBool("New", "f", false);
    EXPECT_EQ(LinesOf(data, "New"), (Lines{"n=-5", "t=1", "f=0"}));
    data.WriteString("B", "", "ignored");  // an empty key erases the section
    data.WriteString("", "", "v");         // but not when the section name is empty too
    EXPECT_EQ(data.ReadSections(), (Lines{"A", "New", ""}));
    EXPECT_EQ(LinesOf(data, ""), Lines{"=v"});
}

TEST(IniSections, ReadSectionValuesPutsTheSectionsLinesFirst)
{
    IniData data = Loaded("[S]\r\nA=1\r\nb=2\r\n");
    Lines list{"B=old", "X=keep", "no equals", "x=again"};
    data.ReadSectionValues("S", list);
    EXPECT_EQ(list, (Lines{"A=1", "b=2", "X=keep", "no equals", "x=again"}));
    data.ReadSectionValues("Missing", list);
    EXPECT_EQ(list.size(), 5u);
}

TEST(IniSave, WritesSectionsWithLinesInCrLfAndSurvivesTheRoundTrip)
{
    IniData data = Loaded("[Empty]\r\n[]\r\n[Full]\r\nk = 'v'\r\nk2=\r\n[Last]\r\n;c\r\nz=1");
    EXPECT_EQ(data.Serialize(), "[Full]\r\nk=v\r\nk2=\r\n\r\n[Last]\r\nz=1\r\n\r\n");
    // An empty section kept in memory is filled in its place; an emptied one is left out.
    data.WriteString("Empty", "e", "1");
    ASSERT_TRUE(data.DeleteKey("Full", "k") && data.DeleteKey("Full", "k2"));
    EXPECT_EQ(data.Serialize(), "[Empty]\r\ne=1\r\n\r\n[Last]\r\nz=1\r\n\r\n");

    IniData first = Loaded(
        "; written by the installer\r\n[Strings]\r\nAppID={6F1C-22}\r\n10=Deleting %s||please wait\r\n"
        "[Display]\r\nTitleFont=\"Tahoma,10,0,BI\"\r\nProgressColor=0x00C1A9A6\r\n"
        "[RunApp]\r\n1=\"C:\\Program Files\\Narvolt\\cleanup.exe\",\"/quiet\",,0,\"Cleaning, please wait\",1,0\r\n"
        "[AddReg]\r\nHKLM\\SOFTWARE\\Narvolt\\'Path\\Name'=1,C:\\Old\r\n[CopyFiles]\r\nC:\\Program Files\\Narvolt\\lvx.hlp=1\r\n");
    const std::string saved = first.Serialize();
    IniData second = Loaded(saved);
    EXPECT_FALSE(second.Modified());
    EXPECT_EQ(second.ReadSections(), first.ReadSections());
    for (const std::string& name : first.ReadSections()) EXPECT_EQ(LinesOf(second, name), LinesOf(first, name)) << name;
    EXPECT_EQ(second.Serialize(), saved);
}

// Other programs' INI files: each edit changes the one line the reader finds and no other byte.
std::string Edited(const IniEdit& edit)
{
    switch (edit.Outcome) {
    case IniEditOutcome::Changed: return edit.Bytes;
    case IniEditOutcome::Unchanged: return "<unchanged>";
    case IniEditOutcome::Refused: return "<refused>";
    }
    return "<?>";
}

TEST(IniEdit, OnlyTheReadersLineChangesInARealisticFile)
{
    const std::string head = "; Demo settings\r\n[Main]\r\n  Name = \"Old Value\"  \r\nno equals here\r\n";
    const std::string tail = "; about Other\r\n\r\n[Other]\r\nx=1\r\n[main]\r\nLater=only here\r\nName=second\r\n";
    const std::string file = head + tail;
    // The line keeps its layout and its quotes; the later [main] is not the reader's.
    EXPECT_EQ(Edited(SetIniValue(file, "MAIN", "name", "New")),
              "; Demo settings\r\n[Main]\r\n  Name = \"New\"  \r\nno equals here\r\n" + tail);
    EXPECT_EQ(Edited(SetIniValue(file, "Main", "Name", "Old Value")), "<unchanged>");
    // A new key follows the section's last line that is neither blank nor a comment.
    EXPECT_EQ(Edited(SetIniValue(file, "Main", "Later", "v")), head + "Later=v\r\n" + tail);
    EXPECT_EQ(Edited(DeleteIniKey(file, "main", "NAME")),
              "; Demo settings\r\n[Main]\r\nno equals here\r\n" + tail);
    EXPECT_EQ(Edited(DeleteIniKey(file, "Main", "Later")), "<unchanged>");
    EXPECT_EQ(Edited(DeleteIniKey(file, "None", "x")), "<unchanged>");
    EXPECT_EQ(Edited(SetIniValue(file, "New", "k", "v")), file + "[New]\r\nk=v\r\n");
    // What the edits write, the reader reads back.
    IniData data = Loaded(Edited(SetIniValue(Edited(SetIniValue(file, "Other", "y", " padded ")), "Other", "q", "'q'")));
    EXPECT_EQ(data.ReadString("Other", "y", "-"), " padded ");
    EXPECT_EQ(data.ReadString("Other", "q", "-"), "'q'");
    EXPECT_EQ(data.ReadString("Main", "Name", "-"), "Old Value");
}

TEST(IniEdit, LineEndsAndByteOrderMarksStayAsTheFileHasThem)
{
    EXPECT_EQ(Edited(SetIniValue("[A]\nk=1\n", "A", "k", "2")), "[A]\nk=2\n");
    EXPECT_EQ(Edited(SetIniValue("[A]\nk=1", "A", "n", "2")), "[A]\nk=1\nn=2\n");
    EXPECT_EQ(Edited(SetIniValue("[A]\nk=1", "B", "n", "2")), "[A]\nk=1\n[B]\nn=2\n");
    EXPECT_EQ(Edited(SetIniValue("[A]\rk=1\r", "A", "n", "2")), "[A]\rk=1\rn=2\r");
    EXPECT_EQ(Edited(SetIniValue("", "A", "k", "1")), "[A]\r\nk=1\r\n");
    EXPECT_EQ(Edited(SetIniValue("[A]\r\nk=1\r\n\x1A", "B", "n", "2")), "[A]\r\nk=1\r\n[B]\r\nn=2\r\n\x1A");
    const std::string bom = "\xEF\xBB\xBF";
    EXPECT_EQ(Edited(SetIniValue(bom + "[A]\r\nk=1\r\n", "A", "k", "2")), bom + "[A]\r\nk=2\r\n");
    EXPECT_EQ(Edited(DeleteIniKey(bom + "[A]\r\nk=1\r\n", "a", "K")), bom + "[A]\r\n");
    // ANSI text has no place in a UTF-8 file.
    EXPECT_EQ(Edited(SetIniValue(bom + "[A]\r\n", "A", "k", "\xC0")), "<refused>");
}

TEST(IniEdit, WhatCannotBeTakenApartSafelyIsRefused)
{
    const std::string utf16("\xFF\xFE[\0A\0]\0\r\0\n\0k\0=\0001\0", 18);
    for (const std::string& file : {utf16, std::string("\xFE\xFF\0[", 4), std::string("[A]\r\nk=\0\r\n", 10),
                                    std::string("[A]\r\nk=1\nm=2\r\n")}) {
        EXPECT_EQ(Edited(SetIniValue(file, "A", "k", "2")), "<refused>");
        EXPECT_EQ(Edited(DeleteIniKey(file, "A", "k")), "<refused>");
    }
    for (const char* key : {"", "a=b", " a", "a\t", ";a", "[a", "a\rb"})
        EXPECT_EQ(Edited(SetIniValue("[A]\r\n", "A", key, "1")), "<refused>") << key;
    EXPECT_EQ(Edited(SetIniValue("[A]\r\n", "A", "k", "1\r\n[B]")), "<refused>");
    EXPECT_EQ(Edited(SetIniValue("[A]\r\n", "A\n", "k", "1")), "<refused>");
}

TEST(IniBadInput, NothingUsableLoadsAsLittleOrNothing)
{
    IniData data = Loaded("");
    EXPECT_EQ(data.ReadString("", "", "d"), "d");
    data.Load("[A]k=v");  // no line end at all: one line, and not a header
    EXPECT_EQ(data.SectionCount(), 0u);

    constexpr char withNul[] = "[A\0]\r\n\0=\0\r\nk=\"unterminated\r\nq='\r\n";
    data.Load({withNul, sizeof withNul - 1});
    // NUL is trimmed at the ends of a line and kept inside a header's name.
    EXPECT_EQ(LinesOf(data, {"A\0", 2}), (Lines{"=", "k=\"unterminated", "q='"}));

    uint32_t seed = 1;
    std::string bytes(4 << 20, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) {
        seed = seed * 1664525u + 1013904223u;
        bytes[i] = i % 97 == 0 ? "[]=\r"[(seed >> 8) % 4] : static_cast<char>(seed >> 24);
    }
    data.Load(bytes);
    const Lines names = data.ReadSections();
    for (size_t i = 0; i < names.size(); ++i) {
        ASSERT_EQ(data.FindSection(names[i]), static_cast<int>(i));
        for (const std::string& key : data.ReadSection(names[i])) (void)data.ReadInteger(names[i], key, 0);
    }
    data.Load(data.Serialize());
}

TEST(IniBadInput, HugeLinesAndManySectionsStayFast)
{
    const std::string longKey(100000, 'K');
    IniData data = Loaded("[L]\r\n" + longKey + "=" + std::string(100000, 'v') + "\r\n[" + longKey + "]\r\nk=1\r\n");
    EXPECT_EQ(data.ReadString("L", std::string(100000, 'k'), "-").size(), 100000u);
    EXPECT_EQ(data.ReadString(longKey, "k", "-"), "1");

    std::string many;
    for (int i = 0; i < 100000; ++i) many += "[Section" + std::to_string(i) + "]\r\nk=" + std::to_string(i) + "\r\n";
    data.Load(many);
    ASSERT_EQ(data.SectionCount(), 100000u);
    for (int i = 99999; i >= 0; i -= 7) ASSERT_EQ(data.ReadInteger("SECTION" + std::to_string(i), "K", -1), i);
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(data.FindSection("Absent" + std::to_string(i)), -1);

    // Every key of one section of 200,000 lines: a scan per key would not finish in time.
    std::string big = "[CopyFiles]\r\n";
    for (int i = 0; i < 200000; ++i) big += "C:\\Program Files\\Narvolt\\File" + std::to_string(i) + ".dll=1\r\n";
    data.Load(big);
    size_t found = 0;
    for (const std::string& key : data.ReadSection("copyfiles")) found += data.ReadString("CopyFiles", key, "").size();
    EXPECT_EQ(found, 200000u);
}

}  // namespace
