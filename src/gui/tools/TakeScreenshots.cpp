// Takes the screenshots of the README: the main window, the crystal
// dialog with silicon 1 1 1 computed, the energy dialog and the converter.
//   velto_screenshots OUTPUT_DIRECTORY
// Runs on any Qt platform; tools/make-screenshots uses the offscreen one.
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <cmath>
#include <cstdio>

#include "core/DataDirectory.h"
#include "gui/Application.h"
#include "gui/CChangWavLen.h"
#include "gui/CDlgArcMurad.h"
#include "gui/CDlgCrystParams.h"
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
  return ok ? 0 : 1;
}
