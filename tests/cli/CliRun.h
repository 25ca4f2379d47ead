#pragma once
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "support/RunProgram.h"

namespace velto::testing {

// Runs velto-cli with `arguments` and --json, expects exit status 0 and
// returns the printed object; `result`, when given, receives the run. The
// whole of stdout must be one JSON object: parse() refuses anything more.
inline nlohmann::json RunCliJson(std::vector<std::string> arguments, ProgramResult* result = nullptr) {
  arguments.push_back("--json");
  const ProgramResult run = RunProgram("velto-cli", arguments);
  if (result) *result = run;
  EXPECT_EQ(run.status, 0) << run.err;
  return nlohmann::json::parse(run.out, nullptr, /*allow_exceptions=*/false);
}

inline std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

}  // namespace velto::testing
