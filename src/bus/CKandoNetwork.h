#pragma once

#include "bus/BusFrame.h"
#include "gateway/CNetwork.h"
#include "job/CTimer.h"

#include <cstddef>
#include <cstdint>

// The bus-module connection (port 11575): bus messages with a 4-byte header
// (0x01, type, 16-bit little-endian frame length) over the transport of CNetwork.
class CKandoNetwork : public CNetwork
{
public:
    CKandoNetwork() = default;
    ~CKandoNetwork() override;  // clears the accessor

    // Drops pending input, then sends header and frame, finishing partial and would-block
    // sends within 60 s. False with lastError set when the message could not all go out.
    bool sendRequest(const CBusMessage& message);

    // Assembles the header over as many receives as the time-out allows. Answers the
    // announced frame length (message type and length set), or -1 with lastError set when
    // the header is still short at the time-out or at close, or announces more than a
    // message can hold.
    int receiveReplyHeader(CBusMessage& message, size_t headerSize, uint32_t timeoutMs,
                           CTimer::Kind kind = CTimer::Timeout);

    // Receives length frame bytes (60 s per receive) and stores them as the message's frame.
    // Length 0 leaves an empty frame. False with lastError set when the body was cut short.
    bool receiveReplyData(CBusMessage& message, uint32_t length);

    // Throws away whatever is waiting to be received (late replies to earlier requests).
    void discardInput();
};

// The one bus-module connection, created on first use. Deleting it makes the next call
// create a fresh one; a deleted instance is never handed out again.
CKandoNetwork* getKandoNetwork();
