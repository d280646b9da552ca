#pragma once
// What the tree window needs from the main window. The main window implements
// it; tests give a fake.

#include <QList>
#include <QString>
#include <QStringList>

namespace zx {

class TreeHost {
public:
    virtual ~TreeHost() = default;

    // The active panel's directory (empty when the panel shows none).
    virtual QString activePanelDir() const = 0;

    // Opens path (an existing directory) through the drive tabs (opendrive with
    // the path's volume letter): in the active panel, or with inOtherPanel in
    // the panel chosen by the next-free-panel rule. Afterwards the host updates
    // the drive space indicators and gives that panel the focus.
    virtual void openDirectory(const QString& path, bool inOtherPanel) = 0;

    // Gives the focus back to the active panel and redraws its highlight bar
    // (the tree window closed without opening anything).
    virtual void focusActivePanel() = 0;

    // For "Refresh": every panel that shows a directory, with the names of the
    // directories listed in it (without the parent-directory entry).
    struct ListedDirectory {
        QString dir;
        QStringList subdirs;
    };
    virtual QList<ListedDirectory> listedDirectories() const = 0;

    // The main window's status bar text ("" clears it).
    virtual void setStatusText(const QString& text) = 0;

    // Opens the help window at a topic (the tree window uses topic 1).
    virtual void showHelp(int topic) = 0;
};

}  // namespace zx
