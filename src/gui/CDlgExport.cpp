#include "gui/CDlgExport.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/InputWidgets.h"

namespace velto::gui {

using programs::ExportReference;
using programs::ExportUnit;

namespace {
constexpr ExportUnit kUnits[3] = {ExportUnit::Microradian, ExportUnit::Arcsecond, ExportUnit::Degree};
constexpr ExportReference kReferences[2] = {ExportReference::Relative, ExportReference::Absolute};
}  // namespace

CDlgExport::CDlgExport(QWidget* parent, programs::CurveExportDialog& model, QtUserInterface&)
    : QDialog(parent), model_(model), ui_(this) {
  setWindowTitle(QStringLiteral("Select Data Columns (and Units) to Export"));
  auto* grid = new QGridLayout;
  scan_ = new QCheckBox(ToQt(model_.ScanColumnCaption()), this);
  exit_ = new QCheckBox(QStringLiteral("Exit angle"), this);
  grid->addWidget(scan_, 0, 0);
  grid->addWidget(exit_, 0, 1);
  auto addGroup = [&](int column, QRadioButton** units, QRadioButton** references, bool scanGroup) {
    auto* unitGroup = new QButtonGroup(this);
    auto* referenceGroup = new QButtonGroup(this);
    const char* captions[3] = {"Micro-radian", "arcsec", "Degree"};
    for (int i = 0; i < 3; ++i) {
      units[i] = new QRadioButton(scanGroup ? ToQt(model_.ScanUnitCaption(kUnits[i])) : QString(captions[i]), this);
      unitGroup->addButton(units[i]);
      grid->addWidget(units[i], 1 + i, column);
      connect(units[i], &QRadioButton::clicked, this, [this, i, scanGroup] {
        scanGroup ? model_.ChooseScanUnit(kUnits[i]) : model_.ChooseExitUnit(kUnits[i]);
      });
    }
    const char* referenceCaptions[2] = {"Relative", "Absolute"};
    for (int i = 0; i < 2; ++i) {
      references[i] = new QRadioButton(referenceCaptions[i], this);
      referenceGroup->addButton(references[i]);
      grid->addWidget(references[i], 4 + i, column);
      connect(references[i], &QRadioButton::clicked, this, [this, i, scanGroup] {
        scanGroup ? model_.ChooseScanReference(kReferences[i]) : model_.ChooseExitReference(kReferences[i]);
      });
    }
  };
  addGroup(0, scanUnit_, scanReference_, true);
  addGroup(1, exitUnit_, exitReference_, false);
  reflectivity_ = new QCheckBox(QStringLiteral("Reflectivity"), this);
  transmissivity_ = new QCheckBox(QStringLiteral("Transmissivity"), this);
  depth_ = new QCheckBox(QStringLiteral("Penetration\ndepth (nm)"), this);
  specular_ = new QCheckBox(QStringLiteral("Specular\nreflectivity"), this);
  grid->addWidget(reflectivity_, 0, 2);
  grid->addWidget(transmissivity_, 1, 2);
  grid->addWidget(depth_, 2, 2);
  grid->addWidget(specular_, 3, 2);
  connect(scan_, &QCheckBox::clicked, this, [this] { model_.ClickScanColumn(); ShowModel(); });
  connect(exit_, &QCheckBox::clicked, this, [this] { model_.ClickExitColumn(); ShowModel(); });
  connect(reflectivity_, &QCheckBox::clicked, this, [this] { model_.ClickReflectivity(); ShowModel(); });
  connect(transmissivity_, &QCheckBox::clicked, this, [this] { model_.ClickTransmissivity(); ShowModel(); });
  connect(depth_, &QCheckBox::clicked, this, [this] { model_.ClickDepth(); ShowModel(); });
  connect(specular_, &QCheckBox::clicked, this, [this] { model_.ClickSpecular(); ShowModel(); });

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &CDlgExport::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CDlgExport::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(buttons);
  ShowModel();
}

void CDlgExport::ShowModel() {
  const programs::ExportColumns& c = model_.Choice();
  scan_->setChecked(c.scan);
  exit_->setChecked(c.exit);
  exit_->setEnabled(model_.ExitColumnEnabled());
  reflectivity_->setChecked(c.reflectivity);
  transmissivity_->setChecked(c.transmissivity);
  transmissivity_->setEnabled(model_.TransmissivityEnabled());
  depth_->setChecked(c.depth);
  depth_->setEnabled(model_.DepthEnabled());
  specular_->setChecked(c.specular);
  specular_->setEnabled(model_.SpecularEnabled());
  for (int i = 0; i < 3; ++i) {
    scanUnit_[i]->setVisible(model_.ScanUnitVisible(kUnits[i]));
    scanUnit_[i]->setEnabled(model_.ScanGroupEnabled());
    scanUnit_[i]->setChecked(c.scanUnit == kUnits[i]);
    exitUnit_[i]->setEnabled(model_.ExitGroupEnabled());
    exitUnit_[i]->setChecked(c.exitUnit == kUnits[i]);
  }
  for (int i = 0; i < 2; ++i) {
    scanReference_[i]->setEnabled(model_.ScanGroupEnabled());
    scanReference_[i]->setChecked(c.scanReference == kReferences[i]);
    exitReference_[i]->setEnabled(model_.ExitGroupEnabled());
    exitReference_[i]->setChecked(c.exitReference == kReferences[i]);
  }
}

void CDlgExport::accept() {
  if (const auto refusal = model_.Accept()) {
    ui_.ShowMessage(refusal->message, refusal->icon);
    return;
  }
  QDialog::accept();
}

CDlgMoreDetails::CDlgMoreDetails(QWidget* parent, programs::SingleCrystalDetailsDialog& model, QtUserInterface&)
    : QDialog(parent) {
  setWindowTitle(ToQt(programs::SingleCrystalDetailsDialog::kTitle));
  const programs::DetailTexts& t = model.texts;
  const bool rocking = model.kind == twobeam::ScanKind::RockingCurve;
  auto* form = new QFormLayout;
  auto add = [&](const QString& label, const std::string& text, bool visible = true) {
    if (!visible) return;
    auto* field = new CInactvWbkEdit(this);
    field->setText(ToQt(text));
    field->setMinimumWidth(320);
    form->addRow(label, field);
  };
  add(QStringLiteral("Max Reflectivity:"), t.maxReflectivity);
  add(QStringLiteral("at"), t.maxPosition);
  add(QStringLiteral("Exit"), t.maxExit);
  add(rocking ? QStringLiteral("(absolute Incidence angle)") : QStringLiteral("(absolute energy)"), t.maxAbsolute);
  add(QStringLiteral("Center Reflectivity:"), t.centreReflectivity);
  add(QStringLiteral("at"), t.centrePosition);
  add(QStringLiteral("Exit"), t.centreExit);
  add(QStringLiteral("(absolute Incidence angle)"), t.centreAbsolute);
  add(QStringLiteral("Analytical Center shift = "), t.analyticShift);
  add(QStringLiteral("FWHM"), t.fwhm);
  add(QStringLiteral("in terms of Exit angle"), t.fwhmExit);
  add(QStringLiteral("Analytical FWHM (inc.) = "), t.analyticFwhm, t.analyticFwhmVisible);
  add(QStringLiteral("Half Maximum Positions"), t.halfMaximum);
  add(QString(), t.halfMaximumExit);
  auto* slope = new QLabel(ToQt(t.duMondSlope), this);
  form->addRow(QStringLiteral("DuMond Curve Slope"), slope);
  add(ToQt(t.depthLabel), t.depth);
  add(ToQt(t.extinctionLabel), t.extinction);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
}

}  // namespace velto::gui
