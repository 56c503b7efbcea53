#include "job/CBaseThread.h"

#include "platform/Thread.h"

#include <system_error>

CBaseThread::~CBaseThread()
{
    join();
}

bool CBaseThread::start()
{
    if (m_started)
        return false;
    const std::shared_ptr<Shared> shared = m_shared;
    try {
        m_thread = std::thread([this, shared] {
            // run() may delete this object: not before start() is done with it.
            shared->go.wait(false);
            shared->threadId = osthread::currentId();
            const int code = run();
            // From here on this object may be gone.
            shared->exitCode = code;
        });
    } catch (const std::system_error&) {
        return false;
    }
    m_started = true;
    shared->go = true;
    shared->go.notify_one();
    return true;
}

void CBaseThread::join()
{
    if (!m_thread.joinable())
        return;
    // A handler that deletes the job from within the job's own last message runs on the
    // worker itself: it cannot wait for itself, and the thread ends right after without
    // touching this object again.
    if (m_thread.get_id() == std::this_thread::get_id())
        m_thread.detach();
    else
        m_thread.join();
}
