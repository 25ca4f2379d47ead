#include "programs/energy_dialogs/ChangeWavelengthForm.h"

#include <cmath>

#include "core/Units.h"
#include "programs/energy_dialogs/SetBraggForm.h"
#include "programs/ui/FieldReading.h"
#include "shell/ComboRules.h"
#include "shell/NumberText.h"

namespace velto::programs {

using shell::FormatNumber;
using shell::ParseNumber;

namespace {

// hc/x for the boxes: a value that is not positive converts to nothing.
std::string Converted(double x) { return x > 0 ? FormatNumber(core::kHcKevAngstrom / x, 8) : std::string(); }

}  // namespace

ChangeWavelengthForm::ChangeWavelengthForm(double energyEv, const shell::PresetLists& presets, double d,
                                           std::string hklText)
    : energyEv_(energyEv),
      wavelengthAngstrom_(energyEv > 0 ? core::kHcEvAngstrom / energyEv : -1),
      d_(d),
      energyList_(presets.energies),
      wavelengthList_(presets.wavelengths) {
  // The dialog always opens in energy mode, so the energy is what is shown.
  energy_.text = energyEv > 0 ? FormatNumber(energyEv / 1000.0, 8) : std::string();
  wavelength_.text = energyEv > 0 ? FormatNumber(core::kHcEvAngstrom / energyEv, 8) : std::string();
  SetMode(Mode::Energy);

  backButton_.visible = d > 0;
  if (d > 0) backButton_.text = "Set (" + hklText + ") Back Diffraction Bragg Energy";
  braggButton_.text = "Set Bragg Angle...";
  braggButton_.enabled = d > 0;
}

void ChangeWavelengthForm::SetMode(Mode mode) {
  mode_ = mode;
  energy_.enabled = mode == Mode::Energy;
  wavelength_.enabled = mode == Mode::Wavelength;
}

void ChangeWavelengthForm::EnergyEdited(std::string_view text) {
  energy_.text = std::string(text);
  wavelength_.text = shell::ConvertedPartnerText(text);
}

void ChangeWavelengthForm::WavelengthEdited(std::string_view text) {
  wavelength_.text = std::string(text);
  energy_.text = shell::ConvertedPartnerText(text);
}

void ChangeWavelengthForm::EnergyLeft() { energy_.text = shell::WavelengthTextOnLeave(energy_.text); }

void ChangeWavelengthForm::WavelengthLeft() { wavelength_.text = shell::WavelengthTextOnLeave(wavelength_.text); }

void ChangeWavelengthForm::ShowEnergyKev(double energyKev) {
  energy_.text = FormatNumber(energyKev, 8);
  wavelength_.text = Converted(energyKev);
}

void ChangeWavelengthForm::SetBackDiffractionEnergy() {
  if (!(d_ > 0)) return;
  // Just below hc/(2d), so that λ/(2d) is a hair above 1 and the Bragg angle
  // sits at 90 degrees.
  ShowEnergyKev(core::kHalfHcEvAngstrom / d_ / 1000.0 - 1e-8);
}

void ChangeWavelengthForm::SetBraggAngle(UserInterface& ui) {
  if (!(d_ > 0)) return;
  const double energyKev = ParseNumber(energy_.text);
  double initialAngle = -1;
  if (energyKev > 0) {
    const double sine = core::kHcKevAngstrom / energyKev / 2.0 / d_;
    if (sine <= 1) initialAngle = std::asin(sine) / core::kDegree;
  }
  SetBraggForm bragg(initialAngle);
  if (ui.RunDialog(bragg) != DialogResult::Ok) return;
  const double lambda = 2.0 * d_ * std::sin(bragg.AngleDegrees() * core::kDegree);
  wavelength_.text = FormatNumber(lambda, 8);
  energy_.text = Converted(lambda);
}

bool ChangeWavelengthForm::Ok(UserInterface& ui) {
  // The box the person types in is read first, so that a refusal quotes
  // what was typed.
  if (mode_ == Mode::Wavelength && !ReadNumberField(ui, wavelength_.text, "Wavelength", kWavelengthField)) return false;
  const std::optional<double> energyKev = ReadNumberField(ui, energy_.text, "Photon Energy", kEnergyField);
  if (!energyKev) return false;
  const double energy = *energyKev * 1000.0;
  if (!(energy > 0)) {
    ui.ShowMessage("Invalid photon energy or wavelength.  ");
    ui.Focus(mode_ == Mode::Energy ? kEnergyField : kWavelengthField);
    return false;
  }
  energyEv_ = energy;
  wavelengthAngstrom_ = core::kHcEvAngstrom / energy;
  return true;
}

}  // namespace velto::programs
