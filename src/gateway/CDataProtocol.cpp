#include "gateway/CDataProtocol.h"

#include "backupfile/CFileManager.h"
#include "gateway/CDataNetwork.h"
#include "gateway/CErrorMessage.h"
#include "gateway/CFrame.h"
#include "gateway/GatewayFileCheck.h"
#include "job/CMessage.h"
#include "platform/DialogLink.h"
#include "platform/Encoding.h"



void CDataProtocol::attach(CDialogLink* dialog)
{
    m_network = getDataNetwork();
    m_messages = CMessage::getInstance();
    m_fileManager = getFileManager();
    m_dialog = dialog;
}

std::string CDataProtocol::getObjectName(int index)
{
    return gw::objectName(index);
}

bool CDataProtocol::readPackage(CFrame& frame, uint8_t headerSize)
{
    if (m_network->receiveHeader(frame, headerSize, kReplyTimeoutMs) < 0
        || !m_network->receiveData(frame, frame.getDataLength())) {
        reportError("readPackage", MSG_NETWORK_ERROR, m_network->getLastError(), m_messages);
        return false;
    }
    return true;
}

float CDataProtocol::getVersion()
{
    if (!m_network->sendFrame(CFrame::buildVersionRequest())) {
        reportError("getVersion", MSG_NETWORK_ERROR, m_network->getLastError(), m_messages);
        return 0.0f;
    }
    CFrame reply;
    if (readPackage(reply, CFrame::kShortHeader) && reply.getType() == CFrame::VersionReply)
        return static_cast<float>(reply.getParameter());
    return 0.0f;
}

bool CDataProtocol::comparePassword(const std::string& bytes, bool* replied)
{
    if (replied)
        *replied = false;
    if (!m_network->sendFrame(CFrame::buildPasswordRequest(bytes))) {
        reportError("comparePassword", MSG_NETWORK_ERROR, m_network->getLastError(), m_messages);
        return false;
    }
    CFrame reply;
    if (!readPackage(reply, CFrame::kShortHeader))
        return false;
    if (replied)
        *replied = true;
    return reply.getType() == CFrame::PasswordReply && reply.getParameter() == gw::PASSWORD_ACCEPTED;
}

bool CDataProtocol::askPassword()
{
    if (m_dialog)
        m_dialog->sendMessage(WM_ASK_PASSWORD);
    // A prompt that stored nothing counts as cancelled rather than leaving the job waiting.
    if (m_password.empty() || m_password == kPasswordCancelAnswer)
        return false;

    // The prompt puts one blank in front of the typed text.
    std::string typed = m_password;
    if (typed[0] == ' ')
        typed.erase(0, 1);
    // The gateway could never match a password it cannot be sent; the front ends refuse such input.
    std::string bytes;
    if (!utf8ToCp1252(typed, bytes))
        return false;

    bool replied = false;
    if (comparePassword(bytes, &replied))
        return true;
    // Without a reply the password was not refused: the connection is lost, and that has
    // been reported already.
    if (!replied) {
        m_messages->post(MSG_CONNECTION_CLOSED);
        return false;
    }
    m_messages->post(MSG_PASSWORDS_DIFFER);
    m_messages->post(MSG_CONNECTION_CLOSED);
    if (m_dialog)
        m_dialog->messageBox(m_messages->loadText(MSG_WRONG_PASSWORD));
    return false;
}

bool CDataProtocol::checkErrorReply(const std::string& callName, const CFrame& frame)
{
    if (frame.getType() != CFrame::ErrorReply)
        return false;
    switch (frame.getParameter()) {
    case gw::ERROR_WRONG_RECORD_LENGTH:
        reportError(callName, MSG_WRONG_RECORD_LENGTH, 0, m_messages);
        return true;
    case gw::ERROR_UNKNOWN_OBJECT:
        reportError(callName, MSG_UNKNOWN_OBJECT, 0, m_messages);
        return true;
    default:
        return false;
    }
}

bool CDataProtocol::backupData(int index)
{
    if (!m_network->sendFrame(CFrame::buildBackupRequest(static_cast<uint8_t>(index)))) {
        reportError("backupData", MSG_NETWORK_ERROR, m_network->getLastError(), m_messages);
        return false;
    }
    CFrame reply;
    const bool received = readPackage(reply, CFrame::kLongHeader);
    // An error reply, whole or cut short, is never stored as the object's data.
    if (reply.getType() == CFrame::ErrorReply) {
        checkErrorReply("backupData", reply);
        return false;
    }
    if (!received)
        return false;
    if (getObjectName(reply.getParameter()).empty())
        return false;
    // The reply is stored under the object it names; one for another object leaves the object
    // asked for missing from the backup.
    return saveObject(reply) && reply.getParameter() == index;
}

bool CDataProtocol::saveObject(const CFrame& frame)
{
    const std::string name = getObjectName(frame.getParameter());
    if (name.empty())
        return false;
    const uint32_t length = frame.getDataLength();
    m_fileManager->setInt(name + ".DataLength", static_cast<int32_t>(length));
    if (length == 0)
        return true;
    if (!m_fileManager->writeData(name + ".Data", frame.data(), length)) {
        reportError("writeData", MSG_FILE_ERROR, m_fileManager->getLastError(), m_messages);
        return false;
    }
    return true;
}

bool CDataProtocol::restoreData(int index, const uint8_t* bytes, uint32_t count)
{
    if (!m_network->sendFrame(CFrame::buildRestoreRequest(static_cast<uint8_t>(index), bytes, count))) {
        reportError("restoreData", MSG_NETWORK_ERROR, m_network->getLastError(), m_messages);
        return false;
    }
    CFrame reply;
    if (!readPackage(reply, CFrame::kShortHeader))
        return false;  // already reported; the object was not confirmed
    checkErrorReply("restoreData", reply);
    return reply.getType() != CFrame::ErrorReply;
}

bool CDataProtocol::checkDataFile()
{
    const bool ok = gw::objectsUsable(*m_fileManager) && m_skdImagesUsable;
    if (!ok)
        reportError("checkDataFile", MSG_FILE_ERROR, ERR_FILE_DAMAGED, m_messages);
    return ok;
}
