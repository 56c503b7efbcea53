#pragma once

#include "job/CBaseThread.h"
#include "job/CJobProgress.h"

#include <atomic>
#include <string>
#include <vector>

class CDialogLink;
class CMessage;
class CFileManager;
class CDataProtocol;
class CKandoProtocol;
class CDataNetwork;
class CKandoNetwork;

// One backup (job mode 1) or restore (job mode 2) on a worker thread of its own: file
// choice, gateway connect, version, password (from version 107), gateway transfer, gateway
// close, and above version 107 the bus connect and the SKD part. Failures inside run() are
// thrown as a failure kind (1, 2 or 3) and caught once at its end; every path frees the
// job's objects and then sends WM_JOB_DONE to the dialog as its very last step.
//
// Use: new CProtocol, init() on the dialog thread, start(); read outcome()/succeeded() once
// WM_JOB_DONE has arrived. One job per object.
class CProtocol : public CBaseThread
{
public:
    enum JobMode { Backup = 1, Restore = 2 };

    // How the job ended.
    enum Outcome {
        NotFinished = 0,
        Completed,          // every step ran
        PlannedEnd,         // gateway up to version 107: MSG_CONNECTION_CLOSED, then kind 1 after a good gateway part
        PasswordCancelled,  // the password question was cancelled (kind 2)
        FailedKind1,
        FailedKind2,
        FailedKind3,
    };

    static constexpr size_t kMaxAddressLength = 16;
    // The waits around the bus connect (ms).
    static constexpr uint32_t kGatewayRestartMs = 60000;  // the gateway restarts its bus side after the close
    static constexpr uint32_t kBusRetryMs = 10000;        // after a failed connect attempt
    static constexpr uint32_t kBusSettleMs = 10000;       // after the connect
    static constexpr int kBusConnectAttempts = 3;

    // What a restore writes. The dialog's job restores everything; a backup ignores it.
    struct RestoreScope {
        // False: the gateway is connected, its version checked against the file and its
        // password asked, but none of its four objects is written.
        bool gatewayObjects = true;
        // NoSkds ends the job after the gateway part (no wait, no bus connection); OneSkd
        // restores SKD skd (1 to 8) alone.
        enum Skds { AllSkds, NoSkds, OneSkd } skds = AllSkds;
        int skd = 0;
    };
    // False for a scope that names no SKD number from 1 to 8 with OneSkd, or that writes
    // nothing at all; the scope is then left as it was.
    static bool validScope(const RestoreScope& scope);

    CProtocol() = default;
    ~CProtocol() override;  // joins the worker; frees nothing else (run() does)

    // Dialog thread, before start(). parent owns the file dialog; dialog receives
    // WM_JOB_DONE and, through the protocol objects, WM_ASK_PASSWORD and WM_SKD_CHOOSE
    // (the two may be the same link).
    void init(CDialogLink* parent, CDialogLink* dialog, int jobMode, const std::string& address);

    // Dialog thread, before start(). False (nothing changed) for an invalid scope.
    bool setRestoreScope(const RestoreScope& scope);
    const RestoreScope& restoreScope() const { return m_scope; }

    // The job; worker thread, once. Answers 0.
    int run() override;

    bool chooseFile();
    // Before a restore connects: false (the reason posted) for a file it must not write, an SKD
    // image a backup cut short; images of the wrong size are left to the gateway's file check.
    bool checkRestoreFile();
    bool gatewayStage(float version);
    bool skdStage(float version);

    // Dialog thread, inside WM_ASK_PASSWORD: " " + password, or "AskForPwd=IDCANCEL".
    void storePassword(const std::string& text);
    // Dialog thread, inside WM_SKD_CHOOSE: appends the list (when given) and sets the master
    // (an SKD number, 0 for none) and the done flag.
    void storeSKDChoice(int done, const std::vector<std::string>* list, int master);

    // The job's bus-module protocol: the WM_SKD_CHOOSE handler scans the bus with it
    // (listBusSKD) while the worker waits. Null once the job has ended.
    CKandoProtocol* getKandoProtocol() const { return m_kandoProtocol; }

    int getJobMode() const { return m_jobMode; }
    const std::string& getAddress() const { return m_address; }

    // Valid once WM_JOB_DONE has been sent.
    Outcome outcome() const { return m_outcome.load(); }
    // True when a line of failure weight (resources/StringIds.h) was posted during the job.
    bool failureLinePosted() const { return m_failureLine.load(); }
    // True when the final save of the backup file failed.
    bool saveFailed() const { return m_saveFailed.load(); }
    // The job did its work: it completed (or reached the planned end of a gateway up to
    // version 107) with no failure line and the file saved; warnings do not count.
    bool succeeded() const;


private:
    void cleanUp();
    void recordPostedLines();

    CKandoProtocol* m_kandoProtocol = nullptr;
    CMessage* m_message = nullptr;
    CFileManager* m_fileManager = nullptr;
    CDialogLink* m_parent = nullptr;
    CDialogLink* m_dialog = nullptr;
    CDataProtocol* m_dataProtocol = nullptr;
    CDataNetwork* m_dataNetwork = nullptr;
    CKandoNetwork* m_kandoNetwork = nullptr;
    std::string m_address;
    int m_jobMode = 0;
    // Reports to the dialog; the bus-module protocol reports through it too.
    CJobProgress m_progress;
    RestoreScope m_scope;

    std::atomic<bool> m_passwordCancelled{false};
    std::atomic<Outcome> m_outcome{NotFinished};
    std::atomic<bool> m_failureLine{false};
    std::atomic<bool> m_saveFailed{false};
};
