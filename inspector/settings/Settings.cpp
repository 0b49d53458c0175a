// The user's options as program-wide values, read at start-up and changed by the options dialog.
#include "Settings.h"

#include "UNI_SimpleRegAccess.h"

namespace lvx {

bool PowerScanning = true;
bool MagneticField = true;
uint8_t ShowClassIcons = 2;
bool TreeGroupByProcess = false;

void ReadSettings()
{
    SettingsReadBool(SettingsKey, "PowerScanning", PowerScanning);
    SettingsReadBool(SettingsKey, "MagneticField", MagneticField);
    int32_t icons = 0;
    if (SettingsReadInteger(SettingsKey, "ShowClassIcons", icons)) ShowClassIcons = static_cast<uint8_t>(icons & 0xFF);
    SettingsReadBool(SettingsKey, "TreeByProcess", TreeGroupByProcess);
}

void WriteSettings()
{
    SettingsWriteBool(SettingsKey, "PowerScanning", PowerScanning);
    SettingsWriteBool(SettingsKey, "MagneticField", MagneticField);
    SettingsWriteInteger(SettingsKey, "ShowClassIcons", ShowClassIcons);
    WriteTreeGrouping();
}

void WriteTreeGrouping()
{
    SettingsWriteBool(SettingsKey, "TreeByProcess", TreeGroupByProcess);
}

}  // namespace lvx
