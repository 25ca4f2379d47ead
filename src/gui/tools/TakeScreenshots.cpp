// Takes the screenshots of the README and the manuals: the main window, the
// crystal dialog with silicon 1 1 1 computed, the energy dialog, the
// converter, the single-crystal windows (Bragg 1 1 1, Laue 2 2 0) with their
// curves, an asymmetric Bragg curve zoomed with the mouse, its read-out
// showing, the structure-factor window with silicon 1 1 1, the form-factor
// dialog, the parasitic-reflection tool, the multiple-beam window with a
// four-beam silicon case and its chi dialog, the MBD-line map of silicon
// 1 1 1 with its labels, the convoluted curve of a channel-cut sample over
// the previous curve of a single one, and the energy scan of a double-crystal
// monochromator.
//   velto_screenshots OUTPUT_DIRECTORY
// Runs on any Qt platform; tools/make-screenshots uses the offscreen one.
//   velto_screenshots --screen OUTPUT_DIRECTORY
// Shows the application as on its first start on the screen of an X server
// with a window manager (tools/make-screenshots starts Xvfb and openbox),
// opens the Bragg-case window, computes silicon 1 1 1 in it and takes the
// whole screen, frame of the window manager included:
// single-crystal-WIDTHxHEIGHT.png.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QEventLoop>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "core/DataDirectory.h"
#include "core/Units.h"
#include "gui/Application.h"
#include "gui/CChangWavLen.h"
#include "gui/CDlgArcMurad.h"
#include "gui/CDlgCrystParams.h"
#include "gui/CDlgMBD_SF.h"
#include "gui/CDlgParasitic.h"
#include "gui/CFormFactor.h"
#include "gui/CMyMDIClient.h"
#include "gui/COrvoView.h"
#include "gui/COrvoViewDCM.h"
#include "gui/COrvoViewDbl.h"
#include "gui/COrvoViewMBD.h"
#include "gui/COrvoViewMap.h"
#include "gui/COrvoViewStruct.h"
#include "gui/PlotWidget.h"
#include "gui/StructureEditorWindow.h"
#include "programs/crystal_dialog/CrystalParamsForm.h"
#include "programs/energy_dialogs/ChangeWavelengthForm.h"
#include "programs/form_factor/FormFactorForm.h"
#include "programs/multiple_beam/ChiComponentsForm.h"
#include "programs/multiple_beam/HorizontalReferenceForm.h"
#include "programs/multiple_beam/MbdTexts.h"
#include "programs/plot/Plot.h"
#include "programs/ui/ScriptedUserInterface.h"

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
    using velto::programs::DialogResult;
    if (auto* reference = dynamic_cast<velto::programs::HorizontalReferenceForm*>(&model)) {
      reference->Index(0).text = "1";
      reference->Index(1).text = "-1";
      reference->Index(2).text = "0";
      return reference->Ok(*this) ? DialogResult::Ok : DialogResult::Cancel;
    }
    if (auto* chi = dynamic_cast<velto::programs::ChiComponentsForm*>(&model)) {
      chi->Calculate(*this);
      return DialogResult::Ok;
    }
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

// Defines silicon 1 1 1 for both crystals of a multi-crystal window.
template <typename View>
bool DefinePair(View& view, ExampleChooser& files, QPushButton* first, QPushButton* second) {
  ReflectionChooser ui(&view, files, "111");
  view.SetUserInterface(ui);
  first->click();
  second->click();
  view.SetUserInterface(files);
  return !files.failed;
}

// Clicks a window's Calculate and waits for its task, if it starts one.
bool Calculate(velto::gui::ProgramView& view, QPushButton* calculate, ExampleChooser& files) {
  QEventLoop wait;
  QObject::connect(&view, &velto::gui::ProgramView::taskFinished, &wait, &QEventLoop::quit);
  calculate->click();
  if (view.Busy()) wait.exec();
  return !files.failed;
}

// Sends what the mouse sends for a left-button drag from one data point to
// another of the plot, then rests the pointer on a third for the read-out.
void DragAndPoint(velto::gui::COrvoView& view, QPointF fromData, QPointF toData, QPointF restData) {
  QWidget* area = view.CurvePlot()->PictureArea();
  const velto::programs::PlotMapping m = view.Model().CurvePlot().Geometry().mapping;
  auto pixel = [&m](QPointF data) { return QPointF(m.PixelX(data.x()), m.PixelY(data.y())); };
  auto send = [area](QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent event(type, at, area->mapToGlobal(at), button, held, {});
    QApplication::sendEvent(area, &event);
  };
  send(QEvent::MouseButtonPress, pixel(fromData), Qt::LeftButton, Qt::LeftButton);
  send(QEvent::MouseMove, pixel(toData), Qt::NoButton, Qt::LeftButton);
  send(QEvent::MouseButtonRelease, pixel(toData), Qt::LeftButton, Qt::NoButton);
  const velto::programs::PlotMapping zoomed = view.Model().CurvePlot().Geometry().mapping;
  send(QEvent::MouseMove, QPointF(zoomed.PixelX(restData.x()), zoomed.PixelY(restData.y())), Qt::NoButton,
       Qt::NoButton);
}

bool Save(QWidget& widget, const QDir& directory, const char* name);

// Silicon 1 1 1 with H = 1 −1 0 and the two reflections −4 0 0 and −5 1 1,
// which are excited together with G at the same azimuth: a four-beam case,
// with its reflection search and chi components.
bool MultipleBeamPictures(velto::programs::AppContext& app, ExampleChooser& files, const QDir& output) {
  using velto::programs::MbdField;
  namespace texts = velto::programs::mbd_texts;
  velto::gui::COrvoViewMBD view(app);
  view.resize(QSize(1240, 900).expandedTo(view.minimumSizeHint()));
  view.show();
  ReflectionChooser ui(&view, files, "111");
  view.SetUserInterface(ui);
  view.Button(texts::kDefineCrystal)->click();
  view.Button(texts::kReference)->click();
  const char* added[][3] = {{"-4", "0", "0"}, {"-5", "1", "1"}};
  for (const auto& hkl : added) {
    view.Model().Field(MbdField::AddH).text = hkl[0];
    view.Model().Field(MbdField::AddK).text = hkl[1];
    view.Model().Field(MbdField::AddL).text = hkl[2];
    if (!view.Model().AddReflection(ui)) return false;
  }
  view.Button(texts::kSetAzimuth)->click();
  view.FieldEdit(MbdField::Tolerance)->setText(QStringLiteral("5"));
  view.Button(texts::kSearch)->click();
  view.Button(texts::kChi)->click();
  view.ReflectionList()->selectRow(1);
  view.SetUserInterface(files);
  if (files.failed || view.Model().ChiNeeded()) return false;
  bool ok = Save(view, output, "mbd-silicon-four-beam.png");

  velto::mbd::MbdSolver solver = *view.Model().Solver();
  velto::crystal::CrystalStructure structure = view.Model().Crystal().structure;
  velto::programs::ChiComponentsForm form(solver, structure, true);
  velto::gui::CDlgMBD_SF dialog(&view, form, files);
  dialog.resize(QSize(760, 460));
  return Save(dialog, output, "mbd-chi-dialog.png") && ok;
}

// The default map of the built-in silicon, computed on the window's worker,
// with the index labels and a click read out near the crossing at φ = 0.
bool MapPicture(velto::programs::AppContext& app, const QDir& output) {
  using velto::programs::MapField;
  velto::gui::COrvoViewMap view(app);
  view.resize(QSize(1240, 860).expandedTo(view.minimumSizeHint()));
  view.show();
  view.Button(MapField::Calculate)->click();
  while (view.Busy()) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  QApplication::processEvents();
  if (view.Model().Map().points.Empty()) return false;
  view.Button(MapField::Indices)->click();
  QWidget* area = view.MapPlot()->PictureArea();
  const velto::programs::PlotGeometry g = view.Model().MapPlot().Geometry();
  const QPointF at(g.mapping.PixelX(0.05), g.mapping.PixelY(8.31));
  QMouseEvent press(QEvent::MouseButtonPress, at, area->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
  QApplication::sendEvent(area, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, at, area->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, {});
  QApplication::sendEvent(area, &release);
  return Save(view, output, "mbd-map-silicon-111.png");
}

// Lets the window manager and the application answer each other for a while:
// mapping, decorating, maximising and painting take several round trips.
void Settle(int milliseconds) {
  QEventLoop wait;
  QTimer::singleShot(milliseconds, &wait, &QEventLoop::quit);
  wait.exec();
}

// The first start on the screen the X server has, with the single-crystal
// window open over the main window and silicon 1 1 1 computed in it.
bool ScreenPicture(const QDir& output) {
  if (QGuiApplication::platformName() != QStringLiteral("xcb")) {
    std::fprintf(stderr, "--screen needs an X server with a window manager (QT_QPA_PLATFORM=xcb)\n");
    return false;
  }
  auto application = velto::gui::StartApplication(std::make_unique<velto::shell::MemorySettingsStore>());
  velto::gui::CMainFrame& frame = *application->mainFrame;
  frame.ShowAsSaved();
  Settle(1500);
  frame.OpenProgram(velto::shell::ProgramKind::SingleCrystal);
  Settle(500);
  QMdiSubWindow* window = frame.Client()->currentSubWindow();
  auto* view = window ? qobject_cast<velto::gui::COrvoView*>(window->widget()) : nullptr;
  if (!view) {
    std::fprintf(stderr, "the single-crystal window did not open\n");
    return false;
  }
  ExampleChooser chooser(&frame);
  if (!DefineAndCalculate(*view, chooser, "111")) return false;
  Settle(1000);
  QScreen* screen = QGuiApplication::primaryScreen();
  const QPixmap picture = screen->grabWindow(0);
  const QString name = QStringLiteral("single-crystal-%1x%2.png").arg(picture.width()).arg(picture.height());
  const QString path = output.filePath(name);
  if (picture.isNull() || !picture.save(path)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("wrote %s (%dx%d)\n", qPrintable(path), picture.width(), picture.height());
  return true;
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
  const bool screen = argc == 3 && std::string_view(argv[1]) == "--screen";
  if (argc != 2 && !screen) {
    std::fprintf(stderr, "usage: %s [--screen] OUTPUT_DIRECTORY\n", argv[0]);
    return 2;
  }
  const QDir output(QString::fromLocal8Bit(argv[argc - 1]));
  if (!output.mkpath(QStringLiteral("."))) return 1;
  if (screen) return ScreenPicture(output) ? 0 : 1;

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

  // Grazing incidence: 12° of asymmetry at θB = 14.2° broadens the curve to
  // 25″ and moves it 36″ off zero; a drag zooms into its top.
  velto::gui::COrvoView asymmetric(frame.App(), false);
  asymmetric.resize(programSize.expandedTo(asymmetric.minimumSizeHint()));
  asymmetric.show();
  asymmetric.FieldEdit(velto::programs::SingleCrystalField::Asymmetry)->setText(QStringLiteral("12"));
  asymmetric.FieldEdit(velto::programs::SingleCrystalField::From)->setText(QStringLiteral("-40"));
  asymmetric.FieldEdit(velto::programs::SingleCrystalField::To)->setText(QStringLiteral("120"));
  ok = DefineAndCalculate(asymmetric, chooser, "111") && ok;
  QApplication::processEvents();
  const double peak = asymmetric.Model().Analysis().xMax / velto::core::kArcsecond;
  asymmetric.CurvePlot()->GridCheck()->setChecked(true);
  DragAndPoint(asymmetric, {peak - 22, 0.95}, {peak + 18, 0.45}, {peak + 4, 0.7});
  ok = asymmetric.Model().CurvePlot().Zoomed() && Save(asymmetric, output, "bragg-asymmetric-zoomed.png") && ok;
  asymmetric.close();

  velto::gui::COrvoView laue(frame.App(), true);
  laue.resize(programSize.expandedTo(laue.minimumSizeHint()));
  laue.show();
  laue.FieldEdit(velto::programs::SingleCrystalField::Thickness)->setText(QStringLiteral("50"));
  ok = DefineAndCalculate(laue, chooser, "220") && ok;
  laue.TransmissivityCheck()->click();
  ok = laue.TransmissivityCheck()->isChecked() && Save(laue, output, "laue-silicon-220.png") && ok;
  laue.close();

  velto::gui::COrvoViewStruct structure(frame.App());
  structure.SetUserInterface(chooser);
  // The whole form, with no scroll bar.
  structure.resize(structure.ScrollArea()->widget()->sizeHint() + QSize(8, 8));
  structure.show();
  structure.ImportButton()->click();
  for (int i = 0; i < 3; ++i) structure.IndexBox(i)->setValue(1);
  structure.CalculateButton()->click();
  ok = !chooser.failed && Save(structure, output, "structure-factors-silicon-111.png") && ok;
  structure.close();

  velto::programs::FormFactorForm formFactor(
      frame.App(), velto::programs::FormFactorStartOf(energy, 1, 1, 1, d), {"Si"});
  formFactor.Calculate(chooser);
  velto::gui::CFormFactor formFactorDialog(&frame, formFactor, chooser);
  ok = !chooser.failed && Save(formFactorDialog, output, "form-factor-dialog.png") && ok;

  frame.ShowParasitic();
  frame.Parasitic()->CalculateButton()->click();
  ok = Save(*frame.Parasitic(), output, "parasitic-dialog.png") && ok;
  ok = MultipleBeamPictures(frame.App(), chooser, output) && ok;
  ok = MapPicture(frame.App(), output) && ok;

  // Convoluted: a Si 1 1 1 sample behind a Si 1 1 1 DCM, first a single
  // reflection (kept as the previous curve), then a channel-cut sample.
  using CF = velto::programs::ConvolutedCurveField;
  velto::gui::COrvoViewDbl convolution(frame.App());
  convolution.resize(programSize.expandedTo(convolution.minimumSizeHint()));
  convolution.show();
  ok = DefinePair(convolution, chooser, convolution.DefineMonochromatorButton(), convolution.DefineSampleButton()) &&
       Calculate(convolution, convolution.CalculateButton(), chooser) && ok;
  convolution.FieldCheck(CF::ChannelCut)->click();
  convolution.FieldCheck(CF::ShowPrevious)->click();
  ok = Calculate(convolution, convolution.CalculateButton(), chooser) && convolution.Model().Curves().Previous() &&
       Save(convolution, output, "convoluted-silicon-111.png") && ok;
  convolution.close();

  // Double-crystal monochromator: the energy scan of a Si 1 1 1 pair.
  velto::gui::COrvoViewDCM monochromator(frame.App());
  monochromator.resize(programSize.expandedTo(monochromator.minimumSizeHint()));
  monochromator.show();
  ok = DefinePair(monochromator, chooser, monochromator.DefineFirstButton(), monochromator.DefineSecondButton()) && ok;
  monochromator.EnergyScanButton()->click();
  ok = Calculate(monochromator, monochromator.CalculateButton(), chooser) && monochromator.Model().Curve() &&
       Save(monochromator, output, "dcm-silicon-111-energy-scan.png") && ok;

  // The structure editor with alpha-quartz imported from its CIF; oxygen,
  // which no table covers, still waits for its Debye temperature.
  velto::gui::StructureEditorWindow editor(velto::core::DataDirectory());
  editor.resize(900, 640);
  editor.show();
  velto::programs::ScriptedUserInterface importUi;
  ok = editor.Form().OpenPath(importUi, std::filesystem::path(VELTO_STRUCTURE_SOURCES) / "Quartz.cif") && ok;
  editor.Form().Text(velto::programs::StructureEditorField::H).text = "1";
  editor.Form().Text(velto::programs::StructureEditorField::K).text = "0";
  editor.Form().Text(velto::programs::StructureEditorField::L).text = "1";
  editor.Form().UpdatePreview();
  editor.Refresh();
  ok = Save(editor, output, "structure-editor-quartz.png") && ok;
  return ok ? 0 : 1;
}
