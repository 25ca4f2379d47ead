#pragma once
#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/ProcessSetup.h"
#include "crystal/CrystalParams.h"
#include "programs/ui/BoundFields.h"
#include "programs/ui/FormSession.h"
#include "programs/ui/ScriptedUserInterface.h"
#include "python/Crystal.h"

namespace velto::python {

// The person behind a form driven from Python: the call's arguments are the
// answers queued in advance, and a background task runs with the GIL
// released and stops at Ctrl-C through the task's own cancel path.
class PythonUserInterface final : public programs::ScriptedUserInterface {
 public:
  void RunInBackground(programs::BackgroundTask task) override;
  // A task was stopped by Ctrl-C; its exception is pending.
  bool interrupted = false;
};

// Drives the form model of a program window as velto-cli does: the fields
// are typed, the crystals defined through the form's dialogs, the commands
// run; a command that shows a message has refused, and the message becomes
// ValueError. Needs the GIL.
class FormSession {
 public:
  // `force`: the form's Yes/No questions are answered Yes (else No).
  explicit FormSession(bool force);

  programs::AppContext& App() { return session_.App(); }
  PythonUserInterface& Ui() { return ui_; }

  void Run(const std::function<void(programs::UserInterface&)>& command);
  // Runs a command that says whether it was done, as velto-cli takes it:
  // what it showed on the way (a question answered Yes, notices) is no
  // refusal; not done is, in its last message.
  void Require(const std::function<bool(programs::UserInterface&)>& command);
  void SetEnergy(const std::string& kev, const std::function<void(programs::UserInterface&)>& open);
  // Defines a crystal through `define` (the form's "Define ..."): the file
  // chooser answers the crystal's file, the crystal dialog is given h k l and
  // the temperature, then OK. No crystal leaves it undefined.
  void DefineCrystal(const Crystal* crystal, const Hkl& hkl,
                     const std::function<void(programs::UserInterface&)>& define,
                     const std::function<const crystal::CrystalParams&()>& defined);
  // Issues the messages the form showed on the way as warnings, all but
  // those with the text `leaveOut` (a note that is no news to a script).
  void Publish(std::string_view leaveOut = {});

 private:
  [[noreturn]] void Stop();

  // For the whole call, the form's commands included, as velto-cli runs them.
  core::SingleThreadedLinearAlgebra singleThreaded_;
  PythonUserInterface ui_;  // before the session, which holds it
  programs::FormSession session_;
  std::size_t published_ = 0;
};

using programs::FieldText;

// Types `value`, when given, into a field that the window would let the
// person type in.
template <typename Form, typename Field>
void TypeField(Form& form, Field id, const std::optional<double>& value) {
  auto& field = form.Field(id);
  if (value && field.enabled) field.text = FieldText(*value);
}
template <typename Form, typename Field>
void TypeField(Form& form, Field id, const std::optional<int>& value) {
  auto& field = form.Field(id);
  if (value && field.enabled) field.text = std::to_string(*value);
}

}  // namespace velto::python
