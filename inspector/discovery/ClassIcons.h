// Pictures for window classes: the tables read from "Classes.dsc" and the look-up the tree uses.
//
// The file holds one entry a line (CR LF, LF or CR ends a line; nothing is trimmed):
//   <number>   the picture index for the lines that follow (decimal, or hex after "$"/"x"/"0x")
//   !<name>    an exact class name, compared without regard to the case of Latin letters
//   ?<mask>    a class-name mask, tried in file order after the exact names
// Empty lines and lines that are not numbers are skipped.
#pragma once

#include "Mask.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lvx {

struct ClassIconName {
    std::string Name;
    int32_t ImageIndex = 0;
};

// Exact names sorted for halving search, and masks in file order; filled once at start-up.
extern std::vector<ClassIconName> ClassIconNames;
extern std::vector<TMyMask> ClassIconMasks;

// Reads class-icon lines into the two tables (names left unsorted). An invalid mask ends the
// reading with false; what came before it stays.
bool ParseClassIcons(std::string_view content, std::vector<ClassIconName>& names, std::vector<TMyMask>& masks);

// Sorts the names for ClassIconLookup; among equal names the first in the file wins.
void SortClassIconNames(std::vector<ClassIconName>& names);

// Fills the program's tables from the file; false when it cannot be read (tables empty) or
// holds an invalid mask. The names are sorted either way.
bool LoadClassIcons(const std::string& fileName);

// How far the look-up goes: the ShowClassIcons setting.
enum ClassIconMode : uint8_t { ClassIconsOff = 0, ClassIconsKnownOnly = 1, ClassIconsAnalyse = 2 };

// The picture index for a class name, 0 for none. Mode 0 gives 0; mode 2 tries the masks when
// no exact name gives a picture; any other mode looks at exact names only.
[[nodiscard]] int32_t LookupClassIcon(std::string_view className, uint8_t mode, const std::vector<ClassIconName>& names,
                                      const std::vector<TMyMask>& masks);
[[nodiscard]] int32_t LookupClassIcon(std::string_view className, uint8_t mode);

}  // namespace lvx
