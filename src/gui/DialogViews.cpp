#include "gui/CChangWavLen.h"
#include "gui/CDlgDCMPhi.h"
#include "gui/CDlgExport.h"
#include "gui/CDlgMBDHorizD.h"
#include "gui/CDlgMBD_SF.h"
#include "gui/CDlgMBD_Save.h"
#include "gui/CDlgCrystParams.h"
#include "gui/CDlg_SavePhiLine.h"
#include "gui/CMapSettings.h"
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
  QtUserInterface::RegisterDialog<programs::HorizontalReferenceForm, CDlgMBDHorizD>();
  QtUserInterface::RegisterDialog<programs::ChiComponentsForm, CDlgMBD_SF>();
  QtUserInterface::RegisterDialog<programs::MbdSaveForm, CDlgMBD_Save>();
  QtUserInterface::RegisterDialog<programs::MapSettingsForm, CMapSettings>();
  QtUserInterface::RegisterDialog<programs::SavePhiLineForm, CDlg_SavePhiLine>();
  QtUserInterface::RegisterDialog<programs::DcmPhiDialog, CDlgDCMPhi>();
}

}  // namespace velto::gui
