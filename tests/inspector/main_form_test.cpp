// The main window in this process: what the display shows, navigation, panels and the drag.
#include "MainFormFixture.h"

#include "core/MainForm.h"
#include "core/MainFormIds.h"
#include "core/UNI_Strings.h"
#include "core/UNI_WinVer.h"
#include "language/LangForm.h"
#include "resources/resource.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <vector>

using namespace lvx;
using lvxtest::CenterOf;
using lvxtest::TargetProcess;

namespace {

std::string TextOf(HWND control)
{
    char buffer[1024] = {};
    ::GetWindowTextA(control, buffer, static_cast<int>(std::size(buffer)));
    return buffer;
}

bool Visible(const SpeedButton& button)
{
    return button.IsVisible();
}

class MainFormTest : public lvxtest::MainFormFixture<MainFormTest> {
protected:
    static void SetUpTestSuite() { Start({"basic", "owned"}); }
    static void Click(SpeedButton& button) { ::SendMessageA(button.Handle(), BM_CLICK, 0, 0); }
    // The chooser the options dialog leads to; it outlives the main window.
    static inline std::unique_ptr<TLangForm> Chooser;
};

// A DWORD value of the settings key, or -1 when there is none.
long long StoredSetting(const char* name)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, SettingsKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return -1;
    DWORD type = 0, value = 0, size = sizeof value;
    const bool read = ::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS;
    ::RegCloseKey(key);
    return read && type == REG_DWORD ? static_cast<long long>(value) : -1;
}

TEST_F(MainFormTest, ShowsAChildControl)
{
    const HWND edit = Target->Window("basic.edit");
    Inspect(edit);
    RECT rect{};
    ::GetWindowRect(edit, &rect);
    EXPECT_EQ(TextOf(Form->Edit1), "Hello edit");
    EXPECT_EQ(TextOf(Form->Edit2), "Edit");
    EXPECT_EQ(TextOf(Form->Edit3), FormatPoint(rect.left, rect.top));
    EXPECT_EQ(TextOf(Form->Edit4), "150x24");
    EXPECT_EQ(TextOf(Form->Edit5), "(10,40)");
    EXPECT_EQ(TextOf(Form->Edit12), "Нет");
    EXPECT_EQ(TextOf(Form->Edit6), FormatHandle(HandleValue(edit)));
    EXPECT_EQ(TextOf(Form->Edit7), FormatHandle(HandleValue(Target->Window("basic"))));
    EXPECT_EQ(TextOf(Form->Edit11), "--------");  // no owner
    EXPECT_EQ(TextOf(Form->Edit13), FormatHandle(Target->ProcessId()));
    EXPECT_EQ(TextOf(Form->Edit14), FormatHandle(static_cast<uint32_t>(Target->Number("tid"))));
    EXPECT_TRUE(Visible(Form->SpeedButton3));   // parent
    EXPECT_FALSE(Visible(Form->SpeedButton4));  // an edit has no child
    EXPECT_FALSE(Visible(Form->SpeedButton9));  // its quick-info button follows
    EXPECT_FALSE(Visible(Form->SpeedButton7));  // owner
    EXPECT_FALSE(Visible(Form->SpeedButton10));
    EXPECT_TRUE(Visible(Form->SpeedButton5));
    EXPECT_TRUE(Visible(Form->SpeedButton11));
    EXPECT_FALSE(::IsWindowEnabled(Form->SpeedButton35.Handle()));
    EXPECT_TRUE(Form->SpeedButton21.Down());  // visible
    EXPECT_TRUE(Form->SpeedButton24.Down());  // enabled
    EXPECT_TRUE(Form->SpeedButton18.Down());  // normal size
}

TEST_F(MainFormTest, ShowsATopLevelWindowsMenuAndNoRelativePlace)
{
    Inspect(Target->Window("basic"));
    EXPECT_EQ(TextOf(Form->Edit12), "Есть");
    EXPECT_EQ(TextOf(Form->Edit5), "");
    EXPECT_EQ(TextOf(Form->Edit7), "--------");
    EXPECT_FALSE(Visible(Form->SpeedButton3));
}

TEST_F(MainFormTest, AMissingWindowEmptiesEveryField)
{
    Click(Form->SpeedButton14);  // process panel shown
    Inspect(Target->Window("basic.edit"));
    EXPECT_TRUE(Visible(Form->SpeedButton26));
    EXPECT_EQ(Visible(Form->SpeedButton28), CanOpenThreads);

    Inspect(nullptr);
    EXPECT_EQ(TextOf(Form->Edit1), "<Окно не существует>");
    EXPECT_TRUE(::GetWindowLongA(Form->Edit1, GWL_STYLE) & ES_READONLY);
    for (HWND field : {Form->Edit2, Form->Edit3, Form->Edit4, Form->Edit5, Form->Edit6, Form->Edit7, Form->Edit12,
                       Form->Edit13, Form->Edit14, Form->Edit15})
        EXPECT_EQ(TextOf(field), "");
    EXPECT_FALSE(Visible(Form->SpeedButton26));
    EXPECT_FALSE(Visible(Form->SpeedButton27));
    EXPECT_FALSE(Visible(Form->SpeedButton30));
    for (SpeedButton* navigate : {&Form->SpeedButton3, &Form->SpeedButton4, &Form->SpeedButton5, &Form->SpeedButton6,
                                  &Form->SpeedButton7})
        EXPECT_FALSE(Visible(*navigate));
    Click(Form->SpeedButton14);

    Inspect(Target->Window("basic"));
    EXPECT_FALSE(::GetWindowLongA(Form->Edit1, GWL_STYLE) & ES_READONLY);
}

TEST_F(MainFormTest, NavigationWalksEveryRelation)
{
    Inspect(Target->Window("basic.edit"));
    Click(Form->SpeedButton3);
    EXPECT_EQ(CurrentWindow.Handle, Target->Window("basic"));
    EXPECT_NE(CurrentWindow.ClassAtom, 0u);  // a full gather
    Click(Form->SpeedButton4);
    EXPECT_EQ(CurrentWindow.Handle, Target->Window("basic.button"));
    Click(Form->SpeedButton5);
    EXPECT_EQ(CurrentWindow.Handle, Target->Window("basic.edit"));
    Click(Form->SpeedButton6);
    EXPECT_EQ(CurrentWindow.Handle, Target->Window("basic.button"));

    Inspect(Target->Window("owned"));
    Click(Form->SpeedButton7);
    EXPECT_EQ(CurrentWindow.Handle, Target->Window("owned.owner"));
    // A relation that no longer exists does nothing.
    CurrentWindow.Parent = nullptr;
    Click(Form->SpeedButton3);
    EXPECT_EQ(CurrentWindow.Handle, Target->Window("owned.owner"));
}

TEST_F(MainFormTest, TheChangeTextButtonFollowsTheEditedText)
{
    Inspect(Target->Window("basic.edit"));
    ::SetWindowTextA(Form->Edit1, "Changed");
    EXPECT_TRUE(::IsWindowEnabled(Form->SpeedButton35.Handle()));
    ::SetWindowTextA(Form->Edit1, "Hello edit");
    EXPECT_FALSE(::IsWindowEnabled(Form->SpeedButton35.Handle()));
}

TEST_F(MainFormTest, PanelSwitchesShowTheirPanelsAndResizeTheWindow)
{
    // A top-level window without owner: no parent or owner buttons, whatever the layout does.
    Inspect(Target->Window("basic"));
    const auto relationsFollowTheWindow = [](const char* when) {
        EXPECT_FALSE(Visible(Form->SpeedButton3)) << when;
        EXPECT_FALSE(Visible(Form->SpeedButton8)) << when;
        EXPECT_FALSE(Visible(Form->SpeedButton7)) << when;
        EXPECT_FALSE(Visible(Form->SpeedButton10)) << when;
        EXPECT_TRUE(Visible(Form->SpeedButton4)) << when;
        EXPECT_TRUE(Visible(Form->SpeedButton9)) << when;
    };
    relationsFollowTheWindow("after the refresh");
    RECT before{};
    ::GetWindowRect(Form->Handle(), &before);
    Click(Form->SpeedButton16);
    RECT withPanel{};
    ::GetWindowRect(Form->Handle(), &withPanel);
    EXPECT_GT(withPanel.bottom - withPanel.top, before.bottom - before.top);
    EXPECT_EQ(withPanel.right - withPanel.left, before.right - before.left);
    EXPECT_TRUE(Visible(Form->SpeedButton20));
    relationsFollowTheWindow("after showing a panel");
    Click(Form->SpeedButton16);
    EXPECT_FALSE(Visible(Form->SpeedButton20));
    RECT after{};
    ::GetWindowRect(Form->Handle(), &after);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
    relationsFollowTheWindow("after hiding it");
    ::SendMessageA(Form->Handle(), WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&after));
    relationsFollowTheWindow("after a DPI change");
}

TEST_F(MainFormTest, DraggingReadsLightlyWhileMovingAndFullyOnRelease)
{
    Inspect(Target->Window("basic"));
    const POINT button = CenterOf(Target->Window("basic.button"));
    {
        TMyDrag drag(*Form);
        EXPECT_EQ(Form->PictureIndex(), 1);
        EXPECT_EQ(drag.GetDragCursor(button), Form->PickingCursor());
        EXPECT_EQ(CurrentWindow.Handle, Target->Window("basic.button"));
        EXPECT_EQ(CurrentWindow.ClassAtom, 0u);  // light
        EXPECT_FALSE(Visible(Form->SpeedButton26));
        // Within the same window nothing is read again.
        CurrentWindow.Text = "marker";
        drag.GetDragCursor(POINT{button.x + 1, button.y + 1});
        EXPECT_EQ(CurrentWindow.Text, "marker");
        drag.EndDrag(CenterOf(Target->Window("basic.edit")));
        EXPECT_EQ(drag.LastOutlined(), nullptr);
    }
    EXPECT_EQ(CurrentWindow.Handle, Target->Window("basic.edit"));
    EXPECT_NE(CurrentWindow.ClassAtom, 0u);
    EXPECT_EQ(Form->PictureIndex(), 0);
    EXPECT_EQ(TextOf(Form->Edit1), "Hello edit");
}

TEST_F(MainFormTest, ACancelledDragShowsThePreviousWindowAgain)
{
    Inspect(Target->Window("basic"));
    TMyDrag drag(*Form);
    drag.GetDragCursor(CenterOf(Target->Window("basic.button")));
    EXPECT_EQ(TextOf(Form->Edit1), "Press me");
    drag.CancelDrag();
    EXPECT_EQ(CurrentWindow.Handle, Target->Window("basic"));
    EXPECT_EQ(TextOf(Form->Edit1), "Lumivex Target");
    EXPECT_EQ(Form->PictureIndex(), 0);
}

}  // namespace

namespace {

TEST_F(MainFormTest, TheOptionsDialogStoresWhatWasClickedWhenItCloses)
{
    Chooser = std::make_unique<TLangForm>(SettingsKey);
    Form->SetLanguageChooser(*Chooser);
    PowerScanning = MagneticField = true;
    ShowClassIcons = 2;
    const auto round = [](std::initializer_list<int> clicks, bool closeBox) {
        lvxtest::DialogDriver driver({{"Настройки программы", [&](HWND dialog) {
            for (const int id : clicks) ::SendMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
            if (closeBox) ::PostMessageA(dialog, WM_CLOSE, 0, 0);
            else ::PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        }}});
        Click(Form->SpeedButton39);
        return driver.Done();
    };
    const auto stored = [] {
        return std::vector<long long>{StoredSetting("PowerScanning"), StoredSetting("MagneticField"),
                                      StoredSetting("ShowClassIcons")};
    };
    ASSERT_TRUE(round({IDC_OPTIONS_CHECKBOX1, IDC_OPTIONS_CHECKBOX2, IDC_OPTIONS_RADIO0}, true));
    EXPECT_EQ(stored(), (std::vector<long long>{0, 0, 0})) << "the close box saves as OK does";
    EXPECT_FALSE(PowerScanning);
    EXPECT_FALSE(MagneticField);
    ASSERT_TRUE(round({IDC_OPTIONS_CHECKBOX1, IDC_OPTIONS_RADIO1}, false));
    EXPECT_EQ(stored(), (std::vector<long long>{1, 0, 1}));
    ASSERT_TRUE(round({IDC_OPTIONS_CHECKBOX2, IDC_OPTIONS_RADIO2}, false));
    EXPECT_EQ(stored(), (std::vector<long long>{1, 1, 2}));
    EXPECT_EQ(ShowClassIcons, 2);
}

TEST_F(MainFormTest, TheWindowSnapsToTheEdgesOfTheWorkAreaOnlyWhenAsked)
{
    RECT work{};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const auto moving = [](RECT rect) {
        ::SendMessageA(Form->Handle(), WM_MOVING, WMSZ_TOPLEFT, reinterpret_cast<LPARAM>(&rect));
        return rect;
    };
    RECT nearEdge{work.left + 5, work.top + 200, work.left + 305, work.top + 400};
    RECT snapped = moving(nearEdge);
    EXPECT_EQ(snapped.left, work.left);
    EXPECT_EQ(snapped.right - snapped.left, 300);  // moved, not resized
    EXPECT_EQ(snapped.top, work.top + 200);        // far from the top: untouched

    RECT away{work.left + 100, work.top + 200, work.left + 400, work.top + 400};
    EXPECT_TRUE(::EqualRect(&away, &(snapped = moving(away))));

    lvx::MagneticField = false;
    snapped = moving(nearEdge);
    EXPECT_EQ(snapped.left, work.left + 5);
    lvx::MagneticField = true;
}

TEST_F(MainFormTest, MinimisingToTheTrayHidesTheWindowUntilTheIconIsDoubleClicked)
{
    Form->ShowForm();
    Click(Form->SpeedButton23);
    ASSERT_TRUE(Form->SpeedButton23.Down());
    ::SendMessageA(Form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_FALSE(::IsWindowVisible(Form->Handle()));
    ::SendMessageA(Form->Handle(), WM_APP + 1, 1, WM_LBUTTONDBLCLK);  // the tray icon's notification
    EXPECT_TRUE(::IsWindowVisible(Form->Handle()));
    EXPECT_FALSE(::IsIconic(Form->Handle()));
    Click(Form->SpeedButton23);

    // The system menu got its "about" item on the first showing, once.
    const HMENU system = ::GetSystemMenu(Form->Handle(), FALSE);
    const int count = ::GetMenuItemCount(system);
    ASSERT_GT(count, 0);
    EXPECT_EQ(::GetMenuItemID(system, count - 1), 1025u);
    char text[64] = {};
    ::GetMenuStringA(system, count - 1, text, static_cast<int>(std::size(text)), MF_BYPOSITION);
    EXPECT_STREQ(text, "О программе...");
    Form->ShowForm();
    EXPECT_EQ(::GetMenuItemCount(system), count);
}

}  // namespace
