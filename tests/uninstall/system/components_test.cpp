// Component tests: the PE test, and a real COM server and type library unregistered; the administrator test.
#include "Administrator.h"
#include "Components.h"
#include "SystemTestSupport.h"

#include <oleauto.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

using namespace lvu;
using lvutest::TempFolder;
using lvutest::WriteFile;

namespace {

std::string SystemFile(const char* name)
{
    char folder[MAX_PATH] = {};
    ::GetSystemDirectoryA(folder, MAX_PATH);
    return std::string(folder) + "\\" + name;
}

std::wstring Wide(const std::string& text)
{
    wchar_t wide[MAX_PATH] = {};
    ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, MAX_PATH);
    return wide;
}

// Calls the server's own registration entry point, as its installer did.
bool CallEntry(const std::string& path, const char* entry)
{
    const HMODULE module = ::LoadLibraryA(path.c_str());
    if (!module) return false;
    const FARPROC address = ::GetProcAddress(module, entry);
    HRESULT(STDAPICALLTYPE * function)() = nullptr;
    std::memcpy(&function, &address, sizeof function);
    const bool called = function && SUCCEEDED(function());
    ::FreeLibrary(module);
    return called;
}

bool RegisterTypeLibrary(const std::string& path)
{
    ITypeLib* library = nullptr;
    std::wstring wide = Wide(path);
    if (FAILED(::LoadTypeLibEx(wide.c_str(), REGKIND_NONE, &library))) return false;
    const bool registered = SUCCEEDED(::RegisterTypeLib(library, wide.data(), nullptr));
    library->Release();
    return registered;
}

std::string DefaultValue(HKEY root, const std::string& subKey)
{
    char data[MAX_PATH] = {};
    LONG size = sizeof data;
    return ::RegQueryValueA(root, subKey.c_str(), data, &size) == ERROR_SUCCESS ? data : "";
}

// Puts the platform's own registration back however the test ends.
struct RestoreOnExit {
    std::function<void()> Restore;
    ~RestoreOnExit() { Restore(); }
};

class ComponentTest : public ::testing::Test {
protected:
    void SetUp() override { ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override { ::CoUninitialize(); }
    TempFolder temp_;
};

TEST_F(ComponentTest, PortableExecutablesAreToldFromOtherFiles)
{
    const auto header = [](uint32_t offset, size_t size) {
        std::string data(size, '\0');
        data[0] = 'M';
        data[1] = 'Z';
        std::memcpy(data.data() + 60, &offset, sizeof offset);
        if (offset + 4 <= size) std::memcpy(data.data() + offset, "PE\0\0", 4);
        return data;
    };
    const std::string folder = temp_.Path();
    WriteFile(folder + "good.bin", header(64, 128));
    WriteFile(folder + "zero.bin", header(0, 128));
    WriteFile(folder + "outside.bin", header(400, 128));
    WriteFile(folder + "cut.bin", header(126, 128));
    WriteFile(folder + "short.bin", "MZ");
    WriteFile(folder + "text.txt", std::string(200, 'a'));
    EXPECT_EQ(IsPortableExecutable(folder + "good.bin"), true);
    for (const char* name : {"zero.bin", "outside.bin", "cut.bin", "short.bin", "text.txt"})
        EXPECT_EQ(IsPortableExecutable(folder + name), false) << name;
    EXPECT_EQ(IsPortableExecutable(folder + "missing.bin"), std::nullopt);
    EXPECT_EQ(IsPortableExecutable(SystemFile("itss.dll")), true);
}

TEST_F(ComponentTest, FilesThatHoldNothingToUnregisterFail)
{
    WriteFile(temp_.Path() + "text.txt", "not a component");
    EXPECT_FALSE(UnregisterServer(temp_.Path() + "text.txt"));
    EXPECT_FALSE(UnregisterServer(temp_.Path() + "missing.dll"));
    // A bare name would load the system's own server and unregister that.
    char saved[MAX_PATH] = {}, system[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, saved);
    ::GetSystemDirectoryA(system, MAX_PATH);
    const std::string classKey = "CLSID\\{5D02926A-212E-11D0-9DF9-00A0C922E6EC}\\InprocServer32";
    const std::string before = DefaultValue(HKEY_CLASSES_ROOT, classKey);
    const RestoreOnExit restore{[&] {
        if (DefaultValue(HKEY_CLASSES_ROOT, classKey) != before) CallEntry(SystemFile("itss.dll"), "DllRegisterServer");
    }};
    ::SetCurrentDirectoryA(system);
    EXPECT_FALSE(UnregisterServer("itss.dll"));
    EXPECT_FALSE(UnregisterServer(".\\itss.dll"));
    ::SetCurrentDirectoryA(saved);
    EXPECT_EQ(DefaultValue(HKEY_CLASSES_ROOT, classKey), before);
}

TEST_F(ComponentTest, ACopiedComServerIsUnregistered)
{
    // itss.dll registers four classes (and their names); the platform registered its own copy with
    // the same entry point, which therefore puts it back as it was.
    const std::vector<std::string> classes{"CLSID\\{5D02926A-212E-11D0-9DF9-00A0C922E6EC}",
                                           "CLSID\\{9D148290-B9C8-11D0-A4CC-0000F80149F6}",
                                           "CLSID\\{9D148291-B9C8-11D0-A4CC-0000F80149F6}",
                                           "CLSID\\{D54EEE56-AAAB-11D0-9E1D-00A0C922E6EC}"};
    std::vector<lvutest::RegistryTree> before;
    for (const std::string& key : classes) before.push_back(lvutest::SaveRegistryTree(HKEY_CLASSES_ROOT, key));
    ASSERT_TRUE(before[0].Exists) << "itss.dll is not registered here";

    const std::string copy = temp_.Path() + "itss.dll";
    ASSERT_TRUE(::CopyFileA(SystemFile("itss.dll").c_str(), copy.c_str(), FALSE));
    const RestoreOnExit restore{[] { CallEntry(SystemFile("itss.dll"), "DllRegisterServer"); }};
    ASSERT_TRUE(CallEntry(copy, "DllRegisterServer"));
    ASSERT_EQ(DefaultValue(HKEY_CLASSES_ROOT, classes[0] + "\\InprocServer32"), copy);

    EXPECT_TRUE(UnregisterServer(copy));
    for (const std::string& key : classes) EXPECT_FALSE(lvutest::SaveRegistryTree(HKEY_CLASSES_ROOT, key).Exists) << key;

    restore.Restore();
    for (size_t i = 0; i < classes.size(); ++i)
        EXPECT_TRUE(lvutest::SaveRegistryTree(HKEY_CLASSES_ROOT, classes[i]) == before[i]) << classes[i];
}

// The keys a type library's registration writes: its own and those of its interfaces.
std::vector<std::string> TypeLibraryKeys(const std::string& path)
{
    std::vector<std::string> keys;
    ITypeLib* library = nullptr;
    if (FAILED(::LoadTypeLibEx(Wide(path).c_str(), REGKIND_NONE, &library))) return keys;
    const auto text = [](const GUID& guid) {
        wchar_t wide[64] = {};
        ::StringFromGUID2(guid, wide, 64);
        char narrow[64] = {};
        ::WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, nullptr, nullptr);
        return std::string(narrow);
    };
    TLIBATTR* attributes = nullptr;
    if (SUCCEEDED(library->GetLibAttr(&attributes))) {
        keys.push_back("TypeLib\\" + text(attributes->guid));
        library->ReleaseTLibAttr(attributes);
    }
    for (UINT index = 0; index < library->GetTypeInfoCount(); ++index) {
        ITypeInfo* info = nullptr;
        if (FAILED(library->GetTypeInfo(index, &info))) continue;
        TYPEATTR* type = nullptr;
        if (SUCCEEDED(info->GetTypeAttr(&type))) {
            if (type->typekind == TKIND_INTERFACE || type->typekind == TKIND_DISPATCH)
                keys.push_back("Interface\\" + text(type->guid));
            info->ReleaseTypeAttr(type);
        }
        info->Release();
    }
    library->Release();
    return keys;
}

// HKCR keys as kept in the machine's and the user's classes, put back exactly when it goes: the
// platform registered its type libraries its own way, which registering them again would not
// reproduce.
class ClassesBackup {
public:
    explicit ClassesBackup(std::vector<std::string> keys) : keys_(std::move(keys))
    {
        for (const std::string& key : keys_) {
            machine_.push_back(lvutest::SaveRegistryTree(HKEY_LOCAL_MACHINE, "Software\\Classes\\" + key));
            user_.push_back(lvutest::SaveRegistryTree(HKEY_CURRENT_USER, "Software\\Classes\\" + key));
        }
    }
    ~ClassesBackup()
    {
        for (size_t i = 0; i < keys_.size(); ++i) {
            lvutest::RestoreRegistryTree(HKEY_LOCAL_MACHINE, "Software\\Classes\\" + keys_[i], machine_[i]);
            lvutest::RestoreRegistryTree(HKEY_CURRENT_USER, "Software\\Classes\\" + keys_[i], user_[i]);
        }
    }
    ClassesBackup(const ClassesBackup&) = delete;
    ClassesBackup& operator=(const ClassesBackup&) = delete;

private:
    std::vector<std::string> keys_;
    std::vector<lvutest::RegistryTree> machine_, user_;
};

TEST_F(ComponentTest, ACopiedTypeLibraryIsUnregistered)
{
    // activeds.tlb: a type library in a PE file without DllRegisterServer.
    const std::string original = SystemFile("activeds.tlb");
    const std::string key = "TypeLib\\{97D25DB0-0363-11CF-ABC4-02608C9E7553}";
    const std::vector<std::string> keys = TypeLibraryKeys(original);
    ASSERT_GT(keys.size(), 1u);
    ASSERT_EQ(keys.front(), key);
    const ClassesBackup backup(keys);

    const std::string copy = temp_.Path() + "activeds.tlb";
    ASSERT_TRUE(::CopyFileA(original.c_str(), copy.c_str(), FALSE));
    ASSERT_TRUE(RegisterTypeLibrary(copy));
    const char* kind = sizeof(void*) == 8 ? "\\1.0\\0\\win64" : "\\1.0\\0\\win32";
    ASSERT_EQ(DefaultValue(HKEY_CLASSES_ROOT, key + kind), copy);

    EXPECT_TRUE(UnregisterServer(copy));
    // Only this bitness's registration goes: with 32-bit programs beside 64-bit ones, the system's
    // other registration of the same library stays.
    EXPECT_FALSE(lvutest::SaveRegistryTree(HKEY_CLASSES_ROOT, key + kind).Exists);
    EXPECT_FALSE(UnregisterServer(copy));  // nothing left to unregister
}

// The helper's answer to "administrator?" when started with `token` (null: this process's own).
int AdministratorAnswer(HANDLE token)
{
    const std::string helper = lvutest::BinFolder() + "lvu_system_test_helper.exe";
    std::string commandLine = "\"" + helper + "\" is-administrator";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const BOOL started =
        token ? ::CreateProcessAsUserA(token, helper.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                       nullptr, &startup, &process)
              : ::CreateProcessA(helper.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                 &startup, &process);
    if (!started) return -1;
    ::WaitForSingleObject(process.hProcess, 20000);
    DWORD exitCode = 99;
    ::GetExitCodeProcess(process.hProcess, &exitCode);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return static_cast<int>(exitCode);
}

TEST(Administrator, OnlyAnEnabledAdministratorsGroupCounts)
{
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    ASSERT_TRUE(::AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0,
                                           0, &administrators));
    BOOL member = FALSE;
    ASSERT_TRUE(::CheckTokenMembership(nullptr, administrators, &member));
    EXPECT_EQ(IsAdministrator(), member != FALSE);
    EXPECT_EQ(AdministratorAnswer(nullptr), member ? 1 : 0);

    // The same token with the group kept for deny checks only, as an administrator's token is
    // under user account control until elevated.
    HANDLE own = nullptr;
    ASSERT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_ALL_ACCESS, &own));
    SID_AND_ATTRIBUTES disabled{administrators, 0};
    HANDLE restricted = nullptr;
    ASSERT_TRUE(::CreateRestrictedToken(own, 0, 1, &disabled, 0, nullptr, 0, nullptr, &restricted));
    EXPECT_EQ(AdministratorAnswer(restricted), 0);
    ::CloseHandle(restricted);
    ::CloseHandle(own);
    ::FreeSid(administrators);

    lvutest::SeamRecord record;
    TempFolder temp;
    const ScopedSeamOverride seam(
        lvutest::RecordingSeam(record, PlatformWin95, temp.Path(), temp.Path(), "HKCU\\Software\\LumivexTests"));
    EXPECT_TRUE(IsAdministrator());
}

}  // namespace
