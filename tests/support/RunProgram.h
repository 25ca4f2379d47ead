#pragma once
#include <string>
#include <vector>

namespace velto::testing {

struct ProgramResult {
  int status = -1;  // exit status, or -1 when the program did not exit normally
  std::string out;
  std::string err;
};

// Runs a program of the build (found beside the test executable) with the
// given arguments and collects what it prints.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments);

}  // namespace velto::testing
