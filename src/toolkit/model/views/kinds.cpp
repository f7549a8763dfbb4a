// Registers the layout tags of the data views.
#include "toolkit/model/views/kinds.h"

#include "toolkit/model/tree/loader.h"
#include "toolkit/model/views/combobox.h"
#include "toolkit/model/views/list.h"
#include "toolkit/model/views/listbox.h"
#include "toolkit/model/views/listview.h"
#include "toolkit/model/views/tree.h"

namespace tovalux::tk {

void registerDataViewKinds() {
  registerKind("comboBox", [](HXCGUI p) -> Element* { return makeElement<ComboBox>(p, {}); });
  registerKind("listBox", [](HXCGUI p) -> Element* { return makeElement<ListBox>(p, {}); });
  registerKind("list", [](HXCGUI p) -> Element* { return makeElement<List>(p, {}); });
  registerKind("tree", [](HXCGUI p) -> Element* { return makeElement<Tree>(p, {}); });
  registerKind("listView", [](HXCGUI p) -> Element* { return makeElement<ListView>(p, {}); });
}

}  // namespace tovalux::tk
