#include "app/run_lock.h"

#include <string>

#include "common/shell.h"
#include "platform/platform.h"

namespace {
platform::FolderLock lock;
}  // namespace

bool acquireRunLock() {
  if (lock.held()) return true;
  const std::string folder = platform::configFolder();
  platform::Status taken = folder.empty() ? platform::failedWith(platform::Failure::notFound)
                                          : lock.acquire(folder);
  if (taken) return true;
  std::string message;
  if (taken.failure == platform::Failure::busy) {
    message = "Ein anderer Lauf von Liedkorb benutzt gerade den Konfigurationsordner\n" + folder +
              "\nBitte warten, bis er beendet ist.";
  } else {
    message = "Konfigurationsordner\n" + folder + "\nkann nicht gesperrt werden: ";
    message += platform::failureText(taken.failure);
  }
  showMessage(message, errorCaption);
  return false;
}

void releaseRunLock() { lock.release(); }

bool runLockHeld() { return lock.held(); }
