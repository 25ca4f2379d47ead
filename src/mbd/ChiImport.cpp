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

std::string ChiImportMessage(ChiImportStatus status, const std::filesystem::path& path, std::string_view reason) {
  std::string message(ChiImportMessage(status));
  while (!message.empty() && message.back() == '\n') message.pop_back();
  return message + "\n" + path.string() + ": " + std::string(reason);
}

ChiImportStatus ImportChiFile(const std::filesystem::path& path, MbdSolver& solver, std::string* reason) {
  const auto say = [reason](std::string text) {
    if (reason) *reason = std::move(text);
  };
  std::ifstream in;
  if (const auto fault = core::OpenInputFile(path, in)) {
    say(*fault);
    return ChiImportStatus::CannotOpen;
  }
  core::NormalisedLineReader reader(in);
  const int n = solver.BeamCount();
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      const std::string line = reader.Next();
      if (in.bad()) {
        solver.MarkChiNotSet();
        say("the file could not be read to its end");
        return ChiImportStatus::ReadError;
      }
      const std::vector<std::string> fields = core::SplitFields(line, 2);
      for (const std::string& field : fields) {
        if (!core::ReadsAsNonFinite(field)) continue;
        solver.MarkChiNotSet();
        say("line " + std::to_string(reader.LineNumber()) + ": \"" + field + "\" is not a finite number");
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
