#pragma once
#include <QDialog>
#include <map>

#include "gui/QtUserInterface.h"
#include "programs/mbd_map/MapSettingsForm.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace velto::gui {

// "Define/Change Crystal and Reflection/Orientation" of the MBD-line map.
class CMapSettings : public QDialog {
  Q_OBJECT
 public:
  CMapSettings(QWidget* parent, programs::MapSettingsForm& model, QtUserInterface& parentUi);
  void accept() override;

  // The user interface the dialog's commands talk through (tests replace
  // its file chooser).
  void SetUserInterface(programs::UserInterface& ui) { commandUi_ = &ui; }
  QLineEdit* FieldEdit(programs::MapSettingsField id) const { return edits_.at(id); }
  QCheckBox* DiamondBox() const { return diamond_; }
  QPushButton* DefineCrystalButton() const { return defineCrystal_; }

 private:
  void CopyIntoModel();
  void ShowModel();

  programs::MapSettingsForm& model_;
  QtUserInterface ui_;
  programs::UserInterface* commandUi_;
  std::map<programs::MapSettingsField, QLineEdit*> edits_;
  QCheckBox* diamond_;
  QPushButton* defineCrystal_;
};

}  // namespace velto::gui
