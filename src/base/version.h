// The product's one version: the descriptor text, the About box, the update check's own version
// and the release zip's name (CMake reads it from here) all come from this line.
#pragma once

#define TOVALUX_VERSION "1.0.3"
