#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

// The thread base of the job worker: start() runs run() on a thread of its own.
// A derived class whose run() uses its own members must join() in its destructor,
// because by the time this destructor joins, the derived part is already gone.
class CBaseThread
{
public:
    CBaseThread() = default;
    virtual ~CBaseThread();  // joins
    CBaseThread(const CBaseThread&) = delete;
    CBaseThread& operator=(const CBaseThread&) = delete;

    // Starts the thread once; false when it could not be created or was started before.
    bool start();
    // Waits until run() has returned; does nothing when the thread never started or was joined.
    void join();
    bool isStarted() const { return m_started; }

    // run()'s answer, once the thread has been joined.
    int exitCode() const { return m_exitCode; }
    uint32_t threadId() const { return m_threadId.load(); }

protected:
    virtual int run() = 0;

private:
    std::thread m_thread;
    std::atomic<uint32_t> m_threadId{0};
    bool m_started = false;
    int m_exitCode = 0;
};
