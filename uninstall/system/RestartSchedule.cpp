// Deletion and renaming of files at the next restart, for both platform families.
#include "RestartSchedule.h"

#include "FileText.h"
#include "Handles.h"
#include "Registry.h"
#include "Restart.h"
#include "RestartFiles.h"
#include "SafePaths.h"
#include "SystemSeam.h"

#include <optional>
#include <vector>

namespace lvu {
namespace {

bool Exists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ShortName(const std::string& path)
{
    char buffer[MAX_PATH * 2] = {};
    const DWORD length = ::GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
    return length > 0 && length < sizeof buffer ? std::string(buffer, length) : path;
}

// wininit.ini belongs to the system: the entries are added to it and nothing else changes, in
// one step, so that a failure leaves it as it was.
bool AddToWininit(const std::vector<std::string>& entries)
{
    const std::string wininit = Seam().WindowsFolder + "wininit.ini";
    std::string old;
    if (Exists(wininit) && !ReadWholeFile(wininit, old)) return false;
    const std::optional<std::string> text = AddRenameEntries(old, entries);
    return text && ReplaceWholeFile(wininit, *text);
}

bool ScheduleWin95(const std::string& source, const std::optional<std::string>& target)
{
    const std::string shortSource = ShortName(source);
    if (!target) return AddToWininit({"NUL=" + shortSource});

    // The 8.3 name of a file that does not exist yet is only known once it does.
    bool madeTarget = false;
    if (!Exists(*target)) {
        unique_file probe(::CreateFileA(target->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                        nullptr));
        madeTarget = static_cast<bool>(probe);
    }
    const std::string shortTarget = ShortName(*target);
    if (madeTarget) ::DeleteFileA(target->c_str());
    if (!AddToWininit({"NUL=" + shortTarget, shortTarget + "=" + shortSource})) return false;
    if (shortTarget != *target) {
        const std::string longName = target->substr(target->find_last_of('\\') + 1);
        RegWriteString(Seam().RunOnceKey, "Rename " + shortTarget,
                       "command.com /c ren " + shortTarget + " \"" + longName + "\"");
    }
    return true;
}

bool Schedule(const std::string& path, const std::optional<std::string>& newName)
{
    const auto source = FullNormalPath(path);
    if (!source) return false;
    std::optional<std::string> target;
    if (newName) {
        target = FullNormalPath(*newName);
        if (!target) return false;
    }
    const DWORD attributes = ::GetFileAttributesA(source->c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;

    const SystemSeam& seam = Seam();
    bool scheduled = false;
    if (seam.Win32Platform == PlatformNT) {
        if (!seam.ScheduleAtRestart) return false;
        // First the target alone, so that a file already there is deleted before the move.
        if (target) seam.ScheduleAtRestart(*target, std::string());
        scheduled = seam.ScheduleAtRestart(*source, target.value_or(std::string()));
    } else {
        scheduled = ScheduleWin95(*source, target);
    }
    if (scheduled) SetRebootNeeded();
    return scheduled;
}

}  // namespace

bool DeleteAtRestart(const std::string& path)
{
    return Schedule(path, std::nullopt);
}

bool RenameAtRestart(const std::string& path, const std::string& newName)
{
    return Schedule(path, newName);
}

}  // namespace lvu
