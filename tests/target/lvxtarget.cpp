// lvxtarget: a separate GUI process that the inspector's tests start to get foreign windows with known properties.
#include <windows.h>
#include <commctrl.h>

#include "MenuScenario.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <future>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace {

constexpr UINT kHangMessage = WM_APP + 1;
constexpr UINT kSlowMessage = WM_APP + 2;
constexpr UINT kRestyleMessage = WM_APP + 11;
constexpr DWORD kSlowReplyDelayMs = 1500;
constexpr LRESULT kSlowReply = 42;
// A test that forgets to close the target must not leave it running for the rest of the session.
constexpr DWORD kSafetyNetMs = 10 * 60 * 1000;
constexpr DWORD kPumpMs = 20;

// Distinct exit codes let a test that found no report tell why.
enum ExitCode : UINT { kExitOk = 0, kExitUsage = 1, kExitReportFailed = 2, kExitCreateFailed = 3 };

struct Rect {
    int x, y, w, h;
};

constexpr DWORD kTopStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE;
constexpr DWORD kChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;

// A missing window would only surface later as a confusing test failure, so creation problems end the run.
HWND must(HWND hwnd) {
    if (!hwnd) ExitProcess(kExitCreateFailed);
    return hwnd;
}

HINSTANCE instance() { return GetModuleHandleA(nullptr); }

HMENU idAsMenu(int id) { return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)); }

HWND topLevel(const char* cls, const char* title, Rect r, DWORD style = kTopStyle, HWND owner = nullptr,
              HMENU menu = nullptr) {
    return must(CreateWindowExA(0, cls, title, style, r.x, r.y, r.w, r.h, owner, menu, instance(), nullptr));
}

HWND child(HWND parent, const char* cls, const char* text, int id, Rect r, DWORD extraStyle = 0) {
    return must(CreateWindowExA(0, cls, text, kChildStyle | extraStyle, r.x, r.y, r.w, r.h, parent, idAsMenu(id),
                                instance(), nullptr));
}

struct HandleCloser {
    void operator()(HANDLE h) const { CloseHandle(h); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

class Report {
public:
    void window(std::string_view name, HWND hwnd) {
        // The full pointer value: 64-bit handles can have bits above the low 32 that a test must not lose.
        std::array<char, 2 * sizeof(void*)> digits{};
        auto value = static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(hwnd));
        auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value, 16).ptr;
        std::string hex(digits.data(), end);
        for (char& c : hex)
            if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
        line(name, hex);
    }
    void number(std::string_view name, unsigned long long value) { line(name, std::to_string(value)); }

    // Tests poll for the file, so it must never be seen half written.
    bool writeAtomically(const std::string& path) const {
        const std::string tmp = path + ".tmp";
        {
            HANDLE raw = CreateFileA(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                     nullptr);
            if (raw == INVALID_HANDLE_VALUE) return false;
            const UniqueHandle file(raw);
            DWORD written = 0;
            if (!WriteFile(file.get(), text_.data(), static_cast<DWORD>(text_.size()), &written, nullptr) ||
                written != text_.size())
                return false;
        }
        return MoveFileExA(tmp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    }

private:
    void line(std::string_view name, std::string_view value) {
        text_.append(name).append("=").append(value).append("\n");
    }
    std::string text_;
};

void runMessageLoop(HWND dialog);

// Sent to the control window: makes a top-level window with a button on a new thread that runs a
// message loop, as a program does long after it started; answers the window's handle.
constexpr UINT kNewThreadWindowMessage = WM_APP + 13;

HWND windowOnNewThread() {
    std::promise<HWND> made;
    std::future<HWND> result = made.get_future();
    std::thread([made = std::move(made)]() mutable {
        HWND window = topLevel("LvxTargetMain", "Later Thread Window", {700, 600, 220, 120});
        child(window, "BUTTON", "Later button", 602, {10, 10, 100, 30}, WS_TABSTOP);
        made.set_value(window);
        runMessageLoop(nullptr);
    }).detach();
    return result.get();
}

LRESULT CALLBACK controlProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    // ExitProcess rather than PostQuitMessage: the hung thread must not keep the process alive.
    if (msg == WM_CLOSE) ExitProcess(kExitOk);
    if (msg == kNewThreadWindowMessage) return reinterpret_cast<LRESULT>(windowOnNewThread());
    return DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT CALLBACK hungProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kHangMessage) {
        Sleep(wp ? static_cast<DWORD>(wp) : INFINITE);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

// The details window changes a control's style of its own accord, as list boxes switch their scroll
// bars and modal dialogs disable their owners: wParam is the control's id, lParam the bits toggled.
LRESULT CALLBACK detailsProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kRestyleMessage) {
        const HWND control = GetDlgItem(hwnd, static_cast<int>(wp));
        SetWindowLongA(control, GWL_STYLE, GetWindowLongA(control, GWL_STYLE) ^ static_cast<LONG>(lp));
        return 1;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT CALLBACK slowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kSlowMessage) {
        Sleep(kSlowReplyDelayMs);
        return kSlowReply;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

// Questions the tests ask a "commands" window about itself, answered from the target's own view.
constexpr UINT kQueryMessage = WM_APP + 3;
enum Query : WPARAM { kVisible, kEnabled, kTopmost, kShowState, kCloseCount, kLastSysCommand, kEchoCount, kEchoLParam, kSysCommandCount, kSequencePostedCount };
// Answers wParam * 2 and remembers what it got, for the message panel's tests.
constexpr UINT kEchoMessage = WM_APP + 4;
// The message log's known sequence: wParam n. The window sends itself n kSequenceSent (wParam i,
// lParam 0x7000 + i, answered i * 3) and posts itself n kSequencePosted (wParam i, lParam 0x5000 + i),
// then sets its text to "Sequence" and back.
constexpr UINT kSequenceMessage = WM_APP + 5;
constexpr UINT kSequencePosted = WM_APP + 6;
constexpr UINT kSequenceSent = WM_APP + 7;
// The benchmark's flood: wParam messages to itself, posted (lParam 0) or sent (lParam 1); answers
// the microseconds they took, measured here so that the figure is the target's own rate.
constexpr UINT kFloodMessage = WM_APP + 8;
constexpr UINT kFloodItem = WM_APP + 9;
// The message log's unsafe parameters: the window sends itself a WM_NOTIFY (id 77, code NM_CLICK)
// from its own thread, then a second thread sends it one with lParam wParam (1: an address not
// mapped here), as another process would; answers the lParam used once both were handled.
constexpr UINT kNotifyMessage = WM_APP + 10;
// wParam 1 starts a second thread that sends the window kSequenceSent without a pause, 0 stops it.
constexpr UINT kChatterMessage = WM_APP + 11;
// Makes a child window now, for a watch of the window's descendants; answers its handle.
constexpr UINT kNewChildMessage = WM_APP + 12;

struct CommandsState {
    LRESULT closeCount = 0;
    LRESULT lastSysCommand = 0;
    LRESULT echoCount = 0;
    LRESULT echoLParam = 0;
    LRESULT sysCommandCount = 0;
    LRESULT sequencePosted = 0;
    LRESULT floodHandled = 0;
};
CommandsState g_commands;  // main thread only
std::atomic<bool> g_chatter{false};
std::thread g_chatterThread;  // main thread only

// Runs `work` on a thread of its own and handles the messages it sends here until it ends.
template <typename Work>
void onOtherThread(Work work) {
    struct Call {
        Work work;
        static DWORD WINAPI run(void* self) {
            static_cast<Call*>(self)->work();
            return 0;
        }
    } call{std::move(work)};
    const UniqueHandle thread(CreateThread(nullptr, 0, &Call::run, &call, 0, nullptr));
    if (!thread) return;
    HANDLE handle = thread.get();
    MSG msg;
    while (MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1)
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

LRESULT notifyUnsafely(HWND hwnd, WPARAM lParam) {
    NMHDR own{hwnd, 77, static_cast<UINT>(NM_CLICK)};
    SendMessageA(hwnd, WM_NOTIFY, 77, reinterpret_cast<LPARAM>(&own));
    LPARAM address = static_cast<LPARAM>(lParam);
    if (lParam == 1) {
        void* reserved = VirtualAlloc(nullptr, 1 << 16, MEM_RESERVE, PAGE_NOACCESS);
        VirtualFree(reserved, 0, MEM_RELEASE);
        address = reinterpret_cast<LPARAM>(reserved);
    }
    onOtherThread([hwnd, address] { SendMessageA(hwnd, WM_NOTIFY, 77, address); });
    return address;
}

// Sends or posts `count` messages to the window itself (posted ones in batches, below the system's
// queue limit) and answers how many microseconds that took.
LRESULT flood(HWND hwnd, unsigned count, bool sent) {
    LARGE_INTEGER start{}, end{}, frequency{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    g_commands.floodHandled = 0;
    if (sent) {
        for (unsigned i = 0; i < count; ++i) SendMessageA(hwnd, kFloodItem, i, 0);
    } else {
        constexpr unsigned batch = 1000;
        for (unsigned done = 0; done < count; done += batch) {
            const unsigned target = std::min(count, done + batch);
            for (unsigned i = done; i < target; ++i) PostMessageA(hwnd, kFloodItem, i, 0);
            MSG msg;
            while (g_commands.floodHandled < static_cast<LRESULT>(target) &&
                   PeekMessageA(&msg, hwnd, kFloodItem, kFloodItem, PM_REMOVE))
                DispatchMessageA(&msg);
        }
    }
    QueryPerformanceCounter(&end);
    return static_cast<LRESULT>((end.QuadPart - start.QuadPart) * 1000000 / frequency.QuadPart);
}

LRESULT CALLBACK commandsProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case kQueryMessage:
        switch (wp) {
        case kVisible: return IsWindowVisible(hwnd) ? 1 : 0;
        case kEnabled: return IsWindowEnabled(hwnd) ? 1 : 0;
        case kTopmost: return (GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) ? 1 : 0;
        case kShowState: return IsIconic(hwnd) ? 0 : IsZoomed(hwnd) ? 1 : 2;
        case kCloseCount: return g_commands.closeCount;
        case kLastSysCommand: return g_commands.lastSysCommand;
        case kEchoCount: return g_commands.echoCount;
        case kEchoLParam: return g_commands.echoLParam;
        case kSysCommandCount: return g_commands.sysCommandCount;
        case kSequencePostedCount: return g_commands.sequencePosted;
        default: return -1;
        }
    case kSequenceMessage: {
        for (WPARAM i = 0; i < wp; ++i) {
            PostMessageA(hwnd, kSequencePosted, i, static_cast<LPARAM>(0x5000 + i));
            SendMessageA(hwnd, kSequenceSent, i, static_cast<LPARAM>(0x7000 + i));
        }
        char text[256] = {};
        GetWindowTextA(hwnd, text, static_cast<int>(std::size(text)));
        SendMessageA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Sequence"));
        SendMessageA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
        return 0;
    }
    case kSequencePosted:
        ++g_commands.sequencePosted;
        return 0;
    case kSequenceSent: return static_cast<LRESULT>(wp * 3);
    case kFloodMessage: return flood(hwnd, static_cast<unsigned>(wp), lp != 0);
    case kNotifyMessage: return notifyUnsafely(hwnd, wp);
    case kChatterMessage:
        if (g_chatterThread.joinable()) {
            g_chatter = false;
            onOtherThread([] { g_chatterThread.join(); });
        }
        if (wp != 0) {
            g_chatter = true;
            g_chatterThread = std::thread([hwnd] {
                for (WPARAM i = 0; g_chatter; ++i) SendMessageA(hwnd, kSequenceSent, i, 0);
            });
        }
        return 0;
    case kNewChildMessage:
        return reinterpret_cast<LRESULT>(child(hwnd, "STATIC", "Later", 703, {10, 80, 100, 20}));
    case kFloodItem:
        ++g_commands.floodHandled;
        return 0;
    case kEchoMessage:
        ++g_commands.echoCount;
        g_commands.echoLParam = lp;
        return static_cast<LRESULT>(wp * 2);
    case WM_SYSCOMMAND:
        g_commands.lastSysCommand = static_cast<LRESULT>(wp & 0xFFF0);
        ++g_commands.sysCommandCount;
        break;
    case WM_CLOSE:
        ++g_commands.closeCount;
        break;
    default:
        break;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

// A control that refuses every new text.
LRESULT CALLBACK noTextProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SETTEXT) return FALSE;
    return DefWindowProcA(hwnd, msg, wp, lp);
}

INT_PTR CALLBACK dialogProc(HWND, UINT, WPARAM, LPARAM) {
    // FALSE for WM_INITDIALOG too: the target should not move the keyboard focus on its own.
    return FALSE;
}

void registerClasses() {
    struct ClassInfo {
        const char* name;
        WNDPROC proc;
        int colour;
    };
    const ClassInfo classes[] = {
        {"LvxTargetControl", controlProc, COLOR_WINDOW}, {"LvxTargetMain", DefWindowProcA, COLOR_BTNFACE},
        {"LvxPanel", DefWindowProcA, COLOR_BTNFACE},      {"LvxTargetNested", DefWindowProcA, COLOR_WINDOW},
        {"LvxTargetOverlap", DefWindowProcA, COLOR_WINDOW}, {"LvxTargetOwner", DefWindowProcA, COLOR_WINDOW},
        {"LvxTargetOwned", DefWindowProcA, COLOR_BTNFACE}, {"LvxTargetHung", hungProc, COLOR_WINDOW},
        {"LvxTargetMany", DefWindowProcA, COLOR_WINDOW},  {"LvxTargetSlow", slowProc, COLOR_WINDOW},
        {"LvxTargetCommands", commandsProc, COLOR_WINDOW}, {"LvxTargetNoText", noTextProc, COLOR_BTNFACE},
        {"LvxTargetTwins", DefWindowProcA, COLOR_BTNFACE}, {"LvxTargetDeep", DefWindowProcA, COLOR_BTNFACE},
    };
    for (const ClassInfo& c : classes) {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = c.proc;
        wc.hInstance = instance();
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(c.colour + 1));
        wc.lpszClassName = c.name;
        if (!RegisterClassExA(&wc)) ExitProcess(kExitCreateFailed);
    }
}

// In-memory dialog template; its strings are UTF-16 by format even for the "A" call, and ours are ASCII.
class DialogTemplate {
public:
    DialogTemplate(DWORD style, const char* title, short cx, short cy) {
        header(style, 0, 0, cx, cy);
        words_.push_back(0);  // no menu
        words_.push_back(0);  // default dialog class
        text(title);
    }
    void addButton(DWORD style, WORD id, const char* title, short x, short y, short cx, short cy) {
        if (words_.size() % 2) words_.push_back(0);  // items start on DWORD boundaries
        header(style, x, y, cx, cy, id);
        words_.push_back(0xFFFF);
        words_.push_back(0x0080);  // predefined BUTTON class
        text(title);
        words_.push_back(0);  // no creation data
        ++words_[kItemCountWord];
    }
    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    static constexpr std::size_t kItemCountWord = 4;
    void dword(DWORD v) {
        words_.push_back(LOWORD(v));
        words_.push_back(HIWORD(v));
    }
    void header(DWORD style, short x, short y, short cx, short cy, WORD id = 0) {
        const bool isDialog = words_.empty();
        dword(style);
        dword(0);  // extended style
        if (isDialog) words_.push_back(0);  // item count, bumped per item
        for (short v : {x, y, cx, cy}) words_.push_back(static_cast<WORD>(v));
        if (!isDialog) words_.push_back(id);
    }
    void text(const char* s) {
        while (*s) words_.push_back(static_cast<unsigned char>(*s++));
        words_.push_back(0);
    }
    std::vector<WORD> words_;
};

// Shared by both message loops so the dialog keeps its keyboard behaviour.
void runMessageLoop(HWND dialog) {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (dialog && IsDialogMessageA(dialog, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

HWND g_dialog = nullptr;  // main thread only

void createBasic(Report& report, unsigned) {
    HMENU file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, 111, "Open");
    AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(file, MF_STRING, 112, "Exit");
    HMENU help = CreatePopupMenu();
    AppendMenuA(help, MF_STRING, 121, "About");
    HMENU bar = CreateMenu();
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "File");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), "Help");

    HWND main = topLevel("LvxTargetMain", "Lumivex Target", {200, 150, 420, 320}, kTopStyle, nullptr, bar);
    report.window("basic", main);
    // Pointer-sized values as this program holds them, for inspectors of the other bitness.
    // A 64-bit program's value has a high half that a 32-bit inspector must not silently cut.
    if constexpr (sizeof(void*) == 8)
        SetWindowLongPtrA(main, GWLP_USERDATA, static_cast<LONG_PTR>(0x12345EED0000ABCDull));
    else
        SetWindowLongPtrA(main, GWLP_USERDATA, static_cast<LONG_PTR>(0x5EED1234));
    report.number("basic.userdata", static_cast<unsigned long long>(GetWindowLongPtrA(main, GWLP_USERDATA)));
    report.number("basic.instance", reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr)));
    report.number("bits", sizeof(void*) * 8);
    report.number("basic.wndproc", static_cast<unsigned long long>(GetWindowLongPtrA(main, GWLP_WNDPROC)));
    report.number("basic.classproc", static_cast<unsigned long long>(GetClassLongPtrA(main, GCLP_WNDPROC)));
    report.window("basic.button", child(main, "BUTTON", "Press me", 101, {0, 0, 100, 30}, WS_TABSTOP));
    report.window("basic.edit", child(main, "EDIT", "Hello edit", 102, {10, 40, 150, 24},
                                      WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL));
    report.window("basic.empty", child(main, "STATIC", "", 103, {10, 70, 100, 20}));
    HWND panel = child(main, "LvxPanel", "", 104, {200, 10, 200, 150}, WS_CLIPCHILDREN);
    report.window("basic.panel", panel);
    report.window("basic.panel.label", child(panel, "STATIC", "Inner label", 105, {10, 10, 80, 20}));
}

void createDialog(Report& report, unsigned) {
    constexpr DWORD button = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | BS_PUSHBUTTON;
    // Dialog units here are placeholders; pixel geometry is applied below so it doesn't depend on fonts.
    DialogTemplate tmpl(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | DS_MODALFRAME, "Target Dialog", 160,
                        90);
    tmpl.addButton(button | WS_DISABLED, 201, "Disabled", 10, 20, 60, 20);
    tmpl.addButton(button, 202, "Enabled", 80, 20, 60, 20);
    HWND dialog = must(CreateDialogIndirectParamA(instance(), tmpl.get(), nullptr, dialogProc, 0));
    HWND disabled = must(GetDlgItem(dialog, 201));
    HWND enabled = must(GetDlgItem(dialog, 202));
    SetWindowPos(disabled, nullptr, 20, 40, 90, 30, SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(enabled, nullptr, 125, 40, 90, 30, SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(dialog, nullptr, 650, 150, 240, 140, SWP_NOZORDER | SWP_SHOWWINDOW);
    g_dialog = dialog;
    report.window("dialog", dialog);
    report.window("dialog.disabled", disabled);
    report.window("dialog.enabled", enabled);
}

void createNested(Report& report, unsigned) {
    HWND top = topLevel("LvxTargetNested", "Nested", {200, 500, 300, 200});
    HWND outer = child(top, "STATIC", "Outer", 301, {20, 20, 120, 60}, WS_CLIPCHILDREN);
    report.window("nested", top);
    report.window("nested.outer", outer);
    report.window("nested.inner", child(outer, "STATIC", "Inner", 302, {0, 0, 120, 60}));
}

void createOverlap(Report& report, unsigned) {
    HWND top = topLevel("LvxTargetOverlap", "Overlap", {550, 500, 400, 260});
    HWND a = child(top, "LvxPanel", "", 401, {10, 10, 250, 200}, WS_CLIPCHILDREN);
    HWND a1 = child(a, "STATIC", "A1", 402, {0, 0, 250, 200});
    HWND b = child(top, "LvxPanel", "", 403, {100, 50, 200, 150}, WS_CLIPCHILDREN);
    HWND b1 = child(b, "STATIC", "B1", 404, {20, 20, 40, 30});
    // The point of this scenario: the smaller b1 lies wholly under a1, so point lookups must not return it.
    SetWindowPos(a, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    report.window("overlap", top);
    report.window("overlap.a", a);
    report.window("overlap.a1", a1);
    report.window("overlap.b", b);
    report.window("overlap.b1", b1);
}

void createOwned(Report& report, unsigned) {
    HWND owner = topLevel("LvxTargetOwner", "Owner", {900, 100, 200, 150});
    HWND owned = topLevel("LvxTargetOwned", "Owned Window", {950, 300, 220, 120},
                          WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | WS_VISIBLE, owner);
    report.window("owned.owner", owner);
    report.window("owned", owned);
}

void createHung(Report& report, unsigned) {
    struct HungWindows {
        HWND window, button;
        DWORD tid;
    };
    std::promise<HungWindows> made;
    std::future<HungWindows> result = made.get_future();
    // The promise moves into the thread, which never ends, so set_value can't race its destruction.
    std::thread([made = std::move(made)]() mutable {
        HWND window = topLevel("LvxTargetHung", "Hung Window", {900, 500, 250, 150});
        HWND button = child(window, "BUTTON", "Hung button", 601, {10, 10, 100, 30}, WS_TABSTOP);
        made.set_value({window, button, GetCurrentThreadId()});
        runMessageLoop(nullptr);
    }).detach();
    const HungWindows hung = result.get();
    report.window("hung", hung.window);
    report.window("hung.button", hung.button);
    report.number("hung.tid", hung.tid);
}

void createMany(Report& report, unsigned count) {
    constexpr int kColumns = 50, kCell = 19;
    // Created hidden and shown once at the end, so thousands of children cost no intermediate redraws.
    HWND top = topLevel("LvxTargetMany", "Many Children", {0, 0, 1000, 800}, kTopStyle & ~WS_VISIBLE);
    report.window("many", top);
    for (unsigned i = 0; i < count; ++i) {
        const int col = static_cast<int>(i % kColumns), row = static_cast<int>(i / kColumns);
        const std::string text = "c" + std::to_string(i);
        HWND c = child(top, "STATIC", text.c_str(), 1000 + static_cast<int>(i),
                       {col * kCell, row * kCell, kCell, kCell});
        if (i == 0) report.window("many.first", c);
        if (i + 1 == count) report.window("many.last", c);
    }
    ShowWindow(top, SW_SHOWNORMAL);
}

void createSlow(Report& report, unsigned) {
    report.window("slow", topLevel("LvxTargetSlow", "Slow Window", {650, 350, 200, 100}));
}

// Windows that report what the inspector's commands did to them (kQueryMessage), a control that
// refuses new texts, and a second window to close.
void createCommands(Report& report, unsigned) {
    const HWND commands = topLevel("LvxTargetCommands", "Commands Window", {300, 300, 320, 200});
    report.window("commands", commands);
    report.window("commands.notext", child(commands, "LvxTargetNoText", "Fixed text", 701, {10, 10, 120, 24}));
    report.window("commands.edit", child(commands, "EDIT", "Editable", 702, {10, 44, 150, 24}, WS_BORDER));
    report.window("closable", topLevel("LvxTargetCommands", "Closable Window", {300, 550, 220, 120}));
}

// A window whose class, properties and controls the details window decodes: a class of its own with
// known styles, extra bytes, stock cursor and icon and a system colour brush, string and integer-atom
// properties, and three controls with styles of their classes.
void createDetails(Report& report, unsigned) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    wc.cbClsExtra = 8;
    wc.cbWndExtra = 16;
    wc.lpfnWndProc = detailsProc;
    wc.hInstance = instance();
    wc.hCursor = LoadCursorA(nullptr, IDC_CROSS);
    wc.hIcon = LoadIconA(nullptr, IDI_QUESTION);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_INFOBK + 1));
    wc.lpszClassName = "LvxTargetDetails";
    if (!RegisterClassExA(&wc)) ExitProcess(kExitCreateFailed);
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    HWND window = topLevel("LvxTargetDetails", "Details Window", {120, 420, 360, 260});
    SetPropA(window, "LvxAnswer", reinterpret_cast<HANDLE>(42));
    SetPropA(window, "Alpha", reinterpret_cast<HANDLE>(0x1234));
    SetPropA(window, MAKEINTATOM(77), reinterpret_cast<HANDLE>(0x55));
    report.window("details", window);
    report.window("details.check", child(window, "BUTTON", "Check", 801, {10, 10, 100, 24}, BS_AUTOCHECKBOX | WS_TABSTOP));
    report.window("details.edit", child(window, "EDIT", "12", 802, {10, 40, 100, 24}, ES_RIGHT | ES_MULTILINE | WS_BORDER));
    HWND list = child(window, WC_LISTVIEWA, "", 803, {120, 10, 150, 80}, LVS_REPORT | WS_BORDER);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    report.window("details.list", list);
}

// A window with a rich menu that records the commands it receives (lvxmenu::QueryMessage).
void createMenus(Report& report, unsigned) {
    if (!lvxmenu::RegisterRecordingClass()) ExitProcess(kExitCreateFailed);
    // The picture lives as long as the process, as the menu does.
    HMENU bar = lvxmenu::BuildMenuBar(lvxmenu::MakePicture());
    report.window("menus", topLevel(lvxmenu::WindowClass, "Menu Window", {650, 600, 360, 200}, kTopStyle, nullptr, bar));
}

// Three labels that share their id: two with the same text, which only their places tell apart.
void createTwins(Report& report, unsigned) {
    HWND top = topLevel("LvxTargetTwins", "Twins", {300, 650, 260, 120});
    report.window("twins", top);
    report.window("twins.first", child(top, "STATIC", "Twin", 701, {10, 10, 100, 20}));
    report.window("twins.second", child(top, "STATIC", "Twin", 701, {10, 40, 100, 20}));
    report.window("twins.label", child(top, "STATIC", "Label two", 701, {120, 10, 100, 20}));
}

// A control five levels below its top-level window, each level with nine labels beside the way down.
void createDeep(Report& report, unsigned) {
    HWND parent = topLevel("LvxTargetDeep", "Deep", {100, 100, 300, 200});
    report.window("deep", parent);
    for (int level = 1; level <= 5; ++level) {
        for (int i = 0; i < 9; ++i)
            child(parent, "STATIC", ("s" + std::to_string(i)).c_str(), 800 + i, {i * 2, 0, 2, 2});
        parent = child(parent, "LvxPanel", "", 900 + level, {0, 10, 280 - level * 20, 180 - level * 20}, WS_CLIPCHILDREN);
    }
    report.window("deep.leaf", parent);
}

struct Scenario {
    std::string_view name;
    bool takesCount;  // written as name:count
    void (*create)(Report&, unsigned count);
};

constexpr Scenario kScenarios[] = {
    {"basic", false, createBasic},     {"dialog", false, createDialog}, {"nested", false, createNested},
    {"overlap", false, createOverlap}, {"owned", false, createOwned},   {"hung", false, createHung},
    {"many", true, createMany},        {"slow", false, createSlow},     {"commands", false, createCommands},
    {"menus", false, createMenus},     {"details", false, createDetails}, {"twins", false, createTwins},
    {"deep", false, createDeep},
};

// Unknown, malformed or repeated scenarios are skipped: a repeat would report two windows under one name.
void createScenario(std::string_view word, Report& report, std::set<std::string_view>& done) {
    const std::size_t colon = word.find(':');
    const std::string_view name = word.substr(0, colon);
    unsigned count = 0;
    if (colon != std::string_view::npos) {
        const std::string_view digits = word.substr(colon + 1);
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), count);
        if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) return;
    }
    for (const Scenario& s : kScenarios) {
        if (s.name != name || s.takesCount != (colon != std::string_view::npos)) continue;
        if (done.insert(s.name).second) s.create(report, count);
        return;
    }
}

// Under Wine, X events still queued when the next window appears reorder the top-level windows a moment
// later; handling them after each scenario keeps later scenarios above earlier ones (and the windows have
// painted before the tests are told they exist).
void pumpFor(DWORD ms) {
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (g_dialog && IsDialogMessageA(g_dialog, &msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (GetTickCount() - start < ms);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (__argc < 2) return kExitUsage;
    std::thread([] {
        Sleep(kSafetyNetMs);
        ExitProcess(kExitOk);
    }).detach();

    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    registerClasses();

    Report report;
    report.number("pid", GetCurrentProcessId());
    report.number("tid", GetCurrentThreadId());
    // Hidden: the tests close it to end the process, and it must not get in the way of point lookups.
    report.window("control",
                  topLevel("LvxTargetControl", "Lumivex Target Control", {0, 0, 100, 100}, WS_OVERLAPPED));
    std::set<std::string_view> done;
    for (int i = 2; i < __argc; ++i) {
        createScenario(__argv[i], report, done);
        pumpFor(kPumpMs);
    }
    report.number("ready", 1);

    if (!report.writeAtomically(__argv[1])) return kExitReportFailed;
    runMessageLoop(g_dialog);
    return kExitOk;
}
