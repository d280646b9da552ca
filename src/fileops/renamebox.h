#pragma once
// Renaming in place and making directories: the rename box laid over a
// panel row, and the controller the main window calls.
//
// The main window owns one RenameController and calls:
//   key r, "&Rename" button, menu "Rename   (R)"        renameafile()
//   key m, "&Make" button, menu "Make Directory/Folder" makedir()
//   other buttons, drive tabs, tree and sort commands     quitrenamebox()
//   Copy/Move/Delete/Help buttons, panel mouse, keys      checkquitrenamebox()
// While renaming() is true its key handling leaves keys to the box.

#include "app/userinterface.h"
#include "fileops/fileopshost.h"

#include <QLineEdit>

namespace zx {

class RenameBox : public QLineEdit {
    Q_OBJECT
public:
    explicit RenameBox(QWidget* parent = nullptr);
    // Lays the box over a row: rect is the row in the parent's coordinates,
    // nameOffset the text margin in front of the name.
    void placeOver(const QRect& row, int nameOffset);

Q_SIGNALS:
    void enterPressed();
    void escapePressed();

protected:
    void keyPressEvent(QKeyEvent* e) override;
};

class RenameController : public QObject {
    Q_OBJECT
public:
    RenameController(FileOpsHost& host, UserInterface& ui, QObject* parent = nullptr);

    void renameafile();
    void makedir();
    void quitrenamebox();
    void checkquitrenamebox();

    bool renaming() const { return renaming_; }
    bool makingdir() const { return makingdir_; }
    RenameBox* box() { return box_; }

private:
    void finish();
    void ensureBox();

    FileOpsHost& host_;
    UserInterface& ui_;
    RenameBox* box_ = nullptr;
    int panel_ = 0;
    int index_ = -1;
    bool renaming_ = false;
    bool makingdir_ = false;
};

}  // namespace zx
