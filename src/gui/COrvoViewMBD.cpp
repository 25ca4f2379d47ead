#include "gui/COrvoViewMBD.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include "gui/InputWidgets.h"
#include "gui/ProgramWindows.h"
#include "programs/multiple_beam/MbdTexts.h"
#include "shell/NumberText.h"

namespace velto::gui {

using F = programs::MbdField;
using C = programs::MbdConvolutionField;
using programs::MbdForm;
namespace texts = programs::mbd_texts;

namespace {

QLabel* Label(const char* text, QWidget* parent) { return new QLabel(QString::fromUtf8(text), parent); }

QTableWidget* MakeList(const char* const* columns, const int* widths, int count, QWidget* parent) {
  auto* list = new QTableWidget(0, count, parent);
  for (int i = 0; i < count; ++i) {
    list->setHorizontalHeaderItem(i, new QTableWidgetItem(QString::fromUtf8(columns[i])));
    // The widths are those of the small font the lists were laid out for.
    list->setColumnWidth(i, widths[i] * 13 / 10);
  }
  list->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft);
  list->horizontalHeader()->setStretchLastSection(true);
  list->verticalHeader()->hide();
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list->setShowGrid(true);
  return list;
}

void FillRow(QTableWidget* list, int row, std::initializer_list<const std::string*> cells) {
  int column = 0;
  for (const std::string* cell : cells) list->setItem(row, column++, new QTableWidgetItem(ToQt(*cell)));
}

}  // namespace

COrvoViewMBD::COrvoViewMBD(programs::AppContext& app, QWidget* parent)
    : ProgramView(parent), model_(app) {
  setWindowTitle(ToQt(MbdForm::kTitle));
  mapAvailable_ = BuiltProgramWindows().count(shell::ProgramKind::MbdLineMap) > 0;

  // --- crystal, energy, frame ---
  UseMenuBarOfOtherWindows();
  QWidget* form = Form();
  auto* crystal = new QGroupBox(form);
  auto* grid = new QGridLayout(crystal);
  int row = 0;
  grid->addWidget(AddButton(texts::kPhotonEnergy), row, 0);
  grid->addWidget(AddEdit(F::Energy), row, 1);
  grid->addWidget(Label("keV", this), row, 2);
  grid->addWidget(Label(texts::kThickness, this), ++row, 0);
  grid->addWidget(AddEdit(F::Thickness), row, 1);
  grid->addWidget(Label("µm", this), row, 2);
  siMode_ = new QCheckBox(ToQt(texts::kSiMode), this);
  siMode_->setObjectName(programs::MbdFieldName(F::SiMode));
  siMode_->setToolTip(ToQt(MbdForm::ToolTip(F::SiMode)));
  grid->addWidget(siMode_, row, 3);
  grid->addWidget(AddButton(texts::kDefineCrystal), ++row, 0);
  grid->addWidget(AddEdit(F::CrystalName), row, 1, 1, 3);
  grid->addWidget(Label(texts::kPrimaryReflection, this), ++row, 0);
  grid->addWidget(AddEdit(F::PrimaryReflection), row, 1);
  grid->addWidget(Label("θB (deg)", this), row, 2);
  grid->addWidget(AddEdit(F::BraggAngle), row, 3);
  grid->addWidget(AddButton(texts::kReference), ++row, 0);
  grid->addWidget(AddEdit(F::Reference), row, 1);
  grid->addWidget(Label(texts::kReferenceNote, this), row, 2, 1, 2);
  grid->addWidget(Label(texts::kOffcut, this), ++row, 0);
  grid->addWidget(AddEdit(F::Offcut), row, 1);
  grid->addWidget(Label("deg", this), row, 2);
  grid->addWidget(Label(texts::kOffcutAzimuth, this), ++row, 0);
  grid->addWidget(AddEdit(F::OffcutAzimuth), row, 1);
  grid->addWidget(Label("deg", this), row, 2);
  grid->addWidget(Label(texts::kPrincipalAzimuth, this), ++row, 0);
  grid->addWidget(AddEdit(F::PrincipalAzimuth), row, 1);
  grid->addWidget(Label("deg", this), row, 2);
  grid->addWidget(AddButton(texts::kSetAzimuth), ++row, 0);
  auto* azimuthButtons = new QHBoxLayout;
  azimuthButtons->addWidget(AddButton(texts::kSecond));
  azimuthButtons->addWidget(AddButton(texts::kZero));
  grid->addLayout(azimuthButtons, row, 1);
  grid->addWidget(Label(texts::kSetAzimuthNote, this), row, 2, 1, 2);
  Button(texts::kSecond)->setToolTip(ToQt(texts::kSecondToolTip));

  // --- reflections ---
  auto* beams = new QGroupBox(this);
  auto* beamLayout = new QGridLayout(beams);
  beamLayout->addWidget(AddButton(texts::kAdd), 0, 0);
  auto* indices = new QHBoxLayout;
  for (F id : {F::AddH, F::AddK, F::AddL}) {
    auto* spin = new QSpinBox(this);
    spin->setRange(-999, 999);
    spin->setObjectName(programs::MbdFieldName(id));
    spins_[id] = spin;
    indices->addWidget(spin);
  }
  beamLayout->addLayout(indices, 0, 1);
  beamLayout->addWidget(AddButton(texts::kRemove), 0, 2);
  Button(texts::kRemove)->setToolTip(ToQt(texts::kRemoveToolTip));
  reflections_ = MakeList(texts::kListColumns, texts::kListWidths, 4, this);
  reflections_->setMinimumHeight(150);
  beamLayout->addWidget(reflections_, 1, 0, 1, 3);
  beamLayout->addWidget(Label(texts::kIndexNote, this), 2, 0, 1, 3);

  // --- chi, polarisation, scan ---
  auto* scan = new QGroupBox(this);
  auto* scanGrid = new QGridLayout(scan);
  row = 0;
  scanGrid->addWidget(AddButton(texts::kChi), row, 0, 2, 1);
  Button(texts::kChi)->setToolTip(ToQt(texts::kChiToolTip));
  scanGrid->addWidget(Label(texts::kPolarisation, this), row, 1);
  scanGrid->addWidget(AddEdit(F::Polarisation), row, 2);
  scanGrid->addWidget(Label("deg", this), row, 3);
  scanGrid->addWidget(Label(texts::kPolarisationFrom, this), row, 4);
  scanGrid->addWidget(Label(texts::kPolarisationTo, this), ++row, 4);
  const struct {
    const char* symbol;
    F from, to, points;
  } ranges[] = {{"Δθ", F::ThetaFrom, F::ThetaTo, F::ThetaPoints}, {"Δφ", F::PhiFrom, F::PhiTo, F::PhiPoints}};
  for (const auto& range : ranges) {
    auto* line = new QHBoxLayout;
    line->addWidget(Label(range.symbol, this));
    line->addWidget(Label("from", this));
    line->addWidget(AddEdit(range.from));
    line->addWidget(Label("to", this));
    line->addWidget(AddEdit(range.to));
    line->addWidget(Label("arcsec", this));
    line->addWidget(AddEdit(range.points));
    line->addWidget(Label("points", this));
    if (range.from == F::PhiFrom) {
      line->addWidget(AddButton(texts::kNoPhiScan));
      Button(texts::kNoPhiScan)->setToolTip(ToQt(texts::kNoPhiScanToolTip));
      Button(texts::kNoPhiScan)->setMaximumWidth(30);
    }
    scanGrid->addLayout(line, ++row, 0, 1, 5);
  }
  auto* energyOffset = new QHBoxLayout;
  energyOffset->addWidget(Label("ΔE =", this));
  energyOffset->addWidget(AddEdit(F::EnergyOffset));
  energyOffset->addWidget(Label("eV", this));
  energyOffset->addStretch(1);
  scanGrid->addLayout(energyOffset, ++row, 0, 1, 5);
  scanGrid->addWidget(AddButton(texts::kPlaneWave), ++row, 0, 1, 4);
  scanGrid->addWidget(AddButton(texts::kHelp), row, 4);
  Button(texts::kPlaneWave)->setMinimumHeight(44);

  // --- search and map ---
  auto* searchBox = new QGroupBox(this);
  auto* searchLayout = new QVBoxLayout(searchBox);
  searchLayout->addWidget(AddButton(texts::kSearch));
  auto* tolerance = new QHBoxLayout;
  tolerance->addWidget(Label("|Δφ| <=", this));
  tolerance->addWidget(AddEdit(F::Tolerance));
  tolerance->addWidget(Label("deg", this));
  searchLayout->addLayout(tolerance);
  search_ = MakeList(texts::kSearchColumns, texts::kSearchWidths, 2, this);
  search_->setMinimumWidth(300);
  searchLayout->addWidget(search_, 1);
  auto* threshold = new QHBoxLayout;
  threshold->addWidget(Label("|χ| <", this));
  threshold->addWidget(AddEdit(F::Threshold));
  searchLayout->addLayout(threshold);
  openMap_ = AddButton(texts::kOpenMap);
  searchLayout->addWidget(openMap_);

  auto* left = new QVBoxLayout;
  left->addWidget(crystal);
  left->addWidget(beams, 1);
  left->addWidget(scan);
  left->addWidget(BuildConvolutionPanel());
  auto* layout = new QHBoxLayout(form);
  layout->addLayout(left, 1);
  layout->addWidget(searchBox);

  for (auto& [id, edit] : edits_)
    if (const char* tip = MbdForm::ToolTip(id)) edit->setToolTip(ToQt(tip));

  using UI = programs::UserInterface;
  const auto on = [this](const char* caption, auto command) {
    connect(Button(caption), &QPushButton::clicked, this,
            [this, command] { RunCommand([this, command](UI& ui) { command(model_, ui); }); });
  };
  on(texts::kPhotonEnergy, [](MbdForm& m, UI& ui) { m.PhotonEnergy(ui); });
  on(texts::kDefineCrystal, [](MbdForm& m, UI& ui) { m.DefineCrystal(ui); });
  on(texts::kReference, [](MbdForm& m, UI& ui) { m.HorizontalReference(ui); });
  on(texts::kSetAzimuth, [](MbdForm& m, UI& ui) { m.SetThreeBeamAzimuth(ui); });
  on(texts::kSecond, [](MbdForm& m, UI&) { m.SetSecondAzimuth(); });
  on(texts::kZero, [](MbdForm& m, UI&) { m.ZeroAzimuth(); });
  on(texts::kAdd, [](MbdForm& m, UI& ui) { m.AddReflection(ui); });
  connect(Button(texts::kRemove), &QPushButton::clicked, this, [this] {
    const QList<QTableWidgetItem*> selected = reflections_->selectedItems();
    const std::optional<int> selectedRow = selected.isEmpty() ? std::nullopt : std::optional(selected.front()->row());
    RunCommand([this, selectedRow](UI&) { model_.RemoveReflection(selectedRow); });
  });
  on(texts::kChi, [](MbdForm& m, UI& ui) { m.ChiComponents(ui); });
  on(texts::kNoPhiScan, [](MbdForm& m, UI&) { m.NoPhiScan(); });
  on(texts::kPlaneWave, [](MbdForm& m, UI& ui) { m.PlaneWaveScan(ui); });
  on(texts::kHelp, [](MbdForm& m, UI& ui) { m.Help(ui); });
  on(texts::kSearch, [](MbdForm& m, UI& ui) { m.SearchReflections(ui); });
  on(texts::kOpenMap, [](MbdForm& m, UI& ui) { m.OpenMap(ui); });
  connect(convolutionButton_, &QPushButton::clicked, this,
          [this] { RunCommand([this](UI& ui) { model_.ConvolutionButton(ui); }); });
  connect(deactivate_, &QPushButton::clicked, this, [this] { RunCommand([this](UI&) { model_.DeactivateConvolution(); }); });
  connect(siMode_, &QCheckBox::clicked, this, [this](bool checked) { model_.SetDiamondMode(checked); });
  connect(search_, &QTableWidget::cellClicked, this,
          [this](int clickedRow, int) { RunCommand([this, clickedRow](UI&) { model_.PickSearchRow(clickedRow); }); });
  SetMainCommand([this] { RunCommand([this](UI& ui) { model_.PlaneWaveScan(ui); }); });
  ShowModel();
}

COrvoViewMBD::~COrvoViewMBD() = default;

QWidget* COrvoViewMBD::BuildConvolutionPanel() {
  auto* panel = new QGroupBox(ToQt(programs::MbdConvolutionPanel::kTitle), this);
  auto* grid = new QGridLayout(panel);
  const struct {
    C id;
    const char* label;
    const char* unit;
    int row, column;
  } fields[] = {{C::Fwhm, "FWHM of spectrum", "eV", 0, 0},          {C::EnergyRange, "Energy range", "eV", 1, 0},
                {C::EnergyPoints, "points", "", 1, 3},               {C::ThetaDivergence, "θ divergence", "µrad", 2, 0},
                {C::ThetaPoints, "points", "", 2, 3},                {C::PhiDivergence, "φ divergence", "µrad", 3, 0},
                {C::PhiPoints, "points", "", 3, 3}};
  for (const auto& f : fields) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(programs::MbdConvolutionFieldName(f.id));
    edit->setToolTip(ToQt(programs::MbdConvolutionPanel::ToolTip(f.id)));
    convolutionEdits_[f.id] = edit;
    grid->addWidget(Label(f.label, this), f.row, f.column);
    grid->addWidget(edit, f.row, f.column + 1);
    if (*f.unit) grid->addWidget(Label(f.unit, this), f.row, f.column + 2);
  }
  convolutionButton_ = new QPushButton(this);
  convolutionButton_->setToolTip(ToQt(programs::MbdConvolutionPanel::kButtonToolTip));
  buttons_[programs::MbdConvolutionPanel::kActivate] = convolutionButton_;
  deactivate_ = new QPushButton(ToQt(programs::MbdConvolutionPanel::kDeactivate), this);
  deactivate_->setToolTip(ToQt(programs::MbdConvolutionPanel::kDeactivateToolTip));
  buttons_[programs::MbdConvolutionPanel::kDeactivate] = deactivate_;
  grid->addWidget(convolutionButton_, 0, 3, 1, 2);
  grid->addWidget(deactivate_, 0, 5);
  return panel;
}

QLineEdit* COrvoViewMBD::AddEdit(F id) {
  const bool display = model_.Field(id).readOnly;
  QLineEdit* edit = display ? static_cast<QLineEdit*>(new CInactvWbkEdit(this)) : new QLineEdit(this);
  edit->setReadOnly(display);
  edit->setObjectName(programs::MbdFieldName(id));
  edits_[id] = edit;
  return edit;
}

QPushButton* COrvoViewMBD::AddButton(const char* caption) {
  auto* button = new QPushButton(ToQt(caption), this);
  buttons_[caption] = button;
  return button;
}

void COrvoViewMBD::ReadFields() {
  for (const auto& [id, edit] : edits_)
    if (!model_.Field(id).readOnly) model_.Field(id).text = FromQt(edit->text());
  for (const auto& [id, spin] : spins_) model_.Field(id).text = FromQt(spin->cleanText());
  for (const auto& [id, edit] : convolutionEdits_) model_.Convolution().Field(id).text = FromQt(edit->text());
}

void COrvoViewMBD::ShowModel() {
  // The field that reads "%g %g %g\n" shows its line without the break.
  for (const auto& [id, edit] : edits_) {
    programs::FormField shown = model_.Field(id);
    while (!shown.text.empty() && shown.text.back() == '\n') shown.text.pop_back();
    ShowField(edit, shown);
  }
  for (const auto& [id, spin] : spins_) spin->setValue(shell::ParseInteger(model_.Field(id).text));
  for (const auto& [id, edit] : convolutionEdits_) ShowField(edit, model_.Convolution().Field(id));
  siMode_->setChecked(model_.DiamondMode());
  convolutionButton_->setText(ToQt(model_.Convolution().ButtonCaption()));
  deactivate_->setEnabled(model_.Convolution().DeactivateEnabled());

  const auto& rows = model_.ReflectionRows();
  reflections_->setRowCount(static_cast<int>(rows.size()));
  for (int i = 0; i < reflections_->rowCount(); ++i) {
    const programs::MbdReflectionRow& r = rows[static_cast<std::size_t>(i)];
    FillRow(reflections_, i, {&r.number, &r.indices, &r.braggAngle, &r.azimuths});
  }
  const auto& hits = model_.SearchRows();
  search_->setRowCount(static_cast<int>(hits.size()));
  for (int i = 0; i < search_->rowCount(); ++i) {
    const programs::MbdSearchRow& r = hits[static_cast<std::size_t>(i)];
    FillRow(search_, i, {&r.indices, &r.deviation});
  }

  // While a run computes the window takes no other command.
  const bool idle = !Busy();
  for (auto& [caption, button] : buttons_) button->setEnabled(idle);
  deactivate_->setEnabled(idle && model_.Convolution().DeactivateEnabled());
  openMap_->setEnabled(idle && mapAvailable_);
  siMode_->setEnabled(idle);
}

}  // namespace velto::gui
