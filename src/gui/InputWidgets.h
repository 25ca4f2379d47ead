#pragma once
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <functional>
#include <vector>

#include "programs/ui/FormField.h"
#include "shell/StepButtons.h"

// The controls shared by the forms of the suite: step buttons with their
// right-click "Stepsize" menu, the wavelength/energy and temperature lists,
// the coloured display fields and the plot area.
class QDialog;
class QHBoxLayout;

namespace velto::gui {

// The light cyan of read-only result fields and the grey of disabled ones.
inline const QColor kResultBackground(210, 255, 255);
inline const QColor kDisabledBackground(235, 235, 235);

// One push button of a step-button group.
class CBTNRightClk : public QPushButton {
  Q_OBJECT
 public:
  explicit CBTNRightClk(QWidget* parent = nullptr);

 signals:
  // A step of the table was chosen from this button's "Stepsize" menu.
  void stepChosen(int index);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
};

// Binds up to four buttons (master first) to a step-button group model and
// the field they step.
class StepButtonGroupBinding : public QObject {
  Q_OBJECT
 public:
  StepButtonGroupBinding(std::vector<CBTNRightClk*> buttons, std::vector<bool> isPlus, int initialIndex,
                         QLineEdit* field, QObject* parent);
  const shell::StepButtonGroup& Group() const { return group_; }
  void ChooseStep(int index);

 signals:
  // The field was stepped by a left click.
  void stepped();

 private:
  void ShowCaptions();
  shell::StepButtonGroup group_;
  std::vector<CBTNRightClk*> buttons_;
  QLineEdit* field_;
};

// A drop-down list of wavelengths or energies with an editable field. With a
// partner, typing or picking writes the converted value there.
class CWLCombo : public QComboBox {
  Q_OBJECT
 public:
  explicit CWLCombo(QWidget* parent = nullptr);
  void setPartner(std::function<void(const QString&)> partner) { partner_ = std::move(partner); }

 signals:
  void userEdited(const QString& text);  // typed, or an entry picked
  void left();                           // the list lost the keyboard focus

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Changed(const QString& text);
  std::function<void(const QString&)> partner_;
};

// A drop-down list of temperatures; never shows zero or a negative value.
class CTempCombo : public QComboBox {
  Q_OBJECT
 public:
  explicit CTempCombo(QWidget* parent = nullptr);

 signals:
  // "Gray Results by ComboTemp": results for the old temperature are out of date.
  void grayResults();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

// A display field: light cyan while enabled, grey while disabled.
class CInactvWbkEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit CInactvWbkEdit(QWidget* parent = nullptr);
};

// An edit field that is light cyan while it is read-only.
class CColorEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit CColorEdit(QWidget* parent = nullptr);
  void setReadOnlyColoured(bool readOnly);
};

// A static text on light cyan.
class CWBkStatic : public QLabel {
  Q_OBJECT
 public:
  explicit CWBkStatic(QWidget* parent = nullptr);
};

// The plot area of a program window: shows the crosshair cursor; the owner
// draws the plot.
class CStaticFig : public QWidget {
  Q_OBJECT
 public:
  explicit CStaticFig(QWidget* parent = nullptr);
  void setPainter(std::function<void(QPainter&, const QRect&)> paint) { paint_ = std::move(paint); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::function<void(QPainter&, const QRect&)> paint_;
};

// Read-only fields take the focus from a click (to copy their text) but not
// from Tab.
void SetReadOnlyFocus(QLineEdit* edit, bool readOnly);

// Shows a model's field in an edit: text (kept as is while it already
// matches, so the cursor stays), enabled, read-only and visible states.
void ShowField(QLineEdit* edit, const programs::FormField& field);
void ShowButton(QPushButton* button, const programs::FormField& field);

// The row of "OK" (the default button, running accept()) and "Cancel"
// (running reject()) at the foot of a dialog.
QHBoxLayout* OkCancelRow(QDialog* dialog);

}  // namespace velto::gui
