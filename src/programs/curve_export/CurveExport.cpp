#include "programs/curve_export/CurveExport.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "core/Units.h"
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
  if (!ReplaceFileSafely(path, content)) {
    return Refusal{"Cannot create the file \"" + path.string() + "\" !", core::MessageIcon::Error, ""};
  }
  return std::nullopt;
}

bool ReplaceFileSafely(const std::filesystem::path& path, const std::string& content) {
  if (path.empty() || !path.has_filename()) return false;
  const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
  // A fresh name beside the target (O_EXCL: never an existing file), with
  // the permissions a newly created file would get.
  std::filesystem::path temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    std::string name = path.filename().string();
    name.insert(0, 1, '.');
    name.append(".").append(std::to_string(::getpid())).append(".").append(std::to_string(attempt)).append(".tmp");
    temporary = folder / name;
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;
  std::size_t written = 0;
  bool ok = true;
  while (ok && written < content.size()) {
    const ssize_t n = ::write(fd, content.data() + written, content.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) ok = false;
    else written += static_cast<std::size_t>(n);
  }
  if (::close(fd) != 0) ok = false;
  std::error_code error;
  if (ok) {
    std::filesystem::rename(temporary, path, error);
    if (!error) return true;
  }
  std::filesystem::remove(temporary, error);
  return false;
}

}  // namespace velto::programs
