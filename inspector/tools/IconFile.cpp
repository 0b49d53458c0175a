// Writing a window's icon as a .ico file.
#include "IconFile.h"

#include "core/Handles.h"
#include "core/TextFiles.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace lvx {

namespace {

std::string SystemMessage(DWORD code)
{
    char* text = nullptr;
    const DWORD length = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                              FORMAT_MESSAGE_IGNORE_INSERTS,
                                          nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length > 0 && text != nullptr ? std::string(text, length) : "Error " + std::to_string(code);
    if (text != nullptr) ::LocalFree(text);
    while (!message.empty() && (message.back() == '\r' || message.back() == '\n' || message.back() == ' '))
        message.pop_back();
    return message;
}

// The bits of `bitmap` at `bitsPerPixel`, bottom-up, with the colour table GetDIBits gives.
bool ReadBits(HDC dc, HBITMAP bitmap, int width, int height, WORD bitsPerPixel, std::vector<uint8_t>& bits,
              std::vector<RGBQUAD>& colours)
{
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[256];
    } info{};
    info.header.biSize = sizeof info.header;
    info.header.biWidth = width;
    info.header.biHeight = height;
    info.header.biPlanes = 1;
    info.header.biBitCount = bitsPerPixel;
    info.header.biCompression = BI_RGB;
    const size_t stride = ((static_cast<size_t>(width) * bitsPerPixel + 31) / 32) * 4;
    bits.assign(stride * static_cast<size_t>(height), 0);
    if (::GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), bits.data(), reinterpret_cast<BITMAPINFO*>(&info),
                    DIB_RGB_COLORS) == 0)
        return false;
    colours.assign(info.colours, info.colours + (1u << bitsPerPixel));
    return true;
}

template <typename T>
void Append(std::vector<uint8_t>& out, const T& value)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(&value);
    out.insert(out.end(), bytes, bytes + sizeof value);
}

}  // namespace

bool SaveIconToFile(HICON icon, const std::string& path, std::string& error)
{
    const unique_icon copy(::CopyIcon(icon));
    ICONINFO parts{};
    if (!copy || !::GetIconInfo(copy.get(), &parts)) {
        error = SystemMessage(::GetLastError());
        return false;
    }
    const unique_gdi colour(parts.hbmColor);
    const unique_gdi mask(parts.hbmMask);
    BITMAP maskShape{};
    ::GetObjectA(parts.hbmMask, sizeof maskShape, &maskShape);
    const int width = maskShape.bmWidth;
    // A monochrome icon has no colour bitmap: its mask holds the AND mask over the XOR image.
    const int height = colour ? maskShape.bmHeight : maskShape.bmHeight / 2;
    if (width <= 0 || height <= 0 || width > 256 || height > 256) {
        error = SystemMessage(ERROR_INVALID_DATA);
        return false;
    }

    const HDC screen = ::GetDC(nullptr);
    std::vector<uint8_t> colourBits, maskBits;
    std::vector<RGBQUAD> palette, maskColours;
    bool read = ReadBits(screen, static_cast<HBITMAP>(colour ? colour.get() : mask.get()), width,
                         colour ? height : height * 2, 4, colourBits, palette);
    read = read && ReadBits(screen, static_cast<HBITMAP>(mask.get()), width, colour ? height : height * 2, 1, maskBits,
                            maskColours);
    ::ReleaseDC(nullptr, screen);
    if (!read) {
        error = SystemMessage(ERROR_INVALID_DATA);
        return false;
    }
    if (!colour) {
        // The picture holds the AND mask above the XOR image. The rows come bottom-up, so the
        // first half of them is the XOR image (the colours) and the second half the mask.
        const size_t colourStride = colourBits.size() / static_cast<size_t>(height * 2);
        const size_t maskStride = maskBits.size() / static_cast<size_t>(height * 2);
        colourBits.resize(colourStride * static_cast<size_t>(height));
        maskBits.erase(maskBits.begin(), maskBits.begin() + static_cast<std::ptrdiff_t>(maskStride * height));
    }

    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height * 2;
    header.biPlanes = 1;
    header.biBitCount = 4;
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(colourBits.size() + maskBits.size());
    const auto imageSize = static_cast<uint32_t>(sizeof header + 16 * sizeof(RGBQUAD) + colourBits.size() + maskBits.size());

    std::vector<uint8_t> file;
    Append(file, uint16_t{0});  // reserved
    Append(file, uint16_t{1});  // icon
    Append(file, uint16_t{1});  // one image
    file.push_back(static_cast<uint8_t>(width >= 256 ? 0 : width));
    file.push_back(static_cast<uint8_t>(height >= 256 ? 0 : height));
    file.push_back(16);  // colours
    file.push_back(0);
    Append(file, uint16_t{1});   // planes
    Append(file, uint16_t{4});   // bits a pixel
    Append(file, imageSize);
    Append(file, uint32_t{22});  // where the image starts
    Append(file, header);
    for (size_t i = 0; i < 16; ++i) Append(file, palette[i]);
    file.insert(file.end(), colourBits.begin(), colourBits.end());
    file.insert(file.end(), maskBits.begin(), maskBits.end());

    if (!WriteWholeFile(path, file.data(), file.size())) {
        error = SystemMessage(::GetLastError());
        return false;
    }
    return true;
}

}  // namespace lvx
