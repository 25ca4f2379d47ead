#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/TestFiles.h"
#include "shell/MainFrameState.h"
#include "shell/StartupFiles.h"

namespace velto::shell {
namespace {

using testing::TemporaryDirectory;

MainFrameState LoadFrom(const TemporaryDirectory& dir) {
  MemorySettingsStore settings;
  return LoadMainFrameState(settings, dir.path(), "/opt/velto");
}

TEST(DefaultsIni, FirstRunWithoutFilesUsesCopperKAlphaAndRoomTemperature) {
  TemporaryDirectory dir;
  const MainFrameState state = LoadFrom(dir);
  EXPECT_DOUBLE_EQ(state.defaultEnergy, 8047.987942062702);
  EXPECT_DOUBLE_EQ(state.defaultTemperature, 293.15);
  EXPECT_EQ(state.presets, DefaultPresetLists());
  EXPECT_EQ(state.presets.wavelengths.size(), 1u);
  EXPECT_EQ(state.chiClipboard.HasChi(), false);
}

TEST(DefaultsIni, ReadsEnergyInKevAndTemperatureFromTheFirstTwoNonEmptyLines) {
  TemporaryDirectory dir;
  dir.Write("VELTO.INI", "\r\n   \n  17.4793 keV (Mo-Ka1)  \r\n\n 80.5\n 99\n");
  const MainFrameState state = LoadFrom(dir);
  EXPECT_DOUBLE_EQ(state.defaultEnergy, 17479.3);
  EXPECT_DOUBLE_EQ(state.defaultTemperature, 80.5);
}

TEST(DefaultsIni, OneNumberSetsOnlyTheEnergy) {
  TemporaryDirectory dir;
  dir.Write("VELTO.INI", "12.0\n");
  const MainFrameState state = LoadFrom(dir);
  EXPECT_DOUBLE_EQ(state.defaultEnergy, 12000.0);
  EXPECT_DOUBLE_EQ(state.defaultTemperature, 293.15);
}

TEST(DefaultsIni, ZeroNegativeOrMissingNumbersFallBackToTheDefaults) {
  for (const char* content : {"0\n0\n", "-8\n-4\n", "keV\nK\n", "0.0\n0.0000001\n"}) {
    TemporaryDirectory dir;
    dir.Write("VELTO.INI", content);
    const MainFrameState state = LoadFrom(dir);
    EXPECT_DOUBLE_EQ(state.defaultEnergy, kDefaultEnergyEv) << content;
    EXPECT_DOUBLE_EQ(state.defaultTemperature, 293.15) << content;
  }
}

TEST(PresetsIni, DefaultEntriesAreCopperKAlphaAndRoomTemperature) {
  const PresetLists lists = DefaultPresetLists();
  EXPECT_EQ(lists.wavelengths, std::vector<std::string>{"1.54056200 (Cu-Ka1)"});
  EXPECT_EQ(lists.energies, std::vector<std::string>{"8.04798794 (Cu-Ka1)"});
  EXPECT_EQ(lists.temperatures, std::vector<std::string>{"293.15"});
  EXPECT_DOUBLE_EQ(PresetValue(lists.wavelengths[0]), 1.540562);
}

TEST(PresetsIni, ReadsThreeListsVerbatimSkippingEmptyLines) {
  TemporaryDirectory dir;
  dir.Write("VELTO2.INI",
            "2\n 1.540562 (Cu-Ka1)\n\n0.709300 Mo-Ka1 \n"
            "1\r\n8.04798794\r\n"
            "3\n293.15\n\n77 (LN2)\n4.2\n");
  const PresetLists lists = ReadPresetsIni(dir.path() / "VELTO2.INI");
  EXPECT_EQ(lists.wavelengths, (std::vector<std::string>{"1.540562 (Cu-Ka1)", "0.709300 Mo-Ka1"}));
  EXPECT_EQ(lists.energies, (std::vector<std::string>{"8.04798794"}));
  EXPECT_EQ(lists.temperatures, (std::vector<std::string>{"293.15", "77 (LN2)", "4.2"}));
  EXPECT_DOUBLE_EQ(PresetValue(lists.temperatures[1]), 77.0);
}

TEST(PresetsIni, AnyFaultDiscardsAllThreeLists) {
  const char* faulty[] = {
      "1\n1.5\n0\n1\n300\n",             // second count 0 loses the first list too
      "1\n1.5\n1\n8.0\n",                // third list missing
      "2\n1.5\n1\n8.0\n1\n300\n",        // first list eats the second count
      "2147483647\n1.5\n1\n8\n1\n300\n", // absurd count
      "x\n1.5\n1\n8\n1\n300\n",          // count without a number
      "",
  };
  for (const char* content : faulty) {
    TemporaryDirectory dir;
    dir.Write("VELTO2.INI", content);
    EXPECT_EQ(ReadPresetsIni(dir.path() / "VELTO2.INI"), DefaultPresetLists()) << content;
  }
  TemporaryDirectory empty;
  EXPECT_EQ(ReadPresetsIni(empty.path() / "VELTO2.INI"), DefaultPresetLists());
}

// A pipe, a device or a directory under the name of an INI file must not
// block the start of the program: each is taken for a missing file.
TEST(StartupFiles, FilesThatAreNoRegularFilesAreTakenForMissingOnes) {
  TemporaryDirectory dir;
  ASSERT_EQ(::mkfifo((dir.path() / kDefaultsIniName).c_str(), 0600), 0);
  std::filesystem::create_directory(dir.path() / kPresetsIniName);
  const MainFrameState state = LoadFrom(dir);
  EXPECT_DOUBLE_EQ(state.defaultEnergy, 8047.987942062702);
  EXPECT_EQ(state.presets, DefaultPresetLists());
  EXPECT_EQ(ReadDefaultsIni("/dev/zero").energyKev, -1);
}

}  // namespace
}  // namespace velto::shell
