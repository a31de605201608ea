// The program as shipped, except that an idle minute lasts
// VANTREL_TEST_MINUTE_MS milliseconds, so that an end-to-end run sees the
// idle log-out without waiting for whole minutes. Built for tests only.
#include "app/vantrelapp.h"

namespace {

CVantrelApp theApp;

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    SetDllDirectoryA("");
    theApp.idleMinuteMilliseconds = VANTREL_TEST_MINUTE_MS;
    return theApp.Run();
}
