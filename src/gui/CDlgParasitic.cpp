#include "gui/CDlgParasitic.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/InputWidgets.h"

namespace velto::gui {

using F = programs::ParasiticField;
using Form = programs::ParasiticForm;

namespace {

QLabel* Text(const char* text, QWidget* parent) {
  auto* label = new QLabel(ToQt(text), parent);
  label->setWordWrap(true);
  return label;
}

}  // namespace

CDlgParasitic::CDlgParasitic(QWidget* parent) : QDialog(parent), ui_(this), commandUi_(&ui_) {
  setWindowTitle(ToQt(Form::kTitle));

  auto* primary = new QHBoxLayout;
  primary->addWidget(new QLabel(ToQt(Form::kPrimaryLabel), this));
  for (std::size_t i = 0; i < 3; ++i) {
    index_[i] = new QLineEdit(this);
    index_[i]->setObjectName(Form::kIndexFields[i]);
    index_[i]->setMaximumWidth(70);
    index_[i]->setAlignment(Qt::AlignRight);
    primary->addWidget(index_[i]);
  }
  diamond_ = new QCheckBox(ToQt(Form::kDiamondLabel), this);
  primary->addSpacing(16);
  primary->addWidget(diamond_);
  primary->addStretch();

  output_ = new QPlainTextEdit(this);
  output_->setReadOnly(true);
  output_->setLineWrapMode(QPlainTextEdit::NoWrap);
  output_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  output_->setMinimumSize(560, 260);
  calculate_ = new QPushButton(QStringLiteral("Calculate"), this);
  calculate_->setDefault(true);
  auto* note = new QPlainTextEdit(ToQt(model_.Field(F::Note).text), this);
  note->setReadOnly(true);
  QPalette colours = note->palette();
  colours.setColor(QPalette::Base, kResultBackground);
  note->setPalette(colours);
  note->setFixedHeight(note->fontMetrics().lineSpacing() * 4 + 12);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Text(Form::kIntroduction, this));
  layout->addLayout(primary);
  layout->addWidget(Text(Form::kOutputLabel, this));
  layout->addWidget(output_, 1);
  layout->addWidget(Text(Form::kSelectAllHint, this));
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(calculate_);
  buttons->addStretch();
  layout->addLayout(buttons);
  layout->addWidget(note);

  connect(calculate_, &QPushButton::clicked, this, [this] {
    for (std::size_t i = 0; i < 3; ++i) model_.Field(static_cast<F>(i)).text = FromQt(index_[i]->text());
    model_.Field(F::DiamondStructure).checked = diamond_->isChecked();
    model_.Calculate(*commandUi_);
    Refresh();
  });
  Refresh();
}

void CDlgParasitic::Refresh() {
  for (std::size_t i = 0; i < 3; ++i) ShowField(index_[i], model_.Field(static_cast<F>(i)));
  diamond_->setChecked(model_.Field(F::DiamondStructure).checked);
  const QString output = ToQt(model_.Field(F::Output).text);
  if (output_->toPlainText() != QString(output).remove('\r')) output_->setPlainText(output);
}

}  // namespace velto::gui
