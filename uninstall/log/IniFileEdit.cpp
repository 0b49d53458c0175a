// Changes of single keys in other programs' INI files on disk, each written in one step.
#include "IniFileEdit.h"

#include "log/IniEdit.h"
#include "system/FileText.h"
#include "system/Files.h"
#include "system/SystemSeam.h"

#include <windows.h>

#include <functional>

namespace lvu {
namespace {

std::string FullName(const std::string& file)
{
    return file.find_first_of("\\/:") == std::string::npos ? Seam().WindowsFolder + file : file;
}

IniFileEditResult EditFile(const std::string& file, const std::function<IniEdit(std::string_view)>& change)
{
    const std::string path = FullName(file);
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    std::string content;
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || !ReadWholeFile(path, content))
            return IniFileEditResult::Failed;
    } else {
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return IniFileEditResult::Failed;
    }
    const IniEdit edit = change(content);
    if (edit.Outcome == IniEditOutcome::Refused) return IniFileEditResult::Refused;
    if (edit.Outcome == IniEditOutcome::Unchanged) return IniFileEditResult::Unchanged;
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const size_t separator = path.find_last_of("\\/");
        if (separator != std::string::npos && !EnsureFolders(path.substr(0, separator))) return IniFileEditResult::Failed;
    }
    return ReplaceWholeFile(path, edit.Bytes) ? IniFileEditResult::Changed : IniFileEditResult::Failed;
}

}  // namespace

IniFileEditResult SetIniFileValue(const std::string& file, const std::string& section, const std::string& key,
                                  const std::string& value)
{
    return EditFile(file, [&](std::string_view content) { return SetIniValue(content, section, key, value); });
}

IniFileEditResult DeleteIniFileKey(const std::string& file, const std::string& section, const std::string& key)
{
    return EditFile(file, [&](std::string_view content) { return DeleteIniKey(content, section, key); });
}

}  // namespace lvu
