// lumivex.exe with arguments: finding the target, reading it, writing JSON or text, the exit code.
#include "CommandLineRun.h"

#include "CommandLine.h"
#include "Picking.h"
#include "TextFiles.h"
#include "UNI_Strings.h"
#include "UNI_WindowInfo.h"
#include "details/DetailsForm.h"
#include "details/StyleNames.h"
#include "details/WindowDetails.h"
#include "discovery/DiscoveryText.h"
#include "discovery/WindowLocator.h"
#include "discovery/WindowSearch.h"
#include "language/LanguageFile.h"
#include "language/MessageTable.h"
#include "language/MultiLang.h"
#include "settings/Settings.h"

#include "Version.h"

#include <nlohmann/json.hpp>

#include <shellapi.h>

#include <cstdio>

namespace lvx {

namespace {

using Json = nlohmann::ordered_json;

// The version of the JSON's shape; it grows when a field changes meaning or goes away.
constexpr int JsonFormat = 1;
// Guards the tree walk against a window hierarchy that loops while it changes.
constexpr int MaxTreeDepth = 512;

// Texts of the code page as UTF-8, which JSON requires.
std::string Utf8(const std::string& text)
{
    if (text.empty()) return {};
    const int wide = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (wide <= 0) return {};
    std::wstring buffer(static_cast<size_t>(wide), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), buffer.data(), wide);
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, buffer.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(std::max(bytes, 0)), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, buffer.data(), wide, result.data(), bytes, nullptr, nullptr);
    return result;
}

Json HandleJson(HWND window)
{
    return window != nullptr ? Json(FormatHandle(HandleValue(window))) : Json(nullptr);
}

// Pointer-sized values as the program shows them, all their digits kept; the placeholder where a
// 32-bit build sees only half of a 64-bit program's pointer.
Json PointerJson(uintptr_t value, bool read)
{
    return read ? Json(FormatHex(value, 8)) : Json(Utf8(MessageText(Msg::CantReadWndText)));
}

Json RectJson(int32_t left, int32_t top, int32_t width, int32_t height)
{
    return Json{{"left", left}, {"top", top}, {"width", width}, {"height", height}};
}

const char* ShowStateName(WindowShowState state)
{
    switch (state) {
    case WindowShowState::Minimized: return "minimized";
    case WindowShowState::Maximized: return "maximized";
    case WindowShowState::Normal: return "normal";
    }
    return "normal";
}

Json BitsJson(ProcessBits bits)
{
    return bits == ProcessBits::Bits32 ? Json(32) : bits == ProcessBits::Bits64 ? Json(64) : Json(nullptr);
}

Json StyleJson(const DecodedStyles& decoded, StyleTarget target, uint32_t value, uint32_t remainder)
{
    Json names = Json::array();
    for (const StyleRow& row : decoded.Rows)
        if (row.Target == target && row.Set) names.push_back(row.Name);
    return Json{{"value", FormatHex(value, 8)}, {"names", std::move(names)}, {"unnamed", FormatHex(remainder, 8)}};
}

// Read or not (the placeholder), then null for none or the name.
Json NamedJson(bool read, const std::optional<std::string>& name)
{
    if (!read) return Utf8(MessageText(Msg::CantReadWndText));
    return name ? Json(Utf8(*name)) : Json(nullptr);
}

Json ClassJson(const ClassDetails& cls)
{
    if (!cls.Read) return nullptr;
    return Json{{"atom", FormatHex(cls.Atom, 4)},
                {"style", {{"value", FormatHex(cls.Style, 8)}, {"names", DescribeFlags(StyleGroup::Class, cls.Style)}}},
                {"classExtra", cls.ClassExtra},
                {"windowExtra", cls.WindowExtra},
                {"instance", PointerJson(cls.Instance, cls.InstanceRead)},
                {"module", cls.Module.empty() ? Json(nullptr) : Json(Utf8(cls.Module))},
                {"windowProc", PointerJson(cls.WndProc, cls.WndProcRead)},
                {"background", NamedJson(cls.BackgroundRead, BackgroundName(cls))},
                {"cursor", NamedJson(cls.CursorRead, CursorName(cls))},
                {"icon", NamedJson(cls.IconRead, IconName(cls))},
                {"smallIcon", NamedJson(cls.SmallIconRead, SmallIconName(cls))},
                {"menuName", NamedJson(cls.MenuNameRead, MenuName(cls))}};
}

Json ProcessJson(const WindowInfo& info, const ProcessDetails& process)
{
    static constexpr const char* Levels[] = {"untrusted", "low", "medium", "high", "system"};
    Json start = nullptr;
    if (process.StartRead) {
        char text[32] = {};
        std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u", process.Start.wYear, process.Start.wMonth,
                      process.Start.wDay, process.Start.wHour, process.Start.wMinute, process.Start.wSecond);
        start = text;
    }
    return Json{{"id", FormatHandle(info.ProcessId)},
                {"threadId", FormatHandle(info.ThreadId)},
                {"bits", BitsJson(process.Bits != ProcessBits::Unknown ? process.Bits : info.Bits)},
                {"image", process.ImagePath.empty() ? Json(nullptr) : Json(Utf8(process.ImagePath))},
                {"user", process.User.empty() ? Json(nullptr) : Json(Utf8(process.User))},
                {"session", process.SessionRead ? Json(process.Session) : Json(nullptr)},
                {"integrity", process.IntegrityRead ? Json(Levels[IntegrityLevelOf(process.IntegrityRid)]) : Json(nullptr)},
                {"elevated", process.ElevationRead ? Json(process.Elevated) : Json(nullptr)},
                {"start", std::move(start)}};
}

Json DpiJson(const DpiDetails& dpi)
{
    static constexpr const char* Awareness[] = {nullptr, "unaware", "system", "perMonitor", "perMonitorV2"};
    const char* awareness = dpi.AwarenessAvailable ? Awareness[static_cast<int>(dpi.Awareness)] : nullptr;
    return Json{{"window", dpi.WindowDpiAvailable && dpi.WindowDpi != 0 ? Json(dpi.WindowDpi) : Json(nullptr)},
                {"awareness", awareness != nullptr ? Json(awareness) : Json(nullptr)},
                {"monitor", dpi.MonitorDpiAvailable && dpi.MonitorDpi != 0 ? Json(dpi.MonitorDpi) : Json(nullptr)}};
}

// Everything the main window and the details window know about one window; a window that did not
// give its text in time is counted in `notAnswering`.
Json DumpJson(HWND window, const std::optional<std::string>& locator, int& notAnswering)
{
    WindowInfo info;
    GatherWindowInfo(window, false, info);
    if (info.Text == MessageText(Msg::WindowNotReply) || info.Text == MessageText(Msg::CantReadWndText)) ++notAnswering;
    WindowDetails details;
    GatherWindowDetails(window, details);
    const DecodedStyles styles =
        DecodeStyles(details.ClassName, details.Style, details.ExStyle, details.ListViewExRead ? details.ListViewExStyle : 0);
    Json styleJson{{"style", StyleJson(styles, StyleTarget::Style, details.Style, styles.StyleRemainder)},
                   {"exStyle", StyleJson(styles, StyleTarget::ExStyle, details.ExStyle, styles.ExStyleRemainder)}};
    if (details.ListView)
        styleJson["listViewExStyle"] = details.ListViewExRead ? StyleJson(styles, StyleTarget::ListViewExStyle, details.ListViewExStyle,
                                                                          styles.ListViewExRemainder)
                                                              : Json(Utf8(MessageText(Msg::CantReadWndText)));
    Json properties = Json::array();
    for (const PropertyEntry& property : details.Properties)
        properties.push_back({{"name", Utf8(property.Name)}, {"value", PointerJson(property.Value, property.ValueRead)}});

    return Json{{"handle", HandleJson(window)},
                {"locator", locator ? Json(Utf8(*locator)) : Json(nullptr)},
                {"text", Utf8(info.Text)},
                {"windowText", Utf8(info.WindowText)},
                {"className", Utf8(info.ClassName)},
                {"rect", RectJson(info.Left, info.Top, info.Width, info.Height)},
                {"client", {{"width", info.ClientWidth}, {"height", info.ClientHeight}}},
                {"relative", {{"left", info.RelativeLeft}, {"top", info.RelativeTop}}},
                {"showState", ShowStateName(info.ShowState)},
                {"visible", info.Visible},
                {"enabled", info.Enabled},
                {"topmost", info.Topmost},
                {"controlId", info.ControlId},
                {"parent", HandleJson(info.Parent)},
                {"child", HandleJson(info.Child)},
                {"owner", HandleJson(info.Owner)},
                {"next", HandleJson(info.Next)},
                {"previous", HandleJson(info.Previous)},
                {"menu", info.Menu != nullptr ? Json(FormatHandle(HandleValue(info.Menu))) : Json(nullptr)},
                {"windowProc", PointerJson(info.WndProc, info.PointersRead)},
                {"instance", PointerJson(info.Instance, info.PointersRead)},
                {"userData", PointerJson(info.UserData, info.PointersRead)},
                {"styles", std::move(styleJson)},
                {"class", ClassJson(details.Class)},
                {"properties", std::move(properties)},
                {"process", ProcessJson(info, details.Process)},
                {"dpi", DpiJson(details.Dpi)}};
}

// Where the output goes: the file of --out, else the standard handles (inherited when redirected,
// else those of the console the program was started from).
class Output {
public:
    explicit Output(std::string file) : file_(std::move(file))
    {
        out_ = ::GetStdHandle(STD_OUTPUT_HANDLE);
        err_ = ::GetStdHandle(STD_ERROR_HANDLE);
        if ((out_ == nullptr || out_ == INVALID_HANDLE_VALUE || err_ == nullptr || err_ == INVALID_HANDLE_VALUE) &&
            ::AttachConsole(ATTACH_PARENT_PROCESS)) {
            if (out_ == nullptr || out_ == INVALID_HANDLE_VALUE) {
                console_.reset(OpenConsole());
                out_ = console_.get();
            }
            if (err_ == nullptr || err_ == INVALID_HANDLE_VALUE) err_ = out_;
        }
    }

    // The job's output, whole; false (after saying so) when the file cannot be written. `utf8`: the
    // content is UTF-8 (JSON), else the code page's.
    bool Write(const std::string& content, bool utf8)
    {
        if (file_.empty()) return WriteTo(out_, content, utf8 ? CP_UTF8 : CP_ACP), true;
        if (WriteWholeFile(file_, content)) return true;
        Error(FormatMessageText(LookupCommandText(CommandCantWrite), file_));
        return false;
    }

    void Error(const std::string& sentence) { WriteTo(err_, sentence + "\r\n", CP_ACP); }

private:
    static HANDLE OpenConsole()
    {
        const HANDLE console = ::CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        return console == INVALID_HANDLE_VALUE ? nullptr : console;
    }

    // A console shows wide characters whatever its code page; a file or a pipe gets the bytes.
    static void WriteTo(HANDLE handle, const std::string& content, UINT codePage)
    {
        if (handle == nullptr || handle == INVALID_HANDLE_VALUE || content.empty()) return;
        DWORD mode = 0;
        if (::GetConsoleMode(handle, &mode)) {
            const int wide = ::MultiByteToWideChar(codePage, 0, content.data(), static_cast<int>(content.size()), nullptr, 0);
            std::wstring text(static_cast<size_t>(std::max(wide, 0)), L'\0');
            ::MultiByteToWideChar(codePage, 0, content.data(), static_cast<int>(content.size()), text.data(), wide);
            DWORD written = 0;
            ::WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
            return;
        }
        size_t done = 0;
        while (done < content.size()) {
            DWORD written = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(content.size() - done, 1 << 20));
            if (!::WriteFile(handle, content.data() + done, chunk, &written, nullptr) || written == 0) return;
            done += written;
        }
    }

    std::string file_;
    HANDLE out_ = nullptr;
    HANDLE err_ = nullptr;
    unique_kernel_handle console_;
};

std::string JsonText(const Json& json)
{
    return json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

Json Envelope(const char* job, int notAnswering)
{
    return Json{{"format", JsonFormat}, {"program", "lumivex"}, {"version", LVX_VERSION_TEXT}, {"job", job},
                {"notAnswering", notAnswering}};
}

// The windows a target names; `notAnswering` counts the windows a locator had to skip.
std::vector<HWND> ResolveTarget(const CommandTarget& target, int& notAnswering)
{
    switch (target.Type) {
    case CommandTarget::Kind::Desktop: return {::GetDesktopWindow()};
    case CommandTarget::Kind::Handle: return {ToHandle(target.Handle)};
    case CommandTarget::Kind::Foreground: return {::GetForegroundWindow()};
    case CommandTarget::Kind::Point: return {WindowAtPoint(target.X, target.Y)};
    case CommandTarget::Kind::Locator: {
        const std::optional<Locator> locator = ParseLocator(target.Locator);
        if (!locator) return {};
        const LocatorMatches matches = FindWindowsByLocator(*locator);
        notAnswering += matches.NotAnswering;
        std::vector<HWND> windows;
        for (const uint64_t handle : matches.Windows) windows.push_back(ToHandle(handle));
        return windows;
    }
    }
    return {};
}

// The window tree below one window, read once: each window's children, class and text through the
// locator's reader, so that the locators of the nodes cost no second read.
class TreeWriter {
public:
    // The tree below `root`: the desktop, or any window (whose path up is read once for the locators).
    Json Root(HWND root)
    {
        path_.clear();
        topProcess_ = 0;
        if (root != ::GetDesktopWindow()) {
            for (HWND current = ::GetAncestor(root, GA_PARENT); current != nullptr && current != ::GetDesktopWindow() &&
                                                                path_.size() < MaxTreeDepth;
                 current = ::GetAncestor(current, GA_PARENT))
                path_.insert(path_.begin(), FromHandle(current));
            ::GetWindowThreadProcessId(path_.empty() ? root : ToHandle(path_.front()), &topProcess_);
        }
        return Node(root, ReadClassName(root, MessageText(Msg::WndClassNotFound)), 0);
    }

    // The tree's text file lines, in tree order.
    std::string Text() const
    {
        std::string result;
        for (const TextLine& line : lines_) result += FormatTreeFileLine(line.Depth, !line.Leaf, line.NodeText);
        return result;
    }

    int NotAnswering() const { return notAnswering_; }

private:
    struct TextLine {
        int Depth;
        bool Leaf;
        std::string NodeText;
    };

    // `className` comes with the window from its parent's list, so it is not asked twice.
    Json Node(HWND window, const std::string& className, int depth)
    {
        const uint64_t handle = FromHandle(window);
        const bool desktop = window == ::GetDesktopWindow();
        Json node{{"handle", HandleJson(window)}};
        std::string text;
        if (!desktop) {
            const std::optional<std::string> read = windows_.Text(handle);
            if (!read) ++notAnswering_;
            text = read ? *read : MessageText(Msg::CantReadWndText);
        }
        RECT rect{};
        ::GetWindowRect(window, &rect);
        DWORD processId = 0;
        const DWORD threadId = ::GetWindowThreadProcessId(window, &processId);
        const DWORD topProcess = topProcess_;
        if (path_.empty()) topProcess_ = processId;  // a top-level window: its process names the locator's program
        if (!desktop) path_.push_back(handle);
        node["className"] = Utf8(className);
        node["text"] = Utf8(text);
        node["rect"] = RectJson(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
        node["processId"] = FormatHandle(processId);
        node["threadId"] = FormatHandle(threadId);
        node["locator"] = desktop ? Json(nullptr) : LocatorJson();
        // The text file's line comes before its children's, as the tree's own file has it.
        const size_t line = lines_.size();
        lines_.push_back({depth, true, FormatTreeNodeText(HandleNotation::Hexadecimal, HandleValue(window), text, className)});
        Json children = Json::array();
        if (depth < MaxTreeDepth)
            for (const LocatorWindow& child : windows_.Children(handle))
                children.push_back(Node(ToHandle(child.Handle), child.ClassName, depth + 1));
        lines_[line].Leaf = children.empty();
        node["children"] = std::move(children);
        if (!desktop) path_.pop_back();
        topProcess_ = topProcess;
        return node;
    }

    // The locator of the window at the end of the current path.
    Json LocatorJson()
    {
        const std::string& image = windows_.ImageOf(topProcess_);
        if (image.empty()) return nullptr;
        const std::optional<Locator> locator = MakeLocator(image, path_, windows_);
        return locator ? Json(Utf8(FormatLocator(*locator))) : Json(nullptr);
    }

    DesktopWindows windows_;
    std::vector<uint64_t> path_;  // from the top-level window down to the node being written
    DWORD topProcess_ = 0;        // the process of the path's top-level window
    std::vector<TextLine> lines_;
    int notAnswering_ = 0;
};

int RunJob(const CommandLine& line, Output& output)
{
    int notAnswering = 0;
    std::string result;
    bool found = true;
    if (line.Job == CommandJob::Find) {
        std::vector<HWND> windows;
        if (line.FindByLocator) {
            windows = ResolveTarget({CommandTarget::Kind::Locator, 0, line.FindLocator}, notAnswering);
        } else {
            std::string error;
            if (!SearchWindowsByMask(line.TextMask, line.ClassMask, SearchScope::AllWindows, nullptr, error)) {
                output.Error(error);
                return ExitBadArguments;
            }
            for (const FoundWindowEntry& entry : FoundWindows) windows.push_back(entry.Handle);
        }
        found = !windows.empty();
        Json list = Json::array();
        for (const HWND window : windows) {
            const std::string text = ReadTextByMessage(window, MessageText(Msg::CantReadWndText));
            const std::string className = ReadClassName(window, MessageText(Msg::WndClassNotFound));
            const std::optional<std::string> locator = LocatorOfWindow(window);
            result += FormatFoundWindowLine(HandleValue(window), text, className) + "\r\n";
            list.push_back({{"handle", HandleJson(window)}, {"className", Utf8(className)}, {"text", Utf8(text)},
                            {"locator", locator ? Json(Utf8(*locator)) : Json(nullptr)}});
        }
        if (!line.AsText) {
            Json json = Envelope("find", notAnswering);
            json["windows"] = std::move(list);
            result = JsonText(json);
        }
    } else {
        const std::vector<HWND> windows = ResolveTarget(line.Target, notAnswering);
        if (windows.empty()) {
            output.Error(LookupCommandText(CommandNothingFound));
            return ExitNothingFound;
        }
        for (const HWND window : windows) {
            if (!::IsWindow(window)) {
                output.Error(FormatMessageText(LookupCommandText(CommandNoWindow), FormatHandle(HandleValue(window))));
                return ExitUnreadable;
            }
        }
        if (line.Job == CommandJob::Tree) {
            TreeWriter tree;
            Json roots = Json::array();
            for (const HWND window : windows) roots.push_back(tree.Root(window));
            notAnswering += tree.NotAnswering();
            Json json = Envelope("tree", notAnswering);
            json["windows"] = std::move(roots);
            result = line.AsText ? tree.Text() : JsonText(json);
        } else {
            Json list = Json::array();
            for (const HWND window : windows) {
                list.push_back(DumpJson(window, LocatorOfWindow(window), notAnswering));
                if (line.AsText) result += DetailsCopyText(window);
            }
            if (!line.AsText) {
                Json json = Envelope("dump", notAnswering);
                json["windows"] = std::move(list);
                result = JsonText(json);
            }
        }
    }
    if (!output.Write(result, !line.AsText)) return ExitUnreadable;
    if (notAnswering > 0) output.Error(FormatMessageText(LookupCommandText(CommandNotAnswering), std::to_string(notAnswering)));
    if (!found) {
        output.Error(LookupCommandText(CommandNothingFound));
        return ExitNothingFound;
    }
    return ExitDone;
}

}  // namespace

std::string LookupCommandText(const MessageDef& text)
{
    if (!LanguageLoaded) return text.DefaultText;
    const std::string translated = Language.LookupText(Language.LookupSection("CommandLine"), text.Key);
    return translated == UntranslatedText ? std::string(text.DefaultText) : translated;
}

std::vector<std::string> ProcessArguments()
{
    std::vector<std::string> arguments;
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr) return arguments;
    for (int i = 1; i < count; ++i) {
        const int bytes = ::WideCharToMultiByte(CP_ACP, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string argument(static_cast<size_t>(std::max(bytes, 1)), '\0');
        ::WideCharToMultiByte(CP_ACP, 0, wide[i], -1, argument.data(), bytes, nullptr, nullptr);
        argument.resize(argument.size() - 1);
        arguments.push_back(std::move(argument));
    }
    ::LocalFree(wide);
    return arguments;
}

int RunCommandLine(const std::vector<std::string>& arguments)
{
    std::string error;
    const std::optional<CommandLine> line = ParseCommandLine(arguments, error, LookupCommandText);
    Output output(line ? line->OutFile : std::string());
    if (!line) {
        output.Error(error);
        output.Error(CommandLineUsage(LookupCommandText));
        return ExitBadArguments;
    }
    if (line->Job == CommandJob::Help) return output.Write(CommandLineUsage(LookupCommandText), false) ? ExitDone : ExitUnreadable;
    if (line->Job == CommandJob::Version) return output.Write(std::string(LVX_VERSION_TEXT) + "\r\n", false) ? ExitDone : ExitUnreadable;
    ReadSettings();  // the picking rules of --at follow the user's settings
    try {
        return RunJob(*line, output);
    } catch (const std::exception& failure) {
        output.Error(failure.what());
        return ExitUnreadable;
    }
}

}  // namespace lvx
