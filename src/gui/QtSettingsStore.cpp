#include "gui/QtSettingsStore.h"

namespace velto::gui {
namespace {

QString Key(std::string_view section, std::string_view name) {
  return QString::fromUtf8(section.data(), static_cast<qsizetype>(section.size())) + '/' +
         QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

}  // namespace

QtSettingsStore::QtSettingsStore() : settings_(QSettings::NativeFormat, QSettings::UserScope, "VELTO", "VELTO") {}

std::optional<std::string> QtSettingsStore::ReadText(std::string_view section, std::string_view name) const {
  const QVariant value = settings_.value(Key(section, name));
  if (!value.isValid()) return std::nullopt;
  return value.toString().toStdString();
}

void QtSettingsStore::WriteText(std::string_view section, std::string_view name, std::string_view value) {
  settings_.setValue(Key(section, name), QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size())));
}

}  // namespace velto::gui
