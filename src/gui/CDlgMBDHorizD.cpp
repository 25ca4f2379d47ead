#include "gui/CDlgMBDHorizD.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/InputWidgets.h"

namespace velto::gui {

using programs::HorizontalReferenceForm;

CDlgMBDHorizD::CDlgMBDHorizD(QWidget* parent, HorizontalReferenceForm& model, QtUserInterface&)
    : QDialog(parent), model_(model), ui_(this) {
  setWindowTitle(ToQt(HorizontalReferenceForm::kTitle));
  auto* layout = new QVBoxLayout(this);
  for (const char* text : {HorizontalReferenceForm::kText1, HorizontalReferenceForm::kText2})
    layout->addWidget(new QLabel(ToQt(text), this));
  auto* grid = new QGridLayout;
  static constexpr const char* kNames[3] = {"h", "k", "l"};
  for (int i = 0; i < 3; ++i) {
    grid->addWidget(new QLabel(QString::fromLatin1(kNames[i]), this), 0, 2 * i, Qt::AlignCenter);
    auto* edit = edits_[static_cast<std::size_t>(i)] = new QLineEdit(this);
    edit->setObjectName(HorizontalReferenceForm::kFieldNames[static_cast<std::size_t>(i)]);
    grid->addWidget(edit, 1, 2 * i, 1, 2);
    for (int step : {-1, +1}) {
      auto* button = new QPushButton(step < 0 ? QStringLiteral("-") : QStringLiteral("+"), this);
      button->setAutoDefault(false);
      grid->addWidget(button, 2, 2 * i + (step < 0 ? 0 : 1));
      connect(button, &QPushButton::clicked, this, [this, i, step] {
        ReadFields();
        model_.Step(i, step);
        ShowFields();
      });
    }
  }
  layout->addLayout(grid);
  layout->addWidget(new QLabel(ToQt(HorizontalReferenceForm::kText3), this));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &CDlgMBDHorizD::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CDlgMBDHorizD::reject);
  layout->addWidget(buttons);
  ShowFields();
}

void CDlgMBDHorizD::ReadFields() {
  for (int i = 0; i < 3; ++i) model_.Index(i).text = FromQt(edits_[static_cast<std::size_t>(i)]->text());
}

void CDlgMBDHorizD::ShowFields() {
  for (int i = 0; i < 3; ++i) ShowField(edits_[static_cast<std::size_t>(i)], model_.Index(i));
}

void CDlgMBDHorizD::accept() {
  ReadFields();
  if (model_.Ok(ui_)) QDialog::accept();
}

}  // namespace velto::gui
