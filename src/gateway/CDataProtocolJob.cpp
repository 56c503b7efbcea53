// The gateway backup and restore sequences of CDataProtocol.
#include "gateway/CDataProtocol.h"

#include "backupfile/CFileManager.h"
#include "gateway/CErrorMessage.h"
#include "gateway/GatewayFileCheck.h"
#include "job/CMessage.h"

#include <algorithm>
#include <vector>

bool CDataProtocol::runGatewayJob(float version, int mode)
{
    const int gatewayVersion = static_cast<int>(version);
    if (mode == 1) {
        m_messages->post(MSG_SAVE_TO, m_fileManager->getFileName());
        return backup(gatewayVersion);
    }
    if (mode == 2) {
        m_messages->post(MSG_LOAD_FROM, m_fileManager->getFileName());
        return restore(gatewayVersion);
    }
    return false;
}

bool CDataProtocol::backup(int version)
{
    m_fileManager->setInt(gw::VERSION_KEY, version);
    bool ok = true;
    for (int i = 0; ok && i < kObjectCount; ++i) {
        const std::string name = getObjectName(i);
        m_messages->post(MSG_OBJECT_LOADING, name);
        ok = backupData(i);
        if (ok)
            m_messages->post(MSG_OBJECT_SAVED, name);
        else
            reportError(name, MSG_OBJECT_NOT_READ, ERR_READ_OBJECT, m_messages);
        m_messages->post(MSG_OBJECT_LOAD_DONE, name);
    }
    m_messages->post(MSG_BACKUP_DONE);
    return ok;
}

bool CDataProtocol::restore(int version)
{
    if (m_restoreObjects && !checkDataFile())
        return false;
    if (!checkVersion(version))
        return false;
    if (!m_restoreObjects)
        return true;
    bool ok = true;
    for (int i = 0; ok && i < kObjectCount; ++i) {
        const std::string name = getObjectName(i);
        m_messages->post(MSG_OBJECT_WRITING, name);
        std::vector<uint8_t> buffer(static_cast<size_t>(getDataLength(i)));
        const int count = loadObject(i, buffer.data(), buffer.size());
        ok = restoreData(i, buffer.data(), static_cast<uint32_t>(count < 0 ? 0 : count));
        if (!ok)
            reportError(name, MSG_NOT_TRANSFERRED, ERR_WRITE_OBJECT, m_messages);
        m_messages->post(MSG_OBJECT_WRITTEN, name);
    }
    m_messages->post(MSG_RESTORE_DONE);
    return ok;
}

bool CDataProtocol::checkVersion(int version)
{
    const float fileVersion = m_fileManager->getFloat(gw::VERSION_KEY);
    switch (gw::versionFit(fileVersion, static_cast<float>(version))) {
    case gw::VersionFit::Fits:
        return true;
    case gw::VersionFit::FileTooOld:
        m_messages->post(MSG_FILE_TOO_OLD, static_cast<double>(fileVersion));
        return false;
    case gw::VersionFit::Differs:
        break;
    }
    m_messages->post(MSG_VERSION_MISMATCH, static_cast<double>(fileVersion), static_cast<double>(version));
    return false;
}

int CDataProtocol::getDataLength(int index)
{
    const int32_t length = m_fileManager->getInt(gw::lengthKey(index));
    return length < 0 ? 0 : length;
}

int CDataProtocol::loadObject(int index, uint8_t* buffer, size_t capacity)
{
    const int32_t length = m_fileManager->getInt(gw::lengthKey(index));
    if (length <= 0)
        return 0;
    const size_t wanted = std::min(capacity, static_cast<size_t>(length));
    m_fileManager->readData(gw::dataKey(index), buffer, wanted);
    return static_cast<int>(wanted);
}
