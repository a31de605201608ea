#include "hook/hookcore.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <thread>

namespace {

using hook::BuildEvent;
using hook::HookMouseEvent;
using hook::MouseSample;

// The record crosses between two modules (and once between a 32-bit and a
// 64-bit build): its layout is fixed.
TEST(HookRecord, LayoutIsSevenLittleWordsInThisOrder)
{
    EXPECT_EQ(28u, sizeof(HookMouseEvent));
    EXPECT_EQ(0u, offsetof(HookMouseEvent, message));
    EXPECT_EQ(4u, offsetof(HookMouseEvent, x));
    EXPECT_EQ(8u, offsetof(HookMouseEvent, y));
    EXPECT_EQ(12u, offsetof(HookMouseEvent, window));
    EXPECT_EQ(16u, offsetof(HookMouseEvent, hitTest));
    EXPECT_EQ(20u, offsetof(HookMouseEvent, time));
    EXPECT_EQ(24u, offsetof(HookMouseEvent, injected));
}

// Every message the hook can build is one the program accepts, and no other.
TEST(HookRecord, TheProgramAcceptsExactlyWhatTheHookReports)
{
    for (std::uint32_t message = 0; message < 0x400; ++message) {
        const bool watched = hook::IsReportedMessage(message);
        if (watched) {
            EXPECT_TRUE(IsHookReportMessage(hook::ReportedMessage(message, hook::kHitClient))) << message;
            EXPECT_TRUE(IsHookReportMessage(hook::ReportedMessage(message, 2))) << message;
        }
        const bool built = watched || hook::IsReportedMessage(message + hook::kNonClientOffset);
        EXPECT_EQ(built, IsHookReportMessage(message)) << message;
    }
}

TEST(HookCore, ReportsOnlyMovesLeftButtonAndRightPress)
{
    struct Case {
        std::uint32_t message;
        bool reported;
    };
    const Case cases[] = {
        {0x0200, true},  {0x0201, true},  {0x0202, true},  {0x0204, true},
        {0x0205, false},  // right button up
        {0x0203, false},  // double click never comes from a low-level hook, but is not ours
        {0x0207, false},  {0x0208, false},  // middle button
        {0x020A, false},  {0x020E, false},  // wheels
        {0x020B, false},  {0x020C, false},  // X buttons
    };
    for (const Case& c : cases)
        EXPECT_EQ(hook::IsReportedMessage(c.message), c.reported) << std::hex << c.message;
}

TEST(HookCore, NonClientHitsGiveTheNonClientMessages)
{
    struct Case {
        std::uint32_t message;
        long hitTest;
        std::uint32_t expected;
    };
    const Case cases[] = {
        {0x0200, 1, 0x0200},    // client
        {0x0200, 2, 0x00A0},    // caption
        {0x0201, 2, 0x00A1},
        {0x0202, 8, 0x00A2},    // minimise box
        {0x0204, 18, 0x00A4},   // border
        {0x0201, 0, 0x00A1},    // nowhere
        {0x0204, -2, 0x00A4},   // error
    };
    for (const Case& c : cases)
        EXPECT_EQ(hook::ReportedMessage(c.message, c.hitTest), c.expected)
            << std::hex << c.message << " hit " << std::dec << c.hitTest;
}

TEST(HookCore, BuildsTheRecordFromTheSample)
{
    const MouseSample sample{0x0201, -1200, 345, 0x1, 987654};
    const HookMouseEvent event = BuildEvent(sample, 0xFFFFFFFF00C80A1EULL, 2);
    const std::uint32_t raw[7] = {0x00A1, static_cast<std::uint32_t>(-1200), 345, 0x00C80A1E, 2, 987654, 1};
    // The program reads seven little-endian 32-bit values in this order.
    EXPECT_EQ(0, std::memcmp(&event, raw, sizeof raw));
}

TEST(HookCore, InjectedFlagFollowsBothInjectionBits)
{
    const struct {
        std::uint32_t flags;
        std::uint32_t injected;
    } cases[] = {{0x0, 0}, {0x1, 1}, {0x2, 1}, {0x3, 1}, {0x80, 0}};
    for (const auto& c : cases) {
        const MouseSample sample{0x0200, 1, 2, c.flags, 0};
        EXPECT_EQ(BuildEvent(sample, 0x10, 1).injected, c.injected) << c.flags;
    }
}

TEST(HookCore, QueueKeepsOrderWrapsAndRefusesWhenFull)
{
    hook::SampleQueue queue;
    MouseSample out{};
    EXPECT_TRUE(queue.Empty());
    EXPECT_FALSE(queue.Pop(out));
    // Three rounds, so the indexes wrap past the capacity.
    for (int round = 0; round < 3; ++round) {
        for (std::uint32_t i = 0; i < hook::SampleQueue::kCapacity; ++i)
            ASSERT_TRUE(queue.Push(MouseSample{0x200, static_cast<std::int32_t>(i), round, 0, i}));
        EXPECT_FALSE(queue.Push(MouseSample{0x201, -1, -1, 0, 0})) << "a full queue drops";
        for (std::uint32_t i = 0; i < hook::SampleQueue::kCapacity; ++i) {
            ASSERT_TRUE(queue.Pop(out));
            ASSERT_EQ(out.x, static_cast<std::int32_t>(i));
            ASSERT_EQ(out.y, round);
        }
        EXPECT_TRUE(queue.Empty());
    }
}

TEST(HookCore, QueueHandsEverySampleAcrossThreadsInOrder)
{
    hook::SampleQueue queue;
    constexpr std::int32_t kCount = 200000;
    std::thread producer([&] {
        for (std::int32_t i = 0; i < kCount; ++i)
            while (!queue.Push(MouseSample{0x200, i, -i, 0, 0}))
                std::this_thread::yield();
    });
    std::int32_t expected = 0;
    MouseSample out{};
    while (expected < kCount) {
        if (!queue.Pop(out)) {
            std::this_thread::yield();
            continue;
        }
        ASSERT_EQ(out.x, expected);
        ASSERT_EQ(out.y, -expected);
        ++expected;
    }
    producer.join();
    EXPECT_TRUE(queue.Empty());
}

TEST(HookCore, MenuAreaHoldsItsRectanglesWithTheirEdgesRightAndMonitorsLeftOfZero)
{
    hook::MenuArea area;
    EXPECT_FALSE(area.Contains(0, 0));
    const hook::AreaRect rects[] = {{100, 50, 200, 80}, {-300, -20, -100, 40}};
    area.Set(rects, 2);
    struct Case {
        std::int32_t x, y;
        bool inside;
    };
    const Case cases[] = {
        {100, 50, true},  {199, 79, true},   {200, 60, false}, {150, 80, false}, {99, 60, false},
        {-300, -20, true}, {-101, 39, true}, {-100, 0, false}, {0, 0, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.inside, area.Contains(c.x, c.y)) << c.x << "," << c.y;
    // A new list replaces the old one; past the limit nothing is kept.
    area.Set(rects + 1, 1);
    EXPECT_FALSE(area.Contains(150, 60));
    EXPECT_TRUE(area.Contains(-200, 0));
    hook::AreaRect many[hook::MenuArea::kMaxRects + 1];
    for (std::uint32_t i = 0; i <= hook::MenuArea::kMaxRects; ++i)
        many[i] = hook::AreaRect{static_cast<std::int32_t>(i) * 10, 0, static_cast<std::int32_t>(i) * 10 + 5, 5};
    area.Set(many, hook::MenuArea::kMaxRects + 1);
    EXPECT_TRUE(area.Contains(0, 0));
    EXPECT_TRUE(area.Contains((hook::MenuArea::kMaxRects - 1) * 10, 0));
    EXPECT_FALSE(area.Contains(hook::MenuArea::kMaxRects * 10, 0));
    area.Clear();
    EXPECT_FALSE(area.Contains(0, 0));
}

// A reader never sees half of a write: every list it reads is one of the
// two that another thread keeps writing in turn.
TEST(HookCore, MenuAreaReadersSeeOneWholeListWhileItChanges)
{
    hook::MenuArea area;
    const hook::AreaRect first[] = {{0, 0, 10, 10}, {100, 0, 110, 10}, {200, 0, 210, 10}};
    const hook::AreaRect second[] = {{-50, -50, -40, -40}};
    area.Set(first, 3);
    std::atomic<bool> done{false};
    std::atomic<long> writes{0};
    std::thread writer([&] {
        for (int i = 0; !done; ++i) {
            area.Set(i % 2 ? first : second, i % 2 ? 3 : 1);
            writes.fetch_add(1, std::memory_order_relaxed);
        }
    });
    auto same = [](const hook::AreaRect* a, const hook::AreaRect* b, int n) {
        for (int i = 0; i < n; ++i)
            if (a[i].left != b[i].left || a[i].top != b[i].top || a[i].right != b[i].right ||
                a[i].bottom != b[i].bottom)
                return false;
        return true;
    };
    long whole = 0;
    long torn = 0;
    hook::AreaRect read[hook::MenuArea::kMaxRects];
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
    while (std::chrono::steady_clock::now() < until || writes < 100000) {
        const int n = area.Snapshot(read);
        if (n < 0)
            continue;  // gave up while writes kept coming: the press then goes on
        if ((n == 3 && same(read, first, 3)) || (n == 1 && same(read, second, 1)))
            ++whole;
        else
            ++torn;
    }
    done = true;
    writer.join();
    EXPECT_EQ(0, torn);
    EXPECT_GT(whole, 0);
}

TEST(HookCore, ClickKeeperKeepsPressesOnTheMenusAndTheirReleasesOnly)
{
    hook::MenuArea area;
    const hook::AreaRect menu[] = {{100, 100, 200, 200}};
    area.Set(menu, 1);
    using hook::kLButtonDown;
    using hook::kLButtonUp;
    using hook::kRButtonDown;
    using hook::kRButtonUp;
    struct Step {
        std::uint32_t message;
        std::int32_t x, y;
        bool injected, reported, kept;
        const char* why;
    };
    const Step steps[] = {
        {hook::kMouseMove, 150, 150, false, true, false, "moves always go on"},
        {kLButtonDown, 150, 150, false, true, true, "a press on the menus"},
        {kLButtonUp, 500, 500, false, false, true, "its release, wherever it is"},
        {kLButtonUp, 150, 150, false, false, false, "a second release has no kept press"},
        {kLButtonDown, 50, 50, false, true, false, "a press elsewhere"},
        {kLButtonUp, 150, 150, false, false, false, "its release over the menus"},
        {kLButtonDown, 150, 150, true, true, false, "a program's own press"},
        {kLButtonUp, 150, 150, true, false, false, "and its release"},
        {kLButtonDown, 150, 150, false, false, false, "a press the queue dropped"},
        {kLButtonUp, 150, 150, false, false, false, "and its release"},
        {kRButtonDown, 120, 199, false, true, true, "a right press on the menus"},
        {kLButtonDown, 150, 150, false, true, true, "a left press while the right is down"},
        {kRButtonUp, 10, 10, false, false, true, "the right release"},
        {kLButtonUp, 10, 10, false, false, true, "the left release"},
        {0x0207, 150, 150, false, false, false, "a middle press goes on"},
    };
    hook::ClickKeeper keeper;
    for (const Step& step : steps)
        EXPECT_EQ(step.kept, keeper.Keep(step.message, step.x, step.y, step.injected, step.reported, area))
            << step.why;

    // Once the menus are gone, presses go on again.
    area.Clear();
    EXPECT_FALSE(keeper.Keep(kLButtonDown, 150, 150, false, true, area));
    EXPECT_FALSE(keeper.Keep(kLButtonUp, 150, 150, false, false, area));
}

TEST(HookCore, TimingLogKeepsTheLatestAndTheMaximum)
{
    static hook::TimingLog log;  // large: not on the stack
    log.Reset();
    std::uint32_t out[hook::TimingLog::kCapacity + 8];
    EXPECT_EQ(log.Copy(out, 8), 0u);
    for (std::uint32_t i = 1; i <= hook::TimingLog::kCapacity + 10; ++i)
        log.Record(i == 5 ? 999999 : i);
    EXPECT_EQ(log.Maximum(), 999999u);
    EXPECT_EQ(log.Count(), hook::TimingLog::kCapacity + 10);
    const std::uint32_t n = log.Copy(out, hook::TimingLog::kCapacity + 8);
    ASSERT_EQ(n, hook::TimingLog::kCapacity);
    EXPECT_EQ(out[0], 11u);  // the oldest kept
    EXPECT_EQ(out[n - 1], hook::TimingLog::kCapacity + 10);
    EXPECT_EQ(log.Copy(out, 3), 3u);
    EXPECT_EQ(out[2], hook::TimingLog::kCapacity + 10);
}

}  // namespace
