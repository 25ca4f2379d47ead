#pragma once
#include <filesystem>
#include <memory>

#include "crystal/CrystalStructure.h"
#include "crystal/StructFactor.h"
#include "mbd/MbdResults.h"
#include "mbd/MbdScan.h"
#include "shell/MainFrameState.h"
#include "shell/ProgramSlots.h"
#include "programs/mbd_map/MapSession.h"
#include "programs/ui/UserInterface.h"

namespace velto::programs {

class MbdHandOverSource;

// Requests that a program window passes on to the application: opening
// another program, showing the manual.
class ShellCommands {
 public:
  virtual ~ShellCommands() = default;
  virtual void OpenProgram(shell::ProgramKind kind) = 0;
  virtual void ShowHelp() = 0;
};

// The services of the main window that every program uses: default energy
// and temperature, the structure-file directory and flow, the chi store, the
// preset lists, the scattering engine and the data directory.
class AppContext {
 public:
  explicit AppContext(shell::MainFrameState& state, ShellCommands* commands = nullptr)
      : state_(state), commands_(commands) {}

  double DefaultEnergy() const { return state_.defaultEnergy; }          // eV
  double DefaultTemperature() const { return state_.defaultTemperature; }  // K
  const std::filesystem::path& StructPath() const { return state_.structPath; }
  void SetStructPath(const std::filesystem::path& path) { state_.structPath = path; }
  shell::ChiClipboard& ChiClipboard() { return state_.chiClipboard; }
  const shell::PresetLists& Presets() const { return state_.presets; }
  // Where the atomic data, the example structure and the manual lie.
  const std::filesystem::path& DataDirectory() const { return state_.exeDirectory; }

  // The application's scattering engine, created on first use. None after
  // its creation failed, which the person has then been told; the next
  // request tries again.
  std::shared_ptr<const crystal::StructFactor> StructFactorEngine(UserInterface& ui) {
    return state_.structFactorEngine.GetStructFactorEngine(state_.exeDirectory, ui);
  }

  // None when the application gives no such commands (tests, tools).
  ShellCommands* Commands() const { return commands_; }

  // Lets the person choose a structure file and loads it into `structure`.
  // Cancel leaves the structure untouched. The file is read into a structure
  // of its own that replaces `structure` only once it has loaded, so a file
  // that cannot be used is reported (with the reason) and the crystal the
  // program had stays. A negative temperature stands for the default
  // temperature.
  bool ChooseAndLoadStructure(UserInterface& ui, crystal::CrystalStructure& structure, double temperature);

  // The open multiple-beam window, whose crystal the MBD-line map takes
  // over (see MbdHandOverSource); null while none is open.
  MbdHandOverSource* MbdSource() const { return mbdSource_; }
  void SetMbdHandOverSource(MbdHandOverSource* source) { mbdSource_ = source; }

  // Options of the multiple-beam program that live for the application run
  // and are shared by its windows: the results-file choices of the save
  // dialog and the settings of the convolution panel.
  mbd::ResultOptions& MbdResultOptions() { return mbdResultOptions_; }
  mbd::ConvolutionSetup& MbdConvolution() { return mbdConvolution_; }

  // The index limits and ranges of the MBD-line map, kept for the
  // application run and shared by its windows.
  MbdMapSession& MapSession() { return mapSession_; }

 private:
  shell::MainFrameState& state_;
  ShellCommands* commands_;
  MbdHandOverSource* mbdSource_ = nullptr;
  mbd::ResultOptions mbdResultOptions_;
  mbd::ConvolutionSetup mbdConvolution_;
  MbdMapSession mapSession_;
};

}  // namespace velto::programs
