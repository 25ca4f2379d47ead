#pragma once
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace velto::shell {

// The per-user settings of the application: named values in sections, as the
// main window keeps its placement and the structure-file directory between
// runs. The application stores them with QSettings; tests and tools use the
// in-memory store below.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual std::optional<std::string> ReadText(std::string_view section, std::string_view name) const = 0;
  virtual void WriteText(std::string_view section, std::string_view name, std::string_view value) = 0;

  // The value as an integer; `fallback` when absent or not an integer.
  int ReadInteger(std::string_view section, std::string_view name, int fallback) const;
  void WriteInteger(std::string_view section, std::string_view name, int value);
  std::string ReadTextOr(std::string_view section, std::string_view name, std::string_view fallback) const;
};

class MemorySettingsStore final : public SettingsStore {
 public:
  std::optional<std::string> ReadText(std::string_view section, std::string_view name) const override;
  void WriteText(std::string_view section, std::string_view name, std::string_view value) override;

  bool Contains(std::string_view section, std::string_view name) const;
  // How many values have been written since construction, so that tests can
  // tell "left as it was" from "written again with the same value".
  int WriteCount() const { return writes_; }

 private:
  std::map<std::string, std::string, std::less<>> values_;
  int writes_ = 0;
};

}  // namespace velto::shell
