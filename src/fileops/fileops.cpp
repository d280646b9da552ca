#include "fileops/fileops.h"

#include "fileops/deleteengine.h"
#include "platform/paths.h"
#include "platform/trash.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zx {

using platform::makefullname;

bool backdir(const QString& name)
{
    return name == QLatin1String(".") || name == QLatin1String("..");
}

int myindexof(const QList<PanelEntry>& entries, const QString& name, bool caseSensitive)
{
    for (int i = 0; i < entries.size(); ++i) {
        if (entries[i].name.compare(name, caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString newFolderName(const QString& dir)
{
    QString name = QStringLiteral("New Folder");
    for (int n = 2; QFileInfo(makefullname(dir, name)).isDir(); ++n)
        name = QStringLiteral("New Folder (") + QString::number(n) + QLatin1Char(')');
    return name;
}

QString dateForName(const QDate& date, const QLocale& locale)
{
    QString s = locale.toString(date, QLocale::ShortFormat);
    for (QChar& c : s) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            c = QLatin1Char('-');
    }
    return s;
}

QString upperFirst(const QString& name)
{
    if (name.isEmpty())
        return name;
    QString s = name;
    if (s[0] >= QLatin1Char('a') && s[0] <= QLatin1Char('z'))
        s[0] = s[0].toUpper();
    return s;
}

QString deleteQuestion(const QString& name, bool readOnly, const std::function<bool(const QString&)>& fits)
{
    const auto text = [readOnly](const QString& n) -> QString {
        return readOnly ? QStringLiteral("WARNING: ") + n + QStringLiteral(" is marked \"Read only\". Delete ?")
                        : QStringLiteral("Delete ") + n + QStringLiteral(" ?");
    };
    // The plain question decides the length; each round drops the last two
    // characters and ends the name with "~".
    QString n = name;
    while (!fits(QStringLiteral("Delete ") + n + QStringLiteral(" ?")) && n.size() > 4)
        n = n.left(n.size() - 2) + QLatin1Char('~');
    return text(n);
}

QString renameBoxText(const QString& name, bool showCase)
{
    return showCase ? name : upperFirst(name);
}

FileOps::FileOps(FileOpsHost& host, UserInterface& ui) : host_(host), ui_(ui)
{
    questionFits = [](const QString& text) {
        QFont f = QGuiApplication::font();
        return QFontMetrics(f).horizontalAdvance(text) <= 300 - 20;
    };
}

QChar FileOps::letterOfPath(const QString& path) const
{
    if (path.isEmpty())
        return QChar();
    const QList<platform::Volume> vols = host_.volumes();
    const platform::Volume* v = platform::volumeOfPath(vols, path);
    return v ? v->letter.toUpper() : QChar();
}

bool FileOps::refuseWhenBusy()
{
    if (!busy_)
        return false;
    ui_.message(QStringLiteral("Please wait until the running copy, move or delete has finished."),
                MsgKind::Information);
    return true;
}

QChar FileOps::askDrive(Operation op, QChar letter)
{
    Question q;
    q.id = kAskCopyToDrive;
    q.title = op == Operation::Copy ? QStringLiteral("Copy to Drive:") : QStringLiteral("Move to Drive:");
    q.text = q.title;
    q.buttons = {QStringLiteral("Ok"), QStringLiteral("Cancel")};
    q.defaultButton = 0;
    q.cancelButton = 1;
    QString tabs;
    for (const platform::Volume& v : host_.volumes())
        tabs += v.letter;
    q.fields = {{QStringLiteral("Drive"), letter.isNull() ? QString() : QString(letter)},
                {QStringLiteral("Drives"), tabs}};
    const int b = ui_.ask(q);
    if (b != 0)
        return QChar();
    const QString v = q.fields.value(0).value.trimmed();
    return v.isEmpty() ? QChar() : v[0].toUpper();
}

int FileOps::askPanel(int activePanel)
{
    Question q;
    q.id = kAskCopyToLMR;
    q.title = QStringLiteral("Destination Window:");
    q.buttons = {QStringLiteral("&Left"), QStringLiteral("&Middle"), QStringLiteral("&Right")};
    q.defaultButton = -1;
    q.cancelButton = -1;
    // The active panel's button is shown disabled.
    q.fields = {{QStringLiteral("Active panel"), QString::number(activePanel)}};
    const int b = ui_.ask(q);
    return b >= 0 && b <= 2 ? b + 1 : 0;
}

void FileOps::copyandmovefiles(Operation op)
{
    if (refuseWhenBusy())
        return;
    const bool copy = op == Operation::Copy;
    const int p = host_.activePanel();
    const QString srcDir = host_.panelDir(p);
    const QList<PanelEntry> entries = host_.entries(p);
    const int cur = host_.currentIndex(p);
    if (srcDir.isEmpty() || cur < 0 || cur >= entries.size())
        return;
    if (backdir(entries[cur].name)) {
        ui_.message(QStringLiteral("Cannot copy or move this (navigational) entry"), MsgKind::Information);
        return;
    }
    // The default drive: the panel to the right (wrapping round).
    const int right = p % 3 + 1;
    if (!host_.panelDir(right).isEmpty())
        defaultLetter = letterOfPath(host_.panelDir(right));
    else if (p == 1)
        defaultLetter = letterOfPath(host_.startDir());
    else if (p == 2)
        defaultLetter = letterOfPath(host_.panelDir(1));

    int dest = 0;
    for (;;) {
        const QChar letter = askDrive(op, defaultLetter);
        host_.drawhighlightbar(p);
        if (letter.isNull())
            return;
        const QList<platform::Volume> vols = host_.volumes();
        const platform::Volume* vol = platform::volumeOfLetter(vols, letter);
        if (!vol || !QFileInfo(vol->root).isDir())
            return;
        QList<int> showing;
        for (int q = 1; q <= 3; ++q) {
            if (q != p && !host_.panelDir(q).isEmpty() && letterOfPath(host_.panelDir(q)) == letter)
                showing << q;
        }
        if (showing.isEmpty()) {
            // Open the drive in the next free panel and ask again.
            host_.opendriveInNextFree(letter);
            host_.setactive(p, cur);
            defaultLetter = letter;
            continue;
        }
        if (showing.size() == 1) {
            dest = showing[0];
        } else {
            dest = askPanel(p);
            if (dest == 0)
                return;
        }
        break;
    }
    const QString destDir = host_.panelDir(dest);
    if (!QFileInfo(destDir).isDir()) {
        ui_.message(QStringLiteral("Destination directory does not exist"), MsgKind::Information);
        return;
    }
    if (destDir == srcDir) {
        ui_.message(copy ? QStringLiteral("Cannot copy to same directory") : QStringLiteral("Cannot move to same directory"),
                    MsgKind::Information);
        return;
    }
    host_.drawhighlightbar(p);
    transferList_.clear();
    for (const PanelEntry& e : entries) {
        if (e.tagged && !backdir(e.name))
            transferList_ << makefullname(srcDir, e.name);
    }
    if (transferList_.isEmpty())
        transferList_ << makefullname(srcDir, entries[cur].name);
    copyfilelist(dest, destDir, op, p);
    transferList_.clear();
    host_.drawhighlightbar(p);
    host_.updatedrivespaceindicators();
    host_.focusactivepanel();
}

void FileOps::dropfiles(const QStringList& paths, int destPanel, const QString& destDir, Operation op)
{
    if (refuseWhenBusy())
        return;
    const int active = host_.activePanel();
    transferList_ = paths;
    copyfilelist(destPanel, destDir, op, 0);
    transferList_.clear();
    if (destDir != host_.panelDir(active)) {
        for (int q = 1; q <= 3; ++q) {
            if (q != active && host_.panelDir(q) == destDir) {
                host_.enableupdating(q);
                host_.updatedrive(q);
            }
        }
    }
}

void FileOps::dropWithoutDestination(Operation op)
{
    ui_.message(op == Operation::Copy ? QStringLiteral("Cannot copy here.  No directory listed.")
                                      : QStringLiteral("Cannot move here.  No directory listed."),
                MsgKind::Information);
    transferList_.clear();
}

void FileOps::copyfilelist(int destPanel, const QString& destDir, Operation op, int sourcePanel)
{
    if (transferList_.isEmpty())
        return;
    const QList<platform::Volume> vols = host_.volumes();
    const platform::Volume* srcVol = platform::volumeOfPath(vols, transferList_.first());
    const bool optical = srcVol && srcVol->type == platform::DriveType::Optical;
    if (destPanel >= 1)
        host_.disableupdating(destPanel);
    if (sourcePanel >= 1)
        host_.disableupdating(sourcePanel);
    busy_ = true;
    const QStringList list = transferList_;   // never changed under the running transfer
    lastTransfer = runTransfer(ui_, list, destDir, op, host_.progressView(), io, optical);
    busy_ = false;
    // Keep the directory tree in step.
    for (const QString& d : lastTransfer.dirsRemoved)
        host_.removedir(d);
    for (const QString& d : lastTransfer.dirsCreated) {
        const QFileInfo fi(d);
        host_.adddir(fi.absolutePath(), fi.fileName());
    }
    if (destPanel >= 1) {
        host_.enableupdating(destPanel);
        host_.updatedrive(destPanel);
    }
    if (sourcePanel >= 1) {
        host_.enableupdating(sourcePanel);
        if (op != Operation::Copy)
            host_.updatedrive(sourcePanel);
    }
}

// --- Delete ----------------------------------------------------------------

void FileOps::shiftDeleteNotice()
{
    ui_.message(QStringLiteral("Press \"Del\" or \"D\" to delete a file quickly. Or\r"
                               "\"Ctrl-Del\" or \"Ctrl-D\" to send file to the recycle bin."),
                MsgKind::Information);
}

void FileOps::moveOtherPanelsOff(int activePanel, const QString& dir)
{
    for (int q = 1; q <= 3; ++q) {
        if (q == activePanel)
            continue;
        const QString d = host_.panelDir(q);
        if (d.isEmpty())
            continue;
        if (d == dir || d.startsWith(dir + QLatin1Char('/'))) {
            const QList<platform::Volume> vols = host_.volumes();
            const platform::Volume* v = platform::volumeOfPath(vols, d);
            host_.fillb(q, v ? v->root : QStringLiteral("/"));
        }
    }
}

bool FileOps::removePaths(const QStringList& paths, bool allowUndo)
{
    bool failed = false;
    if (allowUndo) {
        for (const QString& p : paths) {
            QString err;
            if (!platform::moveToTrash(p, &err)) {
                ui_.message(err, MsgKind::Error);
                failed = true;
            }
        }
        return failed;
    }
    // Deleting for good: a directory with contents is confirmed once.
    QStringList full;
    for (const QString& p : paths)
        if (isNonEmptyDir(p))
            full << p;
    if (!full.isEmpty()) {
        const QString text = full.size() == 1
                                 ? QStringLiteral("Delete the directory ") + QFileInfo(full[0]).fileName() +
                                       QStringLiteral(" and everything in it?")
                                 : QStringLiteral("Delete the ") + QString::number(full.size()) +
                                       QStringLiteral(" directories and everything in them?");
        if (!ui_.confirm(QStringLiteral("Delete"), text, QString()))
            return true;   // aborted
    }
    busy_ = true;
    const QList<DeleteFailure> failures = runDeletion(ui_, paths, host_.progressView());
    busy_ = false;
    if (!failures.isEmpty()) {
        QString text;
        const int shown = std::min<int>(int(failures.size()), 10);
        for (int i = 0; i < shown; ++i) {
            if (i)
                text += QLatin1Char('\r');
            text += QStringLiteral("Cannot delete ") + failures[i].path + QStringLiteral(" (") +
                    systemReason(failures[i].error) + QLatin1Char(')');
        }
        if (failures.size() > shown)
            text += QStringLiteral("\r... and ") + QString::number(failures.size() - shown) + QStringLiteral(" more");
        ui_.message(text, MsgKind::Error);
        failed = true;
    }
    return failed;
}

bool FileOps::shelldelete(int panel, const QList<PanelEntry>& entries, int first, int last, bool allowUndo,
                          int currentIndex)
{
    const QString dir = host_.panelDir(panel);
    QStringList from;
    QList<int> indices;
    const auto add = [&](int i) {
        const PanelEntry& e = entries[i];
        if (e.attr & AttrSystem) {
            ui_.message(QStringLiteral("Cannot delete ") + e.name.toUpper() +
                            QStringLiteral(".\rIt is marked as a system file."),
                        MsgKind::Information);
            return;
        }
        const QString full = makefullname(dir, e.name);
        from << full;
        indices << i;
        if (e.isdir)
            moveOtherPanelsOff(panel, full);
    };
    for (int i = first; i <= last && i < entries.size(); ++i) {
        if (entries[i].tagged && !backdir(entries[i].name))
            add(i);
    }
    if (from.isEmpty() && currentIndex >= 0 && currentIndex < entries.size() && !backdir(entries[currentIndex].name))
        add(currentIndex);
    const bool failed = from.isEmpty() ? false : removePaths(from, allowUndo);
    for (int k = 0; k < from.size(); ++k) {
        if (entries[indices[k]].isdir && !QFileInfo::exists(from[k]) && !QFileInfo(from[k]).isSymLink())
            host_.removedir(from[k]);
    }
    ++deleted_;
    relist_ = true;
    return failed;
}

void FileOps::Deletefile(bool toRecycleBin)
{
    if (refuseWhenBusy())
        return;
    const int p = host_.activePanel();
    const QString dir = host_.panelDir(p);
    host_.disableupdating(p);
    deleted_ = 0;
    relist_ = false;
    QList<PanelEntry> entries = host_.entries(p);
    const int cur = host_.currentIndex(p);
    const auto end = [&] {
        host_.enableupdating(p);
        if (relist_ && deleted_ > 0)
            host_.updatedrive(p);
        host_.drawhighlightbar(p);
    };
    if (dir.isEmpty() || cur < 0 || cur >= entries.size()) {
        end();
        return;
    }
    int tagged = 0;
    for (const PanelEntry& e : entries)
        if (e.tagged && !backdir(e.name))
            ++tagged;

    if (toRecycleBin || host_.recycleSetting()) {
        if (tagged == 0 && backdir(entries[cur].name)) {
            ui_.message(QStringLiteral("Cannot delete this (navigational) entry"), MsgKind::Information);
        } else if (shelldelete(p, entries, 0, int(entries.size()) - 1, true, cur)) {
            relist_ = false;
            // The entries that did go are still shown: re-list anyway.
            host_.enableupdating(p);
            host_.updatedrive(p);
        }
        end();
        return;
    }

    int count = tagged;
    int taggedForCommand = -1;
    if (count == 0) {
        if (backdir(entries[cur].name)) {
            ui_.message(QStringLiteral("Cannot delete this (navigational) entry"), MsgKind::Information);
            end();
            return;
        }
        host_.setTagged(p, cur, true);
        entries[cur].tagged = true;
        taggedForCommand = cur;
        count = 1;
    }

    bool recycleBox = false;   // the dialog's "&Recycle" box, cleared for every command
    bool yesToAll = false, yesToAllReadOnly = false;
    const bool showCase = host_.showCaseOfFilenames();
    for (int i = 0; i < entries.size(); ++i) {
        const PanelEntry e = entries[i];
        if (!e.tagged || backdir(e.name))
            continue;
        if (i == taggedForCommand)
            host_.setTagged(p, i, false);
        if (e.attr & AttrSystem) {
            ui_.message(QStringLiteral("Cannot delete ") + e.name.toUpper() +
                            QStringLiteral(".\rIt is marked as a system file."),
                        MsgKind::Information);
            continue;
        }
        const QString shownName = showCase ? e.name : upperFirst(e.name);
        const QString full = makefullname(dir, e.name);

        // A single empty directory goes at once.
        if (count == 1 && e.isdir && host_.quickEmptyDirDel()) {
            if (::rmdir(fsPath(full).constData()) == 0) {
                host_.removedir(full);
                host_.removelistentry(p, i);
                ++deleted_;
                continue;
            }
        }

        const bool readOnly = e.attr & AttrReadOnly;
        const bool show = readOnly ? !yesToAllReadOnly : !yesToAll;
        if (show) {
            Question q;
            q.id = kAskDelete;
            q.title = QStringLiteral("Delete");
            q.text = deleteQuestion(shownName, readOnly, questionFits);
            q.buttons = {QStringLiteral("&Yes"), QStringLiteral("Yes to &All"), QStringLiteral("&No"),
                         QStringLiteral("&Cancel")};
            q.defaultButton = DelYes;
            q.cancelButton = DelCancel;
            q.checks = {{QStringLiteral("&Recycle"), recycleBox, true}};
            const int b = ui_.ask(q);
            recycleBox = q.checks.value(0).checked;
            if (b != DelYes && b != DelYesToAll) {
                if (b == DelNo)
                    continue;
                break;   // Cancel, Escape, closed
            }
            if (b == DelYesToAll) {
                if (readOnly)
                    yesToAllReadOnly = true;
                yesToAll = true;
            }
        }

        if (recycleBox || e.isdir) {
            if (yesToAll) {
                // This entry and every later tagged one in one go.
                entries[i].tagged = true;
                const bool undo = recycleBox;
                QList<PanelEntry> rest = entries;
                if (i == taggedForCommand)
                    rest[i].tagged = true;
                shelldelete(p, rest, i, int(entries.size()) - 1, undo, i);
                break;
            }
            if (recycleBox) {
                QList<PanelEntry> one = entries;
                for (int k = 0; k < one.size(); ++k)
                    one[k].tagged = k == i;
                shelldelete(p, one, i, i, true, i);
            } else if (::rmdir(fsPath(full).constData()) == 0) {
                host_.removedir(full);
                ++deleted_;
                if (count == 1)
                    host_.removelistentry(p, i);
                else
                    relist_ = true;
            } else {
                QList<PanelEntry> one = entries;
                for (int k = 0; k < one.size(); ++k)
                    one[k].tagged = k == i;
                shelldelete(p, one, i, i, false, i);
            }
            if (count == 1) {
                host_.enableupdating(p);
                host_.updatedrive(p);
            }
            continue;
        }

        // A plain file.
        struct stat st;
        if (readOnly && ::lstat(fsPath(full).constData(), &st) == 0 && !S_ISLNK(st.st_mode))
            ::chmod(fsPath(full).constData(), (st.st_mode & 07777) | S_IWUSR);
        if (::unlink(fsPath(full).constData()) == 0) {
            ++deleted_;
            if (count == 1)
                host_.removelistentry(p, i);
            else
                relist_ = true;
            continue;
        }
        const int err = errno;
        if (count > 1) {
            ui_.message(QStringLiteral("Cannot delete ") + full +
                            QStringLiteral("\r(The file may be in use, or has a corrupted file name)\r") +
                            systemReason(err),
                        MsgKind::Error);
        } else if (err == ENOENT) {
            ui_.message(QStringLiteral("Cannot find file"), MsgKind::Error);
        } else {
            ui_.message(QStringLiteral("Cannot delete ") + full + QLatin1Char('\r') + systemReason(err),
                        MsgKind::Error);
        }
    }
    end();
}

// --- Rename and make directory -------------------------------------------

namespace {
bool renameNoReplace(const QString& from, const QString& to, bool caseOnly)
{
    const QByteArray a = fsPath(from), b = fsPath(to);
    if (!caseOnly) {
        if (::renameat2(AT_FDCWD, a.constData(), AT_FDCWD, b.constData(), RENAME_NOREPLACE) == 0)
            return true;
        if (errno != EINVAL && errno != ENOSYS)
            return false;
        // The file system cannot refuse to replace: look first.
        struct stat st;
        if (::lstat(b.constData(), &st) == 0)
            return false;
    }
    return ::rename(a.constData(), b.constData()) == 0;
}
}  // namespace

bool finishRename(FileOpsHost& host, UserInterface& ui, int panel, int index, const QString& newName,
                  bool makingdir)
{
    const QList<PanelEntry> entries = host.entries(panel);
    const QString dir = host.panelDir(panel);
    const bool showCase = host.showCaseOfFilenames();
    if (index < 0 || index >= entries.size())
        return false;
    const QString oldName = entries[index].name;
    bool renamed = false;
    if (myindexof(entries, newName, showCase) >= 0) {
        if (makingdir) {
            if (oldName.compare(newName, Qt::CaseInsensitive) != 0)
                ui.message(QStringLiteral("A folder by that name already exists."), MsgKind::Information);
        } else {
            ui.message(QStringLiteral("A file by that name already exists."), MsgKind::Information);
        }
    } else if (!newName.isEmpty()) {
        const QString oldPath = makefullname(dir, oldName);
        const QString newPath = makefullname(dir, newName);
        // A name with a "/" would move the entry elsewhere; an existing name
        // that is not listed (a hidden file) must not be replaced.
        const bool caseOnly = oldName.compare(newName, Qt::CaseInsensitive) == 0;
        if (newName.contains(QLatin1Char('/')) || newName == QLatin1String(".") ||
            newName == QLatin1String("..") || !renameNoReplace(oldPath, newPath, caseOnly)) {
            ui.message(QStringLiteral("Could not rename file"), MsgKind::Error);
        } else {
            // A stale record of the new path goes first, so that it cannot
            // be mistaken for the renamed directory afterwards.
            if (host.findintree(newPath))
                host.removedir(newPath);
            host.changename(oldPath, newName);
            host.setEntryName(panel, index, newName);
            renamed = true;
        }
    }
    if (makingdir) {
        host.enableupdating(panel);
        host.updatedrive(panel);
        const int cur = host.currentIndex(panel);
        const int top = host.topIndex(panel);
        if (cur > top + host.visibleRows(panel) || cur < top)
            host.setTopIndex(panel, cur > 0 ? cur - 1 : 0);
    }
    host.focusactivepanel();
    host.drawhighlightbar(panel);
    host.enableupdating(panel);
    return renamed;
}

int makedirEntry(FileOpsHost& host, UserInterface& ui, int panel)
{
    host.disableupdating(panel);
    const QString dir = host.panelDir(panel);
    const QString name = newFolderName(dir);
    const QString path = makefullname(dir, name);
    if (dir.isEmpty() || ::mkdir(fsPath(path).constData(), 0777) != 0) {
        ui.message(QStringLiteral("Cannot make directory"), MsgKind::Error);
        host.enableupdating(panel);
        return -1;
    }
    host.adddir(dir, name);
    const QList<PanelEntry> entries = host.entries(panel);
    const int at = !entries.isEmpty() && backdir(entries[0].name) ? 1 : 0;
    host.setTopIndex(panel, 0);
    const QFileInfo fi(path);
    if (!fi.isDir())
        return -1;
    PanelEntry e;
    e.name = fi.fileName();
    e.isdir = true;
    e.attr = AttrDirectory | ((fi.permissions() & QFileDevice::WriteOwner) ? 0u : quint32(AttrReadOnly));
    e.lastwrite = fi.lastModified().toMSecsSinceEpoch();
    host.insertEntry(panel, at, e);
    host.setCurrentIndex(panel, at);
    return at;
}

}  // namespace zx
