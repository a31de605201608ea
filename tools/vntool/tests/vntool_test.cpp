// vntool as its users run it: the documented example built and dumped back,
// the other commands, and a one-line reason with the right exit status for
// every refusal.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#endif

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "accounts/accountfile.h"
#include "ahcommon/tests/tempfile.h"
#include "menudoc/menudocument.h"

using nlohmann::json;

namespace {

struct Result {
    int status;
    std::string output;  // stdout and stderr together
};

#ifdef _WIN32

std::wstring Wide(const std::string& utf8)
{
    if (utf8.empty()) return std::wstring();
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::wstring::size_type>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], n);
    return wide;
}

// One argument as the command line splits it back: quoted, with the
// backslashes before a quote doubled.
std::wstring Quote(const std::wstring& text)
{
    std::wstring quoted = L"\"";
    std::wstring::size_type backslashes = 0;
    for (wchar_t c : text) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(2 * backslashes, L'\\');
    return quoted + L"\"";
}

// The tool with UTF-8 arguments, through the wide command line as a
// Unicode shell starts it.
Result RunTool(const std::vector<std::string>& args)
{
    Result result{-1, std::string()};
    std::wstring command = Quote(Wide(VNTOOL_PATH));
    for (const std::string& arg : args) command += L" " + Quote(Wide(arg));
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd, writeEnd;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return result;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process{};
    std::vector<wchar_t> line(command.begin(), command.end());
    line.push_back(L'\0');
    const BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                        nullptr, &startup, &process);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        return result;
    }
    // The output is read until the tool has ended, not until the pipe
    // closes: under Wine another process (the console's host) still holds
    // the pipe when the tool has ended, and waiting for the pipe would wait
    // on that process too. A tool that does not end within two minutes is
    // ended, and the output says so.
    const ULONGLONG deadline = GetTickCount64() + 120000;
    bool ended = false;
    int peekFailures = 0;
    DWORD peekError = 0;
    while (GetTickCount64() < deadline) {
        char buffer[4096];
        DWORD available = 0;
        DWORD n = 0;
        if (!PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr)) {
            peekError = GetLastError();
            if (peekError == ERROR_BROKEN_PIPE) break;  // every writer is gone: the tool is ending
            ++peekFailures;
            available = 0;
        }
        if (available > 0) {
            if (!ReadFile(readEnd, buffer, std::min<DWORD>(available, sizeof buffer), &n, nullptr) || n == 0) break;
            result.output.append(buffer, n);
            continue;
        }
        if (ended) break;
        // Once it has ended, one more look takes what it wrote last.
        ended = WaitForSingleObject(process.hProcess, 10) == WAIT_OBJECT_0;
    }
    CloseHandle(readEnd);
    if (peekFailures > 0)
        result.output += "\n[looking into the pipe failed " + std::to_string(peekFailures) + " times, last with error " +
                         std::to_string(peekError) + "]";
    const ULONGLONG now = GetTickCount64();
    const DWORD left = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
    DWORD code;
    if (WaitForSingleObject(process.hProcess, left) != WAIT_OBJECT_0) {
        result.output += "\n[vntool.exe had not ended after 120 s]";
        TerminateProcess(process.hProcess, 255);
        WaitForSingleObject(process.hProcess, 5000);
    } else if (GetExitCodeProcess(process.hProcess, &code)) {
        result.status = static_cast<int>(code);
    }
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    // Text-mode output ends its lines with CR LF; JSON escapes any CR of its own.
    result.output.erase(std::remove(result.output.begin(), result.output.end(), '\r'), result.output.end());
    return result;
}

#else

std::string Quote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

Result RunTool(const std::vector<std::string>& args)
{
    std::string command = Quote(VNTOOL_PATH);
    for (const std::string& arg : args) command += " " + Quote(arg);
    command += " 2>&1";
    Result result{-1, std::string()};
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return result;
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

#endif

json Example()
{
    std::ifstream in(EXAMPLE_JSON);
    return json::parse(in);
}

bool OneLine(const std::string& text)
{
    return !text.empty() && text.back() == '\n' && text.find('\n') == text.size() - 1;
}

class Vntool : public ::testing::Test {
protected:
    Vntool() { built = RunTool({"build", EXAMPLE_JSON, file.path()}); }

    TempFile file;
    Result built;
};

TEST_F(Vntool, BuildThenDumpGivesBackTheDocumentedExample)
{
    ASSERT_EQ(0, built.status) << built.output;
    EXPECT_EQ("", built.output);
    const json example = Example();
    for (const json& menu : example["menus"]) {
        const json& user = menu.contains("users") ? menu["users"][0] : json{{"name", "admin"}, {"password", ""}};
        const std::string key = menu.value("itemKey", example.value("itemKey", ""));
        const Result dumped = RunTool({"dump", file.path(), "--menu", menu["name"], "--user", user["name"],
                                   "--password", user["password"], "--key", key});
        ASSERT_EQ(0, dumped.status) << dumped.output;
        const json tree = json::parse(dumped.output);
        EXPECT_EQ(menu["name"], tree["name"]);
        EXPECT_EQ(menu["items"], tree["items"]) << tree.dump(2);
    }
}

TEST_F(Vntool, ListShowsMenusAndRightsButNoPasswords)
{
    const Result listed = RunTool({"list", file.path()});
    EXPECT_EQ(0, listed.status);
    EXPECT_EQ("Office\n  editor rw\n  desk r\nReception\n  admin rw\n  guest r\n", listed.output);
    EXPECT_EQ(std::string::npos, listed.output.find("s3cret"));
}

TEST_F(Vntool, PasswdChangesOnlyThatUser)
{
    const Result changed = RunTool({"passwd", file.path(), "--menu", "Office", "--user", "editor", "--password",
                                "s3cret", "--new-password", "n3w"});
    ASSERT_EQ(0, changed.status) << changed.output;
    EXPECT_EQ(1, RunTool({"dump", file.path(), "--menu", "Office", "--user", "editor", "--password", "s3cret",
                      "--key", "k3y"})
                     .status);
    EXPECT_EQ(0, RunTool({"dump", file.path(), "--menu", "Office", "--user", "editor", "--password", "n3w", "--key",
                      "k3y"})
                     .status);
    EXPECT_EQ(0, RunTool({"dump", file.path(), "--menu", "Office", "--user", "desk", "--password", "", "--key", "k3y"})
                     .status);
}

TEST_F(Vntool, RefusalsAndUsageErrorsSayWhyOnOneLine)
{
    TempFile malformed("{\"menus\": [ {\"name\": \"x\", }");
    TempFile unknownField("{\"menus\": [{\"name\": \"x\", \"items\": [{\"captoin\": \"y\"}]}]}");
    TempFile badRights("{\"menus\": [{\"name\": \"x\", \"users\": [{\"name\": \"u\", \"rights\": \"w\"}]}]}");
    TempFile notCp1252("{\"menus\": [{\"name\": \"\\u4e2d\"}]}");
    TempFile twice("{\"menus\": [{\"name\": \"Same\"}, {\"name\": \"same\"}]}");
    TempFile hugeNumber("{\"menus\": 1e" + std::string(300, '9') + "}");
    TempFile output;
    const std::string missing = file.path() + ".missing";
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* says;
    } cases[] = {
        {{"dump", file.path(), "--menu", "Office", "--user", "editor", "--password", "nope"}, 1, "wrong user name or password"},
        {{"dump", file.path(), "--menu", "Office", "--user", "Editor", "--password", "s3cret"}, 1, "wrong user name or password"},
        {{"dump", file.path(), "--menu", "Nothing", "--user", "admin", "--password", ""}, 1, "no menu named \"Nothing\""},
        {{"dump", file.path(), "--menu", "Office", "--user", "desk", "--password", "", "--key", "bad"}, 1, "item key"},
        {{"dump", missing, "--menu", "Office", "--user", "desk", "--password", ""}, 1, "cannot read"},
        {{"list", missing}, 1, "cannot read"},
        {{"list", EXAMPLE_JSON}, 1, "not a menu file"},
        {{"build", malformed.path(), output.path()}, 1, "malformed JSON"},
        {{"build", unknownField.path(), output.path()}, 1, "menus[0].items[0]: unknown field \"captoin\""},
        {{"build", badRights.path(), output.path()}, 1, "menus[0].users[0]: rights"},
        {{"build", notCp1252.path(), output.path()}, 1, "menus[0].name: holds a character"},
        {{"build", twice.path(), output.path()}, 1, "menus[1]"},
        {{"build", hugeNumber.path(), output.path()}, 1, "malformed JSON: number overflow parsing '1e999"},
        {{"build", missing, output.path()}, 1, "cannot read"},
        {{"passwd", file.path(), "--menu", "Office", "--user", "desk", "--password", "x", "--new-password", "y"}, 1, "wrong user name"},
        {{}, 2, "no command"},
        {{"frobnicate"}, 2, "unknown command"},
        {{"list"}, 2, "takes one FILE"},
        {{"dump", file.path(), "--user", "desk", "--password", ""}, 2, "missing option --menu"},
        {{"dump", file.path(), "--menu", "Office", "--colour", "red"}, 2, "unknown option --colour"},
        {{"passwd", file.path(), "--menu", "Office", "--user", "desk", "--password"}, 2, "needs a value"},
    };
    for (const Case& c : cases) {
        const Result result = RunTool(c.args);
        const std::string& output = result.output;
        SCOPED_TRACE(c.says);
        EXPECT_EQ(c.status, result.status) << output;
        EXPECT_NE(std::string::npos, output.find(c.says)) << output;
        // Refusals are one line; usage errors add the usage text.
        if (c.status == 1) {
            EXPECT_TRUE(OneLine(output)) << output;
        }
        EXPECT_EQ(0, output.find("vntool: ")) << output;
    }
    EXPECT_EQ("", output.Read());  // refused builds wrote nothing
}

TEST_F(Vntool, CheckTellsSoundFromDamaged)
{
    Result checked = RunTool({"check", file.path()});
    EXPECT_EQ(0, checked.status);
    EXPECT_EQ("sound: 2 menus, 4 users, 14 items\n", checked.output);

    const std::string content = file.Read();
    TempFile truncated(content.substr(0, content.size() - 3));
    std::string flipped = content;
    flipped[0] = static_cast<char>(flipped[0] ^ 0x40);  // reading would drop the first menu
    TempFile damaged(flipped);
    TempFile trailing(content + "\x01\x02\x03");
    TempFile empty;
    TempFile badBody;
    {
        CAccountFile accounts;
        ASSERT_EQ(1, accounts.create(badBody.path(), "Menu"));
        // One block holding a 1-byte item record.
        accounts.currentRecord()->setBody(std::string("\xFF\xFD\xFF\x00\xFD\x01\xFF\x00\xFE\xFF\xFE", 11));
        ASSERT_EQ(1, accounts.save());
    }
    for (const TempFile* bad : {&truncated, &damaged, &trailing, &empty, &badBody}) {
        checked = RunTool({"check", bad->path()});
        EXPECT_EQ(1, checked.status) << checked.output;
        EXPECT_EQ(0, checked.output.find("not sound: ")) << checked.output;
        EXPECT_TRUE(OneLine(checked.output)) << checked.output;
    }
}

// An account file whose rewrite of the file itself stops half way for a
// while, as a save in another process is seen from outside.
class SlowSave : public CAccountFile {
public:
    std::atomic<bool> halfWritten{false};

protected:
    void WriteChunk(CAhFile& file, const char* data, unsigned int size) override
    {
        const std::string path = file.GetFilePath();
        if (path.size() > 6 && path.compare(path.size() - 6, 6, ".~save") == 0) {
            CAccountFile::WriteChunk(file, data, size);
            return;
        }
        CAccountFile::WriteChunk(file, data, size / 2);
        file.Flush();
        halfWritten = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
        CAccountFile::WriteChunk(file, data + size / 2, size - size / 2);
    }
};

// The check reads what a login reads: a save under way elsewhere is waited
// for, never reported as damage.
TEST_F(Vntool, CheckWaitsForASaveUnderWay)
{
    ASSERT_EQ(0, built.status) << built.output;
    SlowSave saver;
    ASSERT_EQ(1, saver.loadForUpdate(file.path()));
    ASSERT_EQ(1, saver.select("Office", "editor", "s3cret"));
    // So long that the half written file ends inside a record.
    saver.currentUser()->setPassword(std::string(4000, 'p'));
    std::thread save([&saver] {
        saver.save();
        saver.close();
    });
    while (!saver.halfWritten) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const Result checked = RunTool({"check", file.path()});
    save.join();
    EXPECT_EQ(0, checked.status) << checked.output;
    EXPECT_EQ("sound: 2 menus, 4 users, 14 items\n", checked.output);
}

// A file another process keeps longer than the tools wait is reported as
// such, not as a damaged file or a wrong password.
TEST_F(Vntool, AFileKeptBusyElsewhereIsSaidToBeBusy)
{
    ASSERT_EQ(0, built.status) << built.output;
    CAccountFile holder;
    ASSERT_EQ(1, holder.loadForUpdate(file.path()));
    const std::vector<std::vector<std::string>> commands = {
        {"dump", file.path(), "--menu", "Office", "--user", "desk", "--password", "", "--key", "k3y"},
        {"passwd", file.path(), "--menu", "Office", "--user", "desk", "--password", "", "--new-password", "x"},
        {"check", file.path()},
    };
    for (const auto& args : commands) {
        SCOPED_TRACE(args[0]);
        const auto began = std::chrono::steady_clock::now();
        const Result result = RunTool(args);
        EXPECT_GE(std::chrono::steady_clock::now() - began, std::chrono::milliseconds(1900));
        EXPECT_EQ(1, result.status);
        EXPECT_NE(std::string::npos, result.output.find("another program kept it open")) << result.output;
        EXPECT_TRUE(OneLine(result.output)) << result.output;
    }
    holder.close();
    EXPECT_EQ(0, RunTool(commands[0]).status);
}

// A description whose value at the place marked @ is `value`.
std::string Describing(const std::string& value, std::string frame)
{
    return frame.replace(frame.find('@'), 1, value);
}

std::string Nested(int depth, const std::string& inner = std::string())
{
    return std::string(static_cast<std::string::size_type>(depth), '[') + inner +
           std::string(static_cast<std::string::size_type>(depth), ']');
}

TEST(VntoolInput, DeepOrHugeJsonGetsAOneLineRefusal)
{
    const std::string item = "{\"menus\": [{\"name\": \"x\", \"items\": [{@}]}]}";
    const std::string deep = Nested(200000);
    const std::string huge(100000, 'a');
    const std::string lines = [] {
        std::string text;
        for (int i = 0; i < 20000; ++i) text += "line\\n";
        return text;
    }();
    struct Case {
        const char* what;
        std::string json;
        const char* says;
    } cases[] = {
        {"deep at the top", deep, "nested deeper than"},
        {"deep menu list", Describing(deep, "{\"menus\": @}"), "nested deeper than"},
        {"deep shell command", Describing("\"shellCommand\": " + deep, item), "nested deeper than"},
        {"deep caption", Describing("\"caption\": " + Nested(200000, "\"x\""), item), "nested deeper than"},
        {"deep user", Describing(deep, "{\"menus\": [{\"name\": \"x\", \"users\": [@]}]}"), "nested deeper than"},
        {"huge shell command", Describing("\"shellCommand\": \"" + lines + "\"", item), "unknown shell command \"line\\n"},
        {"huge field name", Describing("\"" + lines + "\": 1", item), "unknown field \"line\\n"},
        {"huge menu field name", Describing("\"" + lines + "\": 1", "{\"menus\": [{@}]}"), "unknown field"},
        {"repeated huge name", "{\"menus\": [{\"name\": \"" + lines + "\"}, {\"name\": \"" + lines + "\"}]}",
         "a menu named \"line"},
        {"huge unclosed string", "{\"menus\": \"" + huge, "malformed JSON"},
    };
    TempFile output;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFile description(c.json);
        const Result result = RunTool({"build", description.path(), output.path()});
        EXPECT_EQ(1, result.status) << result.output.substr(0, 300);
        EXPECT_TRUE(OneLine(result.output)) << result.output.substr(0, 300);
        EXPECT_LT(result.output.size(), 400u) << result.output.substr(0, 300);
        EXPECT_NE(std::string::npos, result.output.find(c.says)) << result.output.substr(0, 300);
    }
    EXPECT_EQ("", output.Read());
}

// The deepest menu a description may hold is not caught by the limit on
// JSON nesting; one level more is refused as a menu too deep.
TEST(VntoolInput, MenusNestUpToTheirOwnLimit)
{
    const auto levels = [](int depth) {
        std::string items = "[{\"caption\": \"leaf\"}]";
        for (int i = 1; i < depth; ++i) items = "[{\"caption\": \"level\", \"submenu\": " + items + "}]";
        return "{\"menus\": [{\"name\": \"Deep\", \"items\": " + items + "}]}";
    };
    TempFile deepest(levels(64)), tooDeep(levels(65)), output;
    const Result built = RunTool({"build", deepest.path(), output.path()});
    EXPECT_EQ(0, built.status) << built.output;
    const Result dumped = RunTool({"dump", output.path(), "--menu", "Deep", "--user", "admin", "--password", ""});
    ASSERT_EQ(0, dumped.status) << dumped.output;
    EXPECT_EQ(json::parse(levels(64))["menus"][0]["items"], json::parse(dumped.output)["items"]);
    const Result refused = RunTool({"build", tooDeep.path(), output.path()});
    EXPECT_EQ(1, refused.status);
    EXPECT_NE(std::string::npos, refused.output.find("menus nested deeper than 64 levels")) << refused.output;
}

std::string Hex(const std::string& bytes)
{
    std::string hex;
    for (unsigned char b : bytes) {
        char two[3];
        std::snprintf(two, sizeof two, "%02X", b);
        hex += two;
    }
    return hex;
}

// What a menu file holds for its first menu: name, first user's name and
// password, the first item's caption and the first caption of its submenu.
std::vector<std::string> StoredTexts(const std::string& path)
{
    CMenuDocument doc;
    if (!doc.accountFile.load(path) || doc.accountFile.recordCount() == 0) return {};
    CAccountRecord* record = doc.accountFile.recordAt(0);
    const CUserEntry& user = record->users.front();
    std::vector<std::string> texts{record->menuName, user.userName, user.password};
    if (doc.parse(record->body(), ItemKey()) && doc.rootMenu->items.size() == 2 &&
        doc.rootMenu->items[1]->submenu != nullptr && !doc.rootMenu->items[1]->submenu->items.empty()) {
        texts.push_back(doc.rootMenu->items[0]->caption);
        texts.push_back(doc.rootMenu->items[1]->submenu->items[0]->caption);
    }
    doc.close();
    return texts;
}

TEST(VntoolCodePages, TextsGoBothWaysThroughTheChosenCodePage)
{
    struct Case {
        std::vector<std::string> option;
        const char* text;   // UTF-8
        const char* bytes;  // the same in the code page, in hexadecimal
    } cases[] = {
        {{}, "Caf\u00e9 \u20ac\u0081", "436166E9208081"},  // 1252's undefined bytes keep their values
        {{"--codepage", "1252"}, "\u2026", "85"},
        {{"--codepage", "936"}, "\u4e2d\u6587", "D6D0CEC4"},
        {{"--codepage", "936"}, "\u7b80\u4f53 \u20ac", "BCF2CCE52080"},
        {{"--codepage", "950"}, "\u4e2d\u6587", "A4A4A4E5"},
        {{"--codepage", "950"}, "\u7e41\u9ad4 \u20ac", "C163C5E920A3E1"},
    };
    for (const Case& c : cases) {
        const std::string text = json::parse(std::string("\"") + c.text + "\"").get<std::string>();
        SCOPED_TRACE(c.bytes);
        const json items = {{{"caption", text}, {"keystrokes", text + "\r\n"}},
                            {{"caption", "sub"}, {"submenu", {{{"caption", text}, {"note", "x" + text}}}}}};
        const json description = {
            {"menus", {{{"name", text}, {"users", {{{"name", text}, {"password", text}, {"rights", "rw"}}}},
                        {"items", items}}}}};
        TempFile source(description.dump()), file;
        const auto withPage = [&](std::vector<std::string> args) {
            args.insert(args.end(), c.option.begin(), c.option.end());
            return RunTool(args);
        };
        const Result built = withPage({"build", source.path(), file.path()});
        ASSERT_EQ(0, built.status) << built.output;
        const std::vector<std::string> stored = StoredTexts(file.path());
        ASSERT_EQ(5u, stored.size());
        for (const std::string& bytes : stored) EXPECT_EQ(c.bytes, Hex(bytes));

        const Result listed = withPage({"list", file.path()});
        EXPECT_EQ(0, listed.status);
        EXPECT_EQ(text + "\n  " + text + " rw\n", listed.output);
        const Result dumped = withPage({"dump", file.path(), "--menu", text, "--user", text, "--password", text});
        ASSERT_EQ(0, dumped.status) << dumped.output;
        const json tree = json::parse(dumped.output);
        EXPECT_EQ(text, tree["name"]);
        EXPECT_EQ(items, tree["items"]);

        const std::string changed = text + "2";
        const Result passwd = withPage(
            {"passwd", file.path(), "--menu", text, "--user", text, "--password", text, "--new-password", changed});
        ASSERT_EQ(0, passwd.status) << passwd.output;
        const std::vector<std::string> after = StoredTexts(file.path());
        ASSERT_EQ(5u, after.size());
        EXPECT_EQ(std::string(c.bytes) + "32", Hex(after[2]));
    }
}

TEST(VntoolCodePages, WhatACodePageCannotCarryIsRefusedWithItsPlace)
{
    TempFile latin("{\"menus\": [{\"name\": \"Caf\u00e9\", \"items\": [{\"caption\": \"ok\"}, {\"caption\": \"na\u00efve\"}]}]}");
    TempFile latinFile;
    ASSERT_EQ(0, RunTool({"build", latin.path(), latinFile.path()}).status);
    // U+769C is B0 80 in code page 936, no character in 950.
    TempFile chinese("{\"menus\": [{\"name\": \"\u769c\", \"items\": [{\"caption\": \"\u4e2d\"}]}]}");
    TempFile chineseFile;
    ASSERT_EQ(0, RunTool({"build", chinese.path(), chineseFile.path(), "--codepage", "936"}).status);
    TempFile simplified("{\"menus\": [{\"name\": \"m\", \"items\": [{\"caption\": \"a\"}, "
                        "{\"submenu\": [{\"caption\": \"\u7b80\"}]}]}]}");
    TempFile gbkOnly("{\"menus\": [{\"name\": \"m\", \"items\": [{\"caption\": \"a\"}, "
                     "{\"submenu\": [{\"caption\": \"\u769c\"}]}]}]}");
    TempFile gbkOnlyFile;
    ASSERT_EQ(0, RunTool({"build", gbkOnly.path(), gbkOnlyFile.path(), "--codepage", "936"}).status);
    TempFile hangul("{\"menus\": [{\"name\": \"m\", \"users\": [{\"name\": \"u\", \"password\": "
                    "\"\ud55c\", \"rights\": \"r\"}]}]}");
    TempFile output;
    const std::string chineseName = json::parse("\"\\u769c\"").get<std::string>();
    const std::string simplifiedText = json::parse("\"\\u7b80\"").get<std::string>();
    const std::string hangulText = json::parse("\"\\ud55c\"").get<std::string>();
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* says;
    } cases[] = {
        {{"build", simplified.path(), output.path(), "--codepage", "950"}, 1,
         "menus[0].items[1].submenu[0].caption: holds a character that code page 950 cannot store (U+7B80)"},
        {{"build", hangul.path(), output.path(), "--codepage", "936"}, 1,
         "menus[0].users[0].password: holds a character that code page 936 cannot store (U+D55C)"},
        {{"build", chinese.path(), output.path()}, 1, "menus[0].name: holds a character that Windows-1252 cannot store"},
        // A file reads in the code page that wrote it; another refuses it
        // rather than showing garbage.
        {{"dump", latinFile.path(), "--menu", "Caf\xC3\xA9", "--user", "admin", "--password", "", "--codepage", "1252"}, 0, "na\xC3\xAFve"},
        {{"list", latinFile.path(), "--codepage", "936"}, 1, "menus[0].name: holds bytes that are not text in code page 936"},
        {{"list", chineseFile.path(), "--codepage", "950"}, 1, "menus[0].name: holds bytes that are not text in code page 950"},
        {{"dump", gbkOnlyFile.path(), "--menu", "m", "--user", "admin", "--password", "", "--codepage", "950"}, 1,
         "items[1].submenu[0].caption: holds bytes that are not text in code page 950"},
        {{"dump", chineseFile.path(), "--menu", simplifiedText, "--user", "admin", "--password", "", "--codepage", "950"}, 1,
         "--menu: holds a character that code page 950 cannot store"},
        {{"dump", chineseFile.path(), "--menu", chineseName, "--user", "admin", "--password", hangulText, "--codepage", "936"}, 1,
         "--password: holds a character that code page 936 cannot store (U+D55C)"},
        {{"passwd", chineseFile.path(), "--menu", chineseName, "--user", "admin", "--password", "", "--new-password",
          hangulText, "--codepage", "936"}, 1, "--new-password: holds a character"},
        {{"list", chineseFile.path(), "--codepage", "65001"}, 2, "unknown code page \"65001\" (1252, 936 or 950)"},
        {{"build", chinese.path(), output.path(), "--codepage", "GBK"}, 2, "unknown code page"},
        {{"dump", chineseFile.path(), "--menu", "m", "--user", "u", "--password", "", "--codepage", ""}, 2, "unknown code page"},
        {{"passwd", chineseFile.path(), "--menu", "m", "--user", "u", "--password", "", "--new-password", "", "--codepage", "0936"}, 2,
         "unknown code page"},
    };
    const std::string chineseBefore = chineseFile.Read();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        const Result result = RunTool(c.args);
        EXPECT_EQ(c.status, result.status) << result.output;
        EXPECT_NE(std::string::npos, result.output.find(c.says)) << result.output;
        if (c.status == 1) {
            EXPECT_TRUE(OneLine(result.output)) << result.output;
            EXPECT_EQ(0u, result.output.find("vntool: ")) << result.output;
        }
    }
    EXPECT_EQ("", output.Read());
    EXPECT_EQ(chineseBefore, chineseFile.Read());
}

// In a double-byte code page the second byte of a character may be a Latin
// letter; names that differ only there are different names.
TEST(VntoolCodePages, NamesDifferingInASecondByteAreDifferent)
{
    struct Case {
        const char* page;
        const char* first;
        const char* second;
    } cases[] = {
        {"936", "\u4e04", "\u4e64"},  // 81 41 and 81 61
        {"950", "\u4e03", "\u52fa"},  // A4 43 and A4 63
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page);
        const std::string first = json::parse(std::string("\"") + c.first + "\"").get<std::string>();
        const std::string second = json::parse(std::string("\"") + c.second + "\"").get<std::string>();
        TempFile source(json{{"menus", {{{"name", first}}, {{"name", second}}}}}.dump()), file;
        const Result built = RunTool({"build", source.path(), file.path(), "--codepage", c.page});
        EXPECT_EQ(0, built.status) << built.output;
        const Result listed = RunTool({"list", file.path(), "--codepage", c.page});
        EXPECT_EQ(first + "\n  admin rw\n  guest r\n" + second + "\n  admin rw\n  guest r\n", listed.output);
    }
}

}  // namespace
