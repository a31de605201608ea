#include "ahcommon/strutil.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <list>
#include <string>
#include <vector>

#include "tempfile.h"

namespace {

std::vector<std::string> Split(const std::string& text, const std::string& delimiters)
{
    std::list<std::string> tokens = {"stale"};
    EXPECT_EQ(SplitString(text, tokens, delimiters), 1);
    return {tokens.begin(), tokens.end()};
}

TEST(SplitString, DropsEmptyPieces)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(Split("a,,b,", ","), (V{"a", "b"}));
    EXPECT_EQ(Split(",,a", ","), (V{"a"}));
    EXPECT_EQ(Split("", ","), V{});
    EXPECT_EQ(Split(",,,", ","), V{});
    EXPECT_EQ(Split("a b;c", " ;"), (V{"a", "b", "c"}));
    EXPECT_EQ(Split("abc", ""), (V{"abc"}));
}

TEST(PairString, TakesFirstTwoPieces)
{
    const struct {
        const char* text;
        bool result;
        const char* first;
        const char* second;
    } cases[] = {
        {"key=value=more", true, "key", "value"},
        {"key=", false, "key", "old2"},
        {"=value", false, "value", "old2"},
        {"==a==b==", true, "a", "b"},
        {"", false, "old1", "old2"},
        {"===", false, "old1", "old2"},
    };
    for (const auto& c : cases) {
        std::string first = "old1";
        std::string second = "old2";
        EXPECT_EQ(PairString(c.text, first, second, "="), c.result) << c.text;
        EXPECT_EQ(first, c.first) << c.text;
        EXPECT_EQ(second, c.second) << c.text;
    }
}

std::vector<std::string> ReadLines(const std::string& content)
{
    TempFile file(content);
    FILE* stream = std::fopen(file.path().c_str(), "rb");
    EXPECT_NE(stream, nullptr);
    std::vector<std::string> lines;
    std::string line = "unchanged";
    while (GetLine(stream, line)) lines.push_back(line);
    // At end of file the caller's string is left alone from then on.
    line = "unchanged";
    EXPECT_FALSE(GetLine(stream, line));
    EXPECT_EQ(line, "unchanged");
    std::fclose(stream);
    return lines;
}

TEST(GetLine, SplitsAtLineFeedAndDropsCarriageReturns)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(ReadLines("ab\r\ncd"), (V{"ab", "cd"}));
    EXPECT_EQ(ReadLines("ab\ncd\n"), (V{"ab", "cd"}));
    EXPECT_EQ(ReadLines("a\rb\r\n"), (V{"ab"}));
    EXPECT_EQ(ReadLines(""), V{});
    // An empty line in the middle comes back as an empty line, not as the end.
    EXPECT_EQ(ReadLines("a\n\nb"), (V{"a", "", "b"}));
    EXPECT_EQ(ReadLines(std::string("x\0y\n", 4)), (V{std::string("x\0y", 3)}));
}

TEST(StrPrintf, SizesTheTextToFit)
{
    std::string text = "previous content that is longer";
    EXPECT_EQ(StrPrintf(text, "%s-%d", "abc", 42), 6);
    EXPECT_EQ(text, "abc-42");

    const std::string big(5000, 'x');
    EXPECT_EQ(StrPrintf(text, "[%s]", big.c_str()), 5002);
    EXPECT_EQ(text, "[" + big + "]");

    EXPECT_EQ(StrPrintf(text, "%300d|%.3f|%%|%c", 7, 1.0 / 3, 'z'), 300 + 1 + 5 + 1 + 1 + 1 + 1);
    EXPECT_EQ(text.substr(295), "    7|0.333|%|z");

    EXPECT_EQ(StrPrintf(text, "%*.*f", 40, 2, 1e30), 40);
    EXPECT_EQ(text.size(), 40u);

    EXPECT_EQ(StrPrintf(text, "%s", ""), 0);
    EXPECT_EQ(text, "");
}

TEST(SplitFloat, GivesTheDecimalDigits)
{
    const struct {
        float value;
        int digits[7];
    } cases[] = {
        {1234.56f, {0, 1, 2, 3, 4, 5, 6}},
        {98765.43f, {9, 8, 7, 6, 5, 4, 3}},
        {0.0f, {0, 0, 0, 0, 0, 0, 0}},
        {7.5f, {0, 0, 0, 0, 7, 5, 0}},
        {123456.0f, {12, 3, 4, 5, 6, 0, 0}},
        {-12.25f, {0, 0, 0, -1, -2, -2, -5}},
    };
    for (const auto& c : cases) {
        int d[7] = {9, 9, 9, 9, 9, 9, 9};
        SplitFloat(c.value, &d[0], &d[1], &d[2], &d[3], &d[4], &d[5], &d[6]);
        for (int i = 0; i < 7; ++i) EXPECT_EQ(d[i], c.digits[i]) << c.value << " digit " << i;
    }
}

TEST(SplitFloat, SaturatesInsteadOfOverflowing)
{
    int d[7];
    SplitFloat(1e30f, &d[0], &d[1], &d[2], &d[3], &d[4], &d[5], &d[6]);
    EXPECT_EQ(d[0], 2147483647 / 10000);
    SplitFloat(-1e30f, &d[0], &d[1], &d[2], &d[3], &d[4], &d[5], &d[6]);
    EXPECT_EQ(d[0], -2147483647 / 10000);
}

}  // namespace
