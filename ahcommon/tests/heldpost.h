// Holds the timer thread inside a post to an owner (called from the owner's
// SetMessageEvent) while the test destroys that owner on another thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <thread>

class HeldPost {
public:
    HeldPost()
        : m_entered(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
          m_release(CreateEventA(nullptr, TRUE, FALSE, nullptr))
    {
    }
    ~HeldPost()
    {
        CloseHandle(m_entered);
        CloseHandle(m_release);
    }
    HeldPost(const HeldPost&) = delete;
    HeldPost& operator=(const HeldPost&) = delete;

    // On the posting thread: the first call waits for Release. False when
    // the owner was destroyed meanwhile, so that the post must not touch it.
    bool Hold()
    {
        if (m_held.exchange(true)) return !m_ownerGone;
        SetEvent(m_entered);
        WaitForSingleObject(m_release, 10000);
        if (m_ownerGone) m_outlivedOwner = true;
        return !m_ownerGone;
    }
    bool WaitHeld() const { return WaitForSingleObject(m_entered, 10000) == WAIT_OBJECT_0; }

    // Deletes `owner` on another thread and then marks it gone. The delete
    // is given time to return before the post is released: it must not.
    template <typename T>
    void DestroyDuringPost(T* owner)
    {
        std::thread destroyer([this, owner] {
            delete owner;
            m_ownerGone = true;
        });
        Sleep(200);
        SetEvent(m_release);
        destroyer.join();
    }

    // The held post went on after its owner's delete had returned.
    bool OutlivedOwner() const { return m_outlivedOwner; }

private:
    HANDLE m_entered;
    HANDLE m_release;
    std::atomic<bool> m_held{false};
    std::atomic<bool> m_ownerGone{false};
    std::atomic<bool> m_outlivedOwner{false};
};
