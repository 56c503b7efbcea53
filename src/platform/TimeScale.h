#pragma once

#include <chrono>
#include <cstdint>

// One process-wide time scale multiplies every pause and time-out of the program.
// It is 1.0 unless a test or the documented --time-scale option of a program sets it,
// so that a job against the simulator can run its 70 seconds of waiting in well under one.
//
// Pauses scale freely. Time-outs (waits for a peer) never drop below 50 ms once scaled,
// so a success path cannot flake on a loaded machine. Scaled values keep nanosecond resolution.

double timeScale();
void setTimeScale(double scale);  // values <= 0 or not finite are ignored

constexpr std::chrono::milliseconds kTimeoutFloor{50};

std::chrono::nanoseconds scaledPause(uint32_t ms);
std::chrono::nanoseconds scaledTimeout(uint32_t ms);
