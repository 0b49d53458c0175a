// The window commands and the message panel against windows of another process, which report
// from their own side what the commands did to them.
#include "MainFormFixture.h"

#include "core/MainForm.h"
#include "core/UNI_WinVer.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

using namespace lvx;
using lvxtest::TargetProcess;

namespace {

constexpr UINT QueryMessage = WM_APP + 3;
enum Query : WPARAM { Visible, Enabled, Topmost, ShowStateQuery, CloseCount, LastSysCommand, EchoCount, EchoLParam,
                      SysCommandCount };

LRESULT Ask(HWND window, Query query)
{
    DWORD_PTR answer = 0;
    if (!::SendMessageTimeoutA(window, QueryMessage, query, 0, SMTO_NORMAL, 5000, &answer)) return -1;
    return static_cast<LRESULT>(answer);
}

std::string TextOf(HWND control)
{
    char buffer[1024] = {};
    ::GetWindowTextA(control, buffer, static_cast<int>(std::size(buffer)));
    return buffer;
}

class CommandsTest : public lvxtest::MainFormFixture<CommandsTest> {
protected:
    static void SetUpTestSuite() { Start({"commands", "owned", "slow", "hung"}); }
    static void Click(SpeedButton& button) { ::SendMessageA(button.Handle(), BM_CLICK, 0, 0); }
    static void SendFromPanel(const char* message, const char* wParam, const char* lParam)
    {
        ::SetWindowTextA(Form->messageCombo_, message);
        ::SetWindowTextA(Form->wParamEdit_, wParam);
        ::SetWindowTextA(Form->lParamEdit_, lParam);
        Click(Form->sendMessageButton_);
    }

};

TEST_F(CommandsTest, MinimiseMaximiseAndRestoreReachTheWindowAndTheDisplayFollows)
{
    const HWND window = Target->Window("commands");
    Inspect(window);
    Click(Form->minimizeButton_);
    EXPECT_EQ(Ask(window, LastSysCommand), SC_MINIMIZE);
    EXPECT_EQ(Ask(window, ShowStateQuery), 0);
    EXPECT_EQ(CurrentWindow.ShowState, WindowShowState::Minimized);
    EXPECT_TRUE(Form->minimizeButton_.Down());
    Click(Form->maximizeButton_);
    EXPECT_EQ(Ask(window, ShowStateQuery), 1);
    EXPECT_TRUE(Form->maximizeButton_.Down());
    Click(Form->restoreButton_);
    EXPECT_EQ(Ask(window, ShowStateQuery), 2);
    EXPECT_TRUE(Form->restoreButton_.Down());
    // The button that is already down sends its command again.
    const LRESULT before = Ask(window, SysCommandCount);
    Click(Form->restoreButton_);
    EXPECT_EQ(Ask(window, SysCommandCount), before + 1);
    EXPECT_EQ(Ask(window, LastSysCommand), SC_RESTORE);
}

TEST_F(CommandsTest, VisibleEnabledAndTopmostTogglesChangeTheWindowItself)
{
    const HWND window = Target->Window("commands");
    Inspect(window);
    ASSERT_TRUE(Form->visibleButton_.Down());
    Click(Form->visibleButton_);  // hide
    EXPECT_EQ(Ask(window, Visible), 0);
    EXPECT_FALSE(Form->visibleButton_.Down()) << "the refresh shows the window hidden";
    Click(Form->visibleButton_);
    EXPECT_EQ(Ask(window, Visible), 1);
    EXPECT_TRUE(Form->visibleButton_.Down());

    Click(Form->enabledButton_);
    EXPECT_EQ(Ask(window, Enabled), 0);
    EXPECT_FALSE(Form->enabledButton_.Down());
    Click(Form->enabledButton_);
    EXPECT_EQ(Ask(window, Enabled), 1);

    Click(Form->topmostButton_);
    EXPECT_EQ(Ask(window, Topmost), 1);
    EXPECT_TRUE(Form->topmostButton_.Down());
    Click(Form->topmostButton_);
    EXPECT_EQ(Ask(window, Topmost), 0);
}

TEST_F(CommandsTest, BothWaysOfClosingCloseTheWindow)
{
    const HWND closable = Target->Window("closable");
    Inspect(closable);
    Click(Form->closeButton_);
    EXPECT_FALSE(::IsWindow(closable));
    EXPECT_EQ(TextOf(Form->windowTextEdit_), "<Окно не существует>");

    const HWND owned = Target->Window("owned");
    Inspect(owned);
    Click(Form->sysCommandCloseButton_);
    EXPECT_FALSE(::IsWindow(owned));
    EXPECT_EQ(CurrentWindow.Handle, nullptr);
}

TEST_F(CommandsTest, ChangingTheTextIsCheckedByReadingItBack)
{
    const HWND edit = Target->Window("commands.edit");
    Inspect(edit);
    lvxtest::ModalWatcher watcher;
    ::SetWindowTextA(Form->windowTextEdit_, "Новый текст");
    ASSERT_TRUE(::IsWindowEnabled(Form->changeTextButton_.Handle()));
    Click(Form->changeTextButton_);
    EXPECT_EQ(lvxtest::ForeignText(edit), "Новый текст");
    EXPECT_EQ(CurrentWindow.Text, "Новый текст");
    EXPECT_TRUE(watcher.Boxes.empty());

    Inspect(Target->Window("commands.notext"));
    ::SetWindowTextA(Form->windowTextEdit_, "Other");
    Click(Form->changeTextButton_);
    ASSERT_EQ(watcher.Boxes.size(), 1u);
    EXPECT_EQ(watcher.Boxes[0].Caption, "Предупреждение");
    EXPECT_EQ(watcher.Boxes[0].Text, "Не удалось изменить текст окна");
    EXPECT_EQ(CurrentWindow.Text, "Fixed text");
}

TEST_F(CommandsTest, TheMessagePanelSendsByNumberOrNameAndShowsTheResult)
{
    const HWND window = Target->Window("commands");
    Inspect(window);
    const LRESULT echoes = Ask(window, EchoCount);
    SendFromPanel("$8004", "#15", "7");
    EXPECT_EQ(TextOf(Form->resultEdit_), "42");
    EXPECT_EQ(Ask(window, EchoCount), echoes + 1);
    EXPECT_EQ(Ask(window, EchoLParam), 7);

    MessageNames = {{"WM_NULL", 0}, {"LVX_ECHO", 0x8004}};
    SendFromPanel("lvx_echo", "&h8000", "-1");
    EXPECT_EQ(TextOf(Form->resultEdit_), "65536");
    EXPECT_EQ(Ask(window, EchoLParam), -1);

    // The result is shown unsigned.
    SendFromPanel("0x8004", "$40000001", "0");
    EXPECT_EQ(TextOf(Form->resultEdit_), "2147483650");
    // Both parameters and the result are as wide as a pointer; a 32-bit build keeps 32 bits.
    SendFromPanel("0x8004", "$100000001", "$FFFFFFFF");
    EXPECT_EQ(TextOf(Form->resultEdit_), sizeof(LRESULT) == 8 ? "8589934594" : "2");
    EXPECT_EQ(static_cast<uint64_t>(Ask(window, EchoLParam)), sizeof(LPARAM) == 8 ? 0xFFFFFFFFu : ~uint64_t{0});
    SendFromPanel("0x8004", "-1", "-2");
    EXPECT_EQ(TextOf(Form->resultEdit_), std::to_string(static_cast<uintptr_t>(-2)));
    EXPECT_EQ(Ask(window, EchoLParam), -2);

    lvxtest::ModalWatcher watcher;
    for (const auto& [message, wParam] : {std::pair{"NO_SUCH_MESSAGE", "#0"}, std::pair{"", "#0"},
                                          std::pair{"$8004", "$G"}, std::pair{"#", "#0"}}) {
        SendFromPanel(message, wParam, "#0");
    }
    ASSERT_EQ(watcher.Boxes.size(), 4u);
    for (const auto& box : watcher.Boxes) {
        EXPECT_EQ(box.Caption, "Ошибка");
        EXPECT_EQ(box.Text, "Неизвестное сообщение");
    }
    EXPECT_EQ(Ask(window, EchoCount), echoes + 5);  // nothing was sent for the invalid ones
    MessageNames.clear();
}

TEST_F(CommandsTest, AMessageThatTakesTooLongGivesZeroAndDoesNotHangTheInspector)
{
    Inspect(Target->Window("slow"));
    const ULONGLONG start = ::GetTickCount64();
    SendFromPanel("$8002", "0", "0");  // the window answers 42 after 1.5 s
    EXPECT_LT(::GetTickCount64() - start, 1400u);
    EXPECT_EQ(TextOf(Form->resultEdit_), "0");
}

TEST_F(CommandsTest, EveryCommandOnAHungWindowReturnsAtOnceAndChangesNothing)
{
    const HWND hung = Target->Window("hung");
    Inspect(hung);
    Target->HangWindow();
    // Hung as the system sees it: from then on, messages to it fail at once.
    ASSERT_TRUE(lvxtest::WaitFor([&] { return ::IsHungAppWindow(hung) != FALSE; }));
    ::SendMessageA(Form->commandPanelButton_.Handle(), BM_CLICK, 0, 0);  // the panel of the commands
    lvxtest::ModalWatcher watcher;
    const int threads = lvxtest::ThreadCount();
    const auto command = [&](const char* name, const std::function<void()>& act) {
        const ULONGLONG start = ::GetTickCount64();
        act();
        EXPECT_LT(::GetTickCount64() - start, 1000u) << name;
        EXPECT_EQ(CurrentWindow.Handle, hung) << name;
        EXPECT_EQ(TextOf(Form->windowTextEdit_), "<Окно не ответило на запрос>") << name;
    };
    command("show", [] { Click(Form->visibleButton_); });
    command("enable", [] { Click(Form->enabledButton_); });
    command("topmost", [] { Click(Form->topmostButton_); });
    command("close", [] { Click(Form->closeButton_); });
    command("system close", [] { Click(Form->sysCommandCloseButton_); });
    command("minimise", [] { Click(Form->minimizeButton_); });
    command("message", [] { SendFromPanel("$8004", "1", "1"); });
    EXPECT_EQ(TextOf(Form->resultEdit_), "0");
    command("text", [] {
        ::SetWindowTextA(Form->windowTextEdit_, "New text");
        Click(Form->changeTextButton_);
    });
    // One helper thread at most waits for the window, however many commands were given.
    EXPECT_LE(lvxtest::ThreadCount(), threads + 1);
    // Closing and the system commands are silent; only the text that was not taken is reported.
    ASSERT_EQ(watcher.Boxes.size(), 1u);
    EXPECT_EQ(watcher.Boxes[0].Text, "Не удалось изменить текст окна");
    EXPECT_TRUE(::IsWindow(hung));
    ::SendMessageA(Form->commandPanelButton_.Handle(), BM_CLICK, 0, 0);
}

TEST_F(CommandsTest, TheDropDownListsTheNamesContainingWhatWasTyped)
{
    MessageNames = {{"WM_PAINT", 15}, {"WM_NCPAINT", 0x85}, {"WM_SIZE", 5}, {"WM_PAINTICON", 0x26}};
    ::SetWindowTextA(Form->messageCombo_, "paint");
    ::SendMessageA(Form->messageCombo_, CB_SHOWDROPDOWN, TRUE, 0);
    ::SendMessageA(Form->messageCombo_, CB_SHOWDROPDOWN, FALSE, 0);
    ASSERT_EQ(::SendMessageA(Form->messageCombo_, CB_GETCOUNT, 0, 0), 3);
    char item[64] = {};
    ::SendMessageA(Form->messageCombo_, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(item));
    EXPECT_STREQ(item, "WM_NCPAINT");
    ::SetWindowTextA(Form->messageCombo_, "");
    ::SendMessageA(Form->messageCombo_, CB_SHOWDROPDOWN, TRUE, 0);
    ::SendMessageA(Form->messageCombo_, CB_SHOWDROPDOWN, FALSE, 0);
    EXPECT_EQ(::SendMessageA(Form->messageCombo_, CB_GETCOUNT, 0, 0), 4);
    MessageNames.clear();
}

TEST_F(CommandsTest, FlashingInvertsTheWindowAndLeavesTheScreenAsItWas)
{
    const HWND window = Target->Window("commands");
    Inspect(window);
    const POINT centre = lvxtest::CenterOf(window);
    const RECT rect{centre.x - 8, centre.y - 8, centre.x + 8, centre.y + 8};
    const auto before = lvxtest::CaptureScreen(rect);
    // The flash blocks this thread; another one watches the screen meanwhile.
    std::atomic<bool> flashing{true};
    std::atomic<bool> inverted{false};
    std::thread watcher([&] {
        while (flashing && !inverted) {
            const auto now = lvxtest::CaptureScreen(rect);
            inverted = now.size() == before.size() && !now.empty() && (now[0] & 0xFFFFFF) == (~before[0] & 0xFFFFFF);
        }
    });
    Click(Form->flashButton_);
    flashing = false;
    watcher.join();
    EXPECT_TRUE(inverted) << "nothing was drawn";
    EXPECT_EQ(lvxtest::CaptureScreen(rect), before);
}

}  // namespace
