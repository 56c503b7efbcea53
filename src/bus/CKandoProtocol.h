#pragma once

#include "bus/BusFrame.h"
#include "job/CJobProgress.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CDialogLink;
class CFileManager;
class CKandoNetwork;
class CMessage;

// The job's bus-module protocol: the single SKD commands, the SKD records of the backup
// file, and the SKD backup and restore sequences. One instance per job, used on the worker
// thread (and by the SKD choice handler on the dialog thread while the worker waits).
// Nothing here fails the job: failures become status lines.
class CKandoProtocol
{
public:
    CKandoProtocol() = default;
    virtual ~CKandoProtocol() = default;
    CKandoProtocol(const CKandoProtocol&) = delete;
    CKandoProtocol& operator=(const CKandoProtocol&) = delete;

    // Takes the dialog and fetches the job's bus connection, backup file and status sink.
    void init(CDialogLink* dialog);
    // The job's progress reporter; none (the default): no progress is reported.
    void setProgress(CJobProgress* progress) { m_progress = progress ? progress : &m_noProgress; }

    // --- the job's SKD stage ---
    // Asks the dialog for the SKD choice (WM_SKD_CHOOSE); true when the SKD list is not empty.
    bool requestSKDChoice();
    // Mode 1: backup of the chosen SKDs, mode 2: restore. Always true.
    bool runSKDJob(float version, int mode);
    void setProgMode(int on);
    // The restore's scope: SKD number alone (from its own records, or in master mode from
    // the master's image and records, sent to its own address), or 0 for every SKD of the
    // file. Set before runSKDJob; a backup ignores it.
    void setRestoreOnly(int number) { m_restoreOnly = number; }
    int restoreOnly() const { return m_restoreOnly; }
    void resetBus(uint8_t address);

    // Dialog thread, inside WM_SKD_CHOOSE: done flag, the chosen list appended (when given),
    // master = an SKD number (0 for none).
    void storeChoice(int done, const std::vector<std::string>* list, uint32_t master);
    int choiceDone() const { return m_choiceDone; }
    const std::vector<std::string>& skdList() const { return m_skdList; }
    uint32_t master() const { return m_master; }

    // Appends the numbers ("1".."8") of the SKDs that answer a presence probe; answers how many.
    int listBusSKD(std::vector<std::string>& list);
    // The display name of an address: its SKD number, or MSG_ALL_SKDS for all SKDs.
    std::string formatSKD(uint8_t address) const;

    // --- single commands ---
    void cleanSKD(uint8_t address);
    void compDB(uint8_t address);
    // 1 when a valid reply with data came (decoded into record), else 0.
    int getSKDCrc(uint8_t address, CReplyRecord& record);
    // Stores the CRC record; no usable reply is reported as a silent SKD (MSG_SKD_NO_REPLY).
    void backupSKDCrc(uint8_t address);
    int lookupBusForId(uint8_t address);
    // 1 when a valid reply of at least CFG_SIZE data bytes came (decoded into record), else 0.
    int readSKDCfg(uint8_t address, CReplyRecord& record);
    int writeSKDCfg(uint8_t address, const uint8_t* cfg);  // CFG_SIZE bytes
    // Stores the configuration record; no usable reply is reported as for backupSKDCrc.
    void backupSKDCfg(uint8_t address);
    int restoreSKDCfg(uint8_t address);
    // To every SKD unless a destination is given.
    int restoreMasterCfg(uint8_t masterAddress, uint8_t destination = bus::ADDR_ALL_SKDS);

    // 1 when the exchange counts as answered (always for 207 and 255, after 300 ms).
    int awaitReply(CBusMessage& message, size_t headerSize, uint32_t timeoutMs);

    // --- backup file records (SKD number from the record's source address) ---
    void storeSKDData(const CReplyRecord& record);
    void storeSKDCrc(const CReplyRecord& record);
    void storeSKDCfg(const CReplyRecord& record);
    void storeMaster(uint8_t address);
    // The stored length (0 when DataLength is missing or 0), or -1 when the file's image is
    // unusable: length negative or above the buffer, Data missing or of another size than the
    // length, or an image shorter than the template area (bus::imageState).
    // buffer holds REPLY_BUFFER bytes.
    int32_t loadSKDData(int number, uint8_t* buffer);
    // CRC_SIZE when the whole CRC record was found, else 0 (buffer untouched).
    int loadSKDCrc(int number, uint8_t* buffer);
    // CFG_SIZE when the configuration record was found, else 0.
    int loadSKDCfg(int number, uint8_t* buffer);
    uint8_t loadMaster();

    // --- sequences ---
    void backupSKD(const std::vector<std::string>& list, uint8_t masterAddress);
    void backupTemplates(uint8_t address);
    void restoreSKD();
    void compareSKDLists(std::vector<std::string>& restoreList, bool masterFlag);
    void cleanAllSKD();
    // Writes the template area from data (storedLength bytes; the rest of the area as zeros).
    void restoreTemplates(uint8_t address, const uint8_t* data, int32_t storedLength);
    // 1 when the SKD's CRC equals the CRC_SIZE expected bytes; expected null: no CRC to
    // compare with, the check fails.
    int checkSKDCrc(uint8_t address, const uint8_t* expected);
    // The numbers of the SKDs on the bus whose check fails, joined by ", ".
    std::string checkAllSKDCrc(const uint8_t* expected);

private:
    // Error report line (MSG_ERROR_REPORT) with the bus connection's last error.
    void report(const std::string& callName, int messageId);
    // Error report with text MSG_SKD_NO_REPLY naming the SKD.
    void reportNoReply(const std::string& callName, uint8_t address);
    bool send(const CBusMessage& message);
    void pause(uint32_t ms);

    enum class Exchange { SendFailed, NoReply, Answered };
    enum class ChunkRead { SendFailed, NoReply, Read };
    // Sends the request built into message and awaits the reply, which replaces it. A failed
    // send is reported (MSG_NETWORK_ERROR) under callName; with none it goes unreported and the reply is
    // awaited anyway, so it shows as NoReply.
    Exchange exchange(CBusMessage& message, uint32_t timeoutMs, const char* callName);

    // One read of the template chunk at offset; Read with the reply and its n data bytes.
    ChunkRead readTemplateChunk(uint8_t address, uint32_t offset, uint8_t length, CReplyRecord& reply, int& n);
    // Writes a chunk back unchanged, retrying while unanswered; each retry adds to failures.
    // False once failures reaches MAX_FAILURES.
    bool writeBackTemplateChunk(uint8_t address, uint32_t offset, const uint8_t* data, uint8_t n, int& failures);

    // The restore of m_restoreOnly; false when it was not restored (no usable image, or its
    // check failed).
    bool restoreOneSKD(const std::vector<std::string>& restoreList, uint8_t masterAddress, uint8_t* data);
    // The error report of an SKD whose image the file cannot give (nothing is sent to it).
    void reportUnusableImage(int number);
    // The message box naming the SKDs whose restore failed (nothing when none did).
    void showFailedSKDs(const std::string& failed);

    // Writes a record to the backup file, reporting a write that did not reach the disk.
    void writeRecord(const std::string& key, const uint8_t* data, int32_t length);
    // The 5-byte record field of SKD number into buffer: 5, or 0 (buffer untouched) when the
    // record is missing or short.
    int loadRecord(int number, const char* field, uint8_t* buffer);

    // The waits that end the SKD part: programming mode off and the reset of all SKDs.
    static std::chrono::nanoseconds closingWaits();
    // The progress stage's SKD: its number, or every SKD.
    static int progressSkd(uint8_t address);

    CJobProgress m_noProgress;
    CJobProgress* m_progress = &m_noProgress;
    int m_choiceDone = 0;
    std::vector<std::string> m_skdList;
    uint32_t m_master = 0;
    int m_restoreOnly = 0;
    CDialogLink* m_dialog = nullptr;
    CKandoNetwork* m_network = nullptr;
    CFileManager* m_fileManager = nullptr;
    CMessage* m_message = nullptr;
};
