// The program's entry, for a program linked with -municode: runs the application object.
#include <windows.h>

#include "wcl/app.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return wcl::AfxWinMain();
}
