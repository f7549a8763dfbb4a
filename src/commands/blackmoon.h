// The BlackMoon static build as the menu and the tool bar start it: the plug-in must be loaded
// in the host; the build itself is its command, posted to the host main window. The output
// watch that finishes the build reads and clears the pending flag.
#pragma once

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

}  // namespace tovalux
