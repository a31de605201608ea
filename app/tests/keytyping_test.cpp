#include "app/keytyping.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class RecordingPort : public TypingPort {
public:
    void wait(DWORD milliseconds) override { steps.push_back("wait " + std::to_string(milliseconds)); }
    DWORD post(HWND window, UINT message, WPARAM character) override
    {
        EXPECT_EQ(target, window);
        steps.push_back((message == WM_CHAR ? "char " : message == WM_KEYDOWN ? "key " : "? ") +
                        std::to_string(character));
        return ++posts == failAt ? failure : 0;
    }
    void settle(HWND window, int messages) override
    {
        EXPECT_EQ(target, window);
        steps.push_back("settle " + std::to_string(messages));
    }
    HWND target = reinterpret_cast<HWND>(0x1234);
    std::vector<std::string> steps;
    int posts = 0;
    int failAt = 0;  // the post (from 1) that fails; 0 for none
    DWORD failure = 0;
};

typedef std::vector<std::string> Steps;

TEST(KeyTyping, LineBreaksAreKeysBetweenWaitsAndLineFeedsNothing)
{
    RecordingPort port;
    TypeKeystrokes(port.target, "a\r\nb", false, port);
    EXPECT_EQ(Steps({"wait 2", "char 97", "wait 2", "key 13", "wait 40", "settle 3", "char 98"}), port.steps);
}

TEST(KeyTyping, TheWaitsGrowWithEachLineBreakOrTab)
{
    RecordingPort port;
    TypeKeystrokes(port.target, "\r\t\r\n\r\tx", true, port);
    EXPECT_EQ(Steps({"wait 2",
                     "wait 2", "key 13", "wait 40", "settle 2",
                     "wait 6", "key 9", "wait 70", "settle 2",
                     "wait 9", "key 13", "wait 70", "settle 2",
                     "wait 10", "key 13", "wait 70", "settle 2",
                     "wait 10", "key 9", "wait 70", "settle 2",
                     "char 120", "key 13"}),
              port.steps);
}

TEST(KeyTyping, HighBytesAreCharactersAndAnEmptyTextOnlyPressesEnter)
{
    RecordingPort port;
    TypeKeystrokes(port.target, "\xe9", false, port);
    EXPECT_EQ(Steps({"wait 2", "char 233"}), port.steps);
    port.steps.clear();
    TypeKeystrokes(port.target, "", true, port);
    EXPECT_EQ(Steps({"wait 2", "key 13"}), port.steps);
}

TEST(KeyTyping, StopsAtTheFirstRefusedPostAndSaysWhy)
{
    const struct {
        int failAt;
        DWORD error;
        TypingResult result;
        Steps steps;
    } cases[] = {
        {0, 0, TypingResult::typed, {"wait 2", "char 97", "wait 2", "key 13", "wait 40", "settle 3", "char 98", "key 13"}},
        // A program running as administrator refuses the first character.
        {1, ERROR_ACCESS_DENIED, TypingResult::refused, {"wait 2", "char 97"}},
        // The window closed before the line break.
        {2, ERROR_INVALID_WINDOW_HANDLE, TypingResult::windowGone, {"wait 2", "char 97", "wait 2", "key 13"}},
        {4, ERROR_NOT_ENOUGH_QUOTA, TypingResult::failed, Steps({"wait 2", "char 97", "wait 2", "key 13", "wait 40",
                                                                  "settle 3", "char 98", "key 13"})},
    };
    for (const auto& c : cases) {
        RecordingPort port;
        port.failAt = c.failAt;
        port.failure = c.error;
        EXPECT_EQ(c.result, TypeKeystrokes(port.target, "a\rb", true, port)) << c.failAt;
        EXPECT_EQ(c.steps, port.steps) << c.failAt;
    }
}

}  // namespace
