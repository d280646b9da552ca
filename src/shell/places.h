#pragma once
// Commands that reach places: the special folders of the "Go to" menu, the
// trash, the current entry's path on the clipboard, the desktop's own file
// manager.

#include <QString>

namespace zx {

class MainWindow;

void registerPlaceCommands(MainWindow& w);

// The folder a "Go to" item opens on this desktop (empty when it has none).
QString specialFolder(const QString& which);

}  // namespace zx
