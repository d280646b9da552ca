#pragma once
// The right-click menu of a panel: the program's commands (with their key
// letters in the captions) and "Open with" the applications the desktop
// offers. Items whose command is not available are disabled.

#include <QStringList>

class QMenu;
class QWidget;

namespace zx {

class MainWindow;

struct MenuTarget {
    QStringList paths;        // the clicked entries, or the directory itself
    bool isDirectory = false;
    bool panelDirectory = false;   // right click below the entries
};

// Builds the menu; each command item carries its command id in its data().
QMenu* buildContextMenu(MainWindow& w, const MenuTarget& target, QWidget* parent);

}  // namespace zx
