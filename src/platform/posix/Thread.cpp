#include "platform/Thread.h"

#include <sys/syscall.h>
#include <unistd.h>

namespace osthread {

uint32_t currentId()
{
    return static_cast<uint32_t>(::syscall(SYS_gettid));
}

}  // namespace osthread
