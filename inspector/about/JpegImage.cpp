// Decoding a JPEG picture held in memory into a bitmap for drawing.
#include "JpegImage.h"

#include "core/Window.h"

#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

namespace lvx {

namespace {

// libjpeg reports fatal errors by calling error_exit, which must not return: jump back out.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf escape;
};

void ErrorExit(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->escape, 1);
}

void SilentMessage(j_common_ptr) {}

// Everything the jump may skip lives outside the function that calls setjmp, so that no
// object with a destructor is in between.
bool ReadPicture(jpeg_decompress_struct& info, std::string_view data, std::vector<uint8_t>& pixels, int& width,
                 int& height)
{
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.data()), static_cast<unsigned long>(data.size()));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) return false;
    info.out_color_space = JCS_EXT_BGR;  // the byte order of a Windows bitmap
    jpeg_start_decompress(&info);
    width = static_cast<int>(info.output_width);
    height = static_cast<int>(info.output_height);
    if (width <= 0 || height <= 0 || width > 8192 || height > 8192 || info.output_components != 3) return false;
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    pixels.assign(stride * static_cast<size_t>(height), 0);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels.data() + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    return true;
}

// The only frame a library error jumps back to: it holds nothing that the jump could spoil.
bool Decompress(jpeg_decompress_struct& info, ErrorManager& errors, std::string_view data, std::vector<uint8_t>& pixels,
                int& width, int& height)
{
    if (setjmp(errors.escape) != 0) return false;
    return ReadPicture(info, data, pixels, width, height);
}

}  // namespace

HBITMAP DecodeJpeg(std::string_view data)
{
    if (data.empty()) return nullptr;
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = &ErrorExit;
    errors.base.output_message = &SilentMessage;
    std::vector<uint8_t> pixels;
    int width = 0, height = 0;
    jpeg_create_decompress(&info);
    const bool read = Decompress(info, errors, data, pixels, width, height);
    jpeg_destroy_decompress(&info);
    if (!read) return nullptr;

    BITMAPINFO header{};
    header.bmiHeader.biSize = sizeof header.bmiHeader;
    header.bmiHeader.biWidth = width;
    header.bmiHeader.biHeight = -height;  // top-down, as decoded
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 24;
    header.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(nullptr, &header, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr || bits == nullptr) {
        if (bitmap) ::DeleteObject(bitmap);
        return nullptr;
    }
    std::copy(pixels.begin(), pixels.end(), static_cast<uint8_t*>(bits));
    return bitmap;
}

std::string_view ProgramResource(const char* name, const char* type)
{
    const HINSTANCE instance = ProgramInstance();
    const HRSRC found = ::FindResourceA(instance, name, type);
    if (found == nullptr) return {};
    const HGLOBAL loaded = ::LoadResource(instance, found);
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (bytes == nullptr) return {};
    return {static_cast<const char*>(bytes), ::SizeofResource(instance, found)};
}

}  // namespace lvx
