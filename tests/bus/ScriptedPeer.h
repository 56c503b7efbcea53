#pragma once

#include "TestSupport.h"

#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

// A one-connection peer on the bus-module port whose behaviour is a script run on its own
// thread with the accepted socket.
class ScriptedPeer
{
public:
    using Script = std::function<void(class ScriptedPeer&)>;

    ScriptedPeer(const std::string& address, uint16_t port, Script script);
    ~ScriptedPeer();  // closes and joins

    bool listening() const { return m_listen != testsupport::kNoSocket; }

    // For the script.
    std::vector<uint8_t> readMessage();  // header and frame of one request; empty at close
    void write(const std::vector<uint8_t>& bytes);
    void closeConnection();

private:
    testsupport::Socket m_listen = testsupport::kNoSocket;
    testsupport::Socket m_conn = testsupport::kNoSocket;
    Script m_script;
    std::thread m_thread;
};
