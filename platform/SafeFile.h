#pragma once
// The one way every program and library of Quillon writes a whole output
// file, so that a failure never destroys the previous contents and a user's
// file layout survives a save:
//  - a regular file (or a new name) is written to a temporary file in the
//    folder of the file that is really replaced, flushed and renamed over it;
//    the replaced file keeps its permission bits;
//  - a symbolic link is followed (through any number of links) and its
//    target is replaced; the link itself stays a link;
//  - a device, a pipe or a socket is written directly, never replaced;
//  - "-" is standard output (and standard input for ReadFileSafely).
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// A failure to read or write a file. what() is a complete user message that
// names the file and the system's reason ("tv.vir: Permission denied");
// Errno() is the system error number (0 when the reason is not a system one).
class SafeFileError : public std::runtime_error {
 public:
  SafeFileError(const std::string& message, int err) : std::runtime_error(message), m_errno(err) {}
  int Errno() const { return m_errno; }

 private:
  int m_errno;
};

// How a path given for output is written.
enum class OutputKind {
  Stdout,    // "-"
  Replace,   // a regular file or a name that does not exist yet
  Direct,    // an existing device, pipe or socket
};

// The file a write to PATH really changes: PATH with its symbolic links
// followed (a dangling link gives the name it points to). Throws
// SafeFileError when a link loop or an unreadable link stops the walk.
std::string ResolveOutputPath(const std::string& path);

// What WriteFileSafely would do with PATH. Throws SafeFileError when PATH
// names a folder or cannot be examined.
OutputKind ClassifyOutput(const std::string& path);

// True when PATH exists (through links) as something WriteFileSafely would
// overwrite: a regular file. "-", devices and pipes are never "existing".
bool OutputExists(const std::string& path);

// Checks, without changing anything, that PATH can be written: its folder
// exists and is writable and PATH itself is not a folder. Throws
// SafeFileError naming PATH and the reason.
void CheckWritable(const std::string& path);

// Writes SIZE bytes to PATH as described above. Throws SafeFileError; on
// failure a replaced file is left exactly as it was.
void WriteFileSafely(const std::string& path, const void* data, std::size_t size);
inline void WriteFileSafely(const std::string& path, std::string_view bytes) {
  WriteFileSafely(path, bytes.data(), bytes.size());
}
inline void WriteFileSafely(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  WriteFileSafely(path, bytes.data(), bytes.size());
}

// The streaming form of WriteFileSafely, for writers that produce their
// output piece by piece (codecs writing through a file descriptor): the
// output is opened as WriteFileSafely would write it, written through Fd()
// or Write(), and made visible by Commit(). Destroying a writer that was not
// committed removes its temporary file and leaves a replaced file as it was
// (a device, a pipe or standard output has then received what was written).
class SafeFileWriter {
 public:
  // Opens the output for PATH. Throws SafeFileError.
  explicit SafeFileWriter(const std::string& path);
  ~SafeFileWriter();
  SafeFileWriter(const SafeFileWriter&) = delete;
  SafeFileWriter& operator=(const SafeFileWriter&) = delete;

  // The descriptor written to (standard output for "-"); -1 once committed.
  int Fd() const { return m_fd; }
  OutputKind Kind() const { return m_kind; }
  // Writes all SIZE bytes. Throws SafeFileError naming the path.
  void Write(const void* data, std::size_t size);
  // Flushes and puts the output in place. Throws SafeFileError; the
  // temporary file is then gone and a replaced file unchanged.
  void Commit();
  // Gives up: removes the temporary file. Never throws.
  void Abort() noexcept;

 private:
  [[noreturn]] void Fail(int err);

  std::string m_path;    // as given, for messages
  std::string m_target;  // the file a rename replaces
  std::string m_temp;    // the temporary file beside it
  OutputKind m_kind = OutputKind::Replace;
  int m_fd = -1;
  bool m_replacing = false;
  unsigned m_mode = 0;
  unsigned m_uid = 0;
  unsigned m_gid = 0;
};

// Reads the whole of PATH ("-" reads standard input to its end). At most
// MAXSIZE bytes are accepted; a longer input throws SafeFileError ("file too
// large"). A folder is refused with "Is a directory".
std::vector<std::uint8_t> ReadFileSafely(const std::string& path, std::size_t maxSize = std::size_t(1) << 30);

}  // namespace quillon
