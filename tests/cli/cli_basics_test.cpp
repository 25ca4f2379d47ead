#include <gtest/gtest.h>

#include "support/RunProgram.h"

namespace velto::testing {
namespace {

TEST(VeltoCli, RequiresASubcommandAndKnowsItsVersion) {
  const ProgramResult none = RunProgram("velto-cli", {});
  EXPECT_NE(none.status, 0);
  const ProgramResult version = RunProgram("velto-cli", {"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_NE(version.out.find("4.0.15"), std::string::npos);
}

}  // namespace
}  // namespace velto::testing
