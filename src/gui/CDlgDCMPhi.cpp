#include "gui/CDlgDCMPhi.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "gui/InputWidgets.h"

namespace velto::gui {
namespace {

QLineEdit* Value(const std::string& text, QWidget* parent) {
  auto* edit = new CInactvWbkEdit(parent);
  edit->setReadOnly(true);
  edit->setText(ToQt(text));
  edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("-000.00000000")) + 16);
  return edit;
}

QLabel* Text(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setTextFormat(Qt::RichText);
  return label;
}

}  // namespace

CDlgDCMPhi::CDlgDCMPhi(QWidget* parent, programs::DcmPhiDialog& model, QtUserInterface&) : QDialog(parent) {
  setWindowTitle(ToQt(programs::DcmPhiDialog::kTitle));

  auto* position = new QGroupBox(QStringLiteral("Bragg Position for non-dispersive configuration:"), this);
  auto* positionGrid = new QGridLayout(position);
  positionGrid->addWidget(
      Text(QStringLiteral("Φ = θ<sub>B</sub><sup>1</sup> + φ<sub>1</sub> − θ<sub>B</sub><sup>2</sup> "
                          "+ φ<sub>2</sub>"),
           this),
      0, 0);
  positionGrid->addWidget(Value(model.texts.phi, this), 0, 1);
  positionGrid->addWidget(Text(QStringLiteral("°"), this), 0, 2);
  positionGrid->addWidget(Text(QStringLiteral("For dispersive it is"), this), 1, 0);
  positionGrid->addWidget(Text(QStringLiteral("Φ = 180° − θ<sub>B</sub><sup>1</sup> − φ<sub>1</sub> − "
                                              "θ<sub>B</sub><sup>2</sup> + φ<sub>2</sub>"),
                               this),
                          2, 0, 1, 3);

  auto* shift = new QGroupBox(QStringLiteral("Peak Shift from Bragg: Rough dynamical diffraction correction:"), this);
  auto* shiftGrid = new QGridLayout(shift);
  shiftGrid->addWidget(Text(QStringLiteral("ΔΦ ="), this), 0, 0);
  shiftGrid->addWidget(Value(model.texts.deltaPhi, this), 0, 1);
  shiftGrid->addWidget(Text(QStringLiteral("arcsec"), this), 0, 2);
  shiftGrid->addWidget(
      new QLabel(QStringLiteral("Non-dispersive: dOmega1p - dOmega02;   Dispersive: -dOmega1P - dOmega02"), this), 1, 0,
      1, 3);
  shiftGrid->addWidget(new QLabel(QStringLiteral("dOmega1p = dOmega1 / |b|"), this), 2, 0, 1, 3);
  shiftGrid->addWidget(Text(QStringLiteral("Δω ="), this), 3, 0);
  shiftGrid->addWidget(Value(model.texts.deltaOmega, this), 3, 1);
  shiftGrid->addWidget(Text(QStringLiteral("arcsec"), this), 3, 2);
  shiftGrid->addWidget(new QLabel(QStringLiteral("1st crystal peak center shift"), this), 4, 1, 1, 2);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(position);
  layout->addWidget(shift);
  layout->addWidget(buttons);
}

}  // namespace velto::gui
