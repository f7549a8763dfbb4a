// The shell's own Parts (shell/part.h): the frame, the first panes in front, the host main window
// inside the frame and the auxiliary window.
#include <windows.h>

#include "host/host_windows.h"
#include "shell/part.h"
#include "shell/shell_internal.h"

namespace tovalux {
namespace {

void buildFrame() {
  // The host controls the shell moves are looked for where it moved them; the frame's source is
  // read on whatever thread sends to the event combo box.
  hostWindows().setFallbackSources(&shellFrameHwndAnyThread, &propertyForm);
  createFrame();
}

void tearDownFrame() {
  // Normally the properties pane gave them back already; none may die with the frame.
  returnHostControls();
  closeFrame();
  hostWindows().setFallbackSources(nullptr, nullptr);
}

void bringFirstPanesForward() {
  activatePaneByTitle("易支持库");
  activatePaneByTitle("帮助提示");
}

void putHostInFrame() {
  layerHostMainWindow();
  if (HWND host = shell_detail::hostMainWindow(); host != nullptr && shellExists())
    attachWindow(shellFrameHwnd(), host, 0, 0);
  syncHostWindow();
}

void takeHostOutOfFrame() {
  detachHostMainWindow();
  unlayerHostMainWindow();
}

}  // namespace

const Part kFramePart{.name = "frame", .build = &buildFrame, .tearDown = &tearDownFrame};
const Part kFirstPanesPart{.name = "first panes in front", .build = &bringFirstPanesForward};
const Part kHostInFramePart{.name = "host main window in the frame",
                            .build = &putHostInFrame,
                            .tearDown = &takeHostOutOfFrame,
                            .progress = "即将完成初始化数据..."};
const Part kAuxiliaryWindowPart{
    .name = "auxiliary window", .build = &createAuxiliaryWindow, .tearDown = &closeAuxiliaryWindow};

}  // namespace tovalux
