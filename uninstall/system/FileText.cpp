// Whole-file reads and writes of small text files (INI files, wininit.ini, autoexec.bat, batch files).
#include "FileText.h"

#include "Handles.h"

#include <algorithm>
#include <utility>

namespace lvu {
namespace {

// A temporary file that is deleted unless it was put in place.
class TemporaryFile {
public:
    explicit TemporaryFile(std::string path) : path_(std::move(path)) {}
    ~TemporaryFile()
    {
        if (!path_.empty()) ::DeleteFileA(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    [[nodiscard]] const std::string& Path() const noexcept { return path_; }
    void Release() noexcept { path_.clear(); }

private:
    std::string path_;
};

bool WriteAndFlush(const std::string& path, const std::string& content)
{
    const unique_file file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    size_t done = 0;
    while (done < content.size()) {
        DWORD written = 0;
        const auto wanted = static_cast<DWORD>(std::min<size_t>(content.size() - done, 1u << 30));
        if (!::WriteFile(file.get(), content.data() + done, wanted, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return ::FlushFileBuffers(file.get()) != FALSE;
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::string& content)
{
    const unique_file file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart > 64 * 1024 * 1024) return false;
    content.assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!content.empty() &&
        (!::ReadFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &read, nullptr) ||
         read != content.size()))
        return false;
    return true;
}

bool WriteWholeFile(const std::string& path, const std::string& content, bool createNew)
{
    const unique_file file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                         createNew ? CREATE_NEW : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return content.empty() ||
           (::WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
            written == content.size());
}

bool ReplaceWholeFile(const std::string& path, const std::string& content)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) return false;
    const size_t separator = path.find_last_of("\\/");
    if (separator == std::string::npos) return false;
    char name[MAX_PATH] = {};
    if (::GetTempFileNameA(path.substr(0, separator + 1).c_str(), "lvu", 0, name) == 0) return false;
    TemporaryFile temporary(name);
    if (!WriteAndFlush(temporary.Path(), content)) return false;
    // The new file takes the old one's attributes (hidden, system, ...). Wine's ReplaceFileA
    // neither carries them over nor removes its own backup when the old file is in use, so the
    // move is done here, and a file in use refuses it on both.
    if (exists && !::SetFileAttributesA(temporary.Path().c_str(), attributes)) return false;
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (exists ? MOVEFILE_REPLACE_EXISTING : 0);
    if (!::MoveFileExA(temporary.Path().c_str(), path.c_str(), flags)) {
        ::SetFileAttributesA(temporary.Path().c_str(), FILE_ATTRIBUTE_NORMAL);
        return false;
    }
    temporary.Release();
    return true;
}

}  // namespace lvu
