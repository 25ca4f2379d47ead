#include <gtest/gtest.h>

#include <filesystem>

#include "core/Units.h"
#include "programs/convoluted_curve/ConvolutedCurveTexts.h"
#include "programs/line_file/LineFile.h"
#include "programs/monochromator/MonochromatorTexts.h"
#include "support/TestFiles.h"

namespace velto::programs {
namespace {

using multicrystal::AngleUnit;
using multicrystal::ScanMode;
using velto::testing::ReadWholeFile;
using velto::testing::TemporaryDirectory;

TEST(ConvolutedCurveTexts, FwhmInThreeUnitsAndTheStep) {
  const ConvolutionFwhmTexts texts = FwhmTextsOf(12.5);
  EXPECT_EQ(texts.arcseconds, "12.5 \"");
  EXPECT_EQ(texts.degrees, "0.00347222");
  EXPECT_EQ(texts.microradians, "60.6017 urad");
  const ConvolutionFwhmTexts none = FwhmTextsOf(std::nullopt);
  EXPECT_TRUE(none.arcseconds.empty() && none.degrees.empty() && none.microradians.empty());
  EXPECT_TRUE(FwhmTextsOf(0.0).arcseconds.empty());
  EXPECT_EQ(RockingStepText(0.5), "Stepsize = 0.5 \"");
  EXPECT_EQ(RockingStepText(100.0 / 3), "Stepsize = 33.33333333 \"");
}

multicrystal::CurveTrace Trace() {
  multicrystal::CurveTrace trace;
  trace.values = {0, 0.00001, 0.25, 1, 0.5};
  trace.count = 5;
  trace.from = -10;
  trace.to = 10;
  trace.step = 5;
  trace.peak = 1;
  trace.reference = 10 * core::kDegree;
  return trace;
}

TEST(ConvolutedCurveTexts, ExportWritesOneLinePerPoint) {
  TemporaryDirectory directory;
  const auto file = directory.path() / "rc.dat";
  ASSERT_FALSE(ExportConvolutedCurve(Trace(), AngleUnit::Arcsecond, false, file).has_value());
  EXPECT_EQ(ReadWholeFile(file), "-10\t0\r\n-5\t1e-05\r\n0\t0.25\r\n5\t1\r\n10\t0.5\r\n");
  ASSERT_FALSE(ExportConvolutedCurve(Trace(), AngleUnit::Degree, true, file).has_value());
  EXPECT_EQ(ReadWholeFile(file).substr(0, 14), "9.99722222\t0\r\n");
  ASSERT_FALSE(ExportConvolutedCurve(Trace(), AngleUnit::Microradian, false, file).has_value());
  EXPECT_EQ(ReadWholeFile(file).substr(0, 13), "-48.48136811\t");
  // Only the file itself is left in the folder.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(directory.path()), {}), 1);

  EXPECT_EQ(ExportConvolutedCurve(std::nullopt, AngleUnit::Arcsecond, false, file),
            (Refusal{"No data to export yet !    ", core::MessageIcon::None, ""}));
}

TEST(CurveFile, AFailedExportKeepsTheOldFile) {
  TemporaryDirectory directory;
  const auto missing = directory.path() / "no such folder" / "a.dat";
  EXPECT_EQ(WriteLineFile(missing, 1, [](int, std::string& line) { line.assign(1, 'x'); }),
            (Refusal{"Cannot create the file \"" + missing.string() + "\" !", core::MessageIcon::Error, ""}));
  // A folder in the way of the target: the lines are written, the rename
  // fails, the folder and its contents stay, and no temporary file remains.
  const auto blocked = directory.path() / "blocked";
  std::filesystem::create_directories(blocked / "inside");
  EXPECT_TRUE(WriteLineFile(blocked, 2, [](int i, std::string& line) { line = std::to_string(i); }).has_value());
  EXPECT_TRUE(std::filesystem::is_directory(blocked / "inside"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(directory.path()), {}), 1);
  // A complete export replaces an older file whole.
  const auto file = directory.path() / "b.dat";
  ASSERT_FALSE(WriteLineFile(file, 3, [](int i, std::string& line) { line = std::to_string(i); }).has_value());
  ASSERT_FALSE(WriteLineFile(file, 1, [](int, std::string& line) { line = "new"; }).has_value());
  EXPECT_EQ(ReadWholeFile(file), "new\r\n");
}

multicrystal::MonochromatorAnalysis Analysis() {
  multicrystal::MonochromatorAnalysis a;
  a.maximum = 0.882364;
  a.maxPosition = 4.15;
  a.hasWidth = true;
  a.left = 3.0221;
  a.right = 9.88;
  a.fwhm = 6.8579;
  a.centre = 6.45105;
  a.centreReflectivity = 0.842712;
  return a;
}

TEST(MonochromatorTexts, ResultFieldsInTheScanUnits) {
  MonochromatorResultTexts t = ResultTextsOf(Analysis(), ScanMode::Angular);
  EXPECT_EQ(t.fwhm, "6.858 \"");
  EXPECT_EQ(t.maximum, "0.88236   at  4.15 \"");
  EXPECT_EQ(t.centre, "6.451 \"");
  EXPECT_EQ(t.halfMaxima, "3.022 ,  9.88 \"");
  EXPECT_EQ(t.centreReflectivity, "0.84271");
  t = ResultTextsOf(Analysis(), ScanMode::Energy);
  EXPECT_EQ(t.fwhm, "6.8579 eV");
  EXPECT_EQ(t.maximum, "0.88236   at  4.15 eV");
  EXPECT_EQ(t.halfMaxima, "3.0221, 9.88 eV");
  // Without a width every field is empty, the maximum too.
  multicrystal::MonochromatorAnalysis edge = Analysis();
  edge.hasWidth = false;
  t = ResultTextsOf(edge, ScanMode::Angular);
  EXPECT_TRUE(t.fwhm.empty() && t.maximum.empty() && t.centre.empty() && t.halfMaxima.empty() &&
              t.centreReflectivity.empty());
  EXPECT_EQ(ScanStepText(0.05, ScanMode::Angular), "Stepsize = 0.05 \"");
  EXPECT_EQ(ScanStepText(0.002, ScanMode::Energy), "Stepsize = 0.002 eV");
  EXPECT_EQ(PhiText(151.558725039), "151.55872504");
  EXPECT_EQ(PhiText(0), "0");
}

TEST(MonochromatorTexts, AutoSetFieldsAreRoundedAsTheDialogWritesThem) {
  const AutoSetTexts t = AutoSetTextsOf({151.5587250391, -13.119412345678, 6.559706134});
  EXPECT_EQ(t.phi, "151.55872504");
  EXPECT_EQ(t.deltaPhi, "-13.11941235");
  EXPECT_EQ(t.deltaPhiField, "-13.1194");
  EXPECT_EQ(t.deltaOmega, "6.55970613");
  EXPECT_EQ(t.deltaOmegaField, "6.55970613");
}

TEST(MonochromatorTexts, ExportColumnsInTheirOrderAndUnits) {
  multicrystal::MonochromatorCurve curve;
  curve.trace = Trace();
  curve.deviation = {-10 * core::kArcsecond, 0, 0, 5 * core::kArcsecond, 0};
  curve.exit0 = 20 * core::kDegree;
  TemporaryDirectory directory;
  const auto file = directory.path() / "dcm.dat";
  ExportColumns columns;  // the dialog's defaults: the scanned variable and the reflectivity
  ASSERT_FALSE(ExportMonochromatorCurve(curve, columns, file).has_value());
  EXPECT_EQ(ReadWholeFile(file), "-10\t0\r\n-5\t1e-05\r\n0\t0.25\r\n5\t1\r\n10\t0.5\r\n");
  // Only the exit angle: absolute degrees start the line.
  columns.scan = false;
  columns.exit = true;
  columns.exitUnit = ExportUnit::Degree;
  columns.exitReference = ExportReference::Absolute;
  ASSERT_FALSE(ExportMonochromatorCurve(curve, columns, file).has_value());
  EXPECT_EQ(ReadWholeFile(file).substr(0, 15), "19.99722222\t0\r\n");
  // An energy scan: absolute energies, then the relative exit angle in µrad.
  curve.mode = ScanMode::Energy;
  curve.trace.reference = 8000;
  columns.scan = true;
  columns.scanReference = ExportReference::Absolute;
  columns.exitReference = ExportReference::Relative;
  columns.exitUnit = ExportUnit::Microradian;
  ASSERT_FALSE(ExportMonochromatorCurve(curve, columns, file).has_value());
  EXPECT_EQ(ReadWholeFile(file).substr(0, 23), "7990\t-48.48136811\t0\r\n79");
  EXPECT_EQ(ExportMonochromatorCurve(std::nullopt, columns, file)->message, "No data to export yet !    ");
}

}  // namespace
}  // namespace velto::programs
