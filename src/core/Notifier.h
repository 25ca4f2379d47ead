#pragma once
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace velto::core {

// The icon a message carries when the user interface shows it.
enum class MessageIcon { None, Information, Warning, Error, Stop };

// How the numerical layers tell the person something. Programs pass their
// user interface, the command-line tool prints to stderr, tests record.
class Notifier {
 public:
  virtual ~Notifier() = default;
  // A message the person must see (a message box in the application).
  virtual void Notify(std::string_view text, MessageIcon icon) = 0;
  // A diagnostic that only goes to the console, never to a box.
  virtual void Console(std::string_view text) = 0;
};

// Swallows everything; for callers that check return values themselves.
class SilentNotifier final : public Notifier {
 public:
  void Notify(std::string_view, MessageIcon) override {}
  void Console(std::string_view) override {}
};

// Wraps another notifier for the length of a scan: each distinct text is
// passed on the first time only and counted afterwards, so thousands of
// identical notices inside one loop become one message and a summary.
class CoalescingNotifier final : public Notifier {
 public:
  explicit CoalescingNotifier(Notifier& target) : target_(target) {}
  ~CoalescingNotifier() override { Flush(); }
  void Notify(std::string_view text, MessageIcon icon) override;
  void Console(std::string_view text) override;
  // Reports how often each message repeated after its first showing.
  void Flush();

 private:
  Notifier& target_;
  std::map<std::string, int, std::less<>> repeats_;
  std::vector<std::string> order_;
};

}  // namespace velto::core
