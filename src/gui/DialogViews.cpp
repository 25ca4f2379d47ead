#include "gui/CChangWavLen.h"
#include "gui/CDlgExport.h"
#include "gui/CDlgCrystParams.h"
#include "gui/CDlgSetBragg.h"
#include "gui/CDlgXopSF.h"
#include "gui/CFormFactor.h"
#include "gui/CFormLoop.h"
#include "gui/QtUserInterface.h"

namespace velto::gui {

void RegisterDialogViews() {
  QtUserInterface::RegisterDialog<programs::ChangeWavelengthForm, CChangWavLen>();
  QtUserInterface::RegisterDialog<programs::SetBraggForm, CDlgSetBragg>();
  QtUserInterface::RegisterDialog<programs::CrystalParamsForm, CDlgCrystParams>();
  QtUserInterface::RegisterDialog<programs::StructureFactorsForm, CDlgXopSF>();
  QtUserInterface::RegisterDialog<programs::CurveExportDialog, CDlgExport>();
  QtUserInterface::RegisterDialog<programs::SingleCrystalDetailsDialog, CDlgMoreDetails>();
  QtUserInterface::RegisterDialog<programs::FormFactorForm, CFormFactor>();
  QtUserInterface::RegisterDialog<programs::FormLoopForm, CFormLoop>();
}

}  // namespace velto::gui
