#include "gui/CDlgMBD_SF.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace velto::gui {

using programs::ChiComponentsForm;

QVariant ChiComponentsTable::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid()) return {};
  return ToQt(form_.Cell(index.row(), index.column()));
}

QVariant ChiComponentsTable::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section > 2) return {};
  return ToQt(ChiComponentsForm::kColumns[section]);
}

CDlgMBD_SF::CDlgMBD_SF(QWidget* parent, ChiComponentsForm& model, QtUserInterface&)
    : QDialog(parent), model_(model), ui_(this), table_(model, this) {
  setWindowTitle(ToQt(ChiComponentsForm::kTitle));
  list_ = new QTableView(this);
  list_->setModel(&table_);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setShowGrid(true);
  list_->verticalHeader()->hide();
  // Every row is one line high: the view then needs no measuring of 10⁴ rows.
  list_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  list_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  list_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft);
  list_->horizontalHeader()->setStretchLastSection(true);
  for (int i = 0; i < 3; ++i) list_->setColumnWidth(i, ChiComponentsForm::kColumnWidths[i] * 3 / 2);
  list_->setMinimumSize(560, 320);

  auto* calculate = new QPushButton(ToQt(ChiComponentsForm::kCalculate), this);
  auto* import = new QPushButton(ToQt(ChiComponentsForm::kImport), this);
  auto* help = new QPushButton(QStringLiteral("?"), this);
  help->setMaximumWidth(30);
  for (QPushButton* button : {calculate, import, help}) button->setAutoDefault(false);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &CDlgMBD_SF::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CDlgMBD_SF::reject);
  connect(calculate, &QPushButton::clicked, this, [this] {
    model_.Calculate(ui_);
    table_.Refill();
  });
  connect(import, &QPushButton::clicked, this, [this] {
    model_.Import(ui_);
    table_.Refill();
  });
  connect(help, &QPushButton::clicked, this, [this] { model_.FormatHelp(ui_); });

  auto* row = new QHBoxLayout;
  row->addWidget(calculate);
  row->addWidget(import);
  row->addWidget(help);
  row->addStretch(1);
  row->addWidget(buttons);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_, 1);
  layout->addLayout(row);
}

}  // namespace velto::gui
