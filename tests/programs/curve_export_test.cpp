#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "core/Units.h"
#include "programs/curve_export/CurveExport.h"
#include "support/TestFiles.h"

namespace velto::programs {
namespace {

using twobeam::CurveSet;
using twobeam::ScanKind;

constexpr double kArcsec = core::kArcsecond;

// A rocking curve from −50″ to 50″ in 2001 points with recognisable values.
CurveSet SampleCurve(ScanKind kind = ScanKind::RockingCurve) {
  CurveSet curve;
  EXPECT_TRUE(curve.Allocate(2001));
  curve.kind = kind;
  curve.displayStart = kind == ScanKind::RockingCurve ? -50 : -2;
  curve.displayStep = kind == ScanKind::RockingCurve ? 0.05 : 0.0025;
  for (int i = 0; i < curve.points; ++i) {
    curve.reflectivity[i] = i == 0 ? 0.0 : i == 1 ? 1e-5 : 0.5 + i * 1e-4;
    curve.exitDeviation[i] = (i - 1000) * 0.05 * kArcsec;
    curve.transmissivity[i] = 0.25;
    curve.depth[i] = 12345.0;
    curve.specular[i] = 0.125;
  }
  return curve;
}

std::vector<std::string> SplitCrLf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start) + "<no line end>");
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

const ExportGeometry kGeometry{14.2 * core::kDegree, 2 * core::kDegree, 8048.0};

TEST(CurveExportFile, DefaultColumnsOfARockingCurve) {
  testing::TemporaryDirectory folder;
  const auto file = folder.path() / "si111.dat";
  ASSERT_FALSE(WriteCurveFile(file, SampleCurve(), kGeometry, ExportColumns{}).has_value());
  const std::vector<std::string> lines = SplitCrLf(testing::ReadWholeFile(file));
  ASSERT_EQ(lines.size(), 2001u);  // no header, CR LF after every line
  EXPECT_EQ(lines[0], "-50\t0");
  EXPECT_EQ(lines[1], "-49.95\t1e-05");
  EXPECT_EQ(lines[1000], "0\t0.6");
  EXPECT_EQ(lines[2000], "50\t0.7");
  // Only the target is left in the folder.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

TEST(CurveExportFile, UnitsAndReferencesOfTheAngleColumns) {
  const CurveSet curve = SampleCurve();
  const double incidence = kGeometry.braggAngle - kGeometry.asymmetry;  // θB − α at the Bragg angle
  const double exit = kGeometry.braggAngle + kGeometry.asymmetry;
  const int i = 1200;  // x = 10″, exit deviation 10″
  auto value = [&](ExportColumns c, int column) {
    c.reflectivity = false;
    std::istringstream in(ExportLine(curve, kGeometry, c, i));
    std::string field;
    for (int k = 0; k <= column; ++k) std::getline(in, field, '\t');
    return std::stod(field);
  };
  ExportColumns c;
  c.scanUnit = ExportUnit::Microradian;
  EXPECT_NEAR(value(c, 0), 10 * kArcsec * 1e6, 1e-7);
  c.scanUnit = ExportUnit::Degree;
  EXPECT_NEAR(value(c, 0), 10 / 3600.0, 1e-8);
  c.scanReference = ExportReference::Absolute;
  EXPECT_NEAR(value(c, 0), 10 / 3600.0 + incidence / core::kDegree, 1e-8);
  c.scanUnit = ExportUnit::Arcsecond;
  EXPECT_NEAR(value(c, 0), 10 + incidence / kArcsec, 1e-8);
  c.scanUnit = ExportUnit::Microradian;
  EXPECT_NEAR(value(c, 0), (10 * kArcsec + incidence) * 1e6, 1e-8);

  ExportColumns exitOnly;
  exitOnly.scan = false;
  exitOnly.exit = true;
  EXPECT_NEAR(value(exitOnly, 0), 10, 1e-8);
  exitOnly.exitUnit = ExportUnit::Degree;
  exitOnly.exitReference = ExportReference::Absolute;
  EXPECT_NEAR(value(exitOnly, 0), (10 * kArcsec + exit) / core::kDegree, 1e-8);
  exitOnly.exitUnit = ExportUnit::Microradian;
  EXPECT_NEAR(value(exitOnly, 0), (10 * kArcsec + exit) * 1e6, 1e-6);
  // The exit column starts the line when the first column is not written.
  exitOnly.reflectivity = true;
  EXPECT_EQ(ExportLine(curve, kGeometry, exitOnly, i).find('\t'), ExportLine(curve, kGeometry, exitOnly, i).rfind('\t'));
  EXPECT_NE(ExportLine(curve, kGeometry, exitOnly, i).front(), '\t');
}

TEST(CurveExportFile, EnergyScanAndValueColumns) {
  const CurveSet curve = SampleCurve(ScanKind::EnergyScan);
  ExportColumns c;
  c.exit = true;
  c.transmissivity = true;
  c.depth = true;
  c.specular = true;
  EXPECT_EQ(ExportLine(curve, kGeometry, c, 1000), "0.5\t0\t0.6\t0.25\t1234.5\t0.125");  // depth in nm
  c.scanReference = ExportReference::Absolute;
  c.scanUnit = ExportUnit::Degree;  // no meaning for energies
  EXPECT_EQ(ExportLine(curve, kGeometry, c, 2000).substr(0, 8), "8051\t50\t");  // E0 + 3 eV
}

TEST(CurveExportFile, RefusesWithoutDataAndReportsAFileThatCannotBeWritten) {
  testing::TemporaryDirectory folder;
  const CurveSet empty;
  const auto noData = WriteCurveFile(folder.path() / "x.dat", empty, kGeometry, ExportColumns{});
  ASSERT_TRUE(noData.has_value());
  EXPECT_EQ(noData->message, "No data to export yet !    ");

  const auto missing = folder.path() / "no such folder" / "x.dat";
  const auto refusal = WriteCurveFile(missing, SampleCurve(), kGeometry, ExportColumns{});
  ASSERT_TRUE(refusal.has_value());
  EXPECT_EQ(refusal->message, "Cannot create the file \"" + missing.string() + "\" !");
  EXPECT_EQ(refusal->icon, core::MessageIcon::Error);

  // A target that cannot be replaced (a folder of that name) is reported,
  // and no temporary file is left behind.
  std::filesystem::create_directory(folder.path() / "taken.dat");
  EXPECT_TRUE(WriteCurveFile(folder.path() / "taken.dat", SampleCurve(), kGeometry, ExportColumns{}).has_value());
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

TEST(CurveExportFile, ReplacesAnExistingFileWhole) {
  testing::TemporaryDirectory folder;
  const auto file = folder.Write("old.dat", std::string(1000000, 'x'));
  ASSERT_FALSE(WriteCurveFile(file, SampleCurve(), kGeometry, ExportColumns{}).has_value());
  const std::string text = testing::ReadWholeFile(file);
  EXPECT_EQ(text.find('x'), std::string::npos);
  EXPECT_EQ(SplitCrLf(text).size(), 2001u);
}

TEST(CurveExportDialog, DefaultsAndCaptions) {
  CurveExportDialog rocking({});
  EXPECT_EQ(rocking.Choice(), ExportColumns{});
  EXPECT_EQ(rocking.ScanColumnCaption(), "Incident angle");
  EXPECT_EQ(rocking.ScanUnitCaption(ExportUnit::Arcsecond), "arcsec");
  EXPECT_TRUE(rocking.ScanUnitVisible(ExportUnit::Degree));
  EXPECT_TRUE(rocking.ScanGroupEnabled());
  EXPECT_FALSE(rocking.ExitGroupEnabled());

  ExportAvailability energy;
  energy.kind = ScanKind::EnergyScan;
  CurveExportDialog dialog(energy);
  EXPECT_EQ(dialog.ScanColumnCaption(), "Photon energy");
  EXPECT_EQ(dialog.ScanUnitCaption(ExportUnit::Arcsecond), "eV");
  EXPECT_FALSE(dialog.ScanUnitVisible(ExportUnit::Microradian));
  EXPECT_FALSE(dialog.ScanUnitVisible(ExportUnit::Degree));
  dialog.ChooseScanUnit(ExportUnit::Degree);  // hidden: cannot be chosen
  EXPECT_EQ(dialog.Choice().scanUnit, ExportUnit::Arcsecond);
}

TEST(CurveExportDialog, UnavailableColumnsCannotBeChosen) {
  ExportAvailability laue;
  laue.laue = true;  // semi-infinite is impossible here, but no transmissivity flag given
  CurveExportDialog dialog(laue);
  EXPECT_FALSE(dialog.TransmissivityEnabled());
  EXPECT_FALSE(dialog.DepthEnabled());
  EXPECT_FALSE(dialog.SpecularEnabled());
  dialog.ClickTransmissivity();
  dialog.ClickDepth();
  dialog.ClickSpecular();
  EXPECT_FALSE(dialog.Choice().transmissivity);
  EXPECT_FALSE(dialog.Choice().depth);
  EXPECT_FALSE(dialog.Choice().specular);

  ExportAvailability all;
  all.transmissivityAvailable = true;
  all.rigorous = true;
  CurveExportDialog full(all);
  full.ClickTransmissivity();
  full.ClickDepth();
  full.ClickSpecular();
  EXPECT_TRUE(full.Choice().transmissivity && full.Choice().depth && full.Choice().specular);

  // Unchecking a column disables its unit and reference buttons.
  full.ClickScanColumn();
  EXPECT_FALSE(full.ScanGroupEnabled());
  full.ChooseScanReference(ExportReference::Absolute);
  EXPECT_EQ(full.Choice().scanReference, ExportReference::Relative);
  full.ClickExitColumn();
  EXPECT_TRUE(full.ExitGroupEnabled());
  full.ChooseExitUnit(ExportUnit::Microradian);
  EXPECT_EQ(full.Choice().exitUnit, ExportUnit::Microradian);
}

TEST(CurveExportDialog, OkNeedsAnAngleColumnAndAValueColumn) {
  CurveExportDialog rocking({});
  rocking.ClickScanColumn();
  EXPECT_EQ(rocking.Accept()->message, "You must select Incident angle or Exit angle or Both!   ");
  rocking.ClickExitColumn();
  EXPECT_FALSE(rocking.Accept().has_value());
  rocking.ClickReflectivity();
  EXPECT_EQ(rocking.Accept()->message, "At least one of the right 4 columns must be selected.   ");

  ExportAvailability energy;
  energy.kind = ScanKind::EnergyScan;
  CurveExportDialog dialog(energy);
  dialog.ClickScanColumn();
  EXPECT_EQ(dialog.Accept()->message, "You must select Photon energy or Exit angle or Both!   ");
}

TEST(CurveExportDialog, FixedColumnsStayChecked) {
  ExportAvailability fixed;
  fixed.fixedColumns = true;
  CurveExportDialog dialog(fixed);
  dialog.ClickScanColumn();
  dialog.ClickReflectivity();
  dialog.ClickExitColumn();
  EXPECT_TRUE(dialog.Choice().scan);
  EXPECT_TRUE(dialog.Choice().reflectivity);
  EXPECT_FALSE(dialog.Choice().exit);
  EXPECT_FALSE(dialog.ExitColumnEnabled());
}

}  // namespace
}  // namespace velto::programs
