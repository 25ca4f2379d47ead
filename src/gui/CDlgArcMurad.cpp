#include "gui/CDlgArcMurad.h"

#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>

#include "gui/QtUserInterface.h"

namespace velto::gui {

using Quantity = programs::ArcConverterForm::Quantity;

CDlgArcMurad::CDlgArcMurad(QWidget* parent) : QDialog(parent) {
  setWindowTitle(ToQt(programs::ArcConverterForm::kTitle));
  auto* grid = new QGridLayout(this);
  const char* units[] = {"arcsec", "deg", "µrad"};
  for (int i = 0; i < 3; ++i) {
    const auto quantity = static_cast<Quantity>(i);
    radios_[i] = new QRadioButton(ToQt(programs::ArcConverterForm::kRadioCaptions[i]), this);
    edits_[i] = new CColorEdit(this);
    edits_[i]->setObjectName(QString::fromLatin1(programs::ArcConverterForm::kFieldNames[i]));
    edits_[i]->setMinimumWidth(160);
    edits_[i]->setAlignment(Qt::AlignRight);
    grid->addWidget(radios_[i], i, 0);
    grid->addWidget(edits_[i], i, 1);
    grid->addWidget(new QLabel(QString::fromUtf8(units[i]), this), i, 2);
    connect(radios_[i], &QRadioButton::toggled, this, [this, quantity](bool on) {
      if (!on) return;
      model_.SetMode(quantity);
      Refresh();
      edits_[quantity]->setFocus();
    });
    connect(edits_[i], &QLineEdit::textEdited, this, [this, quantity](const QString& text) {
      model_.FieldEdited(quantity, FromQt(text));
      Refresh();
    });
  }
  note_ = new QLabel(this);
  note_->setWordWrap(true);
  grid->addWidget(note_, 3, 0, 1, 3);
  radios_[model_.Mode()]->setChecked(true);
  Refresh();
}

void CDlgArcMurad::Refresh() {
  for (int i = 0; i < 3; ++i) ShowField(edits_[i], model_.Field(static_cast<Quantity>(i)));
  note_->setText(ToQt(model_.Note().text));
  note_->setVisible(!model_.Note().text.empty());
}

}  // namespace velto::gui
