// The wizard pages: showing a page and running it, the page sequence, and what each page does with its controls.
#include "Wizard.h"
#include "GdiHandles.h"

#include "engine/Engine.h"
#include "log/IniCache.h"
#include "log/LogFields.h"
#include "system/Registry.h"
#include "system/Restart.h"

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>

namespace lvu {
namespace {

constexpr char StartPage[] = "DLG_START";
constexpr char BeforeUninstallPage[] = "DLG_BEFOREUNINSTALL";
constexpr char BeforeRepairPage[] = "DLG_BEFOREREPAIR";
constexpr char BrowseForSetupPage[] = "DLG_BROWSEFORSETUP";
constexpr char UninstallPage[] = "DLG_UNINSTALL";
constexpr char RebootPage[] = "DLG_REBOOT";

constexpr int BannerId = 100;
constexpr int TitleId = 400;
constexpr int SubtitleId = 401;
constexpr int TextId = 104;
constexpr int WhiteAreaId = 152;
constexpr int UninstallRadioId = 106;
constexpr int RepairRadioId = 107;
constexpr int RepairTextId = 110;
constexpr int RemoveDataBoxId = 105;
constexpr int SetupFolderId = 106;
constexpr int BrowseButtonId = 107;
constexpr int RestartNowId = 105;
constexpr int RestartLaterId = 106;
constexpr char FontProperty[] = "Font";

bool FileExists(const std::string& path)
{
    const DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Checked(HWND page, int id)
{
    return ::IsDlgButtonChecked(page, id) == BST_CHECKED;
}

void EnableControl(HWND page, int id, bool enable)
{
    ::EnableWindow(::GetDlgItem(page, id), enable ? TRUE : FALSE);
}

// A font from a spec of the log, in the character set of the log, sized for the main window's screen.
unique_font CreateSpecFont(const FontSpec& spec)
{
    const WindowDc screen(Wizard.MainWindow.get());
    const int pixelsPerInch = screen.get() != nullptr ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
    LOGFONTA font{};
    font.lfHeight = -::MulDiv(spec.Size, pixelsPerInch, 72);
    font.lfWeight = spec.Bold ? FW_BOLD : FW_NORMAL;
    font.lfItalic = spec.Italic;
    font.lfUnderline = spec.Underline;
    font.lfStrikeOut = spec.StrikeOut;
    font.lfCharSet = static_cast<BYTE>(cached::ReadInteger(Uninstall.LogPath, "Display", "Charset", DEFAULT_CHARSET));
    spec.Face.copy(font.lfFaceName, LF_FACESIZE - 1);
    return unique_font(::CreateFontIndirectA(&font));
}

// The window keeps the font as its property until the page goes; a font it kept before is deleted.
void SetWindowFont(HWND window, const FontSpec& spec)
{
    unique_font font = CreateSpecFont(spec);
    if (!font) return;
    unique_font previous(static_cast<HFONT>(::GetPropA(window, FontProperty)));
    ::SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    if (::SetPropA(window, FontProperty, font.get())) (void)font.release();
}

void DeleteWindowFont(HWND window)
{
    const unique_font font(static_cast<HFONT>(::RemovePropA(window, FontProperty)));
}

void SetTexts(HWND page, const std::string& name)
{
    const std::string caption = PageText(name, "Caption");
    if (!caption.empty()) ::SetWindowTextA(page, caption.c_str());
    for (HWND child = ::GetWindow(page, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        const int id = ::GetDlgCtrlID(child);
        const std::string key = id == TitleId ? "Title" : id == SubtitleId ? "Subtitle" : std::to_string(id);
        const std::string text = PageText(name, key);
        if (!text.empty()) ::SetWindowTextA(child, text.c_str());
    }
}

// Centred in the work area and kept within the screen.
void CentrePage(HWND page)
{
    RECT area{};
    RECT frame{};
    if (!::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0) || !::GetWindowRect(page, &frame)) return;
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    int left = area.left + (area.right - area.left - width) / 2;
    int top = area.top + (area.bottom - area.top - height) / 2;
    left = std::max(0, std::min(left, ::GetSystemMetrics(SM_CXSCREEN) - width));
    top = std::max(0, std::min(top, ::GetSystemMetrics(SM_CYSCREEN) - height));
    ::SetWindowPos(page, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DrawBitmap(const DRAWITEMSTRUCT& item, const char* name)
{
    RECT area{};
    ::GetClientRect(item.hwndItem, &area);
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    const unique_memory_dc memory(::CreateCompatibleDC(item.hDC));
    const unique_bitmap canvas(::CreateCompatibleBitmap(item.hDC, width, height));
    if (!memory || !canvas) return;
    const SelectedObject canvasSelected(memory.get(), canvas.get());
    ::FillRect(memory.get(), &area, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    const unique_bitmap picture(
        static_cast<HBITMAP>(::LoadImageA(::GetModuleHandleA(nullptr), name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    const unique_memory_dc source(::CreateCompatibleDC(item.hDC));
    BITMAP size{};
    if (picture && source && ::GetObjectA(picture.get(), sizeof size, &size) != 0) {
        const SelectedObject pictureSelected(source.get(), picture.get());
        ::SetStretchBltMode(memory.get(), HALFTONE);
        ::SetBrushOrgEx(memory.get(), 0, 0, nullptr);
        ::StretchBlt(memory.get(), 0, 0, width, height, source.get(), 0, 0, size.bmWidth, size.bmHeight, SRCCOPY);
    }
    ::BitBlt(item.hDC, 0, 0, width, height, memory.get(), 0, 0, SRCCOPY);
}

// The title and subtitle lie on the white banner, which is clipped around them: their own
// areas are filled white before the text goes on transparently.
void DrawTitleText(const DRAWITEMSTRUCT& item, COLORREF colour, bool wrap)
{
    RECT area{};
    ::GetClientRect(item.hwndItem, &area);
    ::FillRect(item.hDC, &area, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    char text[1024] = {};
    const int length = ::GetWindowTextA(item.hwndItem, text, static_cast<int>(std::size(text)));
    const SelectedObject font(item.hDC, ::GetPropA(item.hwndItem, FontProperty));
    ::SetBkMode(item.hDC, TRANSPARENT);
    ::SetTextColor(item.hDC, colour);
    ::DrawTextA(item.hDC, text, length, &area, DT_NOPREFIX | (wrap ? DT_WORDBREAK : DT_SINGLELINE));
}

// The folder browser's start: its caption and starting folder.
struct BrowseStart {
    std::string Caption;
    std::string Folder;
    HFONT Font = nullptr;
};

int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM, LPARAM data)
{
    if (message == BFFM_INITIALIZED) {
        const auto* start = reinterpret_cast<const BrowseStart*>(data);
        if (!start->Caption.empty()) ::SetWindowTextA(browser, start->Caption.c_str());
        if (start->Font != nullptr) ::SendMessageA(browser, WM_SETFONT, reinterpret_cast<WPARAM>(start->Font), TRUE);
        ::SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(start->Folder.c_str()));
    }
    return 0;
}

struct ItemListFree {
    static void Free(LPITEMIDLIST list) { ::CoTaskMemFree(list); }
};
using unique_item_list = unique_handle<HandleTraits<LPITEMIDLIST, ItemListFree::Free>>;

struct ComApartment {
    HRESULT Result = ::CoInitialize(nullptr);
    ~ComApartment()
    {
        if (SUCCEEDED(Result)) ::CoUninitialize();
    }
};

BOOL CALLBACK RaiseIfOwnedBy(HWND window, LPARAM owner)
{
    if (::GetWindow(window, GW_OWNER) == reinterpret_cast<HWND>(owner) && ::IsWindowVisible(window))
        ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
    return TRUE;
}

// Puts the visible windows the page owns (the worker's question on the progress page, made by
// another thread) above it. Windows keeps owned windows above their owner by itself; Wine does
// not when the owner is raised or activated after them, and would hide the question.
void RaiseOwnedWindows(HWND page)
{
    ::EnumWindows(RaiseIfOwnedBy, reinterpret_cast<LPARAM>(page));
}

}  // namespace

WizardState Wizard;

std::string PageText(const std::string& page, const std::string& key)
{
    return ExpandLineBreaks(cached::ReadString(Uninstall.LogPath, "Dialog." + page, key, ""), false);
}

std::string LogString(const std::string& key)
{
    return ExpandLineBreaks(cached::ReadString(Uninstall.LogPath, "Strings", key, ""), false);
}

INT_PTR CALLBACK TWizardPage::PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) ::SetWindowLongPtrA(page, DWLP_USER, lParam);
    auto* self = reinterpret_cast<TWizardPage*>(::GetWindowLongPtrA(page, DWLP_USER));
    if (message == WM_NCDESTROY) ::SetWindowLongPtrA(page, DWLP_USER, 0);
    if (self == nullptr) return FALSE;
    try {
        return self->Dispatch(page, message, wParam, lParam);
    } catch (const std::exception& error) {
        ErrorBox(error.what());
    } catch (...) {
        ErrorBox("Unexpected error");
    }
    return message == WM_INITDIALOG ? FALSE : TRUE;
}

INT_PTR TWizardPage::Dispatch(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        FormCreate(page);
        return FALSE;  // the focus is set
    case WM_COMMAND:
        if (ButtonClick(page, LOWORD(wParam), HIWORD(wParam))) {
            switch (LOWORD(wParam)) {
            case IDOK:
            case NextId: Uninstall.PageResult = NextId; break;
            case IDCANCEL:
            case CancelId: Uninstall.PageResult = CancelId; break;
            case BackId: Uninstall.PageResult = BackId; break;
            default: break;
            }
        }
        return TRUE;
    case WM_SHOWWINDOW:
        // The worker waits, suspended, until the user can watch it.
        if (wParam && name_ == UninstallPage) ResumeWorker();
        return FALSE;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) FormActivate(page);
        return FALSE;
    case WM_DRAWITEM:
        DrawItem(page, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_CTLCOLORSTATIC:
        if (name_ != StartPage) return FALSE;
        ::SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
        return reinterpret_cast<INT_PTR>(::GetStockObject(WHITE_BRUSH));
    case WM_DESTROY:
        DeleteWindowFont(page);
        for (HWND child = ::GetWindow(page, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT))
            DeleteWindowFont(child);
        return FALSE;
    default:
        return FALSE;
    }
}

void TWizardPage::FormCreate(HWND page)
{
    Uninstall.PageResult = 0;
    const FontSpec dialogFont = ParseFontSpec(Wizard.DialogFont);
    SetWindowFont(page, dialogFont);
    for (HWND child = ::GetWindow(page, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT))
        SetWindowFont(child, dialogFont);
    const FontSpec titleFont = ParseFontSpec(Wizard.TitleFont);
    const FontSpec subtitleFont = ParseFontSpec(Wizard.SubtitleFont);
    titleColor_ = titleFont.Color;
    subtitleColor_ = subtitleFont.Color;
    if (HWND title = ::GetDlgItem(page, TitleId)) SetWindowFont(title, titleFont);
    if (HWND subtitle = ::GetDlgItem(page, SubtitleId)) SetWindowFont(subtitle, subtitleFont);
    SetTexts(page, name_);
    const HINSTANCE instance = ::GetModuleHandleA(nullptr);
    ::SetClassLongPtrA(page, GCLP_HICON, reinterpret_cast<LONG_PTR>(::LoadIconA(instance, "MAINICON")));
    CentrePage(page);
    ::SetFocus(::GetDlgItem(page, NextId));

    if (name_ == StartPage) StartPageCreate(page);
    else if (name_ == BeforeUninstallPage) BeforeUninstallCreate(page);
    else if (name_ == BrowseForSetupPage) BrowseForSetupCreate(page);
    else if (name_ == UninstallPage) UninstallPageCreate(page);
    else if (name_ == RebootPage) RebootPageCreate(page);
}

void TWizardPage::StartPageCreate(HWND page)
{
    SetWindowFont(::GetDlgItem(page, TextId), ParseFontSpec(Wizard.TitleFont));
    ::CheckDlgButton(page, UninstallRadioId, Wizard.Mode == ModeUninstall ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(page, RepairRadioId, Wizard.Mode == ModeRepair ? BST_CHECKED : BST_UNCHECKED);
    EnableControl(page, BackId, false);
    const bool noRepair = RegReadInteger(Uninstall.UninstallKey, "NoRepair", 0) == 1;
    if (!FileExists(Wizard.SilentSettings) || noRepair) {
        EnableControl(page, RepairRadioId, false);
        EnableControl(page, RepairTextId, false);
    }
}

void TWizardPage::BeforeUninstallCreate(HWND page)
{
    ::CheckDlgButton(page, RemoveDataBoxId, Uninstall.RemoveData ? BST_CHECKED : BST_UNCHECKED);
    IniData& log = Wizard.Log->Data();
    const auto isEmpty = [&log](const char* section) {
        const std::vector<std::string>* lines = log.SectionLines(section);
        return lines == nullptr || lines->empty();
    };
    if (isEmpty("DataFiles") && isEmpty("DataFolders")) ::ShowWindow(::GetDlgItem(page, RemoveDataBoxId), SW_HIDE);
}

void TWizardPage::BrowseForSetupCreate(HWND page)
{
    const HWND edit = ::GetDlgItem(page, SetupFolderId);
    ::SetWindowTextA(edit, FolderPart(Wizard.SetupFile).c_str());
    ::SendMessageA(edit, EM_SETSEL, 0, -1);
    ::SetFocus(edit);
}

void TWizardPage::UninstallPageCreate(HWND page)
{
    Uninstall.ProgressPage = page;
    for (const int id : {BackId, NextId, CancelId}) EnableControl(page, id, false);
    for (int stage = 0; stage < StageCount; ++stage) {
        ::ShowWindow(::GetDlgItem(page, StageIconBaseId + 1 + 3 * stage), SW_HIDE);
        ::ShowWindow(::GetDlgItem(page, StageIconBaseId + 2 + 3 * stage), SW_HIDE);
    }
    const int colour = cached::ReadInteger(Uninstall.LogPath, "Display", "ProgressColor", 12692902);
    ::SendDlgItemMessageA(page, ProgressBarId, PBM_SETBARCOLOR, 0, static_cast<LPARAM>(static_cast<COLORREF>(colour)));
}

void TWizardPage::RebootPageCreate(HWND page)
{
    EnableControl(page, BackId, false);
    const bool now = RebootNeeded();
    ::CheckDlgButton(page, RestartNowId, now ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(page, RestartLaterId, now ? BST_UNCHECKED : BST_CHECKED);
    if (now) ::SetFocus(::GetDlgItem(page, RestartNowId));
}

// A page that its own modal dialog (the worker's question) keeps disabled keeps that dialog above
// itself when it is activated.
void TWizardPage::FormActivate(HWND page)
{
    if (!::IsWindowEnabled(page)) RaiseOwnedWindows(page);
}

bool TWizardPage::ButtonClick(HWND page, int id, int notification)
{
    const bool forward = id == IDOK || id == NextId;
    const bool leave = forward || id == BackId;
    if (name_ == StartPage && forward) {
        Wizard.Mode = Checked(page, UninstallRadioId) ? ModeUninstall
                      : Checked(page, RepairRadioId) ? ModeRepair
                                                     : ModeNeither;
    } else if (name_ == BeforeUninstallPage) {
        if (id == RemoveDataBoxId && notification == BN_CLICKED && !Checked(page, RemoveDataBoxId) &&
            cached::ReadString(Uninstall.LogPath, "Display", "ForceRemoveDataFiles", "") == "1")
            ::CheckDlgButton(page, RemoveDataBoxId, BST_CHECKED);
        if (leave) Uninstall.RemoveData = Checked(page, RemoveDataBoxId);
    } else if (name_ == BrowseForSetupPage) {
        if (id == BrowseButtonId) BrowseButtonClick(page);
        if (forward) return SetupFolderChosen(page);
    } else if (name_ == RebootPage) {
        if (leave) {
            if (Checked(page, RestartNowId)) SetRebootNeeded();
            else ClearRebootNeeded();
        } else if (id == IDCANCEL || id == CancelId) {
            ClearRebootNeeded();
        }
    }
    return true;
}

void TWizardPage::BrowseButtonClick(HWND page)
{
    const ComApartment com;
    BrowseStart start;
    start.Caption = PageText(BrowseForSetupPage, "200");
    char folder[MAX_PATH + 1] = {};
    ::GetDlgItemTextA(page, SetupFolderId, folder, MAX_PATH);
    start.Folder = folder;
    start.Font = static_cast<HFONT>(::GetPropA(page, FontProperty));
    const std::string prompt = PageText(BrowseForSetupPage, "201");

    LPITEMIDLIST root = nullptr;
    if (FAILED(::SHGetSpecialFolderLocation(page, CSIDL_DRIVES, &root))) root = nullptr;
    const unique_item_list rootOwner(root);
    char chosen[MAX_PATH + 1] = {};
    BROWSEINFOA browse{};
    browse.hwndOwner = page;
    browse.pidlRoot = root;
    browse.pszDisplayName = chosen;
    browse.lpszTitle = prompt.c_str();
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_RETURNFSANCESTORS;
    browse.lpfn = BrowseCallback;
    browse.lParam = reinterpret_cast<LPARAM>(&start);
    const unique_item_list result(::SHBrowseForFolderA(&browse));
    if (!result || !::SHGetPathFromIDListA(result.get(), chosen)) return;
    std::string path = chosen;
    if (path.size() > 3 && path.back() == '\\') path.pop_back();  // "C:\" keeps its backslash
    ::SetDlgItemTextA(page, SetupFolderId, path.c_str());
}

bool TWizardPage::SetupFolderChosen(HWND page)
{
    char folder[MAX_PATH + 1] = {};
    ::GetDlgItemTextA(page, SetupFolderId, folder, MAX_PATH);
    const std::string candidate = JoinPath(folder, FileNamePart(Wizard.SetupFile));
    if (folder[0] != '\0' && FileExists(candidate)) {
        Wizard.SetupFile = candidate;
        return true;
    }
    WarningBox(LogString("2"));
    return false;
}

void TWizardPage::DrawItem(HWND page, const DRAWITEMSTRUCT& item)
{
    if ((item.itemAction & ODA_DRAWENTIRE) == 0) return;
    const int id = static_cast<int>(item.CtlID);
    if (name_ == StartPage) {
        if (id == BannerId) DrawBitmap(item, "Watermark");
        if (id == WhiteAreaId) {
            ::FillRect(item.hDC, &item.rcItem, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
            if (!whiteAreaRepainted_) {
                whiteAreaRepainted_ = true;
                ::RedrawWindow(page, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
            }
        }
        return;
    }
    if (id == BannerId) DrawBitmap(item, "Banner");
    if (id == TitleId) DrawTitleText(item, titleColor_, false);
    if (id == SubtitleId) DrawTitleText(item, subtitleColor_, true);
}

void ProcessMessages()
{
    MSG message{};
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

void DestroyPage()
{
    Wizard.Page.reset();
    Wizard.PageObject.reset();
    Wizard.PageName.clear();
    Wizard.Owner = Wizard.MainWindow.get();
}

int ShowPage(const char* name)
{
    auto object = std::make_unique<TWizardPage>(name);
    // Pages belong to the main window: were a page owned by the one before it, destroying that
    // one would take the new page with it.
    // The window goes before the object its procedure uses.
    unique_window pageOwner(::CreateDialogParamA(::GetModuleHandleA(nullptr), name, Wizard.MainWindow.get(),
                                                 TWizardPage::PageProc, reinterpret_cast<LPARAM>(object.get())));
    if (!pageOwner) throw std::runtime_error(std::string("Cannot create the page ") + name);
    const HWND page = pageOwner.get();
    ::ShowWindow(page, SW_SHOW);
    ProcessMessages();
    if (::IsWindowEnabled(page)) {
        ::SetForegroundWindow(page);
        ::BringWindowToTop(page);
    } else {
        RaiseOwnedWindows(page);  // its modal question is up already: that one belongs on top
    }
    ProcessMessages();
    DestroyPage();
    Wizard.Page = std::move(pageOwner);
    Wizard.PageObject = std::move(object);
    Wizard.PageName = name;
    Wizard.Owner = page;

    for (;;) {
        MSG message{};
        if (!::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::Sleep(1);
            if (Uninstall.PageResult != 0) break;
            continue;
        }
        if (message.message == WM_QUIT) {
            // The session is ending: a wizard page counts as cancelled; the progress page is
            // closed by its worker, which is never cut off.
            if (Wizard.PageName != UninstallPage) Uninstall.PageResult = CancelId;
            continue;
        }
        if (!::IsDialogMessageA(page, &message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
    }
    return Uninstall.PageResult;
}

bool RunWizard()
{
    std::string page = StartPage;
    for (;;) {
        const int result = ShowPage(page.c_str());
        if (result == CancelId) return false;
        if (page == StartPage) {
            if (result != NextId) continue;
            if (Wizard.Mode == ModeUninstall) page = BeforeUninstallPage;
            else if (Wizard.Mode == ModeRepair) page = BeforeRepairPage;
        } else if (page == BeforeUninstallPage) {
            if (result == NextId) return true;
            page = StartPage;
        } else if (page == BeforeRepairPage) {
            if (result == BackId) {
                page = StartPage;
                continue;
            }
            Wizard.SetupFile = RegReadString(Uninstall.UninstallKey, "InstallSourceFile", "");
            if (FileExists(Wizard.SetupFile)) return true;
            page = BrowseForSetupPage;
        } else if (page == BrowseForSetupPage) {
            if (result == NextId) return true;
            page = BeforeRepairPage;
        } else {
            return false;
        }
    }
}

}  // namespace lvu
