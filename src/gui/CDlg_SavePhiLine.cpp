#include "gui/CDlg_SavePhiLine.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/InputWidgets.h"
#include "shell/NumberText.h"

namespace velto::gui {

using Form = programs::SavePhiLineForm;

CDlg_SavePhiLine::CDlg_SavePhiLine(QWidget* parent, Form& model, QtUserInterface&)
    : QDialog(parent), model_(model), ui_(this), commandUi_(&ui_) {
  setWindowTitle(ToQt(Form::kTitle));
  phi_ = new QLineEdit(this);
  phi_->setObjectName(ToQt(Form::kPhiField));
  phi_->setToolTip(ToQt(Form::kPhiToolTip));
  file_ = new QLineEdit(this);
  file_->setObjectName(ToQt(Form::kFileField));
  file_->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('x')) * 48);
  browse_ = new QPushButton(QStringLiteral("..."), this);
  browse_->setAutoDefault(false);

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(ToQt(Form::kPhiField), this), 0, 0);
  grid->addWidget(phi_, 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("deg  (the map spans %1 to %2)")
                                 .arg(ToQt(shell::FormatNumber(model.PhiMin(), 8)),
                                      ToQt(shell::FormatNumber(model.PhiMax(), 8))),
                             this),
                  0, 2, 1, 2);
  grid->addWidget(new QLabel(ToQt(Form::kFileField), this), 1, 0);
  grid->addWidget(file_, 1, 1, 1, 2);
  grid->addWidget(browse_, 1, 3);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(OkCancelRow(this));

  connect(browse_, &QPushButton::clicked, this, [this] {
    CopyIntoModel();
    model_.Browse(*commandUi_);
    ShowModel();
  });
  ShowModel();
}

void CDlg_SavePhiLine::CopyIntoModel() {
  model_.Phi().text = FromQt(phi_->text());
  model_.File().text = FromQt(file_->text());
}

void CDlg_SavePhiLine::ShowModel() {
  ShowField(phi_, model_.Phi());
  ShowField(file_, model_.File());
}

void CDlg_SavePhiLine::accept() {
  CopyIntoModel();
  const bool accepted = model_.Ok(*commandUi_);
  ShowModel();
  if (accepted) QDialog::accept();
}

}  // namespace velto::gui
