#include "job/CProtocol.h"

#include "backupfile/CFileManager.h"
#include "bus/BusDefs.h"
#include "bus/CKandoNetwork.h"
#include "bus/CKandoProtocol.h"
#include "gateway/CDataNetwork.h"
#include "gateway/CDataProtocol.h"
#include "gateway/CErrorMessage.h"
#include "job/CMessage.h"
#include "job/CRestoreCheck.h"
#include "job/CTimer.h"
#include "platform/DialogLink.h"

#include <exception>


CProtocol::~CProtocol()
{
    // run() uses this object's members: the worker must be gone before they are.
    join();
    // A job that never ran (its thread could not be started) still owns what init made.
    if (!isStarted()) {
        delete m_dataProtocol;
        delete m_kandoProtocol;
    }
}

void CProtocol::init(CDialogLink* parent, CDialogLink* dialog, int jobMode, const std::string& address)
{
    m_message = CMessage::getInstance();
    m_fileManager = getFileManager();
    m_parent = parent;
    m_dialog = dialog;
    m_address = address;
    m_jobMode = jobMode;
    m_dataProtocol = new CDataProtocol;
    m_kandoProtocol = new CKandoProtocol;
    m_progress.setLink(dialog);
    m_kandoProtocol->setProgress(&m_progress);
}

int CProtocol::run()
{
    CTimer timer;
    m_dataNetwork = nullptr;
    m_kandoNetwork = nullptr;
    m_message->clearPostedIds();
    Outcome outcome = Completed;
    bool plannedEnd = false;
    bool scopeEnd = false;  // the restore's scope leaves the bus out

    try {
        // An address that does not fit is refused rather than cut: a cut address could
        // reach another host.
        if (m_address.size() > kMaxAddressLength) {
            m_message->post(MSG_CONNECT_FAILED);
            throw 1;
        }
        if (!chooseFile())
            throw 1;
        if (m_jobMode == Restore && !checkRestoreFile())
            throw 1;

        m_dataNetwork = getDataNetwork();
        if (!m_dataNetwork->connect(m_address, CDataNetwork::kPort, CDataNetwork::kConnectTimeoutMs)) {
            m_message->post(MSG_CONNECT_FAILED);
            throw 1;
        }
        m_dataProtocol->attach(m_dialog);

        const float version = m_dataProtocol->getVersion();
        if (version == 0.0f)
            throw 2;
        m_message->post(MSG_GATEWAY_VERSION, static_cast<double>(version));

        if (version >= gw::VERSION_WITH_PASSWORD && !m_dataProtocol->askPassword())
            throw 2;
        if (!gatewayStage(version))
            throw 2;
        m_dataNetwork->closeConnection();

        if (!(version > gw::VERSION_WITHOUT_SKDS)) {
            m_message->post(MSG_CONNECTION_CLOSED);
            plannedEnd = true;
            throw 1;
        }
        if (m_jobMode == Restore && m_scope.skds == RestoreScope::NoSkds) {
            m_message->post(MSG_CONNECTION_CLOSED);
            scopeEnd = true;
            throw 1;
        }

        m_message->post(MSG_WAIT_FOR_GATEWAY);
        m_progress.beginWait(ProgressStage::WaitGateway, kGatewayRestartMs, CTimer::Pause);
        timer.pause(kGatewayRestartMs);

        m_kandoNetwork = getKandoNetwork();
        bool connected = false;
        for (int attempt = 1; attempt <= kBusConnectAttempts && !connected; ++attempt) {
            m_progress.beginAttempt(attempt, kBusConnectAttempts, bus::WAIT_CONNECT);
            connected = m_kandoNetwork->connect(m_address, bus::BUS_PORT, bus::WAIT_CONNECT);
            if (!connected) {
                m_kandoNetwork->disconnect();
                m_progress.endWait(kBusRetryMs);
                timer.pause(kBusRetryMs);
            } else {
                m_progress.endWait();
            }
        }
        if (!connected) {
            m_message->post(MSG_CONNECT_FAILED);
            throw 1;
        }
        m_progress.beginWait(ProgressStage::Settle, kBusSettleMs, CTimer::Pause);
        timer.pause(kBusSettleMs);

        m_kandoProtocol->init(m_dialog);
        if (!skdStage(version))
            throw 3;
        m_kandoNetwork->disconnect();
        m_message->post(MSG_CONNECTION_CLOSED);
    } catch (int kind) {
        if (kind == 2) {
            if (m_dataNetwork)
                m_dataNetwork->closeConnection();
            outcome = m_passwordCancelled ? PasswordCancelled : FailedKind2;
        } else if (kind == 3) {
            if (m_kandoNetwork)
                m_kandoNetwork->disconnect();
            outcome = FailedKind3;
        } else {
            outcome = plannedEnd ? PlannedEnd : scopeEnd ? Completed : FailedKind1;
        }
    } catch (const std::exception&) {
        // Nothing below throws by design; should something still do (out of memory), the
        // job must still free its objects and tell the dialog that it has ended.
        outcome = FailedKind1;
    }

    cleanUp();
    recordPostedLines();
    m_outcome = outcome;

    if (m_dialog)
        m_dialog->sendMessage(WM_JOB_DONE, 0, 0);
    timer.stop();
    return 0;
}

void CProtocol::cleanUp()
{
    delete m_dataNetwork;
    m_dataNetwork = nullptr;
    delete m_kandoNetwork;
    m_kandoNetwork = nullptr;

    delete m_dataProtocol;
    m_dataProtocol = nullptr;
    CKandoProtocol* kando = m_kandoProtocol;
    m_kandoProtocol = nullptr;
    delete kando;

    // The file is saved explicitly so that a failed save is seen: the destructor's own
    // save cannot report anything.
    if (m_fileManager) {
        if (!m_fileManager->flush()) {
            m_saveFailed = true;
            reportError("flush", MSG_FILE_ERROR, m_fileManager->getLastError(), m_message);
        }
        delete m_fileManager;
        m_fileManager = nullptr;
    }
}

void CProtocol::recordPostedLines()
{
    m_failureLine = m_message->failurePosted();
}

bool CProtocol::chooseFile()
{
    CDialogLink* owner = m_parent ? m_parent : m_dialog;
    std::string path;
    if (!owner || !owner->chooseFile(m_jobMode, path))
        return false;
    m_fileManager = getFileManager();
    m_fileManager->open(path);
    return true;
}

bool CProtocol::checkRestoreFile()
{
    const CRestoreCheck check(*m_fileManager, m_scope);
    // Damaged images are refused by the gateway's file check, in its place among the lines.
    m_dataProtocol->setSkdImagesUsable(!check.imagesDamaged);
    for (const CRestoreCheck::CutShort& image : check.cutShort)
        m_message->post(MSG_SKD_IMAGE_CUT_SHORT, std::to_string(image.skd), image.length, bus::TEMPLATE_SIZE);
    return check.cutShort.empty();
}

bool CProtocol::validScope(const RestoreScope& scope)
{
    if (scope.skds == RestoreScope::OneSkd && (scope.skd < 1 || scope.skd > bus::MAX_SKDS))
        return false;
    return scope.gatewayObjects || scope.skds != RestoreScope::NoSkds;
}

bool CProtocol::setRestoreScope(const RestoreScope& scope)
{
    if (!validScope(scope))
        return false;
    m_scope = scope;
    return true;
}

bool CProtocol::gatewayStage(float version)
{
    if (m_jobMode == Restore)
        m_dataProtocol->setRestoreObjects(m_scope.gatewayObjects);
    return m_dataProtocol->runGatewayJob(version, m_jobMode);
}

bool CProtocol::skdStage(float version)
{
    if (m_jobMode == Backup && !m_kandoProtocol->requestSKDChoice())
        return true;
    if (m_jobMode == Restore)
        m_kandoProtocol->setRestoreOnly(m_scope.skds == RestoreScope::OneSkd ? m_scope.skd : 0);
    m_kandoProtocol->setProgMode(1);
    const bool result = m_kandoProtocol->runSKDJob(version, m_jobMode);
    m_kandoProtocol->setProgMode(0);
    m_kandoProtocol->resetBus(bus::ADDR_ALL_SKDS);
    return result;
}

void CProtocol::storePassword(const std::string& text)
{
    m_passwordCancelled = (text == kPasswordCancelAnswer);
    if (m_dataProtocol)
        m_dataProtocol->setPassword(text);
}

void CProtocol::storeSKDChoice(int done, const std::vector<std::string>* list, int master)
{
    if (m_kandoProtocol)
        m_kandoProtocol->storeChoice(done, list, static_cast<uint32_t>(master));
}

bool CProtocol::succeeded() const
{
    const Outcome o = m_outcome.load();
    return (o == Completed || o == PlannedEnd) && !m_failureLine.load() && !m_saveFailed.load();
}
