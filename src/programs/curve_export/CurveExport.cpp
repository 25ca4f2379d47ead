#include "programs/curve_export/CurveExport.h"

#include "core/OutputFile.h"
#include "core/Units.h"
#include "programs/line_file/LineFile.h"
#include "shell/NumberText.h"

namespace velto::programs {
namespace {

using twobeam::ScanKind;

constexpr double kRadiansToDegrees = 180.0 / core::kPi;

double FromRadians(double radians, ExportUnit unit) {
  switch (unit) {
    case ExportUnit::Microradian:
      return radians * 1e6;
    case ExportUnit::Degree:
      return radians * kRadiansToDegrees;
    case ExportUnit::Arcsecond:
      break;
  }
  return radians / core::kArcsecond;
}

}  // namespace

CurveExportDialog::CurveExportDialog(const ExportAvailability& availability) : availability_(availability) {}

std::string CurveExportDialog::ScanColumnCaption() const {
  return availability_.kind == ScanKind::EnergyScan ? "Photon energy" : "Incident angle";
}

std::string CurveExportDialog::ScanUnitCaption(ExportUnit unit) const {
  switch (unit) {
    case ExportUnit::Microradian:
      return "Micro-radian";
    case ExportUnit::Degree:
      return "Degree";
    case ExportUnit::Arcsecond:
      break;
  }
  return availability_.kind == ScanKind::EnergyScan ? "eV" : "arcsec";
}

bool CurveExportDialog::ScanUnitVisible(ExportUnit unit) const {
  return availability_.kind == ScanKind::RockingCurve || unit == ExportUnit::Arcsecond;
}

void CurveExportDialog::ClickScanColumn() {
  if (availability_.fixedColumns) return;
  choice_.scan = !choice_.scan;
}

void CurveExportDialog::ClickExitColumn() {
  if (!ExitColumnEnabled()) return;
  choice_.exit = !choice_.exit;
}

void CurveExportDialog::ClickReflectivity() {
  if (availability_.fixedColumns) return;
  choice_.reflectivity = !choice_.reflectivity;
}

void CurveExportDialog::ClickTransmissivity() {
  if (TransmissivityEnabled()) choice_.transmissivity = !choice_.transmissivity;
}

void CurveExportDialog::ClickDepth() {
  if (DepthEnabled()) choice_.depth = !choice_.depth;
}

void CurveExportDialog::ClickSpecular() {
  if (SpecularEnabled()) choice_.specular = !choice_.specular;
}

void CurveExportDialog::ChooseScanUnit(ExportUnit unit) {
  if (ScanGroupEnabled() && ScanUnitVisible(unit)) choice_.scanUnit = unit;
}

void CurveExportDialog::ChooseScanReference(ExportReference reference) {
  if (ScanGroupEnabled()) choice_.scanReference = reference;
}

void CurveExportDialog::ChooseExitUnit(ExportUnit unit) {
  if (ExitGroupEnabled()) choice_.exitUnit = unit;
}

void CurveExportDialog::ChooseExitReference(ExportReference reference) {
  if (ExitGroupEnabled()) choice_.exitReference = reference;
}

std::optional<Refusal> CurveExportDialog::Accept() const {
  if (!choice_.scan && !choice_.exit) {
    return Refusal{"You must select " + ScanColumnCaption() + " or Exit angle or Both!   ", core::MessageIcon::None, ""};
  }
  // Columns that are not available cannot have been chosen; a choice that
  // was made while a caller's flags said otherwise still does not count.
  const bool anyValue = choice_.reflectivity || (choice_.transmissivity && TransmissivityEnabled()) ||
                        (choice_.depth && DepthEnabled()) || (choice_.specular && SpecularEnabled());
  if (!anyValue) return Refusal{kNoValueColumnMessage, core::MessageIcon::None, ""};
  return std::nullopt;
}

std::optional<Refusal> CheckExportable(const twobeam::CurveSet& curve) {
  if (!curve.HasData()) return Refusal{kNoDataToExportMessage, core::MessageIcon::None, ""};
  return std::nullopt;
}

std::string ExportLine(const twobeam::CurveSet& curve, const ExportGeometry& g, const ExportColumns& c, int i) {
  using shell::FormatNumber;
  std::string line;
  if (c.scan) {
    const double x = curve.DisplayCoordinate(i);
    const bool absolute = c.scanReference == ExportReference::Absolute;
    double value;
    if (curve.kind == ScanKind::EnergyScan) {
      value = absolute ? x + g.energy : x;
    } else {
      const double incidence = absolute ? g.braggAngle - g.asymmetry : 0.0;
      switch (c.scanUnit) {
        case ExportUnit::Microradian:
          value = (x * core::kArcsecond + incidence) * 1e6;
          break;
        case ExportUnit::Degree:
          value = x / 3600.0 + incidence * kRadiansToDegrees;
          break;
        case ExportUnit::Arcsecond:
        default:
          value = x + incidence * 3600.0 * kRadiansToDegrees;
          break;
      }
    }
    line += FormatNumber(value, 8);
  }
  if (c.exit) {
    double exit = curve.exitDeviation[i];
    if (c.exitReference == ExportReference::Absolute) exit += g.braggAngle + g.asymmetry;
    if (c.scan) line += '\t';
    line += FormatNumber(FromRadians(exit, c.exitUnit), 8);
  }
  if (c.reflectivity) line += '\t' + FormatNumber(curve.reflectivity[i], 8);
  if (c.transmissivity) line += '\t' + FormatNumber(curve.transmissivity[i], 8);
  if (c.depth) line += '\t' + FormatNumber(curve.depth[i] / 10.0, 8);
  if (c.specular) line += '\t' + FormatNumber(curve.specular[i], 8);
  return line;
}

std::optional<Refusal> WriteCurveFile(const std::filesystem::path& path, const twobeam::CurveSet& curve,
                                      const ExportGeometry& geometry, const ExportColumns& columns) {
  std::string content;
  if (auto refusal = CheckExportable(curve)) return refusal;
  content.reserve(static_cast<std::size_t>(curve.points) * 32);
  for (int i = 0; i < curve.points; ++i) {
    content += ExportLine(curve, geometry, columns, i);
    content += "\r\n";
  }
  if (!core::WriteOutputFile(path, content).Ok()) return CannotCreateFile(path);
  return std::nullopt;
}

}  // namespace velto::programs
