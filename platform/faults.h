#pragma once
#include <string>
#include <string_view>

// The test seam of the platform layer: makes chosen calls fail as if the
// system had refused them, so that every failure path of the engine can be
// exercised. Off unless a test arms it.
namespace platform::faults {

enum class Op {
  find,
  copy,      // fails halfway: part of the target has been written
  move,
  replace,
  remove,
  makeFolder,
  clearReadOnly,
  open,      // openRead
  create,    // create, createNew and openAppend
  read,      // delivers half of what it could, then reports an error
  write,     // writes half, then reports an error
  seek,
  count_
};

// The nth call of op from now on (1 for the next one) fails.
void failNth(Op op, int n);
// Every call of op on path fails. For copy, move and replace the path is
// the destination; for the others it is the one path the call takes (for
// read, write and seek the path the file was opened with).
void failPath(Op op, std::string_view path);
// Calls of op made since the last reset.
int callCount(Op op);
// Disarms everything and zeroes the counts.
void reset();

// Used by the backends: counts the call and tells whether it must fail.
bool shouldFail(Op op, std::string_view path);

}  // namespace platform::faults
