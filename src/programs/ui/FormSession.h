#pragma once
#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "crystal/CrystalParams.h"
#include "crystal/CrystalStructure.h"
#include "programs/ui/AppContext.h"
#include "programs/ui/ScriptedUserInterface.h"
#include "shell/MainFrameState.h"

namespace velto::programs {

// A program window's form model driven without a person, as velto-cli and
// the Python module drive it: the answers, files and dialog entries are
// queued on `ui` in advance, then the form's command runs. What a refusal
// does next (print it and end the program, raise it) is the driver's.
class FormSession {
 public:
  // `ui` must outlive the session. `force`: the form's Yes/No questions are
  // answered Yes (else No, their default).
  FormSession(ScriptedUserInterface& ui, const std::filesystem::path& dataDirectory, bool force);

  AppContext& App() { return app_; }

  // Runs a command of the form; false when it showed a message: it refused
  // or failed.
  bool Run(const std::function<void(UserInterface&)>& command);

  // Gives the photon-energy dialog `kev` as typed and runs `open` (the form's
  // "Photon Energy..."); false when the dialog refused the energy.
  bool SetEnergy(const std::string& kev, const std::function<void(UserInterface&)>& open);

  enum class Definition { Defined, Refused, NoChi };
  // Defines a crystal through `define` (the form's "Define ..." command): the
  // file chooser answers `structFile`, the crystal dialog is given h k l and,
  // when not empty, the temperature text, then OK. Refused: the dialog did
  // not take the crystal over (or the file could not be read, which has been
  // reported); NoChi: it did, but the atomic data could not give its chi
  // (they have said why).
  Definition DefineCrystal(const std::filesystem::path& structFile, const std::array<int, 3>& hkl,
                           const std::string& temperature, const std::function<void(UserInterface&)>& define,
                           const std::function<const crystal::CrystalParams&()>& crystal);

 private:
  shell::MainFrameState state_;
  AppContext app_;
  ScriptedUserInterface& ui_;
};

// The text of a message box on a terminal line or in an exception: without
// the padding and line feeds around it.
std::string_view TrimmedMessage(std::string_view text);

// What a scripted run says of a structure file it could not read: the
// window's words (`heading`, else "Failed to open file '<path>' !"), then
// what was wrong, for the person to mend the file.
std::string UnreadableStructureMessage(const std::filesystem::path& path, const crystal::StructFileFailure& failure,
                                       const char* heading = nullptr);

// What a scripted run says of a scan whose points failed (total 0: not known).
std::string FailedPointsMessage(long failed, long total);

}  // namespace velto::programs
