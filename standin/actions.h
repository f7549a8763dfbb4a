// Named host actions. Everything the host can be made to do (a user action, a scenario step, a
// hostile mode) is an action registered under a name; the control channel (WM_COPYDATA), a
// script file (ehost.exe --script) and the in-process test fixture all run the same table.
//
// An area adds a file standin/actions_<area>.cpp holding its functions and one table:
//
//   const ActionRegistration kRegistrations[] = {
//       {"close", "close: WM_CLOSE to the main window, the host's own close path", &closeHost},
//   };
//
// The file is linked whole (the stand-in library is a whole archive), so the table registers
// itself before main(); nothing central is edited.
//
// An action line is a name and arguments separated by blanks: positional words, "quoted texts"
// (\" and \\ inside), and name=value options (the value may be quoted). Texts are GBK.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace standin {

class Host;

class ActionArgs {
 public:
  // Splits a line; false (with `error`) for an unterminated quote.
  static std::optional<ActionArgs> parse(const std::string& line, std::string* error = nullptr);

  const std::string& name() const { return name_; }
  const std::string& line() const { return line_; }

  size_t count() const { return positional_.size(); }
  // Positional argument i; empty when missing.
  const std::string& text(size_t i) const;
  // Positional argument i as a number (decimal, 0x-hex, signed); `fallback` when missing or not
  // a number.
  int64_t number(size_t i, int64_t fallback = 0) const;
  bool isNumber(size_t i) const;

  std::optional<std::string> option(const std::string& name) const;
  int64_t optionNumber(const std::string& name, int64_t fallback = 0) const;
  const std::vector<std::pair<std::string, std::string>>& options() const { return options_; }

 private:
  std::string line_;
  std::string name_;
  std::vector<std::string> positional_;
  std::vector<std::pair<std::string, std::string>> options_;
};

// Parses a whole number the way action arguments and journal fields are written.
std::optional<int64_t> parseNumber(const std::string& text);

struct ActionResult {
  bool ok = true;
  std::string error;

  static ActionResult success() { return {}; }
  static ActionResult failure(std::string why) { return {false, std::move(why)}; }
};

using ActionFunction = ActionResult (*)(Host& host, const ActionArgs& args);

struct ActionInfo {
  std::string name;
  std::string usage;  // "name ARG [opt=V]: what it does", listed by `ehost.exe --list-actions`
  ActionFunction run = nullptr;
};

// A table of named handlers filled by static registrations. One table per kind of thing the
// host dispatches: actions by name, IDE functions by number, WM_COMMAND ids, main-window messages.
template <typename Key, typename Entry>
class Registry {
 public:
  static Registry& instance() {
    static Registry registry;
    return registry;
  }
  // The first registration of a key wins; later ones are kept as duplicates (a self-test fails
  // on any).
  void add(const Key& key, Entry entry) {
    if (!entries_.emplace(key, std::move(entry)).second) duplicates_.push_back(key);
  }
  const Entry* find(const Key& key) const {
    const auto found = entries_.find(key);
    return found == entries_.end() ? nullptr : &found->second;
  }
  const std::map<Key, Entry>& entries() const { return entries_; }
  const std::vector<Key>& duplicates() const { return duplicates_; }

 private:
  std::map<Key, Entry> entries_;
  std::vector<Key> duplicates_;
};

using ActionTable = Registry<std::string, ActionInfo>;

// Real clicks (SendInput) at a screen point, 1 or 2 (a double click), of the left button or the
// right one; the outcome served.
ActionResult clickOnScreen(Host& host, int x, int y, int clicks = 1, bool right = false);

struct ActionRegistration {
  ActionRegistration(const char* name, const char* usage, ActionFunction run) {
    ActionTable::instance().add(name, ActionInfo{name, usage, run});
  }
};

}  // namespace standin
