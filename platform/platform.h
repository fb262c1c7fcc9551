#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Files and folders. Paths are UTF-8 on every platform; the Windows backend
// converts at the API boundary. Nothing here throws; every operation reports
// failure through its result. Every call passes the fault seam
// (platform/faults.h) first.
namespace platform {

struct DirEntry {
  std::string name;
  // A real folder. A symbolic link or junction to a folder is not a folder
  // here (walks must not follow it) but is flagged as folderLink.
  bool isFolder = false;
  bool isFolderLink = false;
};

// Lists the entries of folder whose names match pattern with Windows wildcard
// rules: '*' any run, '?' one character, ASCII letters without regard to case,
// "*.*" every name, a trailing ".*" also a name without a dot. "." and ".."
// are listed like on Windows (they match "*.*"). Entries are sorted by name,
// ASCII letters folded, so walks are repeatable. Returns false (and an empty
// list) when the folder cannot be searched.
bool findEntries(std::string_view folder, std::string_view pattern, std::vector<DirEntry>& entries);

// The wildcard test that findEntries applies to each name.
bool matchesWildcard(std::string_view name, std::string_view pattern);

// Copies a file; fails when the target exists. Keeps the source's
// modification time. On any failure no part of the target is left behind.
bool copyFileNoOverwrite(std::string_view source, std::string_view target);

// Renames a file; fails when the new name exists.
bool moveFileNoReplace(std::string_view from, std::string_view to);

// Renames a file over an existing one (the last step of an atomic save).
bool replaceFile(std::string_view from, std::string_view to);

bool deleteFile(std::string_view path);

// Makes one folder; fails when it exists or its parent is missing.
bool makeFolder(std::string_view path);

// True when a file or folder of that name exists.
bool pathExists(std::string_view path);
bool isFolder(std::string_view path);

// Makes the file writable for its owner, other attributes unchanged.
bool clearReadOnly(std::string_view path);

// Resolves "." and ".." components and symbolic links of an existing path;
// false when it cannot.
bool canonicalPath(std::string_view path, std::string& result);

enum class SeekFrom { begin, end };

// An open file: the simple handle-based calls. Closed when it goes out of
// scope.
class File {
 public:
  File() = default;
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  bool openRead(std::string_view path);
  // Creates the file, or truncates an existing one.
  bool create(std::string_view path);
  // Creates the file; fails when it exists.
  bool createNew(std::string_view path);
  // Opens for writing at the end, creating a missing file (the log).
  bool openAppend(std::string_view path);
  bool isOpen() const;
  void close();

  // Reads up to size bytes, as many as the file still holds: the count
  // delivered (0 at the end), or -1 on an error.
  std::int64_t read(void* buffer, std::size_t size);
  // True only when exactly size bytes were read.
  bool readExact(void* buffer, std::size_t size);
  // True only when all bytes were written.
  bool write(const void* buffer, std::size_t size);
  bool seek(std::int64_t offset, SeekFrom from);
  // Size of the open file, or -1.
  std::int64_t size();
  // Flushes the file's data to the disk.
  bool sync();

 private:
#ifdef _WIN32
  void* handle_ = nullptr;
#else
  int fd_ = -1;
#endif
  std::string path_;
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

// The line end of the text files the program writes (the log).
#ifdef _WIN32
inline constexpr std::string_view textLineEnd = "\r\n";
#else
inline constexpr std::string_view textLineEnd = "\n";
#endif

}  // namespace platform
