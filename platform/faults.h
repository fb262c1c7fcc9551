#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

// The test seam of the platform layer: makes chosen calls fail as if the
// system had refused them, or ends the process dead at a chosen call, so
// that every failure and crash path of the engine can be exercised. Off
// unless a test arms it.
namespace platform::faults {

enum class Op {
  find,
  copy,      // fails halfway: part of the temporary copy has been written
  move,
  replace,
  remove,
  makeFolder,
  clearReadOnly,
  open,      // openRead
  create,    // createNew, createTemporary and openAppend
  read,      // delivers half of what it could, then reports an error
  write,     // writes half, then reports an error
  seek,
  sync,      // syncFile, syncFolder and File::sync
  query,     // fileInfo, pathExists, isFolder, canonicalPath
  lock,
  count_
};

// The nth call of op from now on (1 for the next one) fails.
void failNth(Op op, int n, Failure why = Failure::ioError);
// The nth call of op from now on and every later one fail (a full disk).
void failFrom(Op op, int n, Failure why = Failure::ioError);
// Every call of op on path fails. For copy, move and replace the path is
// the destination; for the others it is the one path the call takes (for
// read, write, seek and File::sync the path the file was opened with).
void failPath(Op op, std::string_view path, Failure why = Failure::ioError);

// The exit code of a process that the seam stopped dead.
inline constexpr int crashExitCode = 86;
// The nth platform call from now on, of whatever operation, ends the process
// at once, as a kill or a power cut would: nothing is flushed, no destructor
// runs.
void crashAtCall(int n);
// Platform calls of every operation since the last reset.
int totalCalls();

// Runs hook at each call of op, before the call does its work, with the
// call's path; for copy, once half of the bytes are copied, with the
// source's path: a test can change a file while it is being copied.
void onCall(Op op, std::function<void(std::string_view path)> hook);
// Used by the copy of the backends, halfway.
void copyMidway(std::string_view source);

// Every call since the last reset, in order, while recording is on.
struct Call {
  Op op;
  std::string path;
  std::string source;  // for copy and move: what was copied or moved
};
void setRecording(bool on);
const std::vector<Call>& recordedCalls();

// Calls of op made since the last reset.
int callCount(Op op);
// Disarms everything, stops recording and zeroes the counts.
void reset();

// Used by the backends: counts the call, records it, runs a hook, ends the
// process when asked to, and tells whether (and why) the call must fail:
// Failure::none when it goes ahead.
Failure shouldFail(Op op, std::string_view path, std::string_view source = {});

}  // namespace platform::faults
