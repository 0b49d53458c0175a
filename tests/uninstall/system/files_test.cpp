// File and folder removal among sentinels, protected folders, links that must not be followed, unique names.
#include "Files.h"
#include "Restart.h"
#include "SafePaths.h"
#include "SystemTestSupport.h"

#include <shlobj.h>
#include <userenv.h>

#include <gtest/gtest.h>

#include <set>

using namespace lvu;
using lvutest::Exists;
using lvutest::FolderNames;
using lvutest::MakeFolder;
using lvutest::TempFolder;
using lvutest::WriteFile;

namespace {

using Names = std::vector<std::string>;

// A temporary folder laid out as parent (with a sentinel), a sibling folder with a sentinel, and
// the folder the test deletes in.
struct Playground {
    TempFolder Temp;
    std::string Tree = Temp.Path() + "tree";

    Playground()
    {
        WriteFile(Temp.Path() + "parent-sentinel.txt", "stay");
        MakeFolder(Temp.Path() + "sibling");
        WriteFile(Temp.Path() + "sibling\\sentinel.txt", "stay");
        MakeFolder(Tree);
    }
    [[nodiscard]] bool SentinelsSurvived() const
    {
        return Exists(Temp.Path() + "parent-sentinel.txt") && Exists(Temp.Path() + "sibling\\sentinel.txt");
    }
};

// Makes `path` the current folder for the scope, so that relative paths would reach into it.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::string& path)
    {
        ::GetCurrentDirectoryA(MAX_PATH, saved_);
        ::SetCurrentDirectoryA(path.c_str());
    }
    ~CurrentFolder() { ::SetCurrentDirectoryA(saved_); }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

private:
    char saved_[MAX_PATH] = {};
};

void MakeReadOnly(const std::string& path)
{
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
}

TEST(DeleteFileForced, DeletesReadOnlyFilesAndNothingElse)
{
    Playground place;
    const std::string file = place.Tree + "\\read-only.txt";
    WriteFile(file, "x");
    MakeReadOnly(file);
    EXPECT_TRUE(DeleteFileForced(file));
    EXPECT_FALSE(Exists(file));
    EXPECT_FALSE(DeleteFileForced(file));

    WriteFile(place.Tree + "\\relative.txt", "x");
    {
        const CurrentFolder current(place.Tree);
        EXPECT_FALSE(DeleteFileForced("relative.txt"));
        EXPECT_FALSE(DeleteFileForced(".\\relative.txt"));
        EXPECT_FALSE(DeleteFileForced(""));
    }
    EXPECT_FALSE(DeleteFileForced(place.Tree + "\\*.txt"));
    EXPECT_FALSE(DeleteFileForced(place.Tree));
    EXPECT_TRUE(Exists(place.Tree + "\\relative.txt"));
    EXPECT_TRUE(place.SentinelsSurvived());
}

TEST(DeleteFilesByMask, DeletesMatchingFilesReportingEachAndKeepsTheRest)
{
    Playground place;
    for (const char* name : {"a.txt", "B.TXT", "keep.txt1", "long name.txtx", "other.dat"})
        WriteFile(place.Tree + "\\" + name, "x");
    MakeReadOnly(place.Tree + "\\B.TXT");
    MakeFolder(place.Tree + "\\folder.txt");
    ClearRebootNeeded();

    std::set<std::string> reported;
    EXPECT_TRUE(DeleteFilesByMask(place.Tree + "\\*.txt", [&](const std::string& path) { reported.insert(path); }));
    EXPECT_EQ(reported, (std::set<std::string>{place.Tree + "\\a.txt", place.Tree + "\\B.TXT"}));
    // "keep.txt1" and "long name.txtx" match "*.txt" only through their 8.3 names.
    EXPECT_EQ(FolderNames(place.Tree), (Names{"folder.txt", "keep.txt1", "long name.txtx", "other.dat"}));
    EXPECT_FALSE(RebootNeeded());
    EXPECT_TRUE(place.SentinelsSurvived());

    EXPECT_TRUE(DeleteFilesByMask(place.Tree + "\\nothing-*.none"));
    EXPECT_TRUE(DeleteFilesByMask(place.Tree + "\\" + std::string(60, '?')));  // at once, matching nothing
    // A file logged by its 8.3 name.
    WriteFile(place.Tree + "\\logged by short name.cfg", "x");
    char shortPath[MAX_PATH] = {};
    ASSERT_GT(::GetShortPathNameA((place.Tree + "\\logged by short name.cfg").c_str(), shortPath, MAX_PATH), 0u);
    EXPECT_TRUE(DeleteFilesByMask(place.Tree + "\\" + std::string(shortPath).substr(std::string(shortPath).find_last_of('\\') + 1)));
    EXPECT_FALSE(Exists(place.Tree + "\\logged by short name.cfg"));
    WriteFile(place.Tree + "\\no-extension", "x");
    EXPECT_TRUE(DeleteFilesByMask(place.Tree + "\\*."));  // names without an extension only
    EXPECT_EQ(FolderNames(place.Tree), (Names{"folder.txt", "keep.txt1", "long name.txtx", "other.dat"}));
    {
        const CurrentFolder current(place.Tree);
        EXPECT_FALSE(DeleteFilesByMask("*.dat"));
        EXPECT_FALSE(DeleteFilesByMask(".\\*.dat"));
        EXPECT_FALSE(DeleteFilesByMask(""));
    }
    EXPECT_TRUE(Exists(place.Tree + "\\other.dat"));
}

TEST(DeleteFilesByMask, AFileInUseIsLeftForTheRestart)
{
    Playground place;
    const std::string busy = place.Tree + "\\busy.dll";
    WriteFile(busy, "x");
    WriteFile(place.Tree + "\\free.dll", "x");
    lvutest::SeamRecord record;
    const ScopedSeamOverride seam(
        lvutest::RecordingSeam(record, PlatformNT, place.Temp.Path(), place.Temp.Path(), "HKCU\\Software\\LumivexTests"));
    ClearRebootNeeded();
    {
        const HANDLE open = ::CreateFileA(busy.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(open, INVALID_HANDLE_VALUE);
        EXPECT_TRUE(DeleteFilesByMask(place.Tree + "\\*.dll"));
        ASSERT_EQ(record.Scheduled.size(), 1u);
        EXPECT_EQ(record.Scheduled[0].first, busy);
        EXPECT_EQ(record.Scheduled[0].second, "");
        EXPECT_TRUE(RebootNeeded());

        // When even the schedule fails, the mask reports it and asks for no restart.
        ClearRebootNeeded();
        record.ScheduleAnswer = false;
        EXPECT_FALSE(DeleteFilesByMask(busy));
        EXPECT_FALSE(RebootNeeded());
        ::CloseHandle(open);
    }
    EXPECT_EQ(FolderNames(place.Tree), (Names{"busy.dll"}));
}

TEST(DeleteTree, RemovesTheWholeTreeAndNothingAroundIt)
{
    Playground place;
    MakeFolder(place.Tree + "\\sub");
    MakeFolder(place.Tree + "\\sub\\deeper");
    WriteFile(place.Tree + "\\a.txt", "x");
    WriteFile(place.Tree + "\\read-only.txt", "x");
    MakeReadOnly(place.Tree + "\\read-only.txt");
    WriteFile(place.Tree + "\\sub\\b.txt", "x");
    WriteFile(place.Tree + "\\sub\\deeper\\c.txt", "x");

    EXPECT_TRUE(DeleteTree(place.Tree + "\\", true));
    EXPECT_FALSE(Exists(place.Tree));
    EXPECT_TRUE(place.SentinelsSurvived());
    EXPECT_FALSE(DeleteTree(place.Tree, true));  // no longer there
}

TEST(DeleteTree, WithoutRemovingFoldersOnlyFilesGo)
{
    Playground place;
    MakeFolder(place.Tree + "\\sub");
    WriteFile(place.Tree + "\\a.txt", "x");
    WriteFile(place.Tree + "\\sub\\b.txt", "x");
    EXPECT_TRUE(DeleteTree(place.Tree, false));
    EXPECT_EQ(FolderNames(place.Tree), (Names{"sub"}));
    EXPECT_TRUE(FolderNames(place.Tree + "\\sub").empty());
    EXPECT_TRUE(place.SentinelsSurvived());
}

TEST(DeleteTree, EntriesStartingWithADotStayAndTheFolderWithThem)
{
    Playground place;
    WriteFile(place.Tree + "\\.keep", "x");
    MakeFolder(place.Tree + "\\.hidden");
    WriteFile(place.Tree + "\\.hidden\\inner.txt", "x");
    WriteFile(place.Tree + "\\a.txt", "x");
    EXPECT_FALSE(DeleteTree(place.Tree, true));
    EXPECT_EQ(FolderNames(place.Tree), (Names{".hidden", ".keep"}));
    EXPECT_TRUE(Exists(place.Tree + "\\.hidden\\inner.txt"));
}

TEST(DeleteTree, RelativePathsBareDrivesAndFilesAreRefused)
{
    Playground place;
    WriteFile(place.Tree + "\\a.txt", "x");
    MakeFolder(place.Tree + "\\tree");
    WriteFile(place.Tree + "\\tree\\b.txt", "x");
    {
        // With the tree as current folder, "X:" (X the tree's drive) and every relative form
        // would mean the tree itself or a folder in it.
        const CurrentFolder current(place.Tree);
        const std::string drive = place.Tree.substr(0, 2);
        for (const std::string& path : {drive, drive + ".", drive + "tree", std::string("tree"), std::string("."),
                                        std::string(".\\tree"), std::string("..\\tree"), std::string("\\"),
                                        std::string("")})
            EXPECT_FALSE(DeleteTree(path, true)) << path;
    }
    EXPECT_FALSE(DeleteTree(place.Tree + "\\a.txt", true));
    EXPECT_EQ(FolderNames(place.Tree), (Names{"a.txt", "tree"}));
    EXPECT_TRUE(Exists(place.Tree + "\\tree\\b.txt"));
    // A share root, in either notation; nothing is asked of the network.
    EXPECT_FALSE(DeleteTree("\\\\lvu-no-such-server\\share", true));
    EXPECT_FALSE(DeleteTree("//lvu-no-such-server/share/", true));
}

std::string KnownFolder(int csidl)
{
    char path[MAX_PATH] = {};
    return SUCCEEDED(::SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) ? path : "";
}

std::string ProfilesFolder()
{
    char path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    return ::GetProfilesDirectoryA(path, &size) ? path : "";
}

// Spellings of one folder that all name it.
std::vector<std::string> Spellings(const std::string& folder)
{
    std::string lower = folder, upper = folder, slashes = folder;
    for (char& c : lower) c = static_cast<char>(::tolower(static_cast<unsigned char>(c)));
    for (char& c : upper) c = static_cast<char>(::toupper(static_cast<unsigned char>(c)));
    for (char& c : slashes)
        if (c == '\\') c = '/';
    std::string doubled = folder;
    doubled.insert(3, "\\");
    const std::string name = folder.substr(folder.find_last_of('\\') + 1);
    std::vector<std::string> spellings{folder,          folder + "\\",  lower, upper,     slashes + "/", doubled,
                                       folder + "\\.",  folder + "\\sub\\..", folder + "\\..\\" + name, folder + ".",
                                       "\\\\?\\" + folder};
    char shortName[MAX_PATH] = {};
    if (::GetShortPathNameA(folder.c_str(), shortName, MAX_PATH)) spellings.emplace_back(shortName);
    return spellings;
}

TEST(ProtectedFolders, CriticalFoldersTheirParentsAndRootsAreProtectedHoweverWritten)
{
    char windows[MAX_PATH] = {}, system[MAX_PATH] = {}, wow64[MAX_PATH] = {};
    ::GetWindowsDirectoryA(windows, MAX_PATH);
    ::GetSystemDirectoryA(system, MAX_PATH);
    std::vector<std::string> critical{windows, system, ProfilesFolder()};
    if (::GetSystemWow64DirectoryA(wow64, MAX_PATH)) critical.emplace_back(wow64);
    for (const int csidl : {CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86, CSIDL_PROGRAM_FILES_COMMON,
                            CSIDL_PROGRAM_FILES_COMMONX86, CSIDL_COMMON_APPDATA, CSIDL_PROFILE,
                            CSIDL_DESKTOPDIRECTORY, CSIDL_PERSONAL, CSIDL_COMMON_DESKTOPDIRECTORY,
                            CSIDL_COMMON_DOCUMENTS})
        critical.push_back(KnownFolder(csidl));
    for (const std::string& folder : critical) {
        ASSERT_FALSE(folder.empty());
        for (const std::string& spelling : Spellings(folder)) EXPECT_TRUE(IsProtectedFolder(spelling)) << spelling;
        EXPECT_TRUE(IsProtectedFolder(folder + "\\..")) << folder;  // a folder holding a critical one
    }
    const std::string drive = std::string(windows).substr(0, 2);
    for (const std::string& path : {drive, drive + "\\", drive + "/", drive + "\\.", drive + "\\windows\\..\\..",
                                    std::string("\\\\server\\share"), std::string("\\\\server\\share\\"),
                                    std::string("\\\\server\\share\\x\\.."), std::string("relative"),
                                    std::string("")})
        EXPECT_TRUE(IsProtectedFolder(path)) << path;
}

TEST(ProtectedFolders, EveryFolderDirectlyInTheProfilesFolderIsAProfile)
{
    const std::string decoy = ProfilesFolder() + "\\" + lvutest::UniqueTestName("lvu-decoy-profile");
    if (!::CreateDirectoryA(decoy.c_str(), nullptr)) GTEST_SKIP() << "no right to create " << decoy;
    MakeFolder(decoy + "\\Data");
    WriteFile(decoy + "\\sentinel.txt", "stay");
    WriteFile(decoy + "\\Data\\file.txt", "x");

    for (const std::string& spelling : Spellings(decoy)) EXPECT_FALSE(DeleteTree(spelling, true)) << spelling;
    EXPECT_TRUE(Exists(decoy + "\\sentinel.txt"));
    EXPECT_TRUE(Exists(decoy + "\\Data\\file.txt"));
    // Inside a profile, folders are an application's to delete.
    EXPECT_TRUE(DeleteTree(decoy + "\\Data", true));
    EXPECT_FALSE(Exists(decoy + "\\Data"));
    EXPECT_TRUE(Exists(decoy + "\\sentinel.txt"));

    ::DeleteFileA((decoy + "\\sentinel.txt").c_str());
    ::RemoveDirectoryA(decoy.c_str());
}

TEST(ProtectedFolders, WildcardMasksThereDeleteNothingWhilePlainNamesStillGo)
{
    char windows[MAX_PATH] = {};
    ::GetWindowsDirectoryA(windows, MAX_PATH);
    const std::string inWindows = std::string(windows) + "\\" + lvutest::UniqueTestName("lvu-app");
    MakeFolder(inWindows);
    std::vector<std::string> places{windows, inWindows, std::string(windows).substr(0, 2) + "\\"};
    for (const int csidl : {CSIDL_SYSTEM, CSIDL_DESKTOPDIRECTORY, CSIDL_PERSONAL, CSIDL_MYPICTURES, CSIDL_APPDATA,
                            CSIDL_LOCAL_APPDATA, CSIDL_STARTUP, CSIDL_SENDTO, CSIDL_COMMON_DOCUMENTS, CSIDL_PROFILE})
        if (const std::string folder = KnownFolder(csidl); !folder.empty() && Exists(folder)) places.push_back(folder);
    const std::string name = lvutest::UniqueTestName("lvu-sentinel") + ".lvu";
    for (std::string& place : places) {
        if (place.back() != '\\') place += '\\';
        WriteFile(place + name, "stay");
        for (const std::string& mask : {place + "*.*", place + "*.lvu", place + "lvu-sentinel*",
                                        place + "sub\\..\\*.lvu", place + "?*"})
            EXPECT_FALSE(DeleteFilesByMask(mask)) << mask;
        EXPECT_TRUE(Exists(place + name)) << place;
        EXPECT_TRUE(DeleteFilesByMask(place + name)) << place;  // one named file may be an installation's
        EXPECT_FALSE(Exists(place + name)) << place;
    }
    EXPECT_FALSE(DeleteTree(inWindows, true));
    EXPECT_TRUE(Exists(inWindows));
    ::RemoveDirectoryA(inWindows.c_str());
}

TEST(ProtectedFolders, OrdinaryFoldersAreNot)
{
    TempFolder temp;
    char windows[MAX_PATH] = {};
    ::GetWindowsDirectoryA(windows, MAX_PATH);
    for (const std::string& path : {temp.Path(), temp.Path() + "sub\\..\\",
                                    KnownFolder(CSIDL_PROGRAM_FILES) + "\\Vendor\\App",
                                    KnownFolder(CSIDL_PERSONAL) + "\\App Data",
                                    std::string("\\\\server\\share\\app")})
        EXPECT_FALSE(IsProtectedFolder(path)) << path;
}

// A tree holding a link to a folder and a link to a file, both pointing out of the tree.
struct LinkedTree {
    Playground Place;
    std::string Outside = Place.Temp.Path() + "Outside";
    std::string FolderLink = Place.Tree + "\\folder-link";
    std::string FileLink = Place.Tree + "\\file-link.txt";
    bool Made = false;

    LinkedTree()
    {
        MakeFolder(Outside);
        WriteFile(Outside + "\\target.txt", "stay");
        WriteFile(Outside + "\\linked.txt", "stay");
        WriteFile(Place.Tree + "\\own.txt", "x");
        Made = lvutest::MakeFolderLink(FolderLink, Outside) && lvutest::MakeFileLink(FileLink, Outside + "\\linked.txt");
    }
    ~LinkedTree()
    {
        lvutest::RemoveLink(FileLink);
        lvutest::RemoveLink(FolderLink);
    }
    [[nodiscard]] bool TargetsSurvived() const
    {
        return Exists(Outside + "\\target.txt") && Exists(Outside + "\\linked.txt") && Place.SentinelsSurvived();
    }
};

TEST(Links, DeleteTreeRemovesLinksNeverWhatTheyPointTo)
{
    LinkedTree linked;
    if (!linked.Made) GTEST_SKIP() << "no way to make links here";
    const bool succeeded = DeleteTree(linked.Place.Tree, true);
    EXPECT_TRUE(linked.TargetsSurvived());
    EXPECT_FALSE(Exists(linked.Place.Tree + "\\own.txt"));
    // Real links go with the tree; links the platform can only reach through their target (Wine's
    // Unix links) stay, and then the tree reports failure.
    EXPECT_EQ(succeeded, !Exists(linked.Place.Tree));
}

TEST(Links, FileOperationsOnALinkNeverReachTheTarget)
{
    LinkedTree linked;
    if (!linked.Made) GTEST_SKIP() << "no way to make links here";
    DeleteFileForced(linked.FileLink);
    DeleteFilesByMask(linked.Place.Tree + "\\*.txt");
    EXPECT_FALSE(DeleteTree(linked.FolderLink, false));  // a link is no tree to empty
    DeleteTree(linked.FolderLink, true);
    EXPECT_TRUE(linked.TargetsSurvived());
    EXPECT_FALSE(Exists(linked.Place.Tree + "\\own.txt"));
}

TEST(EnsureFolders, CreatesEveryMissingFolderFromTheTop)
{
    TempFolder temp;
    EXPECT_TRUE(EnsureFolders(temp.Path() + "a\\b\\c\\"));
    EXPECT_TRUE(Exists(temp.Path() + "a\\b\\c"));
    EXPECT_TRUE(EnsureFolders(temp.Path() + "a/b"));
    WriteFile(temp.Path() + "file", "x");
    EXPECT_FALSE(EnsureFolders(temp.Path() + "file\\below"));
    const CurrentFolder current(temp.Path());
    EXPECT_FALSE(EnsureFolders("relative\\x"));
    EXPECT_FALSE(Exists(temp.Path() + "relative"));
}

TEST(UniqueFileName, NamesAreNewEvenWhenAskedForInQuickSuccession)
{
    TempFolder temp;
    std::set<std::string> names;
    for (int i = 0; i < 5; ++i) {
        const std::string name = UniqueFileName(temp.Path(), "lvu", ".bat", true);
        ASSERT_EQ(name.size(), 12u) << name;
        EXPECT_EQ(name.substr(0, 3), "lvu");
        EXPECT_FALSE(Exists(temp.Path() + name));
        WriteFile(temp.Path() + name, "");
        names.insert(name);
    }
    EXPECT_EQ(names.size(), 5u);
    EXPECT_EQ(UniqueFileName(temp.Path(), "prefix-", ".tmp", false).size(), 19u);
}

}  // namespace
