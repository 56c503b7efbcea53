#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

// The thread base of the job worker: start() runs run() on a thread of its own.
// A derived class whose run() uses its own members must join() in its destructor,
// because by the time this destructor joins, the derived part is already gone.
//
// The object may be deleted from within run() on its own thread (a dialog link that runs
// the job's end notice on the caller's thread, and a handler that deletes the job there):
// join() then lets the thread go, run() only begins once start() is done with the object,
// and the thread touches nothing of the object after run() has returned. run() itself must
// touch no member after the point where it may have been deleted.
class CBaseThread
{
public:
    CBaseThread() = default;
    virtual ~CBaseThread();  // joins
    CBaseThread(const CBaseThread&) = delete;
    CBaseThread& operator=(const CBaseThread&) = delete;

    // Starts the thread once; false when it could not be created or was started before.
    bool start();
    // Waits until run() has returned; does nothing when the thread never started or was
    // joined. Called on the thread itself, it cannot wait and lets the thread go instead.
    void join();
    bool isStarted() const { return m_started; }

    // run()'s answer, once the thread has been joined.
    int exitCode() const { return m_shared->exitCode.load(); }
    uint32_t threadId() const { return m_shared->threadId.load(); }

protected:
    virtual int run() = 0;

private:
    // What the thread writes, owned by the thread and the object together, so that the
    // thread's last write never lands in an object deleted from within run().
    struct Shared {
        std::atomic<bool> go{false};  // start() has done its part; run() may begin
        std::atomic<uint32_t> threadId{0};
        std::atomic<int> exitCode{0};
    };

    std::thread m_thread;
    std::shared_ptr<Shared> m_shared = std::make_shared<Shared>();
    bool m_started = false;
};
