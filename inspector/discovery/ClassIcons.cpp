// Pictures for window classes: the tables read from "Classes.dsc" and the look-up the tree uses.
#include "ClassIcons.h"

#include "core/UNI_Strings.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace lvx {

std::vector<ClassIconName> ClassIconNames;
std::vector<TMyMask> ClassIconMasks;

namespace {

// Orders names as the look-up compares them: Latin letters without case, other bytes by value.
int CompareNames(std::string_view a, std::string_view b)
{
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        const auto x = static_cast<unsigned char>(LatinUpper(a[i]));
        const auto y = static_cast<unsigned char>(LatinUpper(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace

bool ParseClassIcons(std::string_view content, std::vector<ClassIconName>& names, std::vector<TMyMask>& masks)
{
    int32_t current = 0;
    for (std::string_view line : SplitLines(content)) {
        if (line.empty()) continue;
        if (line.front() == '!') {
            names.push_back({std::string(line.substr(1)), current});
        } else if (line.front() == '?') {
            std::optional<TMask> mask = TMask::Create(line.substr(1));
            if (!mask) return false;
            masks.emplace_back(std::move(*mask), current);
        } else if (const std::optional<int32_t> number = StrToInt(line)) {
            current = *number;
        }
    }
    return true;
}

void SortClassIconNames(std::vector<ClassIconName>& names)
{
    std::stable_sort(names.begin(), names.end(), [](const ClassIconName& a, const ClassIconName& b) {
        return CompareNames(a.Name, b.Name) < 0;
    });
}

bool LoadClassIcons(const std::string& fileName)
{
    ClassIconNames.clear();
    ClassIconMasks.clear();
    std::ifstream file(fileName, std::ios::binary);
    if (!file) return false;
    const std::string content{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (file.bad()) return false;
    const bool complete = ParseClassIcons(content, ClassIconNames, ClassIconMasks);
    SortClassIconNames(ClassIconNames);
    return complete;
}

int32_t LookupClassIcon(std::string_view className, uint8_t mode, const std::vector<ClassIconName>& names,
                        const std::vector<TMyMask>& masks)
{
    if (mode == ClassIconsOff) return 0;
    int32_t result = 0;
    const auto found = std::lower_bound(names.begin(), names.end(), className,
        [](const ClassIconName& entry, std::string_view name) { return CompareNames(entry.Name, name) < 0; });
    if (found != names.end() && CompareNames(found->Name, className) == 0) result = found->ImageIndex;
    if (mode == ClassIconsAnalyse && result == 0) {
        for (const TMyMask& mask : masks) {
            if (mask.Matches(className)) return mask.ImageIndex;
        }
    }
    return result;
}

int32_t LookupClassIcon(std::string_view className, uint8_t mode)
{
    return LookupClassIcon(className, mode, ClassIconNames, ClassIconMasks);
}

}  // namespace lvx
