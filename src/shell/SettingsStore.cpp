#include "shell/SettingsStore.h"

#include "core/TextNumbers.h"

namespace velto::shell {
namespace {

std::string Key(std::string_view section, std::string_view name) {
  std::string key(section);
  key += '/';
  key += name;
  return key;
}

}  // namespace

int SettingsStore::ReadInteger(std::string_view section, std::string_view name, int fallback) const {
  const auto text = ReadText(section, name);
  if (!text) return fallback;
  return core::LeadingInteger(*text).value_or(fallback);
}

void SettingsStore::WriteInteger(std::string_view section, std::string_view name, int value) {
  WriteText(section, name, std::to_string(value));
}

std::string SettingsStore::ReadTextOr(std::string_view section, std::string_view name,
                                      std::string_view fallback) const {
  auto text = ReadText(section, name);
  return text ? std::move(*text) : std::string(fallback);
}

std::optional<std::string> MemorySettingsStore::ReadText(std::string_view section, std::string_view name) const {
  const auto found = values_.find(Key(section, name));
  if (found == values_.end()) return std::nullopt;
  return found->second;
}

void MemorySettingsStore::WriteText(std::string_view section, std::string_view name, std::string_view value) {
  values_[Key(section, name)] = std::string(value);
  ++writes_;
}

bool MemorySettingsStore::Contains(std::string_view section, std::string_view name) const {
  return values_.find(Key(section, name)) != values_.end();
}

}  // namespace velto::shell
