#pragma once

#include <cstdint>

namespace osthread {

// The operating system's number for the calling thread, as its tools show it.
uint32_t currentId();

}  // namespace osthread
