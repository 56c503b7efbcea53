// The ownership of a socket, the same on every platform; the backends do the rest.
#include "platform/Socket.h"

namespace sock {

Socket::~Socket()
{
    close();
}

Socket::Socket(Socket&& other) noexcept : m_handle(other.m_handle)
{
    other.m_handle = kInvalid;
}

Socket& Socket::operator=(Socket&& other) noexcept
{
    if (this != &other) {
        close();
        m_handle = other.m_handle;
        other.m_handle = kInvalid;
    }
    return *this;
}

}  // namespace sock
