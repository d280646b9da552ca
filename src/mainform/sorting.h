#pragma once
// Sorting a panel: by name, size, time or extension, directories and files
// as separate groups, a leading ".." staying first.

#include "mainform/panelmodel.h"

namespace zx {

enum SortKind { SortName = 0, SortSize = 1, SortTime = 2, SortExtension = 3, SortNone = 4 };

// Sorts entries first..last (inclusive) by kind. Keeps current and top by index.
void sortRange(PanelModel& m, int last, int first, int kind, bool showCase);
// Sorts the directory group and the file group by the panel's sortkind.
void sortall(PanelModel& m, bool showCase);
// The extension with its dot, or empty.
QString extractFileExt(const QString& name);

}  // namespace zx
