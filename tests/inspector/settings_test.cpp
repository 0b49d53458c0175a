// The settings store against the real registry, under a scratch key of the test's own.
#include "TestSupport.h"

#include "settings/UNI_SimpleRegAccess.h"

#include <gtest/gtest.h>

using namespace lvx;

namespace {

bool KeyExists(const std::string& path)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    ::RegCloseKey(key);
    return true;
}

void WriteRaw(const std::string& path, const char* name, DWORD type, const void* data, DWORD size)
{
    unique_hkey key;
    ASSERT_TRUE(SettingsOpenKey(HKEY_CURRENT_USER, path, true, key));
    ASSERT_EQ(::RegSetValueExA(key.get(), name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
}

TEST(SettingsStore, AReadCreatesTheMissingKeyAndLeavesTheDefault)
{
    lvxtest::ScratchRegistryKey scratch;
    const std::string path = scratch.Path() + "\\Software\\Narvolt\\Lumivex";
    ASSERT_FALSE(KeyExists(path));
    bool power = true;
    EXPECT_FALSE(SettingsReadBool(HKEY_CURRENT_USER, path, "PowerScanning", power));
    EXPECT_TRUE(power);
    EXPECT_TRUE(KeyExists(path));  // reading created it, still without values
    int32_t icons = 2;
    EXPECT_FALSE(SettingsReadInteger(HKEY_CURRENT_USER, path, "ShowClassIcons", icons));
    EXPECT_EQ(icons, 2);
    unique_hkey opened;
    EXPECT_FALSE(SettingsOpenKey(HKEY_CURRENT_USER, path + "\\Missing", false, opened));
    EXPECT_FALSE(KeyExists(path + "\\Missing"));
}

TEST(SettingsStore, ValuesRoundTripAsDwords)
{
    lvxtest::ScratchRegistryKey scratch;
    const std::string& path = scratch.Path();
    EXPECT_TRUE(SettingsWriteBool(HKEY_CURRENT_USER, path, "MagneticField", false));
    EXPECT_TRUE(SettingsWriteInteger(HKEY_CURRENT_USER, path, "ShowClassIcons", 258));
    bool magnetic = true;
    EXPECT_TRUE(SettingsReadBool(HKEY_CURRENT_USER, path, "MagneticField", magnetic));
    EXPECT_FALSE(magnetic);
    int32_t icons = 0;
    EXPECT_TRUE(SettingsReadInteger(HKEY_CURRENT_USER, path, "ShowClassIcons", icons));
    EXPECT_EQ(icons, 258);
    EXPECT_EQ(static_cast<uint8_t>(icons & 0xFF), 2);  // the program keeps the low byte

    // Any integer other than 0 reads as true; a boolean is written as exactly 1.
    WriteRaw(path, "PowerScanning", REG_DWORD, "\x07\x00\x00\x00", 4);
    bool power = false;
    EXPECT_TRUE(SettingsReadBool(HKEY_CURRENT_USER, path, "PowerScanning", power));
    EXPECT_TRUE(power);
    EXPECT_TRUE(SettingsWriteBool(HKEY_CURRENT_USER, path, "PowerScanning", true));
    DWORD stored = 0;
    DWORD size = sizeof stored;
    ASSERT_EQ(::RegGetValueA(HKEY_CURRENT_USER, path.c_str(), "PowerScanning", RRF_RT_REG_DWORD, nullptr, &stored, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(stored, 1u);
}

TEST(SettingsStore, AValueOfAnotherTypeIsNotRead)
{
    lvxtest::ScratchRegistryKey scratch;
    const std::string& path = scratch.Path();
    WriteRaw(path, "AsText", REG_SZ, "1", 2);
    WriteRaw(path, "AsBinary", REG_BINARY, "\x01\x00\x00\x00", 4);
    WriteRaw(path, "AsQword", REG_QWORD, "\x01\x00\x00\x00\x00\x00\x00\x00", 8);
    WriteRaw(path, "ShortDword", REG_DWORD, "\x01", 1);
    for (const char* name : {"AsText", "AsBinary", "AsQword", "ShortDword"}) {
        bool flag = false;
        EXPECT_FALSE(SettingsReadBool(HKEY_CURRENT_USER, path, name, flag)) << name;
        EXPECT_FALSE(flag) << name;
        int32_t number = 42;
        EXPECT_FALSE(SettingsReadInteger(HKEY_CURRENT_USER, path, name, number)) << name;
        EXPECT_EQ(number, 42) << name;
    }
}

}  // namespace
