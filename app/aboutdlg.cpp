#include "app/aboutdlg.h"

#include "ahcommon/modulefile.h"
#include "app/vantrelapp.h"
#include "lang/resource.h"

#include <cstdio>
#include <vector>

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUT) {}

std::string programVersion()
{
    const std::string file = ModuleFileNameAnsi();
    if (file.empty()) return std::string();
    const char* path = file.c_str();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    if (size == 0) return std::string();
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(path, 0, size, block.data())) return std::string();
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&info), &length) || info == nullptr)
        return std::string();
    char text[48];
    std::snprintf(text, sizeof text, "%u.%u.%u", HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
                  HIWORD(info->dwFileVersionLS));
    return text;
}

BOOL CAboutDlg::OnInitDialog()
{
    // The template says "Version 1.0" in its own language: keep the word,
    // put in the real number.
    const std::string version = programVersion();
    if (!version.empty()) {
        std::string text = GetDlgItemText(IDC_ABOUT_VERSION);
        const auto space = text.rfind(' ');
        text = (space == std::string::npos ? std::string() : text.substr(0, space + 1)) + version;
        SetDlgItemText(IDC_ABOUT_VERSION, text);
    }
    CVantrelApp* app = VantrelApp();
    if (app != nullptr && app->appIcon != nullptr)
        SendDlgItemMessageA(m_hWnd, IDC_ABOUT_ICON, STM_SETICON, reinterpret_cast<WPARAM>(app->appIcon), 0);
    return TRUE;
}
