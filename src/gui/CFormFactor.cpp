#include "gui/CFormFactor.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/InputWidgets.h"

namespace velto::gui {

using F = programs::FormFactorField;
using Form = programs::FormFactorForm;

CFormFactor::CFormFactor(QWidget* parent, Form& model, QtUserInterface&) : QDialog(parent), model_(model), ui_(this) {
  setWindowTitle(ToQt(Form::kTitle));

  element_ = new QComboBox(this);
  element_->setObjectName(Form::kElementField);
  for (const std::string& row : model_.ElementRows()) element_->addItem(ToQt(row));
  element_->setMaxVisibleItems(20);
  energy_ = new CWLCombo(this);
  energy_->lineEdit()->setObjectName(Form::kEnergyField);
  for (const std::string& entry : model_.EnergyList()) energy_->addItem(ToQt(entry));
  energy_->setMinimumWidth(200);
  auto* theta = new QLineEdit(this);
  theta->setObjectName(Form::kThetaField);
  theta->installEventFilter(this);
  edits_[F::Theta] = theta;
  for (F id : {F::SinThetaOverLambda, F::F0, F::FPrime, F::FDoublePrime, F::Compton, F::RealPart, F::ImaginaryPart}) {
    auto* edit = new CInactvWbkEdit(this);
    edit->setMinimumWidth(140);
    edit->setAlignment(Qt::AlignRight);
    edits_[id] = edit;
  }

  auto* inputs = new QGridLayout;
  inputs->addWidget(new QLabel(QStringLiteral("Element:"), this), 0, 0, Qt::AlignRight);
  inputs->addWidget(element_, 0, 1);
  auto* energyLabel = new QLabel(ToQt(Form::kEnergyLabel), this);
  energyLabel->setBuddy(energy_);
  inputs->addWidget(energyLabel, 1, 0, Qt::AlignRight);
  inputs->addWidget(energy_, 1, 1);
  inputs->addWidget(new QLabel(ToQt(Form::kEnergyUnit), this), 1, 2);
  inputs->addWidget(new QLabel(QString::fromUtf8("θ ="), this), 2, 0, Qt::AlignRight);
  inputs->addWidget(theta, 2, 1);
  inputs->addWidget(new QLabel(QStringLiteral("deg"), this), 2, 2);
  inputs->addWidget(new QLabel(QString::fromUtf8("sin θ/λ ="), this), 3, 0, Qt::AlignRight);
  inputs->addWidget(edits_[F::SinThetaOverLambda], 3, 1);
  inputs->addWidget(new QLabel(QString::fromUtf8("Å<sup>-1</sup>"), this), 3, 2);
  inputs->setColumnStretch(1, 1);

  auto* results = new QGridLayout;
  const std::pair<F, const char*> rows[] = {{F::F0, "f0 ="},
                                            {F::FPrime, "f′ ="},
                                            {F::FDoublePrime, "f″ ="},
                                            {F::Compton, "f<sub>cmpt</sub> ="}};
  int row = 0;
  for (const auto& [id, label] : rows) {
    results->addWidget(new QLabel(QString::fromUtf8(label), this), row, 0, Qt::AlignRight);
    results->addWidget(edits_[id], row++, 1);
  }
  results->addWidget(new QLabel(ToQt(Form::kFormulaLabel), this), row++, 0, 1, 4);
  results->addWidget(new QLabel(QStringLiteral("f ="), this), row, 0, Qt::AlignRight);
  results->addWidget(edits_[F::RealPart], row, 1);
  results->addWidget(new QLabel(QStringLiteral("+ i"), this), row, 2);
  results->addWidget(edits_[F::ImaginaryPart], row, 3);

  calculate_ = new QPushButton(QStringLiteral("Calculate !"), this);
  calculate_->setDefault(true);
  loop_ = new QPushButton(QStringLiteral("&Loop..."), this);
  loop_->setAutoDefault(false);
  auto* close = new QPushButton(QStringLiteral("Close"), this);
  close->setAutoDefault(false);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(calculate_);
  buttons->addWidget(loop_);
  buttons->addStretch();
  buttons->addWidget(close);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(inputs);
  layout->addSpacing(8);
  layout->addLayout(results);
  layout->addSpacing(8);
  layout->addLayout(buttons);

  connect(element_, &QComboBox::activated, this, [this](int index) {
    model_.SelectElement(index);
    Refresh();
  });
  connect(energy_, &CWLCombo::userEdited, this, [this](const QString& text) {
    model_.EnergyEdited(FromQt(text));
    Refresh();
  });
  connect(energy_, &CWLCombo::left, this, [this] {
    CopyFields();
    model_.EnergyLeft(ui_);
    Refresh();
  });
  connect(theta, &QLineEdit::textEdited, this, [this](const QString& text) {
    model_.ThetaEdited(FromQt(text));
    Refresh();
  });
  connect(calculate_, &QPushButton::clicked, this, [this] {
    CopyFields();
    model_.Calculate(ui_);
    Refresh();
  });
  connect(loop_, &QPushButton::clicked, this, [this] {
    CopyFields();
    model_.Loop(ui_);
    Refresh();
  });
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  Refresh();
}

bool CFormFactor::eventFilter(QObject* watched, QEvent* event) {
  if (watched == edits_[F::Theta] && event->type() == QEvent::FocusOut) {
    model_.ThetaLeft(ui_);
    Refresh();
  }
  return QDialog::eventFilter(watched, event);
}

void CFormFactor::CopyFields() {
  // The energy list rewrites its own text when left (a label after the
  // number goes) without an edit, which would clear the results.
  model_.Field(F::Energy).text = FromQt(energy_->currentText());
  model_.Field(F::Theta).text = FromQt(edits_[F::Theta]->text());
}

void CFormFactor::Refresh() {
  if (element_->currentIndex() != model_.SelectedRow()) element_->setCurrentIndex(model_.SelectedRow());
  const QString energy = ToQt(model_.Field(F::Energy).text);
  if (energy_->currentText() != energy) energy_->setEditText(energy);
  for (const auto& [id, edit] : edits_) ShowField(edit, model_.Field(id));
}

}  // namespace velto::gui
