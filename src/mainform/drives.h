#pragma once
// Drive tabs: one tab per volume, the text "<letter><type code>[label]".

#include "platform/volumes.h"

#include <QStringList>

namespace zx {

// Tab strings of the volumes, in letter order.
QStringList tabStrings(const QList<platform::Volume>& volumes);
// Hint of a tab: "DATA (Fixed)", or the hint word alone when there is no label.
QString tabHint(const QString& tabString);
// The next free panel for a command that did not choose one.
int nextfree(int activepanel, bool panel2HasDir, bool panel3HasDir);

}  // namespace zx
