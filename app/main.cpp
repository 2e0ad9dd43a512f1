// The program's entry: the application object's start-up runs the main window; the process
// ends when it returns.
#include "app/TavrixApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    g_tavrixApp.InitInstance();
    return 0;
}
