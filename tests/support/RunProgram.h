#pragma once
#include <filesystem>
#include <string>
#include <vector>

namespace velto::testing {

struct ProgramResult {
  int status = -1;  // exit status, or -1 when the program did not exit normally
  std::string out;
  std::string err;
};

// Runs a program of the build (found beside the test executable; an
// absolute path is taken as it is) with the given arguments and collects
// what it prints.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments);

// A program of the build started without waiting for it (its output goes
// nowhere), for tests that signal it while it runs.
class ChildProgram {
 public:
  ChildProgram(const std::string& program, const std::vector<std::string>& arguments);
  ~ChildProgram();  // a child still running is killed and reaped
  ChildProgram(const ChildProgram&) = delete;
  ChildProgram& operator=(const ChildProgram&) = delete;

  void Signal(int signal) const;
  // The process id while the child has not been waited for, else -1.
  int Pid() const { return pid_; }
  // Whether the child holds a file of `directory` open: it has begun to
  // write there, though its output has no name until it is complete.
  bool WritesIn(const std::filesystem::path& directory) const;
  // The processes the child has started itself (the ranks under mpirun).
  std::vector<int> Children() const;
  // Waits for the end and returns the wait status (WIFSIGNALED, WTERMSIG...).
  int Wait();

 private:
  int pid_ = -1;
};

// Whether process `pid` holds a file of `directory` open.
bool ProcessWritesIn(int pid, const std::filesystem::path& directory);

}  // namespace velto::testing
