// Environment tests: NT registry values of the test's own, autoexec.bat in a temporary folder, our own environment.
#include "Environment.h"
#include "Registry.h"
#include "SystemTestSupport.h"

#include <gtest/gtest.h>

using namespace lvu;
using lvutest::FolderNames;
using lvutest::ReadFile;
using lvutest::TempFolder;
using lvutest::WriteFile;

namespace {

const std::string UserEnvironment = "HKCU\\Environment";
const std::string SystemEnvironment = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

// A variable name of the test's own, removed from the registry afterwards.
struct OwnVariable {
    std::string Name = lvutest::UniqueTestName("LVU_TEST_VARIABLE");
    ~OwnVariable()
    {
        RegRemoveValue(UserEnvironment, Name);
        RegRemoveValue(SystemEnvironment, Name);
    }
};

TEST(EnvironmentNT, ValuesAreStoredAndRemovedPerScope)
{
    const OwnVariable variable;
    for (const std::string& key : {UserEnvironment, SystemEnvironment}) {
        const bool systemWide = key == SystemEnvironment;
        ASSERT_TRUE(StoreEnvironmentVariable(variable.Name, "C:\\A;C:\\B", systemWide)) << key;
        EXPECT_EQ(RegReadString(key, variable.Name, "?"), "C:\\A;C:\\B");
        EXPECT_TRUE(StoreEnvironmentVariable(variable.Name, "", systemWide));
        EXPECT_FALSE(RegValueExists(key, variable.Name));
        EXPECT_TRUE(StoreEnvironmentVariable(variable.Name, "", systemWide));  // already absent
    }
}

struct AutoexecPlace {
    TempFolder Root;
    lvutest::SeamRecord Record;
    ScopedSeamOverride Seam{lvutest::RecordingSeam(Record, PlatformWin95, Root.Path(), Root.Path(),
                                                   "HKCU\\Software\\LumivexTests")};
    [[nodiscard]] std::string Autoexec() const { return ReadFile(Root.Path() + "autoexec.bat"); }
};

TEST(EnvironmentWin95, SetLinesAreRewrittenInPlace)
{
    AutoexecPlace place;
    WriteFile(place.Root.Path() + "autoexec.bat", "@ECHO OFF\r\nset lvu_x=old\r\nSET PATH=C:\\DOS\r\n");
    EXPECT_TRUE(StoreEnvironmentVariable("LVU_X", "new", true));
    EXPECT_EQ(place.Autoexec(), "@ECHO OFF\r\nSET LVU_X=new\r\nSET PATH=C:\\DOS\r\n");
    EXPECT_TRUE(StoreEnvironmentVariable("LVU_Y", "1", false));
    EXPECT_TRUE(StoreEnvironmentVariable("lvu_x", "", false));
    EXPECT_EQ(place.Autoexec(), "@ECHO OFF\r\nSET PATH=C:\\DOS\r\nSET LVU_Y=1\r\n");
    EXPECT_EQ(FolderNames(place.Root.Path()), (std::vector<std::string>{"autoexec.bat"}));
}

TEST(EnvironmentWin95, AMissingAutoexecIsCreatedOnlyForAValue)
{
    AutoexecPlace place;
    EXPECT_TRUE(StoreEnvironmentVariable("LVU_X", "", false));
    EXPECT_TRUE(FolderNames(place.Root.Path()).empty());
    EXPECT_TRUE(StoreEnvironmentVariable("LVU_X", "1", false));
    EXPECT_EQ(place.Autoexec(), "SET LVU_X=1\r\n");
}

TEST(EnvironmentWin95, AnAutoexecThatCannotBeReplacedStaysAsItWas)
{
    AutoexecPlace place;
    const std::string autoexec = place.Root.Path() + "autoexec.bat";
    WriteFile(autoexec, "SET LVU_X=old\r\n");
    const HANDLE locked = ::CreateFileA(autoexec.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                       nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(StoreEnvironmentVariable("LVU_X", "new", false));
    ::CloseHandle(locked);
    EXPECT_EQ(place.Autoexec(), "SET LVU_X=old\r\n");
    EXPECT_EQ(FolderNames(place.Root.Path()), (std::vector<std::string>{"autoexec.bat"}));
}

TEST(Environment, ReadsTheProcessEnvironment)
{
    const std::string name = lvutest::UniqueTestName("LVU_TEST_READ");
    const std::string longValue(3000, 'v');
    ASSERT_TRUE(::SetEnvironmentVariableA(name.c_str(), longValue.c_str()));
    EXPECT_EQ(ReadEnvironmentVariable(name), longValue);
    ::SetEnvironmentVariableA(name.c_str(), nullptr);
    EXPECT_EQ(ReadEnvironmentVariable(name), "");
}

}  // namespace
