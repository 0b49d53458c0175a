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

    panelVisible_[TopPanel] = panelVisible_[GeometryPanel] = panelVisible_[RelatedPanel] = panelVisible_[SwitchPanel] = true;
    panelVisible_[CommandPanel] = commandPanelButton_.Down();
    panelVisible_[ProcessPanel] = processPanelButton_.Down();
    panelVisible_[MessagePanel] = messagePanelButton_.Down();
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
    for (HWND edit : {windowTextEdit_, classNameEdit_, positionEdit_, sizeEdit_, relativePositionEdit_, handleEdit_, parentEdit_, childEdit_, nextEdit_, previousEdit_, ownerEdit_, processIdEdit_, threadIdEdit_,
                      clientSizeEdit_, suspendCountEdit_, resultEdit_})
        font(edit, fixedFont_);
    font(menuEdit_, boldFixedFont_);
}

HWND TMainForm::AddLabel(int id, const char* caption)
{
    const HWND label = ::CreateWindowExA(0, "STATIC", caption, WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_CENTERIMAGE,
                                         0, 0, 0, 0, Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                         ProgramInstance(), nullptr);
    labels_[id] = label;
    panelControls_[creatingPanel_].push_back(label);
    return label;
}

HWND TMainForm::AddEdit(int id, bool readOnly)
{
    DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL;
    if (readOnly) style |= ES_READONLY;
    const HWND edit = ::CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", style, 0, 0, 0, 0, Handle(),
                                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                        ProgramInstance(), nullptr);
    panelControls_[creatingPanel_].push_back(edit);
    return edit;
}

void TMainForm::AddButton(SpeedButton& button, int id, const SpeedButton::Options& options, const char* hint)
{
    button.Create(Handle(), id, options);
    panelControls_[creatingPanel_].push_back(button.Handle());
    if (hint != nullptr) hints_.SetHint(button.Handle(), hint);
}

void TMainForm::CreateControls()
{
    using Options = SpeedButton::Options;
    const auto refresh = [this](SpeedButton&) { RefreshExecute(); };

    // Top row.
    creatingPanel_ = TopPanel;
    pickingBox_.Create(*this, Handle(), PickingBoxId);
    panelControls_[TopPanel].push_back(pickingBox_.Handle());
    AddLabel(HandleLabelId, "Хэндл окна");
    handleEdit_ = AddEdit(HandleEditId, true);
    AddLabel(MenuLabelId, "Меню");
    menuEdit_ = AddEdit(MenuEditId, true);
    AddButton(refreshButton_, RefreshButtonId, Options{.Glyph = Glyph::Refresh}, "Обновить информацию");
    refreshButton_.OnClick = refresh;
    AddButton(optionsButton_, OptionsButtonId, Options{.Glyph = Glyph::Options}, "Настройки программы");
    optionsButton_.OnClick = [this](SpeedButton&) { OptionsExecute(); };
    AddButton(aboutButton_, AboutButtonId, Options{.Glyph = Glyph::About}, "О программе...");
    aboutButton_.OnClick = [this](SpeedButton&) { AboutExecute(); };
    AddButton(stayOnTopButton_, StayOnTopButtonId, Options{.GroupIndex = 1, .AllowAllUp = true, .Down = true, .Glyph = Glyph::StayOnTop},
              "Поверх всех окон");
    stayOnTopButton_.OnClick = [this](SpeedButton&) { StayOnTopClick(); };
    AddButton(minimizeToTrayButton_, MinimizeToTrayButtonId, Options{.GroupIndex = 23, .AllowAllUp = true, .Glyph = Glyph::MinToTray},
              "Сворачивать в System Tray");
    minimizeToTrayButton_.OnClick = [this](SpeedButton&) { MinimizeToTrayClick(); };

    // Text and geometry.
    creatingPanel_ = GeometryPanel;
    AddLabel(WindowTextLabelId, "Текст окна");
    windowTextEdit_ = AddEdit(WindowTextEditId, false);
    AddButton(changeTextButton_, ChangeTextButtonId, Options{.Glyph = Glyph::ChangeText}, "Изменить текст окна");
    changeTextButton_.OnClick = [this](SpeedButton&) { ChangeTextClick(); };
    AddLabel(ClassNameLabelId, "Имя класса окна");
    classNameEdit_ = AddEdit(ClassNameEditId, true);
    AddLabel(PositionLabelId, "Координаты окна");
    positionEdit_ = AddEdit(PositionEditId, true);
    AddLabel(SizeLabelId, "Размеры окна");
    sizeEdit_ = AddEdit(SizeEditId, true);
    AddLabel(RelativePositionLabelId, "Относительные");
    relativePositionEdit_ = AddEdit(RelativePositionEditId, true);
    AddLabel(ClientSizeLabelId, "Клиентской области");
    clientSizeEdit_ = AddEdit(ClientSizeEditId, true);
    AddButton(windowTreeButton_, WindowTreeButtonId, Options{.Glyph = Glyph::WindowTree}, "Дерево окон");
    AddButton(changeSizeButton_, ChangeSizeButtonId, Options{.Glyph = Glyph::ChangeSize}, "Изменить положение и размеры окна");
    AddButton(flashButton_, FlashButtonId, Options{.Glyph = Glyph::Flash}, "Мерцание текущего окна");
    AddButton(parametersButton_, ParametersButtonId, Options{.Glyph = Glyph::MoreInfo}, "Дополнительная информация об окне");
    parametersButton_.OnClick = [this](SpeedButton&) { ParametersClick(); };
    changeSizeButton_.OnClick = [this](SpeedButton&) { ChangeSizeClick(); };
    windowTreeButton_.OnClick = [this](SpeedButton&) { WindowTreeClick(); };
    flashButton_.OnClick = [this](SpeedButton&) { FlashClick(); };

    // Related windows: navigation button, handle, quick-info button per row.
    creatingPanel_ = RelatedPanel;
    struct Row {
        SpeedButton* Navigate;
        int ButtonId;
        int Tag;
        Glyph Symbol;
        const char* Hint;
        HWND* Field;
        int FieldId;
        SpeedButton* Info;
        int InfoId;
        int InfoTag;
    };
    const Row rows[] = {
        {&gotoParentButton_, GotoParentButtonId, 1, Glyph::GotoParent, "Перейти к родительскому окну", &parentEdit_, ParentEditId, &parentInfoButton_, ParentInfoButtonId, 0},
        {&gotoChildButton_, GotoChildButtonId, 2, Glyph::GotoChild, "Перейти к дочернему окну", &childEdit_, ChildEditId, &childInfoButton_, ChildInfoButtonId, 1},
        {&gotoOwnerButton_, GotoOwnerButtonId, 5, Glyph::GotoOwner, "Перейти к окну-владельцу", &ownerEdit_, OwnerEditId, &ownerInfoButton_, OwnerInfoButtonId, 2},
        {&gotoNextButton_, GotoNextButtonId, 3, Glyph::GotoNext, "Перейти к следующему окну", &nextEdit_, NextEditId, &nextInfoButton_, NextInfoButtonId, 3},
        {&gotoPreviousButton_, GotoPreviousButtonId, 4, Glyph::GotoPrev, "Перейти к предыдущему окну", &previousEdit_, PreviousEditId, &previousInfoButton_, PreviousInfoButtonId, 4},
    };
    for (const Row& row : rows) {
        AddButton(*row.Navigate, row.ButtonId, Options{.Tag = row.Tag, .Glyph = row.Symbol}, row.Hint);
        row.Navigate->OnClick = [this](SpeedButton& sender) { GotoRelatedClick(sender); };
        *row.Field = AddEdit(row.FieldId, true);
        AddButton(*row.Info, row.InfoId, Options{.Tag = row.InfoTag, .Glyph = Glyph::QuickInfo},
                  "Краткая информация об окне");
        row.Info->OnClick = [this](SpeedButton& sender) { QuickInfoClick(sender); };
    }
    AddButton(findWindowButton_, FindWindowButtonId, Options{.Glyph = Glyph::FindWindow}, "Простой поиск окна по маске");
    findWindowButton_.OnClick = [this](SpeedButton&) { FindWindowClick(); };

    // Panel switches.
    creatingPanel_ = SwitchPanel;
    AddButton(menuBrowserButton_, MenuBrowserButtonId, Options{.GroupIndex = 2, .AllowAllUp = true, .Caption = "Меню"}, nullptr);
    menuBrowserButton_.OnClick = [this](SpeedButton&) { MenuBrowserClick(); };
    AddButton(commandPanelButton_, CommandPanelButtonId, Options{.GroupIndex = 16, .AllowAllUp = true, .Caption = "Управление"}, nullptr);
    AddButton(processPanelButton_, ProcessPanelButtonId, Options{.GroupIndex = 14, .AllowAllUp = true, .Caption = "Процесс"}, nullptr);
    AddButton(messagePanelButton_, MessagePanelButtonId, Options{.GroupIndex = 15, .AllowAllUp = true, .Caption = "Сообщения"}, nullptr);
    for (SpeedButton* button : {&commandPanelButton_, &processPanelButton_, &messagePanelButton_})
        button->OnClick = [this](SpeedButton&) { PanelSwitchClick(); };

    // Window commands.
    creatingPanel_ = CommandPanel;
    AddButton(minimizeButton_, MinimizeButtonId, Options{.Tag = 0, .GroupIndex = 20, .Glyph = Glyph::Minimize}, "Минимизировать окно");
    AddButton(restoreButton_, RestoreButtonId, Options{.Tag = 1, .GroupIndex = 20, .Down = true, .Glyph = Glyph::Restore},
              "Восстановить размеры окна");
    AddButton(maximizeButton_, MaximizeButtonId, Options{.Tag = 2, .GroupIndex = 20, .Glyph = Glyph::Maximize},
              "Распахнуть окно на весь экран");
    AddButton(closeButton_, CloseButtonId, Options{.Glyph = Glyph::Close}, "Закрыть окно");
    AddButton(sysCommandCloseButton_, SysCommandCloseButtonId, Options{.Tag = 4, .Glyph = Glyph::CloseSysMenu},
              "Закрытие окна через команду системного меню");
    AddButton(visibleButton_, VisibleButtonId, Options{.GroupIndex = 21, .AllowAllUp = true, .Glyph = Glyph::Visible}, "Окно видимо");
    AddButton(enabledButton_, EnabledButtonId, Options{.GroupIndex = 24, .AllowAllUp = true, .Glyph = Glyph::Enabled}, "Окно активно");
    AddButton(topmostButton_, TopmostButtonId, Options{.GroupIndex = 25, .AllowAllUp = true, .Glyph = Glyph::Topmost},
              "Поверх всех окон");
    for (SpeedButton* button : {&minimizeButton_, &restoreButton_, &maximizeButton_})
        button->OnClick = [this](SpeedButton& sender) { ShowStateClick(sender); };
    closeButton_.OnClick = [this](SpeedButton&) { CloseClick(); };
    sysCommandCloseButton_.OnClick = [this](SpeedButton&) { SysCommandCloseClick(); };
    visibleButton_.OnClick = [this](SpeedButton&) { VisibleClick(); };
    enabledButton_.OnClick = [this](SpeedButton&) { EnabledClick(); };
    topmostButton_.OnClick = [this](SpeedButton&) { TopmostClick(); };

    // Process and thread.
    creatingPanel_ = ProcessPanel;
    AddLabel(ProcessIdLabelId, "ID процесса");
    processIdEdit_ = AddEdit(ProcessIdEditId, true);
    AddButton(processPriorityButton_, ProcessPriorityButtonId, Options{.Glyph = Glyph::ProcessPriority}, "Изменить приоритет процесса");
    AddButton(terminateProcessButton_, TerminateProcessButtonId, Options{.Glyph = Glyph::TerminateProcess}, "Принудительно завершить процесс");
    AddLabel(ThreadIdLabelId, "ID потока");
    threadIdEdit_ = AddEdit(ThreadIdEditId, true);
    AddButton(threadPriorityButton_, ThreadPriorityButtonId, Options{.Glyph = Glyph::ThreadPriority}, "Изменить приоритет потока");
    AddButton(suspendThreadButton_, SuspendThreadButtonId, Options{.Tag = 0, .Glyph = Glyph::FreezeThread}, "Заморозить поток");
    suspendCountEdit_ = AddEdit(SuspendCountEditId, true);
    hints_.SetHint(suspendCountEdit_, "Счетчик заморозок потока");
    AddButton(resumeThreadButton_, ResumeThreadButtonId, Options{.Tag = 1, .Glyph = Glyph::UnfreezeThread}, "Разморозить поток");
    AddButton(terminateThreadButton_, TerminateThreadButtonId, Options{.Glyph = Glyph::TerminateThread}, "Принудительно завершить поток");
    processPriorityButton_.OnClick = [this](SpeedButton&) { ProcessPriorityClick(); };
    terminateProcessButton_.OnClick = [this](SpeedButton&) { TerminateProcessClick(); };
    threadPriorityButton_.OnClick = [this](SpeedButton&) { ThreadPriorityClick(); };
    suspendThreadButton_.OnClick = [this](SpeedButton& sender) { SuspendResumeClick(sender); };
    resumeThreadButton_.OnClick = [this](SpeedButton& sender) { SuspendResumeClick(sender); };
    terminateThreadButton_.OnClick = [this](SpeedButton&) { TerminateThreadClick(); };

    // Messages.
    creatingPanel_ = MessagePanel;
    AddLabel(MessageLabelId, "Сообщение");
    messageCombo_ = ::CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN |
                                                         CBS_AUTOHSCROLL,
                                  0, 0, 0, 0, Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(MessageComboId)),
                                  ProgramInstance(), nullptr);
    panelControls_[MessagePanel].push_back(messageCombo_);
    AddLabel(WParamLabelId, "wParam");
    wParamEdit_ = AddEdit(WParamEditId, false);
    ::SetWindowTextA(wParamEdit_, "#0");
    AddLabel(LParamLabelId, "lParam");
    lParamEdit_ = AddEdit(LParamEditId, false);
    ::SetWindowTextA(lParamEdit_, "#0");
    AddLabel(ResultLabelId, "Result");
    resultEdit_ = AddEdit(ResultEditId, true);
    AddButton(sendMessageButton_, SendMessageButtonId, Options{.Glyph = Glyph::SendMessage}, "Отправить окну сообщение");
    sendMessageButton_.OnClick = [this](SpeedButton&) { SendMessageClick(); };
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
        ::AppendMenuA(processPriorityMenu_.get(), flags, RealTimePriorityItemId + number - 1, processItems[number - 1]);
    }
    threadPriorityMenu_.reset(::CreatePopupMenu());
    const char* const threadItems[] = {"TIME_CRITICAL", "HIGHEST", "ABOVE_NORMAL", "NORMAL", "BELOW_NORMAL", "LOWEST",
                                       "IDLE"};
    for (int tag = 0; tag < 7; ++tag)
        ::AppendMenuA(threadPriorityMenu_.get(), MF_STRING, TimeCriticalThreadItemId + tag, threadItems[tag]);
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
            ::ModifyMenuA(processPriorityMenu_.get(), RealTimePriorityItemId + number - 1, MF_BYCOMMAND | MF_STRING,
                          RealTimePriorityItemId + number - 1, text.c_str());
            if ((number == 3 || number == 5) && !HasExtendedPriorities)
                ::EnableMenuItem(processPriorityMenu_.get(), RealTimePriorityItemId + number - 1, MF_BYCOMMAND | MF_GRAYED);
        };
    };
    return {
        {"WindowText", caption(labels_[WindowTextLabelId])},
        {"WindowClass", caption(labels_[ClassNameLabelId])},
        {"WindowCoords", caption(labels_[PositionLabelId])},
        {"WindowSize", caption(labels_[SizeLabelId])},
        {"RelativeCoords", caption(labels_[RelativePositionLabelId])},
        {"ClientArea", caption(labels_[ClientSizeLabelId])},
        {"WndHandle", caption(labels_[HandleLabelId])},
        {"Menu", caption(labels_[MenuLabelId])},
        {"PID", caption(labels_[ProcessIdLabelId])},
        {"TID", caption(labels_[ThreadIdLabelId])},
        {"Message", caption(labels_[MessageLabelId])},
        {"RefreshInfo", hint({refreshButton_.Handle()})},
        {"Options", hint({optionsButton_.Handle()})},
        {"About", hint({aboutButton_.Handle()})},
        {"StayOnTop", hint({stayOnTopButton_.Handle()})},
        {"MinToTray", hint({minimizeToTrayButton_.Handle()})},
        {"ChangeText", hint({changeTextButton_.Handle()})},
        {"ChangeSize", hint({changeSizeButton_.Handle()})},
        {"FlashWindow", hint({flashButton_.Handle()})},
        {"AddInfo", hint({parametersButton_.Handle()})},
        {"GotoParent", hint({gotoParentButton_.Handle()})},
        {"GotoChild", hint({gotoChildButton_.Handle()})},
        {"GotoOwner", hint({gotoOwnerButton_.Handle()})},
        {"GotoNext", hint({gotoNextButton_.Handle()})},
        {"GotoPrev", hint({gotoPreviousButton_.Handle()})},
        {"WndInfo", hint({parentInfoButton_.Handle(), childInfoButton_.Handle(), ownerInfoButton_.Handle(), nextInfoButton_.Handle(),
                          previousInfoButton_.Handle()})},
        {"WndTree", hint({windowTreeButton_.Handle()})},
        {"FindWnd", hint({findWindowButton_.Handle()})},
        {"MenuBtn", buttonCaption(menuBrowserButton_)},
        {"WndManage", buttonCaption(commandPanelButton_)},
        {"Messages", buttonCaption(messagePanelButton_)},
        {"Process", buttonCaption(processPanelButton_)},
        {"Minimize", hint({minimizeButton_.Handle()})},
        {"Restore", hint({restoreButton_.Handle()})},
        {"Maximize", hint({maximizeButton_.Handle()})},
        {"Close", hint({closeButton_.Handle()})},
        {"Close2", hint({sysCommandCloseButton_.Handle()})},
        {"WndVisible", hint({visibleButton_.Handle()})},
        {"WndEnabled", hint({enabledButton_.Handle()})},
        {"WndTopmost", hint({topmostButton_.Handle()})},
        {"ChangeProcPrior", hint({processPriorityButton_.Handle()})},
        {"TerminateProcess", hint({terminateProcessButton_.Handle()})},
        {"ChangeThreadPrior", hint({threadPriorityButton_.Handle()})},
        {"TerminateThread", hint({terminateThreadButton_.Handle()})},
        {"FreezeThread", hint({suspendThreadButton_.Handle()})},
        {"Unfreeze thread", hint({resumeThreadButton_.Handle()})},
        {"SendMessage", hint({sendMessageButton_.Handle()})},
        {"FreezeCounter", hint({suspendCountEdit_})},
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

void TMainForm::WindowTreeClick()
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

void TMainForm::QuickInfoClick(SpeedButton& sender)
{
    if (!quickInfoForm_) quickInfoForm_ = std::make_unique<TQuickInfoForm>();
    quickInfoForm_->ShowInfo(Handle(), RelatedWindowByTag(CurrentWindow, sender.Tag()));
}

void TMainForm::ChangeSizeClick()
{
    if (CurrentWindow.Handle == nullptr) return;
    if (!changeSizeForm_) changeSizeForm_ = std::make_unique<TChangeSizeForm>();
    changeSizeForm_->ShowFor(Handle(), CurrentWindow);
    RefreshExecute();
}

void TMainForm::ParametersClick()
{
    if (CurrentWindow.Handle == nullptr) return;
    if (!stylesForm_) stylesForm_ = std::make_unique<TStylesForm>(CurrentWindow, [this] { RefreshExecute(); });
    stylesForm_->ShowParameters(Handle());
}

void TMainForm::MenuBrowserClick()
{
    if (!menuBrowserForm_) {
        auto browser = std::make_unique<TMenuBrowserForm>(CurrentWindow, Handle());
        if (!browser->FormCreate()) return;
        menuBrowserForm_ = std::move(browser);
    }
    if (menuBrowserButton_.Down()) {
        menuBrowserForm_->Dock();
        menuBrowserForm_->RebuildMenuTree(CurrentWindow.Menu);
        ::ShowWindow(menuBrowserForm_->Handle(), SW_SHOWNOACTIVATE);
    } else {
        ::ShowWindow(menuBrowserForm_->Handle(), SW_HIDE);
    }
}

void TMainForm::FindWindowClick()
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
        case TopPanel: {
            // The box is as large as one picture; the handle and menu fields follow it 4 pixels apart.
            BITMAP picture{};
            const bool hasPicture = pictures_[0] && ::GetObjectA(pictures_[0].get(), sizeof picture, &picture);
            const int boxWidth = hasPicture ? picture.bmWidth : 31;
            const int boxHeight = hasPicture ? picture.bmHeight : 28;
            place(pickingBox_.Handle(), 4, 5, boxWidth, boxHeight);
            const int handleLeft = 4 + boxWidth + 4;
            place(labels_[HandleLabelId], handleLeft, 2, 72, 15);
            place(handleEdit_, handleLeft, 17, 72, 19);
            const int menuLeft = handleLeft + 72 + 4;
            place(labels_[MenuLabelId], menuLeft, 2, 40, 15);
            place(menuEdit_, menuLeft, 17, 40, 19);
            placeButton(refreshButton_, 187, 7, 25, 25);
            placeButton(optionsButton_, 212, 7, 25, 25);
            placeButton(aboutButton_, 237, 7, 25, 25);
            placeButton(stayOnTopButton_, 269, 7, 25, 25);
            placeButton(minimizeToTrayButton_, 294, 7, 25, 25);
            break;
        }
        case GeometryPanel: {
            const int rowTop[] = {4, 26, 48, 70, 92, 114};
            const int rowLabels[] = {1, 2, 3, 4, 5, 10};
            for (int row = 0; row < 6; ++row) place(labels_[rowLabels[row]], 6, rowTop[row], 100, 20);
            place(windowTextEdit_, 108, 4, 189, 20);
            placeButton(changeTextButton_, 297, 4, 20, 20);  // square, as high as the text field
            place(classNameEdit_, 108, 26, 209, 20);
            place(positionEdit_, 108, 48, 96, 20);
            place(sizeEdit_, 108, 70, 96, 20);
            place(relativePositionEdit_, 108, 92, 96, 20);
            place(clientSizeEdit_, 108, 114, 96, 20);
            placeButton(windowTreeButton_, 229, 52, 40, 38);
            placeButton(changeSizeButton_, 273, 52, 40, 38);
            placeButton(flashButton_, 229, 94, 40, 38);
            placeButton(parametersButton_, 273, 94, 40, 38);
            break;
        }
        case RelatedPanel: {
            // Each row: navigation button, its handle centred on it, the quick-info button square beside.
            struct Row {
                SpeedButton* Navigate;
                HWND Field;
                SpeedButton* Info;
                int Left;
                int Top;
            };
            const Row rows[] = {
                {&gotoParentButton_, parentEdit_, &parentInfoButton_, 6, 4},   {&gotoChildButton_, childEdit_, &childInfoButton_, 6, 28},
                {&gotoOwnerButton_, ownerEdit_, &ownerInfoButton_, 6, 52}, {&gotoNextButton_, nextEdit_, &nextInfoButton_, 128, 4},
                {&gotoPreviousButton_, previousEdit_, &previousInfoButton_, 128, 28},
            };
            for (const Row& row : rows) {
                placeButton(*row.Navigate, row.Left, row.Top, 22, 22);
                place(row.Field, row.Left + 24, row.Top + 1, 74, 20);
                placeButton(*row.Info, row.Left + 98, row.Top + 1, 20, 20);
            }
            placeButton(findWindowButton_, 128, 52, 118, 22);
            break;
        }
        case SwitchPanel:
            placeButton(menuBrowserButton_, 4, 4, 78, 22);
            placeButton(commandPanelButton_, 83, 4, 78, 22);
            placeButton(processPanelButton_, 162, 4, 78, 22);
            placeButton(messagePanelButton_, 241, 4, 78, 22);
            break;
        case CommandPanel:
            placeButton(minimizeButton_, 6, 4, 28, 28);
            placeButton(restoreButton_, 35, 4, 28, 28);
            placeButton(maximizeButton_, 64, 4, 28, 28);
            placeButton(closeButton_, 106, 4, 28, 28);
            placeButton(sysCommandCloseButton_, 135, 4, 28, 28);
            placeButton(visibleButton_, 177, 4, 28, 28);
            placeButton(enabledButton_, 206, 4, 28, 28);
            placeButton(topmostButton_, 235, 4, 28, 28);
            break;
        case ProcessPanel:
            place(labels_[ProcessIdLabelId], 6, 4, 100, 20);
            place(processIdEdit_, 108, 4, 74, 20);
            placeButton(processPriorityButton_, 182, 4, 20, 20);
            placeButton(terminateProcessButton_, 202, 4, 20, 20);
            place(labels_[ThreadIdLabelId], 6, 30, 100, 20);
            place(threadIdEdit_, 108, 30, 74, 20);
            placeButton(threadPriorityButton_, 182, 30, 20, 20);
            placeButton(suspendThreadButton_, 202, 30, 20, 20);
            place(suspendCountEdit_, 222, 30, 30, 20);
            placeButton(resumeThreadButton_, 252, 30, 20, 20);
            placeButton(terminateThreadButton_, 272, 30, 20, 20);
            break;
        case MessagePanel:
            place(labels_[MessageLabelId], 6, 4, 70, 21);
            place(messageCombo_, 78, 4, 239, 220);
            place(labels_[WParamLabelId], 6, 30, 50, 20);
            place(wParamEdit_, 58, 30, 100, 20);
            place(labels_[LParamLabelId], 166, 30, 44, 20);
            place(lParamEdit_, 212, 30, 105, 20);
            place(labels_[ResultLabelId], 6, 56, 50, 20);
            place(resultEdit_, 58, 56, 100, 20);
            placeButton(sendMessageButton_, 293, 54, 24, 24);
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
        {&gotoParentButton_, &parentInfoButton_},  {&gotoChildButton_, &childInfoButton_},  {&gotoNextButton_, &nextInfoButton_},
        {&gotoPreviousButton_, &previousInfoButton_}, {&gotoOwnerButton_, &ownerInfoButton_},
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
    processPriorityButton_.SetVisible(panel && windowShown);
    terminateProcessButton_.SetVisible(panel && windowShown);
    const bool threads = panel && windowShown && CanOpenThreads;
    for (SpeedButton* button : {&threadPriorityButton_, &terminateThreadButton_, &suspendThreadButton_, &resumeThreadButton_})
        button->SetVisible(threads);
    SetVisible(suspendCountEdit_, threads);
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
    SetText(suspendCountEdit_, "");
    ShowHandle(handleEdit_, info.Handle);
    ShowHandle(parentEdit_, info.Parent);
    ShowHandle(childEdit_, info.Child);
    ShowHandle(nextEdit_, info.Next);
    ShowHandle(previousEdit_, info.Previous);
    ShowHandle(ownerEdit_, info.Owner);
    SetText(processIdEdit_, FormatHandle(info.ProcessId));
    SetText(threadIdEdit_, FormatHandle(info.ThreadId));

    switch (info.ShowState) {
    case WindowShowState::Minimized: minimizeButton_.SetDown(true); break;
    case WindowShowState::Maximized: maximizeButton_.SetDown(true); break;
    case WindowShowState::Normal: restoreButton_.SetDown(true); break;
    }

    UpdateProcessButtons(info.Handle != nullptr && !picking);

    // The menu browser follows every full display once it exists.
    if (!picking && menuBrowserForm_) menuBrowserForm_->RebuildMenuTree(info.Menu);

    visibleButton_.SetDown(info.Visible);
    enabledButton_.SetDown(info.Enabled);
    topmostButton_.SetDown(info.Topmost);

    const bool wasMissing = textColors_.count(windowTextEdit_) != 0;
    if (info.Handle != nullptr) {
        if (wasMissing) ::SendMessageA(windowTextEdit_, EM_SETREADONLY, FALSE, 0);
        textColors_.erase(windowTextEdit_);
        SetText(windowTextEdit_, info.Text);
        SetText(classNameEdit_, info.ClassName);
        SetText(positionEdit_, FormatPoint(info.Left, info.Top));
        SetText(sizeEdit_, FormatSize(info.Width, info.Height));
        SetText(clientSizeEdit_, FormatSize(info.ClientWidth, info.ClientHeight));
        SetText(relativePositionEdit_, info.Parent != nullptr ? FormatPoint(info.RelativeLeft, info.RelativeTop) : std::string());
        SetText(menuEdit_, info.Menu != nullptr ? MessageText(Msg::Has) : MessageText(Msg::Hasnt));
    } else {
        if (!wasMissing) ::SendMessageA(windowTextEdit_, EM_SETREADONLY, TRUE, 0);
        textColors_[windowTextEdit_] = MissingColor;
        SetText(windowTextEdit_, MessageText(Msg::NoWindowFoundTxt));
        for (HWND field : {classNameEdit_, positionEdit_, sizeEdit_, relativePositionEdit_, handleEdit_, parentEdit_, childEdit_, nextEdit_, previousEdit_, ownerEdit_, menuEdit_, processIdEdit_,
                           threadIdEdit_, clientSizeEdit_})
            SetText(field, "");
    }
    if (wasMissing != (textColors_.count(windowTextEdit_) != 0)) ::InvalidateRect(windowTextEdit_, nullptr, TRUE);  // its colours changed
    changeTextButton_.SetEnabled(false);

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
    pickingBox_.Repaint();
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

void TMainForm::GotoRelatedClick(SpeedButton& sender)
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

void TMainForm::ShowStateClick(SpeedButton& sender)
{
    if (!sender.Down()) return;
    const WPARAM command = sender.Tag() == 0 ? SC_MINIMIZE : sender.Tag() == 2 ? SC_MAXIMIZE : SC_RESTORE;
    LRESULT result = 0;
    SendMessageWithTimeout(CurrentWindow.Handle, WM_SYSCOMMAND, command, 0, result);
    RefreshExecute();
}

void TMainForm::CloseClick()
{
    LRESULT result = 0;
    SendMessageWithTimeout(CurrentWindow.Handle, WM_CLOSE, 0, 0, result);
    RefreshExecute();
}

void TMainForm::SysCommandCloseClick()
{
    LRESULT result = 0;
    SendMessageWithTimeout(CurrentWindow.Handle, WM_SYSCOMMAND, SC_CLOSE, 0, result);
    RefreshExecute();
}

void TMainForm::VisibleClick()
{
    const HWND window = CurrentWindow.Handle;
    if (window == nullptr) return;
    const int show = visibleButton_.Down() ? SW_SHOW : SW_HIDE;
    CallWithTimeout(window, [window, show] { ::ShowWindow(window, show); });
    RefreshExecute();
}

void TMainForm::EnabledClick()
{
    const HWND window = CurrentWindow.Handle;
    if (window == nullptr) return;
    const BOOL enable = enabledButton_.Down() ? TRUE : FALSE;
    CallWithTimeout(window, [window, enable] { ::EnableWindow(window, enable); });
    RefreshExecute();
}

void TMainForm::TopmostClick()
{
    const HWND window = CurrentWindow.Handle;
    const HWND after = topmostButton_.Down() ? HWND_TOPMOST : HWND_NOTOPMOST;
    CallWithTimeout(window, [window, after] {
        ::SetWindowPos(window, after, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
    });
    RefreshExecute();
}

void TMainForm::FlashClick()
{
    if (CurrentWindow.Handle != nullptr) FlashTargetWindow(CurrentWindow.Handle);
}

void TMainForm::ChangeTextClick()
{
    if (CurrentWindow.Handle != nullptr && !ChangeWindowText(CurrentWindow.Handle, ControlText(windowTextEdit_)))
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

void TMainForm::SendMessageClick()
{
    if (CurrentWindow.Handle == nullptr) return;
    const std::string name = UpperCaseAscii(ControlText(messageCombo_));
    std::optional<uint32_t> message = ParseNumberNotation(name);
    if (!message) {
        const auto found = std::find_if(MessageNames.begin(), MessageNames.end(),
                                        [&](const MessageName& entry) { return entry.Name == name; });
        if (found != MessageNames.end()) message = found->Value;
    }
    const auto wParam = ParseMessageParameter(ControlText(wParamEdit_));
    const auto lParam = ParseMessageParameter(ControlText(lParamEdit_));
    if (!message || !wParam || !lParam) {
        ShowError(Msg::InvalidMessage);
    } else {
        LRESULT result = 0;
        SendMessageWithTimeout(CurrentWindow.Handle, *message, static_cast<WPARAM>(*wParam),
                               static_cast<LPARAM>(*lParam), result);
        SetText(resultEdit_, std::to_string(static_cast<uintptr_t>(result)));
    }
    RefreshExecute();
}

// ---- TMainForm: process and thread commands -----------------------------------------------

namespace {

// The process priority classes of the priority menu's items, by Tag.
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

void TMainForm::ProcessPriorityClick()
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
    ::CheckMenuRadioItem(processPriorityMenu_.get(), RealTimePriorityItemId, IdlePriorityItemId,
                         RealTimePriorityItemId + item - 1, MF_BYCOMMAND);
    const POINT point = MenuPoint(processPriorityButton_);
    ::TrackPopupMenu(processPriorityMenu_.get(), TPM_LEFTALIGN | TPM_TOPALIGN, point.x, point.y, 0, Handle(), nullptr);
}

void TMainForm::ProcessPriorityItemClick(int tag)
{
    if (CurrentWindow.Handle == nullptr || CurrentWindow.ProcessId == 0 || tag < 0 || tag > 5) return;
    const unique_kernel_handle process(::OpenProcess(
        PROCESS_QUERY_INFORMATION | PROCESS_SET_INFORMATION | PROCESS_TERMINATE, FALSE, CurrentWindow.ProcessId));
    if (!process || !::SetPriorityClass(process.get(), ProcessPriorityClasses[tag])) ShowError(Msg::CPP);
}

void TMainForm::TerminateProcessClick()
{
    if (CurrentWindow.Handle == nullptr || CurrentWindow.ProcessId == 0 || IsOwnProcess()) return;
    if (const unique_kernel_handle process(::OpenProcess(PROCESS_TERMINATE, FALSE, CurrentWindow.ProcessId)); process)
        ::TerminateProcess(process.get(), 0);
    ::Sleep(300);  // time for the process to go before the refresh looks
    RefreshExecute();
}

void TMainForm::ThreadPriorityClick()
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
        ::CheckMenuRadioItem(threadPriorityMenu_.get(), TimeCriticalThreadItemId, IdleThreadItemId,
                             TimeCriticalThreadItemId + item, MF_BYCOMMAND);
        const POINT point = MenuPoint(threadPriorityButton_);
        ::TrackPopupMenu(threadPriorityMenu_.get(), TPM_LEFTALIGN | TPM_TOPALIGN, point.x, point.y, 0, Handle(), nullptr);
    }
    RefreshExecute();
}

void TMainForm::ThreadPriorityItemClick(int tag)
{
    if (CurrentWindow.ThreadId != 0 && tag >= 0 && tag < 7) {
        if (const unique_kernel_handle thread(OpenTargetThread()); thread) {
            if (!::SetThreadPriority(thread.get(), ThreadPriorities[tag])) ShowError(Msg::CTP);
        }
    }
    RefreshExecute();
}

void TMainForm::SuspendResumeClick(SpeedButton& sender)
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
            SetText(suspendCountEdit_, std::to_string(count + 1));
    } else {
        const DWORD count = ::ResumeThread(thread.get());
        if (count == static_cast<DWORD>(-1))
            ShowError(Msg::CRT);
        else
            SetText(suspendCountEdit_, std::to_string(std::max<int64_t>(0, static_cast<int64_t>(count) - 1)));
    }
}

void TMainForm::TerminateThreadClick()
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

void TMainForm::WindowTextChange()
{
    if (CurrentWindow.Handle == nullptr) return;
    const int length = ::GetWindowTextLengthA(windowTextEdit_);
    std::string text(static_cast<size_t>(std::max(length, 0)) + 1, '\0');
    ::GetWindowTextA(windowTextEdit_, text.data(), length + 1);
    text.resize(std::strlen(text.c_str()));
    changeTextButton_.SetEnabled(text != CurrentWindow.Text);
}

void TMainForm::PanelSwitchClick()
{
    panelVisible_[CommandPanel] = commandPanelButton_.Down();
    panelVisible_[ProcessPanel] = processPanelButton_.Down();
    panelVisible_[MessagePanel] = messagePanelButton_.Down();
    Layout();
}

void TMainForm::StayOnTopClick()
{
    ::SetWindowPos(Handle(), stayOnTopButton_.Down() ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TMainForm::MinimizeToTrayClick()
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

void TMainForm::MessageComboDropDown()
{
    // CB_RESETCONTENT empties the edit part too: keep what the user typed.
    const std::string typed = ControlText(messageCombo_);
    ::SendMessageA(messageCombo_, CB_RESETCONTENT, 0, 0);
    ::SetWindowTextA(messageCombo_, typed.c_str());
    const std::string filter = UpperCaseAscii(typed);
    for (const MessageName& entry : MessageNames)
        if (entry.Name.find(filter) != std::string::npos)
            ::SendMessageA(messageCombo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.Name.c_str()));
}

// ---- TMainForm: show, close, tray, snapping, DPI ------------------------------------------

void TMainForm::ShowForm()
{
    ::ShowWindow(Handle(), SW_SHOWNORMAL);
    // Some window systems forget the z-order asked for a window that was not shown yet.
    StayOnTopClick();
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
        else if (id == WindowTextEditId && code == EN_CHANGE) WindowTextChange();
        else if (id == MessageComboId && code == CBN_DROPDOWN) MessageComboDropDown();
        else if (id >= RealTimePriorityItemId && id <= IdlePriorityItemId) ProcessPriorityItemClick(id - RealTimePriorityItemId);
        else if (id >= TimeCriticalThreadItemId && id <= IdleThreadItemId) ThreadPriorityItemClick(id - TimeCriticalThreadItemId);
        return 0;
    }
    case WM_SYSCOMMAND:
        if (wParam == SystemMenuAbout) {
            AboutExecute();
            return 0;
        }
        if ((wParam & 0xFFF0) == SC_MINIMIZE && minimizeToTrayButton_.Down()) {
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
