// Runs what a chosen menu item carries after its keystrokes: one of the
// shell's commands through its automation object, then the item's target,
// opened by the shell or, failing that, by the default web browser.
#pragma once

#include <windows.h>
#include <shldisp.h>

#include <string>

class CMenuItem;

// The web address that the Http command opens for `argument`; empty when
// the argument is empty.
std::string HttpAddress(const std::string& argument);
// The browser's open command cut before its "%1" placeholder, with the file
// and the parameters appended.
std::string BrowserCommandLine(const std::string& openCommand, const std::string& file, const char* parameters);

class CItemLauncher {
public:
    explicit CItemLauncher(IShellDispatch* shell = nullptr) : m_shell(shell) {}
    virtual ~CItemLauncher() = default;
    void setShell(IShellDispatch* shell) { m_shell = shell; }

    // The item's shell command, then its target.
    void run(const CMenuItem& item);
    void runShellCommand(const CMenuItem& item);
    // Opens `file`; the process or instance handle, 0 on failure.
    INT_PTR launch(const std::string& file, int showCommand, const char* parameters);

protected:
    // The seams over the system, replaced by the tests.
    // Calls the automation object's method for `command` (1, 4 to 10);
    // `folder` is the Explore argument.
    virtual void callShell(unsigned char command, const VARIANT& folder);
    virtual INT_PTR shellExecute(const std::string& file, const char* parameters, int showCommand);
    // The default value of a registry key of HKEY_CLASSES_ROOT; false when
    // the key cannot be opened.
    virtual bool readClassesDefault(const std::string& subkey, std::string& text);
    virtual INT_PTR createProcess(const std::string& commandLine);

private:
    IShellDispatch* m_shell;
};
