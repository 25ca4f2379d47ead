#pragma once
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

// The one writer of every file the suite exports: curve and table exports,
// results files, map data, pictures. Whatever goes wrong, the file that was
// at the target before stays whole, and no half-written file ever appears
// under the target's name.
//
// What happens to the target, by what it is:
// - a regular file or a path that does not exist yet: the text goes to a
//   fresh temporary file in the target's directory, made without a name
//   (O_TMPFILE) where the file system allows, with the mode of the file it
//   replaces. Only when it is complete and flushed to the disk (fsync) is it
//   linked in as ".<name>.<pid>.<n>.tmp" and at once renamed over the target;
//   concurrent runs writing one file therefore never mix their lines: the
//   last to finish wins;
// - a symbolic link: followed (also when it dangles) and its final target
//   replaced as above; the link itself stays;
// - the file that standard output or standard error already is (for example
//   "-o /dev/stdout"): written through that descriptor, in sequence with what
//   the program prints there;
// - anything else that is not a directory (a named pipe, a device such as
//   /dev/null or a terminal, a socket): opened and written directly, never
//   replaced nor removed. Writes to a pipe go in pieces of whole lines of at
//   most PIPE_BUF bytes, so two writers of one pipe do not mix lines;
// - a directory: refused.
//
// While a named temporary file exists, SIGINT, SIGTERM, SIGHUP and SIGPIPE
// (when the program has not taken them over itself) remove it before the
// process ends as the signal says. SIGKILL cannot be caught: an unnamed file
// vanishes with the process; on a file system without unnamed files, or in
// the instant between linking and renaming, it may leave a temporary file,
// never a partial file under the target's name.
//
// Nothing here shows a message: each program words its own failure (its
// "Cannot create the file ..." text); Reason() says what the system said.
namespace velto::core {

// The step that failed.
enum class OutputStage {
  None,    // nothing failed
  Target,  // the target is a directory, or its path cannot be followed
  Create,  // the temporary file or the target cannot be opened
  Write,   // a write failed (a full disk, /dev/full, a closed pipe)
  Finish,  // the flush to the disk, the close or the rename failed
};

struct OutputStatus {
  OutputStage failedAt = OutputStage::None;
  std::error_code error;

  bool Ok() const { return failedAt == OutputStage::None; }
  // "No space left on device" and the like; empty on success.
  std::string Reason() const;
};

// Writes a file as a stream of text, for runs too long to hold their output
// in memory (MBD scans, convolutions, maps). Not thread-safe: one thread
// writes. Open, any number of Write, then Commit; a file that is destroyed
// or Abandoned before Commit leaves the target as it was.
class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Prepares the target as described above. False (with Status()) when it
  // cannot be written; the target is untouched then.
  bool Open(const std::filesystem::path& target);
  // Buffers the text and writes it out in large pieces. False from the first
  // failure on; later writes do nothing.
  bool Write(std::string_view text);
  // Writes what is buffered, flushes it to the disk and puts the file in
  // place. False (with Status()) on any failure; the earlier file stays.
  bool Commit();
  // Drops what was written: the temporary file goes, the target stays.
  void Abandon();

  bool IsOpen() const { return fd_ >= 0; }
  const OutputStatus& Status() const { return status_; }
  // Where the text finally goes (the target with its links followed).
  const std::filesystem::path& FinalPath() const { return final_; }

 private:
  enum class Mode { Replace, Direct };

  bool Fail(OutputStage stage, int error);
  bool CreateNamedTemporary(const std::filesystem::path& folder, int& error);
  bool LinkUnnamed();
  bool Drain(bool everything);
  bool WriteAll(const char* data, std::size_t size);
  void Release();

  Mode mode_ = Mode::Replace;
  bool pipe_ = false;
  bool unnamed_ = false;  // an O_TMPFILE not linked in yet
  int fd_ = -1;
  int slot_ = -1;  // the signal handlers' record of the temporary file
  unsigned originalMode_ = 0;
  bool keepMode_ = false;
  std::filesystem::path final_;
  std::filesystem::path temporary_;
  std::string buffer_;
  OutputStatus status_;
};

// Writes `content` to `target` as one OutputFile run.
OutputStatus WriteOutputFile(const std::filesystem::path& target, std::string_view content);

}  // namespace velto::core
