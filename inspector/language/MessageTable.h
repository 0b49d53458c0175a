// The program's message texts: placeholders, captions, prompts and errors, replaceable by a language file.
#pragma once

#include <array>
#include <cstddef>
#include <string>

namespace lvx {

// In the order of the "AllVars" section of a language file.
enum class Msg : size_t {
    NotSuppIn95,
    LVX_ABOUT,
    WindowNotReply,
    WndClassNotFound,
    CantReadWndText,
    NoWindowFoundTxt,
    NoWindowsFound,
    ChangeWndText,
    EnterNewWndText,
    EnterNewValue,
    Value,
    MustBeInteger,
    CantModifyParameter,
    CantSaveFile,
    CantGetProcessInfo,
    CantApplyOperationToMenu,
    NoWindowFound,
    NoMenuIDFound,
    Has,
    Hasnt,
    InvalidMessage,
    CTP,
    CPP,
    CRT,
    CST,
    CCWT,
    ERROR_,
    MESSAGE,
    WARNING,
    OnlyME2000XP,
    OpenThreadFailed,
    EmptyMenuItem,
    Please_Wait,
    JustPleaseWait,
    OK,
    FindNext,
    Count
};

struct MessageDef {
    const char* Key;          // key in section "AllVars"
    const char* DefaultText;  // built-in Russian text
};

inline constexpr size_t MessageCount = static_cast<size_t>(Msg::Count);

// Keys and built-in texts, in load order.
extern const std::array<MessageDef, MessageCount> MessageDefs;

// The current text of a message (built-in until a language file replaces it).
[[nodiscard]] const std::string& MessageText(Msg id);

// Replaces one text; used when a language file is loaded.
void SetMessageText(Msg id, std::string text);

// Puts every text back to its built-in default.
void ResetMessageTable();

}  // namespace lvx
