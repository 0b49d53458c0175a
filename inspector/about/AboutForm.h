// The about box: logo, name and short version from the program's own version resource, links.
#pragma once

#include "core/Dialog.h"
#include "core/Handles.h"
#include "language/MultiLang.h"

#include <functional>
#include <string>
#include <vector>

namespace lvx {

class TAboutForm : public Dialog {
public:
    TAboutForm();
    ~TAboutForm() override;

    void ShowAbout(HWND owner);

    // Opens a link's address; the shell by default.
    std::function<void(const std::string& address)> OpenLink;

    [[nodiscard]] std::vector<TranslationTarget> TranslationTargets();
    // "Narvolt Lumivex " followed by the short version of `file`'s version resource.
    [[nodiscard]] static std::string TitleFor(const std::string& file);
    [[nodiscard]] bool LogoDecoded() const noexcept { return static_cast<bool>(logo_); }
    [[nodiscard]] int HotLink() const noexcept { return hotLink_; }

protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void FormCreate();
    void Layout();
    void DrawItem(const DRAWITEMSTRUCT& item) const;
    void LinkClick(int id);
    void SetHotLink(int id);
    static LRESULT CALLBACK LinkProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR self);

    std::string title_;
    unique_gdi logo_;
    unique_gdi titleFont_, textFont_, linkFont_, hotLinkFont_;
    int hotLink_ = 0;
};

}  // namespace lvx
