#include "app/launcher.h"

#include "menudoc/menuitem.h"

#include <oleauto.h>
#include <shellapi.h>

namespace {

const char kHttp[] = "http://";

bool IsAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The length of a leading "scheme://" (any letter case), 0 when there is
// none. A host name with a port ("localhost:8080") has no "//" after its
// colon, so it is not taken for a scheme.
std::size_t SchemeLength(const std::string& address)
{
    if (address.empty() || !IsAsciiLetter(address[0])) return 0;
    std::size_t i = 1;
    while (i < address.size() && (IsAsciiLetter(address[i]) || (address[i] >= '0' && address[i] <= '9') ||
                                  address[i] == '+' || address[i] == '-' || address[i] == '.'))
        ++i;
    return address.compare(i, 3, "://") == 0 ? i + 3 : 0;
}

// One argument of a command line as the C runtime's parser reads it back:
// in quotes, with backslashes before a quote doubled. A quote inside a web
// address is written as %22, so a target cannot end its argument early.
std::string QuotedArgument(const std::string& file)
{
    if (file.size() >= 2 && file.front() == '"' && file.back() == '"' &&
        file.find('"', 1) == file.size() - 1)
        return file;
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : file) {
        if (c == '\\') {
            ++backslashes;
            quoted += c;
            continue;
        }
        if (c == '"') {
            quoted += "%22";
        } else {
            quoted += c;
        }
        backslashes = 0;
    }
    quoted.append(backslashes, '\\');
    quoted += '"';
    return quoted;
}

}  // namespace

std::string HttpAddress(const std::string& argument)
{
    if (argument.empty()) return std::string();
    // An address that names its own scheme (https, ftp, HTTP...) is opened
    // as it stands; a bare host name is taken for a web address.
    const std::size_t scheme = SchemeLength(argument);
    std::string address = scheme != 0 ? argument : kHttp + argument;
    const std::size_t keep = scheme != 0 ? scheme : sizeof kHttp - 1;
    while (address.size() > keep && address.back() == '/') address.pop_back();
    return address;
}

std::string BrowserCommandLine(const std::string& openCommand, const std::string& file, const char* parameters)
{
    std::string line = openCommand;
    std::size_t cut = line.find("\"%1\"");
    if (cut == std::string::npos) cut = line.find("%1");
    if (cut != std::string::npos) line.erase(cut);
    line += " ";
    line += QuotedArgument(file);
    if (parameters != nullptr && parameters[0] != '\0') {
        line += " ";
        line += parameters;
    }
    return line;
}

void CItemLauncher::run(const CMenuItem& item)
{
    runShellCommand(item);
    if (!item.target.empty()) launch(item.target, SW_SHOW, item.parameters.c_str());
}

void CItemLauncher::runShellCommand(const CMenuItem& item)
{
    VARIANT folder;
    VariantInit(&folder);
    switch (item.shellCommand) {
    case kShellExplore:
        if (item.commandArgument.empty()) {
            folder.vt = VT_I4;
            folder.lVal = 17;  // the drives folder
            callShell(kShellExplore, folder);
        } else {
            const int length = MultiByteToWideChar(CP_ACP, 0, item.commandArgument.c_str(), -1, nullptr, 0);
            BSTR text = SysAllocStringLen(nullptr, length > 0 ? length - 1 : 0);
            if (text == nullptr) return;
            MultiByteToWideChar(CP_ACP, 0, item.commandArgument.c_str(), -1, text, length);
            folder.vt = VT_BSTR;
            folder.bstrVal = text;
            callShell(kShellExplore, folder);
            VariantClear(&folder);
        }
        break;
    case kShellMailTo:
        launch("mailto:" + item.commandArgument, SW_SHOW, nullptr);
        break;
    case kShellHttp: {
        const std::string address = HttpAddress(item.commandArgument);
        if (!address.empty()) launch(address, SW_SHOW, nullptr);
        break;
    }
    case kShellFindFiles:
    case kShellFindComputer:
    case kShellSuspend:
    case kShellShutdownWindows:
    case kShellMinimizeAll:
    case kShellUndoMinimizeAll:
    case kShellFileRun:
        callShell(item.shellCommand, folder);
        break;
    default:
        break;
    }
}

INT_PTR CItemLauncher::launch(const std::string& file, int showCommand, const char* parameters)
{
    const INT_PTR opened = shellExecute(file, parameters, showCommand);
    if (opened > 32) return opened;
    std::string text;
    if (!readClassesDefault(".htm", text)) return opened;
    if (!readClassesDefault(text + "\\shell\\open\\command", text)) return opened;
    return createProcess(BrowserCommandLine(text, file, parameters));
}

void CItemLauncher::callShell(unsigned char command, const VARIANT& folder)
{
    if (m_shell == nullptr) return;
    // The results are of no use: nothing is reported to the user.
    switch (command) {
    case kShellExplore: m_shell->Explore(folder); break;
    case kShellFindFiles: m_shell->FindFiles(); break;
    case kShellFindComputer: m_shell->FindComputer(); break;
    case kShellSuspend: m_shell->Suspend(); break;
    case kShellShutdownWindows: m_shell->ShutdownWindows(); break;
    case kShellMinimizeAll: m_shell->MinimizeAll(); break;
    case kShellUndoMinimizeAll: m_shell->UndoMinimizeALL(); break;
    case kShellFileRun: m_shell->FileRun(); break;
    default: break;
    }
}

INT_PTR CItemLauncher::shellExecute(const std::string& file, const char* parameters, int showCommand)
{
    const char* arguments = parameters != nullptr && parameters[0] != '\0' ? parameters : nullptr;
    return reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", file.c_str(), arguments, nullptr, showCommand));
}

bool CItemLauncher::readClassesDefault(const std::string& subkey, std::string& text)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, subkey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    char buffer[260] = {};
    LONG size = sizeof buffer;
    // A key whose default value cannot be read gives an empty text.
    if (RegQueryValueA(key, nullptr, buffer, &size) != ERROR_SUCCESS) buffer[0] = '\0';
    buffer[sizeof buffer - 1] = '\0';
    text = buffer;
    RegCloseKey(key);
    return true;
}

INT_PTR CItemLauncher::createProcess(const std::string& commandLine)
{
    std::string line = commandLine;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return 0;
    // Nobody waits for the browser: only whether it started matters.
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return reinterpret_cast<INT_PTR>(process.hProcess);
}
