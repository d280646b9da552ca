#include "fileops/renamebox.h"

#include "fileops/fileops.h"

#include <QDate>
#include <QKeyEvent>

namespace zx {

RenameBox::RenameBox(QWidget* parent) : QLineEdit(parent)
{
    setMaxLength(255);
    setFrame(false);
    setFocusPolicy(Qt::ClickFocus);   // no tab stop
    hide();
}

void RenameBox::placeOver(const QRect& row, int nameOffset)
{
    setGeometry(row.left() + nameOffset - 2, row.top(), row.width() - nameOffset + 2, row.height() + 1);
}

void RenameBox::keyPressEvent(QKeyEvent* e)
{
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    if (e->key() == Qt::Key_D && mods == Qt::ControlModifier) {
        insert(dateForName(QDate::currentDate()));   // replaces the selection
        return;
    }
    if (mods == Qt::NoModifier) {
        if (e->key() == Qt::Key_Escape) {
            Q_EMIT escapePressed();
            return;
        }
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
            Q_EMIT enterPressed();
            return;
        }
    }
    QLineEdit::keyPressEvent(e);
}

RenameController::RenameController(FileOpsHost& host, UserInterface& ui, QObject* parent)
    : QObject(parent), host_(host), ui_(ui)
{
}

void RenameController::ensureBox()
{
    QWidget* parent = host_.renameBoxParent();
    if (box_ && box_->parentWidget() == parent)
        return;
    delete box_;
    box_ = new RenameBox(parent);
    connect(box_, &RenameBox::enterPressed, this, &RenameController::finish);
    connect(box_, &RenameBox::escapePressed, this, [this] {
        renaming_ = false;
        quitrenamebox();
        host_.enableupdating(panel_);
    });
}

void RenameController::renameafile()
{
    const int p = host_.activePanel();
    const QList<PanelEntry> entries = host_.entries(p);
    const int cur = host_.currentIndex(p);
    if (host_.panelDir(p).isEmpty() || cur < 0 || cur >= entries.size())
        return;
    if (backdir(entries[cur].name)) {
        ui_.message(QStringLiteral("Cannot rename this (navigational) entry"), MsgKind::Information);
        host_.focusactivepanel();
        host_.drawhighlightbar(p);
        makingdir_ = false;
        return;
    }
    host_.disableupdating(p);
    ensureBox();
    panel_ = p;
    index_ = cur;
    box_->placeOver(host_.rowRect(p, cur), host_.nameOffset(p));
    box_->setFont(host_.panelFont());
    box_->setText(renameBoxText(entries[cur].name, host_.showCaseOfFilenames()));
    box_->selectAll();
    box_->show();
    box_->raise();
    box_->setFocus();
    renaming_ = true;
}

void RenameController::makedir()
{
    const int p = host_.activePanel();
    if (host_.panelDir(p).isEmpty())
        return;
    if (makedirEntry(host_, ui_, p) < 0)
        return;
    makingdir_ = true;
    renameafile();
}

void RenameController::finish()
{
    box_->hide();
    renaming_ = false;
    const QString newName = box_->text();
    finishRename(host_, ui_, panel_, index_, newName, makingdir_);
    makingdir_ = false;
}

void RenameController::quitrenamebox()
{
    if (!box_ || !box_->isVisible())
        return;
    box_->hide();
    renaming_ = false;
    makingdir_ = false;
    host_.enableupdating(host_.activePanel());
    host_.focusactivepanel();
    host_.drawhighlightbar(host_.activePanel());
}

void RenameController::checkquitrenamebox()
{
    if (box_ && box_->isVisible() && !box_->hasFocus())
        quitrenamebox();
}

}  // namespace zx
