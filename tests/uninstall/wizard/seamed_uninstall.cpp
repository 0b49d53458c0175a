// The uninstaller with recording seams: restarts, restart-time deletions and elevated starts are written down, never done.
#include "wizard/Wizard.h"

#include "system/SystemSeam.h"

#include <fstream>

namespace {

std::string Variable(const char* name)
{
    char value[MAX_PATH + 1] = {};
    const DWORD length = ::GetEnvironmentVariableA(name, value, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(value, length) : std::string();
}

// The folder named by LVU_WIZARD_RECORD (ending in "\"), where the records go.
void Record(const std::string& file, const std::string& line)
{
    const std::string folder = Variable("LVU_WIZARD_RECORD");
    if (!folder.empty()) std::ofstream(folder + file, std::ios::app | std::ios::binary) << line << "\n";
}

// The rights that LVU_WIZARD_RIGHTS makes the program see: "admin"; "user", who cannot elevate;
// "limited", whose elevated start runs the same program as "admin"; "refused", whose start the
// user refuses; "limited-again", whose elevated start gets the same limited rights once more.
// Unset: the real rights.
void UseRecordedRights(lvu::WizardState& wizard)
{
    const std::string rights = Variable("LVU_WIZARD_RIGHTS");
    if (rights.empty()) return;
    wizard.AdministratorTest = [rights] { return rights == "admin"; };
    wizard.ElevationTest = [rights] { return rights != "user"; };
    wizard.StartAsAdmin = [rights](HWND, const std::string& program, const std::string& parameters) {
        Record("elevations.txt", parameters);
        lvu::ElevatedStart start;
        if (rights == "refused") {
            start.Error = ERROR_CANCELLED;
            return start;
        }
        if (rights == "limited") ::SetEnvironmentVariableA("LVU_WIZARD_RIGHTS", "admin");
        std::string commandLine = "\"" + program + "\" " + parameters;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        start.Started = ::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                         nullptr, &startup, &process) != FALSE;
        start.Error = start.Started ? ERROR_SUCCESS : ::GetLastError();
        ::SetEnvironmentVariableA("LVU_WIZARD_RIGHTS", rights.c_str());
        if (!start.Started) return start;
        ::CloseHandle(process.hThread);
        start.Process.reset(process.hProcess);
        return start;
    };
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
    UseRecordedRights(lvu::Wizard);
    return lvu::RunProgram();
}
