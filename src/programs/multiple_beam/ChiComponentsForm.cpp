#include "programs/multiple_beam/ChiComponentsForm.h"

#include "mbd/ChiImport.h"
#include "shell/NumberText.h"

namespace velto::programs {

const char* const ChiComponentsForm::kFormatHelp =
    "You can import your own CHI components from a file. The format of the ASCII Text file to be imported must be "
    "(without indices):\n\n 1.234,  0.567\n 2.345,  0.678\n ......\n\nIt must have N x N lines, and each line has "
    "ONE complex number of CHI, with the REAL and IMAGINARY parts separated by comma, space, or tab. The data "
    "sequence is the same as in the list.\n\nNote the CHI values are in unit of 10^-6.";

ChiComponentsForm::ChiComponentsForm(mbd::MbdSolver& solver, crystal::CrystalStructure& crystal, bool filled)
    : solver_(solver), crystal_(crystal), filled_(filled) {}

int ChiComponentsForm::RowCount() const { return filled_ ? solver_.BeamCount() * solver_.BeamCount() : 0; }

std::string ChiComponentsForm::Cell(int row, int column) const {
  const int n = solver_.BeamCount();
  if (row < 0 || row >= RowCount()) return {};
  const int i = row / n;
  const int j = row % n;
  switch (column) {
    case 0:
      return std::to_string(i) + " - " + std::to_string(j);
    case 1: {
      const mbd::Complex chi = solver_.Chi(i, j);
      return shell::FormatNumber(chi.real() * 1e6, 8) + " ,  " + shell::FormatNumber(chi.imag() * 1e6, 8);
    }
    case 2: {
      const mbd::Miller d = solver_.Beams()[static_cast<std::size_t>(i)] - solver_.Beams()[static_cast<std::size_t>(j)];
      return std::to_string(d.h) + "  " + std::to_string(d.k) + "  " + std::to_string(d.l);
    }
    default:
      return {};
  }
}

void ChiComponentsForm::Calculate(UserInterface& ui) {
  WaitCursor wait(ui);
  if (solver_.ComputeChi(crystal_, ui)) filled_ = true;
}

void ChiComponentsForm::Import(UserInterface& ui) {
  FileDialogRequest request;
  request.title = kImportTitle;
  request.filter = kImportFilter;
  request.defaultExtension = "dat";
  const std::optional<std::filesystem::path> path = ui.ChooseOpenFile(request);
  if (!path) return;
  std::string reason;
  const mbd::ChiImportStatus status = mbd::ImportChiFile(*path, solver_, &reason);
  if (status != mbd::ChiImportStatus::Ok) {
    ui.ShowMessage(mbd::ChiImportMessage(status, *path, reason), MessageIcon::Stop);
    return;
  }
  filled_ = true;
}

void ChiComponentsForm::FormatHelp(UserInterface& ui) const { ui.ShowMessage(kFormatHelp, MessageIcon::Information); }

}  // namespace velto::programs
