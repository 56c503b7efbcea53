#pragma once

#include <cstddef>
#include <string>

class CMessage;

// The program's own error codes, beside the socket codes of platform/SocketError.h.
enum : int {
    ERR_NO_MEMORY = 100002,         // a receive buffer could not be allocated
    ERR_NOT_CLOSED = 100003,        // connect asked for while the connection is not Closed
    ERR_ALREADY_CLOSED = 100004,    // closeConnection on a Closed connection
    ERR_CLOSE_UNCONFIRMED = 100005, // the gateway did not confirm the close
    ERR_NO_FILE_DATA = 100006,
    ERR_READ_OBJECT = 100007,       // one object's backup failed
    ERR_WRITE_OBJECT = 100008,      // one object's restore failed
    ERR_FILE_DAMAGED = 100009,      // the backup file is damaged or incomplete
    ERR_VERSION_MISMATCH = 100010,
    ERR_CLOSE_INCOMPLETE = 100011,
    ERR_NO_VERSION = 100012,
    ERR_TRANSFER = 100013,
    ERR_READ_GATEWAY = 100014,
};

// Turns an error code into the text the user reads in an error report.
class CErrorMessage
{
public:
    virtual ~CErrorMessage() = default;

    // The string id of a code's text (MSG_UNKNOWN_ERROR for every code without a text of its own).
    static int messageId(int code);
    // Writes the code's text into destination, at most capacity - 1 bytes, terminated.
    void getText(char* destination, size_t capacity, int code) const;
    std::string getText(int code) const;
};

// Posts the error report, status line MSG_ERROR_REPORT "ERROR -- %s (%s -> %s[%d])", made of the call
// name, the text of message id, the text of the error code and the code. Both protocols
// report through this one function, to their own status sink (sink null: the shared instance).
void reportError(const std::string& callName, int messageId, int code, CMessage* sink = nullptr);
// The same report with a message text the caller has already expanded (cut to 254 bytes).
void reportError(const std::string& callName, const std::string& messageText, int code, CMessage* sink = nullptr);
