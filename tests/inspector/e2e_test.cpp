// The real lumivex.exe driven like a user does: drag the picking tool, navigate, refresh, close;
// a listener in this process checks the broadcasts the inspector sends meanwhile.
#include "TestSupport.h"

#include "core/MainFormIds.h"
#include "core/UNI_Strings.h"
#include "core/UNI_WinVer.h"
#include "core/UNI_WindowInfo.h"
#include "core/Handles.h"
#include "core/Window.h"
#include "details/DetailsForm.h"
#include "language/MessageTable.h"
#include "resources/resource.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <utility>
#include <vector>

using namespace lvxtest;
using lvx::FormatHandle;
using lvx::HandleValue;
namespace ids = lvx::MainFormIds;

namespace {

constexpr WPARAM WindowReport = 0x4C56585F;
constexpr WPARAM RunState = 0x4C56585E;
using Notice = std::pair<WPARAM, LPARAM>;

class Listener : public lvx::Window {
public:
    std::vector<Notice> Received;
    const UINT Message = ::RegisterWindowMessageA("Narvolt Lumivex IPC Message");

    bool Create()
    {
        RegisterWindowClass("LvxE2EListener", 0, nullptr, nullptr, nullptr);
        return CreateWindowObject(0, "LvxE2EListener", "listener", WS_POPUP, RECT{0, 0, 1, 1}, nullptr, nullptr);
    }
    bool WaitForCount(size_t count, DWORD timeoutMs = 20000)
    {
        return WaitFor([&] { return Received.size() >= count; }, timeoutMs);
    }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        // Only the low 32 bits of a handle are significant between processes.
        if (message == Message) Received.emplace_back(wParam, static_cast<LPARAM>(static_cast<uint32_t>(lParam)));
        return DefaultHandling(message, wParam, lParam);
    }
};

Notice Report(HWND window)
{
    return {WindowReport, static_cast<LPARAM>(HandleValue(window))};
}

// Where the screen differs from what it was, for the failure message.
std::string DescribeDifference(const RECT& area, const std::vector<COLORREF>& before)
{
    const auto now = CaptureScreen(area);
    const int width = area.right - area.left;
    int count = 0;
    RECT box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (size_t i = 0; i < now.size() && i < before.size(); ++i) {
        if (now[i] == before[i]) continue;
        ++count;
        const int x = area.left + static_cast<int>(i) % width;
        const int y = area.top + static_cast<int>(i) / width;
        box = RECT{std::min<LONG>(box.left, x), std::min<LONG>(box.top, y), std::max<LONG>(box.right, x),
                   std::max<LONG>(box.bottom, y)};
    }
    return "the outline stayed on the screen: " + std::to_string(count) + " pixels within (" +
           std::to_string(box.left) + "," + std::to_string(box.top) + ")-(" + std::to_string(box.right) + "," +
           std::to_string(box.bottom) + ")";
}

constexpr char SettingsKey[] = "Software\\Narvolt\\Lumivex";

// The inspector started as a user would start it, with its main window found. With `chooser`,
// the first-run language chooser is expected instead and the main window is not waited for.
class Inspector {
public:
    explicit Inspector(bool chooser = false) : process_(BinFolder() + "lumivex.exe", "")
    {
        if (chooser) {
            WaitFor([this] { return (chooser_ = FindProcessWindow(process_.Id(), "#32770")) != nullptr; }, 30000);
            return;
        }
        WaitForMain();
    }
    bool WaitForMain()
    {
        return WaitFor([this] { return (main_ = FindProcessWindow(process_.Id(), "TMainForm")) != nullptr; }, 30000);
    }
    [[nodiscard]] HWND Chooser() const { return chooser_; }
    [[nodiscard]] HWND Main() const { return main_; }
    [[nodiscard]] HWND Control(int id) const { return ::GetDlgItem(main_, id); }
    [[nodiscard]] std::string Field(int editId) const { return ForeignText(Control(editId)); }
    bool WaitForField(int editId, const std::string& text, DWORD timeoutMs = 20000) const
    {
        return WaitFor([&] { return Field(editId) == text; }, timeoutMs);
    }
    void ClickButton(int buttonId) const
    {
        const POINT centre = CenterOf(Control(buttonId));
        MouseMoveTo(centre.x, centre.y);
        MouseDown();
        MouseUp();
    }
    // Drags the picking tool from its box onto a window and releases it there. Each step waits
    // for the inspector to have taken it, as a user's hand is slower than synthetic input.
    void PickAt(HWND target, const std::function<void()>& whileHeld = {}) const
    {
        const POINT box = CenterOf(Control(ids::PickingBoxId));
        MouseMoveTo(box.x, box.y);
        MouseDown();
        EXPECT_TRUE(WaitFor([this] { return CaptureOwner() == Control(ids::PickingBoxId); })) << InputState();
        const POINT point = CenterOf(target);
        MouseGlideTo(point.x, point.y, 16);
        EXPECT_TRUE(WaitForField(ids::HandleEditId, FormatHandle(HandleValue(target)))) << InputState();
        if (whileHeld) whileHeld();
        MouseUp();
        EXPECT_TRUE(WaitFor([this] { return CaptureOwner() == nullptr; }));
    }
    [[nodiscard]] std::string InputState() const
    {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        ::GetGUIThreadInfo(::GetWindowThreadProcessId(main_, nullptr), &info);
        POINT cursor{};
        ::GetCursorPos(&cursor);
        DWORD_PTR answer = 0;
        const ULONGLONG start = ::GetTickCount64();
        const bool answers = ::SendMessageTimeoutA(main_, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer) != 0;
        const auto waited = static_cast<unsigned long>(::GetTickCount64() - start);
        const HWND shown = reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoull(Field(ids::HandleEditId).c_str(), nullptr, 16)));
        char shownClass[64] = {};
        ::GetClassNameA(shown, shownClass, 64);
        RECT shownRect{};
        ::GetWindowRect(shown, &shownRect);
        char text[768];
        std::snprintf(text, sizeof text, "button %d, answers %d after %lu ms, handle field '%s' %s (%ld,%ld)-(%ld,%ld), main %p active %p focus %p capture %p flags %lx foreground %p cursor %ld,%ld",
                      (::GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0, answers, waited, Field(ids::HandleEditId).c_str(), shownClass, shownRect.left, shownRect.top, shownRect.right,
                      shownRect.bottom, static_cast<void*>(main_), static_cast<void*>(info.hwndActive), static_cast<void*>(info.hwndFocus),
                      static_cast<void*>(info.hwndCapture), info.flags, static_cast<void*>(::GetForegroundWindow()),
                      cursor.x, cursor.y);
        return text;
    }
    [[nodiscard]] HWND CaptureOwner() const
    {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        ::GetGUIThreadInfo(::GetWindowThreadProcessId(main_, nullptr), &info);
        return info.hwndCapture;
    }
    ChildProcess& Process() { return process_; }

private:
    ChildProcess process_;
    HWND main_ = nullptr;
    HWND chooser_ = nullptr;
};

// Every test starts from settings of its own and leaves the real ones as they were.
class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        DeleteRegistryKey(SettingsKey);
        WriteRegistryString(SettingsKey, "Language", "Русский (Russian)");
    }
    RegistryKeyBackup settings_{SettingsKey};
};

TEST_F(EndToEnd, PickNavigateRefreshAndClose)
{
    Listener listener;
    ASSERT_TRUE(listener.Create());
    TargetProcess target({"basic"});
    ASSERT_TRUE(target.Ready());
    Inspector inspector;
    ASSERT_NE(inspector.Main(), nullptr);

    // Start notice, then the report of the first refresh, for no window yet.
    ASSERT_TRUE(listener.WaitForCount(2));
    EXPECT_EQ(listener.Received[0], Notice(RunState, 0));
    EXPECT_EQ(listener.Received[1], Notice(WindowReport, 0));
    ASSERT_TRUE(inspector.WaitForField(ids::WindowTextEditId, "<Окно не существует>"));
    EXPECT_EQ(inspector.Field(ids::HandleEditId), "");

    // At the top right of the screen, above other windows.
    RECT placed{};
    ::GetWindowRect(inspector.Main(), &placed);
    EXPECT_EQ(placed.top, 0);
    EXPECT_EQ(placed.right, ::GetSystemMetrics(SM_CXSCREEN));
    EXPECT_TRUE(::GetWindowLongA(inspector.Main(), GWL_EXSTYLE) & WS_EX_TOPMOST);

    const HWND edit = target.Window("basic.edit");
    RECT around{};
    ::GetWindowRect(edit, &around);
    ::InflateRect(&around, 4, 4);
    const auto clean = CaptureScreen(around);

    inspector.PickAt(edit, [&] {
        // While the button is held: the outline is on the screen and the light data are shown,
        // and nothing has been broadcast.
        EXPECT_TRUE(WaitFor([&] { return CaptureScreen(around) != clean; }));
        EXPECT_EQ(inspector.Field(ids::WindowTextEditId), "Hello edit");
        EXPECT_EQ(listener.Received.size(), 2u);
    });
    ASSERT_TRUE(listener.WaitForCount(3));
    EXPECT_EQ(listener.Received[2], Report(edit));
    EXPECT_TRUE(WaitFor([&] { return CaptureScreen(around) == clean; })) << DescribeDifference(around, clean);

    RECT rect{};
    ::GetWindowRect(edit, &rect);
    EXPECT_EQ(inspector.Field(ids::ClassNameEditId), "Edit");
    EXPECT_EQ(inspector.Field(ids::PositionEditId), lvx::FormatPoint(rect.left, rect.top));
    EXPECT_EQ(inspector.Field(ids::SizeEditId), "150x24");
    EXPECT_EQ(inspector.Field(ids::RelativePositionEditId), "(10,40)");
    EXPECT_EQ(inspector.Field(ids::MenuEditId), "Нет");
    EXPECT_EQ(inspector.Field(ids::ParentEditId), FormatHandle(HandleValue(target.Window("basic"))));

    // To the parent and to its first child, with real clicks.
    inspector.ClickButton(ids::GotoParentButtonId);
    ASSERT_TRUE(listener.WaitForCount(4));
    EXPECT_EQ(listener.Received[3], Report(target.Window("basic")));
    EXPECT_TRUE(inspector.WaitForField(ids::WindowTextEditId, "Lumivex Target"));
    EXPECT_EQ(inspector.Field(ids::MenuEditId), "Есть");
    inspector.ClickButton(ids::GotoChildButtonId);
    ASSERT_TRUE(listener.WaitForCount(5));
    EXPECT_EQ(listener.Received[4], Report(target.Window("basic.button")));
    EXPECT_TRUE(inspector.WaitForField(ids::WindowTextEditId, "Press me"));

    // Every refresh reports once: the button, then F5.
    inspector.ClickButton(ids::RefreshButtonId);
    ASSERT_TRUE(listener.WaitForCount(6));
    ::PostMessageA(inspector.Main(), WM_KEYDOWN, VK_F5, 0);
    ASSERT_TRUE(listener.WaitForCount(7));
    EXPECT_EQ(listener.Received[5], Report(target.Window("basic.button")));
    EXPECT_EQ(listener.Received[6], Report(target.Window("basic.button")));

    // F1 without a help file beside the program does no harm.
    ::PostMessageA(inspector.Main(), WM_KEYDOWN, VK_F1, 0);
    DWORD_PTR answer = 0;
    EXPECT_NE(::SendMessageTimeoutA(inspector.Main(), WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer), 0);

    ::PostMessageA(inspector.Main(), WM_CLOSE, 0, 0);
    EXPECT_EQ(inspector.Process().WaitExit(20000), 0u);
    ASSERT_TRUE(listener.WaitForCount(8));
    EXPECT_EQ(listener.Received.size(), 8u);
    EXPECT_EQ(listener.Received[7], Notice(RunState, 1));
}

TEST_F(EndToEnd, AHungWindowShowsThePlaceholderAndTheInspectorStaysResponsive)
{
    TargetProcess target({"hung"});
    ASSERT_TRUE(target.Ready());
    target.HangWindow();
    Inspector inspector;
    ASSERT_NE(inspector.Main(), nullptr);
    ASSERT_TRUE(inspector.WaitForField(ids::WindowTextEditId, "<Окно не существует>"));

    inspector.PickAt(target.Window("hung.button"));
    EXPECT_TRUE(inspector.WaitForField(ids::WindowTextEditId, "<Окно не ответило на запрос>"));
    EXPECT_EQ(inspector.Field(ids::ClassNameEditId), "Button");
    DWORD_PTR answer = 0;
    EXPECT_NE(::SendMessageTimeoutA(inspector.Main(), WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer), 0)
        << "the inspector stopped answering";
    // Navigating to the hung parent answers too.
    inspector.ClickButton(ids::GotoParentButtonId);
    EXPECT_TRUE(inspector.WaitForField(ids::HandleEditId, FormatHandle(HandleValue(target.Window("hung")))));
    EXPECT_EQ(inspector.Field(ids::WindowTextEditId), "<Окно не ответило на запрос>");
    ::PostMessageA(inspector.Main(), WM_CLOSE, 0, 0);
    EXPECT_EQ(inspector.Process().WaitExit(20000), 0u);
}

// The language chooser's entries, read from the other process.
std::vector<std::string> ChooserEntries(HWND list)
{
    std::vector<std::string> entries;
    const auto count = static_cast<int>(::SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        // Asked in the wide form: Wine hands another process's list box text over unconverted.
        wchar_t wide[256] = {};
        ::SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(wide));
        char text[512] = {};
        ::WideCharToMultiByte(CP_ACP, 0, wide, -1, text, static_cast<int>(std::size(text)), nullptr, nullptr);
        entries.emplace_back(text);
    }
    return entries;
}

// Double-clicks an entry of a list box with the mouse.
void DoubleClickEntry(HWND list, int index)
{
    const auto height = static_cast<int>(::SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
    POINT point{12, index * height + height / 2};
    ::ClientToScreen(list, &point);
    MouseMoveTo(point.x, point.y);
    MouseDoubleClick();
}

// A top-level dialog of the process with the given caption, or null.
HWND FindDialog(DWORD processId, const std::string& caption)
{
    const HWND found = FindProcessWindow(processId, "#32770");
    return found != nullptr && ForeignText(found) == caption ? found : nullptr;
}

constexpr int ChooserList = 301;     // the chooser's list box
constexpr int LanguageButton = 207;  // "Язык (Language)" of the options dialog

TEST_F(EndToEnd, TheFirstRunAsksForTheLanguageAndLaterRunsRememberIt)
{
    DeleteRegistryKey(SettingsKey);  // a first run: no settings at all
    {
        Inspector first(true);
        ASSERT_NE(first.Chooser(), nullptr) << "no language chooser on the first run";
        EXPECT_EQ(ForeignText(first.Chooser()), "Choose language");
        const HWND list = ::GetDlgItem(first.Chooser(), ChooserList);
        const auto entries = ChooserEntries(list);
        ASSERT_GE(entries.size(), 2u);
        EXPECT_EQ(entries[0], "Русский (Russian)");
        EXPECT_EQ(::SendMessageA(list, LB_GETCURSEL, 0, 0), 0);  // the built-in entry is selected
        const auto english = std::find(entries.begin(), entries.end(), "English.lng");
        ASSERT_NE(english, entries.end());
        DoubleClickEntry(list, static_cast<int>(english - entries.begin()));
        ASSERT_TRUE(first.WaitForMain());
        EXPECT_EQ(ReadRegistryString(SettingsKey, "Language"), "English.lng");
        EXPECT_TRUE(first.WaitForField(ids::WindowTextEditId, "<Window does not exist>"));
        EXPECT_EQ(ForeignText(first.Control(ids::WindowTextLabelId)), "Window text");
        EXPECT_EQ(ForeignText(first.Control(ids::CommandPanelButtonId)), "Manage");
        ::PostMessageA(first.Main(), WM_CLOSE, 0, 0);
        EXPECT_EQ(first.Process().WaitExit(20000), 0u);
    }
    {
        // The next start does not ask and is English. The options dialog leads back to Russian.
        Inspector second;
        ASSERT_NE(second.Main(), nullptr) << "the chooser came again";
        EXPECT_EQ(ForeignText(second.Control(ids::ClassNameLabelId)), "Class name");
        second.ClickButton(ids::OptionsButtonId);
        HWND options = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (options = FindDialog(second.Process().Id(), "Options")) != nullptr; }));
        ::PostMessageA(::GetDlgItem(options, LanguageButton), BM_CLICK, 0, 0);
        HWND chooser = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (chooser = FindDialog(second.Process().Id(), "Choose language")) != nullptr; }));
        DoubleClickEntry(::GetDlgItem(chooser, ChooserList), 0);
        HWND notice = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (notice = FindDialog(second.Process().Id(), "Warning")) != nullptr; }));
        ::PostMessageA(notice, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(WaitFor([&] { return FindDialog(second.Process().Id(), "Options") != nullptr; }));
        ::PostMessageA(options, WM_COMMAND, IDCANCEL, 0);  // the close box saves as OK does
        ASSERT_TRUE(WaitFor([&] { return FindProcessWindow(second.Process().Id(), "#32770") == nullptr; }));
        EXPECT_EQ(ReadRegistryString(SettingsKey, "Language"), "Русский (Russian)");
        // Still English until the next start.
        EXPECT_EQ(ForeignText(second.Control(ids::ClassNameLabelId)), "Class name");
        ::PostMessageA(second.Main(), WM_CLOSE, 0, 0);
        EXPECT_EQ(second.Process().WaitExit(20000), 0u);
    }
    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, SettingsKey, 0, KEY_QUERY_VALUE, &key), ERROR_SUCCESS);
    DWORD power = 7;
    DWORD size = sizeof power;
    EXPECT_EQ(::RegQueryValueExA(key, "PowerScanning", nullptr, nullptr, reinterpret_cast<BYTE*>(&power), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(power, 1u);  // the options dialog saved the settings when it closed
    ::RegCloseKey(key);
    {
        Inspector third;
        ASSERT_NE(third.Main(), nullptr);
        EXPECT_EQ(ForeignText(third.Control(ids::ClassNameLabelId)), "Имя класса окна");
        ::PostMessageA(third.Main(), WM_CLOSE, 0, 0);
        EXPECT_EQ(third.Process().WaitExit(20000), 0u);
    }
}

TEST_F(EndToEnd, AChooserClosedWithoutAChoiceAsksAgainNextTime)
{
    DeleteRegistryKey(SettingsKey);
    Inspector first(true);
    ASSERT_NE(first.Chooser(), nullptr);
    ::PostMessageA(first.Chooser(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(first.WaitForMain());
    EXPECT_EQ(ReadRegistryString(SettingsKey, "Language"), "");
    EXPECT_EQ(ForeignText(first.Control(ids::WindowTextLabelId)), "Текст окна");
    ::PostMessageA(first.Main(), WM_CLOSE, 0, 0);
    EXPECT_EQ(first.Process().WaitExit(20000), 0u);
    Inspector second(true);
    EXPECT_NE(second.Chooser(), nullptr);
}

TEST_F(EndToEnd, StoredSettingsAreReadAtStartUpAndSavedBackByTheOptionsDialog)
{
    const auto store = [](const char* name, DWORD type, const void* data, DWORD size) {
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, SettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ::RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
        ::RegCloseKey(key);
    };
    // Starts the inspector, checks what its options dialog shows (scanning, snapping, the
    // icon mode) and what closing it stores.
    const auto startAndCheck = [](bool scanning, bool snapping, int icons) {
        Inspector inspector;
        ASSERT_NE(inspector.Main(), nullptr);
        inspector.ClickButton(ids::OptionsButtonId);
        HWND options = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (options = FindDialog(inspector.Process().Id(), "Настройки программы")) != nullptr; }));
        const auto checked = [&](int id) { return ::SendMessageA(::GetDlgItem(options, id), BM_GETCHECK, 0, 0) == BST_CHECKED; };
        EXPECT_EQ(checked(IDC_OPTIONS_POWER_SCANNING), scanning);
        EXPECT_EQ(checked(IDC_OPTIONS_SNAP_TO_EDGES), snapping);
        for (int item = 0; item < 3; ++item) EXPECT_EQ(checked(IDC_OPTIONS_ICONS_NONE + item), item == icons) << item;
        ::PostMessageA(options, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(WaitFor([&] { return FindProcessWindow(inspector.Process().Id(), "#32770") == nullptr; }));
        // Closing wrote all three as numbers.
        HKEY key = nullptr;
        ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, SettingsKey, 0, KEY_QUERY_VALUE, &key), ERROR_SUCCESS);
        for (const auto& [name, expected] : {std::pair{"PowerScanning", DWORD{scanning}}, std::pair{"MagneticField", DWORD{snapping}},
                                             std::pair{"ShowClassIcons", static_cast<DWORD>(icons)}}) {
            DWORD type = 0, value = 7, size = sizeof value;
            EXPECT_EQ(::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS);
            EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD)) << name;
            EXPECT_EQ(value, expected) << name;
        }
        ::RegCloseKey(key);
        ::PostMessageA(inspector.Main(), WM_CLOSE, 0, 0);
        EXPECT_EQ(inspector.Process().WaitExit(20000), 0u);
    };
    // 257 keeps its low byte (1, not the built-in 2); a text where a number belongs and a
    // missing value leave the built-in "on".
    const DWORD mode257 = 257;
    store("ShowClassIcons", REG_DWORD, &mode257, sizeof mode257);
    store("PowerScanning", REG_SZ, "0", 2);
    startAndCheck(true, true, 1);
    // 258 selects item 2 (its low byte), and a stored 0 turns scanning off.
    const DWORD mode258 = 258, off = 0;
    store("ShowClassIcons", REG_DWORD, &mode258, sizeof mode258);
    store("PowerScanning", REG_DWORD, &off, sizeof off);
    startAndCheck(false, true, 2);
}

TEST_F(EndToEnd, AnInvalidLanguageFileEndsTheProgramBeforeItsWindowShows)
{
    // An entry before the first section; the file lies beside the program, where languages are.
    const std::string name = "LvxInvalidTest.lng";
    const std::string path = BinFolder() + name;
    struct RemoveFile {
        std::string Path;
        ~RemoveFile() { ::DeleteFileA(Path.c_str()); }
    } remove{path};
    {
        const lvx::unique_file file(
            ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file);
        const char content[] = "Caption=x\r\n[AllVars]\r\n";
        DWORD written = 0;
        ASSERT_TRUE(::WriteFile(file.get(), content, sizeof content - 1, &written, nullptr));
    }
    WriteRegistryString(SettingsKey, "Language", name);

    ChildProcess inspector(BinFolder() + "lumivex.exe", "");
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = FindProcessWindow(inspector.Id(), "#32770", "Fatal error")) != nullptr; }, 30000));
    EXPECT_EQ(MessageBoxText(box), "Invalid language file");
    EXPECT_EQ(FindProcessWindow(inspector.Id(), "TMainForm"), nullptr);
    ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(inspector.WaitExit(20000), 1u);
}

}  // namespace

namespace {

HWND WaitForDialog(DWORD processId, const char* caption)
{
    HWND found = nullptr;
    WaitFor([&] { return (found = FindProcessWindow(processId, "#32770", caption)) != nullptr; }, 20000);
    return found;
}

}  // namespace

TEST_F(EndToEnd, FindAWindowByMaskThenWalkTheTreeToItsNeighbour)
{
    TargetProcess target({"basic"});
    ASSERT_TRUE(target.Ready());
    Inspector inspector;
    ASSERT_NE(inspector.Main(), nullptr);
    const HWND edit = target.Window("basic.edit");

    // The search dialog: a text mask that only the target's edit field matches, among all windows.
    inspector.ClickButton(ids::FindWindowButtonId);
    const HWND search = WaitForDialog(inspector.Process().Id(), "Поиск окна");
    ASSERT_NE(search, nullptr);
    ::SendMessageA(::GetDlgItem(search, IDC_SEARCH_TEXT), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("hello ED*"));
    ::SendMessageA(::GetDlgItem(search, IDC_SEARCH_CLASS), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Edit"));
    ::SendMessageA(::GetDlgItem(search, IDC_SEARCH_ALL), BM_CLICK, 0, 0);
    ::PostMessageA(::GetDlgItem(search, IDOK), BM_CLICK, 0, 0);
    // One result: it is inspected at once.
    ASSERT_TRUE(inspector.WaitForField(ids::HandleEditId, FormatHandle(HandleValue(edit))));
    EXPECT_EQ(inspector.Field(ids::ClassNameEditId), "Edit");

    // The tree opens on the inspected window; one step down and Enter inspect the next node.
    inspector.ClickButton(ids::WindowTreeButtonId);
    const HWND tree = WaitForDialog(inspector.Process().Id(), "Дерево окон");
    ASSERT_NE(tree, nullptr);
    const HWND view = ::FindWindowExA(tree, nullptr, "SysTreeView32", nullptr);
    ASSERT_NE(view, nullptr);
    const HWND next = ::GetWindow(edit, GW_HWNDNEXT);
    ASSERT_NE(next, nullptr);
    ::PostMessageA(view, WM_KEYDOWN, VK_DOWN, 0x01500001);
    ::PostMessageA(view, WM_KEYUP, VK_DOWN, 0xC1500001);
    ::PostMessageA(view, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    EXPECT_TRUE(inspector.WaitForField(ids::HandleEditId, FormatHandle(HandleValue(next))));
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(tree) || !::IsWindowVisible(tree); }));
}

namespace {

struct CommandRun {
    DWORD Exit = STILL_ACTIVE;
    std::string Out;  // the file of --out when one is given, else the standard output
    std::string Err;
};

std::string FileText(const std::string& path)
{
    std::string content;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        for (size_t read; (read = std::fread(buffer, 1, sizeof buffer, file)) > 0;) content.append(buffer, read);
        std::fclose(file);
    }
    return content;
}

// lumivex.exe started with arguments, its standard output and error going to files.
CommandRun RunLumivex(const std::string& arguments, bool toFile = true)
{
    TempFolder folder;
    const std::string out = folder.Path() + "out.txt", err = folder.Path() + "err.txt", file = folder.Path() + "result";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const lvx::unique_kernel_handle outHandle(
        ::CreateFileA(out.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr));
    const lvx::unique_kernel_handle errHandle(
        ::CreateFileA(err.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr));
    const std::string program = BinFolder() + "lumivex.exe";
    std::string commandLine = "\"" + program + "\" " + arguments + (toFile ? " --out \"" + file + "\"" : "");
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = outHandle.get();
    startup.hStdError = errHandle.get();
    PROCESS_INFORMATION info{};
    CommandRun run;
    if (!::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info))
        return run;
    const lvx::unique_kernel_handle process(info.hProcess), thread(info.hThread);
    if (::WaitForSingleObject(process.get(), 60000) != WAIT_OBJECT_0) ::TerminateProcess(process.get(), 99);
    ::GetExitCodeProcess(process.get(), &run.Exit);
    run.Out = FileText(toFile ? file : out);
    run.Err = FileText(err);
    return run;
}

// A text of the code page as UTF-8, as the JSON holds it.
std::string Utf8(const std::string& text)
{
    std::wstring wide(text.size(), L'\0');
    wide.resize(static_cast<size_t>(::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                                          static_cast<int>(wide.size()))));
    std::string bytes(wide.size() * 3, '\0');
    bytes.resize(static_cast<size_t>(::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(),
                                                           static_cast<int>(bytes.size()), nullptr, nullptr)));
    return bytes;
}

nlohmann::json Parsed(const CommandRun& run)
{
    nlohmann::json json = nlohmann::json::parse(run.Out, nullptr, false);
    EXPECT_FALSE(json.is_discarded()) << run.Out << run.Err;
    return json;
}

void CollectHandles(const nlohmann::json& node, std::set<std::string>& handles)
{
    handles.insert(node.value("handle", ""));
    for (const nlohmann::json& child : node["children"]) CollectHandles(child, handles);
}

}  // namespace

TEST_F(EndToEnd, TheCommandLineDumpsWalksAndFindsWindowsAsJsonOrText)
{
    lvx::InitPlatformFlags();  // this process reads the copy the program writes, with the same calls bound
    TargetProcess target({"basic", "twins", "hung"});
    ASSERT_TRUE(target.Ready());
    const HWND main = target.Window("basic"), edit = target.Window("basic.edit");
    const auto handle = [](HWND window) { return FormatHandle(HandleValue(window)); };

    // --dump: what the target reports about itself; the handle's notation as the program shows it.
    CommandRun run = RunLumivex("--dump " + handle(edit));
    EXPECT_EQ(run.Exit, 0u) << run.Err;
    nlohmann::json dump = Parsed(run);
    EXPECT_EQ(dump["format"], 1);
    ASSERT_EQ(dump["windows"].size(), 1u);
    const nlohmann::json& window = dump["windows"][0];
    EXPECT_EQ(window["handle"], handle(edit));
    EXPECT_EQ(window["className"], "Edit");
    EXPECT_EQ(window["text"], "Hello edit");
    EXPECT_EQ(window["controlId"], 102);
    EXPECT_EQ(window["parent"], handle(main));
    EXPECT_EQ(window["locator"], "lvxtarget.exe/LvxTargetMain/Edit");
    EXPECT_EQ(window["process"]["id"], FormatHandle(target.ProcessId()));
    EXPECT_EQ(window["process"]["bits"], target.Number("bits"));
    const nlohmann::json names = window["styles"]["style"]["names"];
    EXPECT_NE(std::find(names.begin(), names.end(), "WS_TABSTOP"), names.end()) << names.dump();
    // The same window by its locator, and as the details window's copy.
    run = RunLumivex("--dump lvxtarget.exe/LvxTargetMain/Edit --text");
    EXPECT_EQ(run.Exit, 0u) << run.Err;
    EXPECT_EQ(run.Out, lvx::DetailsCopyText(edit));
    EXPECT_NE(run.Out.find("Локатор: lvxtarget.exe/LvxTargetMain/Edit\r\n"), std::string::npos);  // the copy holds it

    // A pointer-sized value keeps every digit, or is said to be unreadable where it cannot be read whole.
    for (const std::string& program : {std::string(), OtherBitnessTarget()}) {
        TargetProcess other({"basic"}, program);
        ASSERT_TRUE(other.Ready());
        const nlohmann::json top = Parsed(RunLumivex("--dump " + handle(other.Window("basic"))))["windows"][0];
        if (sizeof(void*) == 4 && other.Number("bits") == 64)
            EXPECT_EQ(top["userData"], Utf8(lvx::MessageText(lvx::Msg::CantReadWndText)));
        else
            EXPECT_EQ(top["userData"], lvx::FormatHex(other.Number("basic.userdata"), 8));
        if (OtherBitnessTarget().empty()) break;
    }

    // --tree holds every window below the target; --find by mask and by locator.
    std::set<std::string> tree;
    CollectHandles(Parsed(RunLumivex("--tree " + handle(main)))["windows"][0], tree);
    for (const char* name : {"basic", "basic.button", "basic.edit", "basic.empty", "basic.panel", "basic.panel.label"})
        EXPECT_EQ(tree.count(handle(target.Window(name))), 1u) << name;
    nlohmann::json found = Parsed(RunLumivex("--find \"hello ED*\" --class Edit"));
    ASSERT_EQ(found["windows"].size(), 1u);
    EXPECT_EQ(found["windows"][0]["handle"], handle(edit));
    found = Parsed(RunLumivex("--find lvxtarget.exe/LvxTargetTwins/Static[id=701]"));
    EXPECT_EQ(found["windows"].size(), 3u);
    run = RunLumivex("--find lvxtarget.exe/LvxTargetNothing", false);
    EXPECT_EQ(run.Exit, 1u);
    EXPECT_NE(run.Err.find("Ничего не найдено"), std::string::npos) << run.Err;

    // Bad arguments: exit 2, what is wrong, and the usage.
    run = RunLumivex("--dump", false);
    EXPECT_EQ(run.Exit, 2u);
    EXPECT_NE(run.Err.find("не указано окно"), std::string::npos) << run.Err;
    EXPECT_NE(run.Err.find("--foreground"), std::string::npos) << run.Err;
    run = RunLumivex("--help", false);
    EXPECT_EQ(run.Exit, 0u);
    EXPECT_NE(run.Out.find("--tree"), std::string::npos);
    run = RunLumivex("--dump 0DEAD000", false);
    EXPECT_EQ(run.Exit, 3u);

    // A window that does not answer: placeholders, said and counted, and the command still ends.
    target.HangWindow();
    run = RunLumivex("--tree " + handle(target.Window("hung")));
    EXPECT_EQ(run.Exit, 0u) << run.Err;
    const nlohmann::json hung = Parsed(run);
    EXPECT_GE(hung["notAnswering"], 1);
    EXPECT_EQ(hung["windows"][0]["text"], Utf8(lvx::MessageText(lvx::Msg::CantReadWndText)));
    EXPECT_NE(run.Err.find("Не ответили окон"), std::string::npos) << run.Err;
    const nlohmann::json hungDump = Parsed(RunLumivex("--dump " + handle(target.Window("hung.button"))));
    EXPECT_EQ(hungDump["notAnswering"], 1);
    EXPECT_EQ(hungDump["windows"][0]["text"], Utf8(lvx::MessageText(lvx::Msg::WindowNotReply)));
}
