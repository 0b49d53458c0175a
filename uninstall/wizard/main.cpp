// The uninstaller's entry point.
#include "Wizard.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return lvu::RunProgram();
}
