#pragma once
#include <QDialog>

#include "gui/QtUserInterface.h"
#include "programs/crystal_dialog/StructureFactorsForm.h"

namespace velto::gui {

// "Structure Factors": the structure factors, their moduli and phases, the
// linear absorption coefficient and the penetration depth. Read only.
class CDlgXopSF : public QDialog {
  Q_OBJECT
 public:
  CDlgXopSF(QWidget* parent, programs::StructureFactorsForm& model, QtUserInterface& parentUi);
};

}  // namespace velto::gui
