#include "mbd/ChiImport.h"

#include <fstream>

#include "core/InputFile.h"
#include "core/NormalisedLines.h"
#include "core/TextNumbers.h"

namespace velto::mbd {

std::string_view ChiImportMessage(ChiImportStatus status) {
  switch (status) {
    case ChiImportStatus::Ok:
      return {};
    case ChiImportStatus::CannotOpen:
      return "Error!  Failed to open the file!\n";
    case ChiImportStatus::ReadError:
      return "Failed to read the file!";
    case ChiImportStatus::NotFinite:
      return "Failed to read the file!\nA chi value in it is not a finite number.";
  }
  return {};
}

ChiImportStatus ImportChiFile(const std::filesystem::path& path, MbdSolver& solver) {
  std::ifstream in;
  if (core::OpenInputFile(path, in)) return ChiImportStatus::CannotOpen;
  core::NormalisedLineReader reader(in);
  const int n = solver.BeamCount();
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      const std::string line = reader.Next();
      if (in.bad()) {
        solver.MarkChiNotSet();
        return ChiImportStatus::ReadError;
      }
      const std::vector<std::string> fields = core::SplitFields(line, 2);
      if (core::ReadsAsNonFinite(fields[0]) || core::ReadsAsNonFinite(fields[1])) {
        solver.MarkChiNotSet();
        return ChiImportStatus::NotFinite;
      }
      const double re = core::LeadingNumber(fields[0]).value_or(0.0) * 1e-6;
      const double im = core::LeadingNumber(fields[1]).value_or(0.0) * 1e-6;
      solver.SetChi(i, j, {re, im});
    }
  }
  solver.MarkChiSet();
  return ChiImportStatus::Ok;
}

}  // namespace velto::mbd
