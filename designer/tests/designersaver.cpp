// The designer as one writer among many of a shared menu file; not a test
// by itself (the shared-file stress script judges its lines):
//   designersaver FILE MENU USER PASSWORD SECONDS [ITEMKEY]
// Opens the real designer window on the menu, logged in as USER, and about
// once a second types "Saved N" (N = 1, 2, 3...) into the caption field of
// the property palette for the first item of the first submenu, ends the
// edit with Enter and runs the designer's Save command, so that the file is
// written exactly as a user's save writes it. Every message the designer
// would show is recorded and every question answered No, so a save that
// meets another writer's change is not forced through. One line an
// attempt, flushed at once: "<duration us> saved N" or "<duration us>
// failed N <reason>", the reason "conflict" or "message <string id>".
#include "ahcommon/ahsystem.h"
#include "ahcommon/tests/testwait.h"
#include "designer/designerdlg.h"
#include "framework/controls.h"
#include "framework/winapp.h"
#include "lang/resource.h"
#include "menudoc/edithistory.h"
#include "menudoc/menulist.h"
#include "menuview/menupanel.h"
#include "menuview/panelcanvas.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The timer's step between the stages of one attempt, and the time from
// the start of one attempt to the start of the next.
const UINT kTickMs = 20;
const double kRoundUs = 1e6;

double Microseconds()
{
    return NowMs() * 1000.0;
}

// Records the messages and reloads; every question gets No.
class SaverHost : public CDesignerHost {
public:
    LoginValues currentLogin() const override { return login; }
    std::string resolveModuleRelative(const std::string& path) const override { return path; }
    HICON programIcon() const override { return nullptr; }
    int showMessage(HWND, UINT stringId, UINT style, const std::string&, const std::string&) override
    {
        messages.push_back(stringId);
        const UINT buttons = style & MB_TYPEMASK;
        return buttons == MB_YESNO || buttons == MB_YESNOCANCEL ? IDNO : IDOK;
    }
    void dialogShown(HWND dialog, bool) override;
    void dialogClosing(HWND, bool) override {}
    void reloadMenus() override { ++reloads; }

    LoginValues login;
    std::vector<UINT> messages;
    int reloads = 0;
};

BOOL CALLBACK FindCaptionField(HWND window, LPARAM found)
{
    if (GetDlgCtrlID(window) != IDC_GENERAL_CAPTION) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// The rounds, one stage a timer tick, so that what the designer posts to
// itself (the palette opening, the Enter key) is handled by its own loop
// in between, as it would be for a user.
class SaveRounds {
public:
    SaveRounds(SaverHost& host, CDesignerDlg& designer, double seconds)
        : m_host(host), m_designer(designer), m_end(Microseconds() + seconds * 1e6)
    {
    }

    bool start(HWND window)
    {
        m_window = window;
        s_rounds = this;
        m_timer = SetTimer(nullptr, 0, kTickMs, &SaveRounds::Tick);
        return m_timer != 0;
    }
    bool ran() const { return m_attempts > 0; }

private:
    enum class Stage { Select, Type, Save };

    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        if (s_rounds != nullptr && !s_rounds->m_busy) {
            s_rounds->m_busy = true;
            s_rounds->step();
            s_rounds->m_busy = false;
        }
    }

    void step()
    {
        switch (m_stage) {
        case Stage::Select: select(); break;
        case Stage::Type: type(); break;
        case Stage::Save: save(); break;
        }
    }

    void command(UINT id) { SendMessageA(m_window, WM_COMMAND, MAKEWPARAM(id, 1), 0); }

    // The first real item of the first submenu: the root's items cannot be
    // edited in the palette.
    CMenuItem* target() const
    {
        const CMenuList* root = m_designer.document().rootMenu;
        if (root == nullptr) return nullptr;
        for (CMenuItem* item : root->items) {
            if (item->submenu == nullptr) continue;
            for (CMenuItem* inner : item->submenu->items)
                if (!inner->isPlaceholder) return inner;
        }
        return nullptr;
    }

    void finish()
    {
        KillTimer(nullptr, m_timer);
        s_rounds = nullptr;
        command(ID_DESIGNER_CLOSE);
    }

    void report(double took, const std::string& outcome)
    {
        std::printf("%lld %s %d%s\n", static_cast<long long>(took), outcome.empty() ? "saved" : "failed", m_attempts,
                    outcome.empty() ? "" : (" " + outcome).c_str());
        std::fflush(stdout);
        m_stage = Stage::Select;
    }

    void select()
    {
        const double now = Microseconds();
        if (now < m_nextStart) return;
        if (now >= m_end) {
            finish();
            return;
        }
        ++m_attempts;
        m_nextStart = now + kRoundUs;
        m_item = target();
        if (m_item == nullptr) {
            report(0, "no item in a submenu to edit");
            return;
        }
        SendMessageA(m_designer.canvas().m_hWnd, DM_SHOWITEM, reinterpret_cast<WPARAM>(m_item), 0);
        command(ID_ITEM_PROPERTIES);
        m_stage = Stage::Type;
    }

    // Types the caption into the palette's field as the keyboard would leave
    // it, then presses Enter there to end the run of typing.
    void type()
    {
        HWND combo = nullptr;
        EnumChildWindows(m_designer.palette().m_hWnd, &FindCaptionField, reinterpret_cast<LPARAM>(&combo));
        COMBOBOXINFO info = {};
        info.cbSize = sizeof info;
        if (combo == nullptr || !IsWindowVisible(combo) || !IsWindowEnabled(combo) ||
            !GetComboBoxInfo(combo, &info) || info.hwndItem == nullptr) {
            report(0, "the caption field is not there");
            return;
        }
        m_caption = "Saved " + std::to_string(m_attempts);
        SetFocus(info.hwndItem);
        SetWindowTextA(combo, m_caption.c_str());
        SendMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(IDC_GENERAL_CAPTION, CBN_EDITCHANGE),
                     reinterpret_cast<LPARAM>(combo));
        if (m_item->caption != m_caption) {
            report(0, "the caption did not change");
            return;
        }
        if (!m_designer.canvas().history().isModified()) {
            report(0, "the edit did not mark the menu changed");
            return;
        }
        PostMessageA(info.hwndItem, WM_KEYDOWN, VK_RETURN, 1);
        m_stage = Stage::Save;
    }

    void save()
    {
        const size_t messages = m_host.messages.size();
        const int reloads = m_host.reloads;
        const double start = Microseconds();
        command(ID_DESIGNER_SAVE);
        const double took = Microseconds() - start;
        std::string outcome;
        if (m_host.messages.size() > messages) {
            const UINT shown = m_host.messages[messages];
            outcome = shown == IDS_ASK_OVERWRITE_MENU ? "conflict" : "message " + std::to_string(shown);
        } else if (m_host.reloads == reloads) {
            outcome = "nothing written and nothing said";
        } else if (m_designer.canvas().history().isModified()) {
            outcome = "still marked changed after the save";
        }
        report(took, outcome);
    }

    static SaveRounds* s_rounds;

    SaverHost& m_host;
    CDesignerDlg& m_designer;
    const double m_end;
    HWND m_window = nullptr;
    UINT_PTR m_timer = 0;
    bool m_busy = false;
    Stage m_stage = Stage::Select;
    int m_attempts = 0;
    double m_nextStart = 0;
    CMenuItem* m_item = nullptr;
    std::string m_caption;
};

SaveRounds* SaveRounds::s_rounds = nullptr;
SaveRounds* g_rounds = nullptr;

void SaverHost::dialogShown(HWND dialog, bool)
{
    // Shown once; a second start would run two sets of rounds.
    SaveRounds* rounds = g_rounds;
    g_rounds = nullptr;
    if (rounds != nullptr && !rounds->start(dialog)) {
        std::fprintf(stderr, "designersaver: no timer\n");
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 6 || argc > 7) {
        std::fprintf(stderr, "usage: designersaver FILE MENU USER PASSWORD SECONDS [ITEMKEY]\n");
        return 2;
    }
    HMODULE language = LoadLibraryA("vnEng.dll");
    if (language == nullptr) {
        std::fprintf(stderr, "designersaver: cannot load vnEng.dll\n");
        return 1;
    }
    SetResourceModule(language);
    AhSetResourceHandle(language);
    InitCommonControlsOnce();

    SaverHost host;
    host.login = {argv[1], argv[2], argv[3], argv[4], argc > 6 ? argv[6] : ""};
    CDesignerDlg designer(host);
    SaveRounds rounds(host, designer, std::atof(argv[5]));
    g_rounds = &rounds;
    const INT_PTR result = designer.DoModal(nullptr);
    g_rounds = nullptr;
    if (result != IDOK || !rounds.ran()) {
        std::fprintf(stderr, "designersaver: the designer did not open or ran no save (%d; messages:",
                     static_cast<int>(result));
        for (UINT id : host.messages) std::fprintf(stderr, " %u", id);
        std::fprintf(stderr, ")\n");
        return 1;
    }
    return 0;
}
