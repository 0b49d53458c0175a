// Reading the version resource of a program file.
#include "VersionInfo.h"

#include "core/UNI_Strings.h"

#include <cstdio>

namespace lvx {

TVersionInfo::TVersionInfo(std::string fileName) : FileName_(std::move(fileName))
{
    Size_ = ::GetFileVersionInfoSizeA(FileName_.c_str(), &Handle_);
    if (Size_ == 0) return;
    Buffer_.assign(Size_, 0);
    Valid_ = ::GetFileVersionInfoA(FileName_.c_str(), Handle_, Size_, Buffer_.data()) != FALSE;
}

std::optional<uint32_t> TVersionInfo::Translation() const
{
    if (!Valid_) return std::nullopt;
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(Buffer_.data(), "\\VarFileInfo\\Translation", &value, &length) || value == nullptr ||
        length < sizeof(uint32_t))
        return std::nullopt;
    const auto* words = static_cast<const WORD*>(value);
    return static_cast<uint32_t>(words[0]) | (static_cast<uint32_t>(words[1]) << 16);
}

std::string TVersionInfo::TranslationText() const
{
    const std::optional<uint32_t> translation = Translation();
    if (!translation) return {};
    return FormatHex(*translation & 0xFFFF, 4) + FormatHex(*translation >> 16, 4);
}

const VS_FIXEDFILEINFO* TVersionInfo::FixedInfo() const
{
    if (!Valid_) return nullptr;
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(Buffer_.data(), "\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO)) return nullptr;
    return static_cast<const VS_FIXEDFILEINFO*>(value);
}

std::pair<uint32_t, uint32_t> TVersionInfo::FileVersionNumbers() const
{
    const VS_FIXEDFILEINFO* fixed = FixedInfo();
    return fixed ? std::pair<uint32_t, uint32_t>{fixed->dwFileVersionMS, fixed->dwFileVersionLS}
                 : std::pair<uint32_t, uint32_t>{0, 0};
}

std::string TVersionInfo::StringValue(const std::string& name) const
{
    if (!Valid_) return {};
    const std::string translation = TranslationText();
    if (translation.empty()) return {};
    const std::string path = "\\StringFileInfo\\" + translation + "\\" + name;
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(Buffer_.data(), path.c_str(), &value, &length) || value == nullptr || length == 0) return {};
    const auto* text = static_cast<const char*>(value);
    std::string result(text, length);
    result.resize(std::char_traits<char>::length(result.c_str()));  // the length counts the terminator
    return result;
}

std::string TVersionInfo::FileVersion() const
{
    std::string version = StringValue("FileVersion");
    if (!version.empty() || !Valid_) return version;
    const auto [most, least] = FileVersionNumbers();
    char text[64];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", most >> 16, most & 0xFFFF, least >> 16, least & 0xFFFF);
    return text;
}

std::string TVersionInfo::OwnFileName()
{
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length < MAX_PATH ? length : 0);
}

}  // namespace lvx
