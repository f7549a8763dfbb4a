#include "toolkit/model/core/access_feed.h"

namespace tovalux::tk {

namespace detail {
AccessListener gAccessListener = nullptr;
}

void setAccessListener(AccessListener listener) { detail::gAccessListener = listener; }

}  // namespace tovalux::tk
