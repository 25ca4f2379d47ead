#include "programs/convoluted_curve/ConvolutedCurveTexts.h"

#include "core/TextNumbers.h"
#include "core/Units.h"
#include "programs/line_file/LineFile.h"
#include "shell/NumberText.h"

namespace velto::programs {

ConvolutionFwhmTexts FwhmTextsOf(const std::optional<double>& fwhm) {
  if (!fwhm || !(*fwhm > 0)) return {};
  return {core::FormatGeneral(*fwhm) + " \"", core::FormatGeneral(*fwhm / 3600),
          core::FormatGeneral(*fwhm * core::kArcsecond * 1000000) + " urad"};
}

std::string RockingStepText(double step) { return "Stepsize = " + shell::FormatNumber(step, 8) + " \""; }

multicrystal::AngleUnit AngleUnitOf(ExportUnit unit) {
  switch (unit) {
    case ExportUnit::Microradian:
      return multicrystal::AngleUnit::Microradian;
    case ExportUnit::Degree:
      return multicrystal::AngleUnit::Degree;
    case ExportUnit::Arcsecond:
      break;
  }
  return multicrystal::AngleUnit::Arcsecond;
}

std::optional<Refusal> ExportConvolutedCurve(const std::optional<multicrystal::CurveTrace>& curve,
                                             multicrystal::AngleUnit unit, bool absolute,
                                             const std::filesystem::path& file) {
  if (!curve) return Refusal{kNothingToExportMessage, core::MessageIcon::None, ""};
  const multicrystal::CurveTrace& trace = *curve;
  return WriteLineFile(file, trace.count, [&](int i, std::string& line) {
    line += shell::FormatNumber(multicrystal::ConvolutionExportAngle(trace, i, unit, absolute), 8);
    line += '\t';
    line += shell::FormatNumber(trace.values[static_cast<std::size_t>(i)], 8);
  });
}

}  // namespace velto::programs
