// The quick information window, opened from the main window's information buttons for the
// related windows of a window in another process.
#include "MainFormFixture.h"

#include "core/MainForm.h"
#include "core/UNI_WinVer.h"
#include "discovery/QuickInfo.h"
#include "language/LanguageKeys.h"
#include "language/MessageTable.h"
#include "resources/resource.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

using namespace lvx;
using lvxtest::DialogDriver;
using lvxtest::TargetProcess;

namespace {

const char InfoCaption[] = "\xCA\xF0\xE0\xF2\xEA\xE0\xFF \xE8\xED\xF4\xEE\xF0\xEC\xE0\xF6\xE8\xFF \xEE\xE1 \xEE\xEA\xED\xE5";  // Краткая информация об окне

struct Shown {
    std::string Fields[4];
    bool Pictures[3] = {};
    std::string SelectedOnFocus;
};

class QuickInfoTest : public lvxtest::MainFormFixture<QuickInfoTest> {
protected:
    static void SetUpTestSuite() { Start({"basic", "nested"}); }
    // Clicks an information button and reads what the window shows; Esc closes it.
    static Shown Open(SpeedButton& button)
    {
        Shown shown;
        DialogDriver driver({{InfoCaption, [&](HWND dialog) {
            const int edits[] = {IDC_QUICKINFO_TEXT, IDC_QUICKINFO_CLASS, IDC_QUICKINFO_POSITION, IDC_QUICKINFO_SIZE};
            for (int i = 0; i < 4; ++i) {
                char text[512] = {};
                ::GetDlgItemTextA(dialog, edits[i], text, static_cast<int>(std::size(text)));
                shown.Fields[i] = text;
            }
            const int pictures[] = {IDC_QUICKINFO_VISIBLE, IDC_QUICKINFO_ENABLED, IDC_QUICKINFO_TOPMOST};
            for (int i = 0; i < 3; ++i) shown.Pictures[i] = ::IsWindowVisible(::GetDlgItem(dialog, pictures[i])) != FALSE;
            // Tabbing into a field does not select its text.
            ::SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(::GetDlgItem(dialog, IDC_QUICKINFO_CLASS)), TRUE);
            DWORD start = 0, end = 0;
            ::SendMessageA(::GetDlgItem(dialog, IDC_QUICKINFO_CLASS), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                           reinterpret_cast<LPARAM>(&end));
            shown.SelectedOnFocus = shown.Fields[1].substr(start, end - start);
            // Esc closes it from any field: the key goes through the dialog's own message loop.
            ::PostMessageA(::GetDlgItem(dialog, IDC_QUICKINFO_CLASS), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        }}});
        ::SendMessageA(button.Handle(), BM_CLICK, 0, 0);
        EXPECT_TRUE(driver.Done());
        return shown;
    }

};

}  // namespace

TEST_F(QuickInfoTest, ShowsTheParentOfTheInspectedWindow)
{
    const HWND top = Target->Window("nested");
    ASSERT_TRUE(::SetWindowPos(top, nullptr, -8, -8, 640, 480, SWP_NOZORDER | SWP_NOACTIVATE));
    ASSERT_TRUE(lvxtest::WaitFor([&] {
        RECT rect{};
        ::GetWindowRect(top, &rect);
        return rect.left == -8 && rect.right - rect.left == 640;
    }));
    Inspect(Target->Window("nested.outer"));
    const Shown shown = Open(Form->parentInfoButton_);  // Tag 0: the parent
    EXPECT_EQ(shown.Fields[0], "Nested");
    EXPECT_EQ(shown.Fields[1], "LvxTargetNested");
    EXPECT_EQ(shown.Fields[2], "(-8,-8)");
    EXPECT_EQ(shown.Fields[3], "640x480");
    EXPECT_TRUE(shown.Pictures[0]);   // visible
    EXPECT_TRUE(shown.Pictures[1]);   // enabled
    EXPECT_FALSE(shown.Pictures[2]);  // not topmost
    EXPECT_EQ(shown.SelectedOnFocus, "");
    // The main window still inspects the child.
    EXPECT_EQ(CurrentWindow.Handle, Target->Window("nested.outer"));
}

TEST_F(QuickInfoTest, HiddenDisabledWindowShowsNoPicture)
{
    const HWND label = Target->Window("basic.panel.label");
    ::ShowWindow(label, SW_HIDE);
    ::EnableWindow(label, FALSE);
    ASSERT_TRUE(lvxtest::WaitFor([&] { return !::IsWindowVisible(label) && !::IsWindowEnabled(label); }));
    Inspect(Target->Window("basic.panel"));
    const Shown shown = Open(Form->childInfoButton_);  // Tag 1: the first child
    ::ShowWindow(label, SW_SHOWNA);
    ::EnableWindow(label, TRUE);
    EXPECT_EQ(shown.Fields[0], "Inner label");
    EXPECT_FALSE(shown.Pictures[0] || shown.Pictures[1] || shown.Pictures[2]);
}

TEST_F(QuickInfoTest, AMissingRelatedWindowSaysItDoesNotExist)
{
    Inspect(Target->Window("basic"));
    ASSERT_EQ(CurrentWindow.Parent, nullptr);
    const Shown shown = Open(Form->parentInfoButton_);  // a top-level window has no parent
    EXPECT_EQ(shown.Fields[0], MessageText(Msg::NoWindowFoundTxt));
    EXPECT_EQ(shown.Fields[1], "");
    EXPECT_EQ(shown.Fields[2], "");
    EXPECT_EQ(shown.Fields[3], "");
    EXPECT_FALSE(shown.Pictures[0] || shown.Pictures[1] || shown.Pictures[2]);
}

TEST(QuickInfoForm, TagsAndTranslationKeys)
{
    WindowInfo info;
    info.Parent = reinterpret_cast<HWND>(1);
    info.Child = reinterpret_cast<HWND>(2);
    info.Owner = reinterpret_cast<HWND>(3);
    info.Next = reinterpret_cast<HWND>(4);
    info.Previous = reinterpret_cast<HWND>(5);
    for (int tag = 0; tag < 5; ++tag) EXPECT_EQ(RelatedWindowByTag(info, tag), reinterpret_cast<HWND>(tag + 1));
    EXPECT_EQ(RelatedWindowByTag(info, 5), nullptr);
    EXPECT_EQ(RelatedWindowByTag(info, -1), nullptr);

    TQuickInfoForm form;
    std::set<std::string> looked;
    for (const TranslationTarget& target : form.TranslationTargets()) looked.insert(target.Key);
    const auto keys = LanguageKeysOf("QuickInfoForm");
    EXPECT_EQ(looked, std::set<std::string>(keys.begin(), keys.end()));
}
