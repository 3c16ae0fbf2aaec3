// dodir: a small Japanese memo pad.
#include <windows.h>

#include "app/startup.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    dodir::TProgram program;
    return program.Run();
}
