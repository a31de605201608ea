#include "app/keytyping.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class RecordingPort : public TypingPort {
public:
    void wait(DWORD milliseconds) override { steps.push_back("wait " + std::to_string(milliseconds)); }
    void post(HWND window, UINT message, WPARAM character) override
    {
        EXPECT_EQ(target, window);
        steps.push_back((message == WM_CHAR ? "char " : message == WM_KEYDOWN ? "key " : "? ") +
                        std::to_string(character));
    }
    void settle(HWND window, int messages) override
    {
        EXPECT_EQ(target, window);
        steps.push_back("settle " + std::to_string(messages));
    }
    HWND target = reinterpret_cast<HWND>(0x1234);
    std::vector<std::string> steps;
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

}  // namespace
