// The BlackMoon static build as the menu and the tool bar start it: the plug-in must be loaded
// in the host; the build itself is its command, posted to the host main window. The watch on the
// host's output box finishes it: the result line's executable goes to the plug-in's routine,
// after the loaded plug-in proved to be the version that routine belongs to.
#pragma once

#include <string_view>

#include "shell/host_mirrors.h"

namespace tovalux {

inline constexpr char kBlackMoonModule[] = "BlackMoon.fne";
inline constexpr unsigned kBlackMoonBuildCommand = 0x9001;
inline constexpr char kBlackMoonMissingText[] = "未检测到黑月编译插件,黑月编译插件支持库未安装或未启用";

// Without the plug-in: the error box, nothing else. With it: the pending flag raised and
// WM_COMMAND 0x9001 posted (not sent: the click handler returns before the build starts).
void startBlackMoonBuild();

// Raised by startBlackMoonBuild, lowered by whoever handles the build's result line. Read and
// written on the UI thread.
bool blackMoonBuildPending();
void setBlackMoonBuildPending(bool pending);

// The shell starts one of the host's own builds (编译, 静态编译, 运行...): a BlackMoon build still
// waiting for its result line is given up, so this build's line is not handed to the plug-in.
void noteBuildCommandStarted();

// Every text the host appends to its output box (EM_REPLACESEL on 1011, after the build-output
// pane copied it). Does nothing unless a BlackMoon build is pending; a result line ends it.
void scanBlackMoonOutput(std::string_view text);
// The same, as the router's kOutputScan slot; the host emptying its box (EM_SETSEL(-1, 0)), which
// starts each of its builds, ends a pending BlackMoon build as noteBuildCommandStarted does.
void watchBlackMoonOutput(const HostMessage& message);

}  // namespace tovalux
