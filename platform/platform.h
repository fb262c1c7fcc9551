#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/facts.h"

// Files and folders. Paths are UTF-8 on every platform; the Windows backend
// converts at the API boundary. Nothing here throws; every operation that can
// fail says why. Every call passes the fault seam (platform/faults.h) first.
//
// Links (symbolic links, junctions, other reparse points) are never followed
// in the last component of a path: a link is not read, written, made
// writable or walked. Only the folders the user names may be reached through
// links.
namespace platform {

// Why an operation failed, from errno or GetLastError.
enum class Failure : std::uint8_t {
  none,
  exists,        // the name is taken
  notFound,      // the file or a folder on its way is missing
  noSpace,       // the disk is full, or the user's quota
  accessDenied,  // also a read-only file system
  nameTooLong,
  ioError,
  changed,     // the source changed while it was copied (still being written)
  link,        // a link stands where a file or folder was expected
  notRegular,  // a pipe, device or folder stands where a file was expected
  busy,        // another run holds the lock
  other,
};

// The result of an operation: success, or the reason it failed.
struct [[nodiscard]] Status {
  Failure failure = Failure::none;
  constexpr bool ok() const { return failure == Failure::none; }
  constexpr explicit operator bool() const { return ok(); }
};
inline constexpr Status success{};
constexpr Status failedWith(Failure why) { return Status{why == Failure::none ? Failure::other : why}; }

// The reason in a few German words, for the log and for messages.
std::string_view failureText(Failure why);

// What a file is, by the file system's identity: device and inode on POSIX,
// volume serial number and file id on Windows. Two paths with the same
// identity name the same file or folder, however they are spelled.
struct FileId {
  std::uint64_t volume = 0;
  std::uint64_t file = 0;
  friend bool operator==(const FileId&, const FileId&) = default;
};
struct FileIdHash {
  std::size_t operator()(const FileId& id) const {
    return static_cast<std::size_t>(id.file * 0x9E3779B97F4A7C15u ^ id.volume);
  }
};

enum class Kind : std::uint8_t { missing, file, folder, link, other };

struct FileInfo {
  Kind kind = Kind::missing;
  FileId id;
  std::int64_t size = 0;
  std::int64_t modified = 0;  // in the platform's finest unit
  // Same file, same bytes as far as the file system tells: a file that was
  // written to meanwhile differs in size or modification time.
  bool sameState(const FileInfo& other) const {
    return kind == other.kind && id == other.id && size == other.size && modified == other.modified;
  }
};

// What stands at path, without following a link in its last component.
// Kind::missing when nothing does (or it cannot be told).
FileInfo fileInfo(std::string_view path);

// True when a and b both exist and are one file or folder, by identity or,
// where the file system's identities cannot be trusted across spellings, by
// their canonical paths.
bool sameFile(std::string_view a, std::string_view b);

// True when something (a file, folder or link) stands at path.
bool pathExists(std::string_view path);
// True when path is a folder or leads to one through links (for the folders
// the user names).
bool isFolder(std::string_view path);

struct DirEntry {
  std::string name;
  // A real folder. A link to a folder is not a folder here (walks must not
  // follow it) but is flagged as isFolderLink; a link to anything else, or
  // to nothing, is flagged as isLink.
  bool isFolder = false;
  bool isFolderLink = false;
  bool isLink = false;
};

// Lists the entries of folder whose names match pattern with Windows wildcard
// rules: '*' any run, '?' one character, ASCII letters without regard to case,
// "*.*" every name, a trailing ".*" also a name without a dot. "." and ".."
// are listed like on Windows (they match "*.*"). Entries are sorted by name,
// ASCII letters folded, so walks are repeatable. An empty list on failure.
Status findEntries(std::string_view folder, std::string_view pattern, std::vector<DirEntry>& entries);

// The wildcard test that findEntries applies to each name.
bool matchesWildcard(std::string_view name, std::string_view pattern);

// Copies a regular file. The bytes go to a hidden temporary name in the
// target's folder first and get the target's name only when they are all
// there, without ever replacing a file, so a copy under its final name is
// always whole, also after a crash. Fails with Failure::changed when the
// source's size or modification time differ after the copy from before (it
// was still being written). On any failure nothing is left behind. With
// sourceSeen, tells what the source was when it was copied.
Status copyFileNoOverwrite(std::string_view source, std::string_view target,
                           FileInfo* sourceSeen = nullptr);

// Renames a file; fails with Failure::exists when the new name is taken.
Status moveFileNoReplace(std::string_view from, std::string_view to);

// Renames a file over an existing one (the last step of an atomic save). A
// link at `to` is replaced, never followed.
Status replaceFile(std::string_view from, std::string_view to);

// Deletes a file (a link itself, never what it leads to); refuses a folder.
Status deleteFile(std::string_view path);

// Makes one folder; fails when the name is taken or its parent is missing.
Status makeFolder(std::string_view path);

// Makes the file writable for its owner, other attributes unchanged. Refuses
// a link.
Status clearReadOnly(std::string_view path);

// Resolves "." and "..", links and, on file systems that ignore letter case,
// the spelling of every component as it is stored, so that two spellings of
// one existing folder give one text. False when it cannot.
bool canonicalPath(std::string_view path, std::string& result);

// Writes the file's data and its folder entry to stable storage. A no-op
// success while durability is off.
Status syncFile(std::string_view path);
Status syncFolder(std::string_view path);
// On by default; benchmarks turn it off to measure what it costs.
void setDurability(bool on);
bool durability();

// Replaces the file at path with bytes: written to a new temporary file
// beside it, synced and renamed over it, so that a failure or a crash at any
// step leaves the previous file whole. A link at path is replaced, not
// followed.
Status saveFileAtomically(std::string_view path, std::string_view bytes);

// Renames path to a free name path + suffix, path + suffix + "-2", ... (never
// replacing a file) and tells the name it got.
Status keepAside(std::string_view path, std::string_view suffix, std::string& keptAs);

// Our temporary files: hidden names that never match "*.MP3". One a run is
// writing is left alone.
bool isTemporaryName(std::string_view name);
std::string temporaryNameFor(std::string_view folder);
// Removes the temporary files that a killed run left in folder (only our
// own names, only regular files, only those no running program is writing).
void removeLeftoverTemporaries(std::string_view folder);

enum class SeekFrom { begin, end };

// An open file: the simple handle-based calls. Closed when it goes out of
// scope. No open follows a link or waits on a pipe.
class File {
 public:
  File() = default;
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // A regular file, for reading.
  Status openRead(std::string_view path);
  // Creates the file; fails when the name is taken (also by a link).
  Status createNew(std::string_view path);
  // Creates a file under a new temporary name in folder; tells the name.
  Status createTemporary(std::string_view folder, std::string& temporaryPath);
  // Opens a regular file for writing at its end, creating it when missing
  // (the log).
  Status openAppend(std::string_view path);
  bool isOpen() const;
  void close();

  // Reads up to size bytes, as many as the file still holds: the count
  // delivered (0 at the end), or -1 on an error (failure() tells which).
  std::int64_t read(void* buffer, std::size_t size);
  // True only when exactly size bytes were read.
  bool readExact(void* buffer, std::size_t size);
  // Fails unless all bytes were written.
  Status write(const void* buffer, std::size_t size);
  Status seek(std::int64_t offset, SeekFrom from);
  // Size of the open file, or -1.
  std::int64_t size();
  // What the open file is (identity, size, modification time).
  FileInfo info();
  // Flushes the file's data to the disk (always, whatever setDurability).
  Status sync();
  // The reason of the last failed call.
  Failure failure() const { return failure_; }

 private:
  Status fail(Failure why) {
    failure_ = why;
    return failedWith(why);
  }
#ifdef _WIN32
  void* handle_ = nullptr;
#else
  int fd_ = -1;
#endif
  std::string path_;
  Failure failure_ = Failure::none;
};

// An exclusive lock on a folder, held until release or destruction: one run
// per config folder. Another program (or another process of this one) that
// asks while it is held gets Failure::busy at once.
class FolderLock {
 public:
  FolderLock() = default;
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  Status acquire(std::string_view folder);
  void release();
  bool held() const;

 private:
#ifdef _WIN32
  void* handle_ = nullptr;
#else
  int fd_ = -1;
#endif
};

// The running program's full path.
std::string programPath();

// The folder of the INI, LOG and CRC.BIN files: beside the program on
// Windows; $XDG_CONFIG_HOME/liedkorb or ~/.config/liedkorb elsewhere, made
// when first asked for. Empty when it cannot be made.
std::string configFolder();
// Uses folder instead from now on (the command line's --config, tests).
// An empty folder goes back to the default.
void setConfigFolder(std::string_view folder);

// The user's home folder (the default of the path settings where "C:\" means
// nothing).
std::string homeFolder();

}  // namespace platform
