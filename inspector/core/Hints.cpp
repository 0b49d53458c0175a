// Tooltips ("hints") for the controls of one window.
#include "Hints.h"

#include <commctrl.h>

#include <vector>

namespace lvx {
namespace {

TOOLINFOA ToolFor(HWND owner, HWND control)
{
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = owner;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    return tool;
}

}  // namespace

Hints::~Hints()
{
    if (tooltip_ != nullptr && ::IsWindow(tooltip_)) ::DestroyWindow(tooltip_);
}

bool Hints::Create(HWND owner)
{
    owner_ = owner;
    // Not owned by the window: Wine places an owner below its owned popups when it is made
    // topmost and then loses the topmost state. The tooltip is topmost itself, and the
    // destructor destroys it.
    tooltip_ = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                 ::GetModuleHandleA(nullptr), nullptr);
    if (tooltip_ == nullptr) return false;
    ::SendMessageA(tooltip_, TTM_SETMAXTIPWIDTH, 0, 400);
    return true;
}

void Hints::SetHint(HWND control, const std::string& text)
{
    if (tooltip_ == nullptr || control == nullptr) return;
    TOOLINFOA tool = ToolFor(owner_, control);
    tool.lpszText = const_cast<char*>(text.c_str());  // the tooltip keeps its own copy
    TOOLINFOA existing = ToolFor(owner_, control);
    if (::SendMessageA(tooltip_, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&existing)))
        ::SendMessageA(tooltip_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
    else
        ::SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

std::string Hints::Hint(HWND control) const
{
    if (tooltip_ == nullptr) return {};
    std::vector<char> buffer(1024, '\0');
    TOOLINFOA tool = ToolFor(owner_, control);
    tool.lpszText = buffer.data();
    ::SendMessageA(tooltip_, TTM_GETTEXTA, buffer.size(), reinterpret_cast<LPARAM>(&tool));
    return std::string(buffer.data());
}

}  // namespace lvx
