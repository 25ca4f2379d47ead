#include "python/FormSession.h"

#include "programs/ui/BackgroundTask.h"
#include "python/CallGuard.h"

namespace velto::python {
namespace py = pybind11;
using programs::UserInterface;

void PythonUserInterface::RunInBackground(programs::BackgroundTask task) {
  tasksRun.push_back(task.title);
  programs::NoticeCollector notices;
  interrupted = RunReleased([&task, &notices](core::Progress& progress) { task.compute(notices, progress); });
  // As in the window: the notices of the run, then its end, cancelled or not.
  notices.ShowAll(*this);
  task.finish(*this, interrupted);
}

FormSession::FormSession(bool force) : session_(ui_, DataDirectory(), force) {}

void FormSession::Stop() {
  if (ui_.interrupted) throw py::error_already_set();
  std::string message = ui_.messages.empty() ? std::string("The form refused.") : Trimmed(ui_.LastMessage());
  if (!ui_.messages.empty() && ui_.messages.back().question) message += "\n(force=True answers Yes.)";
  Refuse(message);
}

void FormSession::Publish(std::string_view leaveOut) {
  std::vector<std::string> texts;
  for (; published_ < ui_.messages.size(); ++published_)
    if (leaveOut.empty() || ui_.messages[published_].text != leaveOut) texts.push_back(ui_.messages[published_].text);
  RecordingNotifier notifier;
  for (const std::string& text : texts) notifier.Notify(text, core::MessageIcon::Information);
  notifier.Publish();
}

void FormSession::Run(const std::function<void(UserInterface&)>& command) {
  const bool quiet = session_.Run(command);
  if (ui_.interrupted) throw py::error_already_set();
  if (!quiet) Stop();
}

void FormSession::Require(const std::function<bool(UserInterface&)>& command) {
  bool done = false;
  session_.Run([&command, &done](UserInterface& ui) { done = command(ui); });
  if (ui_.interrupted) throw py::error_already_set();
  if (!done) Stop();
}

void FormSession::SetEnergy(const std::string& kev, const std::function<void(UserInterface&)>& open) {
  if (!session_.SetEnergy(kev, open)) Stop();
}

void FormSession::DefineCrystal(const Crystal* crystal, const Hkl& hkl,
                                const std::function<void(UserInterface&)>& define,
                                const std::function<const crystal::CrystalParams&()>& defined) {
  if (!crystal) return;
  if (session_.DefineCrystal(crystal->Path(), hkl, FieldText(crystal->Temperature()), define, defined) !=
      programs::FormSession::Definition::Defined)
    Stop();
}

}  // namespace velto::python
