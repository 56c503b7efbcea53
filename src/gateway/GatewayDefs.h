#pragma once

#include <cstddef>
#include <cstdint>

// Every code, size and wait of the gateway's configuration-data connection, named once.
namespace gw {

// The configuration-data port.
constexpr uint16_t PORT = 11574;

// Frame header: lead byte, type, parameter; types with a length field add 4 bytes of length.
constexpr uint8_t LEAD_BYTE = 1;  // in every frame the PC sends; not examined in received ones
constexpr size_t SHORT_HEADER = 3;
constexpr size_t LONG_HEADER = 7;

// Frame types.
constexpr uint8_t TYPE_BACKUP_REQUEST = 0;
constexpr uint8_t TYPE_RESTORE_REQUEST = 1;
constexpr uint8_t TYPE_ERROR_REPLY = 2;
constexpr uint8_t TYPE_CLOSE_REQUEST = 3;
constexpr uint8_t TYPE_UNUSED_5 = 5;  // neither sent nor examined; carries no length field
constexpr uint8_t TYPE_CLOSE_CONFIRMATION = 6;
constexpr uint8_t TYPE_VERSION_REQUEST = 7;
constexpr uint8_t TYPE_VERSION_REPLY = 8;
constexpr uint8_t TYPE_PASSWORD_REQUEST = 9;
constexpr uint8_t TYPE_PASSWORD_REPLY = 10;

// Parameters.
constexpr uint8_t PASSWORD_REQUEST_PARAMETER = 4;
constexpr uint8_t PASSWORD_ACCEPTED = 1;
constexpr uint8_t ERROR_WRONG_RECORD_LENGTH = 1;  // error reply kinds
constexpr uint8_t ERROR_UNKNOWN_OBJECT = 2;
// Sent in place of an empty password; the gateway knows it.
constexpr uint8_t EMPTY_PASSWORD_BYTE = 'x';

// The four configuration data objects, by index.
constexpr int OBJECT_USER_MANAGER = 0;
constexpr int OBJECT_CONFIG_MANAGER = 1;
constexpr int OBJECT_DAYLIGHT = 2;
constexpr int OBJECT_SYSTEM_TIME = 3;
constexpr int OBJECT_COUNT = 4;

// No object comes near this; a larger announced length is a damaged stream.
constexpr uint32_t MAX_DATA_LENGTH = 64u * 1024 * 1024;

// Waits (ms).
constexpr uint32_t WAIT_CONNECT = 2000;
constexpr uint32_t WAIT_DATA = 60000;    // a whole send; each receive of a data block
constexpr uint32_t WAIT_REPLY = 120000;  // each receive of a reply header
constexpr uint32_t WAIT_CLOSE = 1000;    // the close confirmation

// Versions.
constexpr float VERSION_WITH_PASSWORD = 107.0f;  // from here on the gateway has a password
constexpr float VERSION_WITHOUT_SKDS = 107.0f;   // above this the gateway has SKDs behind it
constexpr float OLDEST_FILE_VERSION = 104.0f;    // older backup files are not restored

}  // namespace gw
