#include "gui/CDlgXopSF.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/InputWidgets.h"

namespace velto::gui {

namespace {

CColorEdit* ValueBox(QWidget* parent, const programs::FormField& field, const QString& name) {
  auto* edit = new CColorEdit(parent);
  edit->setObjectName(name);
  edit->setMinimumWidth(150);
  edit->setAlignment(Qt::AlignRight);
  ShowField(edit, field);
  return edit;
}

}  // namespace

CDlgXopSF::CDlgXopSF(QWidget* parent, programs::StructureFactorsForm& model, QtUserInterface&) : QDialog(parent) {
  using Form = programs::StructureFactorsForm;
  setWindowTitle(ToQt(Form::kTitle));
  const QStringList names{"F0", "Fh", "Fmh", "Fhp", "Fmhp"};

  auto* factors = new QGridLayout;
  auto* phaseBox = new QGroupBox(QStringLiteral("Phase Form "), this);
  auto* phases = new QGridLayout(phaseBox);
  for (int i = 0; i < 5; ++i) {
    const QString label = ToQt(Form::kRowLabels[static_cast<std::size_t>(i)]);
    factors->addWidget(new QLabel(label, this), i, 0, Qt::AlignRight);
    factors->addWidget(ValueBox(this, model.Real(i), names[i] + "re"), i, 1);
    factors->addWidget(new QLabel(QStringLiteral("+ i "), this), i, 2);
    factors->addWidget(ValueBox(this, model.Imaginary(i), names[i] + "im"), i, 3);

    QString modulusLabel = label;
    modulusLabel.chop(2);  // "F0 =" -> "F0"
    phases->addWidget(new QLabel(QStringLiteral("|%1| =").arg(modulusLabel), phaseBox), i, 0, Qt::AlignRight);
    phases->addWidget(ValueBox(phaseBox, model.Modulus(i), names[i] + "mod"), i, 1);
    phases->addWidget(new QLabel(QString::fromUtf8("φ ="), phaseBox), i, 2, Qt::AlignRight);
    phases->addWidget(ValueBox(phaseBox, model.Phase(i), names[i] + "phase"), i, 3);
    phases->addWidget(new QLabel(QString::fromUtf8("°"), phaseBox), i, 4);
  }

  auto* absorption = new QGridLayout;
  absorption->addWidget(new QLabel(QStringLiteral("Linear Absorption Coefficient: "), this), 0, 0);
  absorption->addWidget(ValueBox(this, model.AbsorptionBox(), "absorption"), 0, 1);
  absorption->addWidget(new QLabel(QString::fromUtf8("µm⁻¹"), this), 0, 2);
  absorption->addWidget(new QLabel(QStringLiteral("Penetration Depth:"), this), 1, 0);
  absorption->addWidget(ValueBox(this, model.PenetrationBox(), "penetration"), 1, 1);
  absorption->addWidget(new QLabel(QString::fromUtf8("µm"), this), 1, 2);
  absorption->setColumnStretch(3, 1);

  auto* close = new QPushButton(QStringLiteral("Close"), this);
  close->setDefault(true);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  auto* closeRow = new QHBoxLayout;
  closeRow->addStretch();
  closeRow->addWidget(close);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(factors);
  layout->addWidget(phaseBox);
  layout->addLayout(absorption);
  layout->addLayout(closeRow);
}

}  // namespace velto::gui
