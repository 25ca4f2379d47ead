#pragma once
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "programs/crystal_dialog/CrystalParamsForm.h"
#include "programs/energy_dialogs/ChangeWavelengthForm.h"
#include "support/FakeUserInterface.h"

// What a person does in the shared dialogs, scripted for the tests of the
// program windows.
namespace velto::testing {

// The crystal dialog is given h k l (and a temperature, when not empty) and
// OK; it stays open (Cancel) when OK refuses.
inline void QueueCrystalDialog(FakeUserInterface& ui, std::string h, std::string k, std::string l,
                               std::string temperature = {}) {
  ui.QueueDialog<programs::CrystalParamsForm>(
      [h, k, l, temperature](programs::CrystalParamsForm& f, programs::UserInterface& inner) {
        f.Index(0).text = h;
        f.Index(1).text = k;
        f.Index(2).text = l;
        if (!temperature.empty()) f.Temperature().text = temperature;
        return f.Ok(inner) ? programs::DialogResult::Ok : programs::DialogResult::Cancel;
      });
}

// The photon-energy dialog is given an energy in keV and OK.
inline void QueueEnergyDialog(FakeUserInterface& ui, std::string kev) {
  ui.QueueDialog<programs::ChangeWavelengthForm>(
      [kev](programs::ChangeWavelengthForm& f, programs::UserInterface& inner) {
        f.EnergyEdited(kev);
        return f.Ok(inner) ? programs::DialogResult::Ok : programs::DialogResult::Cancel;
      });
}

// Defines a crystal as a person does: the structure file chooser answers the
// silicon example of `data` when the crystal has no structure yet, and the
// crystal dialog is given h k l.
inline void DefineSilicon(FakeUserInterface& ui, const std::filesystem::path& data, bool structureLoaded,
                          const std::function<void(programs::UserInterface&)>& define, std::string h = "1",
                          std::string k = "1", std::string l = "1") {
  if (!structureLoaded) ui.QueueOpenFile(data / "Silicon.struct");
  QueueCrystalDialog(ui, std::move(h), std::move(k), std::move(l));
  define(ui);
}

// The messages a command showed.
inline std::vector<std::string> MessagesOf(FakeUserInterface& ui,
                                           const std::function<void(programs::UserInterface&)>& command) {
  const std::size_t before = ui.messages.size();
  command(ui);
  std::vector<std::string> said;
  for (std::size_t i = before; i < ui.messages.size(); ++i) said.push_back(ui.messages[i].text);
  return said;
}

}  // namespace velto::testing
