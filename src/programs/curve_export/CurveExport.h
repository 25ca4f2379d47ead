#pragma once
#include <filesystem>
#include <optional>
#include <string>

#include "programs/Refusal.h"
#include "programs/ui/UserInterface.h"
#include "twobeam/CurveSet.h"

// The curve export of the single-crystal program: the column dialog
// "Select Data Columns (and Units) to Export" (CDlgExport, shared with the
// multi-crystal programs) and the writer of the data file.
namespace velto::programs {

inline constexpr const char* kNoDataToExportMessage = "No data to export yet !    ";
inline constexpr const char* kNoValueColumnMessage = "At least one of the right 4 columns must be selected.   ";
inline constexpr const char* kExportSaveTitle = "Save Selected Rocking Curve Data";
inline constexpr const char* kExportFilter = "Data File (*.dat)|*.dat|All Files (*.*)|*.*||";
inline constexpr const char* kExportExtension = "dat";

enum class ExportUnit { Microradian, Arcsecond, Degree };
enum class ExportReference { Relative, Absolute };

// The choices of the dialog, with its defaults.
struct ExportColumns {
  bool scan = true;  // "Photon energy" / "Incident angle"
  ExportUnit scanUnit = ExportUnit::Arcsecond;
  ExportReference scanReference = ExportReference::Relative;
  bool exit = false;  // "Exit angle"
  ExportUnit exitUnit = ExportUnit::Arcsecond;
  ExportReference exitReference = ExportReference::Relative;
  bool reflectivity = true;
  bool transmissivity = false;
  bool depth = false;     // "Penetration" / "depth (nm)"
  bool specular = false;  // "Specular" / "reflectivity"

  bool operator==(const ExportColumns&) const = default;
};

// What the calling program tells the dialog before it opens.
struct ExportAvailability {
  bool laue = false;                     // no penetration depth
  bool transmissivityAvailable = false;  // thickness above 0
  bool rigorous = false;                 // specular reflectivity exists
  bool fixedColumns = false;             // first and reflectivity columns always, no exit angle
  twobeam::ScanKind kind = twobeam::ScanKind::RockingCurve;
};

// The dialog model: which controls can be used, their captions, the
// clicks, and the check of OK.
class CurveExportDialog : public DialogModel {
 public:
  explicit CurveExportDialog(const ExportAvailability& availability);

  const ExportColumns& Choice() const { return choice_; }
  const ExportAvailability& Availability() const { return availability_; }

  // "Photon energy" for an energy scan, "Incident angle" for a rocking curve.
  std::string ScanColumnCaption() const;
  // An energy scan has no angular units: its "arcsec" button reads "eV" and
  // the other two are hidden.
  std::string ScanUnitCaption(ExportUnit unit) const;
  bool ScanUnitVisible(ExportUnit unit) const;
  bool ScanGroupEnabled() const { return choice_.scan; }
  bool ExitGroupEnabled() const { return choice_.exit; }
  bool ExitColumnEnabled() const { return !availability_.fixedColumns; }
  bool TransmissivityEnabled() const { return availability_.transmissivityAvailable; }
  bool DepthEnabled() const { return !availability_.laue; }
  bool SpecularEnabled() const { return availability_.rigorous; }

  // Clicks on the check boxes; a disabled control ignores them.
  void ClickScanColumn();
  void ClickExitColumn();
  void ClickReflectivity();
  void ClickTransmissivity();
  void ClickDepth();
  void ClickSpecular();
  void ChooseScanUnit(ExportUnit unit);
  void ChooseScanReference(ExportReference reference);
  void ChooseExitUnit(ExportUnit unit);
  void ChooseExitReference(ExportReference reference);

  // OK: the message that keeps the dialog open, or none.
  std::optional<Refusal> Accept() const;

 private:
  ExportAvailability availability_;
  ExportColumns choice_;
};

// Where the scan lies: θB and α (radians) and E0 (eV) of the calculation.
struct ExportGeometry {
  double braggAngle = 0;
  double asymmetry = 0;
  double energy = 0;
};

// The export refuses a curve without data.
std::optional<Refusal> CheckExportable(const twobeam::CurveSet& curve);

// One line of the file for point i, without its line end.
std::string ExportLine(const twobeam::CurveSet& curve, const ExportGeometry& geometry, const ExportColumns& columns,
                       int i);

// Writes one line per point, each ended by CR LF, with no header, through
// the suite's one writer (core/OutputFile.h): a failure never leaves half a
// file nor destroys the previous one. Returns the refusal to show when it
// cannot be written.
std::optional<Refusal> WriteCurveFile(const std::filesystem::path& path, const twobeam::CurveSet& curve,
                                      const ExportGeometry& geometry, const ExportColumns& columns);

}  // namespace velto::programs
