// Tool bars keep their elements in insertion order: positions (XToolBar_GetEle) are indexes of it.
#include "toolkit/model/controls/toolbar.h"

#include <algorithm>

#include "toolkit/model/controls/shape.h"
#include "toolkit/model/core/canvas.h"
#include "toolkit/model/core/context.h"

namespace tovalux::tk {

int ToolBar::insert(Element* element, int index) {
  if (element == nullptr || element == this) return -1;
  if (index < 0 || index > count()) index = count();
  // Moving an element further along: its own place empties first, so the index shifts by one.
  if (element->parent() == this && indexOf(element) < index) --index;
  insertChild(element, index);
  return indexOf(element);
}

Element* ToolBar::at(int index) const {
  if (index < 0 || index >= count()) return nullptr;
  return children()[static_cast<size_t>(index)];
}

}  // namespace tovalux::tk
