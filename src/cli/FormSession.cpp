#include "cli/FormSession.h"

#include <iostream>

#include "cli/Command.h"
#include "core/DataDirectory.h"
#include "programs/crystal_dialog/CrystalParamsForm.h"
#include "programs/energy_dialogs/ChangeWavelengthForm.h"
#include "programs/ui/BoundFields.h"

namespace velto::cli {

using programs::DialogResult;
using programs::UserInterface;

FormSession::FormSession(bool force) : app_(state_) {
  state_.exeDirectory = core::DataDirectory();
  state_.structPath = state_.exeDirectory;
  // The commands ask at most one question per crystal they define.
  if (force)
    for (int i = 0; i < 4; ++i) ui_.QueueAnswer(programs::Answer::Yes);
}

void FormSession::Stop() {
  ui_.Flush();
  if (!ui_.messages.empty() && ui_.messages.back().question) std::cerr << "(--force answers Yes.)\n";
  throw ExitStatus{1};
}

void FormSession::Run(const std::function<void(UserInterface&)>& command) {
  const std::size_t messages = ui_.messages.size();
  const std::size_t focusMoves = ui_.focusMoves.size();
  command(ui_);
  if (ui_.messages.size() == messages) return;
  ui_.Flush();
  // A bound field's refusal names its limits, not the field: say which one,
  // unless the refusal already named the option that typed into it.
  if (ui_.messages.back().icon == core::MessageIcon::Warning && ui_.focusMoves.size() > focusMoves &&
      !ui_.NamesOption(ui_.LastFocus()))
    std::cerr << "(field: " << ui_.LastFocus() << ")\n";
  Stop();
}

void FormSession::SetEnergy(const std::string& kev, const std::function<void(UserInterface&)>& open) {
  bool accepted = false;
  ui_.QueueDialog<programs::ChangeWavelengthForm>(
      [&kev, &accepted](programs::ChangeWavelengthForm& dialog, UserInterface& ui) {
        dialog.EnergyEdited(kev);
        accepted = dialog.Ok(ui);
        return accepted ? DialogResult::Ok : DialogResult::Cancel;
      });
  open(ui_);
  if (!accepted) Stop();
}

void FormSession::DefineCrystal(const std::string& structFile, const std::vector<int>& hkl,
                                const std::string& temperature, const std::function<void(UserInterface&)>& define,
                                const std::function<const crystal::CrystalParams&()>& crystal) {
  if (structFile.empty()) return;
  ui_.QueueOpenFile(std::filesystem::path(structFile));
  bool accepted = false;
  ui_.QueueDialog<programs::CrystalParamsForm>(
      [&hkl, &temperature, &accepted, &crystal](programs::CrystalParamsForm& dialog, UserInterface& ui) {
        // The file could not be loaded and has been reported; a person would
        // cancel here rather than load another one.
        if (!crystal().structure.IsLoaded()) return DialogResult::Cancel;
        for (int i = 0; i < 3; ++i)
          dialog.Index(i).text = programs::BoundIntegerText(hkl[static_cast<std::size_t>(i)]);
        if (!temperature.empty()) dialog.Temperature().text = temperature;
        accepted = dialog.Ok(ui);
        return accepted ? DialogResult::Ok : DialogResult::Cancel;
      });
  define(ui_);
  // Messages during the definition (the 180° back-diffraction note) are the
  // window's notes; only a crystal that was not taken over ends the command.
  if (!accepted) Stop();
  if (crystal().chi.Failed()) throw ExitStatus{1};
}

}  // namespace velto::cli
