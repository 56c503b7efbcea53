// The SKD backup sequence of CKandoProtocol.
#include "bus/CKandoNetwork.h"
#include "bus/CKandoProtocol.h"
#include "bus/SkdKeys.h"
#include "job/CMessage.h"
#include "platform/TimeScale.h"

using namespace bus;

void CKandoProtocol::backupSKD(const std::vector<std::string>& list, uint8_t masterAddress)
{
    storeMaster(masterAddress);
    const int count = masterAddress > ADDR_SKD_BASE ? 1 : static_cast<int>(list.size());
    int index = 0;
    for (const std::string& entry : list) {
        uint8_t address = skdAddress(entryNumber(entry));
        // Identical data: only the master is read, once.
        if (masterAddress > ADDR_SKD_BASE)
            address = masterAddress;
        // After this transfer: its pause, then each further SKD's transfer and pause.
        const int later = count - 1 - index++;
        m_progress->setAhead((later + 1) * scaledPause(PAUSE_AFTER_TEMPLATES) + closingWaits(), later, TEMPLATE_SIZE);
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
    const std::string name = formatSKD(address);
    CReplyRecord reply;
    CReplyRecord image;

    // The stage first: a front end that redraws its progress after the line shows this SKD.
    m_progress->beginCount(ProgressStage::SkdBackup, ProgressUnit::Bytes, TEMPLATE_SIZE, progressSkd(address));
    m_message->post(MSG_SKD_BACKUP_START, name);
    // One count of unanswered exchanges for reads and write-backs alike; only a good read
    // clears it. The SKD counts as silent when it reaches MAX_FAILURES.
    int failures = 0;
    uint32_t offset = TEMPLATE_START;
    uint8_t length = CHUNK;
    while (length > 0) {
        int n = 0;
        const ChunkRead read = readTemplateChunk(address, offset, length, reply, n);
        if (read == ChunkRead::SendFailed)
            break;
        if (read == ChunkRead::NoReply) {
            if (++failures >= MAX_FAILURES) {
                m_message->post(MSG_SKD_NO_REPLY, name);
                break;
            }
            continue;
        }
        failures = 0;
        image.source = reply.source;
        image.appendData(reply.data(), static_cast<size_t>(n));

        if (!writeBackTemplateChunk(address, offset, reply.data(), static_cast<uint8_t>(n), failures)) {
            m_message->post(MSG_SKD_NO_REPLY, name);
            break;
        }
        offset += static_cast<uint32_t>(n);
        length = nextChunk(offset);
        m_progress->advance(offset - TEMPLATE_START);
    }
    storeSKDData(image);
    m_message->post(MSG_SKD_BACKUP_DONE, name);
}

CKandoProtocol::ChunkRead CKandoProtocol::readTemplateChunk(uint8_t address, uint32_t offset, uint8_t length,
                                                            CReplyRecord& reply, int& n)
{
    CBusMessage message;
    buildReadChunk(message, address, offset, length);
    const Exchange answer = exchange(message, WAIT_CHUNK, "backupTemplates");
    if (answer == Exchange::SendFailed)
        return ChunkRead::SendFailed;
    if (answer != Exchange::Answered)
        return ChunkRead::NoReply;
    // Only a well-formed reply from the SKD asked, with 1..length bytes, is taken: anything
    // else would put foreign or stale bytes into the image or stall the transfer.
    reply.source = 0;
    reply.clear();
    n = parseReply(message, reply);
    return (n > 0 && n <= length && reply.source == address) ? ChunkRead::Read : ChunkRead::NoReply;
}

bool CKandoProtocol::writeBackTemplateChunk(uint8_t address, uint32_t offset, const uint8_t* data, uint8_t n,
                                            int& failures)
{
    for (;;) {
        CBusMessage write;
        buildWriteChunk(write, address, offset, data, n);
        // A failed send is not retried here: the next read's send fails too and ends the transfer.
        if (exchange(write, WAIT_CHUNK, "backupTemplates") != Exchange::NoReply)
            return true;
        pause(PAUSE_RETRY);
        if (++failures >= MAX_FAILURES)
            return false;
    }
}
