#include "bus/CKandoProtocol.h"

#include "backupfile/CFileManager.h"
#include "bus/CKandoNetwork.h"
#include "bus/SkdFileCheck.h"
#include "bus/SkdKeys.h"
#include "gateway/CErrorMessage.h"
#include "job/CMessage.h"
#include "job/CTimer.h"
#include "platform/DialogLink.h"
#include "platform/TimeScale.h"

#include <cstring>

using namespace bus;

void CKandoProtocol::init(CDialogLink* dialog)
{
    m_dialog = dialog;
    m_network = getKandoNetwork();
    m_fileManager = getFileManager();
    m_message = CMessage::getInstance();
}

// ---------------------------------------------------------------- helpers

void CKandoProtocol::report(const std::string& callName, int messageId)
{
    // The send or receive failure that caused the report, not the connect error (0 on an
    // open connection).
    reportError(callName, messageId, m_network ? m_network->getLastError() : 0, m_message);
}

void CKandoProtocol::reportNoReply(const std::string& callName, uint8_t address)
{
    const std::string text = m_message->formatText(MSG_SKD_NO_REPLY, formatSKD(address));
    reportError(callName, text, m_network ? m_network->getLastError() : 0, m_message);
}

bool CKandoProtocol::send(const CBusMessage& message)
{
    return m_network && m_network->sendRequest(message);
}

CKandoProtocol::Exchange CKandoProtocol::exchange(CBusMessage& message, uint32_t timeoutMs, const char* callName)
{
    if (!send(message) && callName) {
        report(callName, MSG_NETWORK_ERROR);
        return Exchange::SendFailed;
    }
    return awaitReply(message, HEADER_SIZE, timeoutMs) ? Exchange::Answered : Exchange::NoReply;
}

void CKandoProtocol::pause(uint32_t ms)
{
    CTimer().pause(ms);
}

std::chrono::nanoseconds CKandoProtocol::closingWaits()
{
    // A request to all SKDs is answered by nobody: its wait is a pause.
    return PROG_MODE_SENDS * scaledPause(PAUSE_PROG_MODE) + scaledPause(WAIT_BROADCAST);
}

int CKandoProtocol::progressSkd(uint8_t address)
{
    return address == ADDR_ALL_SKDS ? CProgressReport::kAllSkds : skdNumber(address);
}

int CKandoProtocol::awaitReply(CBusMessage& message, size_t headerSize, uint32_t timeoutMs)
{
    const bool broadcast = message.length > 1 &&
                           (message.frame[1] == ADDR_ALL_SKDS || message.frame[1] == ADDR_EVERY_STATION);
    // Nobody answers a broadcast: its wait only gives the stations time, and the exchange
    // counts as answered anyway, so it is a pause rather than a time-out for a peer.
    CTimer::Kind kind = CTimer::Timeout;
    if (broadcast) {
        timeoutMs = WAIT_BROADCAST;
        kind = CTimer::Pause;
    }
    if (!m_network)
        return broadcast ? 1 : 0;
    const int length = m_network->receiveReplyHeader(message, headerSize, timeoutMs, kind);
    if (length < 0)
        return broadcast ? 1 : 0;
    const bool complete = m_network->receiveReplyData(message, static_cast<uint32_t>(length));
    return (complete || broadcast) ? 1 : 0;
}

std::string CKandoProtocol::formatSKD(uint8_t address) const
{
    if (address == ADDR_ALL_SKDS)
        return m_message->loadText(MSG_ALL_SKDS);
    return std::to_string(skdNumber(address));
}

// ---------------------------------------------------------------- the job's SKD stage

bool CKandoProtocol::requestSKDChoice()
{
    if (m_dialog)
        m_dialog->sendMessage(WM_SKD_CHOOSE, 0, 0);
    return !m_skdList.empty();
}

void CKandoProtocol::storeChoice(int done, const std::vector<std::string>* list, uint32_t master)
{
    m_master = master;
    m_choiceDone = done;
    if (list)
        m_skdList.insert(m_skdList.end(), list->begin(), list->end());
}

bool CKandoProtocol::runSKDJob(float /*version*/, int mode)
{
    if (mode == 1) {
        m_master = skdAddress(static_cast<int>(m_master));
        backupSKD(m_skdList, static_cast<uint8_t>(m_master));
    } else if (mode == 2) {
        restoreSKD();
    }
    return true;
}

void CKandoProtocol::setProgMode(int on)
{
    for (int i = 0; i < PROG_MODE_SENDS; ++i) {
        CBusMessage message;
        buildProgMode(message, on == 1);
        if (!send(message)) {
            report("setProgMode", MSG_NETWORK_ERROR);
            return;
        }
        pause(PAUSE_PROG_MODE);
    }
}

void CKandoProtocol::resetBus(uint8_t address)
{
    CBusMessage message;
    buildReset(message, address);
    exchange(message, WAIT_RESET, "resetBus");
}

// ---------------------------------------------------------------- single commands

void CKandoProtocol::cleanSKD(uint8_t address)
{
    CBusMessage message;
    buildClean(message, address);
    m_progress->beginWait(ProgressStage::Clean, WAIT_CLEAN, CTimer::Timeout, progressSkd(address));
    exchange(message, WAIT_CLEAN, "cleanSKD");
    m_progress->endWait();
}

void CKandoProtocol::compDB(uint8_t address)
{
    CBusMessage message;
    buildCompDB(message, address);
    if (exchange(message, WAIT_COMPDB, "compDB") == Exchange::NoReply)
        reportNoReply("compDB", address);
}

int CKandoProtocol::getSKDCrc(uint8_t address, CReplyRecord& record)
{
    CBusMessage message;
    buildReadCrc(message, address);
    if (exchange(message, WAIT_CRC, "getSKDCrc") != Exchange::Answered)
        return 0;
    // A reply that fails the check or carries no CRC is as good as none.
    return parseReply(message, record) > 0 ? 1 : 0;
}

void CKandoProtocol::backupSKDCrc(uint8_t address)
{
    CReplyRecord record;
    if (!getSKDCrc(address, record))
        reportNoReply("backupSKDCrc", address);
    storeSKDCrc(record);
}

int CKandoProtocol::lookupBusForId(uint8_t address)
{
    CBusMessage message;
    buildProbe(message, address);
    if (exchange(message, WAIT_PROBE, "lookupBusForId") != Exchange::Answered)
        return 0;
    CReplyRecord reply;
    parseReply(message, reply);
    return reply.source == address ? 1 : 0;
}

int CKandoProtocol::readSKDCfg(uint8_t address, CReplyRecord& record)
{
    CBusMessage message;
    buildReadCfg(message, address);
    if (exchange(message, WAIT_CFG, nullptr) != Exchange::Answered)
        return 0;
    // A reply that fails the check or is shorter than a record is as good as none.
    return parseReply(message, record) >= static_cast<int>(CFG_SIZE) ? 1 : 0;
}

int CKandoProtocol::writeSKDCfg(uint8_t address, const uint8_t* cfg)
{
    CBusMessage message;
    buildWriteCfg(message, address, cfg);
    if (exchange(message, WAIT_CFG, nullptr) != Exchange::Answered)
        return 0;
    CReplyRecord reply;
    parseReply(message, reply);
    return (reply.source == address && reply.code == REPLY_CFG_WRITTEN) ? 1 : 0;
}

void CKandoProtocol::backupSKDCfg(uint8_t address)
{
    CReplyRecord record;
    // Without its record the backup is incomplete: say so, as for a silent SKD.
    if (readSKDCfg(address, record))
        storeSKDCfg(record);
    else
        reportNoReply("backupSKDCfg", address);
}

int CKandoProtocol::restoreSKDCfg(uint8_t address)
{
    uint8_t cfg[CFG_SIZE];
    if (!loadSKDCfg(skdNumber(address), cfg))
        return 0;
    return writeSKDCfg(address, cfg);
}

int CKandoProtocol::restoreMasterCfg(uint8_t masterAddress, uint8_t destination)
{
    uint8_t cfg[CFG_SIZE];
    if (!loadSKDCfg(skdNumber(masterAddress), cfg))
        return 0;
    return writeSKDCfg(destination, cfg);
}

int CKandoProtocol::listBusSKD(std::vector<std::string>& list)
{
    int found = 0;
    m_progress->beginCount(ProgressStage::ScanBus, ProgressUnit::Steps, MAX_SKDS);
    for (int n = 1; n <= MAX_SKDS; ++n) {
        if (lookupBusForId(skdAddress(n))) {
            list.push_back(std::to_string(n));
            ++found;
        }
        m_progress->advance(static_cast<uint64_t>(n));
    }
    return found;
}

// ---------------------------------------------------------------- backup file records

void CKandoProtocol::writeRecord(const std::string& key, const uint8_t* data, int32_t length)
{
    if (!m_fileManager->writeData(key, data, static_cast<size_t>(length)))
        reportError("writeData", MSG_FILE_ERROR, m_fileManager->getLastError(), m_message);
}

void CKandoProtocol::storeSKDData(const CReplyRecord& record)
{
    if (!m_fileManager)
        return;
    const int n = skdNumber(record.source);
    m_fileManager->setInt(skdKey(n, "DataLength"), record.length());
    if (record.length() > 0)
        writeRecord(skdKey(n, "Data"), record.data(), record.length());
}

void CKandoProtocol::storeSKDCrc(const CReplyRecord& record)
{
    if (m_fileManager && record.length() > 0)
        writeRecord(skdKey(skdNumber(record.source), "CRC"), record.data(), record.length());
}

void CKandoProtocol::storeSKDCfg(const CReplyRecord& record)
{
    if (m_fileManager && record.length() >= static_cast<int32_t>(CFG_SIZE))
        writeRecord(skdKey(skdNumber(record.source), "CFG"), record.data(), record.length());
}

void CKandoProtocol::storeMaster(uint8_t address)
{
    if (m_fileManager)
        m_fileManager->setInt(kMasterKey, address);
}

uint8_t CKandoProtocol::loadMaster()
{
    return m_fileManager ? readMaster(*m_fileManager) : 0;
}

int32_t CKandoProtocol::loadSKDData(int number, uint8_t* buffer)
{
    if (!m_fileManager)
        return 0;
    // The image is judged before anything is read into the buffer.
    const SkdFacts facts = readSkd(*m_fileManager, number);
    switch (imageState(facts)) {
    case ImageState::Usable:
        m_fileManager->readData(skdKey(number, "Data"), buffer, static_cast<size_t>(facts.length));
        return facts.length;
    case ImageState::Empty:
        return 0;
    default:
        return -1;
    }
}

int CKandoProtocol::loadRecord(int number, const char* field, uint8_t* buffer)
{
    // Read aside, so that a short record leaves the caller's buffer as it was.
    uint8_t record[RECORD_SIZE];
    size_t decoded = 0;
    const bool present =
        m_fileManager && m_fileManager->readData(skdKey(number, field), record, RECORD_SIZE, &decoded);
    if (!recordUsable(present, decoded))
        return 0;
    std::memcpy(buffer, record, RECORD_SIZE);
    return static_cast<int>(RECORD_SIZE);
}

int CKandoProtocol::loadSKDCrc(int number, uint8_t* buffer)
{
    return loadRecord(number, "CRC", buffer);
}

int CKandoProtocol::loadSKDCfg(int number, uint8_t* buffer)
{
    return loadRecord(number, "CFG", buffer);
}
