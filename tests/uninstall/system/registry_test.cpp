// Registry access by textual path against the real registry, under scratch keys of the tests' own.
#include "Registry.h"
#include "SystemTestSupport.h"

#include <gtest/gtest.h>

using namespace lvu;
using lvutest::ScratchRegistryKey;

namespace {

using Raw = std::pair<DWORD, std::string>;

// Type and bytes of a value as stored; type REG_NONE and no bytes when missing.
Raw RawValue(const std::string& subKey, const std::string& name)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
    char data[1024];
    DWORD size = sizeof data;
    DWORD type = REG_NONE;
    const LONG status = ::RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    ::RegCloseKey(key);
    if (status != ERROR_SUCCESS) return {};
    return {type, std::string(data, size)};
}

void WriteRaw(const ScratchRegistryKey& scratch, const char* name, DWORD type, const std::string& data)
{
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, scratch.SubKey().c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                &key, nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()));
    ::RegCloseKey(key);
}

bool KeyExists(const std::string& subKey)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    ::RegCloseKey(key);
    return true;
}

TEST(RegistryByPath, EverySpellingOfAPathReachesTheSameKey)
{
    ScratchRegistryKey scratch;
    ASSERT_TRUE(RegWriteString("hkcu\\" + scratch.SubKey() + "\\", "Spelling", "one"));
    EXPECT_EQ(RegReadString("HKCU\\" + scratch.SubKey(), "Spelling", "?"), "one");
    // A first component that names no root: the whole path under HKEY_CURRENT_USER.
    EXPECT_EQ(RegReadString(scratch.SubKey(), "Spelling", "?"), "one");
    EXPECT_EQ(RegReadString(scratch.SubKey() + "\\", "Spelling", "?"), "one");
    EXPECT_EQ(RegReadString("HKLM\\" + scratch.SubKey(), "Spelling", "absent"), "absent");
}

TEST(RegistryByPath, ReadsTurnEveryTypeIntoText)
{
    ScratchRegistryKey scratch;
    const std::string path = scratch.Path();
    WriteRaw(scratch, "Sz", REG_SZ, std::string("text\0", 5));
    WriteRaw(scratch, "Unterminated", REG_SZ, "bare");
    WriteRaw(scratch, "Expand", REG_EXPAND_SZ, std::string("%SystemRoot%\\x\0", 15));
    WriteRaw(scratch, "Binary", REG_BINARY, std::string("\x00\x0a\xff", 3));
    WriteRaw(scratch, "Dword", REG_DWORD, std::string("\xff\xff\xff\xff", 4));
    WriteRaw(scratch, "Multi", REG_MULTI_SZ, std::string("a\0bc\0\0", 6));
    WriteRaw(scratch, "Qword", REG_QWORD, std::string(8, '\x01'));
    WriteRaw(scratch, "ShortDword", REG_DWORD, std::string("\x01\x02", 2));

    EXPECT_EQ(RegReadString(path, "Sz", "?"), "text");
    EXPECT_EQ(RegReadString(path, "Unterminated", "?"), "bare");
    EXPECT_EQ(RegReadString(path, "Expand", "?"), "%SystemRoot%\\x");  // not expanded
    const auto expand = RegReadStoredString(path, "Expand");
    ASSERT_TRUE(expand.has_value());
    EXPECT_EQ(expand->Text, "%SystemRoot%\\x");
    EXPECT_TRUE(expand->Expandable);
    EXPECT_FALSE(RegReadStoredString(path, "Sz")->Expandable);
    EXPECT_FALSE(RegReadStoredString(path, "Dword").has_value());
    EXPECT_EQ(RegReadString(path, "Binary", "?"), "000AFF");
    EXPECT_EQ(RegReadString(path, "Dword", "?"), "4294967295");
    EXPECT_EQ(RegReadString(path, "Multi", "?"), "a\r\nbc");
    EXPECT_EQ(RegReadString(path, "Qword", "?"), "?");
    EXPECT_EQ(RegReadString(path, "ShortDword", "?"), "?");
    EXPECT_EQ(RegReadString(path, "Missing", "?"), "?");

    EXPECT_EQ(RegReadInteger(path, "Dword", 5), -1);
    EXPECT_EQ(RegReadInteger(path, "Binary", 5), 5);  // three bytes are not four
    EXPECT_EQ(RegReadInteger(path, "Qword", 5), 5);
    EXPECT_EQ(RegReadInteger(path, "Missing", 5), 5);
    EXPECT_EQ(RegReadInteger(path + "\\NoSuchKey", "Dword", 5), 5);
}

TEST(RegistryByPath, LoggedValuesAreRestoredByTypeCode)
{
    ScratchRegistryKey scratch;
    const std::string path = scratch.Path() + "\\Created\\Deeper";
    ASSERT_TRUE(RegRestoreValue(path, "Plain", 1, "text"));
    ASSERT_TRUE(RegRestoreValue(path, "Expandable", 2, "%TEMP%\\x"));
    ASSERT_TRUE(RegRestoreValue(path, "Bytes", 3, "0A 1b FF"));
    ASSERT_TRUE(RegRestoreValue(path, "Max", 4, "4294967295"));
    ASSERT_TRUE(RegRestoreValue(path, "Half", 4, "2147483648"));
    ASSERT_TRUE(RegRestoreValue(path, "NotANumber", 4, "twelve"));
    ASSERT_TRUE(RegRestoreValue(path, "Lines", 7, "a\r\nb"));
    EXPECT_FALSE(RegRestoreValue(path, "Absent", 0, "x"));
    EXPECT_FALSE(RegRestoreValue(path, "Unknown", 5, "x"));

    const std::string subKey = scratch.SubKey() + "\\Created\\Deeper";
    EXPECT_EQ(RawValue(subKey, "Plain"), (Raw{REG_SZ, std::string("text\0", 5)}));
    EXPECT_EQ(RawValue(subKey, "Expandable"), (Raw{REG_EXPAND_SZ, std::string("%TEMP%\\x\0", 9)}));
    EXPECT_EQ(RawValue(subKey, "Bytes"), (Raw{REG_BINARY, "\x0a\x1b\xff"}));
    EXPECT_EQ(RawValue(subKey, "Max"), (Raw{REG_DWORD, "\xff\xff\xff\xff"}));
    EXPECT_EQ(RawValue(subKey, "Half"), (Raw{REG_DWORD, std::string("\x00\x00\x00\x80", 4)}));
    EXPECT_EQ(RawValue(subKey, "NotANumber"), (Raw{REG_DWORD, std::string(4, '\0')}));
    EXPECT_EQ(RawValue(subKey, "Lines"), (Raw{REG_MULTI_SZ, std::string("a\0b\0\0", 5)}));
    EXPECT_EQ(RawValue(subKey, "Absent"), Raw{});
    EXPECT_EQ(RawValue(subKey, "Unknown"), Raw{});
}

TEST(RegistryByPath, ValuesAndKeysAreRemoved)
{
    ScratchRegistryKey scratch;
    const std::string path = scratch.Path();
    ASSERT_TRUE(RegWriteInteger(path, "Gone", 7));
    ASSERT_TRUE(RegWriteInteger(path, "Kept", 8));
    EXPECT_TRUE(RegRemoveValue(path, "Gone"));
    EXPECT_FALSE(RegRemoveValue(path, "Gone"));
    EXPECT_FALSE(RegRemoveValue(path + "\\NoSuchKey", "Kept"));
    EXPECT_EQ(RawValue(scratch.SubKey(), "Gone"), Raw{});
    EXPECT_EQ(RegReadInteger(path, "Kept", 0), 8);

    ASSERT_TRUE(RegWriteString(path + "\\A\\B\\C", "v", "1"));
    ASSERT_TRUE(RegWriteString(path + "\\A\\B2", "v", "1"));
    // Without recursion a key with sub-keys stays, and so do they.
    EXPECT_FALSE(RegRemoveKey(path + "\\A", false));
    EXPECT_TRUE(KeyExists(scratch.SubKey() + "\\A\\B\\C"));
    EXPECT_TRUE(RegRemoveKey(path + "\\A\\B\\C\\", false));
    EXPECT_FALSE(KeyExists(scratch.SubKey() + "\\A\\B\\C"));
    EXPECT_TRUE(KeyExists(scratch.SubKey() + "\\A\\B"));
    EXPECT_TRUE(RegRemoveKey(path + "\\A", true));
    EXPECT_FALSE(KeyExists(scratch.SubKey() + "\\A"));
    EXPECT_TRUE(KeyExists(scratch.SubKey()));
    EXPECT_FALSE(RegRemoveKey(path + "\\A", true));
}

}  // namespace
