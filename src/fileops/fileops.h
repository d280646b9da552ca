#pragma once
// The file-operation commands of the main window: copy, move, delete, and
// the logic of rename and make directory (their edit box is RenameBox in
// the widget library).
//
// The main window owns one FileOps for its whole life and calls:
//   key c, "&Copy" button, drop menu "Copy"   copyandmovefiles(Operation::Copy)
//   key o, "M&ove" button, drop menu "Move"   copyandmovefiles(Operation::Move)
//   drop (with a destination panel)           dropfiles(paths, panel, dir, op)
//   drop menu without a destination           dropWithoutDestination(op)
//   key d, Delete, "&Delete" button           Deletefile(false)
//   Ctrl+Delete, Ctrl+D                       Deletefile(true)
//   Shift+Delete                              shiftDeleteNotice()
// Rename (key r) and make directory (key m) go through RenameController
// (renamebox.h), which uses finishRename and makedirEntry below.

#include "app/userinterface.h"
#include "fileops/copyengine.h"
#include "fileops/fileopshost.h"

#include <QDate>
#include <QLocale>
#include <functional>

namespace zx {

// Question ids of the commands' own dialogs.
inline const QString kAskCopyToDrive = QStringLiteral("copytodrive");
inline const QString kAskCopyToLMR = QStringLiteral("copytolmr");
inline const QString kAskDelete = QStringLiteral("delete");

// Buttons of the "delete" question.
enum DeleteButton { DelYes = 0, DelYesToAll, DelNo, DelCancel };

// True for "." and "..".
bool backdir(const QString& name);

// Index of name in the entries: exact when caseSensitive, otherwise ignoring
// case; -1 when absent.
int myindexof(const QList<PanelEntry>& entries, const QString& name, bool caseSensitive);

// "New Folder", then "New Folder (2)", "New Folder (3)", ... : the first name
// that is not an existing directory in dir.
QString newFolderName(const QString& dir);

// The text Ctrl+D inserts: the locale's short date with every character that
// is not a digit turned into "-".
QString dateForName(const QDate& date, const QLocale& locale = QLocale());

// The name with its first letter a-z upper-cased.
QString upperFirst(const QString& name);

// The delete question, with the name shortened ("~") until fits() accepts it
// (names of 4 characters or fewer are never shortened).
QString deleteQuestion(const QString& name, bool readOnly, const std::function<bool(const QString&)>& fits);

class FileOps {
public:
    FileOps(FileOpsHost& host, UserInterface& ui);

    // Copy or move the active panel's tagged entries (or its current entry)
    // into the directory of another panel chosen by drive letter.
    void copyandmovefiles(Operation op);
    // The drop path: paths dropped on destDir shown by destPanel.
    void dropfiles(const QStringList& paths, int destPanel, const QString& destDir, Operation op);
    // The drop menu's Copy/Move when the drop left no destination panel.
    void dropWithoutDestination(Operation op);

    // Delete the tagged entries (or the current one) of the active panel;
    // toRecycleBin sends everything to the trash.
    void Deletefile(bool toRecycleBin);
    void shiftDeleteNotice();

    // True while a transfer or deletion runs (a second one is refused).
    bool busy() const { return busy_; }

    // The default drive letter, kept from one command to the next.
    QChar defaultLetter;
    // Fault injection for tests; null means the real file system.
    FileIO* io = nullptr;
    // Whether a delete question fits the dialog's label; the dialog sets it,
    // the default measures with the application font against 300 pixels.
    std::function<bool(const QString&)> questionFits;

    // What the last transfer did (tests and the tree cache).
    TransferResult lastTransfer;

private:
    void copyfilelist(int destPanel, const QString& destDir, Operation op, int sourcePanel);
    QChar askDrive(Operation op, QChar letter);
    int askPanel(int activePanel);
    QChar letterOfPath(const QString& path) const;
    bool shelldelete(int panel, const QList<PanelEntry>& entries, int first, int last, bool allowUndo,
                     int currentIndex);
    bool removePaths(const QStringList& paths, bool allowUndo);
    void moveOtherPanelsOff(int activePanel, const QString& dir);
    bool refuseWhenBusy();

    FileOpsHost& host_;
    UserInterface& ui_;
    QStringList transferList_;
    bool busy_ = false;
    // Per delete command.
    int deleted_ = 0;
    bool relist_ = false;
};

// --- Rename and make directory ------------------------------------------

// The text the rename box opens with.
QString renameBoxText(const QString& name, bool showCase);

// Finishes a rename of entry `index` of `panel` to newName (Enter in the
// rename box). makingdir: the entry is a directory just made. Shows the
// messages; returns true when the entry was renamed.
bool finishRename(FileOpsHost& host, UserInterface& ui, int panel, int index, const QString& newName,
                  bool makingdir);

// Makes a new directory in the panel, inserts it at the top and makes it the
// current entry; returns its index, or -1 after "Cannot make directory".
int makedirEntry(FileOpsHost& host, UserInterface& ui, int panel);

}  // namespace zx
