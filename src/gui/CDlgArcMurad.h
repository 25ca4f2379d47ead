#pragma once
#include <QDialog>
#include <array>

#include "gui/InputWidgets.h"
#include "programs/arc_converter/ArcConverterForm.h"

class QLabel;
class QRadioButton;

namespace velto::gui {

// "Arc-second vs Micro-radian": modeless; closing it only hides it, so its
// mode and values stay until the application ends.
class CDlgArcMurad : public QDialog {
  Q_OBJECT
 public:
  explicit CDlgArcMurad(QWidget* parent);
  programs::ArcConverterForm& Model() { return model_; }
  CColorEdit* FieldEdit(programs::ArcConverterForm::Quantity quantity) { return edits_[quantity]; }
  QRadioButton* ModeButton(programs::ArcConverterForm::Quantity quantity) { return radios_[quantity]; }

 private:
  void Refresh();
  programs::ArcConverterForm model_;
  std::array<QRadioButton*, 3> radios_{};
  std::array<CColorEdit*, 3> edits_{};
  QLabel* note_ = nullptr;
};

}  // namespace velto::gui
