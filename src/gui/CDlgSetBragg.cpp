#include "gui/CDlgSetBragg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "gui/InputWidgets.h"

namespace velto::gui {

CDlgSetBragg::CDlgSetBragg(QWidget* parent, programs::SetBraggForm& model, QtUserInterface&)
    : QDialog(parent), model_(model), ui_(this) {
  setWindowTitle(ToQt(programs::SetBraggForm::kTitle));
  auto* row = new QHBoxLayout;
  angle_ = new QLineEdit(this);
  angle_->setObjectName(programs::SetBraggForm::kAngleField);
  row->addWidget(new QLabel(QStringLiteral("Bragg angle:"), this));
  row->addWidget(angle_);
  row->addWidget(new QLabel(QStringLiteral("degrees"), this));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &CDlgSetBragg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CDlgSetBragg::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addWidget(buttons);
  ShowField(angle_, model_.Angle());
}

void CDlgSetBragg::accept() {
  model_.Angle().text = FromQt(angle_->text());
  if (model_.Ok(ui_)) QDialog::accept();
}

}  // namespace velto::gui
