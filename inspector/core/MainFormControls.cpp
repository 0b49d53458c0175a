// The main window's controls: fonts, creation panel by panel, and the texts a language file replaces.
#include "MainForm.h"

#include "MainFormIds.h"
#include "UNI_WinVer.h"
#include "language/MultiLang.h"

namespace lvx {

using namespace MainFormIds;

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
    for (HWND edit : {windowTextEdit_, classNameEdit_, positionEdit_, sizeEdit_, relativePositionEdit_, handleEdit_,
                      parentEdit_, childEdit_, nextEdit_, previousEdit_, ownerEdit_, processIdEdit_, threadIdEdit_,
                      clientSizeEdit_, suspendCountEdit_, resultEdit_})
        font(edit, fixedFont_);
    font(menuEdit_, boldFixedFont_);
}

HWND TMainForm::AddLabel(int id, const char* caption)
{
    const HWND label =
        ::CreateWindowExA(0, "STATIC", caption, WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_CENTERIMAGE, 0, 0, 0,
                          0, Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ProgramInstance(), nullptr);
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
    AddButton(stayOnTopButton_, StayOnTopButtonId,
              Options{.GroupIndex = 1, .AllowAllUp = true, .Down = true, .Glyph = Glyph::StayOnTop},
              "Поверх всех окон");
    stayOnTopButton_.OnClick = [this](SpeedButton&) { StayOnTopClick(); };
    AddButton(minimizeToTrayButton_, MinimizeToTrayButtonId,
              Options{.GroupIndex = 23, .AllowAllUp = true, .Glyph = Glyph::MinToTray}, "Сворачивать в System Tray");
    minimizeToTrayButton_.OnClick = [this](SpeedButton&) { MinimizeToTrayClick(); };

    // Text and geometry.
    creatingPanel_ = GeometryPanel;
    AddLabel(WindowTextLabelId, "Текст окна");
    windowTextEdit_ = AddEdit(WindowTextEditId, false);
    AddButton(changeTextButton_, ChangeTextButtonId, Options{.Glyph = Glyph::ChangeText}, "Изменить текст окна");
    changeTextButton_.OnClick = [this](SpeedButton&) { windowCommands_.ChangeTextClick(); };
    AddLabel(ClassNameLabelId, "Имя класса окна");
    classNameEdit_ = AddEdit(ClassNameEditId, true);
    AddButton(copyLocatorButton_, CopyLocatorButtonId, Options{.Glyph = Glyph::CopyLocator},
              "Копировать локатор окна: строку, по которой окно найдётся и после перезапуска программы");
    copyLocatorButton_.OnClick = [this](SpeedButton&) { CopyLocatorClick(); };
    AddLabel(PositionLabelId, "Координаты окна");
    positionEdit_ = AddEdit(PositionEditId, true);
    AddLabel(SizeLabelId, "Размеры окна");
    sizeEdit_ = AddEdit(SizeEditId, true);
    AddLabel(RelativePositionLabelId, "Относительные");
    relativePositionEdit_ = AddEdit(RelativePositionEditId, true);
    AddLabel(ClientSizeLabelId, "Клиентской области");
    clientSizeEdit_ = AddEdit(ClientSizeEditId, true);
    AddButton(windowTreeButton_, WindowTreeButtonId, Options{.Glyph = Glyph::WindowTree}, "Дерево окон");
    AddButton(changeSizeButton_, ChangeSizeButtonId, Options{.Glyph = Glyph::ChangeSize},
              "Изменить положение и размеры окна");
    AddButton(flashButton_, FlashButtonId, Options{.Glyph = Glyph::Flash}, "Мерцание текущего окна");
    AddButton(parametersButton_, ParametersButtonId, Options{.Glyph = Glyph::MoreInfo},
              "Дополнительная информация об окне");
    parametersButton_.OnClick = [this](SpeedButton&) { ParametersClick(); };
    AddButton(detailsButton_, DetailsButtonId, Options{.Glyph = Glyph::Details}, "Подробности об окне (Ctrl+D)");
    detailsButton_.OnClick = [this](SpeedButton&) { DetailsClick(); };
    changeSizeButton_.OnClick = [this](SpeedButton&) { ChangeSizeClick(); };
    windowTreeButton_.OnClick = [this](SpeedButton&) { WindowTreeClick(); };
    flashButton_.OnClick = [this](SpeedButton&) { windowCommands_.FlashClick(); };

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
        {&gotoParentButton_, GotoParentButtonId, 1, Glyph::GotoParent, "Перейти к родительскому окну", &parentEdit_,
         ParentEditId, &parentInfoButton_, ParentInfoButtonId, 0},
        {&gotoChildButton_, GotoChildButtonId, 2, Glyph::GotoChild, "Перейти к дочернему окну", &childEdit_,
         ChildEditId, &childInfoButton_, ChildInfoButtonId, 1},
        {&gotoOwnerButton_, GotoOwnerButtonId, 5, Glyph::GotoOwner, "Перейти к окну-владельцу", &ownerEdit_,
         OwnerEditId, &ownerInfoButton_, OwnerInfoButtonId, 2},
        {&gotoNextButton_, GotoNextButtonId, 3, Glyph::GotoNext, "Перейти к следующему окну", &nextEdit_, NextEditId,
         &nextInfoButton_, NextInfoButtonId, 3},
        {&gotoPreviousButton_, GotoPreviousButtonId, 4, Glyph::GotoPrev, "Перейти к предыдущему окну", &previousEdit_,
         PreviousEditId, &previousInfoButton_, PreviousInfoButtonId, 4},
    };
    for (const Row& row : rows) {
        AddButton(*row.Navigate, row.ButtonId, Options{.Tag = row.Tag, .Glyph = row.Symbol}, row.Hint);
        row.Navigate->OnClick = [this](SpeedButton& sender) { GotoRelatedClick(sender); };
        *row.Field = AddEdit(row.FieldId, true);
        AddButton(*row.Info, row.InfoId, Options{.Tag = row.InfoTag, .Glyph = Glyph::QuickInfo},
                  "Краткая информация об окне");
        row.Info->OnClick = [this](SpeedButton& sender) { QuickInfoClick(sender); };
    }
    AddButton(findWindowButton_, FindWindowButtonId, Options{.Glyph = Glyph::FindWindow},
              "Простой поиск окна по маске");
    findWindowButton_.OnClick = [this](SpeedButton&) { FindWindowClick(); };

    // Panel switches.
    creatingPanel_ = SwitchPanel;
    AddButton(menuBrowserButton_, MenuBrowserButtonId, Options{.GroupIndex = 2, .AllowAllUp = true, .Caption = "Меню"},
              nullptr);
    menuBrowserButton_.OnClick = [this](SpeedButton&) { MenuBrowserClick(); };
    AddButton(commandPanelButton_, CommandPanelButtonId,
              Options{.GroupIndex = 16, .AllowAllUp = true, .Caption = "Управление"}, nullptr);
    AddButton(processPanelButton_, ProcessPanelButtonId,
              Options{.GroupIndex = 14, .AllowAllUp = true, .Caption = "Процесс"}, nullptr);
    AddButton(messagePanelButton_, MessagePanelButtonId,
              Options{.GroupIndex = 15, .AllowAllUp = true, .Caption = "Сообщения"}, nullptr);
    for (SpeedButton* button : {&commandPanelButton_, &processPanelButton_, &messagePanelButton_})
        button->OnClick = [this](SpeedButton&) { PanelSwitchClick(); };

    // Window commands.
    creatingPanel_ = CommandPanel;
    AddButton(minimizeButton_, MinimizeButtonId, Options{.Tag = 0, .GroupIndex = 20, .Glyph = Glyph::Minimize},
              "Минимизировать окно");
    AddButton(restoreButton_, RestoreButtonId,
              Options{.Tag = 1, .GroupIndex = 20, .Down = true, .Glyph = Glyph::Restore}, "Восстановить размеры окна");
    AddButton(maximizeButton_, MaximizeButtonId, Options{.Tag = 2, .GroupIndex = 20, .Glyph = Glyph::Maximize},
              "Распахнуть окно на весь экран");
    AddButton(closeButton_, CloseButtonId, Options{.Glyph = Glyph::Close}, "Закрыть окно");
    AddButton(sysCommandCloseButton_, SysCommandCloseButtonId, Options{.Tag = 4, .Glyph = Glyph::CloseSysMenu},
              "Закрытие окна через команду системного меню");
    AddButton(visibleButton_, VisibleButtonId, Options{.GroupIndex = 21, .AllowAllUp = true, .Glyph = Glyph::Visible},
              "Окно видимо");
    AddButton(enabledButton_, EnabledButtonId, Options{.GroupIndex = 24, .AllowAllUp = true, .Glyph = Glyph::Enabled},
              "Окно активно");
    AddButton(topmostButton_, TopmostButtonId, Options{.GroupIndex = 25, .AllowAllUp = true, .Glyph = Glyph::Topmost},
              "Поверх всех окон");
    for (SpeedButton* button : {&minimizeButton_, &restoreButton_, &maximizeButton_})
        button->OnClick = [this](SpeedButton& sender) { windowCommands_.ShowStateClick(sender); };
    closeButton_.OnClick = [this](SpeedButton&) { windowCommands_.CloseClick(); };
    sysCommandCloseButton_.OnClick = [this](SpeedButton&) { windowCommands_.SysCommandCloseClick(); };
    visibleButton_.OnClick = [this](SpeedButton&) { windowCommands_.VisibleClick(); };
    enabledButton_.OnClick = [this](SpeedButton&) { windowCommands_.EnabledClick(); };
    topmostButton_.OnClick = [this](SpeedButton&) { windowCommands_.TopmostClick(); };

    // Process and thread.
    creatingPanel_ = ProcessPanel;
    AddLabel(ProcessIdLabelId, "ID процесса");
    processIdEdit_ = AddEdit(ProcessIdEditId, true);
    processBitsLabel_ = AddLabel(ProcessBitsLabelId, "");
    AddButton(processPriorityButton_, ProcessPriorityButtonId, Options{.Glyph = Glyph::ProcessPriority},
              "Изменить приоритет процесса");
    AddButton(terminateProcessButton_, TerminateProcessButtonId, Options{.Glyph = Glyph::TerminateProcess},
              "Принудительно завершить процесс");
    AddButton(processTreeButton_, ProcessTreeButtonId, Options{.Glyph = Glyph::WindowTree},
              "Окна процесса в дереве окон");
    AddLabel(ThreadIdLabelId, "ID потока");
    threadIdEdit_ = AddEdit(ThreadIdEditId, true);
    AddButton(threadPriorityButton_, ThreadPriorityButtonId, Options{.Glyph = Glyph::ThreadPriority},
              "Изменить приоритет потока");
    AddButton(suspendThreadButton_, SuspendThreadButtonId, Options{.Tag = 0, .Glyph = Glyph::FreezeThread},
              "Заморозить поток");
    suspendCountEdit_ = AddEdit(SuspendCountEditId, true);
    hints_.SetHint(suspendCountEdit_, "Счетчик заморозок потока");
    AddButton(resumeThreadButton_, ResumeThreadButtonId, Options{.Tag = 1, .Glyph = Glyph::UnfreezeThread},
              "Разморозить поток");
    AddButton(terminateThreadButton_, TerminateThreadButtonId, Options{.Glyph = Glyph::TerminateThread},
              "Принудительно завершить поток");
    processPriorityButton_.OnClick = [this](SpeedButton&) { processPanel_.ProcessPriorityClick(); };
    terminateProcessButton_.OnClick = [this](SpeedButton&) { processPanel_.TerminateProcessClick(); };
    processTreeButton_.OnClick = [this](SpeedButton&) { WindowTreeClick(true); };
    threadPriorityButton_.OnClick = [this](SpeedButton&) { processPanel_.ThreadPriorityClick(); };
    suspendThreadButton_.OnClick = [this](SpeedButton& sender) { processPanel_.SuspendResumeClick(sender); };
    resumeThreadButton_.OnClick = [this](SpeedButton& sender) { processPanel_.SuspendResumeClick(sender); };
    terminateThreadButton_.OnClick = [this](SpeedButton&) { processPanel_.TerminateThreadClick(); };

    // Messages.
    creatingPanel_ = MessagePanel;
    AddLabel(MessageLabelId, "Сообщение");
    messageCombo_ = ::CreateWindowExA(
        0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, 0, 0, 0, 0,
        Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(MessageComboId)), ProgramInstance(), nullptr);
    panelControls_[MessagePanel].push_back(messageCombo_);
    AddLabel(WParamLabelId, "wParam");
    wParamEdit_ = AddEdit(WParamEditId, false);
    ::SetWindowTextA(wParamEdit_, "#0");
    AddLabel(LParamLabelId, "lParam");
    lParamEdit_ = AddEdit(LParamEditId, false);
    ::SetWindowTextA(lParamEdit_, "#0");
    AddLabel(ResultLabelId, "Result");
    resultEdit_ = AddEdit(ResultEditId, true);
    AddButton(sendMessageButton_, SendMessageButtonId, Options{.Glyph = Glyph::SendMessage},
              "Отправить окну сообщение");
    sendMessageButton_.OnClick = [this](SpeedButton&) { messagePanel_.SendMessageClick(); };
    AddButton(messageLogButton_, MessageLogButtonId, Options{.Glyph = Glyph::MessageLog}, "Журнал сообщений окна");
    messageLogButton_.OnClick = [this](SpeedButton&) { MessageLogClick(); };
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
    std::vector<TranslationTarget> targets{
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
        {"Bits32", [this](const std::string& text) { processBitsTexts_[0] = text; ShowProcessBits(shownBits_); }},
        {"Bits64", [this](const std::string& text) { processBitsTexts_[1] = text; ShowProcessBits(shownBits_); }},
        {"Message", caption(labels_[MessageLabelId])},
        {"RefreshInfo", hint({refreshButton_.Handle()})},
        {"Options", hint({optionsButton_.Handle()})},
        {"About", hint({aboutButton_.Handle()})},
        {"StayOnTop", hint({stayOnTopButton_.Handle()})},
        {"MinToTray", hint({minimizeToTrayButton_.Handle()})},
        {"ChangeText", hint({changeTextButton_.Handle()})},
        {"CopyLocator", hint({copyLocatorButton_.Handle()})},
        {"ChangeSize", hint({changeSizeButton_.Handle()})},
        {"FlashWindow", hint({flashButton_.Handle()})},
        {"AddInfo", hint({parametersButton_.Handle()})},
        {"WndDetails", hint({detailsButton_.Handle()})},
        {"GotoParent", hint({gotoParentButton_.Handle()})},
        {"GotoChild", hint({gotoChildButton_.Handle()})},
        {"GotoOwner", hint({gotoOwnerButton_.Handle()})},
        {"GotoNext", hint({gotoNextButton_.Handle()})},
        {"GotoPrev", hint({gotoPreviousButton_.Handle()})},
        {"WndInfo", hint({parentInfoButton_.Handle(), childInfoButton_.Handle(), ownerInfoButton_.Handle(),
                          nextInfoButton_.Handle(), previousInfoButton_.Handle()})},
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
        {"ProcessTree", hint({processTreeButton_.Handle()})},
        {"ChangeThreadPrior", hint({threadPriorityButton_.Handle()})},
        {"TerminateThread", hint({terminateThreadButton_.Handle()})},
        {"FreezeThread", hint({suspendThreadButton_.Handle()})},
        {"Unfreeze thread", hint({resumeThreadButton_.Handle()})},
        {"SendMessage", hint({sendMessageButton_.Handle()})},
        {"FreezeCounter", hint({suspendCountEdit_})},
        {"MessageLog", hint({messageLogButton_.Handle()})},
    };
    processPanel_.AddTranslationTargets(targets);
    return targets;
}

void TMainForm::Translate()
{
    TranslateWindow("LumivexForm", TranslationTargets());
}

}  // namespace lvx
