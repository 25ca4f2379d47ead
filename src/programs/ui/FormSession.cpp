#include "programs/ui/FormSession.h"

#include "programs/crystal_dialog/CrystalParamsForm.h"
#include "programs/energy_dialogs/ChangeWavelengthForm.h"
#include "programs/ui/BoundFields.h"

namespace velto::programs {

FormSession::FormSession(ScriptedUserInterface& ui, const std::filesystem::path& dataDirectory, bool force)
    : app_(state_), ui_(ui) {
  state_.exeDirectory = dataDirectory;
  state_.structPath = state_.exeDirectory;
  // The forms ask at most one question per crystal they define.
  if (force)
    for (int i = 0; i < 4; ++i) ui_.QueueAnswer(Answer::Yes);
}

bool FormSession::Run(const std::function<void(UserInterface&)>& command) {
  const std::size_t messages = ui_.messages.size();
  command(ui_);
  return ui_.messages.size() == messages;
}

bool FormSession::SetEnergy(const std::string& kev, const std::function<void(UserInterface&)>& open) {
  bool accepted = false;
  ui_.QueueDialog<ChangeWavelengthForm>([&kev, &accepted](ChangeWavelengthForm& dialog, UserInterface& ui) {
    dialog.EnergyEdited(kev);
    accepted = dialog.Ok(ui);
    return accepted ? DialogResult::Ok : DialogResult::Cancel;
  });
  open(ui_);
  return accepted;
}

FormSession::Definition FormSession::DefineCrystal(const std::filesystem::path& structFile,
                                                   const std::array<int, 3>& hkl, const std::string& temperature,
                                                   const std::function<void(UserInterface&)>& define,
                                                   const std::function<const crystal::CrystalParams&()>& crystal) {
  ui_.QueueOpenFile(structFile);
  bool accepted = false;
  ui_.QueueDialog<CrystalParamsForm>(
      [&hkl, &temperature, &accepted, &crystal](CrystalParamsForm& dialog, UserInterface& ui) {
        // The file could not be loaded and has been reported; a person would
        // cancel here rather than load another one.
        if (!crystal().structure.IsLoaded()) return DialogResult::Cancel;
        for (std::size_t i = 0; i < 3; ++i) dialog.Index(static_cast<int>(i)).text = BoundIntegerText(hkl[i]);
        if (!temperature.empty()) dialog.Temperature().text = temperature;
        accepted = dialog.Ok(ui);
        return accepted ? DialogResult::Ok : DialogResult::Cancel;
      });
  define(ui_);
  // Messages during the definition (the 180° back-diffraction note) are the
  // window's notes; only a crystal that was not taken over is refused.
  if (!accepted) return Definition::Refused;
  return crystal().chi.Failed() ? Definition::NoChi : Definition::Defined;
}

std::string_view TrimmedMessage(std::string_view text) {
  const auto first = text.find_first_not_of(" \n\r\t");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \n\r\t");
  return text.substr(first, last - first + 1);
}

std::string UnreadableStructureMessage(const std::filesystem::path& path, const crystal::StructFileFailure& failure,
                                       const char* heading) {
  const std::string first = heading ? std::string(heading) : "Failed to open file '" + path.string() + "' !";
  return first + "\n" + path.string() + ": " + failure.Describe();
}

std::string FailedPointsMessage(long failed, long total) {
  return std::to_string(failed) + (total > 0 ? " of " + std::to_string(total) : std::string()) +
         " points failed; they count 0 in the results.";
}

}  // namespace velto::programs
