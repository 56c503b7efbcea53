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
    try {
        m_thread = std::thread([this] {
            m_threadId = osthread::currentId();
            m_exitCode = run();
        });
    } catch (const std::system_error&) {
        return false;
    }
    m_started = true;
    return true;
}

void CBaseThread::join()
{
    if (!m_thread.joinable())
        return;
    // A handler that deletes the job from within the job's own last message runs on the
    // worker itself: it cannot wait for itself, and the thread ends right after.
    if (m_thread.get_id() == std::this_thread::get_id())
        m_thread.detach();
    else
        m_thread.join();
}
