// The plug-in's modal UI answered from a script (base/ui_seams.h). A test queues answers per
// kind; each call takes the next one and is recorded with what was asked. A call with no
// queued answer is recorded as unscripted and gets the safe answer: a message box its Cancel
// (or No, Abort, OK when it has no Cancel), a file or font dialog "cancelled", a launch
// "started" without starting anything.
#pragma once

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "base/ui_seams.h"

namespace tovalux::testing {

class ScriptedUi final : public UiSeams {
 public:
  enum class Kind { kMessageBox, kOpenFiles, kFont, kShellExecute, kAboutBox };

  struct Call {
    Kind kind;
    bool scripted = false;
    HWND owner = nullptr;
    std::string text;        // message text; the launched file; the About box's other text
    std::string title;       // box or dialog title; the launch verb; the About box's app
    UINT flags = 0;          // MB_* / OFN_* / CF_* flags
    std::string parameters;  // launch parameters; the dialog's filter or initial folder
    bool multiSelect = false;
    int answer = 0;  // the message box's button
  };

  // Queued answers, taken in order.
  void answerMessageBox(int button);
  void answerOpenFiles(std::vector<std::string> paths);  // an empty list: the user cancelled
  void answerFont(const LOGFONTA& font, int pointSizeTenths);
  void cancelFont();
  void answerShellExecute(bool started);
  void answerAboutBox();  // the About box shown and closed

  std::vector<Call> calls() const;
  std::vector<Call> calls(Kind kind) const;
  size_t unscriptedCount() const;
  void clear();

  // UiSeams
  int messageBox(HWND owner, const std::string& text, const std::string& title, UINT flags) override;
  OpenFileAnswer openFiles(const OpenFileRequest& request) override;
  FontAnswer chooseFont(const FontRequest& request) override;
  bool shellExecute(const LaunchRequest& request) override;
  bool aboutBox(HWND owner, const std::string& app, const std::string& other) override;

  // What an unscripted box answers for its MB_* type.
  static int safeAnswer(UINT flags);

 private:
  mutable std::mutex mutex_;  // the plug-in may ask from a worker thread
  std::deque<int> boxAnswers_;
  std::deque<OpenFileAnswer> fileAnswers_;
  std::deque<FontAnswer> fontAnswers_;
  std::deque<bool> launchAnswers_;
  int aboutAnswers_ = 0;
  std::vector<Call> calls_;
};

// Installs a ScriptedUi for its lifetime and puts the previous seams back.
class ScopedUiSeams {
 public:
  explicit ScopedUiSeams(UiSeams& seams) : previous_(installUiSeams(&seams)) {}
  ~ScopedUiSeams() { installUiSeams(previous_); }
  ScopedUiSeams(const ScopedUiSeams&) = delete;
  ScopedUiSeams& operator=(const ScopedUiSeams&) = delete;

 private:
  UiSeams* previous_;
};

}  // namespace tovalux::testing
