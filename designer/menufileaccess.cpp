#include "designer/menufileaccess.h"

#include "accounts/dialoghost.h"
#include "framework/controls.h"
#include "lang/resource.h"

OpenTestResult TryOpenMenuFile(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return OpenTestResult::Opened;
    }
    switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
        return OpenTestResult::NotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_DIRECTORY:
        return OpenTestResult::BadPath;
    case ERROR_ACCESS_DENIED:
        return OpenTestResult::AccessDenied;
    default:
        return OpenTestResult::OtherError;
    }
}

UINT OpenTestMessage(OpenTestResult result)
{
    switch (result) {
    case OpenTestResult::NotFound:
        return IDS_FILE_NOT_FOUND;
    case OpenTestResult::BadPath:
        return IDS_BAD_PATH;
    case OpenTestResult::AccessDenied:
        return IDS_ACCESS_DENIED;
    default:
        return IDS_FILE_OPEN_FAILED;
    }
}

bool BrowseMenuFile(HWND owner, DWORD flags, std::string& path)
{
    static const char kFilter[] = "Vantrel Files (*.vn)\0*.vn\0All Files (*.*)\0*.*\0";
    // Start from the current file only when it exists: the dialog refuses
    // to open on a name in a missing folder.
    std::string chosen;
    const DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) chosen = path;
    if (!ChooseFileToOpen(owner, kFilter, "vn", chosen, flags)) return false;
    path = chosen;
    return true;
}

bool CDialogHost::chooseMenuFile(HWND owner, DWORD flags, std::string& path)
{
    return BrowseMenuFile(owner, flags, path);
}

int ClampMinutes(int minutes)
{
    return minutes < 0 ? 0 : (minutes > 99 ? 99 : minutes);
}

int MinutesFromText(const std::string& text)
{
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') continue;
        value = value * 10 + (c - '0');
        if (value > 99) return 99;
    }
    return value;
}
