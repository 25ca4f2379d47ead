#include "gui/CChangWavLen.h"
#include "gui/CDlgCrystParams.h"
#include "gui/CDlgSetBragg.h"
#include "gui/CDlgXopSF.h"
#include "gui/QtUserInterface.h"

namespace velto::gui {

void RegisterDialogViews() {
  QtUserInterface::RegisterDialog<programs::ChangeWavelengthForm, CChangWavLen>();
  QtUserInterface::RegisterDialog<programs::SetBraggForm, CDlgSetBragg>();
  QtUserInterface::RegisterDialog<programs::CrystalParamsForm, CDlgCrystParams>();
  QtUserInterface::RegisterDialog<programs::StructureFactorsForm, CDlgXopSF>();
}

}  // namespace velto::gui
