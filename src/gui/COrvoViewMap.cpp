#include "gui/COrvoViewMap.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/InputWidgets.h"
#include "gui/PlotWidget.h"

namespace velto::gui {

using F = programs::MapField;
using programs::MbdMapForm;

namespace {

QLabel* Label(const char* text, QWidget* parent) { return new QLabel(QString::fromUtf8(text), parent); }

}  // namespace

COrvoViewMap::COrvoViewMap(programs::AppContext& app, QWidget* parent)
    : ProgramView(parent), app_(app), model_(app) {
  setWindowTitle(ToQt(MbdMapForm::kTitle));
  const QFontMetrics metrics = fontMetrics();
  auto widthOf = [&metrics](const char* sample) { return metrics.horizontalAdvance(QString::fromUtf8(sample)) + 16; };

  // The crystal and its orientation, the Si/Ge/C rule and the threshold.
  auto* top = new QHBoxLayout;
  top->addWidget(AddButton(F::ChangeSettings));
  top->addWidget(AddEdit(F::Header), 1);
  diamond_ = new QCheckBox(QStringLiteral("Si//Ge/C structure"), this);
  diamond_->setObjectName(ToQt(MbdMapForm::FieldName(F::DiamondMode)));
  diamond_->setToolTip(ToQt(MbdMapForm::ToolTip(F::DiamondMode)));
  top->addWidget(diamond_);
  top->addWidget(Label(programs::kThresholdField, this));
  top->addWidget(AddEdit(F::Threshold));
  edits_[F::Threshold]->setFixedWidth(widthOf("1e-08  "));
  top->addWidget(AddButton(F::Help));
  buttons_[F::Help]->setFixedWidth(widthOf("?") + 8);

  // The click query.
  auto* query = new QHBoxLayout;
  query->addWidget(
      Label("Click to see the (Phi, Energy) coordinates and the hkl indiex of the line closest to the click:", this));
  query->addWidget(AddEdit(F::ClickPhi));
  query->addWidget(Label("deg", this));
  query->addWidget(AddEdit(F::ClickEnergy));
  query->addWidget(Label("eV", this));
  query->addWidget(Label("h k l:", this));
  query->addWidget(AddEdit(F::ClickHkl));
  for (F id : {F::ClickPhi, F::ClickEnergy, F::ClickHkl}) edits_[id]->setFixedWidth(widthOf("-999999.9999"));
  query->addStretch();

  plot_ = new PlotWidget(this);
  plot_->PictureArea()->setMinimumSize(640, 360);
  plot_->Attach(model_.MapPlot(), CommandUi());

  // The ranges, their shifts and the commands.
  auto* ranges = new QGridLayout;
  ranges->addWidget(Label("VERTICAL:  Energy from", this), 0, 0);
  ranges->addWidget(AddEdit(F::EnergyFrom), 0, 1);
  ranges->addWidget(Label("to", this), 0, 2);
  ranges->addWidget(AddEdit(F::EnergyTo), 0, 3);
  ranges->addWidget(Label("keV", this), 0, 4);
  ranges->addWidget(AddEdit(F::EnergyPoints), 0, 5);
  ranges->addWidget(Label("points", this), 0, 6);
  ranges->addWidget(AddButton(F::EnergyDown), 0, 8);
  ranges->addWidget(AddButton(F::EnergyUp), 0, 9);
  ranges->addWidget(Label("HORIZONTAL:  Phi from", this), 1, 0);
  ranges->addWidget(AddEdit(F::PhiFrom), 1, 1);
  ranges->addWidget(Label("to", this), 1, 2);
  ranges->addWidget(AddEdit(F::PhiTo), 1, 3);
  ranges->addWidget(Label("degrees", this), 1, 4);
  ranges->addWidget(AddEdit(F::PhiPoints), 1, 5);
  ranges->addWidget(Label("points", this), 1, 6);
  ranges->addWidget(Label("Azimuth angle", this), 1, 7, Qt::AlignRight);
  ranges->addWidget(AddButton(F::PhiDown), 1, 8);
  ranges->addWidget(AddButton(F::PhiUp), 1, 9);
  for (F id : {F::EnergyFrom, F::EnergyTo, F::PhiFrom, F::PhiTo}) edits_[id]->setFixedWidth(widthOf("-179.99999999"));
  for (F id : {F::EnergyPoints, F::PhiPoints}) edits_[id]->setFixedWidth(widthOf("100000"));
  ranges->setColumnStretch(10, 1);
  auto* commands = new QHBoxLayout;
  for (F id : {F::SlowMethod, F::PlotMode, F::Indices}) commands->addWidget(AddButton(id));
  commands->addWidget(AddButton(F::Calculate));
  buttons_[F::Calculate]->setMinimumHeight(44);
  buttons_[F::PlotMode]->setMinimumWidth(widthOf("Plot Scatter"));
  buttons_[F::Indices]->setMinimumWidth(widthOf("Hide Indices"));
  ranges->addLayout(commands, 0, 11, 2, 1);

  auto* layout = new QVBoxLayout(Form());
  layout->addLayout(top);
  layout->addLayout(query);
  layout->addWidget(plot_, 1);
  layout->addLayout(ranges);

  auto run = [this](bool (MbdMapForm::*command)(programs::UserInterface&)) {
    return [this, command] { RunCommand(model_, command); };
  };
  connect(buttons_[F::ChangeSettings], &QPushButton::clicked, this, run(&MbdMapForm::ChangeSettings));
  connect(buttons_[F::Help], &QPushButton::clicked, this, [this] { RunCommand([this](auto& ui) { model_.Help(ui); }); });
  connect(buttons_[F::Calculate], &QPushButton::clicked, this, &COrvoViewMap::calculate);
  connect(buttons_[F::SlowMethod], &QPushButton::clicked, this, run(&MbdMapForm::SlowMethod));
  const std::pair<F, programs::RangeShift> shifts[] = {{F::PhiDown, programs::RangeShift::PhiDown},
                                                       {F::PhiUp, programs::RangeShift::PhiUp},
                                                       {F::EnergyDown, programs::RangeShift::EnergyDown},
                                                       {F::EnergyUp, programs::RangeShift::EnergyUp}};
  for (const auto& [id, shift] : shifts) {
    connect(buttons_[id], &QPushButton::clicked, this,
            [this, shift = shift] { RunCommand([this, shift](auto& ui) { model_.Shift(ui, shift); }); });
  }
  connect(buttons_[F::PlotMode], &QPushButton::clicked, this, [this] {
    model_.TogglePlotMode();
    ShowModel();
  });
  connect(buttons_[F::Indices], &QPushButton::clicked, this, [this] {
    model_.ToggleIndices();
    ShowModel();
  });
  connect(diamond_, &QCheckBox::clicked, this, [this](bool on) {
    model_.SetDiamondMode(on);
    ShowModel();
  });
  connect(plot_, &PlotWidget::pointed, this, [this](programs::Rect frame, programs::Point p) {
    model_.ClickPlot(frame, p);
    for (F id : {F::ClickPhi, F::ClickEnergy, F::ClickHkl}) ShowField(edits_[id], model_.Field(id));
  });

  AddFileCommand(QString::fromLatin1(MbdMapForm::kExportCommand), [this] { exportMapData(); });
  AddFileCommand(QString::fromLatin1(MbdMapForm::kSaveLineCommand), [this] { savePointsOnVerticalLine(); });
  SetMainCommand([this] { calculate(); });
  ShowModel();
}

COrvoViewMap::~COrvoViewMap() = default;

QLineEdit* COrvoViewMap::AddEdit(F id) {
  const bool display = model_.Field(id).readOnly;
  QLineEdit* edit = display ? static_cast<QLineEdit*>(new CInactvWbkEdit(this)) : new QLineEdit(this);
  edit->setReadOnly(display);
  // Read-only fields can be clicked into to copy from, but Tab and the
  // window's first focus pass them by.
  if (display) edit->setFocusPolicy(Qt::ClickFocus);
  edit->setObjectName(ToQt(MbdMapForm::FieldName(id)));
  if (const char* tip = MbdMapForm::ToolTip(id)) edit->setToolTip(ToQt(tip));
  edits_[id] = edit;
  return edit;
}

QPushButton* COrvoViewMap::AddButton(F id) {
  auto* button = new QPushButton(this);
  button->setObjectName(ToQt(MbdMapForm::FieldName(id)));
  if (const char* tip = MbdMapForm::ToolTip(id)) button->setToolTip(ToQt(tip));
  buttons_[id] = button;
  return button;
}

void COrvoViewMap::ReadFields() {
  for (const auto& [id, edit] : edits_) {
    if (!model_.Field(id).readOnly) model_.Field(id).text = FromQt(edit->text());
  }
}

void COrvoViewMap::ShowModel() {
  for (const auto& [id, edit] : edits_) ShowField(edit, model_.Field(id));
  for (const auto& [id, button] : buttons_) {
    ShowButton(button, model_.Field(id));
    if (Busy()) button->setEnabled(false);
  }
  diamond_->setChecked(model_.DiamondMode());
  diamond_->setEnabled(!Busy());
  plot_->Refresh();
}

void COrvoViewMap::ProgramOpened() {
  // A map computing meanwhile works on its own copies and is not disturbed.
  programs::MbdHandOverSource* source = app_.MbdSource();
  if (source && model_.TakeOverFrom(*source)) ShowModel();
}

void COrvoViewMap::calculate() { RunCommand(model_, &MbdMapForm::Calculate); }

void COrvoViewMap::exportMapData() { RunCommand(model_, &MbdMapForm::ExportMapData); }

void COrvoViewMap::savePointsOnVerticalLine() { RunCommand(model_, &MbdMapForm::SavePointsOnVerticalLine); }

}  // namespace velto::gui
