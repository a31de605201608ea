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

void MenuArea::Set(const AreaRect* rects, std::uint32_t count)
{
    if (count > kMaxRects)
        count = kMaxRects;
    const std::uint32_t sequence = m_sequence.load(std::memory_order_relaxed);
    m_sequence.store(sequence + 1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    for (std::uint32_t i = 0; i < count; ++i) {
        m_edges[i][0].store(rects[i].left, std::memory_order_relaxed);
        m_edges[i][1].store(rects[i].top, std::memory_order_relaxed);
        m_edges[i][2].store(rects[i].right, std::memory_order_relaxed);
        m_edges[i][3].store(rects[i].bottom, std::memory_order_relaxed);
    }
    m_count.store(count, std::memory_order_relaxed);
    m_sequence.store(sequence + 2, std::memory_order_release);
}

int MenuArea::Snapshot(AreaRect* out) const
{
    for (int attempt = 0; attempt < 4; ++attempt) {
        const std::uint32_t before = m_sequence.load(std::memory_order_acquire);
        if (before % 2 != 0)
            continue;
        std::uint32_t count = m_count.load(std::memory_order_relaxed);
        if (count > kMaxRects)
            count = kMaxRects;
        for (std::uint32_t i = 0; i < count; ++i) {
            out[i] = AreaRect{m_edges[i][0].load(std::memory_order_relaxed),
                              m_edges[i][1].load(std::memory_order_relaxed),
                              m_edges[i][2].load(std::memory_order_relaxed),
                              m_edges[i][3].load(std::memory_order_relaxed)};
        }
        std::atomic_thread_fence(std::memory_order_acquire);
        if (m_sequence.load(std::memory_order_relaxed) == before)
            return static_cast<int>(count);
    }
    return -1;
}

bool MenuArea::Contains(std::int32_t x, std::int32_t y) const
{
    AreaRect rects[kMaxRects];
    const int count = Snapshot(rects);
    for (int i = 0; i < count; ++i) {
        if (x >= rects[i].left && y >= rects[i].top && x < rects[i].right && y < rects[i].bottom)
            return true;
    }
    return false;
}

bool ClickKeeper::Keep(std::uint32_t message, std::int32_t x, std::int32_t y, bool injected, bool reported,
                       const MenuArea& area)
{
    const bool left = message == kLButtonDown || message == kLButtonUp;
    const bool right = message == kRButtonDown || message == kRButtonUp;
    if (!left && !right)
        return false;
    bool& kept = left ? m_leftKept : m_rightKept;
    if (message == kLButtonUp || message == kRButtonUp) {
        const bool keep = kept;
        kept = false;
        return keep;
    }
    // A program's own clicks never reach the menus (the program drops them),
    // so they go on to whoever would get them.
    kept = reported && !injected && area.Contains(x, y);
    return kept;
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
    kept = 0;
    timings.Reset();
}

}  // namespace hook
