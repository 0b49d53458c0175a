// The main window: creation, layout, picking, display and navigation; its command panels are in panels/.
#include "MainForm.h"

#include "MainFormIds.h"
#include "SiblingLink.h"
#include "TextFiles.h"
#include "UNI_Strings.h"
#include "UNI_WinVer.h"
#include "about/AboutForm.h"
#include "details/DetailsForm.h"
#include "discovery/FoundWindowsForm.h"
#include "discovery/QuickInfo.h"
#include "discovery/QuickSearchForm.h"
#include "details/WindowCapture.h"
#include "discovery/WindowLocator.h"
#include "discovery/WindowSearch.h"
#include "discovery/WindowTreeForm.h"
#include "language/MessageTable.h"
#include "language/MultiLang.h"
#include "language/LangForm.h"
#include "menubrowser/MenuBrowser.h"
#include "msglog/MessageLogForm.h"
#include "settings/OptionsForm.h"
#include "tools/ChangeSizeForm.h"
#include "tools/StylesForm.h"
#include "tools/ToolWindows.h"
#include "settings/Settings.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>

namespace lvx {

WindowInfo CurrentWindow;
std::vector<MessageName> MessageNames;

namespace {

constexpr char MainFormClass[] = "TMainForm";
constexpr char ApplicationTitle[] = "Narvolt Lumivex";
constexpr DWORD MainFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD MainFormExStyle = WS_EX_CONTROLPARENT;
constexpr int ClientWidth = 323;   // at 96 DPI
constexpr UINT TrayMessage = WM_APP + 1;
constexpr UINT TrayIconId = 1;
constexpr UINT_PTR FrameCleanupTimer = 2;
constexpr UINT FrameCleanupDelay = 250;  // ms
constexpr COLORREF HandleColor = RGB(0, 0, 255);
constexpr COLORREF MissingColor = RGB(255, 0, 0);

// Heights of the panels, top to bottom, at 96 DPI.
constexpr int PanelHeights[] = {38, 180, 80, 30, 36, 56, 82};

using namespace MainFormIds;

}  // namespace

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
    const HICON icon =
        static_cast<HICON>(::LoadImageA(ProgramInstance(), "MAINICON", IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
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
    pickingCursor_ = ::LoadCursorA(ProgramInstance(), "Sniper");
    if (pickingCursor_ == nullptr) pickingCursor_ = ::LoadCursorA(nullptr, IDC_CROSS);
    pickingPictures_[0].reset(::LoadImageA(ProgramInstance(), "PICKIDLE", IMAGE_BITMAP, 0, 0, 0));
    pickingPictures_[1].reset(::LoadImageA(ProgramInstance(), "PICKACTIVE", IMAGE_BITMAP, 0, 0, 0));

    ACCEL keys[] = {
        {FVIRTKEY, VK_F5, RefreshCommand},
        {FVIRTKEY | FCONTROL, VK_F1, AboutCommand},
        {FVIRTKEY, VK_F1, HelpCommand},
        {FVIRTKEY | FCONTROL, 'D', DetailsCommand},
    };
    accelerators_ = ::CreateAcceleratorTableA(keys, static_cast<int>(std::size(keys)));

    hints_.Create(Handle());
    CreateFonts();
    CreateControls();
    processPanel_.CreatePriorityMenus();
    ApplyFonts();
    Translate();

    panelVisible_[TopPanel] = panelVisible_[GeometryPanel] = panelVisible_[RelatedPanel] = panelVisible_[SwitchPanel] =
        true;
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

void TMainForm::WindowTreeClick(bool byProcess)
{
    if (byProcess && !TreeGroupByProcess) {
        TreeGroupByProcess = true;
        WriteTreeGrouping();
    }
    if (!windowTreeForm_) {
        windowTreeForm_ = std::make_unique<TWindowTreeForm>(QuickSearchForm(), [this](WindowInfo info) {
            CurrentWindow = std::move(info);
            ShowWindowInfo(CurrentWindow, false);
        });
        windowTreeForm_->SetProcessCommands(&processPanel_);
        windowTreeForm_->SetWatchMessages([this](const msglog::WatchScope& scope) {
            if (!messageLogForm_) messageLogForm_ = std::make_unique<TMessageLogForm>(ProgramFolder, MessageNames);
            messageLogForm_->ShowWatching(Handle(), scope);
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

void TMainForm::MessageLogClick()
{
    if (!messageLogForm_) messageLogForm_ = std::make_unique<TMessageLogForm>(ProgramFolder, MessageNames);
    messageLogForm_->ShowFor(Handle(), CurrentWindow.Handle);
}

void TMainForm::CopyLocatorClick()
{
    // Made when asked: it reads the window's siblings on the way up, which picking does not need.
    const std::optional<std::string> locator = LocatorOfWindow(CurrentWindow.Handle);
    if (!locator || !PutTextOnClipboard(Handle(), *locator)) ::MessageBeep(MB_ICONWARNING);
}

void TMainForm::ParametersClick()
{
    if (CurrentWindow.Handle == nullptr) return;
    if (!stylesForm_) stylesForm_ = std::make_unique<TStylesForm>(CurrentWindow, [this] { RefreshExecute(); });
    stylesForm_->ShowParameters(Handle());
}

void TMainForm::DetailsClick()
{
    if (!detailsForm_) detailsForm_ = std::make_unique<TDetailsForm>(CurrentWindow, [this] { RefreshExecute(); });
    detailsForm_->ShowDetails(Handle());
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
    // Edges are scaled, not sizes: controls that touch at 96 DPI still touch, never overlap, at any DPI.
    const auto place = [&](HWND control, int x, int y, int width, int height) {
        ::SetWindowPos(control, nullptr, scale(x), panelTop + scale(y), scale(x + width) - scale(x),
                       scale(y + height) - scale(y), SWP_NOZORDER | SWP_NOACTIVATE);
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
            const bool hasPicture = pickingPictures_[0] && ::GetObjectA(pickingPictures_[0].get(), sizeof picture, &picture);
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
            const int rowLabels[] = {WindowTextLabelId, ClassNameLabelId, PositionLabelId, SizeLabelId,
                                     RelativePositionLabelId, ClientSizeLabelId};
            for (int row = 0; row < 6; ++row) place(labels_[rowLabels[row]], 6, rowTop[row], 100, 20);
            place(windowTextEdit_, 108, 4, 189, 20);
            placeButton(changeTextButton_, 297, 4, 20, 20);  // square, as high as the text field
            place(classNameEdit_, 108, 26, 189, 20);
            placeButton(copyLocatorButton_, 297, 26, 20, 20);
            place(positionEdit_, 108, 48, 96, 20);
            place(sizeEdit_, 108, 70, 96, 20);
            place(relativePositionEdit_, 108, 92, 96, 20);
            place(clientSizeEdit_, 108, 114, 96, 20);
            placeButton(windowTreeButton_, 229, 52, 40, 38);
            placeButton(changeSizeButton_, 273, 52, 40, 38);
            placeButton(flashButton_, 229, 94, 40, 38);
            placeButton(parametersButton_, 273, 94, 40, 38);
            placeButton(detailsButton_, 273, 136, 40, 38);
            FitLabelColumn({{labels_[WindowTextLabelId], windowTextEdit_}, {labels_[ClassNameLabelId], classNameEdit_},
                            {labels_[PositionLabelId], positionEdit_}, {labels_[SizeLabelId], sizeEdit_},
                            {labels_[RelativePositionLabelId], relativePositionEdit_},
                            {labels_[ClientSizeLabelId], clientSizeEdit_}},
                           scale(6));
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
                {&gotoParentButton_, parentEdit_, &parentInfoButton_, 6, 4},
                {&gotoChildButton_, childEdit_, &childInfoButton_, 6, 28},
                {&gotoOwnerButton_, ownerEdit_, &ownerInfoButton_, 6, 52},
                {&gotoNextButton_, nextEdit_, &nextInfoButton_, 128, 4},
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
            place(processBitsLabel_, 228, 4, 64, 20);
            placeButton(processTreeButton_, 298, 4, 20, 20);
            place(labels_[ThreadIdLabelId], 6, 30, 100, 20);
            place(threadIdEdit_, 108, 30, 74, 20);
            placeButton(threadPriorityButton_, 182, 30, 20, 20);
            placeButton(suspendThreadButton_, 202, 30, 20, 20);
            place(suspendCountEdit_, 222, 30, 30, 20);
            placeButton(resumeThreadButton_, 252, 30, 20, 20);
            placeButton(terminateThreadButton_, 272, 30, 20, 20);
            FitLabelColumn({{labels_[ProcessIdLabelId], processIdEdit_}, {labels_[ThreadIdLabelId], threadIdEdit_}},
                           scale(6));
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
            placeButton(messageLogButton_, 267, 54, 24, 24);
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
        {&gotoParentButton_, &parentInfoButton_}, {&gotoChildButton_, &childInfoButton_},
        {&gotoNextButton_, &nextInfoButton_},     {&gotoPreviousButton_, &previousInfoButton_},
        {&gotoOwnerButton_, &ownerInfoButton_},
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
    processTreeButton_.SetVisible(panel && windowShown);
    const bool threads = panel && windowShown && CanOpenThreads;
    for (SpeedButton* button :
         {&threadPriorityButton_, &terminateThreadButton_, &suspendThreadButton_, &resumeThreadButton_})
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
    SetControlText(control, exists ? FormatHandle(HandleValue(value)) : MessageText(Msg::NoWindowFound));
}

void TMainForm::ShowProcessBits(ProcessBits bits)
{
    shownBits_ = bits;
    SetControlText(processBitsLabel_, bits == ProcessBits::Bits32   ? processBitsTexts_[0]
                                      : bits == ProcessBits::Bits64 ? processBitsTexts_[1]
                                                                    : std::string());
}

void TMainForm::ShowWindowInfo(const WindowInfo& info, bool picking)
{
    SetControlText(suspendCountEdit_, "");
    ShowHandle(handleEdit_, info.Handle);
    ShowHandle(parentEdit_, info.Parent);
    ShowHandle(childEdit_, info.Child);
    ShowHandle(nextEdit_, info.Next);
    ShowHandle(previousEdit_, info.Previous);
    ShowHandle(ownerEdit_, info.Owner);
    SetControlText(processIdEdit_, FormatHandle(info.ProcessId));
    ShowProcessBits(info.Bits);
    SetControlText(threadIdEdit_, FormatHandle(info.ThreadId));

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
        SetControlText(windowTextEdit_, info.Text);
        SetControlText(classNameEdit_, info.ClassName);
        SetControlText(positionEdit_, FormatPoint(info.Left, info.Top));
        SetControlText(sizeEdit_, FormatSize(info.Width, info.Height));
        SetControlText(clientSizeEdit_, FormatSize(info.ClientWidth, info.ClientHeight));
        SetControlText(relativePositionEdit_,
                       info.Parent != nullptr ? FormatPoint(info.RelativeLeft, info.RelativeTop) : std::string());
        SetControlText(menuEdit_, info.Menu != nullptr ? MessageText(Msg::Has) : MessageText(Msg::Hasnt));
    } else {
        if (!wasMissing) ::SendMessageA(windowTextEdit_, EM_SETREADONLY, TRUE, 0);
        textColors_[windowTextEdit_] = MissingColor;
        SetControlText(windowTextEdit_, MessageText(Msg::NoWindowFoundTxt));
        for (HWND field :
             {classNameEdit_, positionEdit_, sizeEdit_, relativePositionEdit_, handleEdit_, parentEdit_, childEdit_,
              nextEdit_, previousEdit_, ownerEdit_, menuEdit_, processIdEdit_, threadIdEdit_, clientSizeEdit_})
            SetControlText(field, "");
    }
    if (wasMissing != (textColors_.count(windowTextEdit_) != 0))
        ::InvalidateRect(windowTextEdit_, nullptr, TRUE);  // its colours changed
    changeTextButton_.SetEnabled(false);
    copyLocatorButton_.SetEnabled(info.Handle != nullptr);

    if (!picking) {
        // Kept for the layout, which runs again while picking too (a DPI change) and must not
        // take the picked window's relations for the inspected one's.
        relatedShown_ = {CurrentWindow.Parent != nullptr, CurrentWindow.Child != nullptr, CurrentWindow.Next != nullptr,
                         CurrentWindow.Previous != nullptr, CurrentWindow.Owner != nullptr};
        UpdateRelatedButtons();
        // The parameters editor follows every full display, shown or hidden.
        if (stylesForm_) stylesForm_->RefreshParameters();
        // The details window too, while it shows.
        if (detailsForm_) detailsForm_->RefreshDetails();
        // The message log watches the inspected window from its next Start.
        if (messageLogForm_) messageLogForm_->FollowWindow(CurrentWindow.Handle);
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
    if (editable)
        return DefaultHandling(WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
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
    return index >= 0 && index < 2 ? static_cast<HBITMAP>(pickingPictures_[index].get()) : nullptr;
}

void TMainForm::PickingStart()
{
    drag_.emplace(*this);
    ::SetCursor(pickingCursor_);
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

// ---- TMainForm: errors and small toggles ----------------------------------------------------------

HWND TMainForm::PanelOwner() const
{
    return Handle();
}

void TMainForm::ShowError(Msg message, UINT extraFlags) const
{
    ::MessageBoxA(Handle(), MessageText(message).c_str(), MessageText(Msg::ERROR_).c_str(),
                  MB_OK | MB_ICONERROR | extraFlags);
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
    // The details window: Tab between its controls, Escape hides it.
    if (detailsForm_ && detailsForm_->Handle() != nullptr &&
        (message.hwnd == detailsForm_->Handle() || ::IsChild(detailsForm_->Handle(), message.hwnd)))
        return ::IsDialogMessageA(detailsForm_->Handle(), &message) != FALSE;
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
        else if (id == DetailsCommand) DetailsClick();
        else if (id == WindowTextEditId && code == EN_CHANGE) WindowTextChange();
        else if (id == MessageComboId && code == CBN_DROPDOWN) messagePanel_.MessageComboDropDown();
        else processPanel_.MenuCommand(id);
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
