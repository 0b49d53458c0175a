// An INI file on disk: loading with the log's clean-up rules, the two open modes, and saving.
#include "TextIniFile.h"

#include "system/Files.h"
#include "system/SystemSeam.h"

#include <algorithm>
#include <utility>

namespace lvu {
namespace {

bool HasFolderPart(const std::string& name)
{
    return name.find_first_of("\\/:") != std::string::npos;
}

std::string FolderOf(const std::string& path)
{
    const size_t separator = path.find_last_of("\\/");
    return separator == std::string::npos ? std::string() : path.substr(0, separator);
}

bool ReadAll(HANDLE file, std::string& content)
{
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file, &size) || size.QuadPart < 0) return false;
    content.assign(static_cast<size_t>(size.QuadPart), '\0');
    ::SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    size_t done = 0;
    while (done < content.size()) {
        DWORD chunk = 0;
        const auto wanted = static_cast<DWORD>(std::min<size_t>(content.size() - done, 1u << 30));
        if (!::ReadFile(file, content.data() + done, wanted, &chunk, nullptr)) return false;
        if (chunk == 0) break;
        done += chunk;
    }
    content.resize(done);
    return true;
}

}  // namespace

TTextIniFile::TTextIniFile(std::string fileName, bool readOnly)
    : fileName_(std::move(fileName)), readOnly_(readOnly)
{
    if (!fileName_.empty() && !HasFolderPart(fileName_)) fileName_ = Seam().WindowsFolder + fileName_;
    Reload();
}

TTextIniFile::~TTextIniFile()
{
    try {
        UpdateFile();
    } catch (...) {
        // A destructor cannot report; the caller saves explicitly where it matters.
    }
}

void TTextIniFile::Reload()
{
    UpdateFile();
    data_.Clear();
    if (fileName_.empty()) return;
    if (::GetFileAttributesA(fileName_.c_str()) == INVALID_FILE_ATTRIBUTES) return;  // no file: empty
    if (!file_) {
        file_.reset(readOnly_ ? ::CreateFileA(fileName_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                              : ::CreateFileA(fileName_.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file_) throw IniFileError("Cannot open file " + fileName_);
    }
    std::string content;
    if (!ReadAll(file_.get(), content)) throw IniFileError("Cannot open file " + fileName_);
    data_.Load(content);
    if (readOnly_) file_.reset();
}

void TTextIniFile::UpdateFile()
{
    if (!data_.Modified() || readOnly_ || fileName_.empty()) return;
    if (!file_) {
        EnsureFolders(FolderOf(fileName_));
        file_.reset(::CreateFileA(fileName_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file_) throw IniFileError("Cannot open file " + fileName_);
    }
    const std::string content = data_.Serialize();
    ::SetFilePointer(file_.get(), 0, nullptr, FILE_BEGIN);
    size_t done = 0;
    while (done < content.size()) {
        DWORD written = 0;
        const auto wanted = static_cast<DWORD>(std::min<size_t>(content.size() - done, 1u << 30));
        if (!::WriteFile(file_.get(), content.data() + done, wanted, &written, nullptr) || written == 0)
            throw IniFileError("Cannot write file " + fileName_);
        done += written;
    }
    ::SetEndOfFile(file_.get());
    data_.SetModified(false);
}

}  // namespace lvu
