#include "programs/monochromator/MonochromatorTexts.h"

#include "programs/convoluted_curve/ConvolutedCurveTexts.h"
#include "programs/line_file/LineFile.h"
#include "shell/NumberText.h"

namespace velto::programs {

using multicrystal::ScanMode;
using shell::FormatNumber;

MonochromatorResultTexts ResultTextsOf(const std::optional<multicrystal::MonochromatorAnalysis>& analysis,
                                       ScanMode mode) {
  if (!analysis || !analysis->hasWidth) return {};
  const multicrystal::MonochromatorAnalysis& a = *analysis;
  MonochromatorResultTexts texts;
  if (mode == ScanMode::Angular) {
    texts.fwhm = FormatNumber(a.fwhm, 3) + " \"";
    texts.maximum = FormatNumber(a.maximum, 5) + "   at  " + FormatNumber(a.maxPosition, 3) + " \"";
    texts.centre = FormatNumber(a.centre, 3) + " \"";
    texts.halfMaxima = FormatNumber(a.left, 3) + " ,  " + FormatNumber(a.right, 3) + " \"";
  } else {
    texts.fwhm = FormatNumber(a.fwhm, 5) + " eV";
    texts.maximum = FormatNumber(a.maximum, 5) + "   at  " + FormatNumber(a.maxPosition, 5) + " eV";
    texts.centre = FormatNumber(a.centre, 5) + " eV";
    texts.halfMaxima = FormatNumber(a.left, 5) + ", " + FormatNumber(a.right, 5) + " eV";
  }
  texts.centreReflectivity = FormatNumber(a.centreReflectivity, 5);
  return texts;
}

std::string ScanStepText(double step, ScanMode mode) {
  return "Stepsize = " + FormatNumber(step, 8) + (mode == ScanMode::Angular ? " \"" : " eV");
}

std::string PhiText(double phi) { return FormatNumber(phi, 8); }

AutoSetTexts AutoSetTextsOf(const multicrystal::AutoSetProposal& p) {
  return {FormatNumber(p.phi, 8), FormatNumber(p.deltaPhi, 8), FormatNumber(p.deltaOmega, 8),
          FormatNumber(p.deltaPhi, 4), FormatNumber(p.deltaOmega, 8)};
}

std::optional<Refusal> ExportMonochromatorCurve(const std::optional<multicrystal::MonochromatorCurve>& curve,
                                                const ExportColumns& columns, const std::filesystem::path& file) {
  if (!curve) return Refusal{kNothingToExportMessage, core::MessageIcon::None, ""};
  const multicrystal::MonochromatorCurve& c = *curve;
  const multicrystal::AngleUnit incidentUnit = AngleUnitOf(columns.scanUnit);
  const multicrystal::AngleUnit exitUnit = AngleUnitOf(columns.exitUnit);
  const bool incidentAbsolute = columns.scanReference == ExportReference::Absolute;
  const bool exitAbsolute = columns.exitReference == ExportReference::Absolute;
  return WriteLineFile(file, c.trace.count, [&](int i, std::string& line) {
    if (columns.scan) line += FormatNumber(MonochromatorExportIncidence(c, i, incidentUnit, incidentAbsolute), 8);
    if (columns.exit) {
      if (columns.scan) line += '\t';
      line += FormatNumber(MonochromatorExportExit(c, i, exitUnit, exitAbsolute), 8);
    }
    if (columns.reflectivity) {
      line += '\t';
      line += FormatNumber(c.trace.values[static_cast<std::size_t>(i)], 8);
    }
  });
}

}  // namespace velto::programs
