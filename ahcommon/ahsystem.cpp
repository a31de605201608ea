#include <winsock2.h>

#include "ahsystem.h"
#include "modulefile.h"

#include <cstdlib>
#include <vector>

namespace {

bool g_started = false;
HINSTANCE g_resourceModule = nullptr;

}  // namespace

int AhStartup()
{
    if (g_started) return 1;
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        OutputDebugStringA("Cannot start winsocket.\n");
        return 0;
    }
    if (LOBYTE(data.wVersion) != 2 || HIBYTE(data.wVersion) != 2) {
        WSACleanup();
        OutputDebugStringA("Winsocket version error.\n");
        return 0;
    }
    g_started = true;
    return 1;
}

int AhCleanup()
{
    if (g_started) {
        if (WSACleanup() != 0) return 0;
        g_started = false;
    }
    return 1;
}

HINSTANCE AhSetResourceHandle(HINSTANCE module)
{
    g_resourceModule = module;
    return module;
}

HINSTANCE AhGetResourceHandle()
{
    return g_resourceModule;
}

int AhLoadString(UINT id, std::string& text)
{
    text.clear();
    HINSTANCE module = g_resourceModule != nullptr ? g_resourceModule : GetModuleHandleA(nullptr);
    // Strings live in blocks of sixteen; a missing block means a missing id.
    if (FindResourceA(module, MAKEINTRESOURCEA(id / 16 + 1), MAKEINTRESOURCEA(6)) == nullptr)
        return 0;

    // LoadStringA cuts silently at the buffer, so grow until the text
    // provably fits with room to spare.
    std::vector<char> buffer(256);
    for (;;) {
        const int length = LoadStringA(module, id, buffer.data(), static_cast<int>(buffer.size()));
        if (length <= 0) return 0;
        if (static_cast<std::size_t>(length) + 2 <= buffer.size()) {
            text.assign(buffer.data(), static_cast<std::size_t>(length));
            return 1;
        }
        buffer.resize(buffer.size() + 256);
    }
}

void AhGetWindowText(HWND window, std::string& text)
{
    const int length = GetWindowTextLengthA(window);
    if (length <= 0) {
        text.clear();
        return;
    }
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
    const int copied = GetWindowTextA(window, buffer.data(), length + 1);
    text.assign(buffer.data(), copied > 0 ? static_cast<std::size_t>(copied) : 0);
}

std::string GetModulePath()
{
    // Every file beside the program (language library, icon, captions) is
    // opened through this folder with the ANSI functions.
    std::string path = ModuleFileNameAnsi();
    const auto slash = path.find_last_of("\\/");
    path.erase(slash == std::string::npos ? 0 : slash + 1);
    return path;
}

std::string GetLocalIP()
{
    char name[260];
    if (gethostname(name, sizeof(name)) != 0) return std::string();
    const hostent* host = gethostbyname(name);
    if (host == nullptr || host->h_addrtype != AF_INET || host->h_addr_list[0] == nullptr)
        return std::string();
    in_addr address;
    memcpy(&address, host->h_addr_list[0], sizeof(address));
    return inet_ntoa(address);
}
