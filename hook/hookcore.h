// The arithmetic of the mouse hook, kept free of Windows calls so that it is
// tested on its own: which events are reported, how a report is built, and the
// fixed-size queue between the hook callback and the thread that delivers.
#pragma once

#include <atomic>
#include <cstdint>

#include "hook/hookrecord.h"

namespace hook {

// Mouse messages as the system numbers them.
constexpr std::uint32_t kMouseMove = hookmsg::kMouseMove;
constexpr std::uint32_t kLButtonDown = hookmsg::kLButtonDown;
constexpr std::uint32_t kLButtonUp = hookmsg::kLButtonUp;
constexpr std::uint32_t kRButtonDown = hookmsg::kRButtonDown;
constexpr std::uint32_t kRButtonUp = 0x0205;  // WM_RBUTTONUP: seen, never reported
constexpr std::uint32_t kNonClientOffset = hookmsg::kNonClientOffset;
constexpr long kHitClient = 1;  // HTCLIENT
// Low-level hook flags that mark input made by a program rather than a device.
constexpr std::uint32_t kInjectedFlags = 0x00000001 | 0x00000002;  // LLMHF_INJECTED, LLMHF_LOWER_IL_INJECTED

// One report as the program receives it.
using ::HookMouseEvent;

// What the hook callback keeps of one event: only what it has at hand.
struct MouseSample {
    std::uint32_t message;
    std::int32_t x;
    std::int32_t y;
    std::uint32_t flags;
    std::uint32_t time;
};

// Whether a low-level mouse message is one the program wants.
bool IsReportedMessage(std::uint32_t message);

// The message to report for a hit-test result: the client form over the
// client area, the non-client form anywhere else.
std::uint32_t ReportedMessage(std::uint32_t message, long hitTest);

// The report for a sample, the window under its point and that window's hit test.
HookMouseEvent BuildEvent(const MouseSample& sample, std::uint64_t window, long hitTest);

// Single-producer, single-consumer queue of fixed size: the hook callback
// pushes, the delivery thread pops. Neither side blocks or allocates.
class SampleQueue {
public:
    static constexpr std::uint32_t kCapacity = 256;  // a power of two

    // False when full; the sample is then dropped.
    bool Push(const MouseSample& sample);
    bool Pop(MouseSample& sample);
    bool Empty() const;

private:
    MouseSample m_slots[kCapacity] = {};
    std::atomic<std::uint32_t> m_head{0};  // next to pop; written by the consumer
    std::atomic<std::uint32_t> m_tail{0};  // next to push; written by the producer
};

// Screen rectangles, left and top inside, right and bottom outside.
struct AreaRect {
    std::int32_t left;
    std::int32_t top;
    std::int32_t right;
    std::int32_t bottom;
};

// Where the program's menus are on screen: written by the program's thread
// that shows them, read by the hook callback, which must never wait. A
// sequence count tells the reader that a write came in between; after a few
// such tries it gives up and answers that the point is outside, so that a
// click is then passed on as usual rather than lost.
class MenuArea {
public:
    static constexpr std::uint32_t kMaxRects = 16;

    // Rectangles past kMaxRects are left out.
    void Set(const AreaRect* rects, std::uint32_t count);
    void Clear() { Set(nullptr, 0); }
    bool Contains(std::int32_t x, std::int32_t y) const;
    // Copies the whole list of one write into `out` (kMaxRects places) and
    // returns its length; -1 when writes kept coming while it read.
    int Snapshot(AreaRect* out) const;

private:
    std::atomic<std::uint32_t> m_sequence{0};  // odd while a write is under way
    std::atomic<std::uint32_t> m_count{0};
    std::atomic<std::int32_t> m_edges[kMaxRects][4] = {};
};

// Which button events stay with the program instead of going on to other
// programs. A press on the program's menus belongs to the menus: passed on,
// it would reach the program whose pop-up has the mouse, and once the menus
// have closed, the window under them (a click on an item would move the
// caret in the text the item is about to type into). The release of a kept
// press is kept too, so that no program sees a release without its press.
// Only reported presses are kept: the menus see those, and nothing else is
// lost. Used by the hook callback alone.
class ClickKeeper {
public:
    // `reported`: the event was queued for the program.
    bool Keep(std::uint32_t message, std::int32_t x, std::int32_t y, bool injected, bool reported,
              const MenuArea& area);

private:
    bool m_leftKept = false;
    bool m_rightKept = false;
};

// Durations of the last callbacks, for measuring the hook's cost.
class TimingLog {
public:
    static constexpr std::uint32_t kCapacity = 1024;

    void Record(std::uint32_t nanoseconds);
    // Copies up to `capacity` of the most recent durations, oldest first;
    // returns how many were copied.
    std::uint32_t Copy(std::uint32_t* out, std::uint32_t capacity) const;
    std::uint32_t Maximum() const { return m_max.load(std::memory_order_relaxed); }
    std::uint32_t Count() const { return m_count.load(std::memory_order_relaxed); }
    void Reset();

private:
    std::atomic<std::uint32_t> m_slots[kCapacity] = {};
    std::atomic<std::uint32_t> m_count{0};
    std::atomic<std::uint32_t> m_max{0};
};

// What the hook counts, in one block of fixed layout: the library keeps it in
// memory that other processes may map, so that a tool can read the figures of
// a running program's hook from outside, also while that program does not
// answer.
struct HookCounters {
    std::atomic<std::uint32_t> seen{0};       // events the hook saw, reporting or not
    std::atomic<std::uint32_t> callbacks{0};  // events seen while reporting
    std::atomic<std::uint32_t> queued{0};     // events queued for delivery
    std::atomic<std::uint32_t> dropped{0};    // events lost because the queue was full
    std::atomic<std::uint32_t> delivered{0};  // records the receiving window accepted
    std::atomic<std::uint32_t> failed{0};     // not accepted in time, or not sent meanwhile
    std::atomic<std::uint32_t> kept{0};       // button events kept from other programs
    TimingLog timings;                        // time spent inside the callback

    void Reset();
};

}  // namespace hook
