#pragma once

// Every string id of the program's table (103 to 168), named once, with the weight its line
// carries when it is posted as a status line. The texts are in StringTable.cpp and in the
// language catalogues, under the same numbers.

enum StringId : int {
    MSG_SOCKETS_INIT_FAILED = 103,
    MSG_TOOL_TITLE = 104,
    MSG_TIP_RESTORE = 105,
    MSG_TIP_BACKUP = 106,
    MSG_TIP_CLOSE = 107,
    MSG_TIP_ADDRESS = 108,
    MSG_TIP_PORT = 109,
    MSG_TIP_STATUS_LIST = 110,
    MSG_SAVE_TO = 111,
    MSG_LOAD_FROM = 112,
    MSG_NET_UNREACHABLE = 113,
    MSG_CONNECTION_ABORTED = 114,
    MSG_CONNECTION_RESET = 115,
    MSG_CONNECT_FAILED = 116,
    MSG_TIMED_OUT = 117,
    MSG_CONNECTION_REFUSED = 118,
    MSG_HOST_DOWN = 119,
    MSG_HOST_UNREACHABLE = 120,
    MSG_HOST_NOT_FOUND = 121,
    MSG_UNKNOWN_ERROR = 122,
    MSG_LOAD_ERROR = 123,
    MSG_NETWORK_ERROR = 124,
    MSG_NO_DATA = 125,
    MSG_MEMORY_ERROR = 126,
    MSG_WRONG_RECORD_LENGTH = 127,
    MSG_UNKNOWN_OBJECT = 128,
    MSG_RESTORE_ERROR = 129,
    MSG_ALREADY_CLOSED = 130,
    MSG_CLOSE_UNCONFIRMED = 131,
    MSG_CLOSE_INCOMPLETE = 132,
    MSG_VERSION_MISMATCH = 133,
    MSG_OBJECT_NOT_READ = 134,
    MSG_BACKUP_DONE = 135,
    MSG_RESTORE_DONE = 136,
    MSG_CONNECTION_CLOSED = 137,
    MSG_OBJECT_LOADING = 138,
    MSG_OBJECT_SAVED = 139,
    MSG_OBJECT_LOAD_DONE = 140,
    MSG_OBJECT_WRITING = 141,
    MSG_OBJECT_WRITTEN = 142,
    MSG_ERROR_REPORT = 143,
    MSG_NO_VERSION = 144,
    MSG_GATEWAY_VERSION = 145,
    MSG_NO_FILE_DATA = 146,
    MSG_FILE_DAMAGED = 147,
    MSG_GATEWAY_ERROR = 148,
    MSG_FILE_ERROR = 149,
    MSG_NOT_TRANSFERRED = 150,
    MSG_GATEWAY_NOT_READ = 151,
    MSG_FILE_TOO_OLD = 152,
    MSG_PASSWORDS_DIFFER = 153,
    MSG_WRONG_PASSWORD = 154,
    MSG_TIP_SKD_RESTORE = 155,
    MSG_TIP_SKD_BACKUP = 156,
    MSG_SKD = 157,
    MSG_SKD_CHOICE_TITLE = 158,
    MSG_SKD_ONLY_IN_FILE = 159,
    MSG_SKD_ONLY_ON_BUS = 160,
    MSG_SKD_NOT_RESTORED = 161,
    MSG_SKD_NO_REPLY = 162,
    MSG_WAIT_FOR_GATEWAY = 163,
    MSG_SKD_BACKUP_START = 164,
    MSG_SKD_BACKUP_DONE = 165,
    MSG_SKD_RESTORE_START = 166,
    MSG_SKD_RESTORE_DONE = 167,
    MSG_ALL_SKDS = 168,
};

// Status lines beyond the numbered table. The catalogues know them by key (namedStringKey),
// never by number, so the numbered lines stay exactly as stored files and peers know them;
// these numbers are the program's own and appear nowhere outside it.
enum NamedStringId : int {
    MSG_SKD_CFG_NOT_RESTORED = 1001,  // %a: the SKD whose configuration record was not written
    MSG_SKD_IMAGE_CUT_SHORT = 1002,   // %a: the SKD, %d: its image's bytes, %d: the template area's
};
constexpr int kFirstNamedId = MSG_SKD_CFG_NOT_RESTORED;
constexpr int kLastNamedId = MSG_SKD_IMAGE_CUT_SHORT;

// The catalogue key of a named line; nullptr for any other id.
constexpr const char* namedStringKey(int id)
{
    switch (id) {
    case MSG_SKD_CFG_NOT_RESTORED:
        return "JOB_SKD_CFG_NOT_RESTORED";
    case MSG_SKD_IMAGE_CUT_SHORT:
        return "JOB_SKD_IMAGE_CUT_SHORT";
    default:
        return nullptr;
    }
}

enum class MsgWeight { Information, Warning, Failure };

// A posted failure line means the job did not do its work; a warning does not.
constexpr MsgWeight msgWeight(int id)
{
    switch (id) {
    case MSG_CONNECT_FAILED:
    case MSG_VERSION_MISMATCH:
    case MSG_ERROR_REPORT:
    case MSG_FILE_TOO_OLD:
    case MSG_PASSWORDS_DIFFER:
    case MSG_SKD_NOT_RESTORED:
    case MSG_SKD_NO_REPLY:
    case MSG_SKD_CFG_NOT_RESTORED:
    case MSG_SKD_IMAGE_CUT_SHORT:
        return MsgWeight::Failure;
    case MSG_SKD_ONLY_IN_FILE:
    case MSG_SKD_ONLY_ON_BUS:
        return MsgWeight::Warning;
    default:
        return MsgWeight::Information;
    }
}

constexpr int kFirstStringId = MSG_SOCKETS_INIT_FAILED;
constexpr int kLastStringId = MSG_ALL_SKDS;
