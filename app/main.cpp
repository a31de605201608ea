#include "app/vantrelapp.h"

namespace {

CVantrelApp theApp;

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // DLLs are found in the program's folder and the system's, never in
    // whatever the current directory happens to be.
    SetDllDirectoryA("");
    return theApp.Run();
}
