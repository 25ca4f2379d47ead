#include "programs/multiple_beam/MbdScript.h"

#include <sstream>

#include "core/Units.h"
#include "programs/crystal_dialog/CrystalParamsForm.h"
#include "programs/crystal_dialog/ReflectionChecks.h"
#include "programs/energy_dialogs/ChangeWavelengthForm.h"
#include "programs/multiple_beam/ChiComponentsForm.h"
#include "programs/multiple_beam/HorizontalReferenceForm.h"
#include "programs/multiple_beam/MbdSaveForm.h"
#include "programs/ui/BoundFields.h"

namespace velto::programs {
namespace {

using F = MbdField;

MbdStep Stopped() { return {false, {}}; }
MbdStep Refused(std::string text) { return {false, std::move(text)}; }

std::optional<double> AngleOrNone(double value, double scale) {
  return value == mbd::kNoAngle ? std::nullopt : std::optional<double>(value * scale);
}

}  // namespace

MbdStep DefineMbdCrystal(MbdForm& form, ScriptedUserInterface& ui, const MbdCrystalEntries& e) {
  if (e.energyKev)
    if (auto refusal = CheckPhotonEnergy(*e.energyKev * core::kEvPerKev)) return Refused(*refusal);
  // 0 0 0 is left to the window, which words it itself.
  if (auto refusal = CheckMillerIndices(e.primary, AllZeroHkl::Accept)) return Refused(*refusal);
  ui.QueueOpenFile(e.structFile);
  const std::array<int, 3> hkl = e.primary;
  const std::string temperature = e.temperature;
  ui.QueueDialog<CrystalParamsForm>([hkl, temperature](CrystalParamsForm& dialog, UserInterface& person) {
    dialog.Temperature().text = temperature;
    for (int i = 0; i < 3; ++i) dialog.Index(i).text = std::to_string(hkl[static_cast<std::size_t>(i)]);
    return dialog.Ok(person) ? DialogResult::Ok : DialogResult::Cancel;
  });
  const std::optional<Answer> before = ui.unscriptedAnswer;
  ui.unscriptedAnswer = e.force ? Answer::Yes : Answer::No;
  const bool defined = form.DefineCrystal(ui);
  ui.unscriptedAnswer = before;
  if (!defined) return Stopped();
  if (!e.energyKev) return {};
  const std::string kev = FieldText(*e.energyKev);
  ui.QueueDialog<ChangeWavelengthForm>([kev](ChangeWavelengthForm& dialog, UserInterface& person) {
    dialog.EnergyEdited(kev);
    return dialog.Ok(person) ? DialogResult::Ok : DialogResult::Cancel;
  });
  if (!form.PhotonEnergy(ui)) return Stopped();
  return {};
}

MbdStep SetMbdDirections(MbdForm& form, ScriptedUserInterface& ui, const MbdDirectionEntries& e) {
  if (e.diamondMode) form.SetDiamondMode(*e.diamondMode);
  if (e.reference) {
    const std::array<double, 3> h = *e.reference;
    ui.QueueDialog<HorizontalReferenceForm>([h](HorizontalReferenceForm& dialog, UserInterface& person) {
      for (int i = 0; i < 3; ++i) dialog.Index(i).text = FieldText(h[static_cast<std::size_t>(i)]);
      return dialog.Ok(person) ? DialogResult::Ok : DialogResult::Cancel;
    });
    if (!form.HorizontalReference(ui)) return Stopped();
  }
  form.Field(F::Offcut).text = FieldText(e.offcutDeg);
  form.Field(F::OffcutAzimuth).text = FieldText(e.offcutAzimuthDeg);
  form.Field(F::PrincipalAzimuth).text = e.azimuthDeg ? FieldText(*e.azimuthDeg) : std::string();
  return {};
}

MbdStep AddMbdReflections(MbdForm& form, ScriptedUserInterface& ui, const std::vector<std::array<int, 3>>& reflections,
                          bool force, const std::function<void(const mbd::Miller&)>& leftOut) {
  const std::optional<Answer> before = ui.unscriptedAnswer;
  ui.unscriptedAnswer = force ? Answer::Yes : Answer::No;
  MbdStep step;
  for (const std::array<int, 3>& hkl : reflections) {
    if (auto refusal = CheckMillerIndices(hkl, AllZeroHkl::Accept)) {
      step = Refused(*refusal);
      break;
    }
    form.Field(F::AddH).text = std::to_string(hkl[0]);
    form.Field(F::AddK).text = std::to_string(hkl[1]);
    form.Field(F::AddL).text = std::to_string(hkl[2]);
    const std::size_t shown = ui.messages.size();
    if (form.AddReflection(ui)) continue;
    // The frame's refusal (with its message, or none) ends the script; a
    // reflection declined or passed over does not.
    if (ui.messages.size() == shown) {
      step = Stopped();
      break;
    }
    const ScriptedUserInterface::Message& last = ui.messages.back();
    if (last.question) {
      if (leftOut) leftOut({hkl[0], hkl[1], hkl[2]});
    } else if (last.text.find("is already included!") == std::string::npos && last.text != mbd::kTableFullMessage) {
      step = Stopped();
      break;
    }
  }
  ui.unscriptedAnswer = before;
  return step;
}

MbdStep ComputeMbdChi(MbdForm& form, ScriptedUserInterface& ui, const std::filesystem::path& import) {
  ui.QueueDialog<ChiComponentsForm>([import, &ui](ChiComponentsForm& dialog, UserInterface& person) {
    if (import.empty()) {
      dialog.Calculate(person);
    } else {
      ui.QueueOpenFile(import);
      dialog.Import(person);
    }
    return DialogResult::Ok;
  });
  form.ChiComponents(ui);
  return form.ChiNeeded() ? Stopped() : MbdStep{};
}

std::optional<std::string> ParseMbdColumns(const std::string& list, MbdColumns& columns) {
  columns = {false, false, false, false, false, false};
  std::stringstream stream(list);
  std::string name;
  while (std::getline(stream, name, ',')) {
    bool* box = name == "phi"          ? &columns.deltaPhi
                : name == "theta"      ? &columns.deltaTheta
                : name == "r"          ? &columns.reflectivity
                : name == "components" ? &columns.components
                : name == "amplitudes" ? &columns.amplitudes
                : name == "wavevector" ? &columns.waveVector
                                       : nullptr;
    if (box) {
      *box = true;
    } else if (!name.empty()) {
      return "Unknown column '" + name + "' (phi, theta, r, components, amplitudes, wavevector).";
    }
  }
  return std::nullopt;
}

MbdStep RunMbdScan(MbdForm& form, ScriptedUserInterface& ui, const MbdRunEntries& e) {
  form.Field(F::Thickness).text = FieldText(e.thicknessUm);
  form.Field(F::Polarisation).text = FieldText(e.polarisationDeg);
  form.Field(F::ThetaFrom).text = FieldText(e.thetaFromArcsec);
  form.Field(F::ThetaTo).text = FieldText(e.thetaToArcsec);
  form.Field(F::ThetaPoints).text = std::to_string(e.thetaPoints);
  form.Field(F::PhiFrom).text = FieldText(e.phiFromArcsec);
  form.Field(F::PhiTo).text = FieldText(e.phiToArcsec);
  form.Field(F::PhiPoints).text = std::to_string(e.phiPoints);
  form.Field(F::EnergyOffset).text = FieldText(e.energyOffsetEv);
  if (e.beam < 0 || e.beam >= form.Beams().Count())
    return Refused("The beam must be one of 0 ... " + std::to_string(form.Beams().Count() - 1) + ".");

  // The save dialog: what the person would refuse to choose there (a side or
  // a column it does not offer) ends the script before the run.
  std::string refusal;
  ui.QueueDialog<MbdSaveForm>([&e, &refusal](MbdSaveForm& dialog, UserInterface& person) {
    using Column = MbdSaveForm::Column;
    MbdColumns columns;
    if (e.transmission && !dialog.TransmissionEnabled()) {
      refusal = "Transmission (Exit Crystal Surface Side) needs a crystal of finite thickness.";
    } else if (auto unknown = ParseMbdColumns(e.columns, columns)) {
      refusal = *unknown;
    } else {
      const std::pair<Column, bool> boxes[] = {
          {Column::DeltaPhi, columns.deltaPhi},         {Column::DeltaTheta, columns.deltaTheta},
          {Column::Reflectivity, columns.reflectivity}, {Column::Components, columns.components},
          {Column::Amplitudes, columns.amplitudes},     {Column::WaveVector, columns.waveVector}};
      for (const auto& [column, checked] : boxes) {
        dialog.ColumnBox(column).checked = checked;
        if (checked && !dialog.ColumnBox(column).enabled)
          refusal = "Wave amplitudes and diffracted wave vectors are not available for a convolution run.";
      }
    }
    if (!refusal.empty()) return DialogResult::Cancel;
    dialog.ChooseExitSide(e.transmission);
    dialog.ChooseMicroradians(e.microradians);
    dialog.SelectBeam(e.beam);
    dialog.FileName().text = e.file.string();
    return dialog.Ok(person) ? DialogResult::Ok : DialogResult::Cancel;
  });

  bool started = false;
  if (e.convolution) {
    if (!form.Convolution().Active()) form.ConvolutionButton(ui);
    using C = MbdConvolutionField;
    MbdConvolutionPanel& panel = form.Convolution();
    const MbdConvolutionEntries& c = *e.convolution;
    panel.Field(C::Fwhm).text = FieldText(c.fwhmEv);
    panel.Field(C::EnergyRange).text = FieldText(c.energyRangeEv);
    panel.Field(C::EnergyPoints).text = std::to_string(c.energyPoints);
    panel.Field(C::ThetaDivergence).text = FieldText(c.thetaDivergenceUrad);
    panel.Field(C::ThetaPoints).text = std::to_string(c.thetaPoints);
    panel.Field(C::PhiDivergence).text = FieldText(c.phiDivergenceUrad);
    panel.Field(C::PhiPoints).text = std::to_string(c.phiPoints);
    // A convolution asked for is the person's Yes to the warning about long runs.
    ui.QueueAnswer(Answer::Yes);
    started = form.ConvolutionButton(ui);
  } else {
    started = form.PlaneWaveScan(ui);
  }
  if (!refusal.empty()) return Refused(refusal);
  if (!started || !form.LastRun()) return Stopped();
  return {};
}

std::vector<MbdBeamRow> MbdBeamTable(const MbdForm& form) {
  std::vector<MbdBeamRow> rows;
  const mbd::MbdReflectionTable& table = form.Beams();
  for (int i = 0; i < table.Count(); ++i) {
    const mbd::MbdBeam& beam = table[i];
    MbdBeamRow row;
    row.index = i;
    row.hkl = beam.hkl;
    if (i >= 2) row.braggDeg = AngleOrNone(beam.braggAngle, 1 / core::kDegree);
    row.azimuthsDeg = {AngleOrNone(beam.azimuth1, 1), AngleOrNone(beam.azimuth2, 1)};
    rows.push_back(row);
  }
  return rows;
}

}  // namespace velto::programs
