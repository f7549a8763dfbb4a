#include "common/scripted_ui.h"

#include <algorithm>

namespace tovalux::testing {

void ScriptedUi::answerMessageBox(int button) {
  std::lock_guard lock(mutex_);
  boxAnswers_.push_back(button);
}

void ScriptedUi::answerOpenFiles(std::vector<std::string> paths) {
  std::lock_guard lock(mutex_);
  OpenFileAnswer answer;
  answer.accepted = !paths.empty();
  answer.paths = std::move(paths);
  fileAnswers_.push_back(std::move(answer));
}

void ScriptedUi::answerFont(const LOGFONTA& font, int pointSizeTenths) {
  std::lock_guard lock(mutex_);
  fontAnswers_.push_back(FontAnswer{true, font, pointSizeTenths});
}

void ScriptedUi::cancelFont() {
  std::lock_guard lock(mutex_);
  fontAnswers_.push_back(FontAnswer{});
}

void ScriptedUi::answerShellExecute(bool started) {
  std::lock_guard lock(mutex_);
  launchAnswers_.push_back(started);
}

void ScriptedUi::answerAboutBox() {
  std::lock_guard lock(mutex_);
  ++aboutAnswers_;
}

std::vector<ScriptedUi::Call> ScriptedUi::calls() const {
  std::lock_guard lock(mutex_);
  return calls_;
}

std::vector<ScriptedUi::Call> ScriptedUi::calls(Kind kind) const {
  std::lock_guard lock(mutex_);
  std::vector<Call> out;
  std::copy_if(calls_.begin(), calls_.end(), std::back_inserter(out), [&](const Call& c) { return c.kind == kind; });
  return out;
}

size_t ScriptedUi::unscriptedCount() const {
  std::lock_guard lock(mutex_);
  return static_cast<size_t>(std::count_if(calls_.begin(), calls_.end(), [](const Call& c) { return !c.scripted; }));
}

void ScriptedUi::clear() {
  std::lock_guard lock(mutex_);
  boxAnswers_.clear();
  fileAnswers_.clear();
  fontAnswers_.clear();
  launchAnswers_.clear();
  aboutAnswers_ = 0;
  calls_.clear();
}

int ScriptedUi::safeAnswer(UINT flags) {
  switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL:
    case MB_YESNOCANCEL:
    case MB_RETRYCANCEL:
    case MB_CANCELTRYCONTINUE: return IDCANCEL;
    case MB_YESNO: return IDNO;
    case MB_ABORTRETRYIGNORE: return IDABORT;
    default: return IDOK;
  }
}

int ScriptedUi::messageBox(HWND owner, const std::string& text, const std::string& title, UINT flags) {
  std::lock_guard lock(mutex_);
  Call call;
  call.kind = Kind::kMessageBox;
  call.owner = owner;
  call.text = text;
  call.title = title;
  call.flags = flags;
  call.scripted = !boxAnswers_.empty();
  call.answer = call.scripted ? boxAnswers_.front() : safeAnswer(flags);
  if (call.scripted) boxAnswers_.pop_front();
  calls_.push_back(call);
  return call.answer;
}

OpenFileAnswer ScriptedUi::openFiles(const OpenFileRequest& request) {
  std::lock_guard lock(mutex_);
  Call call;
  call.kind = Kind::kOpenFiles;
  call.owner = request.owner;
  call.title = request.title;
  call.flags = request.extraFlags;
  call.parameters = request.initialFolder;
  call.multiSelect = request.multiSelect;
  call.scripted = !fileAnswers_.empty();
  OpenFileAnswer answer;
  if (call.scripted) {
    answer = fileAnswers_.front();
    fileAnswers_.pop_front();
    // A single-select dialog gives one file whatever the script queued.
    if (!request.multiSelect && answer.paths.size() > 1) answer.paths.resize(1);
  }
  calls_.push_back(call);
  return answer;
}

FontAnswer ScriptedUi::chooseFont(const FontRequest& request) {
  std::lock_guard lock(mutex_);
  Call call;
  call.kind = Kind::kFont;
  call.owner = request.owner;
  call.text = request.initial.lfFaceName;
  call.flags = request.flags;
  call.scripted = !fontAnswers_.empty();
  FontAnswer answer;
  answer.font = request.initial;
  if (call.scripted) {
    answer = fontAnswers_.front();
    fontAnswers_.pop_front();
    if (!answer.accepted) answer.font = request.initial;
  }
  calls_.push_back(call);
  return answer;
}

bool ScriptedUi::shellExecute(const LaunchRequest& request) {
  std::lock_guard lock(mutex_);
  Call call;
  call.kind = Kind::kShellExecute;
  call.owner = request.owner;
  call.text = request.file;
  call.title = request.verb;
  call.parameters = request.parameters;
  call.scripted = !launchAnswers_.empty();
  bool started = true;
  if (call.scripted) {
    started = launchAnswers_.front();
    launchAnswers_.pop_front();
  }
  calls_.push_back(call);
  return started;
}

bool ScriptedUi::aboutBox(HWND owner, const std::string& app, const std::string& other) {
  std::lock_guard lock(mutex_);
  Call call;
  call.kind = Kind::kAboutBox;
  call.owner = owner;
  call.title = app;
  call.text = other;
  call.scripted = aboutAnswers_ > 0;
  if (call.scripted) --aboutAnswers_;
  calls_.push_back(call);
  return true;
}

}  // namespace tovalux::testing
