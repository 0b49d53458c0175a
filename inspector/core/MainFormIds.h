// Control ids of the main window's children; tests find the controls by these ids too.
#pragma once

namespace lvx::MainFormIds {

// The fields.
constexpr int WindowTextEditId = 1001;
constexpr int ClassNameEditId = 1002;
constexpr int PositionEditId = 1003;
constexpr int SizeEditId = 1004;
constexpr int RelativePositionEditId = 1005;
constexpr int HandleEditId = 1006;
constexpr int ParentEditId = 1007;
constexpr int ChildEditId = 1008;
constexpr int NextEditId = 1009;
constexpr int PreviousEditId = 1010;
constexpr int OwnerEditId = 1011;
constexpr int MenuEditId = 1012;
constexpr int ProcessIdEditId = 1013;
constexpr int ThreadIdEditId = 1014;
constexpr int ClientSizeEditId = 1015;
constexpr int SuspendCountEditId = 1016;
constexpr int WParamEditId = 1017;
constexpr int LParamEditId = 1018;
constexpr int ResultEditId = 1019;

// The buttons.
constexpr int StayOnTopButtonId = 2001;
constexpr int MenuBrowserButtonId = 2002;
constexpr int GotoParentButtonId = 2003;
constexpr int GotoChildButtonId = 2004;
constexpr int GotoNextButtonId = 2005;
constexpr int GotoPreviousButtonId = 2006;
constexpr int GotoOwnerButtonId = 2007;
constexpr int ParentInfoButtonId = 2008;
constexpr int ChildInfoButtonId = 2009;
constexpr int OwnerInfoButtonId = 2010;
constexpr int NextInfoButtonId = 2011;
constexpr int PreviousInfoButtonId = 2012;
constexpr int RefreshButtonId = 2013;
constexpr int ProcessPanelButtonId = 2014;
constexpr int MessagePanelButtonId = 2015;
constexpr int CommandPanelButtonId = 2016;
constexpr int MinimizeButtonId = 2017;
constexpr int RestoreButtonId = 2018;
constexpr int MaximizeButtonId = 2019;
constexpr int CloseButtonId = 2020;
constexpr int VisibleButtonId = 2021;
constexpr int SysCommandCloseButtonId = 2022;
constexpr int MinimizeToTrayButtonId = 2023;
constexpr int EnabledButtonId = 2024;
constexpr int TopmostButtonId = 2025;
constexpr int ProcessPriorityButtonId = 2026;
constexpr int TerminateProcessButtonId = 2027;
constexpr int ThreadPriorityButtonId = 2028;
constexpr int TerminateThreadButtonId = 2029;
constexpr int SuspendThreadButtonId = 2030;
constexpr int ResumeThreadButtonId = 2031;
constexpr int SendMessageButtonId = 2032;
constexpr int FindWindowButtonId = 2033;
constexpr int FlashButtonId = 2034;
constexpr int ChangeTextButtonId = 2035;
constexpr int WindowTreeButtonId = 2036;
constexpr int ChangeSizeButtonId = 2037;
constexpr int ParametersButtonId = 2038;
constexpr int OptionsButtonId = 2039;
constexpr int AboutButtonId = 2040;
constexpr int DetailsButtonId = 2041;
constexpr int MessageLogButtonId = 2042;
constexpr int ProcessTreeButtonId = 2043;
constexpr int CopyLocatorButtonId = 2044;

// The captions beside the fields.
constexpr int WindowTextLabelId = 3001;
constexpr int ClassNameLabelId = 3002;
constexpr int PositionLabelId = 3003;
constexpr int SizeLabelId = 3004;
constexpr int RelativePositionLabelId = 3005;
constexpr int HandleLabelId = 3006;
constexpr int MenuLabelId = 3007;
constexpr int ProcessIdLabelId = 3008;
constexpr int ThreadIdLabelId = 3009;
constexpr int ClientSizeLabelId = 3010;
constexpr int MessageLabelId = 3012;
constexpr int WParamLabelId = 3013;
constexpr int LParamLabelId = 3014;
constexpr int ResultLabelId = 3015;
constexpr int ProcessBitsLabelId = 3016;

constexpr int PickingBoxId = 4001;
constexpr int MessageComboId = 4101;

// Items of the process priority menu, from the highest class to the lowest.
constexpr int RealTimePriorityItemId = 6001;
constexpr int HighPriorityItemId = 6002;
constexpr int AboveNormalPriorityItemId = 6003;
constexpr int NormalPriorityItemId = 6004;
constexpr int BelowNormalPriorityItemId = 6005;
constexpr int IdlePriorityItemId = 6006;

// Items of the thread priority menu, from the highest level to the lowest; an item's offset from the first
// is its Tag.
constexpr int TimeCriticalThreadItemId = 6100;
constexpr int HighestThreadItemId = 6101;
constexpr int AboveNormalThreadItemId = 6102;
constexpr int NormalThreadItemId = 6103;
constexpr int BelowNormalThreadItemId = 6104;
constexpr int LowestThreadItemId = 6105;
constexpr int IdleThreadItemId = 6106;

// Commands of the action list and the system menu.
constexpr int RefreshCommand = 5001;
constexpr int AboutCommand = 5002;
constexpr int HelpCommand = 5003;
constexpr int DetailsCommand = 5004;
constexpr int SystemMenuAbout = 1025;

}  // namespace lvx::MainFormIds
