// Registers the layout tags of the data views.
#include "toolkit/model/loader.h"

namespace tovalux::tk {

void registerDataViewKinds() {}

}  // namespace tovalux::tk
