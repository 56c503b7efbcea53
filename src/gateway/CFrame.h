#pragma once

#include "gateway/GatewayDefs.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// One frame of the gateway's configuration-data connection: a 3-byte header (lead byte,
// type, parameter), for most types followed by a little-endian 32-bit data length and the
// data block. The types without a length field are exactly 3 bytes on the wire.
class CFrame
{
public:
    enum Type : uint8_t {
        BackupRequest = gw::TYPE_BACKUP_REQUEST,
        RestoreRequest = gw::TYPE_RESTORE_REQUEST,
        ErrorReply = gw::TYPE_ERROR_REPLY,
        CloseRequest = gw::TYPE_CLOSE_REQUEST,
        CloseConfirmation = gw::TYPE_CLOSE_CONFIRMATION,
        VersionRequest = gw::TYPE_VERSION_REQUEST,
        VersionReply = gw::TYPE_VERSION_REPLY,
        PasswordRequest = gw::TYPE_PASSWORD_REQUEST,
        PasswordReply = gw::TYPE_PASSWORD_REPLY,
    };

    static constexpr size_t kShortHeader = gw::SHORT_HEADER;
    static constexpr size_t kLongHeader = gw::LONG_HEADER;

    CFrame() = default;
    virtual ~CFrame() = default;
    CFrame(const CFrame&) = delete;
    CFrame& operator=(const CFrame&) = delete;
    CFrame(CFrame&&) = default;
    CFrame& operator=(CFrame&&) = default;

    static bool hasLengthField(uint8_t type);

    uint8_t getLeadByte() const { return m_leadByte; }
    uint8_t getType() const { return m_type; }
    uint8_t getParameter() const { return m_parameter; }
    uint32_t getDataLength() const { return m_dataLength; }
    void setLeadByte(uint8_t value) { m_leadByte = value; }
    void setType(uint8_t value) { m_type = value; }
    void setParameter(uint8_t value) { m_parameter = value; }

    // Replaces the data block by a copy of count bytes.
    void setData(const uint8_t* bytes, uint32_t count);
    // The data block, null when there is none.
    const uint8_t* data() const { return m_data.get(); }
    // Copies the block into buffer (at most capacity bytes) and sets count to the bytes
    // copied; with no block, count is left as it was.
    void getData(uint8_t* buffer, size_t capacity, uint32_t& count) const;

    // 3 for the length-less types, else 7 + data length.
    size_t wireSize() const;
    // Writes wireSize() bytes into buffer.
    void serialize(uint8_t* buffer) const;
    std::vector<uint8_t> serialize() const;

    // Takes the header fields from a received header of size bytes (3 or 7). The length comes
    // from bytes 3 to 6 only when the type carries one and they are there; data is kept.
    void parseHeader(const uint8_t* buffer, size_t size);

    static CFrame buildVersionRequest();
    // password: the bytes as they go on the wire (Windows-1252).
    static CFrame buildPasswordRequest(const std::string& password);
    static CFrame buildBackupRequest(uint8_t objectIndex);
    static CFrame buildRestoreRequest(uint8_t objectIndex, const uint8_t* bytes, uint32_t count);
    static CFrame buildCloseRequest();

private:
    std::unique_ptr<uint8_t[]> m_data;
    uint32_t m_dataLength = 0;
    uint8_t m_parameter = 0;
    uint8_t m_type = 0;
    uint8_t m_leadByte = 0;
};
