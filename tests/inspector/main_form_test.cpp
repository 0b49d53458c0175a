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
#include <utility>
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
    const bool read =
        ::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS;
    ::RegCloseKey(key);
    return read && type == REG_DWORD ? static_cast<long long>(value) : -1;
}

TEST_F(MainFormTest, ShowsAChildControl)
{
    const HWND edit = Target->Window("basic.edit");
    Inspect(edit);
    RECT rect{};
    ::GetWindowRect(edit, &rect);
    EXPECT_EQ(TextOf(Form->windowTextEdit_), "Hello edit");
    EXPECT_EQ(TextOf(Form->classNameEdit_), "Edit");
    EXPECT_EQ(TextOf(Form->positionEdit_), FormatPoint(rect.left, rect.top));
    EXPECT_EQ(TextOf(Form->sizeEdit_), "150x24");
    EXPECT_EQ(TextOf(Form->relativePositionEdit_), "(10,40)");
    EXPECT_EQ(TextOf(Form->menuEdit_), "Нет");
    EXPECT_EQ(TextOf(Form->handleEdit_), FormatHandle(HandleValue(edit)));
    EXPECT_EQ(TextOf(Form->parentEdit_), FormatHandle(HandleValue(Target->Window("basic"))));
    EXPECT_EQ(TextOf(Form->ownerEdit_), "--------");  // no owner
    EXPECT_EQ(TextOf(Form->processIdEdit_), FormatHandle(Target->ProcessId()));
    EXPECT_EQ(TextOf(Form->threadIdEdit_), FormatHandle(static_cast<uint32_t>(Target->Number("tid"))));
    EXPECT_TRUE(Visible(Form->gotoParentButton_));   // parent
    EXPECT_FALSE(Visible(Form->gotoChildButton_));  // an edit has no child
    EXPECT_FALSE(Visible(Form->childInfoButton_));  // its quick-info button follows
    EXPECT_FALSE(Visible(Form->gotoOwnerButton_));  // owner
    EXPECT_FALSE(Visible(Form->ownerInfoButton_));
    EXPECT_TRUE(Visible(Form->gotoNextButton_));
    EXPECT_TRUE(Visible(Form->nextInfoButton_));
    EXPECT_FALSE(::IsWindowEnabled(Form->changeTextButton_.Handle()));
    EXPECT_TRUE(Form->visibleButton_.Down());  // visible
    EXPECT_TRUE(Form->enabledButton_.Down());  // enabled
    EXPECT_TRUE(Form->restoreButton_.Down());  // normal size
}

TEST_F(MainFormTest, EveryGeometryFieldHasItsCaptionOnItsLeft)
{
    using namespace MainFormIds;
    const std::pair<int, HWND> rows[] = {
        {WindowTextLabelId, Form->windowTextEdit_}, {ClassNameLabelId, Form->classNameEdit_},
        {PositionLabelId, Form->positionEdit_},     {SizeLabelId, Form->sizeEdit_},
        {RelativePositionLabelId, Form->relativePositionEdit_}, {ClientSizeLabelId, Form->clientSizeEdit_},
    };
    for (const auto& [labelId, field] : rows) {
        RECT label{}, edit{};
        ::GetWindowRect(::GetDlgItem(Form->Handle(), labelId), &label);
        ::GetWindowRect(field, &edit);
        EXPECT_GT(label.right - label.left, 0) << labelId;
        EXPECT_LE(label.right, edit.left) << labelId;
        EXPECT_LT(label.top, edit.bottom) << labelId;  // on the field's row
        EXPECT_GT(label.bottom, edit.top) << labelId;
    }
}

TEST_F(MainFormTest, ShowsATopLevelWindowsMenuAndNoRelativePlace)
{
    Inspect(Target->Window("basic"));
    EXPECT_EQ(TextOf(Form->menuEdit_), "Есть");
    EXPECT_EQ(TextOf(Form->relativePositionEdit_), "");
    EXPECT_EQ(TextOf(Form->parentEdit_), "--------");
    EXPECT_FALSE(Visible(Form->gotoParentButton_));
}

TEST_F(MainFormTest, AMissingWindowEmptiesEveryField)
{
    Click(Form->processPanelButton_);  // process panel shown
    Inspect(Target->Window("basic.edit"));
    EXPECT_TRUE(Visible(Form->processPriorityButton_));
    EXPECT_EQ(Visible(Form->threadPriorityButton_), CanOpenThreads);

    Inspect(nullptr);
    EXPECT_EQ(TextOf(Form->windowTextEdit_), "<Окно не существует>");
    EXPECT_TRUE(::GetWindowLongA(Form->windowTextEdit_, GWL_STYLE) & ES_READONLY);
    for (HWND field :
         {Form->classNameEdit_, Form->positionEdit_, Form->sizeEdit_, Form->relativePositionEdit_, Form->handleEdit_,
          Form->parentEdit_, Form->menuEdit_, Form->processIdEdit_, Form->threadIdEdit_, Form->clientSizeEdit_})
        EXPECT_EQ(TextOf(field), "");
    EXPECT_FALSE(Visible(Form->processPriorityButton_));
    EXPECT_FALSE(Visible(Form->terminateProcessButton_));
    EXPECT_FALSE(Visible(Form->suspendThreadButton_));
    for (SpeedButton* navigate : {&Form->gotoParentButton_, &Form->gotoChildButton_, &Form->gotoNextButton_,
                                  &Form->gotoPreviousButton_, &Form->gotoOwnerButton_})
        EXPECT_FALSE(Visible(*navigate));
    Click(Form->processPanelButton_);

    Inspect(Target->Window("basic"));
    EXPECT_FALSE(::GetWindowLongA(Form->windowTextEdit_, GWL_STYLE) & ES_READONLY);
}

TEST_F(MainFormTest, NavigationWalksEveryRelation)
{
    Inspect(Target->Window("basic.edit"));
    Click(Form->gotoParentButton_);
    EXPECT_EQ(CurrentWindow.Handle, Target->Window("basic"));
    EXPECT_NE(CurrentWindow.ClassAtom, 0u);  // a full gather
    Click(Form->gotoChildButton_);
    EXPECT_EQ(CurrentWindow.Handle, Target->Window("basic.button"));
    Click(Form->gotoNextButton_);
    EXPECT_EQ(CurrentWindow.Handle, Target->Window("basic.edit"));
    Click(Form->gotoPreviousButton_);
    EXPECT_EQ(CurrentWindow.Handle, Target->Window("basic.button"));

    Inspect(Target->Window("owned"));
    Click(Form->gotoOwnerButton_);
    EXPECT_EQ(CurrentWindow.Handle, Target->Window("owned.owner"));
    // A relation that no longer exists does nothing.
    CurrentWindow.Parent = nullptr;
    Click(Form->gotoParentButton_);
    EXPECT_EQ(CurrentWindow.Handle, Target->Window("owned.owner"));
}

TEST_F(MainFormTest, TheChangeTextButtonFollowsTheEditedText)
{
    Inspect(Target->Window("basic.edit"));
    ::SetWindowTextA(Form->windowTextEdit_, "Changed");
    EXPECT_TRUE(::IsWindowEnabled(Form->changeTextButton_.Handle()));
    ::SetWindowTextA(Form->windowTextEdit_, "Hello edit");
    EXPECT_FALSE(::IsWindowEnabled(Form->changeTextButton_.Handle()));
}

TEST_F(MainFormTest, TheLocatorButtonCopiesALineThatFindsTheWindowAgain)
{
    Inspect(Target->Window("basic.panel.label"));
    ASSERT_TRUE(::IsWindowEnabled(Form->copyLocatorButton_.Handle()));
    Click(Form->copyLocatorButton_);
    std::string copied;
    if (::OpenClipboard(nullptr)) {
        if (const HANDLE data = ::GetClipboardData(CF_TEXT)) {
            if (const auto* text = static_cast<const char*>(::GlobalLock(data))) copied = text;
            ::GlobalUnlock(data);
        }
        ::CloseClipboard();
    }
    EXPECT_EQ(copied, "lvxtarget.exe/LvxTargetMain/LvxPanel/Static");
    Inspect(nullptr);
    EXPECT_FALSE(::IsWindowEnabled(Form->copyLocatorButton_.Handle()));
}

TEST_F(MainFormTest, PanelSwitchesShowTheirPanelsAndResizeTheWindow)
{
    // A top-level window without owner: no parent or owner buttons, whatever the layout does.
    Inspect(Target->Window("basic"));
    const auto relationsFollowTheWindow = [](const char* when) {
        EXPECT_FALSE(Visible(Form->gotoParentButton_)) << when;
        EXPECT_FALSE(Visible(Form->parentInfoButton_)) << when;
        EXPECT_FALSE(Visible(Form->gotoOwnerButton_)) << when;
        EXPECT_FALSE(Visible(Form->ownerInfoButton_)) << when;
        EXPECT_TRUE(Visible(Form->gotoChildButton_)) << when;
        EXPECT_TRUE(Visible(Form->childInfoButton_)) << when;
    };
    relationsFollowTheWindow("after the refresh");
    RECT before{};
    ::GetWindowRect(Form->Handle(), &before);
    Click(Form->commandPanelButton_);
    RECT withPanel{};
    ::GetWindowRect(Form->Handle(), &withPanel);
    EXPECT_GT(withPanel.bottom - withPanel.top, before.bottom - before.top);
    EXPECT_EQ(withPanel.right - withPanel.left, before.right - before.left);
    EXPECT_TRUE(Visible(Form->closeButton_));
    relationsFollowTheWindow("after showing a panel");
    Click(Form->commandPanelButton_);
    EXPECT_FALSE(Visible(Form->closeButton_));
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
        EXPECT_FALSE(Visible(Form->processPriorityButton_));
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
    EXPECT_EQ(TextOf(Form->windowTextEdit_), "Hello edit");
}

TEST_F(MainFormTest, ACancelledDragShowsThePreviousWindowAgain)
{
    Inspect(Target->Window("basic"));
    TMyDrag drag(*Form);
    drag.GetDragCursor(CenterOf(Target->Window("basic.button")));
    EXPECT_EQ(TextOf(Form->windowTextEdit_), "Press me");
    drag.CancelDrag();
    EXPECT_EQ(CurrentWindow.Handle, Target->Window("basic"));
    EXPECT_EQ(TextOf(Form->windowTextEdit_), "Lumivex Target");
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
        Click(Form->optionsButton_);
        return driver.Done();
    };
    const auto stored = [] {
        return std::vector<long long>{StoredSetting("PowerScanning"), StoredSetting("MagneticField"),
                                      StoredSetting("ShowClassIcons")};
    };
    ASSERT_TRUE(round({IDC_OPTIONS_POWER_SCANNING, IDC_OPTIONS_SNAP_TO_EDGES, IDC_OPTIONS_ICONS_NONE}, true));
    EXPECT_EQ(stored(), (std::vector<long long>{0, 0, 0})) << "the close box saves as OK does";
    EXPECT_FALSE(PowerScanning);
    EXPECT_FALSE(MagneticField);
    ASSERT_TRUE(round({IDC_OPTIONS_POWER_SCANNING, IDC_OPTIONS_ICONS_KNOWN}, false));
    EXPECT_EQ(stored(), (std::vector<long long>{1, 0, 1}));
    ASSERT_TRUE(round({IDC_OPTIONS_SNAP_TO_EDGES, IDC_OPTIONS_ICONS_ANALYZE}, false));
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
    Click(Form->minimizeToTrayButton_);
    ASSERT_TRUE(Form->minimizeToTrayButton_.Down());
    ::SendMessageA(Form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_FALSE(::IsWindowVisible(Form->Handle()));
    ::SendMessageA(Form->Handle(), WM_APP + 1, 1, WM_LBUTTONDBLCLK);  // the tray icon's notification
    EXPECT_TRUE(::IsWindowVisible(Form->Handle()));
    EXPECT_FALSE(::IsIconic(Form->Handle()));
    Click(Form->minimizeToTrayButton_);

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
