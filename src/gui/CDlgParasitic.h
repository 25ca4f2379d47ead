#pragma once
#include <QDialog>
#include <array>

#include "gui/QtUserInterface.h"
#include "programs/parasitic/ParasiticForm.h"

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace velto::gui {

// "Parasitic reflections and CMBDPs of back reflection from cubic
// structures": modeless; the main window creates it on first use and keeps
// it, closing it only hides it.
class CDlgParasitic : public QDialog {
  Q_OBJECT
 public:
  explicit CDlgParasitic(QWidget* parent);

  programs::ParasiticForm& Model() { return model_; }
  QLineEdit* IndexEdit(int i) const { return index_[static_cast<std::size_t>(i)]; }
  QCheckBox* DiamondBox() const { return diamond_; }
  QPlainTextEdit* Output() const { return output_; }
  QPushButton* CalculateButton() const { return calculate_; }
  // Replaces the person the dialog talks to (tests).
  void SetUserInterface(programs::UserInterface& ui) { commandUi_ = &ui; }

 private:
  void Refresh();

  programs::ParasiticForm model_;
  QtUserInterface ui_;
  programs::UserInterface* commandUi_;
  std::array<QLineEdit*, 3> index_{};
  QCheckBox* diamond_;
  QPlainTextEdit* output_;
  QPushButton* calculate_;
};

}  // namespace velto::gui
