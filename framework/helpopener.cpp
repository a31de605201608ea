#include "framework/helpopener.h"

#include "framework/helppages.h"
#include "framework/winapp.h"
#include "lang/resource.h"

#include <shellapi.h>

#include <vector>

namespace {

std::wstring Widen(const char* text)
{
    // Page names are plain ASCII.
    std::wstring wide;
    for (const char* c = text; *c != '\0'; ++c) wide += static_cast<wchar_t>(static_cast<unsigned char>(*c));
    return wide;
}

bool FileExists(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::wstring AppGuideFolder()
{
    CWinApp* app = AppObject();
    if (app != nullptr && !app->m_helpFolder.empty()) return app->m_helpFolder;
    return GuideFolderBesideProgram();
}

void GuideNotOpenedBox(HWND owner, const std::wstring& folder)
{
    // The message may name a folder outside the system's code page, so it
    // is loaded and shown as UTF-16.
    std::wstring text;
    const wchar_t* resource = nullptr;
    const int length = LoadStringW(ResourceModule(), IDS_GUIDE_NOT_OPENED, reinterpret_cast<LPWSTR>(&resource), 0);
    if (length > 0 && resource != nullptr)
        text.assign(resource, static_cast<size_t>(length));
    else
        text = L"The user guide could not be opened. It is expected in this folder:\n%s";
    const size_t mark = text.find(L"%s");
    if (mark != std::wstring::npos) text.replace(mark, 2, folder);

    std::wstring caption = L"Vantrel";
    CWinApp* app = AppObject();
    if (app != nullptr && !app->m_appName.empty()) {
        const int size = MultiByteToWideChar(CP_ACP, 0, app->m_appName.c_str(), -1, nullptr, 0);
        if (size > 1) {
            std::vector<wchar_t> wide(static_cast<size_t>(size));
            if (MultiByteToWideChar(CP_ACP, 0, app->m_appName.c_str(), -1, wide.data(), size) > 0)
                caption = wide.data();
        }
    }
    MessageBoxW(owner, text.c_str(), caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
}

void ShowPage(HWND owner, const char* page)
{
    const std::wstring folder = AppGuideFolder();
    if (OpenGuidePage(owner, folder, page) != GuideOpenResult::Opened) g_guideNotOpened(owner, folder);
}

}  // namespace

void (*g_guideNotOpened)(HWND owner, const std::wstring& folder) = &GuideNotOpenedBox;

std::wstring GuideFolderBesideProgram()
{
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return std::wstring();
        if (length < path.size()) {
            std::wstring folder(path.data(), length);
            folder.erase(folder.find_last_of(L"\\/") + 1);
            return folder + L"guide\\";
        }
        path.resize(path.size() * 2);
    }
}

std::wstring GuideFileFor(const std::wstring& folder, const char* page)
{
    const std::wstring file = folder + Widen(page) + L".html";
    if (FileExists(file)) return file;
    const std::wstring index = folder + Widen(kGuideIndexPage) + L".html";
    if (FileExists(index)) return index;
    return std::wstring();
}

GuideOpenResult OpenGuidePage(HWND owner, const std::wstring& folder, const char* page)
{
    const std::wstring file = GuideFileFor(folder, page);
    if (file.empty()) return GuideOpenResult::NoGuide;
    // The default verb: the browser registered for pages. The shell's own
    // error box stays away; the caller says what went wrong.
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.hwnd = owner;
    info.lpFile = file.c_str();
    info.lpDirectory = folder.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&info)) return GuideOpenResult::NotOpened;
    return reinterpret_cast<INT_PTR>(info.hInstApp) > 32 ? GuideOpenResult::Opened : GuideOpenResult::NotOpened;
}

void ShowHelp(HWND owner, unsigned long context)
{
    ShowPage(owner, HelpPageFor(context));
}

void ShowHelpContents(HWND owner)
{
    ShowPage(owner, kGuideIndexPage);
}
