// Control ids of the main window's children; tests find the controls by these ids too.
#pragma once

namespace lvx::MainFormIds {

constexpr int EditId(int number) { return 1000 + number; }          // Edit1 ... Edit19
constexpr int SpeedButtonId(int number) { return 2000 + number; }   // SpeedButton1 ... SpeedButton40
constexpr int LabelId(int number) { return 3000 + number; }         // Label1 ... Label15
constexpr int PaintBox1Id = 4001;
constexpr int ComboBox1Id = 4101;

// Items of the priority menus: N1 ... N6 of the process menu, the thread menu's items by Tag.
constexpr int ProcessPriorityItem(int number) { return 6000 + number; }
constexpr int ThreadPriorityItem(int tag) { return 6100 + tag; }

// Commands of the action list and the system menu.
constexpr int RefreshCommand = 5001;
constexpr int AboutCommand = 5002;
constexpr int HelpCommand = 5003;
constexpr int SystemMenuAbout = 1025;

}  // namespace lvx::MainFormIds
