#include "toolkit/model/core/held_fills.h"

namespace tovalux::tk {

void HeldFills::dropEmpty() {
  fills_.erase(std::remove_if(fills_.begin(), fills_.end(), [](const Fill& f) { return f.rect.empty(); }),
               fills_.end());
}

}  // namespace tovalux::tk
