// Restart-time deletion and renaming for both families, and the restart, against a recording seam.
#include "Registry.h"
#include "Restart.h"
#include "RestartFiles.h"
#include "RestartSchedule.h"
#include "SystemTestSupport.h"

#include <gtest/gtest.h>

#include <optional>

using namespace lvu;
using lvutest::Exists;
using lvutest::ReadFile;
using lvutest::TempFolder;
using lvutest::WriteFile;

namespace {

struct RestartPlace {
    TempFolder Temp;
    TempFolder Windows;
    lvutest::ScratchRegistryKey RunOnce;
    lvutest::SeamRecord Record;
    std::optional<ScopedSeamOverride> Seam;

    explicit RestartPlace(int platform)
    {
        Seam.emplace(lvutest::RecordingSeam(Record, platform, Windows.Path(), Temp.Path(), RunOnce.Path()));
        ClearRebootNeeded();
    }
    [[nodiscard]] std::string Wininit() const { return ReadFile(Windows.Path() + "wininit.ini"); }
};

std::string ShortName(const std::string& path)
{
    char buffer[MAX_PATH] = {};
    ::GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
    return buffer;
}

TEST(RestartScheduleNT, DeletionAndRenameGoToTheRestartList)
{
    RestartPlace place(PlatformNT);
    const std::string file = place.Temp.Path() + "in use.dll";
    WriteFile(file, "x");
    EXPECT_TRUE(DeleteAtRestart(place.Temp.Path() + "sub\\..\\in use.dll"));
    EXPECT_TRUE(RebootNeeded());
    EXPECT_TRUE(RenameAtRestart(file, place.Temp.Path() + "new name.dll"));
    using Move = std::pair<std::string, std::string>;
    EXPECT_EQ(place.Record.Scheduled,
              (std::vector<Move>{{file, ""}, {place.Temp.Path() + "new name.dll", ""},
                                 {file, place.Temp.Path() + "new name.dll"}}));
}

TEST(RestartScheduleNT, NothingIsScheduledForMissingFilesFoldersOrRelativePaths)
{
    RestartPlace place(PlatformNT);
    WriteFile(place.Temp.Path() + "here.txt", "x");
    EXPECT_FALSE(DeleteAtRestart(place.Temp.Path() + "missing.txt"));
    EXPECT_FALSE(DeleteAtRestart(place.Temp.Path()));
    EXPECT_FALSE(DeleteAtRestart("here.txt"));
    EXPECT_FALSE(DeleteAtRestart(""));
    EXPECT_FALSE(RenameAtRestart(place.Temp.Path() + "here.txt", "there.txt"));
    EXPECT_TRUE(place.Record.Scheduled.empty());
    place.Record.ScheduleAnswer = false;
    EXPECT_FALSE(DeleteAtRestart(place.Temp.Path() + "here.txt"));
    EXPECT_FALSE(RebootNeeded());
}

TEST(RestartScheduleWin95, EntriesJoinTheRenameSectionBeforeItsEmptyLine)
{
    RestartPlace place(PlatformWin95);
    WriteFile(place.Windows.Path() + "wininit.ini", "[Rename]\r\nNUL=C:\\OLD.TXT\r\n\r\n[Other]\r\nx=1\r\n");
    WriteFile(place.Windows.Path() + "wininit.bak", "stale backup");
    const std::string file = place.Temp.Path() + "long file name.dll";
    WriteFile(file, "x");
    EXPECT_TRUE(DeleteAtRestart(file));
    EXPECT_EQ(place.Wininit(),
              "[Rename]\r\nNUL=C:\\OLD.TXT\r\nNUL=" + ShortName(file) + "\r\n\r\n[Other]\r\nx=1\r\n");
    // wininit.ini is replaced in one step, through no backup: a file of that name is not ours.
    EXPECT_EQ(ReadFile(place.Windows.Path() + "wininit.bak"), "stale backup");
    EXPECT_TRUE(RebootNeeded());
    EXPECT_TRUE(place.Record.Scheduled.empty());
}

TEST(RestartScheduleWin95, AMissingWininitIsCreated)
{
    RestartPlace place(PlatformWin95);
    const std::string file = place.Temp.Path() + "a.dll";
    WriteFile(file, "x");
    EXPECT_TRUE(DeleteAtRestart(file));
    EXPECT_EQ(place.Wininit(), "[Rename]\r\nNUL=" + ShortName(file) + "\r\n");
}

TEST(RestartScheduleWin95, ARenameToALongNameGetsItsLongNameBackAfterTheRestart)
{
    RestartPlace place(PlatformWin95);
    const std::string source = place.Temp.Path() + "update.tmp";
    const std::string target = place.Temp.Path() + "Long Target Name.dll";
    WriteFile(source, "x");
    EXPECT_TRUE(RenameAtRestart(source, target));
    EXPECT_FALSE(Exists(target));  // made only to learn its 8.3 name

    const std::vector<std::string> lines = SplitTextLines(place.Wininit());
    ASSERT_EQ(lines.size(), 3u);
    ASSERT_EQ(lines[1].rfind("NUL=", 0), 0u);
    const std::string shortTarget = lines[1].substr(4);
    EXPECT_EQ(lines[2], shortTarget + "=" + ShortName(source));
    EXPECT_NE(shortTarget, target);
    EXPECT_EQ(RegReadString(place.RunOnce.Path(), "Rename " + shortTarget, ""),
              "command.com /c ren " + shortTarget + " \"Long Target Name.dll\"");
    // The name wininit.ini uses is the one the file gets.
    WriteFile(target, "y");
    EXPECT_EQ(ShortName(target), shortTarget);
}

TEST(RestartWindows, RestartsThroughTheSeamInBothFamilies)
{
    for (const int platform : {PlatformNT, PlatformWin95}) {
        RestartPlace place(platform);
        EXPECT_TRUE(RestartWindows());
        place.Record.RestartAnswer = false;
        EXPECT_FALSE(RestartWindows());
        EXPECT_EQ(place.Record.Restarts, (std::vector<UINT>{EWX_REBOOT, EWX_REBOOT}));
    }
}

}  // namespace
