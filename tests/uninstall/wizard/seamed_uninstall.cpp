// The uninstaller program with a recording seam: restarts and restart-time deletions are written to files, never done.
#include "wizard/Wizard.h"

#include "system/SystemSeam.h"

#include <fstream>

namespace {

// The folder named by LVU_WIZARD_RECORD (ending in "\"), where the records go.
std::string RecordFolder()
{
    char folder[MAX_PATH + 1] = {};
    const DWORD length = ::GetEnvironmentVariableA("LVU_WIZARD_RECORD", folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(folder, length) : std::string();
}

void Record(const std::string& file, const std::string& line)
{
    const std::string folder = RecordFolder();
    if (!folder.empty()) std::ofstream(folder + file, std::ios::app | std::ios::binary) << line << "\n";
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    lvu::SystemSeam seam = lvu::RealSystemSeam();
    seam.ScheduleAtRestart = [](const std::string& source, const std::string& target) {
        Record("scheduled.txt", source + "|" + target);
        return true;
    };
    seam.ExitSession = [](UINT flags, DWORD) {
        Record("restarts.txt", std::to_string(flags));
        return true;
    };
    const lvu::ScopedSeamOverride recording(std::move(seam));
    return lvu::RunProgram();
}
