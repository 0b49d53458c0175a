// Native tests of the deletion safety rules: absolute paths, normal forms, protection and masks.
#include "PathRules.h"

#include <gtest/gtest.h>

using namespace lvu;

namespace {

TEST(PathRules, OnlyDriveAndSharePathsAreAbsolute)
{
    for (const char* path : {"C:\\", "c:/x", "C:\\Windows", "\\\\server\\share", "//server/share/x"})
        EXPECT_TRUE(IsAbsolutePath(path)) << path;
    for (const char* path : {"", "C:", "C:x", "x", ".\\x", "..\\x", "\\x", "/x", "\\\\server", "\\\\server\\",
                             "\\\\\\share\\x", "\\\\?\\C:\\x", "\\\\.\\PhysicalDrive0", "1:\\x"})
        EXPECT_FALSE(IsAbsolutePath(path)) << path;
    EXPECT_TRUE(IsBareDrive("c:"));
    EXPECT_FALSE(IsBareDrive("c:\\"));
}

TEST(PathRules, EverySpellingOfAFolderNormalizesAlike)
{
    for (const char* path : {"C:\\Windows", "C:\\Windows\\", "C:/Windows/", "C:\\\\Windows", "C:\\.\\Windows\\.",
                             "C:\\Windows\\System32\\..", "C:\\..\\Windows", "C:\\Windows.", "C:\\Windows. \\",
                             "\\\\?\\C:\\Windows"})
        EXPECT_EQ(NormalizePath(path), "C:\\Windows") << path;
    EXPECT_EQ(NormalizePath("C:\\"), "C:\\");
    EXPECT_EQ(NormalizePath("C:/a/b/../../.."), "C:\\");
    EXPECT_EQ(NormalizePath("\\\\srv\\share\\..\\.."), "\\\\srv\\share");
    EXPECT_EQ(NormalizePath("//srv/share//a/"), "\\\\srv\\share\\a");
    EXPECT_EQ(NormalizePath("\\\\?\\UNC\\srv\\share\\a"), "\\\\srv\\share\\a");
    EXPECT_EQ(NormalizePath("\\\\?\\unix\\root\\x\\.."), "\\\\?\\unix\\root");
    EXPECT_EQ(NormalizePath("relative\\x"), "");
    EXPECT_EQ(NormalizePath("C:relative"), "");
}

TEST(PathRules, RootsAndParents)
{
    EXPECT_TRUE(IsRootPath("C:\\"));
    EXPECT_TRUE(IsRootPath("\\\\srv\\share"));
    EXPECT_TRUE(IsRootPath("\\\\?\\unix"));
    EXPECT_FALSE(IsRootPath("C:\\x"));
    EXPECT_FALSE(IsRootPath("\\\\srv\\share\\x"));
    EXPECT_EQ(ParentPath("C:\\x"), "C:\\");
    EXPECT_EQ(ParentPath("C:\\x\\y"), "C:\\x");
    EXPECT_EQ(ParentPath("\\\\srv\\share\\x"), "\\\\srv\\share");
    EXPECT_TRUE(IsSameOrAncestor("c:\\users", "C:\\Users\\Bob"));
    EXPECT_TRUE(IsSameOrAncestor("C:\\", "C:\\Users"));
    EXPECT_FALSE(IsSameOrAncestor("C:\\User", "C:\\Users"));
    EXPECT_FALSE(IsSameOrAncestor("C:\\Users\\Bob", "C:\\Users"));
}

TEST(PathRules, CriticalFoldersTheirAncestorsRootsAndProfilesAreProtected)
{
    const CriticalFolders critical{{"C:\\Windows", "C:\\Users\\Bob\\Documents", "D:\\Programs\\Common"},
                                   {"C:\\Users"}};
    for (const char* path : {"C:\\", "D:\\", "E:\\", "\\\\srv\\share", "C:\\windows", "C:\\Users",
                             "C:\\Users\\Bob", "C:\\users\\Alice", "C:\\Users\\Public", "C:\\Users\\Bob\\Documents",
                             "D:\\Programs", "D:\\programs\\common", ""})
        EXPECT_TRUE(IsProtectedPath(path, critical)) << path;
    CriticalFolders withSubtree = critical;
    withSubtree.Subtrees = {"C:\\Windows"};
    for (const char* path : {"C:\\Windows\\MyApp", "c:\\WINDOWS\\System32\\Vendor\\x", "C:\\"})
        EXPECT_TRUE(IsProtectedPath(path, withSubtree)) << path;
    EXPECT_FALSE(IsProtectedPath("C:\\WindowsApps\\x", withSubtree));
    for (const char* path : {"C:\\Windows\\MyApp", "C:\\Users\\Bob\\AppData", "C:\\Users\\Bob\\Documents\\App",
                             "D:\\Programs\\Vendor", "D:\\Programs\\Common\\Vendor", "\\\\srv\\share\\app",
                             "C:\\UsersX"})
        EXPECT_FALSE(IsProtectedPath(path, critical)) << path;
}

TEST(PathRules, MasksMatchLongNamesOnly)
{
    EXPECT_TRUE(MatchesMask("a.txt", "*.txt"));
    EXPECT_TRUE(MatchesMask("A.TXT", "*.txt"));
    EXPECT_FALSE(MatchesMask("keep.txt1", "*.txt"));  // its 8.3 name KEEP~1.TXT would match
    EXPECT_FALSE(MatchesMask("long name.txtx", "*.txt"));
    EXPECT_TRUE(MatchesMask("readme", "*.*"));
    EXPECT_TRUE(MatchesMask("readme", "*"));
    EXPECT_TRUE(MatchesMask("readme", "readme.*"));
    EXPECT_TRUE(MatchesMask("readme", "readme."));
    EXPECT_FALSE(MatchesMask("readme.txt", "readme."));
    EXPECT_TRUE(MatchesMask("app1.dll", "app?.dll"));
    EXPECT_TRUE(MatchesMask("app.dll", "app?.dll"));  // "?" before a dot may match nothing
    EXPECT_FALSE(MatchesMask("app12.dll", "app?.dll"));
    EXPECT_TRUE(MatchesMask("setup.hlp", "setup.hlp"));
    EXPECT_FALSE(MatchesMask("setup.hlp", "setup.gid"));
    EXPECT_TRUE(MatchesMask("a.b.c", "*.c"));
    EXPECT_FALSE(MatchesMask("a.b", "a?b"));  // "?" never takes the dot
    EXPECT_TRUE(MatchesMask("ab", "ab??"));   // nor anything at the end
    EXPECT_FALSE(MatchesMask("abcde", "ab??"));
}

TEST(PathRules, FileMasksAreLinearShortNamesCountForPlainNamesAndLettersFoldByCodePage)
{
    // Sixty "?" against a long name: a backtracking matcher would not come back.
    const std::string questions(60, '?');
    EXPECT_FALSE(MatchesMask(std::string(60, 'a') + "b", questions));
    EXPECT_TRUE(MatchesMask(std::string(59, 'a'), questions));
    EXPECT_FALSE(MatchesMask(std::string(200, 'a'), "*" + questions + "*b*" + questions));

    EXPECT_TRUE(FileMask("SETUP~1.TXT").Matches("setup file.txt", "SETUP~1.TXT"));
    EXPECT_FALSE(FileMask("*.txt").Matches("keep.txt1", "KEEP~1.TXT"));  // a wildcard looks at the long name only

    // Windows-1251: "ё" (B8) folds to "Ё" (A8), "я" (FF) to "Я" (DF).
    lvc::FoldTable cyrillic = lvc::LatinFold();
    cyrillic[0xB8] = 0xA8;
    for (unsigned b = 0xE0; b <= 0xFF; ++b) cyrillic[b] = static_cast<unsigned char>(b - 0x20);
    const FileMask mask("\xDF\xB8*.TXT", cyrillic);
    EXPECT_TRUE(mask.Matches("\xFF\xB8 file.txt"));
    EXPECT_TRUE(mask.Matches("\xDF\xA8.txt"));
    EXPECT_FALSE(MatchesMask("\xFF.txt", "\xDF.txt"));  // Latin folding alone leaves Cyrillic letters apart
}

}  // namespace
