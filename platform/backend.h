#pragma once
#include <cstdint>

// What the portable parts of the platform layer need from the backend.
namespace platform::backend {

std::uint32_t currentProcessId();
// True when a process of that id runs (or may run: when it cannot be told).
bool processIsRunning(std::uint32_t pid);

}  // namespace platform::backend
