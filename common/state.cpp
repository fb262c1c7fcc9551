#include "common/state.h"

#include <new>

#include "common/limits.h"

Settings settings;
TagInfo tagInfo;
ScanCounters scanCounters;
ScanProblems scanProblems;
int scanRunning = 0;
std::unique_ptr<unsigned char[]> workBuffer;
std::unique_ptr<unsigned char[]> checksumBuffer;
std::string iniPath;
std::string logPath;

bool allocateWorkBuffer() {
  if (!workBuffer) workBuffer.reset(new (std::nothrow) unsigned char[workBufferSize]);
  return workBuffer != nullptr;
}

bool allocateChecksumBuffer() {
  if (!checksumBuffer) checksumBuffer.reset(new (std::nothrow) unsigned char[checksumChunkSize]);
  return checksumBuffer != nullptr;
}

void resetSharedState() {
  settings = Settings{};
  tagInfo = TagInfo{};
  scanCounters = ScanCounters{};
  scanProblems = ScanProblems{};
  scanRunning = 0;
  // loadSettings allocates it; a fresh start has none.
  checksumBuffer.reset();
  iniPath.clear();
  logPath.clear();
}
