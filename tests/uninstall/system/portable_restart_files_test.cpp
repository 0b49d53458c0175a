// Native tests of the wininit.ini, autoexec.bat and self-removal batch texts.
#include "RestartFiles.h"

#include <gtest/gtest.h>

using namespace lvu;

namespace {

const std::vector<std::string> Entries{"NUL=C:\\OLD.DLL", "NEW.DLL=C:\\TMP.DLL"};

std::string Added(std::string_view wininit, const std::vector<std::string>& entries)
{
    return AddRenameEntries(wininit, entries).value_or("<refused>");
}

TEST(WininitText, EntriesGoBeforeTheEmptyLineThatEndsRename)
{
    EXPECT_EQ(Added("[Rename]\r\nNUL=C:\\A.TXT\r\n\r\n[Other]\r\nx=1\r\n", Entries),
              "[Rename]\r\nNUL=C:\\A.TXT\r\nNUL=C:\\OLD.DLL\r\nNEW.DLL=C:\\TMP.DLL\r\n\r\n[Other]\r\nx=1\r\n");
    // Without an empty line after it, the section runs to the end of the file.
    EXPECT_EQ(Added("[Other]\r\nx=1\r\n[rename]\r\nNUL=C:\\A.TXT", {"NUL=C:\\B"}),
              "[Other]\r\nx=1\r\n[rename]\r\nNUL=C:\\A.TXT\r\nNUL=C:\\B\r\n");
}

TEST(WininitText, ASectionHeaderAlsoEndsRename)
{
    EXPECT_EQ(Added("[Rename]\r\nNUL=C:\\A.TXT\r\n[Other]\r\nx=1\r\n", {"NUL=C:\\B"}),
              "[Rename]\r\nNUL=C:\\A.TXT\r\nNUL=C:\\B\r\n[Other]\r\nx=1\r\n");
    EXPECT_EQ(Added("[Rename]\n[Other]\n", {"NUL=C:\\B"}), "[Rename]\nNUL=C:\\B\n[Other]\n");
}

TEST(WininitText, OtherBytesStayEmptyLinesKeptAndOnlyTheFirstSectionTaken)
{
    EXPECT_EQ(Added("  [Rename] \n\t a=b \n\n\n[Rename]\nc=d\n", {"NUL=C:\\B"}),
              "  [Rename] \n\t a=b \nNUL=C:\\B\n\n\n[Rename]\nc=d\n");
    // A file the INI edits cannot take apart is left alone, and so is an entry that would add lines.
    EXPECT_EQ(Added(std::string("\xFF\xFE[\0R\0", 6), {"NUL=C:\\B"}), "<refused>");
    EXPECT_EQ(Added("[Rename]\r\n", {"NUL=C:\\B\r\n[Other]"}), "<refused>");
}

TEST(WininitText, MissingSectionOrFileGetsANewSectionAtTheEnd)
{
    EXPECT_EQ(Added("", {"NUL=C:\\B"}), "[Rename]\r\nNUL=C:\\B\r\n");
    EXPECT_EQ(Added("[Other]\r\nx=1", {"NUL=C:\\B"}), "[Other]\r\nx=1\r\n[Rename]\r\nNUL=C:\\B\r\n");
    // "[Renamed]" is another section.
    EXPECT_EQ(Added("[Renamed]\r\n", {"NUL=C:\\B"}), "[Renamed]\r\n[Rename]\r\nNUL=C:\\B\r\n");
}

TEST(AutoexecText, EveryMatchingSetLineIsReplacedOthersAreCopied)
{
    const AutoexecEdit edit = SetAutoexecVariable(
        "@echo off\r\n  set lvu_var=old\r\nSET LVU_VAR2=keep\r\nSET  LVU_VAR=again\r\nREM SET LVU_VAR=x\r\n"
        "SET PATH=C:\\DOS\r\n   \r\n",
        "LVU_VAR", "new");
    EXPECT_TRUE(edit.Changed);
    EXPECT_EQ(edit.Text,
              "@echo off\r\nSET LVU_VAR=new\r\nSET LVU_VAR2=keep\r\nSET LVU_VAR=new\r\nREM SET LVU_VAR=x\r\n"
              "SET PATH=C:\\DOS\r\n   \r\n");
}

TEST(AutoexecText, AnEmptyValueLeavesTheLinesOut)
{
    const AutoexecEdit edit = SetAutoexecVariable("SET A=1\nset a=2\nSETA=3\nSET B=4\n", "A", "");
    EXPECT_TRUE(edit.Changed);
    EXPECT_EQ(edit.Text, "SETA=3\r\nSET B=4\r\n");
    // Nothing to remove: nothing changes.
    EXPECT_FALSE(SetAutoexecVariable("SET B=4\r\n", "A", "").Changed);
    EXPECT_FALSE(SetAutoexecVariable("", "A", "").Changed);
}

TEST(AutoexecText, AMissingVariableIsAppendedBeforeAnEndOfFileMark)
{
    EXPECT_EQ(SetAutoexecVariable("@echo off", "A", "1").Text, "@echo off\r\nSET A=1\r\n");
    EXPECT_EQ(SetAutoexecVariable("", "A", "1").Text, "SET A=1\r\n");
    EXPECT_EQ(SetAutoexecVariable("@echo off\r\n\x1A", "A", "1").Text, "@echo off\r\nSET A=1\r\n\x1A\r\n");
}

TEST(AutoexecText, OnlyPlainNamesAndOneLineValuesAreStored)
{
    EXPECT_TRUE(IsStorableVariable("PATH", "C:\\A;C:\\B"));
    EXPECT_TRUE(IsStorableVariable("X", ""));
    EXPECT_FALSE(IsStorableVariable("", "1"));
    EXPECT_FALSE(IsStorableVariable("A=B", "1"));
    EXPECT_FALSE(IsStorableVariable("A", "1\r\nformat c:"));
    EXPECT_FALSE(IsStorableVariable("A\n", "1"));
}

TEST(SelfRemovalBatchText, TriesForAWhileThenRemovesTheFolderAndItself)
{
    EXPECT_EQ(SelfRemovalBatch("C:\\Program Files\\App 100%\\uninstall.exe", "C:\\Program Files\\App 100%\\", true,
                               "C:\\Program Files\\0ABCDEFG.bat", true, 3),
              "@echo off\r\n"
              "set lvutries=\r\n"
              ":try\r\n"
              "if exist \"C:\\Program Files\\App 100%%\\uninstall.exe\" del /f /a \"C:\\Program Files\\App 100%%\\uninstall.exe\"\r\n"
              "if exist \"C:\\Program Files\\App 100%%\\uninstall.exe\" goto again\r\n"
              "rd \"C:\\Program Files\\App 100%%\"\r\n"
              "if not exist \"C:\\Program Files\\App 100%%\" goto end\r\n"
              ":again\r\n"
              "set lvutries=%lvutries%x\r\n"
              "if \"%lvutries%\"==\"xxx\" goto end\r\n"
              "ping -n 2 127.0.0.1 >nul\r\n"
              "goto try\r\n"
              ":end\r\n"
              "del \"C:\\Program Files\\0ABCDEFG.bat\"\r\n");
    // The 95 family's "del" takes no switches, and sees a folder through its "nul"; without the
    // folder switch no "rd".
    const std::string text = SelfRemovalBatch("C:\\A\\u.exe", "C:\\A", false, "C:\\x.bat", false);
    EXPECT_NE(text.find("\" del \"C:\\A\\u.exe\"\r\n"), std::string::npos);
    EXPECT_EQ(text.find("rd "), std::string::npos);
    EXPECT_NE(SelfRemovalBatch("C:\\A\\u.exe", "C:\\A", true, "C:\\x.bat", false).find("if not exist \"C:\\A\\nul\" goto end"),
              std::string::npos);
    EXPECT_NE(text.find("==\"" + std::string(SelfRemovalTries, 'x') + "\" goto end"), std::string::npos);
}

}  // namespace
