// vntool as its users run it: the documented example built and dumped back,
// the other commands, and a one-line reason with the right exit status for
// every refusal.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "accounts/accountfile.h"
#include "ahcommon/tests/tempfile.h"

using nlohmann::json;

namespace {

struct Result {
    int status;
    std::string output;  // stdout and stderr together
};

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

}  // namespace
