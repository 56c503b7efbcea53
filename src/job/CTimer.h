#pragma once

#include <chrono>
#include <cstdint>

// The one-shot timer of every pause and time-out: a deadline on the steady clock.
// No thread and no busy waiting: wait() sleeps until the deadline, and time-outs are
// polled by blocking in poll() for remaining().
//
// start(n) starts a fresh countdown of n ms (after stopping a countdown still going);
// isRunning() is true until the deadline has passed or stop() was called; wait() blocks
// until the deadline and leaves the timer idle; stop() ends the countdown at once.
// Every interval passes through the process-wide time scale (platform/TimeScale.h):
// a Pause scales freely, a Timeout never drops below 50 ms.
// The owner is one thread at a time.
class CTimer
{
public:
    enum Kind { Pause, Timeout };

    CTimer() = default;
    ~CTimer();
    CTimer(const CTimer&) = delete;
    CTimer& operator=(const CTimer&) = delete;

    void start(uint32_t ms, Kind kind = Pause);
    bool isRunning() const;
    void wait();
    void stop();
    // A pause of ms: start(ms) then wait().
    void pause(uint32_t ms);

    uint32_t interval() const { return m_interval; }
    // Time left until the deadline; zero when idle or expired.
    std::chrono::nanoseconds remaining() const;

private:
    uint32_t m_interval = 1000;
    bool m_running = false;
    std::chrono::steady_clock::time_point m_deadline{};
};
