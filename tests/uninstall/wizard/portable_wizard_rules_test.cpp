// The wizard's portable rules: the silent switch, identifiers fit for a key, font descriptions, setup paths.
#include "wizard/WizardRules.h"

#include <gtest/gtest.h>

using namespace lvu;

TEST(WizardRules, SilentSwitchIsOneLetterAfterADashOrSlash)
{
    for (const char* yes : {"/s", "/S", "-s", "-S"}) EXPECT_TRUE(IsSilentSwitch(yes)) << yes;
    for (const char* no : {"s", "/silent", "--s", "/s ", "", "\\s", "/x"}) EXPECT_FALSE(IsSilentSwitch(no)) << no;
    EXPECT_EQ(ReportSwitchPath("/LOG=C:\\My Files\\r.txt"), "C:\\My Files\\r.txt");
    EXPECT_EQ(ReportSwitchPath("-log=r=1.txt"), "r=1.txt");
    EXPECT_EQ(ReportSwitchPath("/Log="), "");
    for (const char* no : {"/LOG", "LOG=x", "/LOGS=x", "//LOG=x", "/s"}) EXPECT_EQ(ReportSwitchPath(no), std::nullopt) << no;
}

TEST(WizardRules, OnlyAnIdentifierWithoutBackslashNamesAKey)
{
    EXPECT_TRUE(IsUsableAppId("{A1B2}_is1"));
    EXPECT_FALSE(IsUsableAppId(""));
    EXPECT_FALSE(IsUsableAppId("\\"));
    EXPECT_FALSE(IsUsableAppId("App\\..\\Other"));
    EXPECT_FALSE(IsUsableAppId(std::string("Other\0Product", 13)));
    EXPECT_FALSE(IsUsableAppId("App\tId"));
    EXPECT_EQ(UninstallKeyPath("HKLM", "App"), "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\App");
}

TEST(WizardRules, TheParametersAreWhatFollowsTheProgramName)
{
    EXPECT_EQ(CommandLineTail("\"C:\\Program Files\\u.exe\"  /s \"C:\\a b.log\""), "/s \"C:\\a b.log\"");
    EXPECT_EQ(CommandLineTail("\"C:\\a b\\u.exe\"/S"), "/S");
    EXPECT_EQ(CommandLineTail("u.exe\t-s x"), "-s x");
    for (const char* none : {"u.exe", "\"u.exe\"", "\"u.exe", "", "u.exe   "})
        EXPECT_EQ(CommandLineTail(none), "") << none;
}

TEST(WizardRules, FontSpecsTakeTheirDefaultsAndAnyStyleLetters)
{
    const FontSpec plain = ParseFontSpec("MS Sans Serif");
    EXPECT_EQ(plain.Face, "MS Sans Serif");
    EXPECT_EQ(plain.Size, 8);
    EXPECT_EQ(plain.Color, 0u);
    EXPECT_FALSE(plain.Bold || plain.Italic || plain.Underline || plain.StrikeOut);
    const FontSpec styled = ParseFontSpec("Tahoma,12,255,suIb");
    EXPECT_EQ(styled.Size, 12);
    EXPECT_EQ(styled.Color, 255u);
    EXPECT_TRUE(styled.Bold && styled.Italic && styled.Underline && styled.StrikeOut);
    const FontSpec odd = ParseFontSpec("Arial,big,red,X");
    EXPECT_EQ(odd.Size, 8);
    EXPECT_EQ(odd.Color, 0u);
    EXPECT_FALSE(odd.Bold);
}

TEST(WizardRules, SetupPathsSplitAndJoinWithOneBackslash)
{
    EXPECT_EQ(FileNamePart("C:\\Setup\\setup.exe"), "setup.exe");
    EXPECT_EQ(FolderPart("C:\\Setup\\setup.exe"), "C:\\Setup");
    EXPECT_EQ(FolderPart("setup.exe"), "");
    EXPECT_EQ(JoinPath("C:\\Other", "setup.exe"), "C:\\Other\\setup.exe");
    EXPECT_EQ(JoinPath("C:\\", "setup.exe"), "C:\\setup.exe");
}
