#include "gui/StructureEditorWindow.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace velto::gui {
namespace {

using F = programs::StructureEditorField;

constexpr const char* kAtomColumns[] = {"Element", "x", "y", "z", "Occupancy"};

}  // namespace

void StructureEditorUserInterface::Focus(std::string_view field) {
  const auto colon = field.find(':');
  if (colon == std::string_view::npos || !Window()) return QtUserInterface::Focus(field);
  const bool atom = field.substr(0, colon) == "atom";
  auto* table = Window()->findChild<QTableWidget*>(atom ? QStringLiteral("atoms") : QStringLiteral("debye"));
  if (!table) return;
  const QString key = ToQt(field.substr(colon + 1));
  int row = atom ? key.toInt() : -1;
  for (int r = 0; !atom && r < table->rowCount(); ++r)
    if (table->item(r, 0) && table->item(r, 0)->text() == key) row = r;
  if (row < 0 || row >= table->rowCount()) return;
  table->setFocus(Qt::OtherFocusReason);
  table->setCurrentCell(row, atom ? 0 : 1);
}

StructureEditorWindow::StructureEditorWindow(const std::filesystem::path& dataDirectory)
    : form_(dataDirectory), ui_(this) {
  BuildMenus();
  setCentralWidget(BuildForm());
  resize(900, 640);
  Refresh();
}

void StructureEditorWindow::BuildMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  file->addAction(QStringLiteral("&New"), QKeySequence::New, this,
                  [this] { Run(&programs::StructureEditorForm::New); });
  file->addAction(QStringLiteral("&Open..."), QKeySequence::Open, this,
                  [this] { Run(&programs::StructureEditorForm::Open); });
  file->addAction(QStringLiteral("&Import CIF..."), this, [this] { Run(&programs::StructureEditorForm::ImportCif); });
  file->addSeparator();
  file->addAction(QStringLiteral("&Save"), QKeySequence::Save, this,
                  [this] { Run(&programs::StructureEditorForm::Save); });
  file->addAction(QStringLiteral("Save &As..."), this, [this] { Run(&programs::StructureEditorForm::SaveAs); });
  file->addSeparator();
  file->addAction(QStringLiteral("E&xit"), this, &QWidget::close);
}

QWidget* StructureEditorWindow::BuildForm() {
  auto edit = [this](F field, const char* name, bool readOnly = false) {
    auto* line = new QLineEdit;
    line->setObjectName(name);
    line->setReadOnly(readOnly);
    if (!readOnly) connect(line, &QLineEdit::textEdited, this, &StructureEditorWindow::Edited);
    edits_[static_cast<int>(field)] = line;
    return line;
  };

  auto* crystal = new QGroupBox(QStringLiteral("Crystal"));
  auto* cell = new QGridLayout(crystal);
  cell->addWidget(new QLabel(QStringLiteral("Name")), 0, 0);
  cell->addWidget(edit(F::Name, "Name"), 0, 1, 1, 5);
  const std::pair<F, const char*> lengths[] = {{F::A, "a"}, {F::B, "b"}, {F::C, "c"}};
  const std::pair<F, const char*> angles[] = {{F::Alpha, "α"}, {F::Beta, "β"}, {F::Gamma, "γ"}};
  const char* lengthNames[] = {"A", "B", "C"};
  const char* angleNames[] = {"Alpha", "Beta", "Gamma"};
  for (int i = 0; i < 3; ++i) {
    cell->addWidget(new QLabel(QString::fromUtf8(lengths[i].second) + QStringLiteral(" (Å)")), 1, 2 * i);
    cell->addWidget(edit(lengths[i].first, lengthNames[i]), 1, 2 * i + 1);
    cell->addWidget(new QLabel(QString::fromUtf8(angles[i].second) + QStringLiteral(" (°)")), 2, 2 * i);
    cell->addWidget(edit(angles[i].first, angleNames[i]), 2, 2 * i + 1);
  }

  atoms_ = new QTableWidget(0, 5);
  atoms_->setObjectName("atoms");
  for (int column = 0; column < 5; ++column)
    atoms_->setHorizontalHeaderItem(column, new QTableWidgetItem(QString::fromUtf8(kAtomColumns[column])));
  atoms_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  // A long coordinate (2/3 written out) is cut with an ellipsis on its own
  // row, not wrapped into a second line the row height hides.
  atoms_->setWordWrap(false);
  connect(atoms_, &QTableWidget::itemChanged, this, [this] {
    if (!refreshing_) Edited();
  });
  auto* add = new QPushButton(QStringLiteral("Add atom"));
  auto* remove = new QPushButton(QStringLiteral("Remove atom"));
  connect(add, &QPushButton::clicked, this, [this] {
    Collect();
    form_.AddAtom();
    Refresh();
    atoms_->setCurrentCell(atoms_->rowCount() - 1, 0);
  });
  connect(remove, &QPushButton::clicked, this, [this] {
    Collect();
    form_.RemoveAtom(atoms_->currentRow());
    Refresh();
  });
  auto* atomBox = new QGroupBox(QStringLiteral("Atoms of the cell"));
  auto* atomLayout = new QVBoxLayout(atomBox);
  atomLayout->addWidget(atoms_);
  auto* atomButtons = new QHBoxLayout;
  atomButtons->addWidget(add);
  atomButtons->addWidget(remove);
  atomButtons->addStretch();
  atomLayout->addLayout(atomButtons);

  debye_ = new QTableWidget(0, 2);
  debye_->setObjectName("debye");
  debye_->setHorizontalHeaderItem(0, new QTableWidgetItem(QStringLiteral("Element")));
  debye_->setHorizontalHeaderItem(1, new QTableWidgetItem(QStringLiteral("Debye temperature (K)")));
  debye_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  connect(debye_, &QTableWidget::itemChanged, this, [this] {
    if (!refreshing_) Edited();
  });
  auto* debyeBox = new QGroupBox(QStringLiteral("Debye temperatures, by atomic number"));
  (new QVBoxLayout(debyeBox))->addWidget(debye_);

  auto* results = new QGroupBox(QStringLiteral("Cell and reflection"));
  auto* resultLayout = new QFormLayout(results);
  resultLayout->addRow(QStringLiteral("Volume (Å³)"), edit(F::Volume, "Volume", true));
  resultLayout->addRow(QStringLiteral("Density (g/cm³)"), edit(F::Density, "Density", true));
  auto* hkl = new QHBoxLayout;
  hkl->addWidget(edit(F::H, "H"));
  hkl->addWidget(edit(F::K, "K"));
  hkl->addWidget(edit(F::L, "L"));
  resultLayout->addRow(QStringLiteral("h k l"), hkl);
  resultLayout->addRow(QStringLiteral("Energy (keV)"), edit(F::Energy, "Energy"));
  resultLayout->addRow(QStringLiteral("d (Å)"), edit(F::D, "D", true));
  resultLayout->addRow(QStringLiteral("θB (°)"), edit(F::ThetaB, "ThetaB", true));
  auto* check = new QPushButton(QStringLiteral("Check"));
  connect(check, &QPushButton::clicked, this, [this] {
    Collect();
    if (form_.Validate(ui_))
      ui_.ShowMessage("The structure reads as every program will read it.", programs::MessageIcon::Information);
    Refresh();
  });
  resultLayout->addRow(check);

  notes_ = new QPlainTextEdit;
  notes_->setReadOnly(true);
  notes_->setMaximumHeight(110);
  notes_->setPlaceholderText(QStringLiteral("Notes of the CIF import"));

  auto* right = new QVBoxLayout;
  right->addWidget(results);
  right->addWidget(debyeBox, 1);
  auto* left = new QVBoxLayout;
  left->addWidget(crystal);
  left->addWidget(atomBox, 1);
  auto* columns = new QHBoxLayout;
  columns->addLayout(left, 3);
  columns->addLayout(right, 2);
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  layout->addLayout(columns, 1);
  layout->addWidget(notes_);
  return page;
}

void StructureEditorWindow::Collect() {
  for (int i = 0; i < static_cast<int>(F::Count); ++i)
    if (!edits_[i]->isReadOnly()) form_.Text(static_cast<F>(i)).text = FromQt(edits_[i]->text());
  auto& atoms = form_.Atoms();
  atoms.resize(atoms_->rowCount());
  auto cell = [](QTableWidget* table, int row, int column) {
    const QTableWidgetItem* item = table->item(row, column);
    return item ? FromQt(item->text()) : std::string();
  };
  for (int row = 0; row < atoms_->rowCount(); ++row)
    atoms[row] = {cell(atoms_, row, 0), cell(atoms_, row, 1), cell(atoms_, row, 2), cell(atoms_, row, 3),
                  cell(atoms_, row, 4)};
  auto& debye = form_.DebyeRows();
  for (int row = 0; row < debye_->rowCount() && row < static_cast<int>(debye.size()); ++row)
    debye[row].kelvin = cell(debye_, row, 1);
  form_.SyncDebyeRows();
}

void StructureEditorWindow::Edited() {
  if (refreshing_) return;
  Collect();
  form_.MarkChanged();
  form_.UpdatePreview();
  Refresh();
}

void StructureEditorWindow::Run(bool (programs::StructureEditorForm::*command)(programs::UserInterface&)) {
  Collect();
  (form_.*command)(ui_);
  Refresh();
}

void StructureEditorWindow::ShowTables() {
  const auto& atoms = form_.Atoms();
  if (atoms_->rowCount() != static_cast<int>(atoms.size())) atoms_->setRowCount(static_cast<int>(atoms.size()));
  auto set = [](QTableWidget* table, int row, int column, const std::string& text, bool editable = true) {
    QTableWidgetItem* item = table->item(row, column);
    if (!item) {
      item = new QTableWidgetItem;
      table->setItem(row, column, item);
    }
    if (!editable) item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    if (item->text() != ToQt(text)) item->setText(ToQt(text));
  };
  for (int row = 0; row < static_cast<int>(atoms.size()); ++row) {
    const auto& atom = atoms[row];
    const std::string* texts[] = {&atom.symbol, &atom.x, &atom.y, &atom.z, &atom.occupancy};
    for (int column = 0; column < 5; ++column) set(atoms_, row, column, *texts[column]);
  }
  const auto& debye = form_.DebyeRows();
  debye_->setRowCount(static_cast<int>(debye.size()));
  for (int row = 0; row < static_cast<int>(debye.size()); ++row) {
    set(debye_, row, 0, debye[row].symbol, false);
    set(debye_, row, 1, debye[row].kelvin);
  }
}

void StructureEditorWindow::Refresh() {
  refreshing_ = true;
  for (int i = 0; i < static_cast<int>(F::Count); ++i) {
    const QString text = ToQt(form_.Text(static_cast<F>(i)).text);
    if (edits_[i]->text() != text) edits_[i]->setText(text);
  }
  ShowTables();
  notes_->setPlainText(ToQt(form_.ImportNotes()));
  setWindowTitle(ToQt(form_.Title()));
  refreshing_ = false;
}

void StructureEditorWindow::closeEvent(QCloseEvent* event) {
  Collect();
  if (form_.MayClose(ui_))
    event->accept();
  else
    event->ignore();
}

}  // namespace velto::gui
