// The readers of the atomic data on arbitrary bytes. The first byte chooses
// the file: StructFactor.Data, an f1/f2 table, the f0 parameter file or a
// chi import. Each reader refuses the bytes or gives finite numbers that the
// computations can use.
#include <cmath>
#include <sstream>

#include "FuzzInput.h"
#include "core/DataDirectory.h"
#include "crystal/AtomicData.h"
#include "crystal/StructFactor.h"
#include "crystal/StructFactorData.h"
#include "mbd/ChiImport.h"

namespace {

using namespace velto;

void StructFactorTables(const std::string& bytes) {
  std::istringstream in(bytes);
  crystal::StructFactorData data;
  if (crystal::ReadStructFactorData(in, data) != crystal::StructFactorReadStatus::Ok) return;
  if (crystal::ImplausibleRecord(data)) return;
  const crystal::StructFactor engine(std::move(data));
  core::SilentNotifier notifier;
  for (int z : {1, 14, 92}) {
    if (const auto f = engine.CromerLibermanF1F2(z, 8048.0, notifier))
      fuzz::Require(std::isfinite(f->fPrime) && std::isfinite(f->fDoublePrime));
    if (const auto f0 = engine.CromerMannF0(z, 2.0, notifier)) fuzz::Require(std::isfinite(*f0));
  }
}

void ScatteringTable(const std::uint8_t* data, std::size_t size) {
  const auto path = fuzz::WriteInput("f1f2.dat", data, size);
  const auto table = crystal::ReadScatteringTable(path);
  fuzz::Require(table.has_value());
  for (int i = 0; i < table->RowCount(); ++i)
    fuzz::Require(table->energy[i] > 0 && std::isfinite(table->f1[i]) && std::isfinite(table->f2[i]));
}

// A data directory whose f0 file is the input and whose silicon table is the suite's.
void F0Parameters(const std::uint8_t* data, std::size_t size) {
  const auto directory = fuzz::ScratchDirectory();
  fuzz::WriteInput("f0f1f2/f0_Params11.dat", data, size);
  const auto table = directory / "f0f1f2" / "f1f2_Si.dat";
  if (!std::filesystem::exists(table))
    std::filesystem::copy_file(crystal::ScatteringTablePath(core::DataDirectory(), 14), table);
  crystal::CrystalStructure si;
  core::SilentNotifier notifier;
  if (!crystal::MakeDiamondCrystal(si, 14, 5.43102064, 530.82, 293.15, directory, notifier)) return;
  const double f0 = crystal::F0At(si.groups[0], 0.0);
  fuzz::Require(std::fabs(f0 - 14) <= 0.1);
}

void ChiImport(const std::uint8_t* data, std::size_t size) {
  const auto path = fuzz::WriteInput("chi.dat", data, size);
  mbd::MbdSolver solver(3, 8048.0);
  if (mbd::ImportChiFile(path, solver) != mbd::ChiImportStatus::Ok) {
    fuzz::Require(solver.ChiNotSet());
    return;
  }
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) fuzz::Require(std::isfinite(std::abs(solver.Chi(i, j))));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t* rest = data + 1;
  const std::size_t restSize = size - 1;
  switch (data[0] % 4) {
    case 0:
      StructFactorTables(std::string(reinterpret_cast<const char*>(rest), restSize));
      break;
    case 1:
      ScatteringTable(rest, restSize);
      break;
    case 2:
      F0Parameters(rest, restSize);
      break;
    default:
      ChiImport(rest, restSize);
      break;
  }
  return 0;
}
