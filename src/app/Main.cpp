#include <windows.h>

// The frame window, the settings and the reload tick are built on top of the
// service and timeline layers; until they stand, the program starts and ends.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return 0;
}
