#include "backupfile/CFileManager.h"
#include "bus/CKandoNetwork.h"
#include "bus/CKandoProtocol.h"
#include "bus/SkdFileCheck.h"
#include "bus/SkdKeys.h"
#include "gateway/CErrorMessage.h"
#include "job/CMessage.h"
#include "platform/DialogLink.h"
#include "platform/TimeScale.h"

#include <algorithm>
#include <cstring>
#include <memory>

using namespace bus;

namespace {

void appendNumber(std::string& list, int number)
{
    if (!list.empty())
        list += ", ";
    list += std::to_string(number);
}

}  // namespace

void CKandoProtocol::restoreSKD()
{
    std::vector<std::string> restoreList;
    std::unique_ptr<uint8_t[]> data(new uint8_t[REPLY_BUFFER]);
    uint8_t crc[CRC_SIZE] = {};
    std::string failed;

    const uint8_t masterAddress = loadMaster();
    compareSKDLists(restoreList, masterAddress != 0);
    const bool masterMode = isMasterMode(masterAddress);

    if (m_restoreOnly != 0) {
        if (!restoreOneSKD(restoreList, masterAddress, data.get()))
            appendNumber(failed, m_restoreOnly);
        showFailedSKDs(failed);
        return;
    }

    // The fixed waits still ahead, for the job's time left. One SKD of its own: the clean
    // pause, its transfer and the pause after it. All at once: every chunk waits the fixed
    // time of a request to all SKDs, and the check scans the bus again, where each absent
    // SKD costs a probe's time-out.
    const auto afterTemplates = scaledPause(PAUSE_AFTER_TEMPLATES);
    const auto perSkd = scaledPause(PAUSE_CLEAN_ONE) + afterTemplates;
    const int onBus = static_cast<int>(m_skdList.size());
    const auto masterCheck = onBus * scaledPause(PAUSE_CFG_PER_SKD) + (MAX_SKDS - onBus) * scaledTimeout(WAIT_PROBE);
    const auto masterTransfer = static_cast<int>(TEMPLATE_CHUNKS) * scaledPause(WAIT_BROADCAST);
    int later = static_cast<int>(restoreList.size());

    for (const std::string& entry : restoreList) {
        --later;
        const int n = entryNumber(entry);
        const int32_t length = loadSKDData(n, data.get());
        if (length <= 0) {
            // No usable image: cleaning would only wipe the SKD.
            reportUnusableImage(n);
            appendNumber(failed, n);
            if (masterMode)
                break;
            continue;
        }
        // Without a CRC of its own the SKD cannot be verified.
        const bool haveCrc = loadSKDCrc(n, crc) == static_cast<int>(CRC_SIZE);
        const uint8_t* expected = haveCrc ? crc : nullptr;

        uint8_t address = skdAddress(n);
        if (masterMode) {
            address = ADDR_ALL_SKDS;
            m_progress->setAhead(scaledPause(PAUSE_CLEAN_ALL) + masterTransfer + afterTemplates + masterCheck + closingWaits(),
                                 0, TEMPLATE_SIZE);
            cleanAllSKD();
            m_progress->setAhead(masterTransfer + afterTemplates + masterCheck + closingWaits(), 0, TEMPLATE_SIZE);
            m_progress->beginWait(ProgressStage::Clean, PAUSE_CLEAN_ALL, CTimer::Pause, CProgressReport::kAllSkds);
            pause(PAUSE_CLEAN_ALL);
            m_progress->setAhead(afterTemplates + masterCheck + closingWaits(), 0, TEMPLATE_SIZE);
        } else {
            m_progress->setAhead(afterTemplates + later * perSkd + closingWaits(), later + 1, TEMPLATE_SIZE);
            cleanSKD(address);
            m_progress->endWait(PAUSE_CLEAN_ONE);
            pause(PAUSE_CLEAN_ONE);
            m_progress->setAhead(afterTemplates + later * perSkd + closingWaits(), later, TEMPLATE_SIZE);
        }
        restoreTemplates(address, data.get(), length);
        pause(PAUSE_AFTER_TEMPLATES);

        if (masterMode) {
            // Sent to all SKDs, the record is acknowledged by none: only its absence is known.
            uint8_t cfg[CFG_SIZE];
            if (loadSKDCfg(skdNumber(masterAddress), cfg) == 0)
                m_message->post(MSG_SKD_CFG_NOT_RESTORED, formatSKD(ADDR_ALL_SKDS));
            else
                restoreMasterCfg(masterAddress);
            pause(static_cast<uint32_t>(m_skdList.size()) * PAUSE_CFG_PER_SKD);
            m_progress->setAhead(closingWaits(), 0, TEMPLATE_SIZE);
            failed = checkAllSKDCrc(expected);
            break;
        }
        if (!restoreSKDCfg(address))
            m_message->post(MSG_SKD_CFG_NOT_RESTORED, formatSKD(address));
        m_progress->setAhead(later * perSkd + closingWaits(), later, TEMPLATE_SIZE);
        if (!checkSKDCrc(address, expected))
            appendNumber(failed, n);
    }

    showFailedSKDs(failed);
}

void CKandoProtocol::reportUnusableImage(int number)
{
    const std::string text = m_message->formatText(MSG_SKD_NOT_RESTORED, std::to_string(number));
    reportError("restoreSKD", text, ERR_FILE_DAMAGED, m_message);
}

void CKandoProtocol::showFailedSKDs(const std::string& failed)
{
    if (failed.empty())
        return;
    const std::string text = m_message->formatText(MSG_SKD_NOT_RESTORED, failed);
    if (m_dialog)
        m_dialog->messageBox(text);
}

bool CKandoProtocol::restoreOneSKD(const std::vector<std::string>& restoreList, uint8_t masterAddress, uint8_t* data)
{
    std::vector<int> list;
    for (const std::string& entry : restoreList)
        list.push_back(entryNumber(entry));
    const bool masterMode = isMasterMode(masterAddress);
    const int source = imageSource(list, masterMode, m_restoreOnly);
    const int32_t length = source != 0 ? loadSKDData(source, data) : 0;
    if (length <= 0) {
        reportUnusableImage(m_restoreOnly);
        return false;
    }
    uint8_t crc[CRC_SIZE];
    const bool haveCrc = loadSKDCrc(source, crc) == static_cast<int>(CRC_SIZE);

    // Everything goes to the SKD's own address, so it answers each step and no other SKD
    // is touched.
    const uint8_t address = skdAddress(m_restoreOnly);
    cleanSKD(address);
    m_progress->endWait(PAUSE_CLEAN_ONE);
    pause(PAUSE_CLEAN_ONE);
    restoreTemplates(address, data, length);
    pause(PAUSE_AFTER_TEMPLATES);
    // Sent to the SKD's own address, the record is acknowledged in either mode.
    const int configured = masterMode ? restoreMasterCfg(masterAddress, address) : restoreSKDCfg(address);
    if (!configured)
        m_message->post(MSG_SKD_CFG_NOT_RESTORED, formatSKD(address));
    return checkSKDCrc(address, haveCrc ? crc : nullptr) != 0;
}

void CKandoProtocol::compareSKDLists(std::vector<std::string>& restoreList, bool masterFlag)
{
    listBusSKD(m_skdList);
    auto onBus = [this](int n) {
        return std::any_of(m_skdList.begin(), m_skdList.end(),
                           [n](const std::string& entry) { return entryNumber(entry) == n; });
    };
    const std::vector<int> inFile = m_fileManager ? fileSkdList(*m_fileManager) : std::vector<int>{};
    for (int n = 1; n <= MAX_SKDS; ++n) {
        if (std::find(inFile.begin(), inFile.end(), n) != inFile.end()) {
            if (!onBus(n) && m_restoreOnly == 0)
                m_message->post(MSG_SKD_ONLY_IN_FILE, n);
            restoreList.push_back(std::to_string(n));
        } else if (!masterFlag && onBus(n) && m_restoreOnly == 0) {
            m_message->post(MSG_SKD_ONLY_ON_BUS, n);
        }
    }
    // Restoring one SKD, only that SKD's absence is worth a warning.
    if (m_restoreOnly != 0 && !onBus(m_restoreOnly))
        m_message->post(MSG_SKD_ONLY_IN_FILE, m_restoreOnly);
}

void CKandoProtocol::cleanAllSKD()
{
    std::vector<std::string> list;
    listBusSKD(list);
    for (const std::string& entry : list)
        cleanSKD(skdAddress(entryNumber(entry)));
}

void CKandoProtocol::restoreTemplates(uint8_t address, const uint8_t* data, int32_t storedLength)
{
    const std::string name = formatSKD(address);
    // Beyond the stored image the area gets zeros, never leftovers of another SKD.
    const uint32_t usable = static_cast<uint32_t>(std::clamp<int32_t>(storedLength, 0, TEMPLATE_SIZE));

    m_progress->beginCount(ProgressStage::SkdRestore, ProgressUnit::Bytes, TEMPLATE_SIZE, progressSkd(address));
    m_message->post(MSG_SKD_RESTORE_START, name);
    uint32_t offset = TEMPLATE_START;
    uint8_t chunk = CHUNK;
    int failures = 0;
    while (chunk > 0) {
        uint8_t bytes[CHUNK] = {};
        const uint32_t position = offset - TEMPLATE_START;
        if (position < usable)
            std::memcpy(bytes, data + position, std::min<uint32_t>(chunk, usable - position));

        CBusMessage message;
        buildWriteChunk(message, address, offset, bytes, chunk);
        const Exchange answer = exchange(message, WAIT_CHUNK, "restoreTemplates");
        if (answer == Exchange::SendFailed)
            break;
        if (answer == Exchange::Answered) {
            failures = 0;
            offset += chunk;
            chunk = nextChunk(offset);
            m_progress->advance(offset - TEMPLATE_START);
            continue;
        }
        // Unacknowledged: the same chunk goes again, so no hole is left in the SKD.
        ++failures;
        pause(PAUSE_RETRY);
        if (failures >= MAX_FAILURES) {
            m_message->post(MSG_SKD_NO_REPLY, name);
            break;
        }
    }
    m_message->post(MSG_SKD_RESTORE_DONE, name);
}

int CKandoProtocol::checkSKDCrc(uint8_t address, const uint8_t* expected)
{
    const std::string number = std::to_string(skdNumber(address));
    if (!expected) {
        m_message->post(MSG_SKD_NOT_RESTORED, number);
        return 0;
    }
    CReplyRecord record;
    m_progress->beginWait(ProgressStage::CheckCrc, WAIT_CRC, CTimer::Timeout, progressSkd(address));
    const int answered = getSKDCrc(address, record);
    m_progress->endWait();
    if (!answered)
        reportNoReply("checkSKDCrc", address);
    const bool match = record.length() >= static_cast<int32_t>(CRC_SIZE) &&
                       std::memcmp(record.data(), expected, CRC_SIZE) == 0;
    if (!match) {
        m_message->post(MSG_SKD_NOT_RESTORED, number);
        return 0;
    }
    return answered;
}

std::string CKandoProtocol::checkAllSKDCrc(const uint8_t* expected)
{
    std::vector<std::string> list;
    listBusSKD(list);
    std::string failed;
    for (const std::string& entry : list) {
        const int n = entryNumber(entry);
        if (!checkSKDCrc(skdAddress(n), expected))
            appendNumber(failed, n);
    }
    return failed;
}
