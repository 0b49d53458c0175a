// The wizard pages' procedure: what each page does with its controls when it opens, is clicked, drawn and activated.
#include "Wizard.h"
#include "PageDrawing.h"

#include "engine/Engine.h"
#include "engine/EngineRules.h"
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
constexpr char SucceededPage[] = "DLG_UNINSTALLSUCCEEDED";
constexpr char ItemsLeftDialog[] = "DLG_ITEMSLEFT";

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
// On the last pages: how many lines were left, and the button that lists them.
constexpr int LeftSummaryId = 120;
constexpr int ShowLeftId = 121;
// In the list of what was left.
constexpr int LeftListId = 101;
constexpr int LeftCloseId = 102;

// The texts of the list of what was left, unless the log brings its own ("%s": the number).
constexpr char LeftSummaryText[] =
    "%s item(s) of the installation were left in place: refused for safety, or their removal failed.";
constexpr char ShowLeftText[] = "Details...";
constexpr char ItemsLeftCaption[] = "Items left";
constexpr char LeftCloseText[] = "Close";

std::string PageTextOr(const std::string& page, const std::string& key, const char* builtIn)
{
    const std::string text = PageText(page, key);
    return text.empty() ? builtIn : text;
}

// The list of what was left: one line for each item, with its reason; read-only, to be copied.
INT_PTR CALLBACK ItemsLeftProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: {
        ::SetWindowTextA(dialog, PageTextOr(ItemsLeftDialog, "Caption", ItemsLeftCaption).c_str());
        ::SetDlgItemTextA(dialog, LeftCloseId, PageTextOr(ItemsLeftDialog, std::to_string(LeftCloseId), LeftCloseText).c_str());
        std::string lines;
        for (const LeftItem& left : Uninstall.LeftItems) lines += left.Item + " -- " + left.Reason + "\r\n";
        ::SetDlgItemTextA(dialog, LeftListId, lines.c_str());
        ::SetFocus(::GetDlgItem(dialog, LeftCloseId));
        return FALSE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == LeftCloseId)
            ::EndDialog(dialog, 0);
        return TRUE;
    default:
        return FALSE;
    }
}
bool Checked(HWND page, int id)
{
    return ::IsDlgButtonChecked(page, id) == BST_CHECKED;
}

void EnableControl(HWND page, int id, bool enable)
{
    ::EnableWindow(::GetDlgItem(page, id), enable ? TRUE : FALSE);
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

// The folder browser's start: its caption, font and starting folder.
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

}  // namespace

// Puts the visible windows the page owns (the worker's question on the progress page, made by
// another thread) above it. Windows keeps owned windows above their owner by itself; Wine does
// not when the owner is raised or activated after them, and would hide the question.
void RaiseOwnedWindows(HWND page)
{
    ::EnumWindows(RaiseIfOwnedBy, reinterpret_cast<LPARAM>(page));
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
    if (name_ == RebootPage || name_ == SucceededPage) ItemsLeftCreate(page);
}

// The last pages say how many lines were left; the list shows each with its reason.
void TWizardPage::ItemsLeftCreate(HWND page)
{
    const size_t count = Uninstall.LeftItems.size();
    if (count == 0) {
        for (const int id : {LeftSummaryId, ShowLeftId}) ::ShowWindow(::GetDlgItem(page, id), SW_HIDE);
        return;
    }
    const std::string summary =
        FormatStatusText(PageTextOr(name_, std::to_string(LeftSummaryId), LeftSummaryText), std::to_string(count));
    ::SetDlgItemTextA(page, LeftSummaryId, summary.c_str());
    ::SetDlgItemTextA(page, ShowLeftId, PageTextOr(name_, std::to_string(ShowLeftId), ShowLeftText).c_str());
}

void TWizardPage::StartPageCreate(HWND page)
{
    SetWindowFont(::GetDlgItem(page, TextId), ParseFontSpec(Wizard.TitleFont));
    ::CheckDlgButton(page, UninstallRadioId, Wizard.Mode == ModeUninstall ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(page, RepairRadioId, Wizard.Mode == ModeRepair ? BST_CHECKED : BST_UNCHECKED);
    EnableControl(page, BackId, false);
    const bool noRepair = RegReadInteger(Uninstall.UninstallKey, "NoRepair", 0) == 1;
    if (!FileExists(Uninstall.SilentSettings) || noRepair) {
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
    if (id == ShowLeftId) {
        if (notification == BN_CLICKED)
            ::DialogBoxParamA(::GetModuleHandleA(nullptr), ItemsLeftDialog, page, ItemsLeftProc, 0);
        return false;
    }
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

}  // namespace lvu
