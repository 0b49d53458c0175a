// The search dialog shared by the simple search and the window tree's search.
#pragma once

#include "core/Dialog.h"
#include "language/MultiLang.h"
#include "WindowSearch.h"

#include <functional>
#include <string>
#include <vector>

namespace lvx {

// The masks and the scope stay in the object between openings.
class TQuickSearchForm : public Dialog {
public:
    enum class Mode { SimpleSearch = 0, Tree = 1 };
    // The tree's search: answers the found node's index, or -1.
    using FindNext = std::function<int(const std::string& textMask, const std::string& classMask)>;

    TQuickSearchForm();

    // Shows the dialog for the simple search; true when it was confirmed.
    bool ShowForSimpleSearch(HWND owner);
    // Shows it for the tree: OK runs `findNext` (beeping when nothing is found) and closes.
    bool ShowForTree(HWND owner, FindNext findNext);

    [[nodiscard]] const std::string& TextMask() const noexcept { return textMask_; }
    [[nodiscard]] const std::string& ClassMask() const noexcept { return classMask_; }
    [[nodiscard]] SearchScope Scope() const noexcept { return scope_; }
    void SetMasks(std::string textMask, std::string classMask, SearchScope scope);

    [[nodiscard]] std::vector<TranslationTarget> TranslationTargets();

protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void FormCreate();
    void FormShow();
    void CloseScopeGap();
    void StoreFields();
    void OkClick();
    void CancelClick();

    Mode mode_ = Mode::SimpleSearch;
    FindNext findNext_;
    std::string textMask_ = "*";
    std::string classMask_ = "*";
    SearchScope scope_ = SearchScope::TopLevel;
    std::string okCaption_;
};

}  // namespace lvx
