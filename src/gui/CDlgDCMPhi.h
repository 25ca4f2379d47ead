#pragma once
#include <QDialog>

#include "gui/QtUserInterface.h"
#include "programs/monochromator/MonochromatorForm.h"

namespace velto::gui {

// "Set Relative Orientation Phi of DCM": the Bragg position Φ and the two
// proposals of "Auto Set...", read-only; OK takes the proposals.
class CDlgDCMPhi : public QDialog {
  Q_OBJECT
 public:
  CDlgDCMPhi(QWidget* parent, programs::DcmPhiDialog& model, QtUserInterface& parentUi);
};

}  // namespace velto::gui
