// The window commands and the message panel against windows of another process, which report
// from their own side what the commands did to them.
#include "MainFormFixture.h"

#include "core/MainForm.h"
#include "core/TextFiles.h"
#include "core/UNI_Strings.h"
#include "core/UNI_WinVer.h"
#include "language/MultiLang.h"
#include "msglog/MessageLogForm.h"
#include "msglog/MessageLogSession.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <algorithm>
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

namespace {

// ---- the message log, against the target's own known sequence ------------------------------

constexpr UINT SequenceMessage = WM_APP + 5;
constexpr UINT SequencePosted = WM_APP + 6;
constexpr UINT SequenceSent = WM_APP + 7;
constexpr WPARAM SequencePostedCount = SysCommandCount + 1;

// Has the window run a sequence of `count` and waits until it has handled the posted part too.
bool RunSequence(HWND window, WPARAM count)
{
    const LRESULT before = Ask(window, static_cast<Query>(SequencePostedCount));
    DWORD_PTR answer = 0;
    if (!::SendMessageTimeoutA(window, SequenceMessage, count, 0, SMTO_NORMAL, 10000, &answer)) return false;
    return lvxtest::WaitFor([&] {
        return Ask(window, static_cast<Query>(SequencePostedCount)) == before + static_cast<LRESULT>(count);
    });
}

std::vector<msglog::LogRecord> OfMessage(const std::vector<msglog::LogRecord>& records, UINT message)
{
    std::vector<msglog::LogRecord> found;
    for (const auto& record : records)
        if (record.Message == message) found.push_back(record);
    return found;
}

// The target's sequence as the log must show it: each sent message then its return, and the
// posted ones in order, with their parameters; the result only where the platform gives it.
void ExpectSequence(const std::vector<msglog::LogRecord>& records, WPARAM count, bool wideTarget)
{
    const auto sent = OfMessage(records, SequenceSent);
    const auto posted = OfMessage(records, SequencePosted);
    ASSERT_EQ(sent.size(), 2 * count);
    ASSERT_EQ(posted.size(), count);
    const bool results = msglog::MessageLogSession::PlatformGivesResults();
    for (WPARAM i = 0; i < count; ++i) {
        EXPECT_EQ(sent[2 * i].Kind, msglog::RecordKind::Sent) << i;
        EXPECT_EQ(sent[2 * i + 1].Kind, msglog::RecordKind::Returned) << i;
        for (const auto& record : {sent[2 * i], sent[2 * i + 1]}) {
            EXPECT_EQ(record.WParam, i);
            EXPECT_EQ(record.LParam, 0x7000 + i);
        }
        if (results) {
            EXPECT_EQ(sent[2 * i + 1].Result, 3 * i);
        }
        EXPECT_EQ(posted[i].Kind, msglog::RecordKind::Posted);
        EXPECT_EQ(posted[i].WParam, i);
        EXPECT_EQ(posted[i].LParam, 0x5000 + i);
        EXPECT_EQ((posted[i].Flags & msglog::RecordFromWideTarget) != 0, wideTarget);
    }
    // Nothing was lost: the writers' numbers follow one another without a gap.
    for (size_t i = 1; i < records.size(); ++i) EXPECT_EQ(records[i].Sequence, records[i - 1].Sequence + 1) << i;
}

std::vector<msglog::LogRecord> Kept(const TMessageLogForm& log)
{
    std::vector<msglog::LogRecord> records;
    for (size_t i = 0; i < log.Store().Size(); ++i) records.push_back(log.Store().At(i));
    return records;
}

// The current section of a watched program, opened as the hook DLL opens it, to see what the hooks do.
struct SectionProbe {
    explicit SectionProbe(DWORD processId) : section(msglog::OpenCurrentSection(processId)), ring(section.Ring) {}
    msglog::OpenedSection section;
    std::optional<msglog::MessageRing>& ring;
};

// True when no hook writes into the section any more: with recording on and a fresh heartbeat,
// the target's messages are not even attempted.
bool NoHookWrites(SectionProbe& probe, HWND window)
{
    // A session the hooks did not stop for: one left behind would write.
    ++probe.ring->Header().Session;
    const uint64_t before = probe.ring->Totals().Attempted;
    probe.ring->Heartbeat(::GetTickCount64());
    probe.ring->SetRecording(true);
    const bool quiet = RunSequence(window, 3) && probe.ring->Totals().Attempted == before;
    probe.ring->SetRecording(false);
    return quiet;
}

// Gaps in the writers' numbers: records lost between the ones taken.
uint64_t Gaps(const std::vector<msglog::LogRecord>& records, uint64_t first, uint64_t last)
{
    uint64_t gaps = 0, expected = first;
    for (const auto& record : records) {
        if (record.Sequence < expected) return ~uint64_t{0};  // out of order: no gap can be told
        gaps += record.Sequence - expected;
        expected = record.Sequence + 1;
    }
    return gaps + (last + 1 - expected);
}

// The list shows the rows at its scroll position, the texts of the store.
void ExpectListShowsItsScrollPosition(const TMessageLogForm& log, const char* when)
{
    const HWND list = log.recordList_;
    SCROLLINFO scroll{};
    scroll.cbSize = sizeof scroll;
    scroll.fMask = SIF_POS;
    ::GetScrollInfo(list, SB_VERT, &scroll);
    const int top = static_cast<int>(::SendMessageA(list, LVM_GETTOPINDEX, 0, 0));
    const int page = static_cast<int>(::SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0));
    const int count = static_cast<int>(log.Store().Size());
    EXPECT_EQ(top, scroll.nPos) << when;
    EXPECT_LE(top, std::max(0, count - page)) << when << ": rows hidden above an empty end";
    for (int row = top; row < std::min(count, top + page); ++row)
        for (const int column : {0, 4}) {
            char text[256] = {};
            LVITEMA item{};
            item.iSubItem = column;
            item.pszText = text;
            item.cchTextMax = static_cast<int>(std::size(text));
            ::SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
            EXPECT_EQ(text, log.Cell(static_cast<size_t>(row), static_cast<size_t>(column))) << when << " row " << row;
        }
}

TEST_F(CommandsTest, TheMessageLogRecordsTheSequenceInOrderAndKeepsWhatTheFilterChooses)
{
    InitProgramFolder();
    MessageNames = {{"WM_SETTEXT", WM_SETTEXT}, {"LVX_SEQUENCE_SENT", SequenceSent}};
    const HWND window = Target->Window("commands");
    Inspect(window);
    Click(Form->messageLogButton_);
    TMessageLogForm* log = Form->MessageLogForm();
    ASSERT_NE(log, nullptr);
    ASSERT_TRUE(::IsWindowVisible(log->Handle()));
    RECT main{}, own{}, overlap{};
    ::GetWindowRect(Form->Handle(), &main);
    ::GetWindowRect(log->Handle(), &own);
    EXPECT_FALSE(::IntersectRect(&overlap, &main, &own)) << "beside the main window, not over it";
    // The columns fit their texts and leave the decoded one the rest: the list does not scroll sideways.
    const auto columnWidth = [&](int column) {
        return static_cast<int>(::SendMessageA(log->recordList_, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
    };
    RECT listClient{};
    ::GetClientRect(log->recordList_, &listClient);
    int columns = 0;
    for (int column = 0; column < 9; ++column) columns += columnWidth(column);
    EXPECT_LE(columns, listClient.right) << "decoded " << columnWidth(8) << " of " << listClient.right;
    EXPECT_GT(columnWidth(8), ScaleForDpi(130, DpiOfWindow(log->Handle()))) << "more than its least width";
    const auto press = [&](HWND button) { ::SendMessageA(button, BM_CLICK, 0, 0); };
    press(log->startButton_);
    ASSERT_TRUE(log->Session().Active()) << log->StatusText();
    ASSERT_TRUE(RunSequence(window, 20));
    ASSERT_TRUE(lvxtest::WaitFor([&] {
        log->PollRecords();
        return OfMessage(Kept(*log), SequencePosted).size() >= 20;
    }));
    ExpectSequence(Kept(*log), 20, sizeof(void*) == 8);
    EXPECT_EQ(log->StatusText().rfind("Идет запись сообщений окна", 0), 0u) << log->StatusText();
    // The list shows names, kinds, the decoded text of WM_SETTEXT and every count.
    const auto records = Kept(*log);
    const auto setText = std::find_if(records.begin(), records.end(), [](const auto& r) { return r.Message == WM_SETTEXT; });
    ASSERT_NE(setText, records.end());
    const size_t row = static_cast<size_t>(setText - records.begin());
    EXPECT_EQ(log->Cell(row, 4), "WM_SETTEXT");
    EXPECT_EQ(log->Cell(row, 3), "Отправлено");
    EXPECT_EQ(log->Cell(row, 8), "\"Sequence\"");
    // The counts follow within a tenth of a second (the list and they are not redrawn more often).
    EXPECT_TRUE(lvxtest::WaitFor([&] {
        log->PollRecords();
        return TextOf(log->countEdits_[0]) == std::to_string(log->Store().Size());
    }, 2000));
    EXPECT_EQ(TextOf(log->countEdits_[1]), "0");
    // The window column grew to the target's class name, longer than the common ones it was fitted to.
    for (const int column : {2, 4}) {
        const std::string cell = log->Cell(row, static_cast<size_t>(column));
        EXPECT_LT(::SendMessageA(log->recordList_, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(cell.c_str())),
                  columnWidth(column)) << cell;
    }
    // Maximised and restored, every row is drawn anew for the scroll position.
    for (const auto& [show, when] : {std::pair{SW_MAXIMIZE, "maximised"}, std::pair{SW_RESTORE, "restored"}}) {
        ::ShowWindow(log->Handle(), show);
        // The system repaints only what a resize uncovers, the list's scroll position may move: the
        // whole list is to be drawn anew.
        RECT client{}, waiting{};
        ::GetClientRect(log->recordList_, &client);
        ::GetUpdateRect(log->recordList_, &waiting, FALSE);
        EXPECT_TRUE(::EqualRect(&client, &waiting)) << when << ": " << waiting.top << ".." << waiting.bottom << " of "
                                                   << client.bottom;
        lvxtest::PumpMessages();
        ExpectListShowsItsScrollPosition(*log, when);
    }
    const lvxtest::TempFolder folder;
    ASSERT_TRUE(log->SaveToFile(folder.Path() + "log.txt"));
    std::string saved;
    ASSERT_TRUE(ReadWholeFile(folder.Path() + "log.txt", saved));
    EXPECT_EQ(static_cast<size_t>(std::count(saved.begin(), saved.end(), '\n')), log->Store().Size());
    EXPECT_NE(saved.find("\tWM_SETTEXT\t"), std::string::npos);

    // Only the chosen ones are kept, by name as the message panel reads names; the rest are counted.
    // A filter that cannot be read is said at Start, and nothing starts.
    press(log->stopButton_);
    const uint64_t lastNumber = Kept(*log).back().Sequence;
    press(log->clearButton_);
    ::SetWindowTextA(log->filterMessagesEdit_, "WM_NOPE");
    press(log->startButton_);
    EXPECT_FALSE(log->Session().Active());
    EXPECT_EQ(log->StatusText(), "Неизвестное сообщение в фильтре: WM_NOPE");
    ::SetWindowTextA(log->filterMessagesEdit_, "lvx_sequence_sent WM_SETTEXT");
    press(log->startButton_);
    ASSERT_TRUE(RunSequence(window, 5));
    ASSERT_TRUE(lvxtest::WaitFor([&] {
        log->PollRecords();
        return OfMessage(Kept(*log), SequenceSent).size() >= 10 && OfMessage(Kept(*log), WM_SETTEXT).size() >= 4;
    }));
    for (const auto& record : Kept(*log)) EXPECT_TRUE(record.Message == SequenceSent || record.Message == WM_SETTEXT);
    EXPECT_GT(Kept(*log).front().Sequence, lastNumber) << "a new watch in the same list goes on numbering";
    EXPECT_GE(log->FilteredOut(), 5u);  // the posted part at least
    // A new filter applies to what is kept already: all but WM_SETTEXT.
    ::SendMessageA(log->filterModeCombo_, CB_SETCURSEL, 1, 0);
    ::SetWindowTextA(log->filterMessagesEdit_, "WM_SETTEXT");
    press(log->applyFilterButton_);
    ASSERT_EQ(log->Store().Size(), 10u);
    for (const auto& record : Kept(*log)) EXPECT_EQ(record.Message, SequenceSent);
    EXPECT_EQ(TextOf(log->countEdits_[3]), std::to_string(log->FilteredOut()));
    ::SendMessageA(log->filterModeCombo_, CB_SETCURSEL, 0, 0);
    ::SetWindowTextA(log->filterMessagesEdit_, "WM_NOPE");
    press(log->applyFilterButton_);
    EXPECT_EQ(log->StatusText(), "Неизвестное сообщение в фильтре: WM_NOPE");
    ::SetWindowTextA(log->filterMessagesEdit_, "");
    press(log->applyFilterButton_);
    // A watch the hooks gave up on (no heartbeat for seconds) ends with a sentence, not in silence.
    SectionProbe probe(Target->ProcessId());
    ASSERT_TRUE(probe.ring);
    probe.ring->Header().HeartbeatLost = probe.ring->Header().Session;
    log->PollRecords();
    EXPECT_FALSE(log->Session().Active());
    EXPECT_EQ(log->StatusText(), "Запись прервана: инспектор слишком долго не отвечал, и ловушки сняли себя сами");
    ::SendMessageA(log->Handle(), WM_CLOSE, 0, 0);

    // A window that does not answer: the hooks are set, but nothing is counted within a second,
    // and the log says so instead of "recording" over an empty list; then it records.
    TargetProcess hung({"hung"});
    ASSERT_TRUE(hung.Ready());
    hung.HangWindow(8000);
    log->ShowFor(Form->Handle(), hung.Window("hung"));
    press(log->startButton_);
    ASSERT_TRUE(log->Session().Active()) << log->StatusText();
    const std::string notRecording = "Ловушка установлена, но записи не приходят: окно не ответило за секунду, или его "
                                     "программа не может открыть общую память журнала";
    EXPECT_TRUE(lvxtest::WaitFor([&] {
        log->PollRecords();
        return log->StatusText() == notRecording;
    }, 6000)) << log->StatusText();
    EXPECT_TRUE(lvxtest::WaitFor([&] {
        log->PollRecords();
        return log->StatusText().rfind("Идет запись сообщений окна", 0) == 0;
    }, 20000)) << log->StatusText();
    ::SendMessageA(log->Handle(), WM_CLOSE, 0, 0);
    MessageNames.clear();
}

TEST_F(CommandsTest, TheOpenMessageLogWatchesTheInspectedWindowWhileItDoesNotRecord)
{
    InitProgramFolder();
    HWND gone = nullptr;
    {
        TargetProcess ended({"commands"});
        ASSERT_TRUE(ended.Ready());
        gone = ended.Window("commands");
        Inspect(gone);
        Click(Form->messageLogButton_);
    }
    ASSERT_TRUE(lvxtest::WaitFor([&] { return !::IsWindow(gone); }));
    TMessageLogForm* log = Form->MessageLogForm();
    ASSERT_NE(log, nullptr);
    const HWND window = Target->Window("commands");
    const std::string handle = FormatHandle(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window)));
    Inspect(window);
    ::SendMessageA(log->startButton_, BM_CLICK, 0, 0);
    ASSERT_TRUE(log->Session().Active()) << log->StatusText();
    EXPECT_NE(log->StatusText().find(handle), std::string::npos) << log->StatusText();
    // A watch under way stays with its window whatever is picked meanwhile.
    Inspect(Form->Handle());
    EXPECT_TRUE(lvxtest::WaitFor([&] {
        log->PollRecords();
        return log->StatusText().rfind("Идет запись сообщений окна " + handle, 0) == 0;
    })) << log->StatusText();
    ::SendMessageA(log->Handle(), WM_CLOSE, 0, 0);
}

TEST_F(CommandsTest, WithTheReaderHeldBackKeptAndDroppedRecordsAddUpToWhatTheTargetProduced)
{
    InitProgramFolder();
    // A program watched for the first time: its section is made with the small ring asked for.
    TargetProcess target({"commands"});
    ASSERT_TRUE(target.Ready());
    const HWND window = target.Window("commands");
    msglog::MessageLogSession session;
    ASSERT_EQ(session.Start(window, false, ProgramFolder, 64), msglog::StartFailure::None);
    ASSERT_TRUE(RunSequence(window, 200));  // 600 records of the sequence alone, into 64 slots
    std::vector<msglog::LogRecord> records;
    session.Poll(records, 100000);
    const size_t firstTaken = records.size();
    const uint64_t firstAttempted = session.Totals().Attempted;
    ASSERT_TRUE(RunSequence(window, 2));
    session.Poll(records, 100000);
    session.SetPaused(true);
    session.Poll(records, 100000);
    const auto totals = session.Totals();
    EXPECT_GT(totals.Dropped, 0u);
    EXPECT_EQ(totals.Consumed, records.size());
    EXPECT_EQ(totals.Consumed + totals.Dropped, totals.Attempted);
    const size_t ofSequence = OfMessage(records, SequenceSent).size() + OfMessage(records, SequencePosted).size();
    EXPECT_GE(ofSequence + totals.Dropped, 606u);
    EXPECT_LE(ofSequence + totals.Dropped, totals.Attempted);
    // The list shows where records were lost: the gaps in the writers' numbers are the drops, and
    // the first record taken after them is numbered past every attempt before.
    EXPECT_EQ(Gaps(records, 1, totals.Attempted), totals.Dropped);
    ASSERT_GT(records.size(), firstTaken);
    EXPECT_GT(records[firstTaken].Sequence, firstAttempted);
}

TEST_F(CommandsTest, StopUnhooksAndAKilledInspectorLeavesTheTargetAsItWasAndANewSessionStartsClean)
{
    InitProgramFolder();
    const HWND window = Target->Window("commands");
    {
        msglog::MessageLogSession session;
        ASSERT_EQ(session.Start(window, false, ProgramFolder), msglog::StartFailure::None);
        ASSERT_TRUE(RunSequence(window, 3));
        std::vector<msglog::LogRecord> records;
        ASSERT_TRUE(lvxtest::WaitFor([&] {
            session.Poll(records, 100000);
            return OfMessage(records, SequencePosted).size() == 3;
        }));
        session.Stop();
    }
    // Stopped: even with recording switched on again in the section, no hook writes there.
    SectionProbe probe(Target->ProcessId());
    ASSERT_TRUE(probe.ring);
    EXPECT_TRUE(NoHookWrites(probe, window));

    // The process that set the hooks is killed and the heartbeat stops: within a few seconds the
    // hooks stop writing (and remove themselves where the system left them), and the target answers.
    {
        msglog::MessageLogSession session;
        ASSERT_EQ(session.Start(window, false, ProgramFolder, msglog::DefaultRingCapacity,
                                msglog::HookPlacement::ThroughHelper),
                  msglog::StartFailure::None);
        ASSERT_EQ(session.WaitForHooks(15000), msglog::StartFailure::None);
        session.AbandonForTest();
    }
    ASSERT_TRUE(lvxtest::WaitFor([&] {
        const uint64_t attempted = probe.ring->Totals().Attempted;
        return RunSequence(window, 1) && probe.ring->Totals().Attempted == attempted;
    }, 20000));
    EXPECT_EQ(Ask(window, Visible), 1);
    EXPECT_NE(probe.ring->Header().HeartbeatLost, 0u);  // the hooks tell why they stopped

    // A new inspector's session holds this session's records only, each once.
    msglog::MessageLogSession session;
    ASSERT_EQ(session.Start(window, false, ProgramFolder), msglog::StartFailure::None);
    ASSERT_TRUE(RunSequence(window, 4));
    std::vector<msglog::LogRecord> records;
    ASSERT_TRUE(lvxtest::WaitFor([&] {
        session.Poll(records, 100000);
        return OfMessage(records, SequencePosted).size() >= 4;
    }));
    ExpectSequence(records, 4, sizeof(void*) == 8);
    EXPECT_EQ(records.front().Sequence, 1u);
}

constexpr UINT NotifyMessage = WM_APP + 10;
constexpr UINT ChatterMessage = WM_APP + 11;
constexpr UINT NewChildMessage = WM_APP + 12;
constexpr UINT NewThreadWindowMessage = WM_APP + 13;  // to the control window

LRESULT SendTo(HWND window, UINT message, WPARAM wParam, LPARAM lParam = 0)
{
    DWORD_PTR answer = 0;
    if (!::SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, 10000, &answer)) return -1;
    return static_cast<LRESULT>(answer);
}

TEST_F(CommandsTest, TheHookReadsOnlyWhatIsTheTargetsOwnAndStopTakesEveryLastRecord)
{
    InitProgramFolder();
    const HWND window = Target->Window("commands");
    msglog::MessageLogSession session;
    ASSERT_EQ(session.Start(window, false, ProgramFolder), msglog::StartFailure::None);
    // A WM_NOTIFY of another thread (as of another process) carries the sender's pointer: one
    // that is no address and one that is not mapped here. The target lives, every record is there,
    // and only the one its own thread sent is decoded.
    // Posted, so that the target's own WM_NOTIFY is not sent from within a message of ours.
    for (const WPARAM lParam : {WPARAM{0x10}, WPARAM{1}}) ::PostMessageA(window, NotifyMessage, lParam, 0);
    EXPECT_EQ(Ask(window, Visible), 1);
    std::vector<msglog::LogRecord> records;
    ASSERT_TRUE(lvxtest::WaitFor([&] {
        session.Poll(records, 100000);
        return OfMessage(records, WM_NOTIFY).size() >= 8;
    }, 5000)) << OfMessage(records, WM_NOTIFY).size();
    const auto notify = OfMessage(records, WM_NOTIFY);
    ASSERT_EQ(notify.size(), 8u);
    for (size_t i = 0; i < notify.size(); ++i) {
        const bool own = i % 4 < 2;
        EXPECT_EQ((notify[i].Flags & msglog::RecordHasNotifyCode) != 0, own) << i;
        if (own) {
            EXPECT_EQ(notify[i].NotifyCode, static_cast<int32_t>(NM_CLICK)) << i;
        }
        if (i == 2 || i == 3) {
            EXPECT_EQ(notify[i].LParam, 0x10u) << i;
        }
    }

    // Stop takes what the writers wrote up to the moment recording went off: every attempt is
    // either taken or counted as dropped, while a second thread of the target sends without a pause.
    ASSERT_EQ(SendTo(window, ChatterMessage, 1), 0);
    ASSERT_TRUE(lvxtest::WaitFor([&] {
        session.Poll(records, 100000);
        return OfMessage(records, SequenceSent).size() > 100;
    }));
    session.Stop(&records);
    EXPECT_EQ(SendTo(window, ChatterMessage, 0), 0);
    const auto totals = session.Totals();
    EXPECT_EQ(totals.Consumed, records.size());
    EXPECT_EQ(totals.Consumed + totals.Dropped, totals.Attempted);
    EXPECT_EQ(Gaps(records, 1, totals.Attempted), totals.Dropped);
}

TEST_F(CommandsTest, AKilledWatcherProcessLeavesNoHooksRecordingOrPausedAndASecondWatcherIsRefused)
{
    InitProgramFolder();
    const HWND window = Target->Window("commands");
    for (const bool paused : {false, true}) {
        SCOPED_TRACE(paused ? "paused" : "recording");
        lvxtest::ChildProcess watcher(ProgramFolder + "lvxwatcher.exe",
                                      std::to_string(reinterpret_cast<uintptr_t>(window)) + (paused ? " 1" : " 0"));
        std::optional<SectionProbe> probe;
        ASSERT_TRUE(lvxtest::WaitFor([&] {
            probe.emplace(Target->ProcessId());
            return probe->ring && probe->ring->Header().OwnerProcess == watcher.Id() &&
                   probe->ring->Header().HookCount != 0 && probe->ring->Recording() == !paused;
        })) << "the watcher did not start";
        const uint32_t watched = probe->ring->Header().Session;
        if (!paused) {
            // A second inspector is refused and leaves the first one's watch as it was.
            msglog::MessageLogSession second;
            EXPECT_EQ(second.Start(window, false, ProgramFolder), msglog::StartFailure::WatchedElsewhere);
            const uint64_t before = probe->ring->Totals().Attempted;
            ASSERT_TRUE(RunSequence(window, 2));
            EXPECT_GE(probe->ring->Totals().Attempted, before + 6);
            EXPECT_EQ(probe->ring->Header().Session, watched);
            EXPECT_EQ(probe->ring->Header().OwnerProcess, watcher.Id());
        }
        watcher.Terminate();
        // Within a few seconds of silence the hooks remove themselves, paused or not.
        EXPECT_TRUE(lvxtest::WaitFor([&] {
            return RunSequence(window, 1) && probe->ring->Header().HeartbeatLost == watched;
        }, 20000));
        EXPECT_TRUE(NoHookWrites(*probe, window));
        EXPECT_EQ(Ask(window, Visible), 1);
    }
    // The dead watcher's section is taken over: a new watch starts clean.
    msglog::MessageLogSession session;
    ASSERT_EQ(session.Start(window, false, ProgramFolder), msglog::StartFailure::None);
    ASSERT_TRUE(RunSequence(window, 2));
    std::vector<msglog::LogRecord> records;
    ASSERT_TRUE(lvxtest::WaitFor([&] {
        session.Poll(records, 100000);
        return OfMessage(records, SequencePosted).size() >= 2;
    }));
    ExpectSequence(records, 2, sizeof(void*) == 8);
    EXPECT_EQ(records.front().Sequence, 1u);
}

TEST_F(CommandsTest, AWriterStuckInTheRingOrAHelperTooSlowLeavesTheWatchSound)
{
    InitProgramFolder();
    const HWND window = Target->Window("commands");
    // A writer that stays inside the ring (suspended or killed there) would finish its slot after
    // a reset: the next watch takes a fresh section, and the old slot no longer matters.
    SectionProbe old(Target->ProcessId());
    ASSERT_TRUE(old.ring);
    old.ring->Header().Writers = 1;
    {
        msglog::MessageLogSession session;
        ASSERT_EQ(session.Start(window, false, ProgramFolder), msglog::StartFailure::None);
        EXPECT_NE(old.ring->Header().Successor, 0u);
        reinterpret_cast<msglog::RingRecord*>(&old.ring->Header() + 1)[0].Stamp = 5;  // the late writer's turn
        ASSERT_TRUE(RunSequence(window, 3));
        std::vector<msglog::LogRecord> records;
        ASSERT_TRUE(lvxtest::WaitFor([&] {
            session.Poll(records, 100000);
            return OfMessage(records, SequencePosted).size() >= 3;
        }));
        ExpectSequence(records, 3, sizeof(void*) == 8);
        EXPECT_EQ(session.Totals().Dropped, 0u);
    }
    old.ring->Header().Writers = 0;

    // A helper that has not set the hooks in time is told to stop and ended, leaving no hooks.
    msglog::MessageLogSession session;
    ASSERT_EQ(session.Start(window, false, ProgramFolder, msglog::DefaultRingCapacity,
                            msglog::HookPlacement::ThroughHelper, 0),
              msglog::StartFailure::None);
    const lvc::unique_kernel_handle helper(::OpenProcess(SYNCHRONIZE, FALSE, session.HelperProcessId()));
    ASSERT_TRUE(helper);
    EXPECT_EQ(session.WaitForHooks(5000), msglog::StartFailure::HelperTimedOut);
    EXPECT_FALSE(session.Active());
    EXPECT_EQ(::WaitForSingleObject(helper.get(), 0), WAIT_OBJECT_0) << "the helper still runs";
}

TEST_F(CommandsTest, WithDescendantsAChildMadeLaterIsRecordedAndOtherWindowsOfTheThreadAreNot)
{
    InitProgramFolder();
    const HWND window = Target->Window("commands");
    msglog::MessageLogSession session;
    ASSERT_EQ(session.Start(window, true, ProgramFolder), msglog::StartFailure::None);
    const auto later = reinterpret_cast<HWND>(SendTo(window, NewChildMessage, 0));
    ASSERT_TRUE(::IsWindow(later));
    for (const HWND to : {Target->Window("commands.edit"), later, Target->Window("slow")})
        ASSERT_EQ(SendTo(to, QueryMessage + 0x100, 5, 0), 0);
    std::vector<msglog::LogRecord> records;
    ASSERT_TRUE(lvxtest::WaitFor([&] {
        session.Poll(records, 100000);
        return OfMessage(records, QueryMessage + 0x100).size() >= 4;
    }));
    session.Stop(&records);
    const auto marked = OfMessage(records, QueryMessage + 0x100);
    ASSERT_EQ(marked.size(), 4u);  // sent and returned, to the edit and to the child made later
    EXPECT_EQ(marked[0].Window, reinterpret_cast<uintptr_t>(Target->Window("commands.edit")));
    EXPECT_EQ(marked[2].Window, reinterpret_cast<uintptr_t>(later));
    ::PostMessageA(later, WM_CLOSE, 0, 0);
}

// A process watch of `target` under way: a window that a new thread of it makes is recorded
// (the thread is hooked once the heartbeat finds it), and the list of threads grew by one.
void ExpectAThreadThatComesLaterRecorded(msglog::MessageLogSession& session, const TargetProcess& target)
{
    const size_t first = session.WatchedThreadCount();
    const auto later = reinterpret_cast<HWND>(SendTo(target.Window("control"), NewThreadWindowMessage, 0));
    ASSERT_TRUE(::IsWindow(later));
    std::vector<msglog::LogRecord> records;
    const auto fromLater = [&] {
        return std::count_if(records.begin(), records.end(), [&](const msglog::LogRecord& record) {
            return record.Message == QueryMessage + 0x100 && (record.Window & 0xFFFFFFFF) == HandleValue(later);
        });
    };
    EXPECT_TRUE(lvxtest::WaitFor([&] {
        (void)SendTo(later, QueryMessage + 0x100, 1);
        session.Poll(records, 100000);
        return fromLater() >= 2;
    }));
    EXPECT_EQ(session.WatchedThreadCount(), first + 1);
    EXPECT_FALSE(session.ThreadsLeftOut());
}

msglog::WatchScope ProcessScope(const TargetProcess& target)
{
    msglog::WatchScope scope;
    scope.What = msglog::WatchScope::Kind::Process;
    scope.ProcessId = target.ProcessId();
    return scope;
}

TEST_F(CommandsTest, AProcessWatchHooksThreadsThatComeLaterUpToItsLimitAndSaysWhenThereAreMore)
{
    InitProgramFolder();
    TargetProcess target({"commands"});
    ASSERT_TRUE(target.Ready());
    msglog::MessageLogSession session;
    ASSERT_EQ(session.Start(ProcessScope(target), ProgramFolder, msglog::DefaultRingCapacity,
                            msglog::HookPlacement::ThroughHelper),
              msglog::StartFailure::None);
    ASSERT_EQ(session.WaitForHooks(15000), msglog::StartFailure::None);
    ExpectAThreadThatComesLaterRecorded(session, target);
    session.Stop();

    // More threads own windows than can be hooked: the first ones are, and the log says so.
    for (size_t made = 2; made <= msglog::MaxWatchedThreads; ++made)
        ASSERT_TRUE(::IsWindow(reinterpret_cast<HWND>(SendTo(target.Window("control"), NewThreadWindowMessage, 0))));
    const std::vector<MessageName> names;
    TMessageLogForm log(ProgramFolder, names);
    log.ShowWatching(nullptr, ProcessScope(target));
    ASSERT_TRUE(log.Session().Active()) << log.StatusText();
    EXPECT_EQ(log.Session().Threads().size(), msglog::MaxWatchedThreads);
    EXPECT_TRUE(log.Session().ThreadsLeftOut());
    EXPECT_TRUE(lvxtest::WaitFor([&] {
        log.PollRecords();
        return log.StatusText().find("но не всех его потоков") != std::string::npos;
    })) << log.StatusText();
    EXPECT_EQ(Ask(target.Window("commands"), Visible), 1);
    log.StopClick();
}

TEST_F(CommandsTest, AHookThatFoundNoSectionTriesAgainAndAFreedHookLetsItsSectionGo)
{
    InitProgramFolder();
    // A program hooked before its section exists: the hook finds none, and finds it later.
    TargetProcess target({"commands"});
    ASSERT_TRUE(target.Ready());
    const HWND window = target.Window("commands");
    {
        msglog::InstalledHooks early;
        DWORD error = 0;
        const DWORD thread = ::GetWindowThreadProcessId(window, nullptr);
        ASSERT_TRUE(early.Install(ProgramFolder + msglog::HookDllName(sizeof(void*) == 8),
                                  std::span<const DWORD>(&thread, 1), error));
        ASSERT_TRUE(RunSequence(window, 1));
    }
    msglog::MessageLogSession session;
    ASSERT_EQ(session.Start(window, false, ProgramFolder), msglog::StartFailure::None);
    std::vector<msglog::LogRecord> records;
    EXPECT_TRUE(lvxtest::WaitFor([&] {
        if (!RunSequence(window, 1)) return false;
        session.Poll(records, 100000);
        return !OfMessage(records, SequencePosted).empty();
    }, 10000)) << "the hook never opened the section";
    session.Stop();

    // Hooks on a window of this very process: once they are gone and the DLL is freed, nothing
    // keeps the section (a view and a handle in the watched program for every watch otherwise).
    const HWND own = ::CreateWindowExA(0, "STATIC", "own", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(own, nullptr);
    ASSERT_EQ(session.Start(own, false, ProgramFolder), msglog::StartFailure::None);
    ::SendMessageA(own, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("recorded"));
    records.clear();
    session.Poll(records, 100000);
    EXPECT_FALSE(OfMessage(records, WM_SETTEXT).empty());
    session.Stop();
    ::DestroyWindow(own);
    char name[64];
    msglog::FormatSectionName(name, ::GetCurrentProcessId());
    const lvc::unique_kernel_handle left(::OpenFileMappingA(FILE_MAP_READ, FALSE, name));
    EXPECT_FALSE(left) << "the freed hook DLL kept the section";
}

TEST_F(CommandsTest, AProgramOfTheOtherBitnessIsWatchedThroughTheHelperOrToldImpossible)
{
    InitProgramFolder();
    const std::string other = lvxtest::OtherBitnessTarget();
    if (other.empty()) GTEST_SKIP() << "lvxtarget-other.exe is not beside the tests";
    TargetProcess target({"commands"}, other);
    ASSERT_TRUE(target.Ready());
    const HWND window = target.Window("commands");
    msglog::MessageLogSession session;
    const msglog::StartFailure failure = session.Start(window, true, ProgramFolder);
    if (sizeof(void*) == 4) {
        // No 32-bit program can set hooks in a 64-bit one.
        EXPECT_EQ(failure, msglog::StartFailure::NoHelper);
        return;
    }
    ASSERT_EQ(failure, msglog::StartFailure::None);
    ASSERT_EQ(session.WaitForHooks(15000), msglog::StartFailure::None);
    ASSERT_TRUE(RunSequence(window, 5));
    std::vector<msglog::LogRecord> records;
    ASSERT_TRUE(lvxtest::WaitFor([&] {
        session.Poll(records, 100000);
        return OfMessage(records, SequencePosted).size() >= 5;
    }));
    ExpectSequence(records, 5, false);
    // The whole process, through the helper of its bitness.
    ASSERT_EQ(session.Start(ProcessScope(target), ProgramFolder), msglog::StartFailure::None);
    ASSERT_EQ(session.WaitForHooks(15000), msglog::StartFailure::None);
    ExpectAThreadThatComesLaterRecorded(session, target);
}

}  // namespace
