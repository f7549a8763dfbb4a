// Data views: item templates and adapters, trees, list boxes, lists with header, list views
// with groups, combo boxes. Included by xcgui.h.
#pragma once
