// The window details window: the inspected window's styles by name, class, properties, process
// and DPI on tab pages, copied as text or captured as a picture.
#pragma once

#include "DetailsText.h"
#include "StyleNames.h"
#include "WindowDetails.h"
#include "core/Handles.h"
#include "core/UNI_WindowInfo.h"
#include "core/Window.h"
#include "language/MultiLang.h"
#include "tools/ToolWindows.h"

#include <commctrl.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace lvx {

class TDetailsForm : public Window {
public:
    enum Page { StylesPage, ClassPage, PropertiesPage, ProcessPage, DpiPage, PageCount };

    // `current` is the inspected window; `refresh` is the main window's Refresh action, run after a
    // style was written (it gathers the window again and so refreshes this window too).
    TDetailsForm(const WindowInfo& current, std::function<void()> refresh);
    ~TDetailsForm() override;

    // Creates the window on first use (owned by `owner`), shows it and fills it.
    void ShowDetails(HWND owner);
    // Reads the inspected window again and fills the pages; nothing while the window is hidden.
    void RefreshDetails();
    // Reads the inspected window again without showing it anywhere (the copy's sections follow).
    void ReadDetails();
    void SelectPage(int page);
    [[nodiscard]] int SelectedPage() const;

    void CopyClick();
    void CaptureClick();
    // The style rows of the Styles page with their ticks, as the list shows them.
    [[nodiscard]] const std::vector<StyleRow>& StyleRows() const noexcept { return styles_.Rows; }
    [[nodiscard]] const WindowDetails& Details() const noexcept { return details_; }
    // Every section the copy holds: the main window's fields, then one per page.
    [[nodiscard]] std::vector<DetailSection> Sections() const;
    // The text of a key of the window's language section (built-in Russian, or the file's).
    [[nodiscard]] std::string Text(const char* key) const;

    [[nodiscard]] std::vector<TranslationTarget> TranslationTargets();
    // Every text the window shows somewhere: caption, tabs, columns, buttons, every page's rows, and
    // the titles and labels of the copy.
    [[nodiscard]] std::vector<std::string> ShownTexts();

    // Overridable for tests: asked after a capture whether to copy it (true) or save it (false),
    // and for the file to save to.
    std::function<int()> AskCaptureTarget;  // IDYES copy, IDNO save, anything else cancels
    std::function<bool(std::string& path)> AskPictureFile;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    bool FormCreate(HWND owner);
    void CreateControls();
    void ApplyFont();
    void ApplyTexts();
    void FitValueColumn(HWND list);
    void FitNameColumn(HWND list, int widest);
    void Layout();
    void FillStylesList();
    void FillValuesList(const DetailSection& section);
    void ShowPage();
    void StylesListChange(const NMLISTVIEW& change);
    void StyleTicked(int row, bool ticked);
    [[nodiscard]] DetailSection WindowSection() const;
    [[nodiscard]] DetailSection StylesSection() const;
    [[nodiscard]] DetailSection ClassSection() const;
    [[nodiscard]] DetailSection PropertiesSection() const;
    [[nodiscard]] DetailSection ProcessSection() const;
    [[nodiscard]] DetailSection DpiSection() const;
    [[nodiscard]] std::string Unreadable() const { return Text("Unreadable"); }
    [[nodiscard]] int Scaled(int value) const { return ScaleForDpi(value, dpi_); }

    const WindowInfo& current_;
    std::function<void()> refresh_;
    std::map<std::string, std::string, std::less<>> texts_;
    WindowDetails details_;
    DecodedStyles styles_;
    UINT dpi_ = 96;
    bool filling_ = false;
    HWND stylesShownFor_ = nullptr;  // the window whose styles the list last showed
    ToolPlace place_;
    unique_gdi font_;

public:
    // The controls, public for the tests that press them and read them back.
    HWND pagesTab_ = nullptr;
    HWND stylesList_ = nullptr;  // the Styles page: a tick per name
    HWND valuesList_ = nullptr;  // the other pages: label and value
    HWND copyButton_ = nullptr, captureButton_ = nullptr;
};

// The copy of the details window for `window`, made without showing any window: what the command
// line writes as text.
[[nodiscard]] std::string DetailsCopyText(HWND window);

}  // namespace lvx
