// The user's options as program-wide values, read at start-up and changed by the options dialog.
#pragma once

#include <cstdint>

namespace lvx {

// Picking refines the window under the cursor starting from its top-level ancestor.
extern bool PowerScanning;
// The main window and the parameters editor snap to the desktop's edges.
extern bool MagneticField;
// Class-icon mode of the window tree: 0 none, 1 known classes only, 2 analyse the class name.
extern uint8_t ShowClassIcons;
// The window tree groups its windows by process and thread rather than by their parents.
extern bool TreeGroupByProcess;

// Registry key of the settings under HKEY_CURRENT_USER.
inline constexpr char SettingsKey[] = "Software\\Narvolt\\Lumivex";

// Reads the options from the settings key; each keeps its value when the read fails.
void ReadSettings();
// Writes the options; failures are ignored (the old stored values stay).
void WriteSettings();
// Writes the window tree's grouping alone, when the tree's tool bar changes it.
void WriteTreeGrouping();

}  // namespace lvx
