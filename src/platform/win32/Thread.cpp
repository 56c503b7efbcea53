#include "platform/Thread.h"

#include <windows.h>

namespace osthread {

uint32_t currentId()
{
    return static_cast<uint32_t>(::GetCurrentThreadId());
}

}  // namespace osthread
