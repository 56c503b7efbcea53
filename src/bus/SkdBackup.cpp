#include "bus/CKandoNetwork.h"
#include "bus/CKandoProtocol.h"
#include "bus/SkdKeys.h"
#include "job/CMessage.h"

using namespace bus;

void CKandoProtocol::backupSKD(const std::vector<std::string>& list, uint8_t masterAddress)
{
    storeMaster(masterAddress);
    for (const std::string& entry : list) {
        uint8_t address = static_cast<uint8_t>(ADDR_SKD_BASE + entryNumber(entry));
        // Identical data: only the master is read, once.
        if (masterAddress > ADDR_SKD_BASE)
            address = masterAddress;
        compDB(address);
        backupTemplates(address);
        pause(PAUSE_AFTER_TEMPLATES);
        backupSKDCfg(address);
        backupSKDCrc(address);
        if (address == masterAddress)
            break;
    }
}

void CKandoProtocol::backupTemplates(uint8_t address)
{
    CMessage* messages = CMessage::getInstance();
    const std::string name = formatSKD(address);
    CReplyRecord reply;
    CReplyRecord image;

    messages->post(164, name);
    uint32_t offset = TEMPLATE_START;
    uint8_t length = CHUNK;
    int failures = 0;
    for (;;) {
        CBusMessage message;
        buildReadChunk(message, address, offset, length);
        const Exchange answer = exchange(message, WAIT_CHUNK, "backupTemplates");
        if (answer == Exchange::SendFailed)
            break;
        // Only a well-formed reply from the SKD asked, with 1..length bytes, is taken: anything
        // else would put foreign or stale bytes into the image or stall the transfer.
        reply.source = 0;
        reply.clear();
        int n = 0;
        bool read = answer == Exchange::Answered;
        if (read) {
            n = parseReply(message, reply);
            read = n > 0 && n <= length && reply.source == address;
        }
        if (!read) {
            if (++failures >= MAX_FAILURES) {
                messages->post(162, name);
                break;
            }
            continue;
        }
        image.source = reply.source;
        image.appendData(reply.data(), static_cast<size_t>(n));
        failures = 0;

        // Write the bytes back unchanged to the same place.
        bool gaveUp = false;
        for (;;) {
            CBusMessage write;
            buildWriteChunk(write, address, offset, reply.data(), static_cast<uint8_t>(n));
            if (exchange(write, WAIT_CHUNK, "backupTemplates") != Exchange::NoReply)
                break;
            pause(PAUSE_RETRY);
            if (++failures >= MAX_FAILURES) {
                messages->post(162, name);
                gaveUp = true;
                break;
            }
        }
        if (gaveUp)
            break;

        offset += static_cast<uint32_t>(n);
        length = nextChunk(offset);
        if (length == 0)
            break;
    }
    storeSKDData(image);
    messages->post(165, name);
}
