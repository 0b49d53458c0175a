// INI files on disk: the open modes and their sharing, the error for a file that cannot be
// opened, saving, bare names in the Windows folder, the cached access layer, and the edits of
// other programs' INI files.
#include "TestSupport.h"

#include "log/IniCache.h"
#include "log/IniFileEdit.h"
#include "log/TextIniFile.h"
#include "system/SystemSeam.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <vector>

using namespace lvu;

namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void WriteFile(const std::string& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
}

bool CanOpenForWriting(const std::string& path)
{
    const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    ::CloseHandle(file);
    return true;
}

uint64_t WriteTime(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}

// Sets the file's last write time to a day in 2001, so that any later write shows; gives it back as read.
uint64_t SetOldWriteTime(const std::string& path)
{
    const HANDLE file = ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    if (file == INVALID_HANDLE_VALUE) return 0;
    const FILETIME old{0x9D3C8000u, 0x01C0E000u};
    EXPECT_TRUE(::SetFileTime(file, nullptr, nullptr, &old));
    ::CloseHandle(file);
    return WriteTime(path);
}

// The names of the files in a folder.
std::vector<std::string> FileNames(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry{};
    const HANDLE find = ::FindFirstFileA((folder + "*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(entry.cFileName);
    } while (::FindNextFileA(find, &entry));
    ::FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

class IniFileTest : public ::testing::Test {
protected:
    void TearDown() override { cached::FlushAll(); }
    lvxtest::TempFolder folder;
};

TEST_F(IniFileTest, ReadOnlyFilesAreReleasedAtOnceAndWritableOnesKept)
{
    const std::string path = folder.Path() + "install.log";
    WriteFile(path, "[Strings]\r\nAppID = 'Demo'\r\n");
    {
        TTextIniFile reader(path, true);
        EXPECT_EQ(reader.Data().ReadString("Strings", "AppID", ""), "Demo");
        EXPECT_TRUE(CanOpenForWriting(path));
    }
    {
        TTextIniFile writer(path, false);
        EXPECT_FALSE(CanOpenForWriting(path)) << "others may only read while it is open for writing";
        const HANDLE reader = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(reader, INVALID_HANDLE_VALUE);
        if (reader != INVALID_HANDLE_VALUE) ::CloseHandle(reader);
    }
    EXPECT_TRUE(CanOpenForWriting(path));
}

TEST_F(IniFileTest, AFileThatCannotBeOpenedRaisesAndAMissingOneIsEmpty)
{
    const std::string path = folder.Path() + "locked.ini";
    WriteFile(path, "[S]\r\na=1\r\n");
    const HANDLE lock = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    try {
        TTextIniFile file(path, true);
        ADD_FAILURE() << "no error for a file in use";
    } catch (const IniFileError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot open file " + path);
    }
    EXPECT_THROW(static_cast<void>(cached::ReadString(path, "S", "a", "")), IniFileError);
    EXPECT_FALSE(cached::WriteString(path, "S", "a", "2"));
    ::CloseHandle(lock);
    EXPECT_EQ(cached::ReadString(path, "S", "a", ""), "1");

    TTextIniFile missing(folder.Path() + "absent.ini", true);
    EXPECT_EQ(missing.Data().SectionCount(), 0u);
    EXPECT_EQ(::GetFileAttributesA((folder.Path() + "absent.ini").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(IniFileTest, SavingWritesOnlyFilledSectionsAndCutsTheOldTail)
{
    const std::string path = folder.Path() + "sub\\dir\\settings.ini";
    {
        TTextIniFile file(path, false);  // the folders do not exist yet
        file.Data().WriteString("First", "a", "1");
        file.Data().WriteString("Empty", "x", "y");
        file.Data().DeleteKey("Empty", "x");
        file.Data().WriteString("Second", "b", "two words");
    }
    EXPECT_EQ(ReadFile(path), "[First]\r\na=1\r\n\r\n[Second]\r\nb=two words\r\n\r\n");
    WriteFile(path, ReadFile(path) + std::string(4000, ';'));
    {
        TTextIniFile file(path, false);
        file.Data().EraseSection("Second");
        file.UpdateFile();
    }
    EXPECT_EQ(ReadFile(path), "[First]\r\na=1\r\n\r\n");
    // Nothing changed: nothing written, so the file keeps its old write time.
    const uint64_t written = SetOldWriteTime(path);
    {
        TTextIniFile unchanged(path, false);
    }
    EXPECT_EQ(ReadFile(path), "[First]\r\na=1\r\n\r\n");
    EXPECT_EQ(WriteTime(path), written);
}

TEST_F(IniFileTest, ABareNameLivesInTheWindowsFolder)
{
    SystemSeam seam = RealSystemSeam();
    seam.WindowsFolder = folder.Path();
    const ScopedSeamOverride override(seam);
    {
        TTextIniFile file("program.ini", false);
        EXPECT_EQ(file.FileName(), folder.Path() + "program.ini");
        file.Data().WriteString("S", "k", "v");
    }
    EXPECT_EQ(ReadFile(folder.Path() + "program.ini"), "[S]\r\nk=v\r\n\r\n");
}

TEST_F(IniFileTest, TheCachedLayerConvertsNumbersItsOwnWay)
{
    const std::string path = folder.Path() + "numbers.ini";
    WriteFile(path, "[N]\r\nhex=0x1F\r\ndollar=$1F\r\nneg= -5\r\none=1\r\ntwo=2\r\ntext=abc\r\n");
    EXPECT_EQ(cached::ReadInteger(path, "N", "hex", 7), 7);
    EXPECT_EQ(cached::ReadInteger(path, "N", "dollar", 7), 31);
    EXPECT_EQ(cached::ReadInteger(path, "N", "neg", 7), -5);
    EXPECT_EQ(cached::ReadInteger(path, "N", "text", 7), 7);
    EXPECT_EQ(cached::ReadInteger(path, "N", "missing", 7), 7);
    TTextIniFile direct(path, true);
    EXPECT_EQ(direct.Data().ReadInteger("N", "hex", 7), 31);  // the class reads "0x" as hexadecimal
    EXPECT_TRUE(cached::ReadBool(path, "N", "one", false));
    EXPECT_FALSE(cached::ReadBool(path, "N", "two", true));  // only "1" is true
    EXPECT_TRUE(cached::ReadBool(path, "N", "missing", true));
    EXPECT_EQ(cached::SectionLineCount(path, "N"), 6u);
    std::vector<std::string> lines;
    cached::ReadSection(path, "N", lines);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[2], "neg=-5");
    EXPECT_EQ(cached::SectionLineCount(path, "nothing"), 0u);
}

TEST_F(IniFileTest, AWriteThroughTheCacheReopensTheFileForWriting)
{
    const std::string path = folder.Path() + "cache.ini";
    WriteFile(path, "[S]\r\na=1\r\nb=2\r\n");
    EXPECT_EQ(cached::ReadString(path, "S", "a", ""), "1");
    EXPECT_TRUE(CanOpenForWriting(path));  // opened for reading only, and released
    EXPECT_TRUE(cached::WriteString(path, "S", "c", "3"));
    EXPECT_FALSE(CanOpenForWriting(path));  // now held for writing
    EXPECT_TRUE(cached::DeleteKey(path, "S", "a"));
    // The same file under another spelling is the same cached object.
    EXPECT_EQ(cached::ReadString(path.substr(0, path.size() - 9) + "CACHE.INI", "S", "c", ""), "3");
    cached::FlushAll();
    EXPECT_TRUE(CanOpenForWriting(path));
    EXPECT_EQ(ReadFile(path), "[S]\r\nb=2\r\nc=3\r\n\r\n");
}

// Other programs' INI files are edited in one step: only a file that changes is written, and a
// file that cannot be replaced stays whole with no temporary file left beside it.
TEST_F(IniFileTest, AnEditReplacesTheFileInOneStepOrLeavesItWhole)
{
    const std::string path = folder.Path() + "program.ini";
    WriteFile(path, "[S]\nk=1\n");
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(SetIniFileValue(path, "S", "k", "2"), IniFileEditResult::Changed);
    EXPECT_EQ(ReadFile(path), "[S]\nk=2\n");
    EXPECT_NE(::GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u) << "the file keeps its attributes";
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);

    const uint64_t written = SetOldWriteTime(path);
    EXPECT_EQ(SetIniFileValue(path, "s", "K", "2"), IniFileEditResult::Unchanged);
    EXPECT_EQ(DeleteIniFileKey(path, "S", "missing"), IniFileEditResult::Unchanged);
    EXPECT_EQ(WriteTime(path), written);

    // Held open by its owner without leave to delete or rename it.
    const HANDLE held = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(DeleteIniFileKey(path, "S", "k"), IniFileEditResult::Failed);
    ::CloseHandle(held);
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(DeleteIniFileKey(path, "S", "k"), IniFileEditResult::Failed);
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadFile(path), "[S]\nk=2\n");
    EXPECT_EQ(FileNames(folder.Path()), std::vector<std::string>{"program.ini"});

    const std::string wide("\xFF\xFE[\0S\0]\0", 8);
    WriteFile(path, wide);
    EXPECT_EQ(SetIniFileValue(path, "S", "k", "2"), IniFileEditResult::Refused);
    EXPECT_EQ(ReadFile(path), wide);

    // A missing file is made for a value, with its folders; a bare name is in the Windows folder.
    EXPECT_EQ(DeleteIniFileKey(folder.Path() + "none\\none.ini", "S", "k"), IniFileEditResult::Unchanged);
    EXPECT_EQ(SetIniFileValue(folder.Path() + "new\\made.ini", "S", "k", "v"), IniFileEditResult::Changed);
    EXPECT_EQ(ReadFile(folder.Path() + "new\\made.ini"), "[S]\r\nk=v\r\n");
    SystemSeam seam = RealSystemSeam();
    seam.WindowsFolder = folder.Path();
    const ScopedSeamOverride override(seam);
    EXPECT_EQ(SetIniFileValue("program.ini", "S", "k", "3"), IniFileEditResult::Refused);
    EXPECT_EQ(FileNames(folder.Path()), std::vector<std::string>{"program.ini"});
}

}  // namespace
