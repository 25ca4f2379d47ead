// The chi components of the beam set: the solver of the current beams in
// the current frame, whose components the person computes or imports in the
// chi dialog.
#include "programs/multiple_beam/ChiComponentsForm.h"
#include "programs/multiple_beam/MbdForm.h"

namespace velto::programs {

void MbdForm::ChiComponents(UserInterface& ui) {
  if (!BuildFrame(ui)) return;
  if (!solver_) {
    solver_ = std::make_shared<mbd::MbdSolver>(table_.Count(), energy_);
    mbd::Vec3 a1, a2, a3;
    geometry_.DirectVectorsInSolverFrame(a1, a2, a3);
    solver_->SetBeams(table_.Indices(), a1, a2, a3);
    chiNeeded_ = true;
  }
  ChiComponentsForm dialog(*solver_, crystal_.structure, !chiNeeded_);
  if (ui.RunDialog(dialog) == DialogResult::Ok && !solver_->ChiNotSet()) chiNeeded_ = false;
}

}  // namespace velto::programs
