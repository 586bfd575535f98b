// Stands in for one of the worm's script processes: does nothing until it is terminated, and
// ends by itself (exit code 42) after ten minutes so that nothing lingers.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    ::Sleep(10 * 60 * 1000);
    return 42;
}
