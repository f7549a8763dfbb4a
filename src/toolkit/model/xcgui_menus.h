// Menu bars and pop-up menus, dock panes and frame docking, and the XDraw_ operations of draw
// events. Included by xcgui.h.
#pragma once
