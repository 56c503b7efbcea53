#pragma once

#include <cstddef>
#include <cstdint>

// Every code, address, size and wait of the bus-module connection, named once.
namespace bus {

// Frame bytes.
constexpr uint8_t STX = 0x02;
constexpr uint8_t ETX = 0x03;
constexpr uint8_t DLE = 0x10;

// Bus addresses.
constexpr uint8_t ADDR_TOOL = 0xF0;       // source of every request
constexpr uint8_t ADDR_SKD_BASE = 0xC0;   // SKD n is ADDR_SKD_BASE + n
constexpr uint8_t ADDR_FIRST_SKD = 0xC1;
constexpr uint8_t ADDR_LAST_SKD = 0xC8;
constexpr uint8_t ADDR_ALL_SKDS = 0xCF;   // 207: no reply awaited
constexpr uint8_t ADDR_EVERY_STATION = 0xFF;
constexpr int MAX_SKDS = 8;

// 8-bit conversions between SKD numbers and bus addresses.
constexpr uint8_t skdAddress(int number) { return static_cast<uint8_t>(number - 64); }
constexpr int skdNumber(uint8_t address) { return static_cast<uint8_t>(address + 64); }

// Request codes.
constexpr uint8_t CMD_RESET = 0x01;
constexpr uint8_t CMD_PROBE = 0x02;
constexpr uint8_t CMD_READ_CHUNK = 0x03;
constexpr uint8_t CMD_WRITE_CHUNK = 0x04;
constexpr uint8_t CMD_READ_CRC = 0x06;
constexpr uint8_t CMD_PROG_ON = 0x07;
constexpr uint8_t CMD_PROG_OFF = 0x08;
constexpr uint8_t CMD_CLEAN = 0x5A;
constexpr uint8_t CMD_READ_CFG = 0x5E;
constexpr uint8_t CMD_WRITE_CFG = 0x60;
constexpr uint8_t CMD_COMPDB = 0x71;
// The only reply code that is checked: a configuration record was written.
constexpr uint8_t REPLY_CFG_WRITTEN = 0x1D;

constexpr uint8_t CRC_SELECTOR = 0x02;
constexpr uint8_t CFG_WRITE_TAG = 0x01;

// The gateway's bus-module port.
constexpr uint16_t BUS_PORT = 11575;
constexpr uint32_t WAIT_CONNECT = 30000;

// Message and records.
constexpr uint8_t MESSAGE_START = 0x01;
constexpr uint8_t MESSAGE_TYPE_REQUEST = 1;
constexpr size_t HEADER_SIZE = 4;
constexpr size_t MAX_FRAME = 520;
constexpr size_t REPLY_BUFFER = 63000;
constexpr size_t CRC_SIZE = 5;
constexpr size_t CFG_SIZE = 5;

// Template area.
constexpr uint32_t TEMPLATE_START = 0x30000;
constexpr uint32_t TEMPLATE_END = 0x3F230;  // exclusive
constexpr uint32_t TEMPLATE_SIZE = TEMPLATE_END - TEMPLATE_START;
constexpr uint8_t CHUNK = 128;
constexpr uint32_t TEMPLATE_CHUNKS = (TEMPLATE_SIZE + CHUNK - 1) / CHUNK;
constexpr int MAX_FAILURES = 6;

// Reply waits (ms).
constexpr uint32_t WAIT_RESET = 1000;
constexpr uint32_t WAIT_PROBE = 1000;
constexpr uint32_t WAIT_CHUNK = 1000;
constexpr uint32_t WAIT_CRC = 10000;
constexpr uint32_t WAIT_CFG = 10000;
constexpr uint32_t WAIT_CLEAN = 90000;
constexpr uint32_t WAIT_COMPDB = 90000;
constexpr uint32_t WAIT_BROADCAST = 300;
constexpr uint32_t WAIT_SEND = 60000;
constexpr uint32_t WAIT_REPLY_DATA = 60000;  // per receive of a reply body

// Pauses (ms).
constexpr uint32_t PAUSE_PROG_MODE = 500;  // after each of PROG_MODE_SENDS requests
constexpr int PROG_MODE_SENDS = 3;
constexpr uint32_t PAUSE_RETRY = 700;
constexpr uint32_t PAUSE_AFTER_TEMPLATES = 2000;
constexpr uint32_t PAUSE_CLEAN_ONE = 10000;
constexpr uint32_t PAUSE_CLEAN_ALL = 20000;
constexpr uint32_t PAUSE_CFG_PER_SKD = 2000;

}  // namespace bus
