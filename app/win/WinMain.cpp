#include "app/win/Lotse.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    Lotse::instance().run(instance);
    return -1;
}
