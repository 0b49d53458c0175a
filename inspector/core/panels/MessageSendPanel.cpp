// Sending a message to the inspected window, with a time-out, and listing the known names.
#include "MessageSendPanel.h"

#include "core/MainForm.h"
#include "core/UNI_Strings.h"
#include "core/UNI_WindowInfo.h"
#include "core/Window.h"

#include <cstdint>
#include <optional>
#include <string>

namespace lvx {

namespace {

// wParam and lParam are as wide as a pointer (handles and pointers travel in them on 64-bit
// Windows); a 32-bit build reads them in 32 bits.
std::optional<uintptr_t> ParseMessageParameter(const std::string& text)
{
    if constexpr (sizeof(uintptr_t) > sizeof(uint32_t)) {
        const std::optional<uint64_t> value = ParseWideNumberNotation(text);
        if (!value) return std::nullopt;
        return static_cast<uintptr_t>(*value);
    } else {
        const std::optional<uint32_t> value = ParseNumberNotation(text);
        if (!value) return std::nullopt;
        return static_cast<uintptr_t>(*value);
    }
}

}  // namespace

void MessageSendPanel::SendMessageClick()
{
    if (CurrentWindow.Handle == nullptr) return;
    const std::optional<uint32_t> message = LookUpMessage(GetControlText(controls_.MessageCombo), MessageNames);
    const auto wParam = ParseMessageParameter(GetControlText(controls_.WParamEdit));
    const auto lParam = ParseMessageParameter(GetControlText(controls_.LParamEdit));
    if (!message || !wParam || !lParam) {
        host_.ShowError(Msg::InvalidMessage);
    } else {
        LRESULT result = 0;
        SendMessageWithTimeout(CurrentWindow.Handle, *message, static_cast<WPARAM>(*wParam),
                               static_cast<LPARAM>(*lParam), result);
        SetControlText(controls_.ResultEdit, std::to_string(static_cast<uintptr_t>(result)));
    }
    host_.RefreshExecute();
}

void MessageSendPanel::MessageComboDropDown()
{
    // CB_RESETCONTENT empties the edit part too: keep what the user typed.
    const HWND combo = controls_.MessageCombo;
    const std::string typed = GetControlText(combo);
    ::SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    ::SetWindowTextA(combo, typed.c_str());
    const std::string filter = UpperCaseAscii(typed);
    for (const MessageName& entry : MessageNames)
        if (entry.Name.find(filter) != std::string::npos)
            ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.Name.c_str()));
}

}  // namespace lvx
