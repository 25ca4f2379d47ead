#include "programs/multiple_beam/MbdConvolutionPanel.h"

#include "programs/ui/FieldReading.h"
#include "shell/NumberText.h"

namespace velto::programs {
namespace {

using C = MbdConvolutionField;

constexpr bool IsCount(C id) { return id == C::EnergyPoints || id == C::ThetaPoints || id == C::PhiPoints; }

const char* Label(C id) {
  switch (id) {
    case C::Fwhm:
      return "FWHM";
    case C::EnergyRange:
      return "Energy Range";
    case C::EnergyPoints:
      return "Energy Points";
    case C::ThetaDivergence:
      return "Theta Divergence";
    case C::ThetaPoints:
      return "Theta Points";
    case C::PhiDivergence:
      return "Phi Divergence";
    case C::PhiPoints:
      return "Phi Points";
    case C::Count:
      break;
  }
  return "";
}

}  // namespace

const char* MbdConvolutionFieldName(MbdConvolutionField id) {
  switch (id) {
    case C::Fwhm:
      return "convolution fwhm";
    case C::EnergyRange:
      return "convolution energy range";
    case C::EnergyPoints:
      return "convolution energy points";
    case C::ThetaDivergence:
      return "convolution theta divergence";
    case C::ThetaPoints:
      return "convolution theta points";
    case C::PhiDivergence:
      return "convolution phi divergence";
    case C::PhiPoints:
      return "convolution phi points";
    case C::Count:
      break;
  }
  return "";
}

const char* MbdConvolutionPanel::ToolTip(MbdConvolutionField id) {
  switch (id) {
    case C::Fwhm:
      return "The FWHM bandwidth of the incident (Gaussian) spectrum";
    case C::EnergyRange:
      return "The energy range you want to cover in the Energy integration";
    case C::EnergyPoints:
      return "For N points, the energy range will be divided into (N-1) segments";
    case C::ThetaDivergence:
      return "The divergence of the incident beam along the theta angle direction";
    case C::PhiDivergence:
      return "The divergence of the incident beam along the Phi angle direction";
    case C::ThetaPoints:
      return "Number of angular points within the theta divergence range used for integration";
    case C::PhiPoints:
      return "Number of angular points within the Phi divergence range used for integration";
    case C::Count:
      break;
  }
  return nullptr;
}

MbdConvolutionPanel::MbdConvolutionPanel(mbd::ConvolutionSetup& remembered) : remembered_(remembered) {
  for (FormField& field : fields_) field.enabled = false;
}

void MbdConvolutionPanel::Show(const mbd::ConvolutionSetup& s) {
  using shell::FormatNumber;
  Field(C::Fwhm).text = FormatNumber(s.fwhmEv, 8);
  Field(C::EnergyRange).text = FormatNumber(s.energyRangeEv, 8);
  Field(C::EnergyPoints).text = std::to_string(s.energyPoints);
  Field(C::ThetaDivergence).text = FormatNumber(s.thetaDivergenceMicroradians, 8);
  Field(C::ThetaPoints).text = std::to_string(s.thetaPoints);
  Field(C::PhiDivergence).text = FormatNumber(s.phiDivergenceMicroradians, 8);
  Field(C::PhiPoints).text = std::to_string(s.phiPoints);
}

void MbdConvolutionPanel::Activate() {
  active_ = true;
  caption_ = kCalculate;
  for (FormField& field : fields_) field.enabled = true;
  Show(remembered_);
}

void MbdConvolutionPanel::Deactivate() {
  active_ = false;
  caption_ = kActivate;
  for (FormField& field : fields_) {
    field.enabled = false;
    field.text.clear();
  }
}

std::optional<mbd::ConvolutionSetup> MbdConvolutionPanel::Read(UserInterface& ui) {
  std::array<double, static_cast<std::size_t>(C::Count)> values{};
  for (std::size_t i = 0; i < values.size(); ++i) {
    const C id = static_cast<C>(i);
    if (IsCount(id)) {
      values[i] = shell::ParseInteger(fields_[i].text);
      continue;
    }
    const std::optional<double> value = ReadNumberField(ui, fields_[i].text, Label(id), MbdConvolutionFieldName(id));
    if (!value) return std::nullopt;
    values[i] = *value;
  }
  mbd::ConvolutionSetup s{values[0], values[1], static_cast<int>(values[2]), values[3], static_cast<int>(values[4]),
                          values[5], static_cast<int>(values[6])};
  mbd::ClampConvolution(s);
  Show(s);
  remembered_ = s;
  return s;
}

}  // namespace velto::programs
