// The clipboard and pictures of the details window: text in both encodings, a window's picture
// taken, put on the clipboard or written as PNG by the Windows Imaging Component.
#include "WindowCapture.h"

#include "core/UNI_WindowInfo.h"
#include "core/WindowCommands.h"

#include <wincodec.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace lvx {

namespace {

template <typename T>
struct ComTraits {
    using pointer = T*;
    static constexpr pointer invalid() noexcept { return nullptr; }
    static void close(pointer value) noexcept { value->Release(); }
};
template <typename T>
using com_ref = lvc::unique_handle<ComTraits<T>>;

using unique_global = lvc::unique_handle<lvc::HandleTraits<HGLOBAL, ::GlobalFree>>;

// Clipboard access for the time of one object; another program may hold it for a moment.
class ClipboardAccess {
public:
    explicit ClipboardAccess(HWND owner)
    {
        for (int attempt = 0; attempt < 10 && !open_; ++attempt) {
            open_ = ::OpenClipboard(owner) != FALSE;
            if (!open_) ::Sleep(20);
        }
    }
    ~ClipboardAccess()
    {
        if (open_) ::CloseClipboard();
    }
    ClipboardAccess(const ClipboardAccess&) = delete;
    ClipboardAccess& operator=(const ClipboardAccess&) = delete;
    [[nodiscard]] bool Open() const { return open_; }

private:
    bool open_ = false;
};

bool SetClipboardBytes(UINT format, const void* data, size_t size)
{
    unique_global memory(::GlobalAlloc(GMEM_MOVEABLE, size));
    if (!memory) return false;
    void* target = ::GlobalLock(memory.get());
    if (target == nullptr) return false;
    std::memcpy(target, data, size);
    ::GlobalUnlock(memory.get());
    if (::SetClipboardData(format, memory.get()) == nullptr) return false;
    (void)memory.release();  // the clipboard owns it now
    return true;
}

// The picture's pixels as a bottom-up 24-bit DIB: header, then rows padded to four bytes.
bool ReadPixels24(HBITMAP picture, BITMAPINFOHEADER& header, std::vector<BYTE>& bits)
{
    BITMAP info{};
    if (::GetObjectA(picture, sizeof info, &info) == 0 || info.bmWidth <= 0 || info.bmHeight <= 0) return false;
    header = BITMAPINFOHEADER{};
    header.biSize = sizeof header;
    header.biWidth = info.bmWidth;
    header.biHeight = info.bmHeight;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const size_t stride = (static_cast<size_t>(info.bmWidth) * 3 + 3) & ~size_t{3};
    header.biSizeImage = static_cast<DWORD>(stride * static_cast<size_t>(info.bmHeight));
    bits.assign(header.biSizeImage, 0);
    const HDC screen = ::GetDC(nullptr);
    const int rows = ::GetDIBits(screen, picture, 0, static_cast<UINT>(info.bmHeight), bits.data(),
                                 reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    return rows == info.bmHeight;
}

// A picture of one colour is what PrintWindow leaves when the window drew nothing into it.
bool IsBlank(HBITMAP picture)
{
    BITMAPINFOHEADER header{};
    std::vector<BYTE> bits;
    if (!ReadPixels24(picture, header, bits)) return true;
    const size_t stride = header.biSizeImage / static_cast<size_t>(header.biHeight);
    for (LONG row = 0; row < header.biHeight; ++row) {
        const BYTE* line = bits.data() + stride * static_cast<size_t>(row);
        for (LONG x = 0; x < header.biWidth; ++x)
            if (std::memcmp(line + x * 3, bits.data(), 3) != 0) return false;
    }
    return true;
}

// The window's picture as it paints itself, or empty. PrintWindow has the window paint: a hung
// window is not asked at all, and one that answers but blocks while painting is given up after the
// usual time-out. The helper thread that waits for it owns the picture it draws into, so a late
// painting lands in a picture nobody looks at any more.
unique_gdi PrintedPicture(HWND window, HDC screen, int width, int height)
{
    LRESULT ignored = 0;
    if (!SendMessageWithTimeout(window, WM_NULL, 0, 0, ignored)) return {};
    struct Canvas {
        unique_gdi Picture;
        unique_dc Memory;
        bool Drawn = false;
    };
    const auto canvas = std::make_shared<Canvas>();
    canvas->Picture.reset(::CreateCompatibleBitmap(screen, width, height));
    canvas->Memory.reset(::CreateCompatibleDC(screen));
    if (!canvas->Picture || !canvas->Memory) return {};
    const bool finished = CallWithTimeout(window, [canvas, window] {
        constexpr UINT RenderFullContent = 2;  // PW_RENDERFULLCONTENT
        const HGDIOBJ old = ::SelectObject(canvas->Memory.get(), canvas->Picture.get());
        canvas->Drawn = ::PrintWindow(window, canvas->Memory.get(), RenderFullContent) != FALSE ||
                        ::PrintWindow(window, canvas->Memory.get(), 0) != FALSE;
        ::SelectObject(canvas->Memory.get(), old);
    });
    // A finished helper has let go of the canvas.
    if (!finished || !canvas->Drawn || IsBlank(static_cast<HBITMAP>(canvas->Picture.get()))) return {};
    return std::move(canvas->Picture);
}

}  // namespace

bool PutTextOnClipboard(HWND owner, const std::string& text)
{
    const int wideLength = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::vector<wchar_t> wide(static_cast<size_t>(std::max(wideLength, 1)), L'\0');
    if (wideLength > 0) ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), wideLength);
    const ClipboardAccess clipboard(owner);
    if (!clipboard.Open() || !::EmptyClipboard()) return false;
    return SetClipboardBytes(CF_TEXT, text.c_str(), text.size() + 1) &&
           SetClipboardBytes(CF_UNICODETEXT, wide.data(), wide.size() * sizeof(wchar_t));
}

unique_gdi CaptureWindowPicture(HWND window)
{
    RECT bounds{};
    if (!::GetWindowRect(window, &bounds) || bounds.right <= bounds.left || bounds.bottom <= bounds.top) return {};
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    const HDC screen = ::GetDC(nullptr);
    if (screen == nullptr) return {};
    unique_gdi picture = PrintedPicture(window, screen, width, height);
    if (!picture) {
        picture.reset(::CreateCompatibleBitmap(screen, width, height));
        const unique_dc memory(::CreateCompatibleDC(screen));
        bool drawn = false;
        if (picture && memory) {
            const HGDIOBJ old = ::SelectObject(memory.get(), picture.get());
            drawn = ::BitBlt(memory.get(), 0, 0, width, height, screen, bounds.left, bounds.top, SRCCOPY) != FALSE;
            ::SelectObject(memory.get(), old);
        }
        if (!drawn) picture.reset();
    }
    ::ReleaseDC(nullptr, screen);
    return picture;
}

bool PutPictureOnClipboard(HWND owner, HBITMAP picture)
{
    BITMAPINFOHEADER header{};
    std::vector<BYTE> bits;
    if (!ReadPixels24(picture, header, bits)) return false;
    std::vector<BYTE> dib(sizeof header + bits.size());
    std::memcpy(dib.data(), &header, sizeof header);
    std::memcpy(dib.data() + sizeof header, bits.data(), bits.size());
    const ClipboardAccess clipboard(owner);
    if (!clipboard.Open() || !::EmptyClipboard()) return false;
    return SetClipboardBytes(CF_DIB, dib.data(), dib.size());
}

bool SavePictureAsPng(HBITMAP picture, const std::string& path)
{
    BITMAPINFOHEADER header{};
    std::vector<BYTE> bits;
    if (!ReadPixels24(picture, header, bits)) return false;
    // The DIB is bottom-up; the encoder takes rows from the top.
    const size_t stride = header.biSizeImage / static_cast<size_t>(header.biHeight);
    std::vector<BYTE> topDown(bits.size());
    for (LONG row = 0; row < header.biHeight; ++row)
        std::memcpy(topDown.data() + stride * static_cast<size_t>(row),
                    bits.data() + stride * static_cast<size_t>(header.biHeight - 1 - row), stride);

    const int wideLength = ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    if (wideLength <= 0) return false;
    std::vector<wchar_t> widePath(static_cast<size_t>(wideLength));
    ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath.data(), wideLength);

    const HRESULT init = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    bool saved = false;
    {
        IWICImagingFactory* rawFactory = nullptr;
        if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                      reinterpret_cast<void**>(&rawFactory))))
            rawFactory = nullptr;
        const com_ref<IWICImagingFactory> factory(rawFactory);
        IWICStream* rawStream = nullptr;
        if (factory && FAILED(factory.get()->CreateStream(&rawStream))) rawStream = nullptr;
        const com_ref<IWICStream> stream(rawStream);
        IWICBitmapEncoder* rawEncoder = nullptr;
        if (stream && SUCCEEDED(stream.get()->InitializeFromFilename(widePath.data(), GENERIC_WRITE)) &&
            FAILED(factory.get()->CreateEncoder(GUID_ContainerFormatPng, nullptr, &rawEncoder)))
            rawEncoder = nullptr;
        const com_ref<IWICBitmapEncoder> encoder(rawEncoder);
        IWICBitmapFrameEncode* rawFrame = nullptr;
        IPropertyBag2* rawOptions = nullptr;
        if (encoder && (FAILED(encoder.get()->Initialize(stream.get(), WICBitmapEncoderNoCache)) ||
                        FAILED(encoder.get()->CreateNewFrame(&rawFrame, &rawOptions)))) {
            rawFrame = nullptr;
            rawOptions = nullptr;
        }
        const com_ref<IWICBitmapFrameEncode> frame(rawFrame);
        const com_ref<IPropertyBag2> options(rawOptions);
        WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
        saved = frame && SUCCEEDED(frame.get()->Initialize(options.get())) &&
                SUCCEEDED(frame.get()->SetSize(static_cast<UINT>(header.biWidth), static_cast<UINT>(header.biHeight))) &&
                SUCCEEDED(frame.get()->SetPixelFormat(&format)) && IsEqualGUID(format, GUID_WICPixelFormat24bppBGR) &&
                SUCCEEDED(frame.get()->WritePixels(static_cast<UINT>(header.biHeight), static_cast<UINT>(stride),
                                                   static_cast<UINT>(topDown.size()), topDown.data())) &&
                SUCCEEDED(frame.get()->Commit()) && SUCCEEDED(encoder.get()->Commit());
    }
    if (SUCCEEDED(init)) ::CoUninitialize();
    return saved;
}

}  // namespace lvx
