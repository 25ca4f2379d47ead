#include "GuiTestSupport.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <chrono>
#include <thread>

#include "gui/QtUserInterface.h"

namespace velto::gui::testing {
namespace {

// One QApplication for the whole test program; the offscreen platform is
// chosen by the test environment.
class QtEnvironment final : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "velto_gui_tests";
    static char* argv[] = {name, nullptr};
    application_ = new QApplication(argc, argv);
    // As the application does at start, so that any test can open dialogs.
    RegisterDialogViews();
  }
  void TearDown() override {
    delete application_;
    application_ = nullptr;
  }

 private:
  QApplication* application_ = nullptr;
};

[[maybe_unused]] ::testing::Environment* const kQt = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

void CloseWhenShown(std::function<void(const QString&)> seen, int attemptsLeft) {
  QTimer::singleShot(10, [seen = std::move(seen), attemptsLeft]() mutable {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) {
      if (attemptsLeft > 0) CloseWhenShown(std::move(seen), attemptsLeft - 1);
      return;
    }
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      if (seen) seen(box->text());
      // As if the person pressed Enter: the preselected button.
      if (QPushButton* button = box->defaultButton()) {
        button->click();
      } else {
        box->done(QMessageBox::Ok);
      }
      return;
    }
    modal->close();
  });
}

}  // namespace

void CloseNextModal(std::function<void(const QString&)> seen) { CloseWhenShown(std::move(seen), 200); }

StandInView::StandInView(QWidget* parent) : ProgramView(parent) {
  auto* layout = new QVBoxLayout(Form());
  layout->addWidget(new QLabel(QStringLiteral("a program"), Form()));
}

void StandInView::StartTask(int value) {
  RunCommand([this, value](programs::UserInterface& ui) {
    ++commandsRun;
    ui.RunInBackground({"Waiting for the test...",
                        [release = release, ended = ended](core::Notifier&, core::Progress& progress) {
                          while (!release->load() && !progress.Cancelled()) {
                            progress.Report(50);
                            std::this_thread::sleep_for(std::chrono::milliseconds(1));
                          }
                          ended->store(true);
                        },
                        [this, value](programs::UserInterface&, bool cancelled) {
                          if (!cancelled) result = value;
                        }});
  });
}

}  // namespace velto::gui::testing
