// The main window: picking box, the inspected window's fields, navigation and the command panels.
#include "MainForm.h"

#include "MainFormIds.h"
#include "SiblingLink.h"
#include "TextFiles.h"
#include "UNI_Processes.h"
#include "UNI_Strings.h"
#include "WindowCommands.h"
#include "UNI_WinVer.h"
#include "about/AboutForm.h"
#include "discovery/FoundWindowsForm.h"
#include "discovery/QuickInfo.h"
#include "discovery/QuickSearchForm.h"
#include "discovery/WindowSearch.h"
#include "discovery/WindowTreeForm.h"
#include "language/MessageTable.h"
#include "language/MultiLang.h"
#include "language/LangForm.h"
#include "menubrowser/MenuBrowser.h"
#include "settings/OptionsForm.h"
#include "tools/ChangeSizeForm.h"
#include "tools/StylesForm.h"
#include "settings/Settings.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <optional>
#include <cstdlib>
#include <cstring>

namespace lvx {

WindowInfo CurrentWindow;
std::vector<MessageName> MessageNames;

namespace {

constexpr char MainFormClass[] = "TMainForm";
constexpr char PaintBoxClass[] = "TPaintBox";
constexpr char ApplicationTitle[] = "Narvolt Lumivex";
constexpr DWORD MainFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD MainFormExStyle = WS_EX_CONTROLPARENT;
constexpr int ClientWidth = 323;   // at 96 DPI
constexpr UINT TrayMessage = WM_APP + 1;
constexpr UINT TrayIconId = 1;
constexpr UINT_PTR DragPollTimer = 1;
constexpr UINT DragPollInterval = 15;  // ms
constexpr UINT_PTR FrameCleanupTimer = 2;
constexpr UINT FrameCleanupDelay = 250;  // ms
constexpr COLORREF HandleColor = RGB(0, 0, 255);
constexpr COLORREF MissingColor = RGB(255, 0, 0);

// Heights of the panels, top to bottom, at 96 DPI.
constexpr int PanelHeights[] = {38, 138, 80, 30, 36, 56, 82};

using namespace MainFormIds;

}  // namespace

// ---- TPaintBox ----------------------------------------------------------------------------

bool TPaintBox::Create(TMainForm& form, HWND parent, int controlId)
{
    form_ = &form;
    if (!RegisterWindowClass(PaintBoxClass, CS_HREDRAW | CS_VREDRAW, nullptr, nullptr, nullptr)) return false;
    return CreateWindowObject(0, PaintBoxClass, "", WS_CHILD | WS_VISIBLE, RECT{0, 0, 0, 0}, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)));
}

void TPaintBox::Repaint()
{
    ::InvalidateRect(Handle(), nullptr, FALSE);
}

POINT TPaintBox::ScreenPoint(LPARAM lParam) const
{
    POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ::ClientToScreen(Handle(), &point);
    return point;
}

void TPaintBox::Paint()
{
    PaintDC paint(Handle());
    RECT client{};
    ::GetClientRect(Handle(), &client);
    const HBITMAP image = form_->PictureImage(form_->PictureIndex());
    BITMAP info{};
    if (image == nullptr || !::GetObjectA(image, sizeof info, &info)) {
        ::FillRect(paint.get(), &client, ::GetSysColorBrush(COLOR_BTNFACE));
        return;
    }
    const unique_dc memory(::CreateCompatibleDC(paint.get()));
    const SelectGuard select(memory.get(), image);
    ::SetStretchBltMode(paint.get(), COLORONCOLOR);
    ::StretchBlt(paint.get(), 0, 0, client.right, client.bottom, memory.get(), 0, 0, info.bmWidth, info.bmHeight,
                 SRCCOPY);
}

LRESULT TPaintBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN:
        if (!form_->IsPicking()) {
            ::SetFocus(Handle());  // so that Escape reaches us during the drag
            ::SetCapture(Handle());
            // Mouse messages are the drag's main input, but a window system may route them
            // elsewhere (or take the capture) while the button is held; the position and the
            // button are also polled, so a drag can neither miss its target nor get stuck.
            ::SetTimer(Handle(), DragPollTimer, DragPollInterval, nullptr);
            form_->PickingStart();
            form_->PickingMove(ScreenPoint(lParam));
        }
        return 0;
    case WM_MOUSEMOVE:
        if (form_->IsPicking()) form_->PickingMove(ScreenPoint(lParam));
        return 0;
    case WM_LBUTTONUP:
        if (form_->IsPicking()) FinishDrag(ScreenPoint(lParam));
        return 0;
    case WM_TIMER:
        if (wParam == DragPollTimer) {
            POINT cursor{};
            ::GetCursorPos(&cursor);
            if (!form_->IsPicking())
                ::KillTimer(Handle(), DragPollTimer);
            else if (!PickingButtonHeld())
                FinishDrag(cursor);
            else
                form_->PickingMove(cursor);
            return 0;
        }
        return DefaultHandling(message, wParam, lParam);
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE && form_->IsPicking()) {
            ::KillTimer(Handle(), DragPollTimer);
            form_->PickingCancel();
            if (::GetCapture() == Handle()) ::ReleaseCapture();
            return 0;
        }
        return DefaultHandling(message, wParam, lParam);
    case WM_CAPTURECHANGED:
        // Losing the mouse with the button still held: keep following it by polling. With the
        // button already up, the release happened where we could not see it: pick there.
        if (form_->IsPicking() && !PickingButtonHeld()) {
            POINT cursor{};
            ::GetCursorPos(&cursor);
            FinishDrag(cursor);
        }
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS;
    default:
        return DefaultHandling(message, wParam, lParam);
    }
}

void TPaintBox::FinishDrag(POINT screen)
{
    ::KillTimer(Handle(), DragPollTimer);
    form_->PickingEnd(screen);
    if (::GetCapture() == Handle()) ::ReleaseCapture();
}

bool TPaintBox::PickingButtonHeld()
{
    // GetAsyncKeyState sees the physical buttons: the logical left one is the right one when swapped.
    const int button = ::GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
    return (::GetAsyncKeyState(button) & 0x8000) != 0;
}

// ---- TMainForm: creation ------------------------------------------------------------------

TMainForm::TMainForm() = default;

TMainForm::~TMainForm()
{
    if (trayIconShown_) {
        NOTIFYICONDATAA icon{};
        icon.cbSize = sizeof icon;
        icon.hWnd = Handle();
        icon.uID = TrayIconId;
        ::Shell_NotifyIconA(NIM_DELETE, &icon);
    }
    if (accelerators_ != nullptr) ::DestroyAcceleratorTable(accelerators_);
}

bool TMainForm::FormCreate()
{
    const HICON icon = static_cast<HICON>(::LoadImageA(ProgramInstance(), "MAINICON", IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
    if (!RegisterWindowClass(MainFormClass, 0, ::GetSysColorBrush(COLOR_BTNFACE), nullptr, icon)) return false;
    if (!CreateWindowObject(MainFormExStyle, MainFormClass, ApplicationTitle, MainFormStyle,
                            RECT{0, 0, ClientWidth, 300}, nullptr, nullptr))
        return false;
    const HICON smallIcon = static_cast<HICON>(::LoadImageA(ProgramInstance(), "MAINICON", IMAGE_ICON,
                                                            ::GetSystemMetrics(SM_CXSMICON),
                                                            ::GetSystemMetrics(SM_CYSMICON), 0));
    if (smallIcon != nullptr) ::SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
    dpi_ = DpiOfWindow(Handle());
    taskbarCreatedMessage_ = ::RegisterWindowMessageA("TaskbarCreated");

    // The picking cursor, known to the drag as cursor 123 ("Sniper").
    sniperCursor_ = ::LoadCursorA(ProgramInstance(), "Sniper");
    if (sniperCursor_ == nullptr) sniperCursor_ = ::LoadCursorA(nullptr, IDC_CROSS);
    pictures_[0].reset(::LoadImageA(ProgramInstance(), "PICKIDLE", IMAGE_BITMAP, 0, 0, 0));
    pictures_[1].reset(::LoadImageA(ProgramInstance(), "PICKACTIVE", IMAGE_BITMAP, 0, 0, 0));

    ACCEL keys[] = {
        {FVIRTKEY, VK_F5, RefreshCommand},
        {FVIRTKEY | FCONTROL, VK_F1, AboutCommand},
        {FVIRTKEY, VK_F1, HelpCommand},
    };
    accelerators_ = ::CreateAcceleratorTableA(keys, static_cast<int>(std::size(keys)));

    hints_.Create(Handle());
    CreateFonts();
    CreateControls();
    CreatePriorityMenus();
    ApplyFonts();
    Translate();

    panelVisible_[Panel5] = panelVisible_[Panel2] = panelVisible_[Panel4] = panelVisible_[Panel3] = true;
    panelVisible_[ControlPanel] = SpeedButton16.Down();
    panelVisible_[ProcessPanel] = SpeedButton14.Down();
    panelVisible_[Panel6] = SpeedButton15.Down();
    Layout();

    ReadMessageNames();
    ReadSettings();

    // Top of the screen, right-aligned, above other windows.
    RECT window{};
    ::GetWindowRect(Handle(), &window);
    const int width = window.right - window.left;
    ::SetWindowPos(Handle(), HWND_TOPMOST, ::GetSystemMetrics(SM_CXSCREEN) - width, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOACTIVATE);
    return true;
}

void TMainForm::CreateFonts()
{
    uiFont_.reset(::CreateFontA(-::MulDiv(8, static_cast<int>(dpi_), 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS,
                                "Tahoma"));
    fixedFont_.reset(::CreateFontA(-::MulDiv(9, static_cast<int>(dpi_), 72), 0, 0, 0, FW_NORMAL, 0, 0, 0,
                                   DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                   FIXED_PITCH | FF_MODERN, "Courier New"));
    boldFixedFont_.reset(::CreateFontA(-::MulDiv(9, static_cast<int>(dpi_), 72), 0, 0, 0, FW_BOLD, 0, 0, 0,
                                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                       FIXED_PITCH | FF_MODERN, "Courier New"));
}

void TMainForm::ApplyFonts()
{
    const auto font = [](HWND control, const unique_gdi& chosen) {
        ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(chosen.get()), TRUE);
    };
    for (HWND child = ::GetWindow(Handle(), GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT))
        font(child, uiFont_);
    for (HWND edit : {Edit1, Edit2, Edit3, Edit4, Edit5, Edit6, Edit7, Edit8, Edit9, Edit10, Edit11, Edit13, Edit14,
                      Edit15, Edit16, Edit19})
        font(edit, fixedFont_);
    font(Edit12, boldFixedFont_);
}

HWND TMainForm::AddLabel(int number, const char* caption)
{
    const HWND label = ::CreateWindowExA(0, "STATIC", caption, WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_CENTERIMAGE,
                                         0, 0, 0, 0, Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(LabelId(number))),
                                         ProgramInstance(), nullptr);
    labels_[number] = label;
    panelControls_[creatingPanel_].push_back(label);
    return label;
}

HWND TMainForm::AddEdit(int number, bool readOnly)
{
    DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL;
    if (readOnly) style |= ES_READONLY;
    const HWND edit = ::CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", style, 0, 0, 0, 0, Handle(),
                                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(EditId(number))),
                                        ProgramInstance(), nullptr);
    panelControls_[creatingPanel_].push_back(edit);
    return edit;
}

void TMainForm::AddButton(SpeedButton& button, int number, const SpeedButton::Options& options, const char* hint)
{
    button.Create(Handle(), SpeedButtonId(number), options);
    panelControls_[creatingPanel_].push_back(button.Handle());
    if (hint != nullptr) hints_.SetHint(button.Handle(), hint);
}

void TMainForm::CreateControls()
{
    using Options = SpeedButton::Options;
    const auto refresh = [this](SpeedButton&) { RefreshExecute(); };

    // Top row.
    creatingPanel_ = Panel5;
    PaintBox1.Create(*this, Handle(), PaintBox1Id);
    panelControls_[Panel5].push_back(PaintBox1.Handle());
    AddLabel(6, "Хэндл окна");
    Edit6 = AddEdit(6, true);
    AddLabel(7, "Меню");
    Edit12 = AddEdit(12, true);
    AddButton(SpeedButton13, 13, Options{.Glyph = Glyph::Refresh}, "Обновить информацию");
    SpeedButton13.OnClick = refresh;
    AddButton(SpeedButton39, 39, Options{.Glyph = Glyph::Options}, "Настройки программы");
    SpeedButton39.OnClick = [this](SpeedButton&) { OptionsExecute(); };
    AddButton(SpeedButton40, 40, Options{.Glyph = Glyph::About}, "О программе...");
    SpeedButton40.OnClick = [this](SpeedButton&) { AboutExecute(); };
    AddButton(SpeedButton1, 1, Options{.GroupIndex = 1, .AllowAllUp = true, .Down = true, .Glyph = Glyph::StayOnTop},
              "Поверх всех окон");
    SpeedButton1.OnClick = [this](SpeedButton&) { SpeedButton1Click(); };
    AddButton(SpeedButton23, 23, Options{.GroupIndex = 23, .AllowAllUp = true, .Glyph = Glyph::MinToTray},
              "Сворачивать в System Tray");
    SpeedButton23.OnClick = [this](SpeedButton&) { SpeedButton23Click(); };

    // Text and geometry.
    creatingPanel_ = Panel2;
    AddLabel(1, "Текст окна");
    Edit1 = AddEdit(1, false);
    AddButton(SpeedButton35, 35, Options{.Glyph = Glyph::ChangeText}, "Изменить текст окна");
    SpeedButton35.OnClick = [this](SpeedButton&) { SpeedButton35Click(); };
    AddLabel(2, "Имя класса окна");
    Edit2 = AddEdit(2, true);
    AddLabel(3, "Координаты окна");
    Edit3 = AddEdit(3, true);
    AddLabel(4, "Размеры окна");
    Edit4 = AddEdit(4, true);
    AddLabel(5, "Относительные");
    Edit5 = AddEdit(5, true);
    AddLabel(10, "Клиентской области");
    Edit15 = AddEdit(15, true);
    AddButton(SpeedButton36, 36, Options{.Glyph = Glyph::WindowTree}, "Дерево окон");
    AddButton(SpeedButton37, 37, Options{.Glyph = Glyph::ChangeSize}, "Изменить положение и размеры окна");
    AddButton(SpeedButton34, 34, Options{.Glyph = Glyph::Flash}, "Мерцание текущего окна");
    AddButton(SpeedButton38, 38, Options{.Glyph = Glyph::MoreInfo}, "Дополнительная информация об окне");
    SpeedButton38.OnClick = [this](SpeedButton&) { SpeedButton38Click(); };
    SpeedButton37.OnClick = [this](SpeedButton&) { SpeedButton37Click(); };
    SpeedButton36.OnClick = [this](SpeedButton&) { SpeedButton36Click(); };
    SpeedButton34.OnClick = [this](SpeedButton&) { SpeedButton34Click(); };

    // Related windows: navigation button, handle, quick-info button per row.
    creatingPanel_ = Panel4;
    struct Row {
        SpeedButton* Navigate;
        int Number;
        int Tag;
        Glyph Symbol;
        const char* Hint;
        HWND* Field;
        int FieldNumber;
        SpeedButton* Info;
        int InfoNumber;
        int InfoTag;
    };
    const Row rows[] = {
        {&SpeedButton3, 3, 1, Glyph::GotoParent, "Перейти к родительскому окну", &Edit7, 7, &SpeedButton8, 8, 0},
        {&SpeedButton4, 4, 2, Glyph::GotoChild, "Перейти к дочернему окну", &Edit8, 8, &SpeedButton9, 9, 1},
        {&SpeedButton7, 7, 5, Glyph::GotoOwner, "Перейти к окну-владельцу", &Edit11, 11, &SpeedButton10, 10, 2},
        {&SpeedButton5, 5, 3, Glyph::GotoNext, "Перейти к следующему окну", &Edit9, 9, &SpeedButton11, 11, 3},
        {&SpeedButton6, 6, 4, Glyph::GotoPrev, "Перейти к предыдущему окну", &Edit10, 10, &SpeedButton12, 12, 4},
    };
    for (const Row& row : rows) {
        AddButton(*row.Navigate, row.Number, Options{.Tag = row.Tag, .Glyph = row.Symbol}, row.Hint);
        row.Navigate->OnClick = [this](SpeedButton& sender) { SpeedButton7Click(sender); };
        *row.Field = AddEdit(row.FieldNumber, true);
        AddButton(*row.Info, row.InfoNumber, Options{.Tag = row.InfoTag, .Glyph = Glyph::QuickInfo},
                  "Краткая информация об окне");
        row.Info->OnClick = [this](SpeedButton& sender) { SpeedButton8Click(sender); };
    }
    AddButton(SpeedButton33, 33, Options{.Glyph = Glyph::FindWindow}, "Простой поиск окна по маске");
    SpeedButton33.OnClick = [this](SpeedButton&) { SpeedButton33Click(); };

    // Panel switches.
    creatingPanel_ = Panel3;
    AddButton(SpeedButton2, 2, Options{.GroupIndex = 2, .AllowAllUp = true, .Caption = "Меню"}, nullptr);
    SpeedButton2.OnClick = [this](SpeedButton&) { SpeedButton2Click(); };
    AddButton(SpeedButton16, 16, Options{.GroupIndex = 16, .AllowAllUp = true, .Caption = "Управление"}, nullptr);
    AddButton(SpeedButton14, 14, Options{.GroupIndex = 14, .AllowAllUp = true, .Caption = "Процесс"}, nullptr);
    AddButton(SpeedButton15, 15, Options{.GroupIndex = 15, .AllowAllUp = true, .Caption = "Сообщения"}, nullptr);
    for (SpeedButton* button : {&SpeedButton16, &SpeedButton14, &SpeedButton15})
        button->OnClick = [this](SpeedButton&) { PanelSwitchClick(); };

    // Window commands.
    creatingPanel_ = ControlPanel;
    AddButton(SpeedButton17, 17, Options{.Tag = 0, .GroupIndex = 20, .Glyph = Glyph::Minimize}, "Минимизировать окно");
    AddButton(SpeedButton18, 18, Options{.Tag = 1, .GroupIndex = 20, .Down = true, .Glyph = Glyph::Restore},
              "Восстановить размеры окна");
    AddButton(SpeedButton19, 19, Options{.Tag = 2, .GroupIndex = 20, .Glyph = Glyph::Maximize},
              "Распахнуть окно на весь экран");
    AddButton(SpeedButton20, 20, Options{.Glyph = Glyph::Close}, "Закрыть окно");
    AddButton(SpeedButton22, 22, Options{.Tag = 4, .Glyph = Glyph::CloseSysMenu},
              "Закрытие окна через команду системного меню");
    AddButton(SpeedButton21, 21, Options{.GroupIndex = 21, .AllowAllUp = true, .Glyph = Glyph::Visible}, "Окно видимо");
    AddButton(SpeedButton24, 24, Options{.GroupIndex = 24, .AllowAllUp = true, .Glyph = Glyph::Enabled}, "Окно активно");
    AddButton(SpeedButton25, 25, Options{.GroupIndex = 25, .AllowAllUp = true, .Glyph = Glyph::Topmost},
              "Поверх всех окон");
    for (SpeedButton* button : {&SpeedButton17, &SpeedButton18, &SpeedButton19})
        button->OnClick = [this](SpeedButton& sender) { SpeedButton17Click(sender); };
    SpeedButton20.OnClick = [this](SpeedButton&) { SpeedButton20Click(); };
    SpeedButton22.OnClick = [this](SpeedButton&) { SpeedButton22Click(); };
    SpeedButton21.OnClick = [this](SpeedButton&) { SpeedButton21Click(); };
    SpeedButton24.OnClick = [this](SpeedButton&) { SpeedButton24Click(); };
    SpeedButton25.OnClick = [this](SpeedButton&) { SpeedButton25Click(); };

    // Process and thread.
    creatingPanel_ = ProcessPanel;
    AddLabel(8, "ID процесса");
    Edit13 = AddEdit(13, true);
    AddButton(SpeedButton26, 26, Options{.Glyph = Glyph::ProcessPriority}, "Изменить приоритет процесса");
    AddButton(SpeedButton27, 27, Options{.Glyph = Glyph::TerminateProcess}, "Принудительно завершить процесс");
    AddLabel(9, "ID потока");
    Edit14 = AddEdit(14, true);
    AddButton(SpeedButton28, 28, Options{.Glyph = Glyph::ThreadPriority}, "Изменить приоритет потока");
    AddButton(SpeedButton30, 30, Options{.Tag = 0, .Glyph = Glyph::FreezeThread}, "Заморозить поток");
    Edit16 = AddEdit(16, true);
    hints_.SetHint(Edit16, "Счетчик заморозок потока");
    AddButton(SpeedButton31, 31, Options{.Tag = 1, .Glyph = Glyph::UnfreezeThread}, "Разморозить поток");
    AddButton(SpeedButton29, 29, Options{.Glyph = Glyph::TerminateThread}, "Принудительно завершить поток");
    SpeedButton26.OnClick = [this](SpeedButton&) { SpeedButton26Click(); };
    SpeedButton27.OnClick = [this](SpeedButton&) { SpeedButton27Click(); };
    SpeedButton28.OnClick = [this](SpeedButton&) { SpeedButton28Click(); };
    SpeedButton30.OnClick = [this](SpeedButton& sender) { SpeedButton31Click(sender); };
    SpeedButton31.OnClick = [this](SpeedButton& sender) { SpeedButton31Click(sender); };
    SpeedButton29.OnClick = [this](SpeedButton&) { SpeedButton29Click(); };

    // Messages.
    creatingPanel_ = Panel6;
    AddLabel(12, "Сообщение");
    ComboBox1 = ::CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN |
                                                         CBS_AUTOHSCROLL,
                                  0, 0, 0, 0, Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(ComboBox1Id)),
                                  ProgramInstance(), nullptr);
    panelControls_[Panel6].push_back(ComboBox1);
    AddLabel(13, "wParam");
    Edit17 = AddEdit(17, false);
    ::SetWindowTextA(Edit17, "#0");
    AddLabel(14, "lParam");
    Edit18 = AddEdit(18, false);
    ::SetWindowTextA(Edit18, "#0");
    AddLabel(15, "Result");
    Edit19 = AddEdit(19, true);
    AddButton(SpeedButton32, 32, Options{.Glyph = Glyph::SendMessage}, "Отправить окну сообщение");
    SpeedButton32.OnClick = [this](SpeedButton&) { SpeedButton32Click(); };
}

void TMainForm::CreatePriorityMenus()
{
    processPriorityMenu_.reset(::CreatePopupMenu());
    const char* const processItems[] = {"Реального времени", "Высокий", "Выше среднего", "Средний", "Ниже среднего",
                                        "Низкий"};
    for (int number = 1; number <= 6; ++number) {
        UINT flags = MF_STRING;
        // "Above normal" and "below normal" exist only from NT 5 on.
        if ((number == 3 || number == 5) && !HasExtendedPriorities) flags |= MF_GRAYED;
        ::AppendMenuA(processPriorityMenu_.get(), flags, ProcessPriorityItem(number), processItems[number - 1]);
    }
    threadPriorityMenu_.reset(::CreatePopupMenu());
    const char* const threadItems[] = {"TIME_CRITICAL", "HIGHEST", "ABOVE_NORMAL", "NORMAL", "BELOW_NORMAL", "LOWEST",
                                       "IDLE"};
    for (int tag = 0; tag < 7; ++tag)
        ::AppendMenuA(threadPriorityMenu_.get(), MF_STRING, ThreadPriorityItem(tag), threadItems[tag]);
}

std::vector<TranslationTarget> TMainForm::TranslationTargets()
{
    const auto caption = [](HWND control) {
        return [control](const std::string& text) { ::SetWindowTextA(control, text.c_str()); };
    };
    const auto buttonCaption = [](SpeedButton& button) {
        return [&button](const std::string& text) { button.SetCaption(text); };
    };
    const auto hint = [this](std::initializer_list<HWND> controls) {
        std::vector<HWND> targets(controls);
        return [this, targets](const std::string& text) {
            for (HWND control : targets) hints_.SetHint(control, text);
        };
    };
    const auto item = [this](int number) {
        return [this, number](const std::string& text) {
            ::ModifyMenuA(processPriorityMenu_.get(), ProcessPriorityItem(number), MF_BYCOMMAND | MF_STRING,
                          ProcessPriorityItem(number), text.c_str());
            if ((number == 3 || number == 5) && !HasExtendedPriorities)
                ::EnableMenuItem(processPriorityMenu_.get(), ProcessPriorityItem(number), MF_BYCOMMAND | MF_GRAYED);
        };
    };
    return {
        {"WindowText", caption(labels_[1])},
        {"WindowClass", caption(labels_[2])},
        {"WindowCoords", caption(labels_[3])},
        {"WindowSize", caption(labels_[4])},
        {"RelativeCoords", caption(labels_[5])},
        {"ClientArea", caption(labels_[10])},
        {"WndHandle", caption(labels_[6])},
        {"Menu", caption(labels_[7])},
        {"PID", caption(labels_[8])},
        {"TID", caption(labels_[9])},
        {"Message", caption(labels_[12])},
        {"RefreshInfo", hint({SpeedButton13.Handle()})},
        {"Options", hint({SpeedButton39.Handle()})},
        {"About", hint({SpeedButton40.Handle()})},
        {"StayOnTop", hint({SpeedButton1.Handle()})},
        {"MinToTray", hint({SpeedButton23.Handle()})},
        {"ChangeText", hint({SpeedButton35.Handle()})},
        {"ChangeSize", hint({SpeedButton37.Handle()})},
        {"FlashWindow", hint({SpeedButton34.Handle()})},
        {"AddInfo", hint({SpeedButton38.Handle()})},
        {"GotoParent", hint({SpeedButton3.Handle()})},
        {"GotoChild", hint({SpeedButton4.Handle()})},
        {"GotoOwner", hint({SpeedButton7.Handle()})},
        {"GotoNext", hint({SpeedButton5.Handle()})},
        {"GotoPrev", hint({SpeedButton6.Handle()})},
        {"WndInfo", hint({SpeedButton8.Handle(), SpeedButton9.Handle(), SpeedButton10.Handle(), SpeedButton11.Handle(),
                          SpeedButton12.Handle()})},
        {"WndTree", hint({SpeedButton36.Handle()})},
        {"FindWnd", hint({SpeedButton33.Handle()})},
        {"MenuBtn", buttonCaption(SpeedButton2)},
        {"WndManage", buttonCaption(SpeedButton16)},
        {"Messages", buttonCaption(SpeedButton15)},
        {"Process", buttonCaption(SpeedButton14)},
        {"Minimize", hint({SpeedButton17.Handle()})},
        {"Restore", hint({SpeedButton18.Handle()})},
        {"Maximize", hint({SpeedButton19.Handle()})},
        {"Close", hint({SpeedButton20.Handle()})},
        {"Close2", hint({SpeedButton22.Handle()})},
        {"WndVisible", hint({SpeedButton21.Handle()})},
        {"WndEnabled", hint({SpeedButton24.Handle()})},
        {"WndTopmost", hint({SpeedButton25.Handle()})},
        {"ChangeProcPrior", hint({SpeedButton26.Handle()})},
        {"TerminateProcess", hint({SpeedButton27.Handle()})},
        {"ChangeThreadPrior", hint({SpeedButton28.Handle()})},
        {"TerminateThread", hint({SpeedButton29.Handle()})},
        {"FreezeThread", hint({SpeedButton30.Handle()})},
        {"Unfreeze thread", hint({SpeedButton31.Handle()})},
        {"SendMessage", hint({SpeedButton32.Handle()})},
        {"FreezeCounter", hint({Edit16})},
        {"RealTimeProc", item(1)},
        {"HighProc", item(2)},
        {"AboveNormalProc", item(3)},
        {"NormalProc", item(4)},
        {"BelowNormalProc", item(5)},
        {"IdleProc", item(6)},
    };
}

void TMainForm::Translate()
{
    TranslateWindow("LumivexForm", TranslationTargets());
}

void TMainForm::OptionsExecute()
{
    if (langForm_ == nullptr) return;
    if (!optionsForm_) optionsForm_ = std::make_unique<TOptionsForm>(*langForm_, [] {
        // The main window reads MagneticField on every move; the parameters editor will follow here.
    });
    optionsForm_->ShowModal(Handle());
}

TQuickSearchForm& TMainForm::QuickSearchForm()
{
    if (!quickSearchForm_) quickSearchForm_ = std::make_unique<TQuickSearchForm>();
    return *quickSearchForm_;
}

void TMainForm::SpeedButton36Click()
{
    if (!windowTreeForm_) {
        windowTreeForm_ = std::make_unique<TWindowTreeForm>(QuickSearchForm(), [this](WindowInfo info) {
            CurrentWindow = std::move(info);
            ShowWindowInfo(CurrentWindow, false);
        });
    }
    windowTreeForm_->InitialWindow = CurrentWindow.Handle;
    windowTreeForm_->ShowTree(Handle());
}

void TMainForm::SpeedButton8Click(SpeedButton& sender)
{
    if (!quickInfoForm_) quickInfoForm_ = std::make_unique<TQuickInfoForm>();
    quickInfoForm_->ShowInfo(Handle(), RelatedWindowByTag(CurrentWindow, sender.Tag()));
}

void TMainForm::SpeedButton37Click()
{
    if (CurrentWindow.Handle == nullptr) return;
    if (!changeSizeForm_) changeSizeForm_ = std::make_unique<TChangeSizeForm>();
    changeSizeForm_->ShowFor(Handle(), CurrentWindow);
    RefreshExecute();
}

void TMainForm::SpeedButton38Click()
{
    if (CurrentWindow.Handle == nullptr) return;
    if (!stylesForm_) stylesForm_ = std::make_unique<TStylesForm>(CurrentWindow, [this] { RefreshExecute(); });
    stylesForm_->ShowParameters(Handle());
}

void TMainForm::SpeedButton2Click()
{
    if (!menuBrowserForm_) {
        auto browser = std::make_unique<TMenuBrowserForm>(CurrentWindow, Handle());
        if (!browser->FormCreate()) return;
        menuBrowserForm_ = std::move(browser);
    }
    if (SpeedButton2.Down()) {
        menuBrowserForm_->Dock();
        menuBrowserForm_->RebuildMenuTree(CurrentWindow.Menu);
        ::ShowWindow(menuBrowserForm_->Handle(), SW_SHOWNOACTIVATE);
    } else {
        ::ShowWindow(menuBrowserForm_->Handle(), SW_HIDE);
    }
}

void TMainForm::SpeedButton33Click()
{
    TQuickSearchForm& search = QuickSearchForm();
    if (!search.ShowForSimpleSearch(Handle())) return;
    if (search.Scope() == SearchScope::Children && CurrentWindow.Handle == nullptr) return;
    std::string error;
    if (!SearchWindowsByMask(search.TextMask(), search.ClassMask(), search.Scope(), CurrentWindow.Handle, error)) {
        ReportError(Handle(), error.c_str());
        return;
    }
    if (FoundWindows.empty()) {
        ::MessageBoxA(Handle(), MessageText(Msg::NoWindowsFound).c_str(), MessageText(Msg::MESSAGE).c_str(),
                      MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (FoundWindows.size() > 1) {
        if (!foundWindowsForm_) foundWindowsForm_ = std::make_unique<TFoundWindowsForm>();
        foundWindowsForm_->ShowList(Handle());
        const int chosen = foundWindowsForm_->ChosenIndex;
        if (chosen < 0 || static_cast<size_t>(chosen) >= FoundWindows.size()) return RefreshExecute();
        CurrentWindow.Handle = FoundWindows[static_cast<size_t>(chosen)].Handle;
    } else {
        CurrentWindow.Handle = FoundWindows.front().Handle;
    }
    RefreshExecute();
}

// ---- TMainForm: layout --------------------------------------------------------------------

void TMainForm::Layout()
{
    int top = 0;
    int panelTop = 0;
    const auto scale = [this](int value) { return ScaleForDpi(value, dpi_); };
    const auto place = [&](HWND control, int x, int y, int width, int height) {
        ::SetWindowPos(control, nullptr, scale(x), panelTop + scale(y), scale(width), scale(height),
                       SWP_NOZORDER | SWP_NOACTIVATE);
    };
    const auto placeButton = [&](SpeedButton& button, int x, int y, int width, int height) {
        place(button.Handle(), x, y, width, height);
    };
    for (int panel = 0; panel < PanelCount; ++panel) {
        panelTop = top;
        const int height = panelVisible_[panel] ? scale(PanelHeights[panel]) : 0;
        panelBounds_[panel] = RECT{0, top, scale(ClientWidth), top + height};
        top += height;
        switch (panel) {
        case Panel5: {
            // The box is as large as one picture; the handle and menu fields follow it 4 pixels apart.
            BITMAP picture{};
            const bool hasPicture = pictures_[0] && ::GetObjectA(pictures_[0].get(), sizeof picture, &picture);
            const int boxWidth = hasPicture ? picture.bmWidth : 31;
            const int boxHeight = hasPicture ? picture.bmHeight : 28;
            place(PaintBox1.Handle(), 4, 5, boxWidth, boxHeight);
            const int handleLeft = 4 + boxWidth + 4;
            place(labels_[6], handleLeft, 2, 72, 15);
            place(Edit6, handleLeft, 17, 72, 19);
            const int menuLeft = handleLeft + 72 + 4;
            place(labels_[7], menuLeft, 2, 40, 15);
            place(Edit12, menuLeft, 17, 40, 19);
            placeButton(SpeedButton13, 187, 7, 25, 25);
            placeButton(SpeedButton39, 212, 7, 25, 25);
            placeButton(SpeedButton40, 237, 7, 25, 25);
            placeButton(SpeedButton1, 269, 7, 25, 25);
            placeButton(SpeedButton23, 294, 7, 25, 25);
            break;
        }
        case Panel2: {
            const int rowTop[] = {4, 26, 48, 70, 92, 114};
            const int rowLabels[] = {1, 2, 3, 4, 5, 10};
            for (int row = 0; row < 6; ++row) place(labels_[rowLabels[row]], 6, rowTop[row], 100, 20);
            place(Edit1, 108, 4, 189, 20);
            placeButton(SpeedButton35, 297, 4, 20, 20);  // square, as high as the text field
            place(Edit2, 108, 26, 209, 20);
            place(Edit3, 108, 48, 96, 20);
            place(Edit4, 108, 70, 96, 20);
            place(Edit5, 108, 92, 96, 20);
            place(Edit15, 108, 114, 96, 20);
            placeButton(SpeedButton36, 229, 52, 40, 38);
            placeButton(SpeedButton37, 273, 52, 40, 38);
            placeButton(SpeedButton34, 229, 94, 40, 38);
            placeButton(SpeedButton38, 273, 94, 40, 38);
            break;
        }
        case Panel4: {
            // Each row: navigation button, its handle centred on it, the quick-info button square beside.
            struct Row {
                SpeedButton* Navigate;
                HWND Field;
                SpeedButton* Info;
                int Left;
                int Top;
            };
            const Row rows[] = {
                {&SpeedButton3, Edit7, &SpeedButton8, 6, 4},   {&SpeedButton4, Edit8, &SpeedButton9, 6, 28},
                {&SpeedButton7, Edit11, &SpeedButton10, 6, 52}, {&SpeedButton5, Edit9, &SpeedButton11, 128, 4},
                {&SpeedButton6, Edit10, &SpeedButton12, 128, 28},
            };
            for (const Row& row : rows) {
                placeButton(*row.Navigate, row.Left, row.Top, 22, 22);
                place(row.Field, row.Left + 24, row.Top + 1, 74, 20);
                placeButton(*row.Info, row.Left + 98, row.Top + 1, 20, 20);
            }
            placeButton(SpeedButton33, 128, 52, 118, 22);
            break;
        }
        case Panel3:
            placeButton(SpeedButton2, 4, 4, 78, 22);
            placeButton(SpeedButton16, 83, 4, 78, 22);
            placeButton(SpeedButton14, 162, 4, 78, 22);
            placeButton(SpeedButton15, 241, 4, 78, 22);
            break;
        case ControlPanel:
            placeButton(SpeedButton17, 6, 4, 28, 28);
            placeButton(SpeedButton18, 35, 4, 28, 28);
            placeButton(SpeedButton19, 64, 4, 28, 28);
            placeButton(SpeedButton20, 106, 4, 28, 28);
            placeButton(SpeedButton22, 135, 4, 28, 28);
            placeButton(SpeedButton21, 177, 4, 28, 28);
            placeButton(SpeedButton24, 206, 4, 28, 28);
            placeButton(SpeedButton25, 235, 4, 28, 28);
            break;
        case ProcessPanel:
            place(labels_[8], 6, 4, 100, 20);
            place(Edit13, 108, 4, 74, 20);
            placeButton(SpeedButton26, 182, 4, 20, 20);
            placeButton(SpeedButton27, 202, 4, 20, 20);
            place(labels_[9], 6, 30, 100, 20);
            place(Edit14, 108, 30, 74, 20);
            placeButton(SpeedButton28, 182, 30, 20, 20);
            placeButton(SpeedButton30, 202, 30, 20, 20);
            place(Edit16, 222, 30, 30, 20);
            placeButton(SpeedButton31, 252, 30, 20, 20);
            placeButton(SpeedButton29, 272, 30, 20, 20);
            break;
        case Panel6:
            place(labels_[12], 6, 4, 70, 21);
            place(ComboBox1, 78, 4, 239, 220);
            place(labels_[13], 6, 30, 50, 20);
            place(Edit17, 58, 30, 100, 20);
            place(labels_[14], 166, 30, 44, 20);
            place(Edit18, 212, 30, 105, 20);
            place(labels_[15], 6, 56, 50, 20);
            place(Edit19, 58, 56, 100, 20);
            placeButton(SpeedButton32, 293, 54, 24, 24);
            break;
        default:
            break;
        }
    }
    UpdatePanels();
    SetClientHeight(top);
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

void TMainForm::SetClientHeight(int height)
{
    RECT rect{0, 0, ScaleForDpi(ClientWidth, dpi_), height};
    AdjustWindowRectForDpi(rect, MainFormStyle, MainFormExStyle, dpi_);
    ::SetWindowPos(Handle(), nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TMainForm::UpdatePanels()
{
    for (int panel = 0; panel < PanelCount; ++panel)
        for (HWND control : panelControls_[panel]) SetVisible(control, panelVisible_[panel]);
    // Showing the panel showed every button of the related windows: only those of existing ones stay.
    UpdateRelatedButtons();
    UpdateProcessButtons(CurrentWindow.Handle != nullptr && !IsPicking());
}

void TMainForm::UpdateRelatedButtons()
{
    const std::pair<SpeedButton*, SpeedButton*> rows[] = {
        {&SpeedButton3, &SpeedButton8},  {&SpeedButton4, &SpeedButton9},  {&SpeedButton5, &SpeedButton11},
        {&SpeedButton6, &SpeedButton12}, {&SpeedButton7, &SpeedButton10},
    };
    static_assert(std::size(rows) == std::tuple_size_v<decltype(relatedShown_)>);
    for (size_t row = 0; row < std::size(rows); ++row) {
        rows[row].first->SetVisible(relatedShown_[row]);
        rows[row].second->SetVisible(relatedShown_[row]);
    }
}

void TMainForm::UpdateProcessButtons(bool windowShown)
{
    const bool panel = panelVisible_[ProcessPanel];
    SpeedButton26.SetVisible(panel && windowShown);
    SpeedButton27.SetVisible(panel && windowShown);
    const bool threads = panel && windowShown && CanOpenThreads;
    for (SpeedButton* button : {&SpeedButton28, &SpeedButton29, &SpeedButton30, &SpeedButton31})
        button->SetVisible(threads);
    SetVisible(Edit16, threads);
}

void TMainForm::PaintPanels()
{
    PaintDC paint(Handle());
    for (int panel = 0; panel < PanelCount; ++panel) {
        if (!panelVisible_[panel]) continue;
        RECT bounds = panelBounds_[panel];
        ::DrawEdge(paint.get(), &bounds, BDR_RAISEDINNER, BF_RECT);
    }
}

void TMainForm::ReadMessageNames()
{
    std::string content;
    if (ReadWholeFile(ProgramFolder + "messages.lst", content)) MessageNames = ParseMessageList(content);
}

// ---- TMainForm: display -------------------------------------------------------------------

void TMainForm::SetText(HWND control, const std::string& text)
{
    // Setting an unchanged text still repaints the field; picking calls this on every move.
    const int length = ::GetWindowTextLengthA(control);
    if (length == static_cast<int>(text.size())) {
        std::string current(static_cast<size_t>(length) + 1, '\0');
        ::GetWindowTextA(control, current.data(), length + 1);
        current.resize(static_cast<size_t>(length));
        if (current == text) return;
    }
    ::SetWindowTextA(control, text.c_str());
}

void TMainForm::SetVisible(HWND control, bool visible)
{
    const bool now = (::GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0;
    if (now != visible) ::ShowWindow(control, visible ? SW_SHOWNA : SW_HIDE);
}

void TMainForm::ShowHandle(HWND control, HWND value)
{
    const bool exists = value != nullptr && ::IsWindow(value);
    const COLORREF color = exists ? HandleColor : MissingColor;
    auto [entry, added] = textColors_.try_emplace(control, color);
    if (!added && entry->second != color) {
        entry->second = color;
        ::InvalidateRect(control, nullptr, TRUE);
    }
    SetText(control, exists ? FormatHandle(HandleValue(value)) : MessageText(Msg::NoWindowFound));
}

void TMainForm::ShowWindowInfo(const WindowInfo& info, bool picking)
{
    SetText(Edit16, "");
    ShowHandle(Edit6, info.Handle);
    ShowHandle(Edit7, info.Parent);
    ShowHandle(Edit8, info.Child);
    ShowHandle(Edit9, info.Next);
    ShowHandle(Edit10, info.Previous);
    ShowHandle(Edit11, info.Owner);
    SetText(Edit13, FormatHandle(info.ProcessId));
    SetText(Edit14, FormatHandle(info.ThreadId));

    switch (info.ShowState) {
    case WindowShowState::Minimized: SpeedButton17.SetDown(true); break;
    case WindowShowState::Maximized: SpeedButton19.SetDown(true); break;
    case WindowShowState::Normal: SpeedButton18.SetDown(true); break;
    }

    UpdateProcessButtons(info.Handle != nullptr && !picking);

    // The menu browser follows every full display once it exists.
    if (!picking && menuBrowserForm_) menuBrowserForm_->RebuildMenuTree(info.Menu);

    SpeedButton21.SetDown(info.Visible);
    SpeedButton24.SetDown(info.Enabled);
    SpeedButton25.SetDown(info.Topmost);

    const bool wasMissing = textColors_.count(Edit1) != 0;
    if (info.Handle != nullptr) {
        if (wasMissing) ::SendMessageA(Edit1, EM_SETREADONLY, FALSE, 0);
        textColors_.erase(Edit1);
        SetText(Edit1, info.Text);
        SetText(Edit2, info.ClassName);
        SetText(Edit3, FormatPoint(info.Left, info.Top));
        SetText(Edit4, FormatSize(info.Width, info.Height));
        SetText(Edit15, FormatSize(info.ClientWidth, info.ClientHeight));
        SetText(Edit5, info.Parent != nullptr ? FormatPoint(info.RelativeLeft, info.RelativeTop) : std::string());
        SetText(Edit12, info.Menu != nullptr ? MessageText(Msg::Has) : MessageText(Msg::Hasnt));
    } else {
        if (!wasMissing) ::SendMessageA(Edit1, EM_SETREADONLY, TRUE, 0);
        textColors_[Edit1] = MissingColor;
        SetText(Edit1, MessageText(Msg::NoWindowFoundTxt));
        for (HWND field : {Edit2, Edit3, Edit4, Edit5, Edit6, Edit7, Edit8, Edit9, Edit10, Edit11, Edit12, Edit13,
                           Edit14, Edit15})
            SetText(field, "");
    }
    if (wasMissing != (textColors_.count(Edit1) != 0)) ::InvalidateRect(Edit1, nullptr, TRUE);  // its colours changed
    SpeedButton35.SetEnabled(false);

    if (!picking) {
        // Kept for the layout, which runs again while picking too (a DPI change) and must not
        // take the picked window's relations for the inspected one's.
        relatedShown_ = {CurrentWindow.Parent != nullptr, CurrentWindow.Child != nullptr, CurrentWindow.Next != nullptr,
                         CurrentWindow.Previous != nullptr, CurrentWindow.Owner != nullptr};
        UpdateRelatedButtons();
        // The parameters editor follows every full display, shown or hidden.
        if (stylesForm_) stylesForm_->RefreshParameters();
    }
}

void TMainForm::RefreshExecute()
{
    WindowInfo info;
    GatherWindowInfo(CurrentWindow.Handle, false, info);
    CurrentWindow = std::move(info);
    ShowWindowInfo(CurrentWindow, false);
}

LRESULT TMainForm::ControlColor(HDC dc, HWND control, bool editable)
{
    const auto color = textColors_.find(control);
    if (color != textColors_.end()) ::SetTextColor(dc, color->second);
    if (editable) return DefaultHandling(WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
    ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
}

// ---- TMainForm: picking -------------------------------------------------------------------

void TMainForm::SetPictureIndex(int index)
{
    pictureIndex_ = index;
    PaintBox1.Repaint();
}

HBITMAP TMainForm::PictureImage(int index) const
{
    return index >= 0 && index < 2 ? static_cast<HBITMAP>(pictures_[index].get()) : nullptr;
}

void TMainForm::PickingStart()
{
    drag_.emplace(*this);
    ::SetCursor(sniperCursor_);
}

void TMainForm::PickingMove(POINT screen)
{
    if (drag_) ::SetCursor(drag_->GetDragCursor(screen));
}

void TMainForm::PickingEnd(POINT screen)
{
    if (!drag_) return;
    // The drag object goes before the refresh's display runs, so the process buttons come back.
    TMyDrag drag = std::move(*drag_);
    drag_.reset();
    drag.EndDrag(screen);
    ScheduleFrameCleanup(drag.LastFrame());
}

void TMainForm::PickingCancel()
{
    if (!drag_) return;
    TMyDrag drag = std::move(*drag_);
    drag_.reset();
    drag.CancelDrag();
    ScheduleFrameCleanup(drag.LastFrame());
}

void TMainForm::ScheduleFrameCleanup(const RECT& frame)
{
    // Screen drawing can reach the display after the windows below it repainted; one more
    // repaint of the frame's place a moment later leaves nothing behind.
    if (::IsRectEmpty(&frame)) return;
    cleanupFrame_ = frame;
    ::SetTimer(Handle(), FrameCleanupTimer, FrameCleanupDelay, nullptr);
}

// ---- TMainForm: commands ------------------------------------------------------------------

void TMainForm::SpeedButton7Click(SpeedButton& sender)
{
    HWND target = nullptr;
    switch (sender.Tag()) {
    case 1: target = CurrentWindow.Parent; break;
    case 2: target = CurrentWindow.Child; break;
    case 3: target = CurrentWindow.Next; break;
    case 4: target = CurrentWindow.Previous; break;
    case 5: target = CurrentWindow.Owner; break;
    default: return;
    }
    if (target == nullptr || !::IsWindow(target)) return;
    WindowInfo info;
    GatherWindowInfo(target, false, info);
    CurrentWindow = std::move(info);
    ShowWindowInfo(CurrentWindow, false);
}

// ---- TMainForm: window commands ----------------------------------------------------------

std::string TMainForm::ControlText(HWND control) const
{
    return GetControlText(control);
}

void TMainForm::ShowError(Msg message, UINT extraFlags) const
{
    ::MessageBoxA(Handle(), MessageText(message).c_str(), MessageText(Msg::ERROR_).c_str(),
                  MB_OK | MB_ICONERROR | extraFlags);
}

void TMainForm::SpeedButton17Click(SpeedButton& sender)
{
    if (!sender.Down()) return;
    const WPARAM command = sender.Tag() == 0 ? SC_MINIMIZE : sender.Tag() == 2 ? SC_MAXIMIZE : SC_RESTORE;
    LRESULT result = 0;
    SendMessageWithTimeout(CurrentWindow.Handle, WM_SYSCOMMAND, command, 0, result);
    RefreshExecute();
}

void TMainForm::SpeedButton20Click()
{
    LRESULT result = 0;
    SendMessageWithTimeout(CurrentWindow.Handle, WM_CLOSE, 0, 0, result);
    RefreshExecute();
}

void TMainForm::SpeedButton22Click()
{
    LRESULT result = 0;
    SendMessageWithTimeout(CurrentWindow.Handle, WM_SYSCOMMAND, SC_CLOSE, 0, result);
    RefreshExecute();
}

void TMainForm::SpeedButton21Click()
{
    const HWND window = CurrentWindow.Handle;
    if (window == nullptr) return;
    const int show = SpeedButton21.Down() ? SW_SHOW : SW_HIDE;
    CallWithTimeout(window, [window, show] { ::ShowWindow(window, show); });
    RefreshExecute();
}

void TMainForm::SpeedButton24Click()
{
    const HWND window = CurrentWindow.Handle;
    if (window == nullptr) return;
    const BOOL enable = SpeedButton24.Down() ? TRUE : FALSE;
    CallWithTimeout(window, [window, enable] { ::EnableWindow(window, enable); });
    RefreshExecute();
}

void TMainForm::SpeedButton25Click()
{
    const HWND window = CurrentWindow.Handle;
    const HWND after = SpeedButton25.Down() ? HWND_TOPMOST : HWND_NOTOPMOST;
    CallWithTimeout(window, [window, after] {
        ::SetWindowPos(window, after, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
    });
    RefreshExecute();
}

void TMainForm::SpeedButton34Click()
{
    if (CurrentWindow.Handle != nullptr) FlashTargetWindow(CurrentWindow.Handle);
}

void TMainForm::SpeedButton35Click()
{
    if (CurrentWindow.Handle != nullptr && !ChangeWindowText(CurrentWindow.Handle, ControlText(Edit1)))
        ::MessageBoxA(Handle(), MessageText(Msg::CCWT).c_str(), MessageText(Msg::WARNING).c_str(),
                      MB_OK | MB_ICONWARNING);
    RefreshExecute();
}

namespace {

// wParam and lParam are as wide as a pointer (handles and pointers travel in them on 64-bit
// Windows); a 32-bit build reads them in 32 bits.
std::optional<uintptr_t> ParseMessageParameter(const std::string& text)
{
    if constexpr (sizeof(uintptr_t) > sizeof(uint32_t)) {
        const std::optional<uint64_t> value = ParseWideNumberNotation(text);
        if (!value) return std::nullopt;
        return static_cast<uintptr_t>(*value);
    } else {
        const std::optional<uint32_t> value = ParseNumberNotation(text);
        if (!value) return std::nullopt;
        return static_cast<uintptr_t>(*value);
    }
}

}  // namespace

void TMainForm::SpeedButton32Click()
{
    if (CurrentWindow.Handle == nullptr) return;
    const std::string name = UpperCaseAscii(ControlText(ComboBox1));
    std::optional<uint32_t> message = ParseNumberNotation(name);
    if (!message) {
        const auto found = std::find_if(MessageNames.begin(), MessageNames.end(),
                                        [&](const MessageName& entry) { return entry.Name == name; });
        if (found != MessageNames.end()) message = found->Value;
    }
    const auto wParam = ParseMessageParameter(ControlText(Edit17));
    const auto lParam = ParseMessageParameter(ControlText(Edit18));
    if (!message || !wParam || !lParam) {
        ShowError(Msg::InvalidMessage);
    } else {
        LRESULT result = 0;
        SendMessageWithTimeout(CurrentWindow.Handle, *message, static_cast<WPARAM>(*wParam),
                               static_cast<LPARAM>(*lParam), result);
        SetText(Edit19, std::to_string(static_cast<uintptr_t>(result)));
    }
    RefreshExecute();
}

// ---- TMainForm: process and thread commands -----------------------------------------------

namespace {

// The process priority classes of the items N1 ... N6, by Tag.
constexpr DWORD ProcessPriorityClasses[] = {REALTIME_PRIORITY_CLASS, HIGH_PRIORITY_CLASS, ABOVE_NORMAL_PRIORITY_CLASS,
                                            NORMAL_PRIORITY_CLASS, BELOW_NORMAL_PRIORITY_CLASS, IDLE_PRIORITY_CLASS};
// The thread priorities of the thread menu's items, by Tag.
constexpr int ThreadPriorities[] = {15, 2, 1, 0, -1, -2, -15};
constexpr int NormalThreadItem = 3;

// The screen point where a button's menu opens: its right edge, at its top.
POINT MenuPoint(const SpeedButton& button)
{
    RECT rect{};
    ::GetWindowRect(button.Handle(), &rect);
    return POINT{rect.right, rect.top};
}

}  // namespace

bool TMainForm::IsOwnProcess() const
{
    // Freezing or ending the inspector's own thread or process would hang or kill the tool.
    return CurrentWindow.ProcessId == ::GetCurrentProcessId();
}

void TMainForm::SpeedButton26Click()
{
    if (CurrentWindow.ProcessId == 0) return;
    DWORD priority = 0;
    if (const unique_kernel_handle process(::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, CurrentWindow.ProcessId));
        process)
        priority = ::GetPriorityClass(process.get());
    int item = 4;  // "normal", also when the process cannot be opened
    switch (priority) {
    case IDLE_PRIORITY_CLASS: item = 6; break;
    case HIGH_PRIORITY_CLASS: item = 2; break;
    case REALTIME_PRIORITY_CLASS: item = 1; break;
    case BELOW_NORMAL_PRIORITY_CLASS: item = 5; break;
    case ABOVE_NORMAL_PRIORITY_CLASS: item = 3; break;
    default: break;
    }
    ::CheckMenuRadioItem(processPriorityMenu_.get(), ProcessPriorityItem(1), ProcessPriorityItem(6),
                         ProcessPriorityItem(item), MF_BYCOMMAND);
    const POINT point = MenuPoint(SpeedButton26);
    ::TrackPopupMenu(processPriorityMenu_.get(), TPM_LEFTALIGN | TPM_TOPALIGN, point.x, point.y, 0, Handle(), nullptr);
}

void TMainForm::N6Click(int tag)
{
    if (CurrentWindow.Handle == nullptr || CurrentWindow.ProcessId == 0 || tag < 0 || tag > 5) return;
    const unique_kernel_handle process(::OpenProcess(
        PROCESS_QUERY_INFORMATION | PROCESS_SET_INFORMATION | PROCESS_TERMINATE, FALSE, CurrentWindow.ProcessId));
    if (!process || !::SetPriorityClass(process.get(), ProcessPriorityClasses[tag])) ShowError(Msg::CPP);
}

void TMainForm::SpeedButton27Click()
{
    if (CurrentWindow.Handle == nullptr || CurrentWindow.ProcessId == 0 || IsOwnProcess()) return;
    if (const unique_kernel_handle process(::OpenProcess(PROCESS_TERMINATE, FALSE, CurrentWindow.ProcessId)); process)
        ::TerminateProcess(process.get(), 0);
    ::Sleep(300);  // time for the process to go before the refresh looks
    RefreshExecute();
}

void TMainForm::SpeedButton28Click()
{
    if (CurrentWindow.ThreadId != 0) {
        int priority = THREAD_PRIORITY_ERROR_RETURN;
        if (const unique_kernel_handle thread(OpenTargetThread()); thread) priority = ::GetThreadPriority(thread.get());
        int item = NormalThreadItem;
        for (int tag = 0; tag < 7; ++tag) {
            if (ThreadPriorities[tag] == priority) {
                item = tag;
                break;
            }
        }
        ::CheckMenuRadioItem(threadPriorityMenu_.get(), ThreadPriorityItem(0), ThreadPriorityItem(6),
                             ThreadPriorityItem(item), MF_BYCOMMAND);
        const POINT point = MenuPoint(SpeedButton28);
        ::TrackPopupMenu(threadPriorityMenu_.get(), TPM_LEFTALIGN | TPM_TOPALIGN, point.x, point.y, 0, Handle(), nullptr);
    }
    RefreshExecute();
}

void TMainForm::IDLE1Click(int tag)
{
    if (CurrentWindow.ThreadId != 0 && tag >= 0 && tag < 7) {
        if (const unique_kernel_handle thread(OpenTargetThread()); thread) {
            if (!::SetThreadPriority(thread.get(), ThreadPriorities[tag])) ShowError(Msg::CTP);
        }
    }
    RefreshExecute();
}

void TMainForm::SpeedButton31Click(SpeedButton& sender)
{
    if (CurrentWindow.ThreadId == 0 || IsOwnProcess()) return;
    const unique_kernel_handle thread(OpenTargetThread());
    if (!thread) return;
    // Both calls answer the count before them; the field shows the count after.
    if (sender.Tag() == 0) {
        const DWORD count = ::SuspendThread(thread.get());
        if (count == static_cast<DWORD>(-1))
            ShowError(Msg::CST);
        else
            SetText(Edit16, std::to_string(count + 1));
    } else {
        const DWORD count = ::ResumeThread(thread.get());
        if (count == static_cast<DWORD>(-1))
            ShowError(Msg::CRT);
        else
            SetText(Edit16, std::to_string(std::max<int64_t>(0, static_cast<int64_t>(count) - 1)));
    }
}

void TMainForm::SpeedButton29Click()
{
    if (CurrentWindow.Handle == nullptr || CurrentWindow.ThreadId == 0 || IsOwnProcess()) return;
    const unique_kernel_handle thread(OpenTargetThread());
    if (!thread) {
        ShowError(Msg::OnlyME2000XP, MB_TASKMODAL);
        return;
    }
    ::TerminateThread(thread.get(), 0);
    ::Sleep(300);
    RefreshExecute();
}

void TMainForm::Edit1Change()
{
    if (CurrentWindow.Handle == nullptr) return;
    const int length = ::GetWindowTextLengthA(Edit1);
    std::string text(static_cast<size_t>(std::max(length, 0)) + 1, '\0');
    ::GetWindowTextA(Edit1, text.data(), length + 1);
    text.resize(std::strlen(text.c_str()));
    SpeedButton35.SetEnabled(text != CurrentWindow.Text);
}

void TMainForm::PanelSwitchClick()
{
    panelVisible_[ControlPanel] = SpeedButton16.Down();
    panelVisible_[ProcessPanel] = SpeedButton14.Down();
    panelVisible_[Panel6] = SpeedButton15.Down();
    Layout();
}

void TMainForm::SpeedButton1Click()
{
    ::SetWindowPos(Handle(), SpeedButton1.Down() ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TMainForm::SpeedButton23Click()
{
    // The flag is read when the window is minimised; nothing else changes now.
}

void TMainForm::AboutExecute()
{
    if (!aboutForm_) aboutForm_ = std::make_unique<TAboutForm>();
    aboutForm_->ShowAbout(Handle());
}

void TMainForm::HelpExecute()
{
    const std::string helpFile = ProgramFolder + "lvx.hlp";
    if (!FileExists(helpFile)) {
        ::MessageBeep(MB_ICONWARNING);
        return;
    }
    ::WinHelpA(Handle(), helpFile.c_str(), HELP_COMMAND, reinterpret_cast<ULONG_PTR>("JI(`',`main')"));
}

void TMainForm::ComboBox1DropDown()
{
    // CB_RESETCONTENT empties the edit part too: keep what the user typed.
    const std::string typed = ControlText(ComboBox1);
    ::SendMessageA(ComboBox1, CB_RESETCONTENT, 0, 0);
    ::SetWindowTextA(ComboBox1, typed.c_str());
    const std::string filter = UpperCaseAscii(typed);
    for (const MessageName& entry : MessageNames)
        if (entry.Name.find(filter) != std::string::npos)
            ::SendMessageA(ComboBox1, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.Name.c_str()));
}

// ---- TMainForm: show, close, tray, snapping, DPI ------------------------------------------

void TMainForm::ShowForm()
{
    ::ShowWindow(Handle(), SW_SHOWNORMAL);
    // Some window systems forget the z-order asked for a window that was not shown yet.
    SpeedButton1Click();
    ::UpdateWindow(Handle());
    FormShow();
}

void TMainForm::FormShow()
{
    if (!shownOnce_) {
        shownOnce_ = true;
        const HMENU systemMenu = ::GetSystemMenu(Handle(), FALSE);
        if (systemMenu != nullptr) {
            ::AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
            ::AppendMenuA(systemMenu, MF_STRING, SystemMenuAbout, MessageText(Msg::LVX_ABOUT).c_str());
        }
    }
    SetPictureIndex(0);
    ReportRunStateToSibling(RunStateStarted);
    RefreshExecute();
}

void TMainForm::FormClose()
{
    ReportRunStateToSibling(RunStateStopping);
}

void TMainForm::MinimizeToTray()
{
    NOTIFYICONDATAA icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = Handle();
    icon.uID = TrayIconId;
    icon.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    icon.uCallbackMessage = TrayMessage;
    icon.hIcon = reinterpret_cast<HICON>(::SendMessageA(Handle(), WM_GETICON, ICON_SMALL, 0));
    lstrcpynA(icon.szTip, ApplicationTitle, static_cast<int>(std::size(icon.szTip)));
    ::ShowWindow(Handle(), SW_HIDE);
    trayIconShown_ = ::Shell_NotifyIconA(NIM_ADD, &icon) != FALSE;
    if (!trayIconShown_) RestoreFromTray();  // no tray to go to: do not lose the window
}

void TMainForm::RestoreFromTray()
{
    if (trayIconShown_) {
        NOTIFYICONDATAA icon{};
        icon.cbSize = sizeof icon;
        icon.hWnd = Handle();
        icon.uID = TrayIconId;
        ::Shell_NotifyIconA(NIM_DELETE, &icon);
        trayIconShown_ = false;
    }
    ::ShowWindow(Handle(), SW_RESTORE);
    ::SetForegroundWindow(Handle());
    FormShow();
}

void TMainForm::SnapToEdges(RECT& rect)
{
    SnapToWorkArea(rect, dpi_);
}

void TMainForm::OnDpiChanged(UINT dpi, const RECT& suggested)
{
    dpi_ = dpi;
    CreateFonts();
    ApplyFonts();
    ::SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Layout();
}

bool TMainForm::PreTranslateMessage(MSG& message)
{
    if (Handle() == nullptr) return false;
    // The modeless parameters editor: Tab, Enter and Escape work there as in any dialog.
    if (stylesForm_ && stylesForm_->Handle() != nullptr &&
        (message.hwnd == stylesForm_->Handle() || ::IsChild(stylesForm_->Handle(), message.hwnd)))
        return ::IsDialogMessageA(stylesForm_->Handle(), &message) != FALSE;
    const bool ours = message.hwnd == Handle() || ::IsChild(Handle(), message.hwnd);
    if (!ours) return false;
    if (accelerators_ != nullptr && !IsPicking() && ::TranslateAcceleratorA(Handle(), accelerators_, &message))
        return true;
    // Dialog-style keyboard navigation, except while picking, when Escape belongs to the drag.
    if (!IsPicking() && ::IsDialogMessageA(Handle(), &message)) return true;
    return false;
}

LRESULT TMainForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const int code = HIWORD(wParam);
        if (id == RefreshCommand) RefreshExecute();
        else if (id == AboutCommand) AboutExecute();
        else if (id == HelpCommand) HelpExecute();
        else if (id == EditId(1) && code == EN_CHANGE) Edit1Change();
        else if (id == ComboBox1Id && code == CBN_DROPDOWN) ComboBox1DropDown();
        else if (id >= ProcessPriorityItem(1) && id <= ProcessPriorityItem(6)) N6Click(id - ProcessPriorityItem(1));
        else if (id >= ThreadPriorityItem(0) && id <= ThreadPriorityItem(6)) IDLE1Click(id - ThreadPriorityItem(0));
        return 0;
    }
    case WM_SYSCOMMAND:
        if (wParam == SystemMenuAbout) {
            AboutExecute();
            return 0;
        }
        if ((wParam & 0xFFF0) == SC_MINIMIZE && SpeedButton23.Down()) {
            MinimizeToTray();
            return 0;
        }
        return DefaultHandling(message, wParam, lParam);
    case WM_CTLCOLORSTATIC:
        return ControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), false);
    case WM_CTLCOLOREDIT:
        return ControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), true);
    case WM_PAINT:
        PaintPanels();
        return 0;
    case WM_MOVING:
        if (MagneticField) SnapToEdges(*reinterpret_cast<RECT*>(lParam));
        return TRUE;
    case WM_MOVE:
        if (menuBrowserForm_ && menuBrowserForm_->Pinned() && menuBrowserForm_->IsVisible()) menuBrowserForm_->Dock();
        return DefaultHandling(message, wParam, lParam);
    case WM_DPICHANGED:
        OnDpiChanged(HIWORD(wParam), *reinterpret_cast<RECT*>(lParam));
        return 0;
    case WM_TIMER:
        if (wParam == FrameCleanupTimer) {
            ::KillTimer(Handle(), FrameCleanupTimer);
            ::RedrawWindow(nullptr, &cleanupFrame_, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
            return 0;
        }
        return DefaultHandling(message, wParam, lParam);
    case TrayMessage:
        if (lParam == WM_LBUTTONDBLCLK) RestoreFromTray();
        return 0;
    case WM_CLOSE:
        FormClose();
        ::DestroyWindow(Handle());
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        if (message == taskbarCreatedMessage_ && taskbarCreatedMessage_ != 0 && trayIconShown_) {
            // Explorer restarted: put the icon back.
            trayIconShown_ = false;
            MinimizeToTray();
            return 0;
        }
        return DefaultHandling(message, wParam, lParam);
    }
}

}  // namespace lvx
