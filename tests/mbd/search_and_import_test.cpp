#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>

#include "SiliconCrystal.h"
#include "mbd/ChiImport.h"
#include "mbd/ReflectionRules.h"
#include "mbd/ReflectionSearch.h"
#include "support/TestFiles.h"

namespace velto::mbd {
namespace {
using namespace velto::mbd::testing;
using ChiRules = WithSilicon;
using Search = WithSilicon;

TEST_F(ChiRules, ThresholdSeparatesAllowedFromExtinctReflections) {
  EXPECT_EQ(ChiAllowed(silicon_, 8000, {1, 1, 1}, 1e-8, notifier_), 1);
  EXPECT_EQ(ChiAllowed(silicon_, -1, {4, 0, 0}, 1e-8, notifier_), 1);
  EXPECT_EQ(ChiAllowed(silicon_, 8000, {2, 0, 0}, 1e-8, notifier_), 0);
  EXPECT_EQ(ChiAllowed(silicon_, 8000, {2, 2, 2}, 1e-8, notifier_), 0);
  EXPECT_EQ(ChiAllowed(silicon_, 8000, {1, 1, 1}, 1.0, notifier_), 0);
  EXPECT_EQ(ChiAllowed(silicon_, 8000, {0, 0, 0}, 1.0, notifier_), 1);
}

TEST_F(Search, FindsReflectionsNearThePrincipalAzimuth) {
  MbdGeometry geometry = SiliconFrame(8000);
  geometry.SetPrincipalAzimuth(-10);
  const SearchResult result = SearchReflectionsNearAzimuth(geometry, silicon_, true, 2, 1e-8, notifier_);
  ASSERT_GT(result.hits.Count(), 0u);
  ASSERT_EQ(result.deviations.size(), result.hits.Count());
  bool foundOneOneMinusOne = false;
  for (std::size_t i = 0; i < result.hits.Count(); ++i) {
    const auto& hit = result.hits[i];
    EXPECT_LE(std::fabs(result.deviations[i]), 2.0);
    EXPECT_NEAR(result.deviations[i], hit.value1 - (-10), 1e-9);
    // Both azimuths are those of the reflection's three-beam condition.
    const AzimuthRoots roots = geometry.ReflectionAzimuths(hit.hkl, geometry.BraggAngleOf(hit.hkl));
    EXPECT_TRUE(std::fabs(roots.root1 - hit.value1) < 1e-12 || std::fabs(roots.root2 - hit.value1) < 1e-12);
    EXPECT_GE(DiamondAllowed(hit.hkl) + DiamondAllowed(hit.hkl - Miller{1, 1, 1}) + 1, 2);
    if (hit.hkl == Miller{1, 1, -1}) foundOneOneMinusOne = true;
  }
  EXPECT_TRUE(foundOneOneMinusOne);  // its azimuth at 8 keV is −10.39°
  EXPECT_TRUE(notifier_.messages.empty());
}

TEST_F(Search, ClampsToleranceAndThreshold) {
  MbdGeometry geometry = SiliconFrame(8000);
  geometry.SetPrincipalAzimuth(-10);
  const SearchResult tight = SearchReflectionsNearAzimuth(geometry, silicon_, true, 0, -5, notifier_);
  EXPECT_EQ(tight.tolerance, 1e-5);
  EXPECT_EQ(tight.threshold, 0);
  EXPECT_EQ(tight.hits.Count(), 0u);
  // 180° takes every reflection that has an azimuth at all.
  const SearchResult all = SearchReflectionsNearAzimuth(geometry, silicon_, true, 500, 1e-8, notifier_);
  EXPECT_EQ(all.tolerance, 180);
  const SearchResult wide = SearchReflectionsNearAzimuth(geometry, silicon_, true, 2, 1e-8, notifier_);
  EXPECT_GT(all.hits.Count(), 10 * wide.hits.Count());
  // Outside the diamond mode the χ threshold rules: with threshold 0 every
  // geometric candidate counts, so at least as many as the diamond rule lets through.
  const SearchResult byChi = SearchReflectionsNearAzimuth(geometry, silicon_, false, 500, 0, notifier_);
  EXPECT_GE(byChi.hits.Count(), all.hits.Count());
}

TEST(ChiImport, ReadsRowMajorValuesInUnitsOfOneMillionth) {
  velto::testing::TemporaryDirectory dir;
  const auto path = dir.Write("chi.dat",
                              "! chi of a three-beam case\r\n"
                              "-15.1, -0.35\n"
                              "\n"
                              "-7.9\t-0.3 ! tab separated\n"
                              "  -5.0 ,, -0.2\r"
                              "-7.9,-0.3\n"
                              "-15.1\n");
  MbdSolver solver(3, 8000);
  ASSERT_EQ(ImportChiFile(path, solver), ChiImportStatus::Ok);
  EXPECT_FALSE(solver.ChiNotSet());
  EXPECT_NEAR(solver.Chi(0, 0).real(), -15.1e-6, 1e-20);
  EXPECT_NEAR(solver.Chi(0, 0).imag(), -0.35e-6, 1e-20);
  EXPECT_NEAR(solver.Chi(0, 1).real(), -7.9e-6, 1e-20);
  EXPECT_NEAR(solver.Chi(0, 2).imag(), -0.2e-6, 1e-20);
  EXPECT_NEAR(solver.Chi(1, 0).real(), -7.9e-6, 1e-20);
  EXPECT_EQ(solver.Chi(1, 1).imag(), 0);  // a missing imaginary part reads as 0
  // The file ends after five values: the rest is 0, so ε = 1 on the diagonal.
  EXPECT_EQ(solver.Chi(2, 2), std::complex<double>(0, 0));
  EXPECT_EQ(solver.Chi(1, 2), std::complex<double>(0, 0));
}

TEST(ChiImport, MissingFileChangesNothing) {
  velto::testing::TemporaryDirectory dir;
  MbdSolver solver(2, 8000);
  solver.SetChi(0, 1, {1e-6, 0});
  EXPECT_EQ(ImportChiFile(dir.path() / "none.dat", solver), ChiImportStatus::CannotOpen);
  EXPECT_EQ(ImportChiFile(dir.path(), solver), ChiImportStatus::CannotOpen);
  EXPECT_EQ(ChiImportMessage(ChiImportStatus::CannotOpen), "Error!  Failed to open the file!\n");
  EXPECT_EQ(ChiImportMessage(ChiImportStatus::ReadError), "Failed to read the file!");
  EXPECT_TRUE(solver.ChiNotSet());
  EXPECT_EQ(solver.Chi(0, 1), std::complex<double>(1e-6, 0));
}

// Chi import files as they come from other programs and broken copies: each
// is read or refused as a whole, never imported in part.
TEST(ChiImport, FilesOfTheCorpusAreReadOrRefusedWhole) {
  const struct {
    const char* file;
    ChiImportStatus status;
  } cases[] = {
      {"overflow.dat", ChiImportStatus::NotFinite}, {"nan.dat", ChiImportStatus::NotFinite},
      {"infinity.dat", ChiImportStatus::NotFinite}, {"short.dat", ChiImportStatus::Ok},
      {"extra_fields.dat", ChiImportStatus::Ok},    {"binary.dat", ChiImportStatus::Ok},
  };
  for (const auto& c : cases) {
    MbdSolver solver(2, 8000);
    EXPECT_EQ(ImportChiFile(velto::testing::TestDataPath(std::string("chi/") + c.file), solver), c.status) << c.file;
    EXPECT_EQ(solver.ChiNotSet(), c.status != ChiImportStatus::Ok) << c.file;
    for (int i = 0; i < 2; ++i)
      for (int j = 0; j < 2; ++j) EXPECT_TRUE(std::isfinite(std::abs(solver.Chi(i, j)))) << c.file;
  }
  EXPECT_EQ(ChiImportMessage(ChiImportStatus::NotFinite),
            "Failed to read the file!\nA chi value in it is not a finite number.");
  // An underflow is a number: 1e-999 reads as 0.
  MbdSolver solver(2, 8000);
  ASSERT_EQ(ImportChiFile(velto::testing::TestDataPath("chi/extra_fields.dat"), solver), ChiImportStatus::Ok);
  EXPECT_EQ(solver.Chi(0, 1), std::complex<double>(0, -0.3e-6));
}

TEST(ChiImport, APipeIsRefusedWithoutWaitingForAWriter) {
  velto::testing::TemporaryDirectory dir;
  const auto fifo = dir.path() / "chi.dat";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  MbdSolver solver(2, 8000);
  EXPECT_EQ(ImportChiFile(fifo, solver), ChiImportStatus::CannotOpen);
  EXPECT_EQ(ImportChiFile("/dev/zero", solver), ChiImportStatus::CannotOpen);
}

// The person must be able to find the file and see what is wrong with it.
TEST(ChiImport, RefusalsSayThePathAndTheReason) {
  velto::testing::TemporaryDirectory dir;
  const auto fifo = dir.path() / "chi.dat";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const auto nan = velto::testing::TestDataPath("chi/nan.dat");
  const struct {
    std::filesystem::path path;
    ChiImportStatus status;
    std::string reason;
  } cases[] = {
      {fifo, ChiImportStatus::CannotOpen, "is a named pipe"},
      {"/dev/zero", ChiImportStatus::CannotOpen, "is a device"},
      {dir.path(), ChiImportStatus::CannotOpen, "is a directory"},
      {dir.path() / "missing.dat", ChiImportStatus::CannotOpen, "No such file or directory"},
  };
  for (const auto& c : cases) {
    MbdSolver solver(2, 8000);
    std::string reason;
    EXPECT_EQ(ImportChiFile(c.path, solver, &reason), c.status) << c.path;
    EXPECT_EQ(reason, c.reason);
    EXPECT_EQ(ChiImportMessage(c.status, c.path, reason),
              "Error!  Failed to open the file!\n" + c.path.string() + ": " + c.reason);
  }
  MbdSolver solver(2, 8000);
  std::string reason;
  ASSERT_EQ(ImportChiFile(nan, solver, &reason), ChiImportStatus::NotFinite);
  EXPECT_EQ(reason, "line 2: \"nan\" is not a finite number");
  EXPECT_EQ(ChiImportMessage(ChiImportStatus::NotFinite, nan, reason),
            "Failed to read the file!\nA chi value in it is not a finite number.\n" + nan.string() + ": " + reason);
}

TEST_F(Search, ComputedChiPairsFollowTheBeamDifferences) {
  const MbdGeometry geometry = SiliconFrame(8000);
  MbdReflectionTable table({1, 1, 1});
  table.Add({1, 1, -1}, geometry, false);
  MbdSolver solver = SolverFor(geometry, table);
  ASSERT_TRUE(solver.ComputeChi(silicon_, notifier_));
  EXPECT_FALSE(solver.ChiNotSet());
  // ε(2, 1) couples through 1 1 −1 − 1 1 1 = 0 0 −2, forbidden in diamond.
  EXPECT_LT(std::abs(solver.Chi(2, 1)), 1e-12);
  EXPECT_GT(std::abs(solver.Chi(1, 0)), 1e-6);
  EXPECT_NEAR(std::abs(solver.Chi(2, 0)), std::abs(solver.Chi(1, 0)), 1e-12);  // equivalent reflections
  EXPECT_LT(solver.Chi(0, 0).real(), 0);
  EXPECT_EQ(solver.Chi(1, 1), solver.Chi(0, 0));
}

}  // namespace
}  // namespace velto::mbd
