#include "hook/hookcore.h"

namespace hook {

bool IsReportedMessage(std::uint32_t message)
{
    return message == kMouseMove || message == kLButtonDown || message == kLButtonUp ||
           message == kRButtonDown;
}

std::uint32_t ReportedMessage(std::uint32_t message, long hitTest)
{
    return hitTest == kHitClient ? message : message - kNonClientOffset;
}

HookMouseEvent BuildEvent(const MouseSample& sample, std::uint64_t window, long hitTest)
{
    HookMouseEvent event;
    event.message = ReportedMessage(sample.message, hitTest);
    event.x = sample.x;
    event.y = sample.y;
    // Window handles carry 32 significant bits, also in 64-bit processes.
    event.window = static_cast<std::uint32_t>(window);
    event.hitTest = static_cast<std::uint32_t>(hitTest);
    event.time = sample.time;
    event.injected = (sample.flags & kInjectedFlags) != 0 ? 1 : 0;
    return event;
}

bool SampleQueue::Push(const MouseSample& sample)
{
    const std::uint32_t tail = m_tail.load(std::memory_order_relaxed);
    if (tail - m_head.load(std::memory_order_acquire) == kCapacity)
        return false;
    m_slots[tail % kCapacity] = sample;
    m_tail.store(tail + 1, std::memory_order_release);
    return true;
}

bool SampleQueue::Pop(MouseSample& sample)
{
    const std::uint32_t head = m_head.load(std::memory_order_relaxed);
    if (head == m_tail.load(std::memory_order_acquire))
        return false;
    sample = m_slots[head % kCapacity];
    m_head.store(head + 1, std::memory_order_release);
    return true;
}

bool SampleQueue::Empty() const
{
    return m_head.load(std::memory_order_acquire) == m_tail.load(std::memory_order_acquire);
}

void TimingLog::Record(std::uint32_t nanoseconds)
{
    const std::uint32_t index = m_count.fetch_add(1, std::memory_order_relaxed);
    m_slots[index % kCapacity].store(nanoseconds, std::memory_order_relaxed);
    std::uint32_t max = m_max.load(std::memory_order_relaxed);
    while (nanoseconds > max && !m_max.compare_exchange_weak(max, nanoseconds, std::memory_order_relaxed)) {
    }
}

std::uint32_t TimingLog::Copy(std::uint32_t* out, std::uint32_t capacity) const
{
    const std::uint32_t count = m_count.load(std::memory_order_relaxed);
    std::uint32_t n = count < kCapacity ? count : kCapacity;
    if (n > capacity)
        n = capacity;
    for (std::uint32_t i = 0; i < n; ++i)
        out[i] = m_slots[(count - n + i) % kCapacity].load(std::memory_order_relaxed);
    return n;
}

void TimingLog::Reset()
{
    m_count.store(0, std::memory_order_relaxed);
    m_max.store(0, std::memory_order_relaxed);
}

void HookCounters::Reset()
{
    seen = 0;
    callbacks = 0;
    queued = 0;
    dropped = 0;
    delivered = 0;
    failed = 0;
    timings.Reset();
}

}  // namespace hook
