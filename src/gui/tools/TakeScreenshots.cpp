// Takes the screenshots of the README: the main window, the crystal
// dialog with silicon 1 1 1 computed, the energy dialog, the converter and
// the single-crystal windows (Bragg 1 1 1, Laue 2 2 0) with their curves.
//   velto_screenshots OUTPUT_DIRECTORY
// Runs on any Qt platform; tools/make-screenshots uses the offscreen one.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QEventLoop>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <cmath>
#include <cstdio>

#include "core/DataDirectory.h"
#include "gui/Application.h"
#include "gui/CChangWavLen.h"
#include "gui/CDlgArcMurad.h"
#include "gui/CDlgCrystParams.h"
#include "gui/COrvoView.h"
#include "programs/crystal_dialog/CrystalParamsForm.h"
#include "programs/energy_dialogs/ChangeWavelengthForm.h"

namespace {

// Chooses the silicon example instead of asking, and prints messages
// instead of waiting for someone to close them.
class ExampleChooser final : public velto::gui::QtUserInterface {
 public:
  using QtUserInterface::QtUserInterface;
  std::optional<std::filesystem::path> ChooseOpenFile(const velto::programs::FileDialogRequest&) override {
    return velto::core::DataDirectory() / "Silicon.struct";
  }
  void ShowMessage(std::string_view text, velto::programs::MessageIcon) override {
    std::fprintf(stderr, "message: %.*s\n", static_cast<int>(text.size()), text.data());
    failed = true;
  }
  bool failed = false;
};

// Answers the crystal dialog of a program window with the silicon example
// and one reflection, as a person would type it.
class ReflectionChooser final : public velto::gui::QtUserInterface {
 public:
  ReflectionChooser(QWidget* window, ExampleChooser& files, const char* hkl)
      : QtUserInterface(window), files_(files), hkl_(hkl) {}
  std::optional<std::filesystem::path> ChooseOpenFile(const velto::programs::FileDialogRequest& request) override {
    return files_.ChooseOpenFile(request);
  }
  void ShowMessage(std::string_view text, velto::programs::MessageIcon icon) override {
    files_.ShowMessage(text, icon);
  }
  velto::programs::DialogResult RunDialog(velto::programs::DialogModel& model) override {
    auto* crystal = dynamic_cast<velto::programs::CrystalParamsForm*>(&model);
    if (!crystal) return QtUserInterface::RunDialog(model);
    for (int i = 0; i < 3; ++i) crystal->Index(i).text = std::string(1, hkl_[i]);
    return crystal->Ok(*this) ? velto::programs::DialogResult::Ok : velto::programs::DialogResult::Cancel;
  }

 private:
  ExampleChooser& files_;
  const char* hkl_;
};

// Defines silicon with the reflection `hkl` (three digits) in a program
// window and computes its curve with the window's own settings.
bool DefineAndCalculate(velto::gui::COrvoView& view, ExampleChooser& files, const char* hkl) {
  ReflectionChooser ui(&view, files, hkl);
  view.SetUserInterface(ui);
  view.DefineCrystalButton()->click();
  QEventLoop wait;
  QObject::connect(&view, &velto::gui::ProgramView::taskFinished, &wait, &QEventLoop::quit);
  view.CalculateButton()->click();
  if (view.Busy()) wait.exec();
  view.SetUserInterface(files);
  const bool computed = !view.FieldEdit(velto::programs::SingleCrystalField::Fwhm)->text().isEmpty();
  if (!computed) std::fprintf(stderr, "no curve computed for %s\n", hkl);
  return computed && !files.failed;
}

bool Save(QWidget& widget, const QDir& directory, const char* name) {
  widget.show();
  QApplication::processEvents();
  const QString path = directory.filePath(QString::fromLatin1(name));
  if (!widget.grab().save(path)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("wrote %s (%dx%d)\n", qPrintable(path), widget.width(), widget.height());
  return true;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication qtApplication(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIRECTORY\n", argv[0]);
    return 2;
  }
  const QDir output(QString::fromLocal8Bit(argv[1]));
  if (!output.mkpath(QStringLiteral("."))) return 1;

  // A fresh settings store: the screenshots show a first run.
  auto application = velto::gui::StartApplication(std::make_unique<velto::shell::MemorySettingsStore>());
  velto::gui::CMainFrame& frame = *application->mainFrame;
  frame.resize(800, 685);
  bool ok = Save(frame, output, "main-window.png");

  velto::crystal::CrystalParams crystal;
  const double energy = frame.App().DefaultEnergy();
  velto::programs::CrystalParamsForm form(frame.App(), crystal, energy);
  ExampleChooser chooser(&frame);
  form.LoadStructure(chooser);
  form.Index(0).text = form.Index(1).text = form.Index(2).text = "1";
  form.Calculate(chooser);
  velto::gui::CDlgCrystParams crystalDialog(&frame, form, chooser);
  ok = !chooser.failed && Save(crystalDialog, output, "crystal-dialog.png") && ok;

  const double d = crystal.structure.DSpacing(1, 1, 1);
  velto::programs::ChangeWavelengthForm energyForm(energy, frame.App().Presets(), d, "1 1 1");
  velto::gui::CChangWavLen energyDialog(&frame, energyForm, chooser);
  ok = Save(energyDialog, output, "energy-dialog.png") && ok;

  frame.ShowConverter();
  ok = Save(*frame.Converter(), output, "converter.png") && ok;
  frame.Converter()->close();

  // The program windows alone, without the main window around them, at a
  // size that fits a page.
  const QSize programSize(1180, 680);
  velto::gui::COrvoView bragg(frame.App(), false);
  bragg.resize(programSize.expandedTo(bragg.minimumSizeHint()));
  bragg.show();
  ok = DefineAndCalculate(bragg, chooser, "111") && Save(bragg, output, "bragg-silicon-111.png") && ok;
  bragg.close();

  velto::gui::COrvoView laue(frame.App(), true);
  laue.resize(programSize.expandedTo(laue.minimumSizeHint()));
  laue.show();
  laue.FieldEdit(velto::programs::SingleCrystalField::Thickness)->setText(QStringLiteral("50"));
  ok = DefineAndCalculate(laue, chooser, "220") && ok;
  laue.TransmissivityCheck()->click();
  ok = laue.TransmissivityCheck()->isChecked() && Save(laue, output, "laue-silicon-220.png") && ok;
  return ok ? 0 : 1;
}
