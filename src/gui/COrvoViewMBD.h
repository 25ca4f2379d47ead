#pragma once
#include <QWidget>
#include <map>

#include "gui/ProgramView.h"
#include "programs/multiple_beam/MbdForm.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace velto::gui {

// The window of the multiple-beam program: copies what the person typed
// into the form model, runs its commands and shows the model. Runs compute
// on a worker thread with the frame's progress bar and Cancel; the rest of
// the application stays usable meanwhile. The program has no menu bar of its
// own.
class COrvoViewMBD : public ProgramView {
  Q_OBJECT
 public:
  explicit COrvoViewMBD(programs::AppContext& app, QWidget* parent = nullptr);
  ~COrvoViewMBD() override;

  programs::MbdForm& Model() { return model_; }
  QLineEdit* FieldEdit(programs::MbdField id) const { return edits_.at(id); }
  QLineEdit* ConvolutionEdit(programs::MbdConvolutionField id) const { return convolutionEdits_.at(id); }
  // The command buttons, named by their captions.
  QPushButton* Button(const char* caption) const { return buttons_.at(caption); }
  QTableWidget* ReflectionList() const { return reflections_; }
  QTableWidget* SearchList() const { return search_; }
 protected:
  void ReadFields() override;
  void ShowModel() override;

 private:
  QLineEdit* AddEdit(programs::MbdField id);
  QPushButton* AddButton(const char* caption);
  QWidget* BuildConvolutionPanel();

  programs::MbdForm model_;
  std::map<programs::MbdField, QLineEdit*> edits_;
  std::map<programs::MbdField, QSpinBox*> spins_;
  std::map<programs::MbdConvolutionField, QLineEdit*> convolutionEdits_;
  std::map<std::string, QPushButton*> buttons_;
  QCheckBox* siMode_ = nullptr;
  QTableWidget* reflections_ = nullptr;
  QTableWidget* search_ = nullptr;
  QPushButton* convolutionButton_ = nullptr;
  QPushButton* deactivate_ = nullptr;
  QPushButton* openMap_ = nullptr;
  bool mapAvailable_ = false;
};

}  // namespace velto::gui
