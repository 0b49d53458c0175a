// The message log window: start, pause, stop, clear, save, the filter, the limit, every count,
// and the records in a list that asks for the rows it shows (a million cost no more than a page).
#include "MessageLogForm.h"

#include "core/TextFiles.h"
#include "core/UNI_Processes.h"
#include "core/UNI_Strings.h"
#include "language/MessageTable.h"
#include "tools/ToolPlacement.h"

#include <commctrl.h>

#include <algorithm>

namespace lvx {

using namespace msglog;
using namespace MessageLogIds;

namespace {

constexpr char FormClass[] = "TMessageLogForm";
constexpr char ApplicationTitle[] = "Narvolt Lumivex";
constexpr UINT_PTR PollTimer = 1;
constexpr UINT PollInterval = 50;     // ms: the ring holds far more than arrives in this time
constexpr ULONGLONG RedrawInterval = 100;  // ms: the list and the counts are shown anew at most this often
constexpr ULONGLONG CheckMs = 1000;   // a first message must be counted within this time
constexpr size_t PollBatch = 1u << 17;
// The window's own size at 96 DPI: wide enough for every column at its texts' width and a
// decoded column wider than its least, parameters of 64 bits and results included.
constexpr int DefaultWidth = 1040, DefaultHeight = 560;
// The decoded column's width at 96 DPI; it never gets less than half of it.
constexpr int DecodedWidth = 260;
constexpr size_t MaxClassNames = 4096;
// What the columns are fitted to beside their titles: the widest number, time, kind, and a
// handle with a common class; a message name as long as the common ones (the longest in
// messages.lst are more than twice as long, and rare): the window and message columns grow to
// longer ones as they arrive.
constexpr int WindowColumn = 2, MessageColumn = 4;
constexpr const char* WidestNumber = "00000000";
constexpr const char* WidestTime = "00000.000";
constexpr const char* WidestWindow = "00000000 SysTreeView32";
constexpr const char* WidestMessage = "WM_WINDOWPOSCHANGING";

HMENU ControlId(int id) { return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)); }

const char* const GroupCaptions[5] = {"Мышь", "Клавиатура", "Рисование", "Неклиентская область", "Уведомления"};
const char* const GroupKeys[5] = {"Mouse", "Keyboard", "Paint", "NonClient", "Notifications"};
const char* const CountCaptions[5] = {"Хранить записей", "Записей", "Потеряно в кольце", "Вытеснено пределом",
                                      "Отфильтровано"};
const char* const CountKeys[5] = {"Limit", "Kept", "RingDrops", "LimitDrops", "Filtered"};
// The parameters' titles are names of the API and have no key.
const char* const ColumnKeys[9] = {"ColNumber", "ColTime", "ColWindow", "ColKind", "ColMessage",
                                   nullptr,     nullptr,   "ColResult", "ColDecoded"};
const char* const SentenceKeys[] = {"Watching", "Stopped", "NoWindow", "ProcessClosed", "NoHelper",
                                    "HookRefused", "SectionFailed", "BadFilter", "HeartbeatLost", "Connecting",
                                    "NotRecording", "WatchedElsewhere", "HelperTimedOut", "WatchingThread",
                                    "WatchingProcess", "WatchingPartly", "ConnectingThread", "ConnectingProcess",
                                    "NoThreads", "BadWindow"};
static_assert(std::size(SentenceKeys) == 20);

}  // namespace

TMessageLogForm::TMessageLogForm(std::string folder, const std::vector<MessageName>& names)
    : folder_(std::move(folder)), names_(names), namer_(names), resultsKnown_(MessageLogSession::PlatformGivesResults()),
      sentences_{"Идет запись сообщений окна %s", "Запись остановлена", "Окно не существует: записывать нечего",
                 "Система не позволяет подключиться к процессу окна: он запущен с более высокими правами или защищен",
                 "Для программы этой разрядности нет помощника: сообщения ее окон записать нельзя",
                 "Система отказала в установке ловушки сообщений для этого окна",
                 "Не удалось создать общую память журнала", "Неизвестное сообщение в фильтре: %s",
                 "Запись прервана: инспектор слишком долго не отвечал, и ловушки сняли себя сами",
                 "Подключение к окну %s...",
                 "Ловушка установлена, но записи не приходят: окно не ответило за секунду, или его программа не может "
                 "открыть общую память журнала",
                 "Сообщения этой программы уже записывает другой запущенный инспектор",
                 "Помощник не установил ловушку вовремя: он остановлен, запись не начата",
                 "Идет запись сообщений всех окон потока %s", "Идет запись сообщений всех окон процесса %s",
                 "Идет запись сообщений процесса %s, но не всех его потоков: окнами владеет больше потоков, чем можно "
                 "отслеживать",
                 "Подключение к потоку %s...", "Подключение к процессу %s...",
                 "Поток или процесс завершен или не владеет ни одним окном: записывать нечего",
                 "В фильтре не окно: %s"},
      columnTitles_{"№", "Время, мс", "Окно", "Вид", "Сообщение", "wParam", "lParam", "Результат", "Расшифровка"},
      filterModes_{"Только выбранные", "Кроме выбранных"}
{
    words_ = RecordWords{"Отправлено", "Возврат", "Из очереди", "н/д", "(сообщение потока)"};
}

TMessageLogForm::~TMessageLogForm() { session_.Stop(); }

bool TMessageLogForm::FormCreate(HWND owner)
{
    if (Handle() != nullptr) return true;
    if (!RegisterWindowClass(FormClass, 0, ::GetSysColorBrush(COLOR_BTNFACE), ::LoadCursor(nullptr, IDC_ARROW),
                             nullptr))
        return false;
    dpi_ = owner != nullptr ? DpiOfWindow(owner) : 96;
    const RECT bounds{0, 0, Scaled(DefaultWidth), Scaled(DefaultHeight)};
    if (!CreateWindowObject(0, FormClass, "Журнал сообщений", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, bounds, owner,
                            nullptr))
        return false;
    hints_.Create(Handle());
    CreateControls();
    TranslateWindow("MessageLogForm", TranslationTargets());
    FitColumns();  // to the titles and words of the language
    SetStatus(Stopped);
    ShowCounts();
    FitBeside(owner);
    PlaceToolWindow(Handle(), owner, place_);
    Layout();
    return true;
}

void TMessageLogForm::ShowFor(HWND owner, HWND window)
{
    if (!FormCreate(owner)) return;
    FollowWindow(window);
    if (!::IsWindowVisible(Handle())) {
        if (!place_.MovedByUser && !::IsZoomed(Handle())) FitBeside(owner);
        PlaceToolWindow(Handle(), owner, place_);
    }
    ::ShowWindow(Handle(), SW_SHOW);
    ::SetForegroundWindow(Handle());
}

void TMessageLogForm::FollowWindow(HWND window)
{
    if (session_.Active()) return;
    scope_ = WatchScope{};
    scope_.Window = window;
}

void TMessageLogForm::ShowWatching(HWND owner, const WatchScope& scope)
{
    ShowFor(owner, scope.Window);
    if (Handle() == nullptr) return;
    if (session_.Active()) EndWatch();
    scope_ = scope;
    StartClick();
}

// The window's own size where the work area has room, else what the room beside the main window
// allows (never below the least size).
void TMessageLogForm::FitBeside(HWND owner)
{
    RECT main{};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (owner == nullptr || !::GetWindowRect(owner, &main) ||
        !::GetMonitorInfoA(::MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor))
        return;
    const SIZE least = LeastWindowSize();
    const PlaceSize size = FitToolSize({main.left, main.top, main.right, main.bottom}, {Scaled(DefaultWidth), Scaled(DefaultHeight)},
                                       {least.cx, least.cy},
                                       {monitor.rcWork.left, monitor.rcWork.top, monitor.rcWork.right,
                                        monitor.rcWork.bottom});
    ::SetWindowPos(Handle(), nullptr, 0, 0, size.Width, size.Height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

SIZE TMessageLogForm::LeastWindowSize() const
{
    const SIZE least = LeastClientSize();
    RECT frame{0, 0, least.cx, least.cy};
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongA(Handle(), GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongA(Handle(), GWL_EXSTYLE)));
    return SIZE{frame.right - frame.left, frame.bottom - frame.top};
}

HWND TMessageLogForm::AddControl(const char* className, const char* text, DWORD style, int id, DWORD exStyle)
{
    const HWND control = ::CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                                           Handle(), ControlId(id), ProgramInstance(), nullptr);
    ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    return control;
}

// The controls' font at the window's DPI, given to every control (again after a DPI change).
void TMessageLogForm::ApplyFont()
{
    font_.reset(::CreateFontA(-Scaled(11), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, "Tahoma"));
    for (HWND child = ::GetWindow(Handle(), GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT))
        ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
}

void TMessageLogForm::CreateControls()
{
    ApplyFont();
    constexpr DWORD button = WS_TABSTOP | BS_PUSHBUTTON;
    startButton_ = AddControl("BUTTON", "Начать", button, StartButtonId);
    stopButton_ = AddControl("BUTTON", "Остановить", button | WS_DISABLED, StopButtonId);
    pauseCheck_ = AddControl("BUTTON", "Пауза", WS_TABSTOP | BS_AUTOCHECKBOX | BS_PUSHLIKE | WS_DISABLED, PauseButtonId);
    clearButton_ = AddControl("BUTTON", "Очистить", button, ClearButtonId);
    saveButton_ = AddControl("BUTTON", "Сохранить...", button, SaveButtonId);
    descendantsCheck_ = AddControl("BUTTON", "И дочерние окна", WS_TABSTOP | BS_AUTOCHECKBOX, DescendantsCheckId);
    filterModeCombo_ = AddControl("COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, FilterModeComboId);
    for (const std::string& mode : filterModes_)
        ::SendMessageA(filterModeCombo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(mode.c_str()));
    ::SendMessageA(filterModeCombo_, CB_SETCURSEL, 0, 0);
    filterMessagesEdit_ = AddControl("EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, FilterMessagesEditId, WS_EX_CLIENTEDGE);
    hints_.SetHint(filterMessagesEdit_, "Имена или номера сообщений через пробел");
    filterWindowsLabel_ = AddControl("STATIC", "Окна:", SS_RIGHT | SS_CENTERIMAGE | SS_NOPREFIX, FilterWindowsLabelId);
    filterWindowsEdit_ = AddControl("EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, FilterWindowsEditId, WS_EX_CLIENTEDGE);
    hints_.SetHint(filterWindowsEdit_, "Хэндлы (шестнадцатеричные) или классы окон через пробел");
    for (int i = 0; i < 5; ++i)
        groupChecks_[i] = AddControl("BUTTON", GroupCaptions[i], WS_TABSTOP | BS_AUTOCHECKBOX, FilterGroupCheckFirstId + i);
    applyFilterButton_ = AddControl("BUTTON", "Применить фильтр", button, ApplyFilterButtonId);
    for (int i = 0; i < 5; ++i)
        countCaptions_[i] = AddControl("STATIC", CountCaptions[i], SS_RIGHT | SS_CENTERIMAGE | SS_NOPREFIX,
                                       CaptionLabelFirstId + i);
    limitEdit_ = AddControl("EDIT", std::to_string(store_.Limit()).c_str(), WS_TABSTOP | ES_NUMBER | ES_AUTOHSCROLL,
                            LimitEditId, WS_EX_CLIENTEDGE);
    const int countIds[4] = {KeptEditId, RingDropsEditId, LimitDropsEditId, FilteredEditId};
    for (int i = 0; i < 4; ++i)
        countEdits_[i] = AddControl("EDIT", "0", ES_READONLY | ES_AUTOHSCROLL, countIds[i], WS_EX_CLIENTEDGE);
    statusLabel_ = AddControl("STATIC", "", SS_LEFT | SS_NOPREFIX, StatusLabelId);
    recordList_ = AddControl(WC_LISTVIEWA, "",
                             WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS,
                             RecordListId, WS_EX_CLIENTEDGE);
    ::SendMessageA(recordList_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER,
                   LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    for (int i = 0; i < 9; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.cx = Scaled(i == 8 ? DecodedWidth : 80);
        column.pszText = columnTitles_[i].data();
        column.iSubItem = i;
        ::SendMessageA(recordList_, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
    FitColumns();
}

int TMessageLogForm::ListTextWidth(const std::string& text) const
{
    return static_cast<int>(::SendMessageA(recordList_, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(text.c_str())));
}

void TMessageLogForm::FitColumns()
{
    if (recordList_ == nullptr) return;
    const auto width = [this](const std::string& text) { return ListTextWidth(text); };
    const std::string parameter(wideParameters_ ? 16 : 8, '0');
    const std::vector<std::string> widest[8] = {
        {WidestNumber},
        {WidestTime},
        {WidestWindow, words_.NoWindow},
        {words_.Sent, words_.Returned, words_.Posted},
        {WidestMessage},
        {parameter},
        {parameter},
        {resultsKnown_ ? parameter : words_.NoResult},
    };
    // The list's own padding of a cell's text; the first column's is wider.
    for (int i = 0; i < 8; ++i) {
        int cell = width(columnTitles_[i]) + Scaled(14);
        for (const std::string& text : widest[i]) cell = std::max(cell, width(text) + Scaled(i == 0 ? 16 : 14));
        if (i == WindowColumn || i == MessageColumn)
            cell = std::max(cell, arrivedWidths_[i == WindowColumn ? 0 : 1] + Scaled(14));
        ::SendMessageA(recordList_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(i), cell);
    }
    Layout();
}

void TMessageLogForm::MeasureArrival(const LogRecord& record)
{
    constexpr size_t MaxMeasured = MaxClassNames;
    if (measuredWindows_.size() >= MaxMeasured) measuredWindows_.clear();
    if (measuredMessages_.size() >= MaxMeasured) measuredMessages_.clear();
    if (measuredWindows_.insert(record.Window).second)
        arrivedWidths_[0] = std::max(arrivedWidths_[0], ListTextWidth(WindowCell(record.Window, ClassOf(record.Window), words_)));
    if (measuredMessages_.insert(record.Message).second)
        arrivedWidths_[1] = std::max(arrivedWidths_[1], ListTextWidth(namer_.NameOf(record.Message)));
}

void TMessageLogForm::MeasureKept()
{
    arrivedWidths_[0] = arrivedWidths_[1] = 0;
    measuredWindows_.clear();
    measuredMessages_.clear();
    for (size_t i = 0; i < store_.Size(); ++i) MeasureArrival(store_.At(i));
}

bool TMessageLogForm::GrowColumns()
{
    bool grew = false;
    for (const int column : {WindowColumn, MessageColumn}) {
        const int needed = arrivedWidths_[column == WindowColumn ? 0 : 1] + Scaled(14);
        if (needed <= static_cast<int>(::SendMessageA(recordList_, LVM_GETCOLUMNWIDTH, column, 0))) continue;
        ::SendMessageA(recordList_, LVM_SETCOLUMNWIDTH, column, needed);
        grew = true;
    }
    if (grew) FitDecodedColumn();
    return grew;
}

int TMessageLogForm::TextWidth(HWND control) const
{
    std::string text = GetControlText(control);
    std::erase(text, '&');
    const HDC dc = ::GetDC(Handle());
    if (dc == nullptr) return 0;
    const HGDIOBJ old = ::SelectObject(dc, font_.get());
    SIZE size{};
    ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    ::SelectObject(dc, old);
    ::ReleaseDC(Handle(), dc);
    return size.cx;
}

// The control rows, each a list of pieces that wrap as a whole: the buttons, the filter, the counts
// (each caption with its field).
std::vector<std::vector<TMessageLogForm::Piece>> TMessageLogForm::ControlRows() const
{
    const int check = ::GetSystemMetrics(SM_CXMENUCHECK) + Scaled(10);
    const auto button = [&](HWND control) { return Piece{{{control, std::max(Scaled(80), TextWidth(control) + Scaled(20))}}}; };
    std::vector<std::vector<Piece>> rows(3);
    for (HWND control : {startButton_, stopButton_, pauseCheck_, clearButton_, saveButton_})
        rows[0].push_back(button(control));
    rows[0].push_back(Piece{{{descendantsCheck_, TextWidth(descendantsCheck_) + check}}});
    int modeWidth = 0;
    const HDC dc = ::GetDC(Handle());
    if (dc != nullptr) {
        const HGDIOBJ old = ::SelectObject(dc, font_.get());
        for (const std::string& mode : filterModes_) {
            SIZE size{};
            ::GetTextExtentPoint32A(dc, mode.c_str(), static_cast<int>(mode.size()), &size);
            modeWidth = std::max<int>(modeWidth, size.cx);
        }
        ::SelectObject(dc, old);
        ::ReleaseDC(Handle(), dc);
    }
    rows[1].push_back(Piece{{{filterModeCombo_, modeWidth + ::GetSystemMetrics(SM_CXVSCROLL) + Scaled(14)}}});
    rows[1].push_back(Piece{{{filterMessagesEdit_, Scaled(230)}}, Scaled(100)});
    rows[1].push_back(Piece{{{filterWindowsLabel_, TextWidth(filterWindowsLabel_) + Scaled(4)},
                             {filterWindowsEdit_, Scaled(150)}},
                            TextWidth(filterWindowsLabel_) + Scaled(4 + 4 + 80)});
    for (HWND control : groupChecks_) rows[1].push_back(Piece{{{control, TextWidth(control) + check}}});
    rows[1].push_back(button(applyFilterButton_));
    for (int i = 0; i < 5; ++i)
        rows[2].push_back(Piece{{{countCaptions_[i], TextWidth(countCaptions_[i]) + Scaled(4)},
                                 {i == 0 ? limitEdit_ : countEdits_[i - 1], Scaled(70)}}});
    return rows;
}

int TMessageLogForm::FlowControls(int width, bool apply) const
{
    const int margin = Scaled(6), gap = Scaled(4), rowHeight = Scaled(24);
    int x = margin, y = margin;
    bool rowEmpty = true;
    const auto newRow = [&] {
        if (!rowEmpty) y += rowHeight + gap;
        x = margin;
        rowEmpty = true;
    };
    for (const std::vector<Piece>& row : ControlRows()) {
        newRow();
        for (const Piece& piece : row) {
            int needed = -gap;
            for (const auto& part : piece.Parts) needed += part.second + gap;
            if (!rowEmpty && x + needed > width - margin) newRow();
            // A piece wider than the whole row: its field gives way down to its least width.
            const int shrink = piece.Least > 0 ? std::clamp(x + needed - (width - margin), 0, needed - piece.Least) : 0;
            for (const auto& [control, partWidth] : piece.Parts) {
                const int w = partWidth - (control == piece.Parts.back().first ? shrink : 0);  // the field gives way
                if (apply) {
                    const bool pressable = control == startButton_ || control == stopButton_ || control == pauseCheck_ ||
                                           control == clearButton_ || control == saveButton_ ||
                                           control == applyFilterButton_;
                    const int height = control == filterModeCombo_ ? Scaled(200) : pressable ? rowHeight : Scaled(22);
                    ::MoveWindow(control, x, pressable ? y : y + (rowHeight - Scaled(22)) / 2, w, height, TRUE);
                }
                x += w + gap;
            }
            x += Scaled(6);
            rowEmpty = false;
        }
    }
    newRow();
    return y;
}

// The status sentence wraps: its height for the width.
int TMessageLogForm::StatusHeight(int width) const
{
    const std::string text = GetControlText(statusLabel_);
    const HDC dc = ::GetDC(Handle());
    if (dc == nullptr) return Scaled(20);
    const HGDIOBJ old = ::SelectObject(dc, font_.get());
    RECT lines{0, 0, std::max(1, width), 0};
    ::DrawTextA(dc, text.c_str(), -1, &lines, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    ::SelectObject(dc, old);
    ::ReleaseDC(Handle(), dc);
    return std::max<int>(Scaled(20), lines.bottom + Scaled(2));
}

SIZE TMessageLogForm::LeastClientSize() const
{
    int widest = Scaled(300);
    for (const std::vector<Piece>& row : ControlRows())
        for (const Piece& piece : row) {
            int width = -Scaled(4);
            for (const auto& part : piece.Parts) width += part.second + Scaled(4);
            if (piece.Least > 0) width = std::min(width, piece.Least);
            widest = std::max(widest, width + Scaled(12));
        }
    return SIZE{widest, FlowControls(widest, false) + StatusHeight(widest - Scaled(12)) + Scaled(90)};
}

void TMessageLogForm::Layout()
{
    if (recordList_ == nullptr) return;
    RECT client{};
    ::GetClientRect(Handle(), &client);
    const int margin = Scaled(6), width = std::max<int>(client.right, LeastClientSize().cx);
    const int statusTop = FlowControls(width, true);
    const int statusHeight = StatusHeight(width - 2 * margin);
    ::MoveWindow(statusLabel_, margin, statusTop, width - 2 * margin, statusHeight, TRUE);
    const int listTop = statusTop + statusHeight + Scaled(4);
    ::MoveWindow(recordList_, margin, listTop, std::max<int>(0, client.right - 2 * margin),
                 std::max<int>(0, client.bottom - listTop - margin), TRUE);
    FitDecodedColumn();
    // A list that grows keeps its scroll position only as far as the new page allows, and the
    // system repaints just the uncovered part: every row is drawn anew.
    ::RedrawWindow(recordList_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// Room is kept for the vertical scroll bar to come.
void TMessageLogForm::FitDecodedColumn()
{
    RECT listClient{};
    ::GetClientRect(recordList_, &listClient);
    int others = 0;
    for (int i = 0; i < 8; ++i)
        others += static_cast<int>(::SendMessageA(recordList_, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(i), 0));
    const int scrollBar = (::GetWindowLongA(recordList_, GWL_STYLE) & WS_VSCROLL) ? 0 : ::GetSystemMetrics(SM_CXVSCROLL);
    ::SendMessageA(recordList_, LVM_SETCOLUMNWIDTH, 8,
                   std::max(Scaled(DecodedWidth) / 2, static_cast<int>(listClient.right) - others - scrollBar));
}

std::vector<TranslationTarget> TMessageLogForm::TranslationTargets()
{
    const auto caption = [](HWND control) {
        return [control](const std::string& text) { ::SetWindowTextA(control, text.c_str()); };
    };
    const auto into = [](std::string& stored) { return [&stored](const std::string& text) { stored = text; }; };
    std::vector<TranslationTarget> targets{
        {"Caption", caption(Handle())},
        {"Start", caption(startButton_)},
        {"Stop", caption(stopButton_)},
        {"Pause", caption(pauseCheck_)},
        {"Clear", caption(clearButton_)},
        {"Save", caption(saveButton_)},
        {"Descendants", caption(descendantsCheck_)},
        {"FilterHint", [this](const std::string& text) { hints_.SetHint(filterMessagesEdit_, text); }},
        {"ApplyFilter", caption(applyFilterButton_)},
        {"Sent", into(words_.Sent)},
        {"Returned", into(words_.Returned)},
        {"Posted", into(words_.Posted)},
        {"NoResult", into(words_.NoResult)},
        {"ThreadMessage", into(words_.NoWindow)},
        {"Windows", caption(filterWindowsLabel_)},
        {"WindowsHint", [this](const std::string& text) { hints_.SetHint(filterWindowsEdit_, text); }},
    };
    for (int i = 0; i < 2; ++i)
        targets.push_back({i == 0 ? "Include" : "Exclude", [this, i](const std::string& text) {
                               filterModes_[i] = text;
                               const auto selected = ::SendMessageA(filterModeCombo_, CB_GETCURSEL, 0, 0);
                               ::SendMessageA(filterModeCombo_, CB_DELETESTRING, static_cast<WPARAM>(i), 0);
                               ::SendMessageA(filterModeCombo_, CB_INSERTSTRING, static_cast<WPARAM>(i),
                                              reinterpret_cast<LPARAM>(text.c_str()));
                               ::SendMessageA(filterModeCombo_, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
                           }});
    for (int i = 0; i < 5; ++i) targets.push_back({GroupKeys[i], caption(groupChecks_[i])});
    for (int i = 0; i < 5; ++i) targets.push_back({CountKeys[i], caption(countCaptions_[i])});
    for (int i = 0; i < 9; ++i) {
        if (ColumnKeys[i] == nullptr) continue;
        targets.push_back({ColumnKeys[i], [this, i](const std::string& text) {
                               columnTitles_[i] = text;
                               LVCOLUMNA column{};
                               column.mask = LVCF_TEXT;
                               column.pszText = columnTitles_[i].data();
                               ::SendMessageA(recordList_, LVM_SETCOLUMNA, static_cast<WPARAM>(i),
                                              reinterpret_cast<LPARAM>(&column));
                           }});
    }
    for (int i = 0; i < SentenceCount; ++i) targets.push_back({SentenceKeys[i], into(sentences_[i])});
    return targets;
}

std::vector<std::string> TMessageLogForm::OccasionalTexts() const
{
    std::vector<std::string> texts{words_.Sent, words_.Returned, words_.Posted, words_.NoResult, words_.NoWindow};
    texts.insert(texts.end(), std::begin(sentences_), std::end(sentences_));
    return texts;
}

void TMessageLogForm::SetStatus(Sentence sentence, const std::string& argument)
{
    status_ = sentence;
    statusArgument_ = argument;
    SetControlText(statusLabel_, StatusText());
    Layout();  // a longer sentence takes more lines
}

std::string TMessageLogForm::StatusText() const { return FormatMessageText(sentences_[status_], statusArgument_); }

void TMessageLogForm::ShowCounts()
{
    const uint64_t counts[4] = {store_.Size(), ringCounts_.Dropped, store_.DroppedByLimit(), filteredOut_};
    for (int i = 0; i < 4; ++i) SetControlText(countEdits_[i], std::to_string(counts[i]));
}

void TMessageLogForm::StartClick()
{
    // A filter that cannot be read is said, and nothing starts with a filter the user did not mean.
    if (!ApplyFilterClick()) return;
    LimitChange();
    // A window's watch takes its descendants as the box says; a thread's or a process's all windows.
    if (scope_.What == WatchScope::Kind::Window || scope_.What == WatchScope::Kind::Descendants)
        scope_.What = ::SendMessageA(descendantsCheck_, BM_GETCHECK, 0, 0) == BST_CHECKED ? WatchScope::Kind::Descendants
                                                                                           : WatchScope::Kind::Window;
    classNames_.clear();  // handles of windows gone since may belong to others now
    // Watching its own thread, the log would record its own redrawing, which makes it redraw.
    const bool ownThreads = (scope_.What == WatchScope::Kind::Thread || scope_.What == WatchScope::Kind::Process) &&
                            scope_.ProcessId == ::GetCurrentProcessId();
    scope_.LeftOut = ownThreads ? Handle() : nullptr;
    const StartFailure failure = session_.Start(scope_, folder_);
    if (failure != StartFailure::None) {
        ShowFailure(failure);
        return;
    }
    if (session_.TargetWide() != wideParameters_) {
        wideParameters_ = session_.TargetWide();
        FitColumns();
    }
    ringCounts_ = {};
    checkDeadline_ = 0;
    SetStatus(ConnectingSentence(), ScopeText());
    ::EnableWindow(startButton_, FALSE);
    ::EnableWindow(stopButton_, TRUE);
    ::EnableWindow(pauseCheck_, TRUE);
    ::EnableWindow(descendantsCheck_, FALSE);
    ::SendMessageA(pauseCheck_, BM_SETCHECK, BST_UNCHECKED, 0);
    ::SetTimer(Handle(), PollTimer, PollInterval, nullptr);
    FollowStart();
}

void TMessageLogForm::ShowFailure(StartFailure failure)
{
    static constexpr Sentence sentences[] = {Watching,    NoWindow,      NoThreads,        ProcessClosed, NoHelper,
                                             HookRefused, SectionFailed, WatchedElsewhere, HelperTimedOut};
    SetStatus(sentences[static_cast<int>(failure)]);
}

TMessageLogForm::Sentence TMessageLogForm::WatchingSentence() const
{
    if (scope_.What == WatchScope::Kind::Thread) return WatchingThread;
    if (scope_.What != WatchScope::Kind::Process) return Watching;
    return session_.ThreadsLeftOut() ? WatchingPartly : WatchingProcess;
}

TMessageLogForm::Sentence TMessageLogForm::ConnectingSentence() const
{
    if (scope_.What == WatchScope::Kind::Thread) return ConnectingThread;
    return scope_.What == WatchScope::Kind::Process ? ConnectingProcess : Connecting;
}

// The window's handle; the thread's id; the process's image name and id.
std::string TMessageLogForm::ScopeText() const
{
    if (scope_.What == WatchScope::Kind::Thread) return std::to_string(scope_.ThreadId);
    if (scope_.What != WatchScope::Kind::Process)
        return FormatHandle(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(scope_.Window)));
    const std::string name = ProcessImageName(scope_.ProcessId);
    return (name.empty() ? std::string() : name + " ") + "(" + std::to_string(scope_.ProcessId) + ")";
}

std::string TMessageLogForm::ClassOf(uint64_t window) const
{
    if (window == 0) return {};
    const auto found = classNames_.find(window);
    if (found != classNames_.end()) return found->second;
    if (classNames_.size() >= MaxClassNames) classNames_.clear();
    char name[256] = {};
    const int length = ::GetClassNameA(reinterpret_cast<HWND>(static_cast<uintptr_t>(window)), name,
                                       static_cast<int>(std::size(name)));
    return classNames_.emplace(window, std::string(name, static_cast<size_t>(std::max(length, 0)))).first->second;
}

void TMessageLogForm::FollowStart()
{
    const bool connecting = status_ == Connecting || status_ == ConnectingThread || status_ == ConnectingProcess;
    if (!session_.Active() || (!connecting && status_ != NotRecording)) return;
    const std::optional<StartFailure> hooks = session_.HookStatus();
    if (!hooks) return;  // the helper is still at it
    if (*hooks != StartFailure::None) {
        EndWatch();
        ShowFailure(*hooks);
        return;
    }
    // The hooks are set; whether the watched program really writes is seen by a message sent
    // to the window (without waiting for it) being counted.
    if (session_.Totals().Attempted != 0) {
        SetStatus(WatchingSentence(), ScopeText());
        return;
    }
    if (checkDeadline_ == 0) {
        checkDeadline_ = ::GetTickCount64() + CheckMs;
        // A thread or process watch records what the thread gets without a window too.
        if (scope_.Window != nullptr)
            ::SendNotifyMessageA(scope_.Window, WM_NULL, 0, 0);
        else if (!session_.Threads().empty())
            ::PostThreadMessageA(session_.Threads().front(), WM_NULL, 0, 0);
    } else if (connecting && ::GetTickCount64() > checkDeadline_ && !session_.Paused()) {
        SetStatus(NotRecording);
    }
}

void TMessageLogForm::StopClick()
{
    EndWatch();
    SetStatus(Stopped);
}

void TMessageLogForm::EndWatch()
{
    ::KillTimer(Handle(), PollTimer);
    if (session_.Active()) {
        arrivals_.clear();
        session_.Stop(&arrivals_);
        ringCounts_ = session_.Totals();
        TakeArrivals(true);
    }
    ::EnableWindow(startButton_, TRUE);
    ::EnableWindow(stopButton_, FALSE);
    ::EnableWindow(pauseCheck_, FALSE);
    ::EnableWindow(descendantsCheck_, TRUE);
    ::SendMessageA(pauseCheck_, BM_SETCHECK, BST_UNCHECKED, 0);
}

void TMessageLogForm::PauseClick()
{
    session_.SetPaused(::SendMessageA(pauseCheck_, BM_GETCHECK, 0, 0) == BST_CHECKED);
}

void TMessageLogForm::ClearClick()
{
    store_.Clear();
    ++storeVersion_;
    MeasureKept();
    ::SendMessageA(recordList_, LVM_SETITEMCOUNT, 0, 0);
    ShowCounts();
}

bool TMessageLogForm::ApplyFilterClick()
{
    std::string bad;
    const auto messages = ParseMessageWords(GetControlText(filterMessagesEdit_), names_, bad);
    if (!messages) {
        SetStatus(BadFilter, bad);
        return false;
    }
    const auto windows = ParseWindowWords(GetControlText(filterWindowsEdit_), bad);
    if (!windows) {
        SetStatus(BadWindow, bad);
        return false;
    }
    filter_.Messages = *messages;
    filter_.Windows = *windows;
    filter_.Exclude = ::SendMessageA(filterModeCombo_, CB_GETCURSEL, 0, 0) == 1;
    filter_.Groups = 0;
    for (int i = 0; i < 5; ++i)
        if (::SendMessageA(groupChecks_[i], BM_GETCHECK, 0, 0) == BST_CHECKED) filter_.Groups |= 1u << i;
    // What is kept already follows the new filter too, so that the list shows exactly the chosen.
    const size_t removed = store_.Retain(filter_, [this](uint64_t window) { return ClassOf(window); });
    ++storeVersion_;
    if (removed != 0) {
        filteredOut_ += removed;
        ::SendMessageA(recordList_, LVM_SETITEMCOUNT, store_.Size(), 0);
        ShowCounts();
    }
    if (status_ == BadFilter || status_ == BadWindow)
        SetStatus(session_.Active() ? WatchingSentence() : Stopped, ScopeText());
    return true;
}

void TMessageLogForm::LimitChange()
{
    const std::optional<uint32_t> limit = ParseNumberNotation(GetControlText(limitEdit_));
    if (!limit || *limit == 0 || *limit == store_.Limit()) return;
    store_.SetLimit(*limit);
    ++storeVersion_;
    ::SendMessageA(recordList_, LVM_SETITEMCOUNT, store_.Size(), LVSICF_NOSCROLL);
    ShowCounts();
}

void TMessageLogForm::PollRecords()
{
    if (!session_.Active()) return;
    arrivals_.clear();
    session_.Poll(arrivals_, PollBatch);
    ringCounts_ = session_.Totals();
    TakeArrivals(false);
    FollowStart();
    // A process that came to have more window threads than can be hooked is said to be watched in part.
    if (status_ == WatchingProcess && session_.ThreadsLeftOut()) SetStatus(WatchingPartly, ScopeText());
    if (session_.HeartbeatLost()) {
        EndWatch();
        SetStatus(HeartbeatLost);
    }
}

void TMessageLogForm::TakeArrivals(bool now)
{
    for (const LogRecord& record : arrivals_) {
        // The class is read while the window most likely still lives, and kept for the list.
        if (filter_.Passes(record, ClassOf(record.Window))) {
            store_.Append(record);
            MeasureArrival(record);
        } else
            ++filteredOut_;
    }
    if (!arrivals_.empty()) {
        ++storeVersion_;
        listBehind_ = true;
    }
    // Drawing is what costs: the list and the counts follow at most ten times a second.
    const ULONGLONG tick = ::GetTickCount64();
    if (!now && tick - lastRedraw_ < RedrawInterval) return;
    lastRedraw_ = tick;
    if (listBehind_) {
        listBehind_ = false;
        (void)GrowColumns();
        // The list follows the newest records while its end is in view; a user reading older
        // ones keeps them in place.
        const auto top = static_cast<size_t>(::SendMessageA(recordList_, LVM_GETTOPINDEX, 0, 0));
        const auto page = static_cast<size_t>(::SendMessageA(recordList_, LVM_GETCOUNTPERPAGE, 0, 0));
        const auto shown = static_cast<size_t>(::SendMessageA(recordList_, LVM_GETITEMCOUNT, 0, 0));
        const bool following = top + page + 1 >= shown;
        ::SendMessageA(recordList_, LVM_SETITEMCOUNT, store_.Size(), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
        ::InvalidateRect(recordList_, nullptr, FALSE);
        if (following && store_.Size() > 0) ::SendMessageA(recordList_, LVM_ENSUREVISIBLE, store_.Size() - 1, FALSE);
    }
    ShowCounts();
}

std::string TMessageLogForm::Cell(size_t item, size_t column) const
{
    if (item >= store_.Size() || column >= 9) return {};
    if (cachedVersion_ != storeVersion_ || cachedItem_ != item) {
        const LogRecord& record = store_.At(item);
        cachedColumns_ = RecordColumns(record, namer_, words_, resultsKnown_, ClassOf(record.Window));
        cachedVersion_ = storeVersion_;
        cachedItem_ = item;
    }
    return cachedColumns_[column];
}

void TMessageLogForm::DisplayInfo(NMLVDISPINFOA& info)
{
    if ((info.item.mask & LVIF_TEXT) == 0 || info.item.pszText == nullptr || info.item.cchTextMax <= 0) return;
    cellText_ = Cell(static_cast<size_t>(info.item.iItem), static_cast<size_t>(info.item.iSubItem));
    const size_t length = std::min(cellText_.size(), static_cast<size_t>(info.item.cchTextMax - 1));
    std::copy_n(cellText_.data(), length, info.item.pszText);
    info.item.pszText[length] = '\0';
}

bool TMessageLogForm::SaveToFile(const std::string& path) const
{
    std::string content;
    for (size_t i = 0; i < store_.Size(); ++i)
        content += RecordLine(store_.At(i), namer_, words_, resultsKnown_, ClassOf(store_.At(i).Window)) + "\r\n";
    return WriteWholeFile(path, content);
}

void TMessageLogForm::SaveClick()
{
    std::string path;
    if (!AskSaveFileName(Handle(), "Text files\0*.txt\0All files\0*.*\0", "txt", path)) return;
    if (!SaveToFile(path)) {
        const std::string text = FormatMessageText(MessageText(Msg::CantSaveFile), path);
        ::MessageBoxA(Handle(), text.c_str(), ApplicationTitle, MB_OK | MB_ICONERROR);
    }
}

void TMessageLogForm::CommandClick(int id)
{
    switch (id) {
    case StartButtonId: StartClick(); break;
    case StopButtonId: StopClick(); break;
    case PauseButtonId: PauseClick(); break;
    case ClearButtonId: ClearClick(); break;
    case SaveButtonId: SaveClick(); break;
    case ApplyFilterButtonId: ApplyFilterClick(); break;
    default: break;
    }
}

LRESULT TMessageLogForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE:
        Layout();
        return 0;
    case WM_GETMINMAXINFO:
        if (recordList_ == nullptr) return DefaultHandling(message, wParam, lParam);
        {
            const SIZE least = LeastWindowSize();
            reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = POINT{least.cx, least.cy};
        }
        return 0;
    case WM_EXITSIZEMOVE:
        RememberToolWindowPlace(Handle(), place_);
        return 0;
    case WM_DPICHANGED: {
        // Moved to a monitor of another DPI: the font, the columns and the window follow it.
        dpi_ = HIWORD(wParam);
        ApplyFont();
        MeasureKept();
        FitColumns();
        const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
        ::SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                       suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
        Layout();
        return 0;
    }
    case WM_TIMER:
        if (wParam == PollTimer) PollRecords();
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) CommandClick(LOWORD(wParam));
        if (LOWORD(wParam) == LimitEditId && HIWORD(wParam) == EN_KILLFOCUS) LimitChange();
        return 0;
    case WM_NOTIFY: {
        auto& header = *reinterpret_cast<NMHDR*>(lParam);
        if (header.hwndFrom == recordList_ && header.code == LVN_GETDISPINFOA)
            DisplayInfo(*reinterpret_cast<NMLVDISPINFOA*>(lParam));
        return 0;
    }
    case WM_CLOSE:
        // Closing ends the watch: nothing stays hooked behind a hidden window.
        if (session_.Active()) StopClick();
        ::ShowWindow(Handle(), SW_HIDE);
        return 0;
    default:
        return DefaultHandling(message, wParam, lParam);
    }
}

}  // namespace lvx
