// A small modal box that asks for one line of text.
#pragma once

#include <windows.h>

#include <string>

namespace lvx {

// Shows `caption` and `prompt` with `value` in the field, selected; true with the edited text
// in `value` when the user confirms, false (value unchanged) when the box is cancelled.
bool InputQuery(HWND owner, const std::string& caption, const std::string& prompt, std::string& value);

}  // namespace lvx
