#include "cli/FormSession.h"

#include <iostream>

#include "cli/Command.h"
#include "core/DataDirectory.h"

namespace velto::cli {

using programs::UserInterface;

FormSession::FormSession(bool force) : session_(ui_, core::DataDirectory(), force) {}

void FormSession::Stop() {
  ui_.Flush();
  if (!ui_.messages.empty() && ui_.messages.back().question) std::cerr << "(--force answers Yes.)\n";
  throw ExitStatus{1};
}

void FormSession::Run(const std::function<void(UserInterface&)>& command) {
  const std::size_t focusMoves = ui_.focusMoves.size();
  if (session_.Run(command)) return;
  ui_.Flush();
  // A bound field's refusal names its limits, not the field: say which one,
  // unless the refusal already named the option that typed into it.
  if (ui_.messages.back().icon == core::MessageIcon::Warning && ui_.focusMoves.size() > focusMoves &&
      !ui_.NamesOption(ui_.LastFocus()))
    std::cerr << "(field: " << ui_.LastFocus() << ")\n";
  Stop();
}

void FormSession::SetEnergy(const std::string& kev, const std::function<void(UserInterface&)>& open) {
  if (!session_.SetEnergy(kev, open)) Stop();
}

void FormSession::DefineCrystal(const std::string& structFile, const std::vector<int>& hkl,
                                const std::string& temperature, const std::function<void(UserInterface&)>& define,
                                const std::function<const crystal::CrystalParams&()>& crystal) {
  if (structFile.empty()) return;
  switch (session_.DefineCrystal(structFile, {hkl.at(0), hkl.at(1), hkl.at(2)}, temperature, define, crystal)) {
    case programs::FormSession::Definition::Defined:
      return;
    case programs::FormSession::Definition::Refused:
      Stop();
    case programs::FormSession::Definition::NoChi:
      throw ExitStatus{1};
  }
}

}  // namespace velto::cli
