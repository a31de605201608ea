// The launcher's rules through a seam that records what would be opened.
#include "app/launcher.h"

#include "menudoc/menuitem.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <map>
#include <string>
#include <vector>

namespace {

class RecordingLauncher : public CItemLauncher {
public:
    std::vector<std::string> calls;
    INT_PTR executeResult = 42;
    std::map<std::string, std::string> classes;

protected:
    void callShell(unsigned char command, const VARIANT& folder) override
    {
        std::string call = "shell " + std::to_string(command);
        if (folder.vt == VT_I4) call += " " + std::to_string(folder.lVal);
        if (folder.vt == VT_BSTR) {
            char text[260] = {};
            WideCharToMultiByte(CP_ACP, 0, folder.bstrVal, -1, text, sizeof text, nullptr, nullptr);
            call += std::string(" \"") + text + "\"";
        }
        calls.push_back(call);
    }
    INT_PTR shellExecute(const std::string& file, const char* parameters, int showCommand) override
    {
        calls.push_back("open " + file + (parameters != nullptr && *parameters ? " | " + std::string(parameters) : "") +
                        " show " + std::to_string(showCommand));
        return executeResult;
    }
    bool readClassesDefault(const std::string& subkey, std::string& text) override
    {
        const auto found = classes.find(subkey);
        if (found == classes.end()) return false;
        text = found->second;
        return true;
    }
    INT_PTR createProcess(const std::string& commandLine) override
    {
        calls.push_back("process " + commandLine);
        return 7;
    }
};

TEST(HttpAddress, KeepsAnyGivenSchemeAndCompletesBareHostNames)
{
    const struct {
        const char* argument;
        const char* address;
    } cases[] = {
        {"", ""},
        {"example.org//", "http://example.org"},
        {"localhost:8080/", "http://localhost:8080"},
        {"http://example.org/a/", "http://example.org/a"},
        {"HTTP://x", "HTTP://x"},
        {"https://example.org/docs/", "https://example.org/docs"},
        {"Https://example.org", "Https://example.org"},
        {"ftp://files.example.org/", "ftp://files.example.org"},
        {"svn+ssh://host/repo", "svn+ssh://host/repo"},
        {"https://", "https://"},
        {"/", "http://"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.address, HttpAddress(c.argument)) << c.argument;
}

TEST(BrowserCommandLine, CutsAtThePlaceholderAndAppendsTheTargetAsOneArgument)
{
    const struct {
        const char* command;
        const char* file;
        const char* parameters;
        const char* line;
    } cases[] = {
        {"\"C:\\b.exe\" -url \"%1\" -more", "http://x", "y", "\"C:\\b.exe\" -url  \"http://x\" y"},
        {"b.exe %1", "http://x", "", "b.exe  \"http://x\""},
        {"b.exe -new", "http://x", nullptr, "b.exe -new \"http://x\""},
        // Spaces stay inside the one argument.
        {"b.exe", "C:\\My Pages\\a b.htm", nullptr, "b.exe \"C:\\My Pages\\a b.htm\""},
        // A quote in the target cannot end the argument and start options.
        {"b.exe", "http://x/\" --incognito \"", nullptr, "b.exe \"http://x/%22 --incognito %22\""},
        // A trailing backslash does not escape the closing quote.
        {"b.exe", "C:\\Pages\\", nullptr, "b.exe \"C:\\Pages\\\\\""},
        // Already quoted: as it stands.
        {"b.exe", "\"C:\\a b.htm\"", nullptr, "b.exe \"C:\\a b.htm\""},
    };
    for (const auto& c : cases) EXPECT_EQ(c.line, BrowserCommandLine(c.command, c.file, c.parameters)) << c.file;
}

// What the browser's own parser makes of the line: the target arrives whole.
TEST(BrowserCommandLine, TheBrowserReadsTheTargetBack)
{
    const char* files[] = {"http://x/a b", "C:\\My Pages\\a b.htm", "C:\\Pages\\", "\\\\server\\share\\x y\\"};
    for (const char* file : files) {
        const std::string line = BrowserCommandLine("b.exe -new", file, "p");
        wchar_t wide[512] = {};
        ASSERT_GT(MultiByteToWideChar(CP_ACP, 0, line.c_str(), -1, wide, 512), 0);
        int count = 0;
        LPWSTR* argv = CommandLineToArgvW(wide, &count);
        ASSERT_NE(nullptr, argv);
        ASSERT_EQ(4, count) << line;
        char back[512] = {};
        WideCharToMultiByte(CP_ACP, 0, argv[2], -1, back, sizeof back, nullptr, nullptr);
        LocalFree(argv);
        EXPECT_EQ(std::string(file), back) << line;
    }
}

TEST(ItemLauncher, RunsEachShellCommand)
{
    const struct {
        unsigned char command;
        const char* argument;
        const char* call;
    } cases[] = {
        {kShellNone, "x", nullptr},
        {kShellExplore, "", "shell 1 17"},
        {kShellExplore, "C:\\temp", "shell 1 \"C:\\temp\""},
        {kShellMailTo, "", "open mailto: show 5"},
        {kShellMailTo, "a@b.c", "open mailto:a@b.c show 5"},
        {kShellHttp, "", nullptr},
        {kShellHttp, "example.org//", "open http://example.org show 5"},
        {kShellFindFiles, "", "shell 4"},
        {kShellFindComputer, "", "shell 5"},
        {kShellSuspend, "", "shell 6"},
        {kShellShutdownWindows, "", "shell 7"},
        {kShellMinimizeAll, "", "shell 8"},
        {kShellUndoMinimizeAll, "", "shell 9"},
        {kShellFileRun, "", "shell 10"},
        {11, "", nullptr},
        {kShellNewItem, "", nullptr},
    };
    for (const auto& c : cases) {
        RecordingLauncher launcher;
        CMenuItem item;
        item.shellCommand = c.command;
        item.commandArgument = c.argument;
        launcher.run(item);
        if (c.call == nullptr) {
            EXPECT_TRUE(launcher.calls.empty()) << int(c.command);
        } else {
            EXPECT_EQ(std::vector<std::string>({c.call}), launcher.calls) << int(c.command);
        }
    }
}

TEST(ItemLauncher, RunsTheShellCommandBeforeTheTarget)
{
    RecordingLauncher launcher;
    CMenuItem item;
    item.shellCommand = kShellMinimizeAll;
    item.target = "notepad.exe";
    item.parameters = "C:\\notes.txt";
    launcher.run(item);
    EXPECT_EQ(std::vector<std::string>({"shell 8", "open notepad.exe | C:\\notes.txt show 5"}), launcher.calls);
}

TEST(ItemLauncher, FallsBackToTheDefaultBrowser)
{
    RecordingLauncher launcher;
    launcher.executeResult = 31;
    // No browser registered: the shell's result stands.
    EXPECT_EQ(31, launcher.launch("http://x", SW_SHOW, nullptr));
    launcher.classes[".htm"] = "htmlfile";
    EXPECT_EQ(31, launcher.launch("http://x", SW_SHOW, nullptr));

    launcher.classes["htmlfile\\shell\\open\\command"] = "\"C:\\Browser\\b.exe\" -nohome \"%1\"";
    launcher.calls.clear();
    EXPECT_EQ(7, launcher.launch("http://x", SW_SHOW, "p"));
    EXPECT_EQ(std::vector<std::string>({"open http://x | p show 5", "process \"C:\\Browser\\b.exe\" -nohome  \"http://x\" p"}),
              launcher.calls);

    // Opened by the shell: no browser.
    launcher.executeResult = 33;
    launcher.calls.clear();
    EXPECT_EQ(33, launcher.launch("notes.txt", SW_SHOW, nullptr));
    EXPECT_EQ(1u, launcher.calls.size());
}

}  // namespace
