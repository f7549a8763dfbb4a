// The update check: notification 18 starts a request for the latest version on a worker; an
// answer naming another version shows a tip at the frame's lower right corner whose button
// opens the download page.
#pragma once

#include <cstdint>
#include <string>

#include "toolkit/xcgui.h"

namespace tovalux {

// Notification 18: starts the check on a worker and answers at once (false when no worker could
// be started, for example after the shut-down's stop request).
bool startUpdateCheck();

// The worker's body: request, answer, hand-over to the UI thread. Never touches the toolkit.
void checkForUpdate();

// UI thread: replaces any tip by a new one with `title` and `description` whose button opens
// `url` (a refused address leaves the button disabled). Nothing when the frame is gone.
void showUpdateTip(const std::string& title, const std::string& description, const std::string& url);

struct Part;
extern const Part kUpdatePart;

// Shut-down: closes the tip and forgets it (UI thread).
void closeUpdateTip();

// The tip window, 0 when there is none (the frame keeps it in its corner through this).
HWINDOW updateTipWindow();

// Checks whose worker has finished (counted after the hand-over was posted).
uint32_t finishedUpdateChecks();

// Tests send the request to a server of their own; an empty text restores the product's address.
void setUpdateAddressForTests(const std::string& address);

}  // namespace tovalux
