#include "RunProgram.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <stdexcept>

#include "TestFiles.h"
#include "core/DataDirectory.h"

extern char** environ;

namespace velto::testing {

namespace {

// Starts a program of the build with its stdout and stderr going to the
// given files.
pid_t Start(const std::string& program, const std::vector<std::string>& arguments, const std::string& outPath,
            const std::string& errPath) {
  const std::string path = (core::ExecutableDirectory() / program).string();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);

  std::vector<std::string> storage{path};
  storage.insert(storage.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& argument : storage) argv.push_back(argument.data());
  argv.push_back(nullptr);

  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) throw std::runtime_error("cannot start " + path);
  return pid;
}

}  // namespace

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments) {
  TemporaryDirectory scratch;
  const std::string outPath = (scratch.path() / "stdout").string();
  const std::string errPath = (scratch.path() / "stderr").string();
  const pid_t pid = Start(program, arguments, outPath, errPath);
  int wstatus = 0;
  while (waitpid(pid, &wstatus, 0) < 0) {
    if (errno != EINTR) throw std::runtime_error("lost the child process of " + program);
  }
  ProgramResult result;
  result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
  result.out = ReadWholeFile(outPath);
  result.err = ReadWholeFile(errPath);
  return result;
}

ChildProgram::ChildProgram(const std::string& program, const std::vector<std::string>& arguments)
    : pid_(Start(program, arguments, "/dev/null", "/dev/null")) {}

ChildProgram::~ChildProgram() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGKILL);
  Wait();
}

void ChildProgram::Signal(int signal) const {
  if (pid_ > 0) ::kill(pid_, signal);
}

int ChildProgram::Wait() {
  int wstatus = 0;
  while (pid_ > 0 && waitpid(pid_, &wstatus, 0) < 0) {
    if (errno != EINTR) break;
  }
  pid_ = -1;
  return wstatus;
}

bool ChildProgram::WritesIn(const std::filesystem::path& directory) const {
  return pid_ > 0 && ProcessWritesIn(pid_, directory);
}

std::vector<int> ChildProgram::Children() const {
  std::vector<int> children;
  if (pid_ <= 0) return children;
  std::ifstream list("/proc/" + std::to_string(pid_) + "/task/" + std::to_string(pid_) + "/children");
  for (int pid; list >> pid;) children.push_back(pid);
  return children;
}

bool ProcessWritesIn(int pid, const std::filesystem::path& directory) {
  namespace fs = std::filesystem;
  std::error_code error;
  const std::string prefix = directory.string() + "/";
  for (const auto& entry : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error)) {
    const fs::path target = fs::read_symlink(entry.path(), error);
    if (!error && target.string().starts_with(prefix)) return true;
  }
  return false;
}

}  // namespace velto::testing
