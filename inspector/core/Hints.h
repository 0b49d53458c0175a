// Tooltips ("hints") for the controls of one window.
#pragma once

#include <windows.h>

#include <string>

namespace lvx {

// One tooltip control per window; each control gets its hint by handle.
class Hints {
public:
    Hints() = default;
    ~Hints();
    Hints(const Hints&) = delete;
    Hints& operator=(const Hints&) = delete;

    bool Create(HWND owner);
    // Adds the control's hint, or replaces its text when it has one.
    void SetHint(HWND control, const std::string& text);
    [[nodiscard]] std::string Hint(HWND control) const;
    [[nodiscard]] HWND Handle() const noexcept { return tooltip_; }

private:
    HWND owner_ = nullptr;
    HWND tooltip_ = nullptr;
};

}  // namespace lvx
