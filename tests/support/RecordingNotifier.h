#pragma once
#include <string>
#include <vector>

#include "core/Notifier.h"

namespace velto::testing {

// Keeps every message so that tests can check texts and icons.
class RecordingNotifier final : public core::Notifier {
 public:
  struct Message {
    std::string text;
    core::MessageIcon icon;
  };
  void Notify(std::string_view text, core::MessageIcon icon) override { messages.push_back({std::string(text), icon}); }
  void Console(std::string_view text) override { console.emplace_back(text); }

  std::string Last() const { return messages.empty() ? std::string() : messages.back().text; }

  std::vector<Message> messages;
  std::vector<std::string> console;
};

}  // namespace velto::testing
