// Measures event-message throughput between two threads next to the system's
// own thread-message queue in the same run, the latency of a 10 ms thread
// timer, and allocations after warm-up. Lines starting "BENCH|" are the
// figures `make bench` collects.
#include "ahcommon/simplethread.h"
#include "ahcommon/threadtimer.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

#include "alloccount.h"
#include "testwait.h"

namespace {

// Counts deliveries and signals when the expected number has arrived.
class Sink : public CSimpleThread {
public:
    Sink() : m_done(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}
    ~Sink() override
    {
        Close();
        CloseHandle(m_done);
    }
    void Expect(long count) { m_target = m_delivered.load() + count; }
    bool WaitDone() { return WaitForSingleObject(m_done, 120000) == WAIT_OBJECT_0; }

protected:
    void Running() override
    {
        while (WaitSingleEvent(nullptr, 0, INFINITE) != 0) {
        }
    }
    UINT OnEventMessage(_tagEMSG*) override
    {
        if (++m_delivered == m_target) SetEvent(m_done);
        return 0;
    }

private:
    HANDLE m_done;
    std::atomic<long> m_delivered{0};
    std::atomic<long> m_target{-1};
};

// Records the moment each timer message is posted (on the timer thread) and
// delivered (on the worker).
class Ticker : public CSimpleThread {
public:
    static const int kMax = 1100;
    ~Ticker() override { Close(); }
    int Delivered() const { return m_delivered.load(); }
    int Others() const { return m_others.load(); }
    void ForgetPosts() { m_posts = 0; }

    double m_posted[kMax];
    double m_delivery[kMax];

protected:
    void Running() override
    {
        while (WaitSingleEvent(nullptr, 0, INFINITE) != 0) {
        }
    }
    void SetMessageEvent() override
    {
        const int n = m_posts.load();
        if (n < kMax) m_posted[n] = NowMs();
        m_posts.store(n + 1);
        CSimpleThread::SetMessageEvent();
    }
    UINT OnEventMessage(_tagEMSG* msg) override
    {
        if (msg->message != EMSG_TIMER) ++m_others;
        return CSimpleThread::OnEventMessage(msg);
    }
    void OnThreadTimer(UINT, UINT_PTR) override
    {
        const int n = m_delivered.load();
        if (n < kMax) m_delivery[n] = NowMs();
        m_delivered.store(n + 1);
    }

private:
    std::atomic<int> m_posts{0};
    std::atomic<int> m_delivered{0};
    std::atomic<int> m_others{0};
};

double Percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    const std::size_t index = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
    return values[index];
}

// What one Win32 event operation costs here: every post signals one.
void EventBaseline()
{
    const int kCalls = 20000;
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    const double start = NowMs();
    for (int i = 0; i < kCalls; ++i) SetEvent(event);
    const double elapsed = NowMs() - start;
    CloseHandle(event);
    std::printf("baseline: SetEvent alone %.1f us per call\n", elapsed * 1000.0 / kCalls);
}

// The same transfer through the system's queue: PostThreadMessage to a
// thread in GetMessage. The system refuses posts beyond its queue quota, so
// the producer waits out a full queue as a real sender would.
std::vector<double> SystemQueueRates(long messages, int runs)
{
    std::vector<double> rates;
    for (int run = 0; run < runs; ++run) {
        HANDLE ready = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        DWORD consumerId = 0;
        std::atomic<long> received{0};
        double end = 0;
        std::thread consumer([&] {
            MSG msg;
            PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // makes the queue
            consumerId = GetCurrentThreadId();
            SetEvent(ready);
            while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
                if (msg.message == WM_USER && ++received == messages) end = NowMs();
            }
        });
        WaitForSingleObject(ready, INFINITE);
        CloseHandle(ready);
        const double start = NowMs();
        for (long i = 0; i < messages; ++i) {
            while (!PostThreadMessageA(consumerId, WM_USER, static_cast<WPARAM>(i), 0)) SwitchToThread();
        }
        while (!PostThreadMessageA(consumerId, WM_QUIT, 0, 0)) SwitchToThread();
        consumer.join();
        if (received != messages) return {};
        rates.push_back(static_cast<double>(messages) / ((end - start) / 1000.0));
    }
    return rates;
}

void Bench(const char* section, const char* figure, double median, double worst, const char* unit, const char* goal)
{
    std::printf("BENCH|%s|%s|%.4g|%.4g|%s|%s\n", section, figure, median, worst, unit, goal);
}

int Throughput()
{
    const long kMessages = 50000;
    Sink sink;
    // Warm-up: the queue can never hold more records than this first burst
    // left on the free list.
    for (long i = 0; i < kMessages; ++i) sink.PostEventMessage(0x8001, 0, 0);
    sink.Expect(kMessages);
    if (!sink.Open() || !sink.WaitDone()) return 1;

    std::vector<double> rates;
    long allocations = 0;
    HANDLE go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE ready = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    for (int run = 0; run < 5; ++run) {
        sink.Expect(kMessages);
        ResetEvent(go);
        // Running before the count starts: starting a thread allocates.
        std::thread producer([&] {
            SetEvent(ready);
            WaitForSingleObject(go, INFINITE);
            for (long i = 0; i < kMessages; ++i) sink.PostEventMessage(0x8001, static_cast<UINT_PTR>(i), 0);
        });
        WaitForSingleObject(ready, INFINITE);
        const long before = alloccount::Count();
        const double start = NowMs();
        SetEvent(go);
        const bool done = sink.WaitDone();
        const double elapsed = NowMs() - start;
        allocations += alloccount::Count() - before;
        producer.join();
        if (!done) return 1;
        rates.push_back(static_cast<double>(kMessages) / (elapsed / 1000.0));
    }
    CloseHandle(go);
    CloseHandle(ready);
    std::printf("post+deliver between two threads: median %.0f messages/s (5 runs of %ld; min %.0f, max %.0f)\n",
                Percentile(rates, 0.5), kMessages, *std::min_element(rates.begin(), rates.end()),
                *std::max_element(rates.begin(), rates.end()));
    std::printf("allocations per message after warm-up: %g (%ld in %ld messages)\n",
                static_cast<double>(allocations) / (5.0 * kMessages), allocations, 5 * kMessages);
    if (allocations != 0) std::printf("  latest by %s (%p)\n", alloccount::LastCallerModule(), alloccount::g_lastCaller.load());

    const std::vector<double> system = SystemQueueRates(kMessages, 5);
    if (system.empty()) return 1;
    const double ours = Percentile(rates, 0.5);
    const double theirs = Percentile(system, 0.5);
    std::printf("PostThreadMessage+GetMessage between two threads: median %.0f messages/s (min %.0f, max %.0f)\n",
                theirs, *std::min_element(system.begin(), system.end()),
                *std::max_element(system.begin(), system.end()));
    Bench("Threads", "event messages between two threads (worst = slowest run)", ours,
          *std::min_element(rates.begin(), rates.end()), "messages/s", "-");
    Bench("Threads", "system thread-message queue, same run (worst = slowest run)", theirs,
          *std::min_element(system.begin(), system.end()), "messages/s", "-");
    Bench("Threads", "event messages / system queue, throughput", ours / theirs,
          *std::min_element(rates.begin(), rates.end()) / *std::max_element(system.begin(), system.end()), "x",
          ">= 1 x");
    Bench("Threads", "allocations per event message after warm-up", static_cast<double>(allocations) / (5.0 * kMessages),
          static_cast<double>(allocations) / (5.0 * kMessages), "count", "0");
    return 0;
}

int TimerLatency()
{
    const int kWarmUp = 20;
    const int kFirings = 1000;
    Ticker ticker;
    // Records for a few messages queued at once, should the worker lag.
    for (int i = 0; i < 64; ++i) ticker.PostEventMessage(0x8001, 0, 0);
    if (!ticker.Open()) return 1;
    if (!WaitUntil([&] { return ticker.Others() == 64; }, 60000)) return 1;
    ticker.ForgetPosts();
    ticker.SetThreadTimer(1, 10, 0);
    if (!WaitUntil([&] { return ticker.Delivered() >= kWarmUp; }, 60000)) return 1;
    const long before = alloccount::Count();
    if (!WaitUntil([&] { return ticker.Delivered() >= kWarmUp + kFirings; }, 120000)) return 1;
    const long allocations = alloccount::Count() - before;
    ticker.KillThreadTimer(1, 1);

    // A timer is due one period after it last fired (was posted).
    std::vector<double> latency, interval;
    for (int n = kWarmUp; n < kWarmUp + kFirings; ++n) {
        latency.push_back(ticker.m_delivery[n] - (ticker.m_posted[n - 1] + 10.0));
        interval.push_back(ticker.m_delivery[n] - ticker.m_delivery[n - 1]);
    }
    std::printf("10 ms timer, due time to OnThreadTimer over %d firings: median %.2f ms, p99 %.2f ms, max %.2f ms\n",
                kFirings, Percentile(latency, 0.5), Percentile(latency, 0.99),
                *std::max_element(latency.begin(), latency.end()));
    std::printf("10 ms timer, interval between calls: median %.2f ms, p99 %.2f ms\n", Percentile(interval, 0.5),
                Percentile(interval, 0.99));
    std::printf("allocations per timer firing after warm-up: %g (%ld in %d firings)\n",
                static_cast<double>(allocations) / kFirings, allocations, kFirings);
    if (allocations != 0) std::printf("  latest by %s (%p)\n", alloccount::LastCallerModule(), alloccount::g_lastCaller.load());
    Bench("Threads", "10 ms thread timer lateness (worst column: p99)", Percentile(latency, 0.5), Percentile(latency, 0.99),
          "ms", "-");
    Bench("Threads", "allocations per timer firing after warm-up", static_cast<double>(allocations) / kFirings,
          static_cast<double>(allocations) / kFirings, "count", "0");
    return 0;
}

}  // namespace

int main()
{
    if (alloccount::Hook(GetModuleHandleA("AhCommon.dll")) == 0) {
        std::fprintf(stderr, "cannot count the library's allocations\n");
        return 1;
    }
    alloccount::Hook(GetModuleHandleA(nullptr));
    if (InitializeTimer() != 1) {
        std::fprintf(stderr, "cannot start the timer service\n");
        return 1;
    }
    EventBaseline();
    int rc = Throughput();
    if (rc == 0) rc = TimerLatency();
    UninitializeTimer();
    if (rc != 0) std::fprintf(stderr, "benchmark failed\n");
    return rc;
}
