// Reading a program's UI the way a screen reader does: the client object of each top-level window
// of the toolkit's classes, through AccessibleObjectFromWindow and the IAccessible interface only,
// walked depth first in the order the objects give their children. Used by the ui-dump, ui-find
// and ui-press actions (in the host's own process) and by ereader.exe (from another process).
// The caller's thread must have entered COM.
#pragma once

#include <windows.h>

#include <oleacc.h>

#include <functional>
#include <string>
#include <vector>

namespace standin::ui {

// What one object says of itself; texts are GBK, the bounds in screen coordinates.
struct Node {
  HWND window = nullptr;  // the top-level window whose tree it is in
  int depth = 0;          // 0: the window's client object
  std::string role;       // "push-button", "outline-item"... (roleWord)
  std::string name, value, description, action, states;
  RECT bounds{};
  bool invisible = false;
  bool unavailable = false;
};

// The words of the toolkit's roles ("role-N" for others) and states ("focused selected ...").
std::string roleWord(LONG role);
std::string stateWords(LONG states);

// The top-level windows of the toolkit's classes that belong to `processId`: `first` (when it is
// one of them) and then the others, visible ones only unless `hidden`.
std::vector<HWND> toolkitWindows(DWORD processId, HWND first, bool hidden);

// Walks the tree of `window`; `visit` gets every object (and may keep it: AddRef) and answers
// false to stop. Answers false with `error` when the window gives no accessible object.
using Visit = std::function<bool(const Node& node, IAccessible* object)>;
bool walk(HWND window, const Visit& visit, std::string* error);
// Lets go of the window objects kept between walks, before the library that answers them goes.
void forgetWindowObjects();

}  // namespace standin::ui
