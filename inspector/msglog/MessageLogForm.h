// The message log window: what the inspected window (and its descendants), or every window of a
// thread or of a process, receives, live, with every record that could not be kept counted.
#pragma once

#include "core/Handles.h"
#include "core/Hints.h"
#include "core/Window.h"
#include "language/MultiLang.h"
#include "msglog/MessageLogSession.h"
#include "msglog/MessageLogText.h"
#include "tools/ToolWindows.h"

#include <commctrl.h>

#include <map>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace lvx {

namespace MessageLogIds {
constexpr int StartButtonId = 7001;
constexpr int StopButtonId = 7002;
constexpr int PauseButtonId = 7003;
constexpr int ClearButtonId = 7004;
constexpr int SaveButtonId = 7005;
constexpr int DescendantsCheckId = 7006;
constexpr int FilterModeComboId = 7007;
constexpr int FilterMessagesEditId = 7008;
constexpr int FilterGroupCheckFirstId = 7010;  // five, in MessageGroup's bit order
constexpr int ApplyFilterButtonId = 7020;
constexpr int LimitEditId = 7021;
constexpr int KeptEditId = 7022;
constexpr int RingDropsEditId = 7023;
constexpr int LimitDropsEditId = 7024;
constexpr int FilteredEditId = 7025;
constexpr int StatusLabelId = 7026;
constexpr int RecordListId = 7027;
constexpr int FilterWindowsEditId = 7028;
constexpr int FilterWindowsLabelId = 7029;
constexpr int CaptionLabelFirstId = 7030;  // the captions of the limit and of the four counts
}  // namespace MessageLogIds

class TMessageLogForm : public Window {
public:
    // `folder` holds the hook DLLs and the helper program; `names` are the message names the
    // filter reads and the list shows (kept by whoever made the window, and read when used).
    TMessageLogForm(std::string folder, const std::vector<MessageName>& names);
    ~TMessageLogForm() override;

    // Creates the window (hidden); false when the system refused.
    bool FormCreate(HWND owner);
    // Shows the window for `window`, the inspected one; a watch under way goes on.
    void ShowFor(HWND owner, HWND window);
    // The inspected window changed: Start watches the new one (a watch under way goes on).
    void FollowWindow(HWND window);
    // Shows the window and watches `scope` at once (a watch under way ends first, its records
    // stay in the list).
    void ShowWatching(HWND owner, const msglog::WatchScope& scope);

    // The controls' actions.
    void StartClick();
    void StopClick();
    void PauseClick();
    void ClearClick();
    void SaveClick();
    // False (and said in the status line) when the filter names an unknown message or a word
    // that is no window.
    bool ApplyFilterClick();
    void LimitChange();
    // Takes what the hooks recorded since the last call (the timer calls it too).
    void PollRecords();
    // Writes the kept records to `path`, one a line; false when the file cannot be written.
    [[nodiscard]] bool SaveToFile(const std::string& path) const;

    // What tests and the list read back.
    [[nodiscard]] const msglog::LogStore& Store() const noexcept { return store_; }
    [[nodiscard]] msglog::MessageRing::Counts RingCounts() const noexcept { return ringCounts_; }
    [[nodiscard]] uint64_t FilteredOut() const noexcept { return filteredOut_; }
    [[nodiscard]] msglog::MessageLogSession& Session() noexcept { return session_; }
    [[nodiscard]] std::string StatusText() const;
    [[nodiscard]] std::string Cell(size_t item, size_t column) const;
    // The texts a language file replaces that are shown only on occasion: the kinds, the missing
    // result and the sentences of the status line.
    [[nodiscard]] std::vector<std::string> OccasionalTexts() const;
    [[nodiscard]] std::vector<TranslationTarget> TranslationTargets();

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    enum Sentence {
        Watching, Stopped, NoWindow, ProcessClosed, NoHelper, HookRefused, SectionFailed, BadFilter, HeartbeatLost,
        Connecting, NotRecording, WatchedElsewhere, HelperTimedOut, WatchingThread, WatchingProcess, WatchingPartly,
        ConnectingThread, ConnectingProcess, NoThreads, BadWindow, SentenceCount
    };
    // The sentences and their argument for what the watch covers.
    [[nodiscard]] Sentence WatchingSentence() const;
    [[nodiscard]] Sentence ConnectingSentence() const;
    [[nodiscard]] std::string ScopeText() const;
    // The class of a window, read once (GetClassNameA sends nothing) and kept; empty when unknown.
    [[nodiscard]] std::string ClassOf(uint64_t window) const;
    // The columns but the decoded one as wide as their titles and the widest texts they hold
    // (the window and message columns: also the widest that arrived).
    void FitColumns();
    [[nodiscard]] int ListTextWidth(const std::string& text) const;
    // The decoded column takes the width the others leave.
    void FitDecodedColumn();
    // Notes how wide the window and message texts of a kept record are, once per window and message.
    void MeasureArrival(const msglog::LogRecord& record);
    // Measures every kept record again (after the font changed).
    void MeasureKept();
    // Widens the window and message columns to what arrived; true when one grew.
    bool GrowColumns();
    void CreateControls();
    // Ends the watch (taking its last records) and puts the buttons back.
    void EndWatch();
    // Keeps what arrived (as the filter says) and shows it, the list at most every RedrawInterval.
    void TakeArrivals(bool now);
    // While the watch starts: the helper's hooks, then a first message counted within a second.
    void FollowStart();
    // The sentence of a watch that did not start.
    void ShowFailure(msglog::StartFailure failure);
    HWND AddControl(const char* className, const char* text, DWORD style, int id, DWORD exStyle = 0);
    // Controls side by side that wrap to the next row together; with `Least` set, the last one
    // (a field) may narrow until the piece is that wide when the row is narrower than the piece.
    struct Piece {
        std::vector<std::pair<HWND, int>> Parts;
        int Least = 0;
    };
    [[nodiscard]] int TextWidth(HWND control) const;
    [[nodiscard]] std::vector<std::vector<Piece>> ControlRows() const;
    // Lays the control rows out for a client `width` (moving them when `apply`); returns the
    // bottom of the last row.
    int FlowControls(int width, bool apply) const;
    [[nodiscard]] int StatusHeight(int width) const;
    // The least client area that holds every piece and a few rows of the list.
    [[nodiscard]] SIZE LeastClientSize() const;
    [[nodiscard]] SIZE LeastWindowSize() const;
    void FitBeside(HWND owner);
    void Layout();
    void ShowCounts();
    void SetStatus(Sentence sentence, const std::string& argument = {});
    void CommandClick(int id);
    void DisplayInfo(NMLVDISPINFOA& info);
    [[nodiscard]] int Scaled(int value) const { return ScaleForDpi(value, dpi_); }
    void ApplyFont();

    std::string folder_;
    const std::vector<MessageName>& names_;
    msglog::WatchScope scope_;  // what is watched, or to be watched on Start
    UINT dpi_ = 96;
    msglog::MessageLogSession session_;
    msglog::LogStore store_{100000};
    msglog::MessageFilter filter_;
    msglog::MessageNamer namer_;
    msglog::RecordWords words_;
    msglog::MessageRing::Counts ringCounts_;
    uint64_t filteredOut_ = 0;
    bool resultsKnown_ = true;
    std::vector<msglog::LogRecord> arrivals_;
    bool listBehind_ = false;      // records kept that the list does not show yet
    ULONGLONG lastRedraw_ = 0;     // tick count of the list's last update
    ULONGLONG checkDeadline_ = 0;  // 0 until the first message is asked for
    std::string sentences_[SentenceCount];
    std::string columnTitles_[9];
    bool wideParameters_ = sizeof(void*) == 8;  // the watched program's parameters are 64 bits wide
    // Classes by window handle, bounded: emptied when full and at every start.
    mutable std::unordered_map<uint64_t, std::string> classNames_;
    // The widest window and message texts that arrived, in the list's font, and what was measured
    // (bounded: emptied when full, and measured again).
    int arrivedWidths_[2] = {};
    std::unordered_set<uint64_t> measuredWindows_;
    std::unordered_set<uint32_t> measuredMessages_;
    std::string filterModes_[2];
    Sentence status_ = Stopped;
    std::string statusArgument_;
    mutable std::string cellText_;
    // The list asks for a row cell by cell: the row's columns are made once and kept until the
    // store changes (storeVersion_ counts its changes).
    uint64_t storeVersion_ = 0;
    mutable uint64_t cachedVersion_ = ~uint64_t{0};
    mutable size_t cachedItem_ = 0;
    mutable std::vector<std::string> cachedColumns_;
    Hints hints_;
    unique_gdi font_;
    ToolPlace place_;  // where the user last put the window

public:
    // The controls, public for the tests that press them and read them back.
    HWND startButton_ = nullptr, stopButton_ = nullptr, pauseCheck_ = nullptr, clearButton_ = nullptr,
         saveButton_ = nullptr, descendantsCheck_ = nullptr, filterModeCombo_ = nullptr, filterMessagesEdit_ = nullptr,
         applyFilterButton_ = nullptr, limitEdit_ = nullptr, statusLabel_ = nullptr, recordList_ = nullptr,
         filterWindowsLabel_ = nullptr, filterWindowsEdit_ = nullptr;
    HWND groupChecks_[5] = {};
    HWND countEdits_[4] = {};     // kept, dropped in the ring, dropped by the limit, filtered out
    HWND countCaptions_[5] = {};  // the limit's caption, then the four counts'
};

}  // namespace lvx
