#pragma once

// One run per config folder at a time: two runs that load and save the same
// CRC.BIN would each lose the other's pairs. The command line holds the lock
// from start to end; the desktop programs for each scan and each save.

// Takes the lock unless this process holds it already. False, after a
// message that names the folder, when another run holds it.
bool acquireRunLock();
void releaseRunLock();
bool runLockHeld();

// Holds the lock for a scope, unless it was held already.
class ScopedRunLock {
 public:
  ScopedRunLock() : owned_(!runLockHeld()), held_(runLockHeld() || acquireRunLock()) {}
  ~ScopedRunLock() {
    if (owned_ && held_) releaseRunLock();
  }
  ScopedRunLock(const ScopedRunLock&) = delete;
  ScopedRunLock& operator=(const ScopedRunLock&) = delete;
  bool held() const { return held_; }

 private:
  bool owned_;
  bool held_;
};
