#pragma once
#include <QSettings>

#include "shell/SettingsStore.h"

namespace velto::gui {

// The per-user settings of the application in the user's configuration
// directory (the "VELTO" application profile).
class QtSettingsStore final : public shell::SettingsStore {
 public:
  QtSettingsStore();
  std::optional<std::string> ReadText(std::string_view section, std::string_view name) const override;
  void WriteText(std::string_view section, std::string_view name, std::string_view value) override;

 private:
  mutable QSettings settings_;
};

}  // namespace velto::gui
