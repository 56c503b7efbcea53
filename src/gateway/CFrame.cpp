#include "gateway/CFrame.h"

#include <algorithm>
#include <cstring>

namespace {

CFrame request(uint8_t type, uint8_t parameter)
{
    CFrame frame;
    frame.setLeadByte(gw::LEAD_BYTE);
    frame.setType(type);
    frame.setParameter(parameter);
    return frame;
}

}  // namespace

bool CFrame::hasLengthField(uint8_t type)
{
    switch (type) {
    case gw::TYPE_BACKUP_REQUEST:
    case gw::TYPE_CLOSE_REQUEST:
    case gw::TYPE_UNUSED_5:
    case gw::TYPE_CLOSE_CONFIRMATION:
    case gw::TYPE_VERSION_REQUEST:
    case gw::TYPE_VERSION_REPLY:
    case gw::TYPE_PASSWORD_REPLY:
        return false;
    default:
        return true;
    }
}

void CFrame::setData(const uint8_t* bytes, uint32_t count)
{
    std::unique_ptr<uint8_t[]> copy;
    if (count > 0) {
        copy.reset(new uint8_t[count]);
        std::memcpy(copy.get(), bytes, count);
    }
    m_data = std::move(copy);
    m_dataLength = count;
}

void CFrame::getData(uint8_t* buffer, size_t capacity, uint32_t& count) const
{
    if (!m_data || m_dataLength == 0)
        return;
    const size_t n = std::min<size_t>(capacity, m_dataLength);
    std::memcpy(buffer, m_data.get(), n);
    count = static_cast<uint32_t>(n);
}

size_t CFrame::wireSize() const
{
    return hasLengthField(m_type) ? kLongHeader + m_dataLength : kShortHeader;
}

void CFrame::serialize(uint8_t* buffer) const
{
    buffer[0] = m_leadByte;
    buffer[1] = m_type;
    buffer[2] = m_parameter;
    if (!hasLengthField(m_type))
        return;
    for (int i = 0; i < 4; ++i)
        buffer[3 + i] = static_cast<uint8_t>(m_dataLength >> (8 * i));
    if (m_data && m_dataLength > 0)
        std::memcpy(buffer + kLongHeader, m_data.get(), m_dataLength);
}

std::vector<uint8_t> CFrame::serialize() const
{
    std::vector<uint8_t> bytes(wireSize());
    serialize(bytes.data());
    return bytes;
}

void CFrame::parseHeader(const uint8_t* buffer, size_t size)
{
    m_leadByte = buffer[0];
    m_type = buffer[1];
    m_parameter = buffer[2];
    m_dataLength = 0;
    if (hasLengthField(m_type) && size >= kLongHeader) {
        for (int i = 0; i < 4; ++i)
            m_dataLength |= static_cast<uint32_t>(buffer[3 + i]) << (8 * i);
    }
}

CFrame CFrame::buildVersionRequest()
{
    return request(VersionRequest, 0);
}

CFrame CFrame::buildPasswordRequest(const std::string& password)
{
    CFrame frame = request(PasswordRequest, gw::PASSWORD_REQUEST_PARAMETER);
    if (password.empty())
        frame.setData(&gw::EMPTY_PASSWORD_BYTE, 1);
    else
        frame.setData(reinterpret_cast<const uint8_t*>(password.data()), static_cast<uint32_t>(password.size()));
    return frame;
}

CFrame CFrame::buildBackupRequest(uint8_t objectIndex)
{
    return request(BackupRequest, objectIndex);
}

CFrame CFrame::buildRestoreRequest(uint8_t objectIndex, const uint8_t* bytes, uint32_t count)
{
    CFrame frame = request(RestoreRequest, objectIndex);
    frame.setData(bytes, count);
    return frame;
}

CFrame CFrame::buildCloseRequest()
{
    return request(CloseRequest, 0);
}
