// The product's one version: the descriptor text, the About box, the update check's own version
// and the release zip's name (CMake reads it from here) all come from this line.
#pragma once

#define TOVALUX_VERSION "1.1.0"

// The one place of the feedback and contact address (建议反馈, 联系作者, the group button, the
// descriptor's home page); Tovalux.ini's [Help] FeedbackUrl overrides it. Empty: none is
// published, and what would open it is disabled instead of opening a dead address.
#define TOVALUX_FEEDBACK_URL ""
