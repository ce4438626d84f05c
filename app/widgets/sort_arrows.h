#pragma once
// The list view's small images: the two sort triangles at the indices the window uses.
#include <QIcon>

namespace kwui {

constexpr int kImageSortAscending = 14;   // upward triangle
constexpr int kImageSortDescending = 15;  // downward triangle

QIcon SortArrow(bool ascending);

}  // namespace kwui
