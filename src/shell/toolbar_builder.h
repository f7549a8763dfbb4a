// Fills a tool bar of the shell in the theme's look: 20 x 20 icon buttons whose tooltip is their
// only label, and 2 x 21 separators that let the mouse through, each appended at the end of the
// bar. The main and designer tool bars are built with it, and so is every pane's own tool bar
// (project tree, module manager, watch list, build output): it lives in the shell so that all of
// those subsystems, peers of one layer, can reach it. UI thread only.
//
//   ToolBarBuilder bar;
//   if (bar.attach(XC_GetObjectByName(L"outDbugToolBar"))) {
//     bar.addButton("清空", XRes_GetImage(L"Clear_16x.png"), 0, false,
//                   [](HELE) { clearBuildOutput(); });
//     bar.addSeparator();
//   }
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "toolkit/xcgui.h"

namespace tovalux {

class ToolBarBuilder {
 public:
  // Runs when the button is clicked (toolkit event 34), behind the exception barrier.
  using ClickHandler = std::function<void(HELE button)>;

  ToolBarBuilder() = default;
  explicit ToolBarBuilder(HXCGUI toolBar) { attach(toolBar); }

  // Binds the builder to `toolBar`: true only for a live toolkit tool bar (object type 34). A
  // builder that is not attached adds nothing and answers 0.
  bool attach(HXCGUI toolBar);
  bool attached() const;
  HELE toolBar() const { return bar_; }

  // Appends a button: empty text, `image` as its icon, `tooltip` (GBK) as its tooltip, the
  // tool-bar button background, and, when `useDisabledImage` is set, `disabledImage` as the
  // icon of its disabled look. A 0 image leaves the button without that icon; it still works.
  // Answers the button (0 when not attached).
  HELE addButton(std::string_view tooltip, HIMAGE image, HIMAGE disabledImage = 0, bool useDisabledImage = true);
  // The same, with a click handler registered on the new button.
  HELE addButton(std::string_view tooltip, HIMAGE image, HIMAGE disabledImage, bool useDisabledImage,
                 ClickHandler onClick);
  // Appends a separator: a plain element 2 x 21 with the separator background that lets the
  // mouse through. Answers it (0 when not attached).
  HELE addSeparator();
  // Appends an element made elsewhere (a combo box, a check button); answers it, or 0 when not
  // attached or `element` is not an element.
  HELE addElement(HELE element);

  // The number of elements in the bar: the position the next one gets.
  int count() const;

 private:
  HELE bar_ = 0;
};

// The element at `position` of a tool bar (0 when there is none).
HELE toolBarElement(HXCGUI toolBar, int position);

// Images from the theme's tool icon folders, "lib\Tovalux\Dark\Images\wintools\" and its
// "displayIcon\" twin for the disabled look (paths relative to the host's folder, the current
// directory); 0 when the file cannot be loaded.
HIMAGE loadToolIcon(std::string_view file);
HIMAGE loadToolIconDisabled(std::string_view file);
// Any image of the theme's "Images\" folder: `folder` is "winMenu", "wintools"...
HIMAGE loadThemeImage(std::string_view folder, std::string_view file);
std::string themeImagePath(std::string_view folder, std::string_view file);

}  // namespace tovalux
