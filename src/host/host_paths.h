// Paths beside the host: the host directory is the folder of the host's executable.
#pragma once

#include <string>
#include <string_view>

namespace tovalux {

// The host's folder, without a trailing backslash.
std::string hostDirectory();

// hostDirectory() + "\" + relative.
std::string hostPath(std::string_view relative);

}  // namespace tovalux
