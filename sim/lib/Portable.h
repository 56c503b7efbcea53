#pragma once

// The few system calls the simulator, nexo-sim and the tests' own peers need that differ
// between POSIX and Windows: plain sockets, a wake-up for waits, and the stop signal. Written
// apart from the tool's platform layer, so the two are checked against each other.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace portable {

// A socket descriptor or handle; kNoSocket when there is none.
using Socket = std::intptr_t;
constexpr Socket kNoSocket = -1;

// Starts the socket library once (Windows); true when sockets can be used.
bool startSockets();

// The last socket call's error as text; whether it only means "try again" (would block,
// interrupted); whether an accept met a connection that was given up before it was taken.
std::string lastSocketError();
bool lastSocketErrorIsTransient();
bool lastSocketErrorIsAbortedConnection();

// A listener on ip:port with SO_REUSEADDR; kNoSocket with *error set when it cannot be had.
Socket listenOn(const std::string& ip, uint16_t port, int backlog, bool nonBlocking, std::string* error = nullptr);
// One connection from the listener; kNoSocket when none could be taken.
Socket acceptFrom(Socket listener, bool nonBlocking);
// A blocking connect; kNoSocket when it failed.
Socket connectTo(const std::string& ip, uint16_t port);
// A non-blocking connect: kNoSocket on failure; *pending tells whether it is still under way.
Socket startConnect(const std::string& ip, uint16_t port, bool* pending);
void closeSocket(Socket& socket);
// Closes with a reset instead of the orderly end of the stream (SO_LINGER of 0).
void resetSocket(Socket& socket);
void setNoDelay(Socket socket);

// One send or receive: the count, 0 at the end of the stream (receive), -1 on error. A send
// never raises a signal.
long sendSome(Socket socket, const void* data, size_t size);
long receiveSome(Socket socket, void* buffer, size_t size);

// Something another thread can signal to end a wait early.
class WakeUp
{
public:
    WakeUp() = default;
    ~WakeUp();
    WakeUp(const WakeUp&) = delete;
    WakeUp& operator=(const WakeUp&) = delete;

    bool open(std::string* error = nullptr);
    void close();
    void signal();

private:
    friend int waitFor(Socket, short, std::chrono::nanoseconds, const WakeUp*);
    Socket m_read = kNoSocket;
    Socket m_write = kNoSocket;
};

enum Events : short { Readable = 0x1, Writable = 0x2 };

// Waits until the socket shows one of events (an error or hang-up counts as both), the wake-up
// is signalled, or the time is over (a negative time: no limit). 1 events, 0 time-out,
// -1 woken or failed. A socket of kNoSocket waits on the wake-up alone.
int waitFor(Socket socket, short events, std::chrono::nanoseconds timeout, const WakeUp* wake);

// Sets an environment variable of this process; nullptr removes it (on Windows so does "").
void setEnvironment(const char* name, const char* value);

// Ctrl-C and the like end the program's wait: blockStopSignals before any thread starts,
// then waitForStopSignal on the main thread.
void blockStopSignals();
void waitForStopSignal();

}  // namespace portable
