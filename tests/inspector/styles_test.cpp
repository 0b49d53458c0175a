// The window parameters editor against windows of another process (and one of our own for the
// icons): the fields, the long values written back, the window text and the saved icon file; the
// details window on the same windows: decoded pages, ticks written back, the copy and the capture.
#include "MainFormFixture.h"

#include "core/MainForm.h"
#include "core/MainFormIds.h"
#include "core/TextFiles.h"
#include "core/UNI_Strings.h"
#include "core/UNI_WinVer.h"
#include "details/DetailsForm.h"
#include "language/LanguageKeys.h"
#include "language/MessageTable.h"
#include "resources/resource.h"
#include "settings/Settings.h"
#include "tools/IconFile.h"
#include "tools/StylesForm.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <wincodec.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>
#include <future>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

using namespace lvx;
using lvxtest::TargetProcess;

namespace {

std::string Field(HWND dialog, int id)
{
    char text[1024] = {};
    ::GetDlgItemTextA(dialog, id, text, static_cast<int>(std::size(text)));
    return text;
}

// A 32x32 icon in flat colours of the standard 16-colour palette, in quarters; the top left
// quarter is transparent.
HICON MakeQuarterIcon()
{
    const HDC screen = ::GetDC(nullptr);
    const HBITMAP colour = ::CreateCompatibleBitmap(screen, 32, 32);
    const HBITMAP mask = ::CreateBitmap(32, 32, 1, 1, nullptr);
    const HDC dc = ::CreateCompatibleDC(screen);
    const HGDIOBJ old = ::SelectObject(dc, colour);
    const COLORREF quarters[] = {RGB(0, 0, 0), RGB(0, 0, 255), RGB(0, 128, 0), RGB(255, 255, 0)};
    for (int q = 0; q < 4; ++q) {
        const RECT part{(q % 2) * 16, (q / 2) * 16, (q % 2) * 16 + 16, (q / 2) * 16 + 16};
        const HBRUSH brush = ::CreateSolidBrush(quarters[q]);
        ::FillRect(dc, &part, brush);
        ::DeleteObject(brush);
    }
    ::SelectObject(dc, mask);
    const RECT all{0, 0, 32, 32};
    ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));  // opaque
    const RECT corner{0, 0, 16, 16};
    ::FillRect(dc, &corner, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));  // transparent
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
    ICONINFO info{TRUE, 0, 0, mask, colour};
    const HICON icon = ::CreateIconIndirect(&info);
    ::DeleteObject(colour);
    ::DeleteObject(mask);
    return icon;
}

// A monochrome 32x32 icon: transparent on the left, white at the top and black at the bottom
// (inverting the background at the top left).
HICON MakeMonochromeIcon()
{
    BYTE andBits[32 * 4];
    BYTE xorBits[32 * 4];
    for (int row = 0; row < 32; ++row) {
        for (int column = 0; column < 4; ++column) {
            andBits[row * 4 + column] = column < 2 ? 0xFF : 0x00;
            xorBits[row * 4 + column] = row < 16 ? 0xFF : 0x00;
        }
    }
    return ::CreateIcon(::GetModuleHandleA(nullptr), 32, 32, 1, 1, andBits, xorBits);
}

// An icon's AND mask and XOR colour, pixel by pixel from the top row, as the system holds them.
struct IconParts {
    std::vector<uint32_t> Mask;
    std::vector<uint32_t> Colour;
};
IconParts PartsOf(HICON icon)
{
    ICONINFO info{};
    if (!::GetIconInfo(icon, &info)) return {};
    BITMAP shape{};
    ::GetObjectA(info.hbmMask, sizeof shape, &shape);
    const int width = shape.bmWidth;
    const auto read = [width](HBITMAP bitmap, int rows) {
        BITMAPINFO format{};
        format.bmiHeader = {sizeof format.bmiHeader, width, -rows, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        std::vector<uint32_t> pixels(static_cast<size_t>(width * rows));
        const HDC screen = ::GetDC(nullptr);
        ::GetDIBits(screen, bitmap, 0, static_cast<UINT>(rows), pixels.data(), &format, DIB_RGB_COLORS);
        ::ReleaseDC(nullptr, screen);
        for (uint32_t& pixel : pixels) pixel &= 0xFFFFFF;
        return pixels;
    };
    IconParts parts;
    parts.Mask = read(info.hbmMask, shape.bmHeight);
    if (info.hbmColor != nullptr) {
        parts.Colour = read(info.hbmColor, shape.bmHeight);
    } else {  // the mask holds the AND half above the XOR half
        const auto half = parts.Mask.begin() + static_cast<std::ptrdiff_t>(parts.Mask.size() / 2);
        parts.Colour.assign(half, parts.Mask.end());
        parts.Mask.erase(half, parts.Mask.end());
    }
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    return parts;
}

COLORREF PixelOfIcon(HICON icon, int x, int y)
{
    const HDC screen = ::GetDC(nullptr);
    const HDC dc = ::CreateCompatibleDC(screen);
    const HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 32, 32);
    const HGDIOBJ old = ::SelectObject(dc, bitmap);
    ::DrawIconEx(dc, 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL);
    const COLORREF pixel = ::GetPixel(dc, x, y);
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
    return pixel;
}

class StylesTest : public lvxtest::MainFormFixture<StylesTest> {
protected:
    static void SetUpTestSuite() { Start({"basic", "hung", "details"}); }
    // Opens the editor through its button on the main window.
    static TStylesForm& Open()
    {
        ::SendMessageA(Form->parametersButton_.Handle(), BM_CLICK, 0, 0);
        const HWND editor = ::FindWindowA("#32770", "\xCF\xE0\xF0\xE0\xEC\xE5\xF2\xF0\xFB \xEE\xEA\xED\xE0");  // Параметры окна
        EXPECT_NE(editor, nullptr);
        Editor = editor;
        return *Found();
    }
    static TStylesForm* Found();
    // The details window through its button on the main window, on the given page.
    static TDetailsForm& OpenDetails(int page);
    static HWND Editor;
};
HWND StylesTest::Editor = nullptr;

TStylesForm* StylesTest::Found()
{
    return reinterpret_cast<TStylesForm*>(::GetWindowLongPtrA(Editor, DWLP_USER));
}

}  // namespace

TEST_F(StylesTest, FieldsShowTheInspectedWindowAndFollowANewPick)
{
    const HWND button = Target->Window("basic.button");
    Inspect(button);
    TStylesForm& editor = Open();
    EXPECT_TRUE(::IsWindowVisible(Editor));
    EXPECT_EQ(Field(Editor, IDC_STYLES_STYLE), FormatHex(static_cast<uint32_t>(::GetWindowLongA(button, GWL_STYLE)), 8));
    EXPECT_EQ(Field(Editor, IDC_STYLES_CONTROL_ID), "00000065");  // control id 101
    EXPECT_NE(Field(Editor, IDC_STYLES_MODULE).find("lvxtarget.exe"), std::string::npos);
    EXPECT_EQ(Field(Editor, IDC_STYLES_TEXT), "Press me");
    EXPECT_FALSE(editor.ChangeTextVisible());
    // No icons: the stand-in in both pictures, and a double click asks for no file.
    EXPECT_TRUE(editor.ShowsNoIcon(0));
    EXPECT_TRUE(editor.ShowsNoIcon(1));
    bool asked = false;
    editor.AskIconFile = [&](std::string&) { return asked = true; };
    editor.IconDblClick(0);
    EXPECT_FALSE(asked);

    // The class panel shows at least four digits of the atom and makes the window taller.
    RECT before{};
    ::GetWindowRect(Editor, &before);
    EXPECT_FALSE(editor.ClassPanelVisible());
    ::SendMessageA(editor.ClassButton(), BM_CLICK, 0, 0);
    EXPECT_TRUE(editor.ClassPanelVisible());
    RECT after{};
    ::GetWindowRect(Editor, &after);
    EXPECT_GT(after.bottom - after.top, before.bottom - before.top);
    EXPECT_EQ(Field(Editor, IDC_STYLES_ATOM), FormatHex(CurrentWindow.ClassAtom, 4));
    EXPECT_GE(Field(Editor, IDC_STYLES_ATOM).size(), 4u);
    ::SendMessageA(editor.ClassButton(), BM_CLICK, 0, 0);
    EXPECT_FALSE(editor.ClassPanelVisible());

    // Picking another window in the main window updates the fields, open or hidden.
    Inspect(Target->Window("basic.panel.label"));
    EXPECT_EQ(Field(Editor, IDC_STYLES_TEXT), "Inner label");
    EXPECT_EQ(Field(Editor, IDC_STYLES_CONTROL_ID), "00000069");  // control id 105
    ::SendMessageA(Editor, WM_COMMAND, IDCANCEL, 0);  // Escape hides it
    EXPECT_FALSE(::IsWindowVisible(Editor));
    Inspect(button);
    EXPECT_EQ(Field(Editor, IDC_STYLES_TEXT), "Press me");
}

TEST_F(StylesTest, WindowLongsAreWrittenFromEveryNotation)
{
    const HWND edit = Target->Window("basic.edit");
    Inspect(edit);
    TStylesForm& editor = Open();
    lvxtest::ModalWatcher boxes;
    std::string offered;
    const auto answer = [&](const char* text) {
        editor.AskValue = [&offered, text](std::string& value) {
            offered = value;
            value = text;
            return true;
        };
        editor.EditWndLong(5);
        return static_cast<uint64_t>(::GetWindowLongPtrA(edit, GWLP_USERDATA));
    };
    EXPECT_EQ(answer("$10"), 16u);
    EXPECT_EQ(offered, "$0");
    EXPECT_EQ(answer("0x1F"), 31u);
    EXPECT_EQ(offered, "$10");  // the box starts with the current value
    EXPECT_EQ(answer("x10"), 16u);
    EXPECT_EQ(answer("16"), 16u);
    EXPECT_EQ(answer("-1"), ~uint64_t{0});
    EXPECT_EQ(Field(Editor, IDC_STYLES_USERDATA), FormatHex(~uintptr_t{0}, 8));  // as wide as a pointer
    EXPECT_TRUE(boxes.Boxes.empty());
    // Not a number: the error, and the value stays.
    EXPECT_EQ(answer("1O"), ~uint64_t{0});
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, MessageText(Msg::MustBeInteger));
    EXPECT_EQ(boxes.Boxes[0].Caption, MessageText(Msg::ERROR_));

    // The style takes a 32-bit value; the all-ones hexadecimal form is accepted.
    const auto style = static_cast<uint32_t>(::GetWindowLongA(edit, GWL_STYLE));
    editor.AskValue = [&](std::string& value) {
        offered = value;
        value = "$" + FormatHex(style | ES_UPPERCASE, 1);
        return true;
    };
    editor.EditWndLong(1);
    EXPECT_EQ(offered, "$" + FormatHex(style, 1));
    EXPECT_EQ(static_cast<uint32_t>(::GetWindowLongA(edit, GWL_STYLE)), style | ES_UPPERCASE);
    EXPECT_EQ(CurrentWindow.Style, style | ES_UPPERCASE);

    // Another process's window procedure cannot be replaced: the warning, then a refresh.
    editor.AskValue = [](std::string& value) {
        value = "$1234";
        return true;
    };
    editor.EditWndLong(0);
    ASSERT_EQ(boxes.Boxes.size(), 2u);
    EXPECT_EQ(boxes.Boxes[1].Text, MessageText(Msg::CantModifyParameter));
    EXPECT_EQ(boxes.Boxes[1].Caption, MessageText(Msg::WARNING));
    // A cancelled box changes nothing.
    editor.AskValue = [](std::string&) { return false; };
    editor.EditWndLong(5);
    EXPECT_EQ(boxes.Boxes.size(), 2u);
    EXPECT_EQ(static_cast<uint64_t>(::GetWindowLongPtrA(edit, GWLP_USERDATA)), ~uint64_t{0});
    ::SendMessageA(Editor, WM_COMMAND, IDCANCEL, 0);
}

TEST_F(StylesTest, AProgramOfTheOtherBitnessShowsOnlyValuesThatReadWhole)
{
    const std::string program = lvxtest::OtherBitnessTarget();
    if (program.empty()) GTEST_SKIP() << "the other bitness's build has not made its target program";
    const TargetProcess peer({"basic"}, program);
    ASSERT_TRUE(peer.Ready());
    const HWND window = peer.Window("basic");
    Inspect(window);
    TStylesForm& editor = Open();
    lvxtest::ModalWatcher boxes;
    bool asked = false;
    editor.AskValue = [&asked](std::string& value) {
        asked = true;
        value = "$10";
        return true;
    };
    EXPECT_NE(Field(Editor, IDC_STYLES_MODULE).find("lvxtarget-other.exe"), std::string::npos)
        << Field(Editor, IDC_STYLES_MODULE);
    if constexpr (sizeof(void*) == 8) {
        EXPECT_EQ(Field(Editor, IDC_STYLES_USERDATA), FormatHex(peer.Number("basic.userdata"), 8));
        EXPECT_EQ(Field(Editor, IDC_STYLES_INSTANCE), FormatHex(peer.Number("basic.instance"), 8));
        editor.EditWndLong(5);
        EXPECT_TRUE(asked);
        EXPECT_EQ(::GetWindowLongPtrA(window, GWLP_USERDATA), 16);
    } else {
        // Only the low half of the 64-bit program's pointers reaches a 32-bit program.
        for (const int id : {IDC_STYLES_USERDATA, IDC_STYLES_INSTANCE, IDC_STYLES_WNDPROC, IDC_STYLES_CLASS_WNDPROC})
            EXPECT_EQ(Field(Editor, id), "<не читается>") << id;
        EXPECT_EQ(Field(Editor, IDC_STYLES_STYLE), FormatHex(static_cast<uint32_t>(::GetWindowLongA(window, GWL_STYLE)), 8));
        editor.EditWndLong(5);
        EXPECT_FALSE(asked);
        ASSERT_EQ(boxes.Boxes.size(), 1u);
        EXPECT_NE(boxes.Boxes[0].Text.find("64"), std::string::npos) << boxes.Boxes[0].Text;
        EXPECT_EQ(static_cast<uint32_t>(::GetWindowLongPtrA(window, GWLP_USERDATA)), 0x0000ABCDu) << "kept";
    }
    ::SendMessageA(Editor, WM_COMMAND, IDCANCEL, 0);
}

TEST_F(StylesTest, WindowTextChangesThroughTheField)
{
    const HWND label = Target->Window("basic.panel.label");
    Inspect(label);
    TStylesForm& editor = Open();
    ::SetDlgItemTextA(Editor, IDC_STYLES_TEXT, "Inner labels");
    EXPECT_TRUE(editor.ChangeTextVisible());
    ::SetDlgItemTextA(Editor, IDC_STYLES_TEXT, "Inner label");  // back as it was
    EXPECT_FALSE(editor.ChangeTextVisible());
    ::SetDlgItemTextA(Editor, IDC_STYLES_TEXT, "Renamed");
    ASSERT_TRUE(editor.ChangeTextVisible());
    ::SendMessageA(editor.TextButton(), BM_CLICK, 0, 0);
    EXPECT_EQ(lvxtest::ForeignText(label), "Renamed");
    EXPECT_EQ(CurrentWindow.WindowText, "Renamed");
    EXPECT_FALSE(editor.ChangeTextVisible());
    ::SetWindowTextA(label, "Inner label");
    ::SendMessageA(Editor, WM_COMMAND, IDCANCEL, 0);
}

TEST_F(StylesTest, WritesToAHungWindowGiveUpAfterTheTimeOutAndSaySo)
{
    const HWND button = Target->Window("hung.button");
    Inspect(button);
    TStylesForm& editor = Open();
    const uint32_t style = CurrentWindow.Style;
    // Long enough to be seen as hung (then messages to it fail at once) and to act meanwhile.
    Target->HangWindow(15000);
    ASSERT_TRUE(lvxtest::WaitFor([&] { return ::IsHungAppWindow(button) != FALSE; }));
    lvxtest::ModalWatcher boxes;  // after the wait: the editor would pass for a box while it pumps
    editor.AskValue = [&](std::string& value) {
        value = "$" + FormatHex(style, 1);  // the same style: harmless when it lands later
        return true;
    };
    ULONGLONG start = ::GetTickCount64();
    editor.EditWndLong(1);
    EXPECT_LT(::GetTickCount64() - start, 1000u);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, MessageText(Msg::CantModifyParameter));
    ::SetDlgItemTextA(Editor, IDC_STYLES_TEXT, "Renamed");
    start = ::GetTickCount64();
    ::SendMessageA(editor.TextButton(), BM_CLICK, 0, 0);
    EXPECT_LT(::GetTickCount64() - start, 1000u);
    ASSERT_EQ(boxes.Boxes.size(), 2u);
    EXPECT_EQ(boxes.Boxes[1].Text, MessageText(Msg::CCWT));
    EXPECT_EQ(boxes.Boxes[1].Caption, MessageText(Msg::WARNING));
    ::SendMessageA(Editor, WM_COMMAND, IDCANCEL, 0);
    // The window answers again before the next test.
    EXPECT_TRUE(lvxtest::WaitFor([&] {
        DWORD_PTR answer = 0;
        return ::SendMessageTimeoutA(button, WM_NULL, 0, 0, SMTO_NORMAL, 200, &answer) != 0;
    }, 30000));
    EXPECT_EQ(lvxtest::ForeignText(button), "Hung button");
}

TEST_F(StylesTest, IconsAreSavedAsSixteenColourIconFiles)
{
    // A window of our own with a big icon we made.
    const HWND window = ::CreateWindowExA(0, "STATIC", "icon holder", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                          ::GetModuleHandleA(nullptr), nullptr);
    const HICON icon = MakeQuarterIcon();
    ASSERT_NE(icon, nullptr);
    ::SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    Inspect(window);
    ASSERT_EQ(CurrentWindow.BigIcon, icon);
    TStylesForm& editor = Open();
    EXPECT_FALSE(editor.ShowsNoIcon(0));
    EXPECT_TRUE(editor.ShowsNoIcon(1));

    lvxtest::TempFolder folder;
    const std::string path = folder.Path() + "big.ico";
    editor.AskIconFile = [&](std::string& chosen) {
        chosen = path;
        return true;
    };
    editor.IconDblClick(0);
    std::string file;
    ASSERT_TRUE(ReadWholeFile(path, file));
    ASSERT_EQ(file.size(), 22u + 40 + 64 + 512 + 128);
    const auto byte = [&](size_t at) { return static_cast<unsigned char>(file[at]); };
    EXPECT_EQ(byte(2), 1);                  // an icon
    EXPECT_EQ(byte(4), 1);                  // one image
    EXPECT_EQ(byte(6), 32);                 // 32 wide
    EXPECT_EQ(byte(7), 32);                 // 32 high
    EXPECT_EQ(byte(8), 16);                 // 16 colours
    EXPECT_EQ(byte(18), 22);                // the image right after the directory
    EXPECT_EQ(byte(22 + 8), 64);            // doubled height in the bitmap header
    EXPECT_EQ(byte(22 + 14), 4);            // 4 bits a pixel
    // The file loads back as the same picture.
    const auto loaded = static_cast<HICON>(::LoadImageA(nullptr, path.c_str(), IMAGE_ICON, 32, 32, LR_LOADFROMFILE));
    ASSERT_NE(loaded, nullptr);
    for (const POINT at : {POINT{4, 4}, POINT{20, 4}, POINT{4, 20}, POINT{20, 20}})
        EXPECT_EQ(PixelOfIcon(loaded, at.x, at.y), PixelOfIcon(icon, at.x, at.y)) << at.x << "," << at.y;
    EXPECT_EQ(PartsOf(loaded).Mask, PartsOf(icon).Mask);
    EXPECT_EQ(PartsOf(loaded).Colour, PartsOf(icon).Colour);
    ::DestroyIcon(loaded);

    // A monochrome icon (no colour bitmap) keeps its mask and its colours the right way round.
    const HICON monochrome = MakeMonochromeIcon();
    ASSERT_NE(monochrome, nullptr);
    std::string error;
    const std::string monochromePath = folder.Path() + "monochrome.ico";
    ASSERT_TRUE(SaveIconToFile(monochrome, monochromePath, error)) << error;
    const auto reloaded =
        static_cast<HICON>(::LoadImageA(nullptr, monochromePath.c_str(), IMAGE_ICON, 32, 32, LR_LOADFROMFILE));
    ASSERT_NE(reloaded, nullptr);
    const IconParts expected = PartsOf(monochrome);
    ASSERT_EQ(expected.Mask.size(), 32u * 32u);
    EXPECT_EQ(expected.Mask[0], 0xFFFFFFu);  // the left half is transparent
    EXPECT_EQ(expected.Colour[20], 0xFFFFFFu);  // the top is white
    EXPECT_EQ(PartsOf(reloaded).Mask, expected.Mask);
    EXPECT_EQ(PartsOf(reloaded).Colour, expected.Colour);
    ::DestroyIcon(reloaded);
    ::DestroyIcon(monochrome);

    // A file that cannot be written is reported with the system's reason.
    lvxtest::ModalWatcher boxes;
    editor.AskIconFile = [&](std::string& chosen) {
        chosen = folder.Path() + "no such folder\\big.ico";
        return true;
    };
    editor.IconDblClick(0);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_FALSE(boxes.Boxes[0].Text.empty());
    ::SendMessageA(Editor, WM_COMMAND, IDCANCEL, 0);
    Inspect(nullptr);
    ::DestroyWindow(window);
    ::DestroyIcon(icon);
}

TEST(StylesForm, TranslatesEveryKeyOfItsSection)
{
    WindowInfo info;
    TStylesForm form(info, nullptr);
    std::set<std::string> looked;
    for (const TranslationTarget& target : form.TranslationTargets()) looked.insert(target.Key);
    const auto keys = LanguageKeysOf("StylesForm");
    EXPECT_EQ(looked, std::set<std::string>(keys.begin(), keys.end()));
}

namespace {

TDetailsForm& StylesTest::OpenDetails(int page)
{
    ::SendMessageA(Form->detailsButton_.Handle(), BM_CLICK, 0, 0);
    TDetailsForm* details = Form->DetailsForm();
    EXPECT_NE(details, nullptr);
    details->SelectPage(page);
    return *details;
}

// The value of a labelled line of one of the details window's sections; "?" when there is none.
std::string ValueOf(const TDetailsForm& details, int section, const char* key)
{
    const std::vector<DetailSection> sections = details.Sections();
    for (const DetailLine& line : sections[static_cast<size_t>(section)].Lines)
        if (line.Label == details.Text(key)) return line.Value;
    return "?";
}

std::set<std::string> SetStyleNames(const TDetailsForm& details)
{
    std::set<std::string> names;
    for (const StyleRow& row : details.StyleRows())
        if (row.Set) names.insert(row.Name);
    return names;
}

// Ticks or unticks a name in the Styles page as a click would, and waits for the window to show it.
void Tick(TDetailsForm& details, const char* name, bool ticked, const std::function<bool()>& landed)
{
    const int count = static_cast<int>(::SendMessageA(details.stylesList_, LVM_GETITEMCOUNT, 0, 0));
    int found = -1;
    for (int index = 0; index < count && found < 0; ++index) {
        char text[128] = {};
        LVITEMA item{};
        item.pszText = text;
        item.cchTextMax = 128;
        ::SendMessageA(details.stylesList_, LVM_GETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
        if (std::string(text) == std::string("  ") + name) found = index;
    }
    ASSERT_GE(found, 0) << name;
    LVITEMA state{};
    state.stateMask = LVIS_STATEIMAGEMASK;
    state.state = INDEXTOSTATEIMAGEMASK(ticked ? 2 : 1);
    ::SendMessageA(details.stylesList_, LVM_SETITEMSTATE, static_cast<WPARAM>(found), reinterpret_cast<LPARAM>(&state));
    EXPECT_TRUE(lvxtest::WaitFor(landed)) << name;
    EXPECT_TRUE(lvxtest::WaitFor([&] { return SetStyleNames(details).count(name) == (ticked ? 1u : 0u); })) << name;
}

// A PNG file's size and pixels (top row first, 0x00RRGGBB), read back through the imaging component.
bool LoadPng(const std::string& path, UINT& width, UINT& height, std::vector<uint32_t>& pixels)
{
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IWICImagingFactory* factory = nullptr;
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    IWICFormatConverter* converter = nullptr;
    const std::wstring wide(path.begin(), path.end());
    bool read = SUCCEEDED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                             IID_IWICImagingFactory, reinterpret_cast<void**>(&factory))) &&
                SUCCEEDED(factory->CreateDecoderFromFilename(wide.c_str(), nullptr, GENERIC_READ,
                                                             WICDecodeMetadataCacheOnDemand, &decoder)) &&
                SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(frame->GetSize(&width, &height)) &&
                SUCCEEDED(factory->CreateFormatConverter(&converter)) &&
                SUCCEEDED(converter->Initialize(frame, GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone, nullptr,
                                                0.0, WICBitmapPaletteTypeCustom));
    if (read) {
        pixels.assign(static_cast<size_t>(width) * height, 0);
        read = SUCCEEDED(converter->CopyPixels(nullptr, width * 4, width * height * 4,
                                               reinterpret_cast<BYTE*>(pixels.data())));
        for (uint32_t& pixel : pixels) pixel &= 0xFFFFFF;
    }
    for (IUnknown* object : std::initializer_list<IUnknown*>{converter, frame, decoder, factory})
        if (object != nullptr) object->Release();
    ::CoUninitialize();
    return read;
}

// Where the details window was made (CreateWindowEx's rectangle), noted by a CBT hook.
RECT DetailsMadeAt{};
LRESULT CALLBACK NoteDetailsCreation(int code, WPARAM wParam, LPARAM lParam)
{
    char name[64] = {};
    if (code == HCBT_CREATEWND && ::GetClassNameA(reinterpret_cast<HWND>(wParam), name, 64) > 0 &&
        std::string(name) == "TDetailsForm") {
        const CREATESTRUCTA& create = *reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
        DetailsMadeAt = RECT{create.x, create.y, create.x + create.cx, create.y + create.cy};
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}
// A window that answers messages but, armed with a time, blocks that long in its paint routine
// (WM_PAINT, or WM_PRINTCLIENT, which programs serve with the same routine).
std::atomic<DWORD> PaintBlockMs{0};
LRESULT CALLBACK SlowPainterProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT || message == WM_PRINTCLIENT)
        if (const DWORD block = PaintBlockMs.exchange(0); block != 0) ::Sleep(block);
    if (message == WM_DESTROY) ::PostQuitMessage(0);
    return ::DefWindowProcA(window, message, wParam, lParam);
}
// The screen's pixels where the window is (top row first, 0x00RRGGBB).
std::vector<uint32_t> ScreenPixels(HWND window)
{
    RECT bounds{};
    ::GetWindowRect(window, &bounds);
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    BITMAPINFO format{};
    format.bmiHeader = {sizeof format.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const HDC screen = ::GetDC(nullptr);
    const HBITMAP picture = ::CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HDC memory = ::CreateCompatibleDC(screen);
    const HGDIOBJ old = ::SelectObject(memory, picture);
    ::BitBlt(memory, 0, 0, width, height, screen, bounds.left, bounds.top, SRCCOPY);
    ::GdiFlush();
    std::vector<uint32_t> pixels(static_cast<const uint32_t*>(bits),
                                 static_cast<const uint32_t*>(bits) + static_cast<size_t>(width) * height);
    for (uint32_t& pixel : pixels) pixel &= 0xFFFFFF;
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
    ::DeleteObject(picture);
    ::ReleaseDC(nullptr, screen);
    return pixels;
}
std::wstring ClipboardWideText()
{
    std::wstring text;
    if (!::OpenClipboard(nullptr)) return text;
    if (const HANDLE data = ::GetClipboardData(CF_UNICODETEXT); data != nullptr) {
        text = static_cast<const wchar_t*>(::GlobalLock(data));
        ::GlobalUnlock(data);
    }
    ::CloseClipboard();
    return text;
}
std::string ClipboardText()
{
    std::string text;
    if (!::OpenClipboard(nullptr)) return text;
    if (const HANDLE data = ::GetClipboardData(CF_TEXT); data != nullptr) {
        text = static_cast<const char*>(::GlobalLock(data));
        ::GlobalUnlock(data);
    }
    ::CloseClipboard();
    return text;
}

}  // namespace

TEST_F(StylesTest, DetailsDecodeAnotherProcesssWindowAndFollowTheMainWindow)
{
    const HWND window = Target->Window("details");
    Inspect(window);
    TDetailsForm& details = OpenDetails(TDetailsForm::ClassPage);
    ASSERT_TRUE(::IsWindowVisible(details.Handle()));
    // Beside the main window, not over it.
    RECT main{}, own{};
    ::GetWindowRect(Form->Handle(), &main);
    ::GetWindowRect(details.Handle(), &own);
    RECT overlap{};
    EXPECT_FALSE(::IntersectRect(&overlap, &main, &own));
    {
        // Made where it stands (so on the monitor whose DPI it was sized for), not made elsewhere and moved.
        DetailsMadeAt = RECT{};
        const HHOOK hook = ::SetWindowsHookExA(WH_CBT, &NoteDetailsCreation, nullptr, ::GetCurrentThreadId());
        TDetailsForm second(CurrentWindow, nullptr);
        second.ShowDetails(Form->Handle());
        ::UnhookWindowsHookEx(hook);
        RECT shown{};
        ::GetWindowRect(second.Handle(), &shown);
        EXPECT_TRUE(::EqualRect(&DetailsMadeAt, &shown))
            << DetailsMadeAt.left << "," << DetailsMadeAt.top << " " << shown.left << "," << shown.top;
        ::DestroyWindow(second.Handle());
    }

    enum { Styles = 1, Class, Properties, Process, Dpi };
    EXPECT_EQ(ValueOf(details, Class, "ClassStyle"), "0000000B CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS");
    EXPECT_EQ(ValueOf(details, Class, "ClassExtra"), "8");
    EXPECT_EQ(ValueOf(details, Class, "WindowExtra"), "16");
    // Wine keeps another process's class handles to itself: then they read as unreadable, never as none.
    const std::pair<const char*, std::string> handles[] = {
        {"Background", "COLOR_INFOBK + 1"}, {"Cursor", "IDC_CROSS"}, {"Icon", "IDI_QUESTION"}};
    for (const auto& [key, name] : handles)
        EXPECT_TRUE(ValueOf(details, Class, key) == name || ValueOf(details, Class, key) == details.Text("Unreadable"))
            << key << ": " << ValueOf(details, Class, key);
    EXPECT_NE(ValueOf(details, Class, "ClassModule").find("lvxtarget.exe"), std::string::npos);
    // Properties by name, integer atoms as "#atom"; the system may add its own.
    std::vector<std::string> properties;
    const std::vector<DetailSection> sections = details.Sections();
    for (const DetailLine& line : sections[Properties].Lines)
        if (line.Label == "#77" || line.Label == "Alpha" || line.Label == "LvxAnswer")
            properties.push_back(line.Label + "=" + line.Value);
    EXPECT_EQ(properties, (std::vector<std::string>{"#77=00000055", "Alpha=00001234", "LvxAnswer=0000002A"}));
    EXPECT_NE(ValueOf(details, Process, "ImagePath").find("lvxtarget.exe"), std::string::npos)
        << ValueOf(details, Process, "ImagePath");
    EXPECT_EQ(ValueOf(details, Process, "Bitness"), details.Text(sizeof(void*) == 8 ? "Bits64" : "Bits32"));
    EXPECT_EQ(ValueOf(details, Process, "Blocked"), "?");  // the same user at the same level
    EXPECT_EQ(details.Sections()[Dpi].Lines.size(), 3u);
    EXPECT_EQ(SetStyleNames(details).count("WS_CAPTION"), 1u);

    // A class of this process, where every system gives the handles: stock names and the colour.
    WNDCLASSEXA ownClass{};
    ownClass.cbSize = sizeof ownClass;
    ownClass.lpfnWndProc = ::DefWindowProcA;
    ownClass.hInstance = ::GetModuleHandleA(nullptr);
    ownClass.hCursor = ::LoadCursorA(nullptr, IDC_CROSS);
    ownClass.hIcon = ::LoadIconA(nullptr, IDI_QUESTION);
    ownClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_INFOBK + 1));
    ownClass.hIconSm = static_cast<HICON>(::LoadImageA(nullptr, IDI_HAND, IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                                       ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    ownClass.lpszClassName = "LvxDetailsTestClass";
    ASSERT_NE(::RegisterClassExA(&ownClass), 0);
    const HWND ownWindow = ::CreateWindowExA(0, ownClass.lpszClassName, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                             ownClass.hInstance, nullptr);
    Inspect(ownWindow);
    for (const auto& [key, name] : handles) EXPECT_EQ(ValueOf(details, Class, key), name) << key;
    EXPECT_EQ(ValueOf(details, Class, "SmallIcon"), "IDI_HAND");
    ::DestroyWindow(ownWindow);
    ::UnregisterClassA(ownClass.lpszClassName, ownClass.hInstance);

    // Controls decode with the names of their classes; the list view's own extended style too.
    Inspect(Target->Window("details.check"));
    EXPECT_TRUE(SetStyleNames(details).contains("BS_AUTOCHECKBOX"));
    EXPECT_TRUE(SetStyleNames(details).contains("WS_TABSTOP"));
    EXPECT_EQ(ValueOf(details, 0, "WndText"), "Check");
    Inspect(Target->Window("details.edit"));
    EXPECT_TRUE(SetStyleNames(details).contains("ES_RIGHT"));
    EXPECT_TRUE(SetStyleNames(details).contains("ES_MULTILINE"));
    Inspect(Target->Window("details.list"));
    ASSERT_TRUE(details.Details().ListViewExRead);
    for (const char* name : {"LVS_REPORT", "LVS_EX_GRIDLINES", "LVS_EX_FULLROWSELECT"})
        EXPECT_TRUE(SetStyleNames(details).contains(name)) << name;

    // Hidden by Escape, it keeps following and shows the current window when opened again.
    ::SendMessageA(details.Handle(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(::IsWindowVisible(details.Handle()));
    Inspect(window);
    ::SendMessageA(Form->Handle(), WM_COMMAND, MainFormIds::DetailsCommand, 0);  // Ctrl+D
    EXPECT_TRUE(::IsWindowVisible(details.Handle()));
    EXPECT_EQ(ValueOf(details, 0, "WndHandle"), FormatHandle(HandleValue(window)));

    // Moved by the user, it reopens where it was put; the parameters editor opens beside the main
    // window too, not over it.
    ::SetWindowPos(details.Handle(), nullptr, 40, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ::SendMessageA(details.Handle(), WM_EXITSIZEMOVE, 0, 0);
    ::SendMessageA(details.Handle(), WM_COMMAND, IDCANCEL, 0);
    OpenDetails(TDetailsForm::StylesPage);
    ::GetWindowRect(details.Handle(), &own);
    EXPECT_EQ(own.left, 40);
    EXPECT_EQ(own.top, 60);
    ::SendMessageA(details.Handle(), WM_COMMAND, IDCANCEL, 0);
    Open();
    ::GetWindowRect(Editor, &own);
    EXPECT_FALSE(::IntersectRect(&overlap, &main, &own));
    ::SendMessageA(Editor, WM_COMMAND, IDCANCEL, 0);
}

TEST_F(StylesTest, DetailsTicksWriteTheStylesBack)
{
    const HWND check = Target->Window("details.check");
    Inspect(check);
    TDetailsForm& details = OpenDetails(TDetailsForm::StylesPage);
    const auto style = [&] { return static_cast<uint32_t>(::GetWindowLongA(check, GWL_STYLE)); };
    // The window disables its control after the page was read: a tick writes only its own bits.
    const auto toggle = [&](uint32_t bits) {
        DWORD_PTR done = 0;
        ::SendMessageTimeoutA(Target->Window("details"), WM_APP + 11, 801, static_cast<LPARAM>(bits), SMTO_NORMAL, 2000,
                              &done);
        ASSERT_EQ(done, 1u);
    };
    toggle(WS_DISABLED);
    Tick(details, "WS_TABSTOP", false, [&] { return (style() & WS_TABSTOP) == 0; });
    EXPECT_NE(style() & WS_DISABLED, 0u) << "the window's own change kept";
    toggle(WS_DISABLED);
    // A field takes the ticked value whole: the check box becomes a plain one.
    Tick(details, "BS_CHECKBOX", true, [&] { return (style() & 0xF) == BS_CHECKBOX; });
    Tick(details, "WS_TABSTOP", true, [&] { return (style() & WS_TABSTOP) != 0; });
    Tick(details, "BS_AUTOCHECKBOX", true, [&] { return (style() & 0xF) == BS_AUTOCHECKBOX; });

    const HWND list = Target->Window("details.list");
    Inspect(list);
    const auto listStyle = [&] {
        DWORD_PTR value = 0;
        ::SendMessageTimeoutA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0, SMTO_ABORTIFHUNG, 2000, &value);
        return static_cast<uint32_t>(value);
    };
    Tick(details, "LVS_EX_GRIDLINES", false, [&] { return listStyle() == LVS_EX_FULLROWSELECT; });
    Tick(details, "LVS_EX_GRIDLINES", true, [&] { return listStyle() == (LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES); });
}

TEST_F(StylesTest, DetailsCopyReadsBackAndTheCapturedPictureHasTheWindowsColours)
{
    const HWND window = Target->Window("details");
    Inspect(window);
    TDetailsForm& details = OpenDetails(TDetailsForm::StylesPage);
    ::SendMessageA(details.copyButton_, BM_CLICK, 0, 0);
    const std::string text = ClipboardText();
    const std::wstring wide = ClipboardWideText();
    EXPECT_TRUE(wide.starts_with(L"[Окно]\r\nХэндл окна: ")) << text;
    EXPECT_NE(wide.find(L"\r\nСледующее окно: "), std::wstring::npos) << text;
    EXPECT_EQ(std::count(wide.begin(), wide.end(), L'\n'), std::count(text.begin(), text.end(), '\n'));
    // Every field of the main window, for a bug report.
    const auto handle = [](HWND window) {
        return window != nullptr ? FormatHandle(HandleValue(window)) : MessageText(Msg::NoWindowFound);
    };
    EXPECT_EQ(ValueOf(details, 0, "Child"), handle(CurrentWindow.Child));
    EXPECT_EQ(ValueOf(details, 0, "Next"), handle(CurrentWindow.Next));
    EXPECT_EQ(ValueOf(details, 0, "Previous"), handle(CurrentWindow.Previous));
    EXPECT_EQ(ValueOf(details, 0, "Menu"), MessageText(Msg::Hasnt));
    EXPECT_EQ(ValueOf(details, 0, "Bitness"), details.Text(sizeof(void*) == 8 ? "Bits64" : "Bits32"));
    EXPECT_EQ(ValueOf(details, 0, "ShowState"), details.Text("StateNormal"));
    EXPECT_EQ(ValueOf(details, 0, "Visible"), details.Text("Yes"));
    EXPECT_EQ(ValueOf(details, 0, "Enabled"), details.Text("Yes"));
    EXPECT_EQ(ValueOf(details, 0, "Topmost"), details.Text("No"));
    Inspect(Target->Window("details.check"));
    EXPECT_EQ(ValueOf(details, 0, "RelativeCoords"), FormatPoint(10, 10));
    Inspect(window);
    const auto parsed = ParseDetailsText(text);
    ASSERT_TRUE(parsed.has_value()) << text;
    const std::vector<DetailSection> sections = details.Sections();
    ASSERT_EQ(parsed->size(), sections.size());
    for (size_t i = 0; i < sections.size(); ++i) {
        EXPECT_EQ((*parsed)[i].Title, sections[i].Title);
        ASSERT_EQ((*parsed)[i].Lines.size(), sections[i].Lines.size()) << sections[i].Title;
        for (size_t line = 0; line < sections[i].Lines.size(); ++line)
            EXPECT_EQ((*parsed)[i].Lines[line].Value, sections[i].Lines[line].Value) << sections[i].Lines[line].Label;
    }

    // The capture, saved as PNG and read back: the window's size, its background where no control is.
    ::SetForegroundWindow(window);
    lvxtest::TempFolder folder;
    const std::string path = folder.Path() + "window.png";
    details.AskCaptureTarget = [] { return IDNO; };
    details.AskPictureFile = [&](std::string& chosen) {
        chosen = path;
        return true;
    };
    details.CaptureClick();
    UINT width = 0, height = 0;
    std::vector<uint32_t> pixels;
    ASSERT_TRUE(LoadPng(path, width, height, pixels));
    RECT bounds{};
    ::GetWindowRect(window, &bounds);
    EXPECT_EQ(static_cast<LONG>(width), bounds.right - bounds.left);
    EXPECT_EQ(static_cast<LONG>(height), bounds.bottom - bounds.top);
    POINT inside{300, 200};  // client point below and right of every control
    ::ClientToScreen(window, &inside);
    const COLORREF background = ::GetSysColor(COLOR_INFOBK);
    const uint32_t expected = (GetRValue(background) << 16) | (GetGValue(background) << 8) | GetBValue(background);
    EXPECT_EQ(pixels[static_cast<size_t>(inside.y - bounds.top) * width + static_cast<size_t>(inside.x - bounds.left)],
              expected);
    // And on the clipboard, as a device-independent bitmap of the same size.
    details.AskCaptureTarget = [] { return IDYES; };
    details.CaptureClick();
    ASSERT_TRUE(::OpenClipboard(nullptr));
    const HANDLE dib = ::GetClipboardData(CF_DIB);
    ASSERT_NE(dib, nullptr);
    const auto* header = static_cast<const BITMAPINFOHEADER*>(::GlobalLock(dib));
    EXPECT_EQ(header->biWidth, bounds.right - bounds.left);
    ::GlobalUnlock(dib);
    ::CloseClipboard();
}

TEST_F(StylesTest, DetailsOfAHungWindowStayBounded)
{
    lvxtest::TempFolder folder;
    const std::string path = folder.Path() + "hung.png";
    // Within a second the picture holds the window's pixels from the screen: the inspector does
    // not wait while the window paints.
    const auto captureFromScreen = [&](TDetailsForm& details, HWND window, const char* what) {
        details.AskCaptureTarget = [] { return IDNO; };
        details.AskPictureFile = [&](std::string& chosen) {
            chosen = path;
            return true;
        };
        ::DeleteFileA(path.c_str());
        const ULONGLONG start = ::GetTickCount64();
        details.CaptureClick();
        EXPECT_LT(::GetTickCount64() - start, 1000u) << what;
        const std::vector<uint32_t> screen = ScreenPixels(window);
        UINT width = 0, height = 0;
        std::vector<uint32_t> pixels;
        ASSERT_TRUE(LoadPng(path, width, height, pixels)) << what;
        ASSERT_EQ(pixels.size(), screen.size()) << what;
        EXPECT_TRUE(pixels == screen) << what;
    };
    {
        // A window that answers but blocks in its paint routine; on a second thread of this process,
        // as Wine passes no painting messages between processes.
        std::promise<HWND> made;
        std::thread owner([&made] {
            WNDCLASSEXA paintClass{};
            paintClass.cbSize = sizeof paintClass;
            paintClass.lpfnWndProc = &SlowPainterProc;
            paintClass.hInstance = ::GetModuleHandleA(nullptr);
            paintClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_INFOBK + 1));
            paintClass.lpszClassName = "LvxSlowPainter";
            ::RegisterClassExA(&paintClass);
            const HWND window = ::CreateWindowExA(0, paintClass.lpszClassName, "Slow painter",
                                                  WS_POPUP | WS_CAPTION | WS_VISIBLE, 40, 560, 260, 160, nullptr,
                                                  nullptr, paintClass.hInstance, nullptr);
            ::UpdateWindow(window);
            made.set_value(window);
            MSG message;
            while (::GetMessageA(&message, nullptr, 0, 0) > 0) ::DispatchMessageA(&message);
        });
        const HWND painter = made.get_future().get();
        ASSERT_NE(painter, nullptr);
        Inspect(painter);
        TDetailsForm& details = OpenDetails(TDetailsForm::ProcessPage);
        PaintBlockMs = 3000;
        captureFromScreen(details, painter, "blocked while painting");
        ::PostMessageA(painter, WM_CLOSE, 0, 0);
        owner.join();
    }

    // A window that does not answer at all.
    const HWND hung = Target->Window("hung");
    Inspect(hung);
    TDetailsForm& details = OpenDetails(TDetailsForm::ProcessPage);
    Target->HangWindow(15000);
    ASSERT_TRUE(lvxtest::WaitFor([&] { return ::IsHungAppWindow(hung) != FALSE; }));
    const ULONGLONG start = ::GetTickCount64();
    details.RefreshDetails();
    EXPECT_NE(ValueOf(details, 4, "ImagePath").find("lvxtarget.exe"), std::string::npos);
    EXPECT_LT(::GetTickCount64() - start, 1000u);
    captureFromScreen(details, hung, "hung");
    ::SendMessageA(details.Handle(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(lvxtest::WaitFor([&] {
        DWORD_PTR answer = 0;
        return ::SendMessageTimeoutA(hung, WM_NULL, 0, 0, SMTO_NORMAL, 200, &answer) != 0;
    }, 30000));
}
