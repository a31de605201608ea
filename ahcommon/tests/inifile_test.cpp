#include "ahcommon/inifile.h"

#include <gtest/gtest.h>

#include <string>

#include "tempfile.h"

namespace {

std::string Value(CIniFile& ini, const char* section, const char* key)
{
    char buffer[260] = "";
    if (ini.GetProfileStringA(section, key, "", buffer, sizeof(buffer)) == 0) return "<missing>";
    return buffer;
}

CIniFile Loaded(const std::string& content)
{
    TempFile file(content);
    CIniFile ini;
    EXPECT_EQ(ini.LoadFromFile(file.path().c_str()), 1);
    return ini;
}

TEST(IniFile, ParsesLinesAsTheFileFormatSays)
{
    CIniFile ini = Loaded(
        "orphan = before any section\r\n"
        "[A]\r\n"
        "x = 1\r\n"
        "[A]\r\n"
        "y = 2\n"
        "[B]\n"
        "k = 1\n"
        "k = 2\n"
        "path=C:\\a=b\n"
        "key =\n"
        "= value\n"
        ";note\n"
        ";a=b\n"
        "\tindent = tab kept\n"
        "   spaced   =   out   \n"
        "  [ Sec ]  \n"
        "z=last line without newline");
    EXPECT_EQ(Value(ini, "A", "x"), "<missing>");
    EXPECT_EQ(Value(ini, "A", "y"), "2");
    EXPECT_EQ(Value(ini, "B", "k"), "2");
    EXPECT_EQ(Value(ini, "B", "path"), "C:\\a=b");
    EXPECT_EQ(Value(ini, "B", "key"), "<missing>");
    EXPECT_EQ(Value(ini, "B", ""), "<missing>");
    EXPECT_EQ(Value(ini, "B", ";a"), "b");
    EXPECT_EQ(Value(ini, "B", "\tindent"), "tab kept");
    EXPECT_EQ(Value(ini, "B", "spaced"), "out");
    EXPECT_EQ(Value(ini, " Sec ", "z"), "last line without newline");
    EXPECT_EQ(Value(ini, "Sec", "z"), "<missing>");
    EXPECT_EQ(Value(ini, "", "orphan"), "<missing>");
    EXPECT_EQ(Value(ini, "b", "k"), "<missing>");  // names are case-sensitive
}

// A value is everything after the first '=': it survives a load and a
// save and load again.
TEST(IniFile, ValueKeepsEveryEqualsSignAfterTheFirst)
{
    const struct {
        const char* line;
        const char* key;
        const char* value;  // null: the line is skipped
    } cases[] = {
        {"Caption0=Total = 5", "Caption0", "Total = 5"},
        {"path=C:\\a=b", "path", "C:\\a=b"},
        {" k = a=b = c ", "k", "a=b = c"},
        {"k==v", "k", "=v"},
        {"k=v=", "k", "v="},
        {"=v=w", "", nullptr},
        {"=v=w", "v", nullptr},
        {"k=", "k", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        CIniFile ini = Loaded(std::string("[S]\n") + c.line + "\n");
        const std::string expected = c.value != nullptr ? c.value : "<missing>";
        EXPECT_EQ(Value(ini, "S", c.key), expected);

        TempFile saved;
        ASSERT_EQ(ini.SaveToFile(saved.path().c_str()), 1);
        CIniFile again;
        ASSERT_EQ(again.LoadFromFile(saved.path().c_str()), 1);
        EXPECT_EQ(Value(again, "S", c.key), expected);
    }
}

TEST(IniFile, SavesInByteOrderWithoutCommentsOrBlankLines)
{
    CIniFile ini = Loaded("; comment\n\n[b]\nz=1\na = 2\n\n[B]\nk=v\n");
    TempFile out;
    ASSERT_EQ(ini.SaveToFile(out.path().c_str()), 1);
    EXPECT_EQ(out.Read(), "[B]\r\nk = v\r\n\r\n[b]\r\na = 2\r\nz = 1\r\n\r\n");

    CIniFile again;
    ASSERT_EQ(again.LoadFromFile(out.path().c_str()), 1);
    EXPECT_EQ(Value(again, "b", "z"), "1");
    EXPECT_EQ(Value(again, "B", "k"), "v");
}

TEST(IniFile, WritesNewValuesAndKeepsCopiesIndependent)
{
    CIniFile ini;
    ini.WriteProfileStringA("Predefined Caption", "Count", "2");
    ini.WriteProfileStringA("Predefined Caption", "Caption0", "Hello");
    ini.WriteProfileStringA("Predefined Caption", "Count", "3");
    EXPECT_EQ(ini.GetProfileIntA("Predefined Caption", "Count", -1), 3u);

    CIniFile copy(ini);
    CIniFile assigned;
    assigned = ini;
    ini.Destroy();
    EXPECT_EQ(Value(ini, "Predefined Caption", "Caption0"), "<missing>");
    EXPECT_EQ(Value(copy, "Predefined Caption", "Caption0"), "Hello");
    EXPECT_EQ(Value(assigned, "Predefined Caption", "Count"), "3");
}

TEST(IniFile, GetProfileStringCutsAndCounts)
{
    CIniFile ini;
    ini.WriteProfileStringA("S", "ten", "0123456789");
    char buffer[16] = "xxxxxxxxxxxxxxx";
    EXPECT_EQ(ini.GetProfileStringA("S", "ten", "", buffer, 5), 5u);
    EXPECT_STREQ(buffer, "0123");
    EXPECT_EQ(ini.GetProfileStringA("S", "ten", "", buffer, sizeof(buffer)), 11u);
    EXPECT_STREQ(buffer, "0123456789");

    EXPECT_EQ(ini.GetProfileStringA("S", "none", "", buffer, sizeof(buffer)), 0u);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(ini.GetProfileStringA("T", "ten", "default", buffer, 4), 3u);
    EXPECT_STREQ(buffer, "def");
    EXPECT_EQ(ini.GetProfileStringA("S", "ten", "", buffer, 0), 0u);
}

TEST(IniFile, GetProfileIntIsAtoiOrDefault)
{
    CIniFile ini;
    const struct {
        const char* value;
        unsigned expected;
    } cases[] = {{"12abc", 12u}, {"abc", 0u}, {"-3", static_cast<unsigned>(-3)}, {" 42", 42u}, {"+7", 7u}};
    for (const auto& c : cases) {
        ini.WriteProfileStringA("S", "k", c.value);
        EXPECT_EQ(ini.GetProfileIntA("S", "k", 99), c.expected) << c.value;
    }
    EXPECT_EQ(ini.GetProfileIntA("S", "missing", 99), 99u);
    EXPECT_EQ(ini.GetProfileIntA("Missing", "k", -1), static_cast<unsigned>(-1));
}

TEST(IniFile, FailedOpenLeavesTheModelAlone)
{
    CIniFile ini;
    ini.WriteProfileStringA("S", "k", "v");
    EXPECT_EQ(ini.LoadFromFile("/nonexistent-folder/none.ini"), 0);
    EXPECT_EQ(Value(ini, "S", "k"), "v");
    EXPECT_EQ(ini.SaveToFile("/nonexistent-folder/none.ini"), 0);
}

TEST(IniFile, EmptyNamedSectionIsWrittenAsABlankLine)
{
    CIniFile ini;
    ini.WriteProfileStringA("", "lost", "1");
    ini.WriteProfileStringA("A", "k", "v");
    TempFile out;
    ASSERT_EQ(ini.SaveToFile(out.path().c_str()), 1);
    EXPECT_EQ(out.Read(), "\r\n[A]\r\nk = v\r\n\r\n");
}

}  // namespace
