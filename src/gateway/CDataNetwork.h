#pragma once

#include "gateway/CNetwork.h"
#include "gateway/GatewayDefs.h"

#include <cstdint>

class CFrame;

// The gateway's configuration-data connection (port 11574) with its frame operations.
// One instance per job, reached through getDataNetwork(); deleting it ends it for good.
class CDataNetwork : public CNetwork
{
public:
    static constexpr uint16_t kPort = gw::PORT;
    static constexpr uint32_t kConnectTimeoutMs = gw::WAIT_CONNECT;
    static constexpr uint32_t kDataTimeoutMs = gw::WAIT_DATA;
    static constexpr uint32_t kCloseTimeoutMs = gw::WAIT_CLOSE;
    static constexpr uint32_t kMaxDataLength = gw::MAX_DATA_LENGTH;

    CDataNetwork() = default;
    ~CDataNetwork() override;

    // The whole frame, within 60 s. False with lastError set.
    bool sendFrame(const CFrame& frame);
    // Reads a header of headerSize bytes (3 or 7) into frame, each receive within timeoutMs,
    // and answers the data length it announces, or -1 with lastError set (100002 for a length
    // above kMaxDataLength). A reply carrying a length field where 3 bytes were asked for
    // (an error reply) has its length read too.
    int receiveHeader(CFrame& frame, uint8_t headerSize, uint32_t timeoutMs);
    // The data block of length bytes, each receive within 60 s. 100002 above kMaxDataLength.
    bool receiveData(CFrame& frame, uint32_t length);
    // Sends the close request and waits for its confirmation (type 6) within 1 s.
    bool closeConnection();
};

// The job's gateway connection, created Closed on first use.
CDataNetwork* getDataNetwork();
