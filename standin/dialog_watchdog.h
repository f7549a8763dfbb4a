// A thread that keeps real dialog boxes from hanging a run. It looks for visible "#32770"
// windows of this process that have push buttons: one whose title or text contains an expected
// text gets the expected button pressed at once; any other is answered after a grace period
// (Cancel, else No, else OK, else its first button), and that is recorded as forced. Every
// answer is journaled as "dialog".
//
// The watchdog only reads windows without sending them messages (InternalGetWindowText) and
// answers by posting, so it never waits on the thread that shows the dialog.
#pragma once

#include <windows.h>

#include <mutex>
#include <set>
#include <map>
#include <string>
#include <vector>

namespace standin {

class Journal;

// Marks a "#32770" window the watchdog must leave alone (the host's code-completion list).
constexpr char kNoWatchdogProperty[] = "EHostNoWatchdog";

class DialogWatchdog {
 public:
  struct Answer {
    std::string title;
    std::string text;
    int button = 0;
    bool scripted = false;  // false: nobody expected this dialog
  };

  explicit DialogWatchdog(Journal& journal) : journal_(journal) {}
  ~DialogWatchdog() { stop(); }
  DialogWatchdog(const DialogWatchdog&) = delete;
  DialogWatchdog& operator=(const DialogWatchdog&) = delete;

  void start(DWORD graceMs = 1500);
  void stop();
  bool running() const { return thread_ != nullptr; }

  // The next dialog whose title or text contains `text` gets `button` (IDYES, IDCANCEL...); with
  // `fileName`, a file dialog gets it typed as its file name first.
  void expect(const std::string& text, int button, const std::string& fileName = {});
  std::vector<Answer> answers() const;
  size_t forcedCount() const;
  size_t pendingExpectations() const;
  void clear();

  // "yes", "no", "ok", "cancel", "retry", "abort", "ignore" or a number; 0 when unknown.
  static int buttonFromName(const std::string& name);

 private:
  struct Expectation {
    std::string text;
    int button;
    std::string fileName;
  };
  static DWORD WINAPI threadMain(void* self);
  void poll();
  void inspect(HWND dialog);

  Journal& journal_;
  HANDLE thread_ = nullptr;
  HANDLE stop_ = nullptr;
  DWORD graceMs_ = 1500;
  mutable std::mutex mutex_;
  std::vector<Expectation> expectations_;
  std::vector<Answer> answers_;
  std::map<HWND, DWORD> firstSeen_;  // watchdog thread only
  std::set<HWND> pressed_;           // watchdog thread only
};

}  // namespace standin
