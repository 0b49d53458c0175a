// The language-file sections the program's windows read, and the keys each window looks up in its section.
#include "LanguageKeys.h"

namespace lvx {

// The main window's caption has no key: it always shows the program's title.
static constexpr const char* LumivexFormKeys[] = {
    "WindowText", "WindowClass", "WindowCoords", "WindowSize", "RelativeCoords", "ClientArea",
    "WndHandle", "Menu", "PID", "TID", "Bits32", "Bits64", "Message",
    "RefreshInfo", "Options", "About", "StayOnTop", "MinToTray",
    "ChangeText", "CopyLocator", "ChangeSize", "FlashWindow", "AddInfo", "WndTree", "ProcessTree", "FindWnd",
    "GotoParent", "GotoChild", "GotoOwner", "GotoNext", "GotoPrev",
    "WndInfo",
    "MenuBtn", "WndManage", "Messages", "Process",
    "Minimize", "Restore", "Maximize", "Close", "Close2", "WndVisible", "WndEnabled", "WndTopmost",
    "ChangeProcPrior", "TerminateProcess", "ChangeThreadPrior", "TerminateThread", "FreezeThread",
    // The only key with a blank in it: language files are written with it, so it is looked up as it is.
    "Unfreeze thread", "SendMessage", "FreezeCounter", "MessageLog",
    "RealTimeProc", "HighProc", "AboveNormalProc", "NormalProc", "BelowNormalProc", "IdleProc",
    "WndDetails",
};

static constexpr const char* WindowTreeFormKeys[] = {
    "Caption", "ScanTree", "Collapse", "Expand", "ExpandSel", "Search", "FindNext", "SaveTreeInFile",
    "ShowHandles", "DontShow", "Decimal", "Hex", "ByHierarchy", "ByProcess", "Windows", "NotResponding",
    "Bits32", "Bits64", "Suspended", "ProcPriority", "TermProcess", "ThreadPriority", "FreezeThread",
    "UnfreezeThread", "TermThread", "WatchMessages",
};

static constexpr const char* QuickSearchFormKeys[] = {
    "Caption", "WndText", "WndClass", "SearchIn", "SearchInTop", "SearchInChild", "SearchInAll", "OK", "Cancel",
};

static constexpr const char* FoundWindowsFormKeys[] = {
    "Caption",
};

static constexpr const char* QuickInfoFormKeys[] = {
    "Caption", "WndText", "WndClass", "Coord", "Size", "Visible", "Enabled", "Topmost",
};

static constexpr const char* MenuBrowserFormKeys[] = {
    "Caption", "Collapse", "Expand", "ScanMenuTree", "Clip", "MenuID", "Manage",
    "EnableItem", "GrayItem", "DisableItem", "CheckItem", "UncheckItem", "DeleteItem", "RemoveItem", "ExecuteItem",
};

// The "Window Proc" labels and the GWL_ index labels are names of the API and have no key.
static constexpr const char* StylesFormKeys[] = {
    "Caption", "Styles", "ExStyles", "Module", "TextViaGetText", "EditHint", "AppInstance", "WindowID",
    "UserData", "ControlID", "ChangeWindowText", "BigIcon", "SmallIcon", "WndClassInfo", "_Icons",
    "Atom", "ClassStyle", "NotReadable", "PointerTooWide",
};

static constexpr const char* ChangeSizeFormKeys[] = {
    "Caption", "Coords", "Size", "Width", "Height",
};

static constexpr const char* OptionsFormKeys[] = {
    "Caption", "Language", "UseAdvScanning", "WCA", "DontShow", "OnlyKnown", "AnalyzeName", "SnapToEdges",
};

// wParam and lParam, the parameters' column titles, are names of the API and have no key.
static constexpr const char* MessageLogFormKeys[] = {
    "Caption", "Start", "Stop", "Pause", "Clear", "Save", "Descendants", "FilterHint", "ApplyFilter",
    "Sent", "Returned", "Posted", "NoResult", "Include", "Exclude",
    "Mouse", "Keyboard", "Paint", "NonClient", "Notifications",
    "Limit", "Kept", "RingDrops", "LimitDrops", "Filtered",
    "ColNumber", "ColTime", "ColWindow", "ColKind", "ColMessage", "ColResult", "ColDecoded",
    "Watching", "Stopped", "NoWindow", "ProcessClosed", "NoHelper", "HookRefused", "SectionFailed", "BadFilter",
    "HeartbeatLost", "Connecting", "NotRecording", "WatchedElsewhere", "HelperTimedOut",
    "Windows", "WindowsHint", "ThreadMessage", "WatchingThread", "WatchingProcess", "WatchingPartly",
    "ConnectingThread", "ConnectingProcess", "NoThreads", "BadWindow",
};

static constexpr const char* AboutFormKeys[] = {
    "Caption", "Site", "Mail",
};

// The details window keeps all its texts by these keys, the labels of its pages' rows included.
static constexpr const char* DetailsFormKeys[] = {
    "Caption", "PageStyles", "PageClass", "PageProperties", "PageProcess", "PageDpi", "ColumnName", "ColumnValue",
    "Copy", "Capture", "SectionWindow", "WndHandle", "WndText", "WndClass", "Coords", "Size", "ClientSize", "Parent",
    "Owner", "PID", "TID", "Style", "ExStyle", "ListViewExStyle", "Remainder", "Atom", "ClassStyle", "ClassExtra",
    "WindowExtra", "ClassInstance", "ClassModule", "ClassProc", "Background", "Cursor", "Icon", "SmallIcon",
    "MenuName", "None", "NoProperties", "ImagePath", "Bitness", "Bits32", "Bits64", "User", "Session", "Integrity",
    "IntegrityUntrusted", "IntegrityLow", "IntegrityMedium", "IntegrityHigh", "IntegritySystem", "Elevated", "Yes",
    "No", "StartTime", "Blocked", "BlockedText", "WindowDpi", "Awareness", "AwarenessUnaware", "AwarenessSystem",
    "AwarenessPerMonitor", "AwarenessPerMonitorV2", "MonitorDpi", "NotAvailable", "Unreadable", "CaptureQuestion",
    "CaptureCopy", "CaptureSave", "CaptureCancel", "CaptureFailed", "RelativeCoords", "Menu", "Child", "Next",
    "Previous", "ShowState", "StateMinimized", "StateMaximized", "StateNormal", "Visible", "Enabled", "Topmost",
    "Locator",
};

// The command line's sentences and usage, and what is wrong with a locator (also in the tree's search).
static constexpr const char* CommandLineKeys[] = {
    "NothingFound", "NoWindow", "NotAnswering", "CantWrite", "OneJob", "OutNeedsFile", "ClassNeedsMask",
    "UnknownArgument", "NoJob", "ClassWithFind", "TargetMissing", "AtNeedsPoint", "NotATarget", "FindNeedsPattern",
    "Usage1", "Usage2", "Usage3", "Usage4", "Usage5", "Usage6", "Usage7", "Usage8", "Usage9", "Usage10",
    "NotLocator", "LocatorSlash", "LocatorTooLong", "LocatorEnd", "LocatorHex", "LocatorEscape",
    "LocatorQuoteMissing", "LocatorQuote", "LocatorName", "LocatorBigNumber", "LocatorNumber", "LocatorEquals",
    "LocatorIdTwice", "LocatorTextTwice", "LocatorPositionTwice", "LocatorQualifier", "LocatorPosition",
    "LocatorClose",
};

static constexpr LanguageSection Sections[] = {
    {"LumivexForm", LumivexFormKeys},
    {"WindowTreeForm", WindowTreeFormKeys},
    {"QuickSearchForm", QuickSearchFormKeys},
    {"FoundWindowsForm", FoundWindowsFormKeys},
    {"QuickInfoForm", QuickInfoFormKeys},
    {"MenuBrowserForm", MenuBrowserFormKeys},
    {"StylesForm", StylesFormKeys},
    {"ChangeSizeForm", ChangeSizeFormKeys},
    {"OptionsForm", OptionsFormKeys},
    {"AboutForm", AboutFormKeys},
    {"DetailsForm", DetailsFormKeys},
    {"MessageLogForm", MessageLogFormKeys},
    {"CommandLine", CommandLineKeys},
};

std::span<const LanguageSection> LanguageSections()
{
    return Sections;
}

std::span<const char* const> LanguageKeysOf(std::string_view section)
{
    for (const LanguageSection& entry : Sections)
        if (section == entry.Name) return entry.Keys;
    return {};
}

}  // namespace lvx
