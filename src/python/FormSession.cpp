#include "python/FormSession.h"

#include "core/TextNumbers.h"
#include "programs/crystal_dialog/CrystalParamsForm.h"
#include "programs/energy_dialogs/ChangeWavelengthForm.h"
#include "programs/ui/BackgroundTask.h"
#include "programs/ui/BoundFields.h"
#include "python/CallGuard.h"

namespace velto::python {
namespace py = pybind11;
using programs::DialogResult;
using programs::UserInterface;

std::string FieldText(double value) { return core::FormatGeneral(value, 17); }

void PythonUserInterface::RunInBackground(programs::BackgroundTask task) {
  tasksRun.push_back(task.title);
  programs::NoticeCollector notices;
  interrupted = RunReleased([&task, &notices](core::Progress& progress) { task.compute(notices, progress); });
  // As in the window: the notices of the run, then its end, cancelled or not.
  notices.ShowAll(*this);
  task.finish(*this, interrupted);
}

FormSession::FormSession(bool force) : app_(state_) {
  state_.exeDirectory = DataDirectory();
  state_.structPath = state_.exeDirectory;
  // The forms ask at most one question per crystal they define.
  if (force)
    for (int i = 0; i < 4; ++i) ui_.QueueAnswer(programs::Answer::Yes);
}

void FormSession::Stop() {
  if (ui_.interrupted) throw py::error_already_set();
  std::string message = ui_.messages.empty() ? std::string("The form refused.") : Trimmed(ui_.LastMessage());
  if (!ui_.messages.empty() && ui_.messages.back().question) message += "\n(force=True answers Yes.)";
  Refuse(message);
}

void FormSession::Publish() {
  std::vector<std::string> texts;
  for (; published_ < ui_.messages.size(); ++published_) texts.push_back(ui_.messages[published_].text);
  RecordingNotifier notifier;
  for (const std::string& text : texts) notifier.Notify(text, core::MessageIcon::Information);
  notifier.Publish();
}

void FormSession::Run(const std::function<void(UserInterface&)>& command) {
  const std::size_t messages = ui_.messages.size();
  command(ui_);
  if (ui_.interrupted) throw py::error_already_set();
  if (ui_.messages.size() != messages) Stop();
}

void FormSession::SetEnergy(const std::string& kev, const std::function<void(UserInterface&)>& open) {
  bool accepted = false;
  ui_.QueueDialog<programs::ChangeWavelengthForm>(
      [&kev, &accepted](programs::ChangeWavelengthForm& dialog, UserInterface& ui) {
        dialog.EnergyEdited(kev);
        accepted = dialog.Ok(ui);
        return accepted ? DialogResult::Ok : DialogResult::Cancel;
      });
  open(ui_);
  if (!accepted) Stop();
}

void FormSession::DefineCrystal(const Crystal* crystal, const Hkl& hkl,
                                const std::function<void(UserInterface&)>& define,
                                const std::function<const crystal::CrystalParams&()>& defined) {
  if (!crystal) return;
  ui_.QueueOpenFile(crystal->Path());
  bool accepted = false;
  const std::string temperature = FieldText(crystal->Temperature());
  ui_.QueueDialog<programs::CrystalParamsForm>(
      [&hkl, &temperature, &accepted, &defined](programs::CrystalParamsForm& dialog, UserInterface& ui) {
        if (!defined().structure.IsLoaded()) return DialogResult::Cancel;
        for (int i = 0; i < 3; ++i) dialog.Index(i).text = programs::BoundIntegerText(hkl[static_cast<std::size_t>(i)]);
        dialog.Temperature().text = temperature;
        accepted = dialog.Ok(ui);
        return accepted ? DialogResult::Ok : DialogResult::Cancel;
      });
  define(ui_);
  if (!accepted || defined().chi.Failed()) Stop();
}

}  // namespace velto::python
