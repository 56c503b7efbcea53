#pragma once

#include "gateway/GatewayDefs.h"

#include <cstddef>
#include <cstdint>
#include <string>

class CDataNetwork;
class CDialogLink;
class CFileManager;
class CFrame;
class CMessage;

// The PC's side of the gateway's configuration-data protocol: one operation per remote call,
// the reading of a reply, the backup file's completeness check, the password dialogue, and
// the gateway backup and restore sequences. Failures are posted as error reports named after
// the operation; the operations answer true/false (a version, a length).
class CDataProtocol
{
public:
    static constexpr int kObjectCount = gw::OBJECT_COUNT;
    static constexpr uint32_t kReplyTimeoutMs = gw::WAIT_REPLY;

    CDataProtocol() = default;
    virtual ~CDataProtocol() = default;
    CDataProtocol(const CDataProtocol&) = delete;
    CDataProtocol& operator=(const CDataProtocol&) = delete;

    // Takes the shared gateway connection, status sink and file manager; dialog answers the
    // password question and shows message boxes.
    void attach(CDialogLink* dialog);

    // "UserManagerConfig", "ConfigManager", "DayLightConfig", "SystemTimeConfig"; "" otherwise.
    static std::string getObjectName(int index);

    bool readPackage(CFrame& frame, uint8_t headerSize);
    float getVersion();  // 0.0 when no version was read
    // bytes: the password as it goes on the wire, in Windows-1252. True when the gateway
    // accepted it. *replied tells a refusal (true) from a request not sent or a reply not
    // read (false, already reported).
    bool comparePassword(const std::string& bytes, bool* replied = nullptr);
    bool askPassword();
    // The prompt's answer: " " + the typed password, or "AskForPwd=IDCANCEL".
    void setPassword(const std::string& answer) { m_password = answer; }

    bool backupData(int index);
    bool saveObject(const CFrame& frame);
    bool restoreData(int index, const uint8_t* bytes, uint32_t count);
    bool checkDataFile();
    bool checkErrorReply(const std::string& callName, const CFrame& frame);

    // The restore's scope: false checks the file's version against the gateway's and writes
    // none of the four objects (their keys are then not checked either). Set before restore.
    void setRestoreObjects(bool on) { m_restoreObjects = on; }
    // The SKD images the job will write, judged by the bus side before anything connects:
    // false makes the file check refuse the file as it refuses damaged objects.
    void setSkdImagesUsable(bool usable) { m_skdImagesUsable = usable; }

    // Sequences: mode 1 backup, 2 restore.
    bool runGatewayJob(float version, int mode);
    bool backup(int version);
    bool restore(int version);
    bool checkVersion(int version);
    int getDataLength(int index);
    // Fills buffer (capacity bytes) from the object's Data key; answers the object's length.
    int loadObject(int index, uint8_t* buffer, size_t capacity);


private:
    std::string m_password;
    CFileManager* m_fileManager = nullptr;
    CDataNetwork* m_network = nullptr;
    CMessage* m_messages = nullptr;
    CDialogLink* m_dialog = nullptr;
    bool m_restoreObjects = true;
    bool m_skdImagesUsable = true;
};
