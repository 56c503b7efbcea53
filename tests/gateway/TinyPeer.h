#pragma once

// A minimal TCP peer for transport tests: listens on one loopback address, accepts, sends
// scripted bytes and closes when told to.

#include "TestSupport.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

class TinyPeer
{
public:
    TinyPeer() = default;
    ~TinyPeer();
    TinyPeer(const TinyPeer&) = delete;
    TinyPeer& operator=(const TinyPeer&) = delete;

    // Binds address:port with SO_REUSEADDR and listens with the given backlog.
    bool listen(const std::string& address, uint16_t port, int backlog = 4);
    // Waits up to timeout for one connection; false when none came.
    bool accept(std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));
    // Sends on the accepted connection.
    bool send(const std::vector<uint8_t>& bytes);
    // Reads exactly n bytes within timeout; fewer when the time ran out or the peer closed.
    std::vector<uint8_t> read(size_t n, std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));
    void closeClient();
    // Closes the accepted connection with a reset instead of an orderly end.
    void resetClient();
    void closeListener();

private:
    testsupport::Socket m_listener = testsupport::kNoSocket;
    testsupport::Socket m_client = testsupport::kNoSocket;
};

// Fills the accept queue of a listener with backlog 0 so that a further connect hangs:
// opens client connections until one does not complete. Holds them until destroyed.
class BacklogFiller
{
public:
    ~BacklogFiller();
    // True once a connect to address:port stays pending.
    bool fill(const std::string& address, uint16_t port);

private:
    std::vector<testsupport::Socket> m_fds;
};
