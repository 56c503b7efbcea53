#include "job/CTimer.h"

#include "platform/TimeScale.h"

#include <thread>

CTimer::~CTimer()
{
    stop();
}

void CTimer::start(uint32_t ms, Kind kind)
{
    stop();
    m_interval = ms;
    m_deadline = std::chrono::steady_clock::now() + (kind == Timeout ? scaledTimeout(ms) : scaledPause(ms));
    m_running = true;
}

bool CTimer::isRunning() const
{
    return m_running && std::chrono::steady_clock::now() < m_deadline;
}

void CTimer::wait()
{
    if (m_running)
        std::this_thread::sleep_until(m_deadline);
    m_running = false;
}

void CTimer::stop()
{
    m_running = false;
}

void CTimer::pause(uint32_t ms)
{
    start(ms, Pause);
    wait();
}

std::chrono::nanoseconds CTimer::remaining() const
{
    if (!m_running)
        return std::chrono::nanoseconds::zero();
    const auto left = m_deadline - std::chrono::steady_clock::now();
    if (left <= std::chrono::steady_clock::duration::zero())
        return std::chrono::nanoseconds::zero();
    return std::chrono::duration_cast<std::chrono::nanoseconds>(left);
}
