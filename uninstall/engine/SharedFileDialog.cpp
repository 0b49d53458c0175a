// The shared-file question as the program shows it: the dialog "DLG_DELSHARED" with its texts from the log.
#include "Engine.h"

#include "log/IniCache.h"
#include "log/LogFields.h"

namespace lvu {
namespace {

constexpr int FileNameId = 104;
constexpr int FolderId = 106;
constexpr int YesId = 107;
constexpr int YesToAllId = 108;
constexpr int NoId = 109;
constexpr int NoToAllId = 110;
constexpr int TextIds[] = {101, 103, 105, YesId, YesToAllId, NoId, NoToAllId};
constexpr char Section[] = "Dialog.DLG_DELSHARED";

std::string DialogText(const std::string& key)
{
    return ExpandLineBreaks(cached::ReadString(Uninstall.LogPath, Section, key, ""), false);
}

void SetTexts(HWND dialog, const std::string& path)
{
    const std::string caption = DialogText("Caption");
    if (!caption.empty()) ::SetWindowTextA(dialog, caption.c_str());
    for (const int id : TextIds) {
        const std::string text = DialogText(std::to_string(id));
        if (!text.empty()) ::SetDlgItemTextA(dialog, id, text.c_str());
    }
    const size_t slash = path.find_last_of('\\');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash);
    ::SetDlgItemTextA(dialog, FileNameId, name.c_str());
    ::SetDlgItemTextA(dialog, FolderId, folder.c_str());
}

INT_PTR CALLBACK SharedFileDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    try {
        switch (message) {
        case WM_INITDIALOG:
            SetTexts(dialog, *reinterpret_cast<const std::string*>(lParam));
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
            case YesId:
            case YesToAllId:
            case NoId:
            case NoToAllId:
                ::EndDialog(dialog, LOWORD(wParam));
                return TRUE;
            case IDCANCEL:
                ::EndDialog(dialog, NoId);
                return TRUE;
            default:
                return FALSE;
            }
        case WM_CLOSE:
            ::EndDialog(dialog, NoId);
            return TRUE;
        default:
            return FALSE;
        }
    } catch (...) {
        // Texts that cannot be read leave the template's; the question still gets its answer.
        return message == WM_INITDIALOG ? TRUE : FALSE;
    }
}

}  // namespace

SharedFileAnswer AskSharedFileDialog(const std::string& path)
{
    const INT_PTR result =
        ::DialogBoxParamA(::GetModuleHandleA(nullptr), "DLG_DELSHARED", Uninstall.ProgressPage, SharedFileDialogProc,
                          reinterpret_cast<LPARAM>(&path));
    switch (result) {
    case YesId: return SharedFileAnswer::Yes;
    case YesToAllId: return SharedFileAnswer::YesToAll;
    case NoToAllId: return SharedFileAnswer::NoToAll;
    default: return SharedFileAnswer::No;  // No, closed, or no dialog at all
    }
}

}  // namespace lvu
