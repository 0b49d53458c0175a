// The engine's portable rules: progress rounding, status texts, run entry fields, extensions, sorting, environment items.
#include "engine/EngineRules.h"

#include <gtest/gtest.h>

using namespace lvu;

namespace {

TEST(ProgressPosition, RoundsToNearestWithHalvesToEven)
{
    EXPECT_EQ(ProgressPosition(1, 3), 33);    // 33.33
    EXPECT_EQ(ProgressPosition(2, 3), 67);    // 66.67
    EXPECT_EQ(ProgressPosition(1, 8), 12);    // 12.5 -> even 12
    EXPECT_EQ(ProgressPosition(3, 8), 38);    // 37.5 -> even 38
    EXPECT_EQ(ProgressPosition(1, 200), 0);   // 0.5 -> even 0
    EXPECT_EQ(ProgressPosition(3, 200), 2);   // 1.5 -> even 2
    EXPECT_EQ(ProgressPosition(5, 200), 2);   // 2.5 -> even 2
    EXPECT_EQ(ProgressPosition(7, 7), 100);
    // Nothing to count, or more steps than lines, never leave the bar's range.
    EXPECT_EQ(ProgressPosition(0, 0), 0);
    EXPECT_EQ(ProgressPosition(3, 0), 0);
    EXPECT_EQ(ProgressPosition(9, 7), 100);
    EXPECT_EQ(ProgressPosition(2147483647, 2147483646), 100);
    EXPECT_EQ(ProgressPosition(1073741823, 2147483646), 50);
}

TEST(FormatStatusText, PutsTheItemInAndLeavesEverythingElse)
{
    EXPECT_EQ(FormatStatusText("Deleting %s...", "C:\\a b\\c.txt"), "Deleting C:\\a b\\c.txt...");
    EXPECT_EQ(FormatStatusText("%s and %s", "x"), "x and x");
    EXPECT_EQ(FormatStatusText("100%% of %d %n %", "x"), "100% of %d %n %");
    EXPECT_EQ(FormatStatusText("line||next %s", "%s"), "line\rnext %s");
    EXPECT_EQ(FormatStatusText("", "x"), "");
}

TEST(ParseRunEntry, ReadsTheSevenFieldsWithTheirDefaults)
{
    const RunEntry full = ParseRunEntry("\"C:\\Program Files\\a.exe\",/x /y, \"C:\\Work\" ,2,\"Running, still\",0,0");
    EXPECT_EQ(full.File, "C:\\Program Files\\a.exe");
    EXPECT_EQ(full.Parameters, "/x /y");
    EXPECT_EQ(full.Folder, "C:\\Work");
    EXPECT_EQ(full.ShowMode, 2);
    EXPECT_EQ(full.Status, "Running, still");
    EXPECT_EQ(full.Wait, 0);
    EXPECT_EQ(full.CheckExitCode, 0);

    const RunEntry bare = ParseRunEntry("C:\\a.exe");
    EXPECT_EQ(bare.File, "C:\\a.exe");
    EXPECT_EQ(bare.ShowMode, 1);
    EXPECT_EQ(bare.Wait, 1);
    EXPECT_EQ(bare.CheckExitCode, 1);

    const RunEntry odd = ParseRunEntry(",,,x,\",y,");
    EXPECT_EQ(odd.File, "");
    EXPECT_EQ(odd.ShowMode, 1);
    EXPECT_EQ(odd.Wait, 1);
    EXPECT_EQ(ParseRunEntry(std::string(100000, ',')).CheckExitCode, 1);
}

TEST(FileExtensions, AreReplacedInTheLastPartOnly)
{
    EXPECT_EQ(ChangeFileExt("C:\\Menu\\App.url", ".lnk"), "C:\\Menu\\App.lnk");
    EXPECT_EQ(ChangeFileExt("C:\\Menu.d\\App", ".pif"), "C:\\Menu.d\\App.pif");
    EXPECT_EQ(ChangeFileExt("C:\\a.b.c", ".gid"), "C:\\a.b.gid");
    EXPECT_EQ(ChangeFileExt("", ".lnk"), ".lnk");
    EXPECT_TRUE(HasExtension("C:\\Help\\APP.HLP", ".hlp"));
    EXPECT_FALSE(HasExtension("C:\\Help.hlp\\app", ".hlp"));
    EXPECT_FALSE(HasExtension("C:\\Help\\app.hlpx", ".hlp"));
}

TEST(EnvironmentItems, AreTrimmedDeduplicatedAndRemovedWithoutCase)
{
    EXPECT_EQ(NormalizedItems(" C:\\App ;; c:\\app;C:\\Bin;"), (std::vector<std::string>{"C:\\App", "C:\\Bin"}));
    EXPECT_TRUE(NormalizedItems(" ; ;").empty());
    const auto shortened = NormalizedItems("C:\\Long Name;C:\\LONGNA~1", [](const std::string& item) {
        return item == "C:\\Long Name" ? std::string("C:\\LONGNA~1") : item;
    });
    EXPECT_EQ(shortened, (std::vector<std::string>{"C:\\LONGNA~1"}));

}

TEST(LogLines, AControlCharacterInsideALineMakesItUnusable)
{
    EXPECT_TRUE(HasControlCharacter(std::string("C:\\App\0\\..\\..=1", 13)));
    EXPECT_TRUE(HasControlCharacter("C:\\App\x01x=1"));
    EXPECT_TRUE(HasControlCharacter("C:\\App\tx=1"));
    EXPECT_FALSE(HasControlCharacter("HKCU\\Software\\X\\V=1,a\tb", true));
    EXPECT_FALSE(HasControlCharacter("C:\\Приложение\\x=1"));
}

TEST(ReportLines, StayOneLineEachWithTheKindInAColumn)
{
    EXPECT_EQ(ReportItemLine("done", "C:\\App\\a.exe", ""), "  done      C:\\App\\a.exe");
    EXPECT_EQ(ReportItemLine("refused", std::string("C:\\A\0x\r\n", 8), "a reason"),
              "  refused   C:\\A?x?? -- a reason");
    EXPECT_EQ(OneLineErrorText("Access denied.\r\n", 5), "Access denied. (5)");
    EXPECT_EQ(OneLineErrorText("Two\r\nlines  here\r\n", 7), "Two lines here (7)");
    EXPECT_EQ(OneLineErrorText("", 1234), "error (1234)");
}

TEST(EnvironmentItems, OnlyTheNamedItemsLeaveAStoredList)
{
    const lvc::FoldTable& fold = lvc::LatinFold();
    const ItemMap expand = [](const std::string& item) {
        return item.rfind("%SystemRoot%", 0) == 0 ? "C:\\Windows" + item.substr(12) : item;
    };
    const std::string stored = "%SystemRoot%\\system32;c:\\APP\\; C:\\Tools ;;%ProgramFiles%\\Other;C:\\App";
    // Items keep their spelling and references; the named one goes in every spelling.
    ListEdit edit = RemoveListItems(stored, NormalizedItems("C:\\App;;c:\\app"), expand, {}, fold);
    EXPECT_TRUE(edit.Changed);
    EXPECT_EQ(edit.Text, "%SystemRoot%\\system32; C:\\Tools ;%ProgramFiles%\\Other");
    // A logged item may name a stored reference by what it expands to, and the other way round.
    EXPECT_EQ(RemoveListItems(stored, {"C:\\WINDOWS\\System32"}, expand, {}, fold).Text,
              "c:\\APP\\; C:\\Tools ;%ProgramFiles%\\Other;C:\\App");
    // Nothing named: the list stays byte for byte, empty items included.
    edit = RemoveListItems(stored, {"C:\\Elsewhere", "C:\\App\\Sub"}, expand, {}, fold);
    EXPECT_FALSE(edit.Changed);
    EXPECT_EQ(edit.Text, stored);
    EXPECT_EQ(RemoveListItems("C:\\App", {"c:\\app"}, {}, {}, fold).Text, "");
    const ItemMap shortNames = [](const std::string& item) {
        return item == "C:\\Long Name" ? std::string("C:\\LONGNA~1") : item;
    };
    EXPECT_EQ(RemoveListItems("C:\\LONGNA~1;C:\\DOS", {"C:\\Long Name"}, {}, shortNames, fold).Text, "C:\\DOS");
}

}  // namespace
