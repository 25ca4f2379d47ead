#pragma once
#include <CLI/CLI.hpp>
#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/CliUserInterface.h"
#include "crystal/CrystalParams.h"
#include "programs/ui/FormSession.h"

namespace velto::cli {

// A velto-cli command that drives the form model of a program window: the
// person's part (file choosers, dialog entries, answers) is scripted from the
// options, and whatever the form shows goes to stderr as it comes. So the
// command checks, refuses and computes exactly as the window does; a refusal
// ends the program with status 1.
class FormSession {
 public:
  // `force`: the form's Yes/No questions are answered Yes (else No, their
  // default).
  explicit FormSession(bool force);

  programs::AppContext& App() { return session_.App(); }
  CliUserInterface& Ui() { return ui_; }

  // Runs a command of the form. A command that shows a message has refused
  // (or failed): the program ends with status 1. A refusal of a field an
  // option typed into names the option (TypeFieldOptions); of another
  // field, the field, on a line of its own.
  void Run(const std::function<void(programs::UserInterface&)>& command);

  // Gives the photon-energy dialog `kev` as typed and runs `open` (the form's
  // "Photon Energy..."); an energy the dialog refuses ends the program.
  void SetEnergy(const std::string& kev, const std::function<void(programs::UserInterface&)>& open);

  // Defines a crystal through `define` (the form's "Define ..." command): the
  // file chooser answers `structFile`, the crystal dialog is given h k l and,
  // when not empty, the temperature in K, then OK. A crystal the dialog does
  // not accept ends the program; so does one whose chi could not be computed
  // (the atomic data have said why). An empty file leaves the crystal
  // undefined, as in a window where it was never defined.
  void DefineCrystal(const std::string& structFile, const std::vector<int>& hkl, const std::string& temperature,
                     const std::function<void(programs::UserInterface&)>& define,
                     const std::function<const crystal::CrystalParams&()>& crystal);

 private:
  // Ends the program with status 1; the messages have been printed.
  [[noreturn]] void Stop();

  CliUserInterface ui_;  // before the session, which holds it
  programs::FormSession session_;
};

// An option that types its text into a field of the form. It is declared
// as a number, so that --help says so and the check every numeric option
// has applies; without the option the field keeps the form's default, which
// --help shows.
template <typename Field>
struct FieldOption {
  const char* name;
  Field field;
  const char* help;
  const char* type = "FLOAT";
};

template <typename Form, typename Field, std::size_t N>
void AddFieldOptions(CLI::App& command, const FieldOption<Field> (&options)[N],
                     std::array<std::optional<std::string>, N>& texts, const Form& defaults) {
  for (std::size_t i = 0; i < N; ++i)
    command.add_option(options[i].name, texts[i], options[i].help)
        ->type_name(options[i].type)
        ->default_str(defaults.Field(options[i].field).text);
}

// Types the texts given into their fields; a disabled field (one the window
// would not let the person type in) keeps its text. A refusal of one of
// these fields will name its option.
template <typename Form, typename Field, std::size_t N>
void TypeFieldOptions(FormSession& session, Form& form, const FieldOption<Field> (&options)[N],
                      const std::array<std::optional<std::string>, N>& texts) {
  for (std::size_t i = 0; i < N; ++i) {
    session.Ui().NameOption(Form::FocusName(options[i].field), options[i].name);
    auto& field = form.Field(options[i].field);
    if (texts[i] && field.enabled) field.text = *texts[i];
  }
}

}  // namespace velto::cli
