#include "designer/menufileaccess.h"

#include <commdlg.h>

#include <vector>

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

bool BrowseMenuFile(HWND owner, DWORD flags, std::string& path)
{
    static const char kFilter[] = "Vantrel Files (*.vn)\0*.vn\0All Files (*.*)\0*.*\0";
    std::vector<char> buffer(4096, '\0');
    const DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        path.copy(buffer.data(), buffer.size() - 1);
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = kFilter;
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrDefExt = "vn";
    ofn.Flags = flags | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameA(&ofn)) return false;
    path = buffer.data();
    return true;
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
