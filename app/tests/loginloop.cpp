// The program's own login, over and over, as one reader among many of a
// shared menu file; not a test by itself (the shared-file stress script
// judges its lines):
//   loginloop FILE MENU USER PASSWORD SECONDS [ITEMKEY]
// Each login goes as the main frame asks for one: the login values set,
// the key filled up to 8 bytes, TM_LOGIN posted to the real worker thread,
// then waits until the worker is ready again. One line a login, flushed at
// once: "<duration us> ok" or "<duration us> fail <reason>".
#include "app/tests/enginetestkit.h"
#include "ahcommon/tests/testwait.h"
#include "lang/resource.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

const char kCompany[] = "Vantrel Login Loop";
const DWORD kLoginTimeoutMs = 10000;

double Microseconds()
{
    return NowMs() * 1000.0;
}

bool HasCaption(const CMenuList* list, const std::string& caption)
{
    if (list == nullptr) return false;
    for (const CMenuItem* item : list->items)
        if (item->caption == caption) return true;
    return false;
}

const char* FailureName(LoadFailure failure)
{
    switch (failure) {
    case LoadFailure::FileUnreadable: return "file unreadable";
    case LoadFailure::NoMatch: return "no such menu or user";
    case LoadFailure::BadBody: return "bad menu body";
    default: return "none";
    }
}

// Why the login that just ended did not stand; empty when it did. The
// worker is idle again, so its tree may be read from here.
std::string Outcome(const RecordingFrame& frame, const CProcessThread& worker)
{
    if (!frame.notices.empty()) return "message " + std::to_string(frame.notices.front()) + " shown";
    if (VantrelApp()->loggedIn.load() != 1) {
        std::string reason = "not logged in";
        for (UINT command : frame.commands)
            if (command == ID_LOGIN) reason = "the login dialog asked for";
        return reason + " (" + FailureName(worker.document().loadFailure) + ")";
    }
    // Every menu of the stress file ends with this item: a tree without it
    // was read from a torn file.
    if (!HasCaption(worker.document().rootMenu, "Last item")) return "the menu read back incomplete";
    return std::string();
}

int Run(const std::string& file, const std::string& menu, const std::string& user, const std::string& password,
        double seconds, const std::string& itemKey)
{
    CVantrelApp* app = VantrelApp();
    if (app->resourceLibrary == nullptr) {
        std::fprintf(stderr, "loginloop: vnEng.dll did not load\n");
        return 1;
    }
    app->loggedIn = 0;
    app->engineReady = 1;
    app->autoLogoutMinutes = 0;
    app->trayMenu = nullptr;
    HMENU startTray = CreatePopupMenu();
    app->trayPopup = startTray;

    RecordingFrame frame;
    const RECT none = {0, 0, 0, 0};
    if (!frame.CreateEx(0, CWnd::RegisterWndClass(0), "LoginLoopFrame", WS_POPUP, none, nullptr, 0)) {
        std::fprintf(stderr, "loginloop: no frame window\n");
        return 1;
    }
    std::unique_ptr<CProcessThread> worker(new CProcessThread);
    worker->setOwner(&frame);
    if (worker->Open() != 1) {
        std::fprintf(stderr, "loginloop: the worker did not start\n");
        frame.DestroyWindow();
        return 1;
    }
    worker->WaitRunning();
    frame.queue.setWakeThread(worker->threadId());

    const double end = Microseconds() + seconds * 1e6;
    while (Microseconds() < end) {
        frame.notices.clear();
        frame.commands.clear();
        app->loginFile = file;
        app->loginMenuName = menu;
        app->loginUser = user;
        app->loginPassword = password;
        app->loginKey = itemKey;
        app->loginKey.resize(8, static_cast<char>(0xAB));
        app->engineReady = 0;
        const double start = Microseconds();
        if (!PostThreadMessageA(worker->threadId(), TM_LOGIN, 0, 0)) {
            std::printf("0 fail the login request could not be posted\n");
            std::fflush(stdout);
            break;
        }
        const bool ready = PumpUntil([app] { return app->engineReady.load() == 1; }, kLoginTimeoutMs);
        const long long took = static_cast<long long>(Microseconds() - start);
        if (!ready) {
            // The worker is stuck in the login: nothing more can be asked of it.
            std::printf("%lld fail timed out after 10 s\n", took);
            std::fflush(stdout);
            break;
        }
        const std::string reason = Outcome(frame, *worker);
        if (reason.empty())
            std::printf("%lld ok\n", took);
        else
            std::printf("%lld fail %s\n", took, reason.c_str());
        std::fflush(stdout);
    }

    worker->Close();
    worker.reset();
    frame.DestroyWindow();
    if (app->trayMenu != nullptr) DestroyMenu(app->trayMenu);
    app->trayMenu = nullptr;
    app->trayPopup = nullptr;
    DestroyMenu(startTray);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 6 || argc > 7) {
        std::fprintf(stderr, "usage: loginloop FILE MENU USER PASSWORD SECONDS [ITEMKEY]\n");
        return 2;
    }
    const double seconds = std::atof(argv[5]);
    UseEnglishResources(kCompany);
    const int result = Run(argv[1], argv[2], argv[3], argv[4], seconds, argc > 6 ? argv[6] : "");
    UninitializeTimer();
    RegDeleteTreeA(HKEY_CURRENT_USER, (std::string("Software\\") + kCompany).c_str());
    return result;
}
