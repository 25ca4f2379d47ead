#pragma once
#include <string>

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

}  // namespace velto::testing
