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
    TimingLog timings;                        // time spent inside the callback

    void Reset();
};

}  // namespace hook
