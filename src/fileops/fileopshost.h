#pragma once
// What the file operations need from the main window and its panels.
//
// The main window implements this interface once and passes it to the
// commands (copyandmovefiles, Deletefile, renameafile, makedir). Panels are
// numbered 1 (left), 2 (middle), 3 (right). Every call is made on the
// user-interface thread.

#include "platform/volumes.h"

#include <QFont>
#include <QList>
#include <QRect>
#include <QString>

class QWidget;

namespace zx {

class ProgressView;

// Attribute bits of an entry as the panel listing reports them.
enum EntryAttr : quint32 {
    AttrReadOnly = 0x01,
    AttrHidden = 0x02,
    AttrSystem = 0x04,
    AttrDirectory = 0x10,
};

// One row of a panel.
struct PanelEntry {
    QString name;          // as shown (lower case unless ShowCaseOfFilenames is on)
    bool isdir = false;
    bool tagged = false;
    quint32 attr = 0;      // EntryAttr bits
    qint64 size = 0;
    qint64 lastwrite = 0;  // milliseconds since the epoch, UTC
};

class FileOpsHost {
public:
    virtual ~FileOpsHost() = default;

    // --- Panels -----------------------------------------------------------
    virtual int activePanel() const = 0;
    // The listed directory; empty when the panel has none.
    virtual QString panelDir(int panel) const = 0;
    virtual QList<PanelEntry> entries(int panel) const = 0;
    // Index of the current entry; -1 when none.
    virtual int currentIndex(int panel) const = 0;
    virtual void setCurrentIndex(int panel, int index) = 0;
    virtual void setTagged(int panel, int index, bool tagged) = 0;
    // Takes one entry out of the list without re-listing (keeps the current
    // entry where it was; an emptied list gets the "." placeholder; redraws
    // the highlight bar and the panel's labels).
    virtual void removelistentry(int panel, int index) = 0;
    // Replaces the name of one entry in place (no re-sort).
    virtual void setEntryName(int panel, int index, const QString& name) = 0;
    // Inserts an entry at index (make directory).
    virtual void insertEntry(int panel, int index, const PanelEntry& entry) = 0;
    // Scrolling: the first visible row and the number of whole visible rows.
    virtual int topIndex(int panel) const = 0;
    virtual void setTopIndex(int panel, int index) = 0;
    virtual int visibleRows(int panel) const = 0;

    // Re-lists the panel's own directory in place (does nothing while the
    // panel's refresh is suspended).
    virtual void updatedrive(int panel) = 0;
    // Lists a directory into a panel (moving a panel off a deleted directory).
    virtual void fillb(int panel, const QString& dir) = 0;
    // Suspends / resumes the change-driven re-listing of a panel.
    virtual void disableupdating(int panel) = 0;
    virtual void enableupdating(int panel) = 0;

    // Opens the drive in the next free panel; returns that panel or 0.
    virtual int opendriveInNextFree(QChar letter) = 0;
    // Makes `panel` the active panel again with its current entry `index`.
    virtual void setactive(int panel, int index) = 0;
    // The directory that was current when the program started.
    virtual QString startDir() const = 0;
    virtual QList<platform::Volume> volumes() const = 0;

    // Redraws after dialogs and at the end of commands.
    virtual void drawhighlightbar(int panel) = 0;
    virtual void updatedrivespaceindicators() = 0;
    virtual void focusactivepanel() = 0;

    // --- Settings -----------------------------------------------------------
    virtual bool recycleSetting() const = 0;          // "Recycle"
    virtual bool quickEmptyDirDel() const = 0;        // "QuickEmptyDirDel"
    virtual bool showCaseOfFilenames() const = 0;     // "ShowCaseOfFilenames"

    // --- Directory tree cache --------------------------------------------
    virtual void adddir(const QString& parentPath, const QString& name) = 0;
    virtual void removedir(const QString& path) = 0;
    virtual void changename(const QString& oldPath, const QString& newName) = 0;
    virtual bool findintree(const QString& path) = 0;

    // --- Windows (may be null in tests) -------------------------------------
    // The progress window of transfers and deletions.
    virtual ProgressView* progressView() { return nullptr; }
    // The rename box's parent and the geometry of a panel row in that
    // parent's coordinates; the name offset is the text margin of the row
    // (plus the icon width when icons are drawn); the panels' font.
    virtual QWidget* renameBoxParent() { return nullptr; }
    virtual QRect rowRect(int panel, int index) const { return QRect(); }
    virtual int nameOffset(int panel) const { return 15; }
    virtual QFont panelFont() const { return QFont(); }
};

}  // namespace zx
