// The window details window: the inspected window's styles by name, class, properties, process
// and DPI on tab pages, copied as text or captured as a picture.
#include "DetailsForm.h"

#include "CaptureQuestion.h"
#include "WindowCapture.h"
#include "core/UNI_Strings.h"
#include "core/WindowCommands.h"
#include "discovery/WindowLocator.h"
#include "language/LanguageKeys.h"
#include "language/MessageTable.h"
#include "settings/Settings.h"
#include "tools/ToolWindows.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace lvx {

namespace {

constexpr char FormClass[] = "TDetailsForm";
constexpr DWORD FormStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
constexpr DWORD FormExStyle = WS_EX_CONTROLPARENT | WS_EX_TOOLWINDOW;
constexpr int FormWidth = 500;  // at 96 DPI: a class style of four names shows whole
constexpr int FormHeight = 460;
constexpr int Margin = 8;
constexpr int ButtonWidth = 96;
constexpr int ButtonHeight = 25;
constexpr int StyleNameWidth = 230;  // the names column of the Styles page
constexpr int LabelWidth = 170;      // that of the other pages
constexpr UINT StyleTickMessage = WM_APP + 1;
constexpr int CopyButtonId = 101;
constexpr int CaptureButtonId = 102;
constexpr int PagesTabId = 103;
constexpr int StylesListId = 104;
constexpr int ValuesListId = 105;
constexpr LPARAM NoRow = -1;

// The window's texts with their built-in Russian; the keys are those of the "DetailsForm" section.
constexpr std::pair<const char*, const char*> BuiltInTexts[] = {
    {"Caption", "Подробности об окне"},
    {"PageStyles", "Стили"}, {"PageClass", "Класс"}, {"PageProperties", "Свойства"}, {"PageProcess", "Процесс"},
    {"PageDpi", "DPI"},
    {"ColumnName", "Имя"}, {"ColumnValue", "Значение"},
    {"Copy", "Копировать"}, {"Capture", "Снимок..."},
    {"SectionWindow", "Окно"},
    {"WndHandle", "Хэндл окна"}, {"WndText", "Текст окна"}, {"WndClass", "Имя класса окна"},
    {"Coords", "Координаты окна"}, {"Size", "Размеры окна"}, {"ClientSize", "Клиентская область"},
    {"Parent", "Родительское окно"}, {"Owner", "Окно-владелец"}, {"PID", "ID процесса"}, {"TID", "ID потока"},
    {"Locator", "Локатор"}, {"RelativeCoords", "Относительные координаты"}, {"Menu", "Меню"}, {"Child", "Дочернее окно"},
    {"Next", "Следующее окно"}, {"Previous", "Предыдущее окно"}, {"ShowState", "Состояние окна"},
    {"StateMinimized", "свёрнуто"}, {"StateMaximized", "развёрнуто"}, {"StateNormal", "обычное"},
    {"Visible", "Окно видимо"}, {"Enabled", "Окно активно"}, {"Topmost", "Поверх всех окон"},
    {"Style", "Стиль"}, {"ExStyle", "Расширенный стиль"}, {"ListViewExStyle", "Расширенный стиль списка"},
    {"Remainder", "Биты без имени"},
    {"Atom", "Атом класса"}, {"ClassStyle", "Стиль класса"}, {"ClassExtra", "Байты класса"},
    {"WindowExtra", "Байты окна"}, {"ClassInstance", "Instance класса"}, {"ClassModule", "Модуль класса"},
    {"ClassProc", "Процедура класса"}, {"Background", "Кисть фона"}, {"Cursor", "Курсор"}, {"Icon", "Иконка"},
    {"SmallIcon", "Малая иконка"}, {"MenuName", "Меню класса"}, {"None", "нет"},
    {"NoProperties", "<Свойств нет>"},
    {"ImagePath", "Программа"}, {"Bitness", "Разрядность"}, {"Bits32", "32-битный"}, {"Bits64", "64-битный"},
    {"User", "Пользователь"}, {"Session", "Сеанс"}, {"Integrity", "Уровень целостности"},
    {"IntegrityUntrusted", "ненадёжный"}, {"IntegrityLow", "низкий"}, {"IntegrityMedium", "средний"},
    {"IntegrityHigh", "высокий"}, {"IntegritySystem", "системный"},
    {"Elevated", "Повышенные права"}, {"Yes", "да"}, {"No", "нет"}, {"StartTime", "Время запуска"},
    {"Blocked", "Внимание"},
    {"BlockedText", "Уровень целостности процесса выше, чем у инспектора: система не пропускает к окну его "
                    "сообщения и изменения. Запустите инспектор от имени администратора (контекстное меню "
                    "программы, \"Запуск от имени администратора\")."},
    {"WindowDpi", "DPI окна"}, {"Awareness", "Режим DPI"}, {"AwarenessUnaware", "не учитывает DPI"},
    {"AwarenessSystem", "системный DPI"}, {"AwarenessPerMonitor", "DPI каждого монитора"},
    {"AwarenessPerMonitorV2", "DPI каждого монитора (v2)"}, {"MonitorDpi", "DPI монитора"},
    {"NotAvailable", "<Недоступно в этой системе>"}, {"Unreadable", "<Не удалось прочитать>"},
    {"CaptureQuestion", "Снимок окна сделан. Скопировать его в буфер обмена или сохранить в файл PNG?"},
    {"CaptureCopy", "Копировать в буфер обмена"}, {"CaptureSave", "Сохранить как PNG..."}, {"CaptureCancel", "Отмена"},
    {"CaptureFailed", "Не удалось сделать снимок окна"},
};

std::string Hex(uint64_t value)
{
    return FormatHex(value, 8);
}

void AddColumn(HWND list, int index, int width, const std::string& text)
{
    LVCOLUMNA column{};
    column.mask = LVCF_WIDTH | LVCF_TEXT;
    column.cx = width;
    column.pszText = const_cast<char*>(text.c_str());
    if (::SendMessageA(list, LVM_SETCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column)) == FALSE)
        ::SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

int AddItem(HWND list, const std::string& name, const std::string& value, LPARAM data)
{
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = const_cast<char*>(name.c_str());
    item.lParam = data;
    const int index = static_cast<int>(::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (index < 0) return index;
    LVITEMA sub{};
    sub.iSubItem = 1;
    sub.pszText = const_cast<char*>(value.c_str());
    ::SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&sub));
    return index;
}

// Refilling a list for the same window keeps the rows the user was looking at in view.
class KeepScrollPosition {
public:
    KeepScrollPosition(HWND list, bool sameWindow)
        : list_(list), top_(sameWindow ? static_cast<int>(::SendMessageA(list, LVM_GETTOPINDEX, 0, 0)) : 0)
    {
    }
    ~KeepScrollPosition()
    {
        RECT row{LVIR_BOUNDS, 0, 0, 0};
        if (top_ > 0 && ::SendMessageA(list_, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row)))
            ::SendMessageA(list_, LVM_SCROLL, 0, top_ * (row.bottom - row.top));
    }
    KeepScrollPosition(const KeepScrollPosition&) = delete;
    KeepScrollPosition& operator=(const KeepScrollPosition&) = delete;

private:
    HWND list_;
    int top_;
};

// The tick of a row: state image 0 shows no box, 1 an empty one, 2 a ticked one.
void SetTick(HWND list, int index, int image)
{
    LVITEMA item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(image);
    ::SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

std::string ItemText(HWND list, int index, int column)
{
    char text[1024] = {};
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = static_cast<int>(std::size(text));
    ::SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    return text;
}

}  // namespace

TDetailsForm::TDetailsForm(const WindowInfo& current, std::function<void()> refresh)
    : current_(current), refresh_(std::move(refresh))
{
    for (const auto& [key, text] : BuiltInTexts) texts_[key] = text;
    AskCaptureTarget = [this] {
        TCaptureQuestion question({Text("Capture"), Text("CaptureQuestion"), Text("CaptureCopy"), Text("CaptureSave"),
                                   Text("CaptureCancel")});
        return question.Ask(Handle());
    };
    AskPictureFile = [this](std::string& path) {
        return AskSaveFileName(Handle(), "PNG (*.png)\0*.png\0All files (*.*)\0*.*\0", "png", path);
    };
}

TDetailsForm::~TDetailsForm() = default;

std::string TDetailsForm::Text(const char* key) const
{
    const auto found = texts_.find(key);
    return found != texts_.end() ? found->second : std::string();
}

std::vector<TranslationTarget> TDetailsForm::TranslationTargets()
{
    std::vector<TranslationTarget> targets;
    for (const char* key : LanguageKeysOf("DetailsForm"))
        targets.push_back({key, [this, key](const std::string& value) { texts_[key] = value; }});
    return targets;
}

// ---- creation -----------------------------------------------------------------------------

void TDetailsForm::ShowDetails(HWND owner)
{
    if (Handle() == nullptr && !FormCreate(owner)) return;
    if (!::IsWindowVisible(Handle())) PlaceToolWindow(Handle(), owner, place_);
    ::ShowWindow(Handle(), SW_SHOWNORMAL);
    RefreshDetails();
}

bool TDetailsForm::FormCreate(HWND owner)
{
    if (!RegisterWindowClass(FormClass, 0, ::GetSysColorBrush(COLOR_BTNFACE), ::LoadCursorA(nullptr, IDC_ARROW),
                             nullptr))
        return false;
    // Made where it will stand, at the DPI of the main window's monitor: made elsewhere and moved
    // there, it would be scaled by that monitor's DPI and again by this one's.
    dpi_ = DpiOfWindow(owner);
    const RECT bounds = ToolWindowBounds(owner, place_, Scaled(FormWidth), Scaled(FormHeight), true);
    if (!CreateWindowObject(FormExStyle, FormClass, Text("Caption"), FormStyle, bounds, owner, nullptr)) return false;
    dpi_ = DpiOfWindow(Handle());
    CreateControls();
    TranslateWindow("DetailsForm", TranslationTargets());
    ApplyTexts();
    Layout();
    return true;
}

// The interface font at the window's DPI, on every control.
void TDetailsForm::ApplyFont()
{
    unique_gdi font(::CreateFontA(-::MulDiv(8, static_cast<int>(dpi_), 72), 0, 0, 0, FW_NORMAL, 0, 0, 0,
                                  DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                  DEFAULT_PITCH | FF_SWISS, "Tahoma"));
    for (HWND control : {pagesTab_, stylesList_, valuesList_, copyButton_, captureButton_})
        if (control != nullptr) ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    font_ = std::move(font);  // the old font goes once no control uses it
    // The tab control's own padding is in fixed pixels: scaled, so labels keep clear of the borders.
    ::SendMessageA(pagesTab_, TCM_SETPADDING, 0, MAKELPARAM(Scaled(9), Scaled(4)));
}

void TDetailsForm::CreateControls()
{
    const auto create = [this](DWORD exStyle, const char* className, DWORD style, int id) {
        return ::CreateWindowExA(exStyle, className, "", WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, Handle(),
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ProgramInstance(), nullptr);
    };
    pagesTab_ = create(0, WC_TABCONTROLA, WS_TABSTOP | WS_CLIPSIBLINGS, PagesTabId);
    const DWORD listStyle = WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER;
    stylesList_ = create(WS_EX_CLIENTEDGE, WC_LISTVIEWA, listStyle, StylesListId);
    valuesList_ = create(WS_EX_CLIENTEDGE, WC_LISTVIEWA, listStyle, ValuesListId);
    ::SendMessageA(stylesList_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                   LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
    ::SendMessageA(valuesList_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
    // The tab control is created first, so the lists lie above it in the z-order.
    ::SetWindowPos(pagesTab_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    copyButton_ = create(0, "BUTTON", WS_TABSTOP | BS_PUSHBUTTON, CopyButtonId);
    captureButton_ = create(0, "BUTTON", WS_TABSTOP | BS_PUSHBUTTON, CaptureButtonId);
    ApplyFont();
}

void TDetailsForm::ApplyTexts()
{
    ::SetWindowTextA(Handle(), Text("Caption").c_str());
    ::SendMessageA(pagesTab_, TCM_DELETEALLITEMS, 0, 0);
    const char* pages[] = {"PageStyles", "PageClass", "PageProperties", "PageProcess", "PageDpi"};
    for (int page = 0; page < PageCount; ++page) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(Text(pages[page]).c_str());
        ::SendMessageA(pagesTab_, TCM_INSERTITEMA, static_cast<WPARAM>(page), reinterpret_cast<LPARAM>(&item));
    }
    for (HWND list : {stylesList_, valuesList_}) {
        AddColumn(list, 0, Scaled(list == stylesList_ ? StyleNameWidth : LabelWidth), Text("ColumnName"));
        AddColumn(list, 1, Scaled(150), Text("ColumnValue"));
    }
    ::SetWindowTextA(copyButton_, Text("Copy").c_str());
    ::SetWindowTextA(captureButton_, Text("Capture").c_str());
}

// The pages fill the window above a row of buttons at its bottom right.
void TDetailsForm::Layout()
{
    RECT client{};
    ::GetClientRect(Handle(), &client);
    const int margin = Scaled(Margin);
    const int buttonHeight = Scaled(ButtonHeight);
    const int buttonWidth = Scaled(ButtonWidth);
    const int buttonsTop = client.bottom - margin - buttonHeight;
    ::MoveWindow(captureButton_, client.right - margin - buttonWidth, buttonsTop, buttonWidth, buttonHeight, TRUE);
    ::MoveWindow(copyButton_, client.right - margin - 2 * buttonWidth - margin / 2, buttonsTop, buttonWidth,
                 buttonHeight, TRUE);
    RECT pages{margin, margin, client.right - margin, buttonsTop - margin};
    ::MoveWindow(pagesTab_, pages.left, pages.top, pages.right - pages.left, pages.bottom - pages.top, TRUE);
    ::SendMessageA(pagesTab_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&pages));
    for (HWND list : {stylesList_, valuesList_}) {
        ::MoveWindow(list, pages.left, pages.top, pages.right - pages.left, pages.bottom - pages.top, TRUE);
        FitValueColumn(list);
    }
}

// The values take whatever width the names leave (less the vertical scroll bar's when the rows
// will need one), and never less than the widest value: a long one (a class style's names) makes
// the list scroll sideways rather than end in an ellipsis.
void TDetailsForm::FitValueColumn(HWND list)
{
    RECT inside{};
    ::GetClientRect(list, &inside);
    const int names = static_cast<int>(::SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0));
    const int rows = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    const bool scrollBarToCome = (::GetWindowLongA(list, GWL_STYLE) & WS_VSCROLL) == 0 &&
                                 rows > static_cast<int>(::SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0));
    int widest = 0;
    for (int row = 0; row < rows; ++row) {
        const std::string value = ItemText(list, row, 1);
        widest = std::max(widest, static_cast<int>(::SendMessageA(list, LVM_GETSTRINGWIDTHA, 0,
                                                                  reinterpret_cast<LPARAM>(value.c_str()))));
    }
    const int room = inside.right - names - (scrollBarToCome ? ::GetSystemMetrics(SM_CXVSCROLL) : 0);
    ::SendMessageA(list, LVM_SETCOLUMNWIDTH, 1, std::max({room, widest + Scaled(12), Scaled(100)}));
}

// The names as wide as the longest of them (at most their built-in width), so that long values
// (a class style's names) get the room the short labels leave.
void TDetailsForm::FitNameColumn(HWND list, int widest)
{
    int names = 0;
    const int rows = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row) {
        const std::string label = ItemText(list, row, 0);
        names = std::max(names, static_cast<int>(::SendMessageA(list, LVM_GETSTRINGWIDTHA, 0,
                                                                reinterpret_cast<LPARAM>(label.c_str()))));
    }
    const int width = std::clamp(names + Scaled(16), Scaled(80), Scaled(widest));
    ::SendMessageA(list, LVM_SETCOLUMNWIDTH, 0, width);
    FitValueColumn(list);
}

// ---- filling ------------------------------------------------------------------------------

void TDetailsForm::RefreshDetails()
{
    if (Handle() == nullptr || !::IsWindowVisible(Handle())) return;
    ReadDetails();
    ShowPage();
}

void TDetailsForm::ReadDetails()
{
    GatherWindowDetails(current_.Handle, details_);
    styles_ = details_.Handle != nullptr
                  ? DecodeStyles(details_.ClassName, details_.Style, details_.ExStyle, details_.ListViewExStyle)
                  : DecodedStyles{};
    if (details_.ListView && !details_.ListViewExRead) {
        // A list view that did not answer: its extended list-view style is unknown, not empty.
        std::erase_if(styles_.Rows, [](const StyleRow& row) { return row.Target == StyleTarget::ListViewExStyle; });
        styles_.ListViewExRemainder = 0;
    }
}

void TDetailsForm::SelectPage(int page)
{
    ::SendMessageA(pagesTab_, TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
    ShowPage();
}

int TDetailsForm::SelectedPage() const
{
    return static_cast<int>(::SendMessageA(pagesTab_, TCM_GETCURSEL, 0, 0));
}

void TDetailsForm::ShowPage()
{
    const int page = SelectedPage();
    const bool styles = page == StylesPage;
    if (styles) FillStylesList();
    else if (page == ClassPage) FillValuesList(ClassSection());
    else if (page == PropertiesPage) FillValuesList(PropertiesSection());
    else if (page == ProcessPage) FillValuesList(ProcessSection());
    else FillValuesList(DpiSection());
    ::ShowWindow(stylesList_, styles ? SW_SHOW : SW_HIDE);
    ::ShowWindow(valuesList_, styles ? SW_HIDE : SW_SHOW);
}

void TDetailsForm::FillStylesList()
{
    filling_ = true;
    const KeepScrollPosition keep(stylesList_, stylesShownFor_ == details_.Handle);
    stylesShownFor_ = details_.Handle;
    ::SendMessageA(stylesList_, WM_SETREDRAW, FALSE, 0);
    ::SendMessageA(stylesList_, LVM_DELETEALLITEMS, 0, 0);
    if (details_.Handle == nullptr) {
        SetTick(stylesList_, AddItem(stylesList_, MessageText(Msg::NoWindowFoundTxt), "", NoRow), 0);
    } else {
        struct Block {
            StyleTarget Target;
            const char* Key;
            uint32_t Value;
            uint32_t Remainder;
            bool Shown;
        };
        const Block blocks[] = {
            {StyleTarget::Style, "Style", details_.Style, styles_.StyleRemainder, true},
            {StyleTarget::ExStyle, "ExStyle", details_.ExStyle, styles_.ExStyleRemainder, true},
            {StyleTarget::ListViewExStyle, "ListViewExStyle", details_.ListViewExStyle, styles_.ListViewExRemainder,
             details_.ListView},
        };
        for (const Block& block : blocks) {
            if (!block.Shown) continue;
            const bool read = block.Target != StyleTarget::ListViewExStyle || details_.ListViewExRead;
            SetTick(stylesList_, AddItem(stylesList_, Text(block.Key), read ? Hex(block.Value) : Unreadable(), NoRow),
                    0);
            if (block.Remainder != 0)
                SetTick(stylesList_, AddItem(stylesList_, "  " + Text("Remainder"), Hex(block.Remainder), NoRow), 0);
            for (size_t i = 0; i < styles_.Rows.size(); ++i) {
                const StyleRow& row = styles_.Rows[i];
                if (row.Target != block.Target) continue;
                const int index = AddItem(stylesList_, std::string("  ") + row.Name, Hex(row.Value),
                                          static_cast<LPARAM>(i));
                SetTick(stylesList_, index, row.Set ? 2 : 1);
            }
        }
    }
    FitValueColumn(stylesList_);  // the rows decide whether a vertical scroll bar takes room
    ::SendMessageA(stylesList_, WM_SETREDRAW, TRUE, 0);
    filling_ = false;  // the scroll position comes back after this, with the keeper
}

void TDetailsForm::FillValuesList(const DetailSection& section)
{
    ::SendMessageA(valuesList_, WM_SETREDRAW, FALSE, 0);
    ::SendMessageA(valuesList_, LVM_DELETEALLITEMS, 0, 0);
    for (const DetailLine& line : section.Lines) AddItem(valuesList_, line.Label, line.Value, NoRow);
    FitNameColumn(valuesList_, LabelWidth);
    ::SendMessageA(valuesList_, WM_SETREDRAW, TRUE, 0);
}

// ---- the pages' contents ------------------------------------------------------------------

DetailSection TDetailsForm::WindowSection() const
{
    DetailSection section{Text("SectionWindow"), {}};
    if (current_.Handle == nullptr) {
        section.Lines.push_back({Text("WndHandle"), MessageText(Msg::NoWindowFoundTxt)});
        return section;
    }
    const auto handle = [](HWND window) {
        return window != nullptr ? FormatHandle(HandleValue(window)) : MessageText(Msg::NoWindowFound);
    };
    const auto yesNo = [this](bool value) { return Text(value ? "Yes" : "No"); };
    // Every field the main window shows, so that a copy pasted into a bug report says it all.
    section.Lines = {
        {Text("WndHandle"), handle(current_.Handle)},
        {Text("WndText"), current_.Text},
        {Text("WndClass"), current_.ClassName},
        {Text("Coords"), FormatPoint(current_.Left, current_.Top)},
        {Text("RelativeCoords"),
         current_.Parent != nullptr ? FormatPoint(current_.RelativeLeft, current_.RelativeTop) : Text("None")},
        {Text("Size"), FormatSize(current_.Width, current_.Height)},
        {Text("ClientSize"), FormatSize(current_.ClientWidth, current_.ClientHeight)},
        {Text("Menu"), MessageText(current_.Menu != nullptr ? Msg::Has : Msg::Hasnt)},
        {Text("Parent"), handle(current_.Parent)},
        {Text("Child"), handle(current_.Child)},
        {Text("Next"), handle(current_.Next)},
        {Text("Previous"), handle(current_.Previous)},
        {Text("Owner"), handle(current_.Owner)},
        {Text("PID"), FormatHandle(current_.ProcessId)},
        {Text("Bitness"), current_.Bits == ProcessBits::Bits32   ? Text("Bits32")
                          : current_.Bits == ProcessBits::Bits64 ? Text("Bits64")
                                                                 : Unreadable()},
        {Text("TID"), FormatHandle(current_.ThreadId)},
        {Text("ShowState"), Text(current_.ShowState == WindowShowState::Minimized   ? "StateMinimized"
                                 : current_.ShowState == WindowShowState::Maximized ? "StateMaximized"
                                                                                    : "StateNormal")},
        {Text("Visible"), yesNo(current_.Visible)},
        {Text("Enabled"), yesNo(current_.Enabled)},
        {Text("Topmost"), yesNo(current_.Topmost)},
        {Text("Locator"), LocatorOfWindow(current_.Handle).value_or(Unreadable())},
    };
    return section;
}

DetailSection TDetailsForm::StylesSection() const
{
    DetailSection section{Text("PageStyles"), {}};
    if (details_.Handle == nullptr) return section;
    const auto setNames = [this](StyleTarget target, uint32_t remainder) {
        std::string names;
        for (const StyleRow& row : styles_.Rows) {
            if (row.Target != target || !row.Set) continue;
            if (!names.empty()) names += " | ";
            names += row.Name;
        }
        if (remainder != 0) names += (names.empty() ? "0x" : " | 0x") + FormatHex(remainder, 1);
        return names;
    };
    section.Lines.push_back({Text("Style"), Hex(details_.Style) + " " + setNames(StyleTarget::Style,
                                                                                  styles_.StyleRemainder)});
    section.Lines.push_back({Text("ExStyle"), Hex(details_.ExStyle) + " " + setNames(StyleTarget::ExStyle,
                                                                                      styles_.ExStyleRemainder)});
    if (details_.ListView)
        section.Lines.push_back(
            {Text("ListViewExStyle"),
             details_.ListViewExRead
                 ? Hex(details_.ListViewExStyle) + " " +
                       setNames(StyleTarget::ListViewExStyle, styles_.ListViewExRemainder)
                 : Unreadable()});
    return section;
}

DetailSection TDetailsForm::ClassSection() const
{
    DetailSection section{Text("PageClass"), {}};
    const ClassDetails& cls = details_.Class;
    if (details_.Handle == nullptr || !cls.Read) {
        section.Lines.push_back({Text("WndClass"), details_.Handle ? Unreadable() : MessageText(Msg::NoWindowFoundTxt)});
        return section;
    }
    // Read or not, then none or the name.
    const auto named = [this](bool read, const std::optional<std::string>& name) {
        return !read ? Unreadable() : name ? *name : Text("None");
    };
    section.Lines = {
        {Text("WndClass"), details_.ClassName},
        {Text("Atom"), FormatHex(cls.Atom, 4)},
        {Text("ClassStyle"), Hex(cls.Style) + " " + DescribeFlags(StyleGroup::Class, cls.Style)},
        {Text("ClassExtra"), std::to_string(cls.ClassExtra)},
        {Text("WindowExtra"), std::to_string(cls.WindowExtra)},
        {Text("ClassInstance"), cls.InstanceRead ? Hex(cls.Instance) : Unreadable()},
        {Text("ClassModule"), cls.Module.empty() ? Unreadable() : cls.Module},
        {Text("ClassProc"), cls.WndProcRead ? Hex(cls.WndProc) : Unreadable()},
        {Text("Background"), named(cls.BackgroundRead, BackgroundName(cls))},
        {Text("Cursor"), named(cls.CursorRead, CursorName(cls))},
        {Text("Icon"), named(cls.IconRead, IconName(cls))},
        {Text("SmallIcon"), named(cls.SmallIconRead, SmallIconName(cls))},
        {Text("MenuName"), named(cls.MenuNameRead, MenuName(cls))},
    };
    return section;
}

DetailSection TDetailsForm::PropertiesSection() const
{
    DetailSection section{Text("PageProperties"), {}};
    if (details_.Handle == nullptr) {
        section.Lines.push_back({Text("ColumnName"), MessageText(Msg::NoWindowFoundTxt)});
        return section;
    }
    for (const PropertyEntry& property : details_.Properties)
        section.Lines.push_back({property.Name, property.ValueRead ? Hex(property.Value) : Unreadable()});
    if (section.Lines.empty()) section.Lines.push_back({Text("NoProperties"), ""});
    return section;
}

DetailSection TDetailsForm::ProcessSection() const
{
    DetailSection section{Text("PageProcess"), {}};
    if (details_.Handle == nullptr) {
        section.Lines.push_back({Text("ImagePath"), MessageText(Msg::NoWindowFoundTxt)});
        return section;
    }
    const ProcessDetails& process = details_.Process;
    const char* levels[] = {"IntegrityUntrusted", "IntegrityLow", "IntegrityMedium", "IntegrityHigh",
                            "IntegritySystem"};
    std::string start = Unreadable();
    if (process.StartRead) {
        char text[32] = {};
        std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", process.Start.wYear, process.Start.wMonth,
                      process.Start.wDay, process.Start.wHour, process.Start.wMinute, process.Start.wSecond);
        start = text;
    }
    section.Lines = {
        {Text("ImagePath"), process.ImagePath.empty() ? Unreadable() : process.ImagePath},
        {Text("Bitness"), process.Bits == ProcessBits::Bits32   ? Text("Bits32")
                          : process.Bits == ProcessBits::Bits64 ? Text("Bits64")
                                                                : Unreadable()},
        {Text("User"), process.User.empty() ? Unreadable() : process.User},
        {Text("Session"), process.SessionRead ? std::to_string(process.Session) : Unreadable()},
        {Text("Integrity"), process.IntegrityRead ? Text(levels[IntegrityLevelOf(process.IntegrityRid)]) : Unreadable()},
        {Text("Elevated"), process.ElevationRead ? Text(process.Elevated ? "Yes" : "No") : Unreadable()},
        {Text("StartTime"), start},
    };
    if (process.IntegrityRead && process.OwnIntegrityRead &&
        IntegrityLevelOf(process.IntegrityRid) > IntegrityLevelOf(process.OwnIntegrityRid))
        section.Lines.push_back({Text("Blocked"), Text("BlockedText")});
    return section;
}

DetailSection TDetailsForm::DpiSection() const
{
    DetailSection section{Text("PageDpi"), {}};
    if (details_.Handle == nullptr) {
        section.Lines.push_back({Text("WindowDpi"), MessageText(Msg::NoWindowFoundTxt)});
        return section;
    }
    const DpiDetails& dpi = details_.Dpi;
    const auto number = [this](bool available, UINT value) {
        return !available ? Text("NotAvailable") : value != 0 ? std::to_string(value) : Unreadable();
    };
    std::string awareness = Text("NotAvailable");
    if (dpi.AwarenessAvailable) {
        switch (dpi.Awareness) {
        case DpiAwareness::Unaware: awareness = Text("AwarenessUnaware"); break;
        case DpiAwareness::System: awareness = Text("AwarenessSystem"); break;
        case DpiAwareness::PerMonitor: awareness = Text("AwarenessPerMonitor"); break;
        case DpiAwareness::PerMonitorV2: awareness = Text("AwarenessPerMonitorV2"); break;
        case DpiAwareness::Unknown: awareness = Unreadable(); break;
        }
    }
    section.Lines = {
        {Text("WindowDpi"), number(dpi.WindowDpiAvailable, dpi.WindowDpi)},
        {Text("Awareness"), awareness},
        {Text("MonitorDpi"), number(dpi.MonitorDpiAvailable, dpi.MonitorDpi)},
    };
    return section;
}

std::vector<DetailSection> TDetailsForm::Sections() const
{
    return {WindowSection(), StylesSection(), ClassSection(), PropertiesSection(), ProcessSection(), DpiSection()};
}

std::vector<std::string> TDetailsForm::ShownTexts()
{
    std::vector<std::string> texts{Text("Caption")};
    for (int page = 0; page < PageCount; ++page) {
        char text[256] = {};
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = static_cast<int>(std::size(text));
        ::SendMessageA(pagesTab_, TCM_GETITEMA, static_cast<WPARAM>(page), reinterpret_cast<LPARAM>(&item));
        texts.push_back(text);
        SelectPage(page);
        const HWND list = page == StylesPage ? stylesList_ : valuesList_;
        const int count = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
        for (int index = 0; index < count; ++index)
            for (int column : {0, 1}) texts.push_back(ItemText(list, index, column));
        for (int column : {0, 1}) {
            char heading[256] = {};
            LVCOLUMNA info{};
            info.mask = LVCF_TEXT;
            info.pszText = heading;
            info.cchTextMax = static_cast<int>(std::size(heading));
            ::SendMessageA(list, LVM_GETCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&info));
            texts.push_back(heading);
        }
    }
    for (HWND button : {copyButton_, captureButton_}) texts.push_back(GetControlText(button));
    // The copy's titles and labels reach the user through the clipboard.
    for (const DetailSection& section : Sections()) {
        texts.push_back(section.Title);
        for (const DetailLine& line : section.Lines) texts.push_back(line.Label);
    }
    return texts;
}

// ---- commands -----------------------------------------------------------------------------

void TDetailsForm::StyleTicked(int row, bool ticked)
{
    if (row < 0 || static_cast<size_t>(row) >= styles_.Rows.size() || details_.Handle == nullptr) return;
    const StyleRow chosen = styles_.Rows[static_cast<size_t>(row)];
    // Only the ticked name's bits are written, into the style as the window holds it then.
    if (!WriteStyleBits(details_.Handle, static_cast<int>(chosen.Target), chosen.Mask,
                        ApplyStyleTick(0, chosen, ticked)))
        ::MessageBoxA(Handle(), MessageText(Msg::CantModifyParameter).c_str(), MessageText(Msg::WARNING).c_str(),
                      MB_OK | MB_ICONEXCLAMATION);
    // The main window gathers the window again and refreshes this one; without it, refresh here.
    if (refresh_) refresh_();
    else RefreshDetails();
}

void TDetailsForm::StylesListChange(const NMLISTVIEW& change)
{
    if (filling_) return;
    const UINT oldImage = (change.uOldState & LVIS_STATEIMAGEMASK) >> 12;
    const UINT newImage = (change.uNewState & LVIS_STATEIMAGEMASK) >> 12;
    // A user's tick: the list is refilled after the write, so that comes later, not inside the notice.
    if ((change.uChanged & LVIF_STATE) != 0 && oldImage != 0 && newImage != 0 && oldImage != newImage &&
        change.lParam != NoRow)
        ::PostMessageA(Handle(), StyleTickMessage, static_cast<WPARAM>(change.lParam), newImage == 2);
}

std::string DetailsCopyText(HWND window)
{
    WindowInfo info;
    GatherWindowInfo(window, false, info);
    TDetailsForm form(info, {});
    TranslateWindow("DetailsForm", form.TranslationTargets());
    form.ReadDetails();
    return FormatDetailsText(form.Sections());
}

void TDetailsForm::CopyClick()
{
    const std::string text = FormatDetailsText(Sections());
    if (!PutTextOnClipboard(Handle(), text)) ::MessageBeep(MB_ICONWARNING);
}

void TDetailsForm::CaptureClick()
{
    if (current_.Handle == nullptr || !::IsWindow(current_.Handle)) return;
    unique_gdi picture = CaptureWindowPicture(current_.Handle);
    if (!picture) {
        ::MessageBoxA(Handle(), Text("CaptureFailed").c_str(), MessageText(Msg::WARNING).c_str(),
                      MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    const int answer = AskCaptureTarget ? AskCaptureTarget() : IDCANCEL;
    if (answer == IDYES) {
        if (!PutPictureOnClipboard(Handle(), static_cast<HBITMAP>(picture.get()))) ::MessageBeep(MB_ICONWARNING);
    } else if (answer == IDNO) {
        std::string path;
        if (!AskPictureFile || !AskPictureFile(path)) return;
        if (!SavePictureAsPng(static_cast<HBITMAP>(picture.get()), path))
            ReportError(Handle(), FormatMessageText(MessageText(Msg::CantSaveFile), path).c_str());
    }
}

LRESULT TDetailsForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE:
        Layout();
        return 0;
    case WM_GETMINMAXINFO: {
        auto& limits = *reinterpret_cast<MINMAXINFO*>(lParam);
        limits.ptMinTrackSize = POINT{Scaled(300), Scaled(240)};
        return 0;
    }
    case WM_MOVING:
        if (MagneticField) SnapToWorkArea(*reinterpret_cast<RECT*>(lParam), dpi_);
        return TRUE;
    case WM_EXITSIZEMOVE:
        RememberToolWindowPlace(Handle(), place_);
        return 0;
    case WM_DPICHANGED: {
        dpi_ = HIWORD(wParam);
        ApplyFont();
        for (HWND list : {stylesList_, valuesList_})
            ::SendMessageA(list, LVM_SETCOLUMNWIDTH, 0, Scaled(list == stylesList_ ? StyleNameWidth : LabelWidth));
        const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
        ::SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                       suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }

    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case CopyButtonId: CopyClick(); return 0;
        case CaptureButtonId: CaptureClick(); return 0;
        case IDCANCEL: ::ShowWindow(Handle(), SW_HIDE); return 0;
        default: return DefaultHandling(message, wParam, lParam);
        }
    case WM_NOTIFY: {
        const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
        if (header.hwndFrom == pagesTab_ && header.code == TCN_SELCHANGE) ShowPage();
        else if (header.hwndFrom == stylesList_ && header.code == LVN_ITEMCHANGED)
            StylesListChange(*reinterpret_cast<const NMLISTVIEW*>(lParam));
        return 0;
    }
    case StyleTickMessage:
        StyleTicked(static_cast<int>(wParam), lParam != 0);
        return 0;
    case WM_CLOSE:
        ::ShowWindow(Handle(), SW_HIDE);
        return 0;
    default:
        return DefaultHandling(message, wParam, lParam);
    }
}

}  // namespace lvx
