#include "mainform/mainwindow.h"

#include "app/userinterface.h"
#include "mainform/contextmenu.h"
#include "mainform/drives.h"
#include "mainform/drivetabrow.h"
#include "mainform/format.h"
#include "mainform/listing.h"
#include "mainform/panelview.h"
#include "mainform/sortbox.h"
#include "mainform/sorting.h"
#include "app/qtuserinterface.h"
#include "platform/dirlist.h"
#include "platform/launch.h"
#include "platform/paths.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSemaphore>
#include <QSettings>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QThreadPool>
#include <QTimer>
#include <QVBoxLayout>
#include <fcntl.h>
#include <unistd.h>

namespace zx {

// A listing read on a worker thread; fillb waits for it briefly and
// otherwise finishes it when it arrives.
struct MainWindow::PendingListing {
    quint64 generation = 0;
    QSemaphore done;
    Listing result;
    bool applied = false;
    bool keepPosition = false;
    QString selectName;
    std::function<void()> after;
    std::function<void()> missing;   // set: nothing is listed when no candidate exists
    QStringList candidates;          // the first that is a directory is listed
    QString chosen;
    bool exists = false;
    bool spaceKnown = false;
    qint64 freeBytes = 0, totalBytes = 0;
};

namespace {

struct ButtonDef {
    const char* name;
    const char* caption;
    const char* hint;
    const char* command;
};

// The status-bar buttons, left to right.
const ButtonDef kButtons[] = {
    {"mainhelpbutton", "&Help", "Valuable tips on how to get the most from this program", "helpbutton"},
    {"copybutton", "&Copy", "Copy files and directories", "copy"},
    {"deletebutton", "&Delete", "Delete a file or directory", "delete"},
    {"renamebutton", "&Rename", "Rename a file or directory", "rename"},
    {"movebutton", "M&ove", "Move files and directories", "move"},
    {"makedirbutton", "&Make", "Make a new directory", "makedir"},
    {"backbutton", "&Back", "Go back a level towards the root directory", "back"},
    {"sortbutton", "&Sort", "Sort the current file list by different criteria", "sort"},
    {"editbutton", "&Edit", "Edit file (Ctrl-E to create a new file)", "edit"},
    {"dosbutton", "Dos (&n)", "DOS operations", "dosbox"},
    {"treebutton", "&Tree", "Directory tree for selecting which directory to change to", "tree"},
    {"growbutton", "<Size>", "Expand and contract the main window", "sizebutton"},
    {"configbutton", "Conf&ig", "Configuration options", "config"},
    {"aboutbutton", "&?", "About this software", "about"},
};

int clampPanel(int p) { return (p >= 1 && p <= 3) ? p : 1; }

QString parentOf(const QString& dir)
{
    QString d = dir;
    if (d.size() > 1 && d.endsWith(QLatin1Char('/')))
        d.chop(1);
    const int slash = d.lastIndexOf(QLatin1Char('/'));
    if (slash <= 0)
        return QStringLiteral("/");
    return d.left(slash);
}

}  // namespace

MainWindow::MainWindow(Settings& settings, UserInterface& ui, MainWindowOptions options)
    : QWidget(nullptr), settings_(settings), ui_(ui), opt_(std::move(options))
{
    setWindowTitle(QStringLiteral("Zarvex"));
    setObjectName(QStringLiteral("Form1"));
    setMinimumSize(460, 300);
    if (!opt_.volumes)
        opt_.volumes = [] { return platform::readVolumes(); };
    if (!opt_.openFile)
        opt_.openFile = [](const QString& path, const QString& workdir, QString* error) {
            return platform::openWithDefaultApplication(path, workdir, error);
        };
    if (opt_.startdir.isEmpty())
        opt_.startdir = QDir::currentPath();

    if (QScreen* s = QGuiApplication::primaryScreen())
        screenWidth_ = s->geometry().width();
    // The data folder must exist before anything is moved to the trash.
    platform::dataDir();

    for (int p = 1; p <= 3; ++p)
        models_[p - 1].st.defaultdir = settings_.defDir[p - 1];
    buildWidgets();
    registerNavigationCommands();
    QtUserInterface::registerDialog(QStringLiteral("sort"), [](QWidget* parent, Question& q) {
        TSortForm form(q.defaultButton, parent);
        form.adjustSize();
        if (parent) {
            const QRect list = parent->property("sortDialogAnchor").toRect();
            const QRect win = parent->frameGeometry();
            form.move(list.right() - form.width() - int(std::nearbyint(list.width() * 0.06)),
                      list.top() + int(std::nearbyint(win.height() * 0.10)));
        }
        return form.exec() == QDialog::Accepted ? form.sortkind() : -1;
    });

    if (screenWidth_ < 800) {
        settings_.formSize = 0;
        settings_.treeSize = true;
        if (QPushButton* b = statusButton(QStringLiteral("sizebutton")))
            b->setEnabled(false);
    }
    if (listFontSize_ < 0)
        listFontSize_ = settings_.font.size > 0 ? settings_.font.size : 10;

    models_[0].st.dir = normaliseDir(opt_.startdir);

    timer1_.setInterval(1000);
    connect(&timer1_, &QTimer::timeout, this, [this] {
        if (ctrlwatch_ && !(QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier))
            ctrlwatch_ = false;
    });
    timer1_.start();
    timer2_.setInterval(600);
    connect(&timer2_, &QTimer::timeout, this, [this] { timer2Tick(); });
    setMouseTracking(true);
    for (int p = 0; p < 3; ++p) {
        refreshTimers_[p].setInterval(opt_.settleMs);
        refreshTimers_[p].setSingleShot(true);
        connect(&refreshTimers_[p], &QTimer::timeout, this, [this, p] { updatedrive(p + 1); });
    }

    inittabs();
    watchMounts();
    drawwindow(settings_.formSize);
    if (settings_.max)
        setWindowState(windowState() | Qt::WindowMaximized);
    else if (settings_.left != kNotSet && settings_.width != kNotSet && settings_.height != kNotSet) {
        int left = settings_.left, top = settings_.top;
        const int w = settings_.width, h = settings_.height;
        if (left + w <= 79 || left > screenWidth_ - 80)
            left = 0;
        const int sh = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->geometry().height() : 768;
        if (top + h <= 79 || top > sh - 80)
            top = 0;
        setGeometry(left, top, w, h);
    }
}

MainWindow::~MainWindow()
{
    if (mountFd_ >= 0)
        ::close(mountFd_);
}

// ---------------------------------------------------------------- widgets

void MainWindow::buildWidgets()
{
    QFont listFont = settings_.font.toFont();
    for (int p = 1; p <= 3; ++p) {
        auto* tabs = new DriveTabRow(p, this);
        tabs->onPress = [this](DriveTabRow* row, int i, Qt::MouseButton b) { tabPressed(row, i, b); };
        tabs_[p - 1] = tabs;

        auto* dir = new QLabel(this);
        dir->setObjectName(QStringLiteral("Dir%1").arg(p));
        dirLabels_[p - 1] = dir;

        auto* view = new PanelView(p, models_[p - 1], settings_, this);
        view->setFont(listFont);
        view->installEventFilter(this);
        view->onMousePress = [this](PanelView* v, QMouseEvent* e) { mdown(v, e); };
        view->onMouseRelease = [this](PanelView* v, QMouseEvent* e) { mymouseup(v, e); };
        view->onDoubleClick = [this](PanelView* v, QMouseEvent* e) { dblclick(v, e); };
        view->onMouseMove = [this](PanelView* v, QMouseEvent* e) { m_over(v, e); };
        auto* watcher = new platform::DirWatcher(this);
        connect(watcher, &platform::DirWatcher::changed, this, [this, p] { notifyChanged(p); });
        watchers_[p - 1] = watcher;
        lists_[p - 1] = view;

        auto* entries = new QLabel(this);
        entries->setObjectName(p == 2 ? QStringLiteral("entries2") : QStringLiteral("Entries%1").arg(p));
        entriesLabels_[p - 1] = entries;

        auto* free = new QLabel(this);
        free->setObjectName(p == 1 ? QStringLiteral("free1") : QStringLiteral("Free%1").arg(p));
        free->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        freeLabels_[p - 1] = free;

        auto* bar = new QProgressBar(this);
        bar->setObjectName(QStringLiteral("drivespace%1").arg(p));
        bar->setOrientation(Qt::Vertical);
        bar->setRange(0, 1000);
        bar->setTextVisible(false);
        bar->setValue(0);
        spaceBars_[p - 1] = bar;
    }
    infoLabel_ = new QLabel(this);
    infoLabel_->setObjectName(QStringLiteral("Infolabel"));
    infoLabel_->setProperty("hint", QStringLiteral("Full file name"));
    fileAttr_ = new QLabel(this);
    fileAttr_->setObjectName(QStringLiteral("Fileattr"));
    fileAttr_->setProperty("hint", QStringLiteral("File attributes"));
    fileTime_ = new QLabel(this);
    fileTime_->setObjectName(QStringLiteral("Filetime"));
    fileTime_->setProperty("hint", QStringLiteral("Time last modified"));
    fileTime_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    dirInfoLabel_ = new QLabel(this);
    dirInfoLabel_->setObjectName(QStringLiteral("DirInfoLabel"));

    for (const ButtonDef& d : kButtons) {
        auto* b = new QPushButton(QString::fromUtf8(d.caption), this);
        b->setObjectName(QString::fromLatin1(d.name));
        b->setProperty("hint", QString::fromUtf8(d.hint));
        b->setFocusPolicy(Qt::NoFocus);
        b->setEnabled(false);
        const QString cmd = QString::fromLatin1(d.command);
        if (cmd == QLatin1String("sizebutton")) {
            b->installEventFilter(this);   // left half shrinks, right half grows
        } else {
            connect(b, &QPushButton::clicked, this, [this, cmd] {
                if (beforeUserAction)
                    beforeUserAction();
                runCommand(cmd);
                focusactivepanel();
            });
        }
        buttons_ << b;
        buttonByCommand_.insert(cmd, b);
    }
    applyHints();
}

void MainWindow::applyHints()
{
    // "hints": the tool tips of the buttons and information lines.
    const QList<QWidget*> withHints = findChildren<QWidget*>();
    for (QWidget* c : withHints) {
        const QVariant h = c->property("hint");
        if (h.isValid())
            c->setToolTip(settings_.hints ? h.toString() : QString());
    }
}

QPushButton* MainWindow::statusButton(const QString& command) const
{
    return buttonByCommand_.value(command);
}

void MainWindow::updateButtons()
{
    for (auto it = buttonByCommand_.constBegin(); it != buttonByCommand_.constEnd(); ++it) {
        if (it.key() == QLatin1String("sizebutton"))
            it.value()->setEnabled(screenWidth_ >= 800);
        else
            it.value()->setEnabled(commands_.contains(it.key()));
    }
}

// ---------------------------------------------------------------- commands

void MainWindow::registerCommand(const QString& id, std::function<void()> fn)
{
    commands_.insert(id, std::move(fn));
    updateButtons();
}

bool MainWindow::hasCommand(const QString& id) const
{
    return commands_.contains(id);
}

bool MainWindow::runCommand(const QString& id)
{
    auto it = commands_.constFind(id);
    if (it == commands_.constEnd())
        return false;
    const auto fn = *it;   // the command may re-register itself
    fn();
    return true;
}

void MainWindow::registerNavigationCommands()
{
    auto active = [this] { return activepanel_; };
    registerCommand(QStringLiteral("open"), [this, active] { Openfile(active()); });
    registerCommand(QStringLiteral("root"), [this] {
        PanelModel& m = model(activepanel_);
        if (m.st.dir.isEmpty())
            return;
        m.st.historycount = 0;
        fillb(activepanel_, driveRoot(driveLetterOf(m.st.dir)), false);
    });
    registerCommand(QStringLiteral("quit"), [this] {
        if (okaytoclose()) {
            closing_ = true;
            close();
        }
    });
    registerCommand(QStringLiteral("up"), [this] { moveCurrent(activepanel_, [](PanelModel& m) { m.moveUp(false); }); });
    registerCommand(QStringLiteral("down"), [this] { moveCurrent(activepanel_, [](PanelModel& m) { m.moveDown(false); }); });
    registerCommand(QStringLiteral("tagup"), [this] { moveCurrent(activepanel_, [](PanelModel& m) { m.moveUp(true); }); });
    registerCommand(QStringLiteral("tagdown"), [this] { moveCurrent(activepanel_, [](PanelModel& m) { m.moveDown(true); }); });
    registerCommand(QStringLiteral("pageup"), [this] { moveCurrent(activepanel_, [](PanelModel& m) { m.pageUp(); }); });
    registerCommand(QStringLiteral("pagedown"), [this] { moveCurrent(activepanel_, [](PanelModel& m) { m.pageDown(); }); });
    registerCommand(QStringLiteral("home"), [this] { moveCurrent(activepanel_, [](PanelModel& m) { m.home(); }); });
    registerCommand(QStringLiteral("end"), [this] { moveCurrent(activepanel_, [](PanelModel& m) { m.end(); }); });
    registerCommand(QStringLiteral("first"), [this] { moveCurrent(activepanel_, [](PanelModel& m) { m.ctrlHome(); }); });
    registerCommand(QStringLiteral("last"), [this] { moveCurrent(activepanel_, [](PanelModel& m) { m.ctrlEnd(); }); });
    registerCommand(QStringLiteral("top"), [this] {
        moveCurrent(activepanel_, [](PanelModel& m) {
            if (m.count() > 0)
                m.current = 0;
            m.clampTop();
            if (m.top > 0)
                m.top = 0;
        });
    });
    registerCommand(QStringLiteral("lastdir"), [this] { moveCurrent(activepanel_, [](PanelModel& m) { m.ctrlDown(); }); });
    registerCommand(QStringLiteral("goleft"), [this] { goleft(); });
    registerCommand(QStringLiteral("goright"), [this] { goright(); });
    registerCommand(QStringLiteral("back"), [this] {
        PanelModel& m = model(activepanel_);
        if (!m.st.dir.isEmpty())
            backadir(activepanel_, m.st.dir);
    });
    registerCommand(QStringLiteral("relist"), [this] {
        if (!model(activepanel_).st.dir.isEmpty())
            updatedrive(activepanel_);
    });
    registerCommand(QStringLiteral("refresh"), [this] { refresh(); });
    registerCommand(QStringLiteral("sort"), [this] { SortbuttonClick(); });
    registerCommand(QStringLiteral("untag"), [this] {
        model(activepanel_).untagall();
        getlistbox(activepanel_)->refreshView();
        drawdirinfolabel(activepanel_);
        drawhighlightbar(activepanel_);
    });
    registerCommand(QStringLiteral("tagall"), [this] {
        model(activepanel_).tagAllFiles();
        getlistbox(activepanel_)->refreshView();
        drawdirinfolabel(activepanel_);
        drawhighlightbar(activepanel_);
    });
    for (char c = 'A'; c <= 'H'; ++c) {
        const QChar letter = QLatin1Char(c);
        registerCommand(QStringLiteral("drive:") + letter, [this, letter] {
            model(activepanel_).redrawpending = true;
            opendrive(letter, QString(), 0);
        });
    }
    registerCommand(QStringLiteral("favorite1"),
                    [this] { gotofavoritedirectory(settings_.favoriteDirectory, activepanel_, 1); });
    registerCommand(QStringLiteral("favorite2"),
                    [this] { gotofavoritedirectory(settings_.favoriteDirectory2, activepanel_, 2); });
    registerCommand(QStringLiteral("favoritenextfree"),
                    [this] { gotofavoritedirectory(settings_.favoriteDirectory, 0, 1); });
    registerCommand(QStringLiteral("mydocuments"), [this] { gotomydocuments(0); });
    registerCommand(QStringLiteral("shrink"), [this] { shrinkwindow(); });
    registerCommand(QStringLiteral("grow"), [this] { growwindow(); });
    registerCommand(QStringLiteral("deletehint"), [this] {
        amsg(QStringLiteral("Press \"Del\" or \"D\" to delete a file quickly. Or\r\"Ctrl-Del\" or \"Ctrl-D\" to send "
                            "file to the recycle bin."));
    });
}

void MainWindow::moveCurrent(int panel, const std::function<void(PanelModel&)>& op)
{
    PanelModel& m = model(panel);
    op(m);
    getlistbox(panel)->refreshView();
    drawhighlightbar(panel);
}

// ---------------------------------------------------------------- keys

bool MainWindow::eventFilter(QObject* o, QEvent* e)
{
    if (e->type() == QEvent::KeyPress) {
        for (PanelView* v : lists_)
            if (o == v)
                return handleKey(static_cast<QKeyEvent*>(e));
    }
    if (auto* b = qobject_cast<QPushButton*>(o); b && b == statusButton(QStringLiteral("sizebutton"))) {
        if (e->type() == QEvent::MouseButtonRelease && b->isEnabled()) {
            auto* me = static_cast<QMouseEvent*>(e);
            if (b->rect().contains(me->position().toPoint())) {
                if (isMaximized())
                    showNormal();
                if (me->position().x() < b->width() / 2)
                    shrinkwindow();
                else
                    growwindow();
                focusactivepanel();
            }
        }
    }
    return QWidget::eventFilter(o, e);
}

void MainWindow::keyPressEvent(QKeyEvent* e)
{
    if (!handleKey(e))
        QWidget::keyPressEvent(e);
}

bool MainWindow::handleKey(QKeyEvent* e)
{
    if (beforeUserAction)
        beforeUserAction();
    PanelView* v = getlistbox(activepanel_);
    if (v && !v->hasFocus())
        v->setFocus();
    const int key = e->key();
    if (key == Qt::Key_Control) {
        if (!ctrlwatch_) {
            ctrlwatch_ = true;
            timer2_.start();
        }
        return true;
    }
    ctrlwatch_ = false;
    if (key == Qt::Key_Shift || key == Qt::Key_Alt || key == Qt::Key_Meta || key == Qt::Key_AltGr ||
        key == Qt::Key_CapsLock)
        return true;

    bool otherMods = false;
    const Mods mods = exactMods(e->modifiers(), &otherMods);
    if (!otherMods) {
        if (const char* cmd = commandForKey(key, mods)) {
            runCommand(QString::fromLatin1(cmd));
            return true;
        }
    }
    if (mods == Mods::Ctrl || mods == Mods::Alt || otherMods) {
        // "," and "." typed with Alt held (AltGr layouts) resize the window.
        const QString t = e->text();
        if (t == QLatin1String(",") && (e->modifiers() & Qt::AltModifier))
            runCommand(QStringLiteral("shrink"));
        else if (t == QLatin1String(".") && (e->modifiers() & Qt::AltModifier))
            runCommand(QStringLiteral("grow"));
        return true;
    }
    const QString text = e->text();
    mouseDownEntry_ = -1;
    if (text.size() != 1)
        return true;
    QChar c = text.at(0);
    // Caps Lock: a capital typed without Shift, or a small letter typed with
    // it, means Caps Lock is on; letters then always act as commands.
    const bool shift = e->modifiers() & Qt::ShiftModifier;
    if (c.isLetter() && c.isUpper() && !shift)
        c = c.toLower();
    if (const char* cmd = commandForChar(c)) {
        if (qstrcmp(cmd, "typeahead") == 0) {
            PanelModel& m = model(activepanel_);
            if (m.typeAhead(c, settings_.skipDirectories)) {
                getlistbox(activepanel_)->refreshView();
                drawhighlightbar(activepanel_);
            }
        } else {
            runCommand(QString::fromLatin1(cmd));
        }
    }
    return true;
}

// ---------------------------------------------------------------- mouse

void MainWindow::mdown(PanelView* v, QMouseEvent* e)
{
    const int p = v->panel();
    if (beforeUserAction)
        beforeUserAction();
    const int i = v->indexAt(e->position().toPoint());
    mouseDownEntry_ = i;
    v->setFocus();
    if (i < 0)
        return;
    if (p != activepanel_)
        setactive(activepanel_, p);
    PanelModel& m = model(p);
    m.current = i;
    v->refreshView();
    drawhighlightbar(p);
    const Qt::KeyboardModifiers mods = e->modifiers();
    if (mods == Qt::AltModifier) {
        runCommand(QStringLiteral("runparams"));
    } else if (mods == Qt::ControlModifier) {
        ctrlwatch_ = true;
        timer2_.stop();
        m.toggleTag(i);
        v->refreshView();
        drawdirinfolabel(p);
    } else if (mods == Qt::ShiftModifier && e->button() == Qt::LeftButton) {
        if (m.valid(m.st.anchor) && m.entries[m.st.anchor].tagged) {
            m.tagRange(m.st.anchor, i);
            m.st.anchor = -1;
        } else {
            m.untagall();
            m.st.anchor = i;
            m.toggleTag(i);
        }
        v->refreshView();
        drawdirinfolabel(p);
    }
}

void MainWindow::mymouseup(PanelView* v, QMouseEvent* e)
{
    mouseDownEntry_ = -1;
    const Qt::KeyboardModifiers mods = e->modifiers();
    if (mods & (Qt::ControlModifier | Qt::AltModifier))
        return;
    if ((mods & Qt::ShiftModifier) && e->button() != Qt::RightButton)
        return;
    const int p = v->panel();
    const int i = v->indexAt(e->position().toPoint());
    if (e->button() == Qt::LeftButton && i >= 0) {
        stopnotify(p);
        PanelModel& m = model(p);
        if (e->position().x() < 16) {
            m.toggleTag(i);
            v->refreshView();
            drawdirinfolabel(p);
        } else if (settings_.singleClick) {
            Openfile(p);
        } else {
            drawhighlightbar(p);
        }
    } else if (e->button() == Qt::RightButton) {
        if (i >= 0) {
            showContextMenu(p, e->globalPosition().toPoint(), true);
            drawhighlightbar(activepanel_);
        } else if (!model(p).st.dir.isEmpty()) {
            showContextMenu(p, e->globalPosition().toPoint(), false);
        }
    }
}

void MainWindow::dblclick(PanelView* v, QMouseEvent* e)
{
    if (!settings_.singleClick && e->button() == Qt::LeftButton && v->indexAt(e->position().toPoint()) >= 0)
        Openfile(activepanel_);
}

// ---------------------------------------------------------------- panels

PanelModel& MainWindow::model(int panel)
{
    return models_[clampPanel(panel) - 1];
}

PanelView* MainWindow::getlistbox(int panel) const
{
    return lists_[clampPanel(panel) - 1];
}

DriveTabRow* MainWindow::gettabcontrol(int panel) const
{
    return tabs_[clampPanel(panel) - 1];
}

QString MainWindow::normaliseDir(const QString& dirIn) const
{
    if (dirIn.isEmpty())
        return dirIn;
    QString d = QDir::cleanPath(dirIn);
    if (d != QLatin1String("/")) {
        // A volume's root is shown as its mount point ending in "/".
        for (const platform::Volume& v : volumes_)
            if (v.root == d + QLatin1Char('/'))
                return v.root;
    }
    return d;
}

bool MainWindow::nameisadirectory(const QString& path) const
{
    if (path.isEmpty())
        return false;
    return platform::isDirectory(path);
}

QString MainWindow::entryPath(int panel, int index) const
{
    const PanelModel& m = models_[clampPanel(panel) - 1];
    if (!m.valid(index))
        return QString();
    return platform::makefullname(m.st.dir, m.entries[index].real.isEmpty() ? m.entries[index].name
                                                                          : m.entries[index].real);
}

QString MainWindow::currentfile() const
{
    const PanelModel& m = models_[activepanel_ - 1];
    return entryPath(activepanel_, m.current);
}

void MainWindow::removelistentry(int panel, int index)
{
    const int p = clampPanel(panel);
    PanelModel& m = model(p);
    if (!m.valid(index))
        return;
    m.entries.remove(index);
    if (index < m.st.dircount)
        --m.st.dircount;
    if (m.entries.isEmpty()) {
        Entry dot;
        dot.name = dot.real = QStringLiteral(".");
        dot.isdir = true;
        dot.attr = platform::AttrDirectory;
        dot.typebitmap = TypePicture::Dir;
        m.entries.append(dot);
    }
    m.current = qBound(0, m.current, m.count() - 1);
    m.clampTop();
    getlistbox(p)->refreshView();
    drawdirinfolabel(p);
    drawhighlightbar(p);
}

void MainWindow::setEntryName(int panel, int index, const QString& realName)
{
    const int p = clampPanel(panel);
    PanelModel& m = model(p);
    if (!m.valid(index))
        return;
    m.entries[index].real = realName;
    m.entries[index].name = displayName(realName, settings_.showCaseOfFilenames);
    if (!m.entries[index].isdir)
        m.entries[index].typebitmap = typePictureFor(m.entries[index].name);
    getlistbox(p)->refreshView();
    drawhighlightbar(p);
}

void MainWindow::insertEntry(int panel, int index, Entry e)
{
    const int p = clampPanel(panel);
    PanelModel& m = model(p);
    if (e.name.isEmpty())
        e.name = displayName(e.real, settings_.showCaseOfFilenames);
    // The "." placeholder of an empty list gives way to the first real entry.
    if (m.count() == 1 && m.entries[0].name == QLatin1String(".")) {
        m.entries.clear();
        m.st.dircount = 0;
    }
    index = qBound(0, index, m.count());
    m.entries.insert(index, e);
    if (e.isdir && index <= m.st.dircount)
        ++m.st.dircount;
    getlistbox(p)->refreshView();
    drawdirinfolabel(p);
}

bool MainWindow::listingPending(int panel) const
{
    const auto& p = pending_[clampPanel(panel) - 1];
    return p && !p->applied;
}

void MainWindow::fillb(int panel, const QString& dirIn, bool keepPosition, const QString& selectName,
                       std::function<void()> after)
{
    startListing(panel, {dirIn.isEmpty() ? QDir::currentPath() : dirIn}, keepPosition, selectName, std::move(after),
                 {});
}

void MainWindow::startListing(int panel, QStringList candidates, bool keepPosition, const QString& selectName,
                              std::function<void()> after, std::function<void()> missing)
{
    const int p = clampPanel(panel);
    PanelModel& m = model(p);
    listingbusy_ = true;
    refreshTimers_[p - 1].stop();

    for (QString& c : candidates)
        c = normaliseDir(c);
    const QString requested = candidates.value(0);
    if (watchers_[p - 1]->directory() != requested)
        watchers_[p - 1]->stop();
    if (!keepPosition && !missing) {
        m.hoverindex = -1;
        m.redrawpending = false;
        if (activepanel_ != p) {
            getlistbox(activepanel_)->setActive(false);
            activepanel_ = p;
        }
    }

    ListOptions opt;
    opt.showHidden = settings_.showHiddenFiles;
    opt.showCase = settings_.showCaseOfFilenames;
    opt.nameOrder = m.st.sortkind == 0;

    auto job = std::make_shared<PendingListing>();
    job->generation = ++listGeneration_[p - 1];
    job->keepPosition = keepPosition;
    job->selectName = selectName;
    job->after = std::move(after);
    job->missing = std::move(missing);
    job->candidates = candidates;
    pending_[p - 1] = job;

    // Everything that touches the disk happens on the worker: a directory on
    // a slow or dead network mount never stops the window.
    QPointer<MainWindow> self(this);
    QThreadPool::globalInstance()->start([job, opt, self, p] {
        for (const QString& c : job->candidates)
            if (platform::isDirectory(c)) {
                job->chosen = c;
                job->exists = true;
                break;
            }
        if (!job->exists)
            job->chosen = job->candidates.value(0);
        if (job->exists || !job->missing) {
            job->result = listDirectory(job->chosen, opt);
            if (job->exists)
                job->spaceKnown = platform::diskSpace(job->chosen, &job->freeBytes, &job->totalBytes);
        }
        job->done.release();
        QMetaObject::invokeMethod(
            qApp,
            [job, self, p] {
                if (!self || job->applied || self->pending_[p - 1] != job)
                    return;
                self->finishListing(p, job);
            },
            Qt::QueuedConnection);
    });
    if (job->done.tryAcquire(1, opt_.syncListingMs)) {
        finishListing(p, job);
    } else if (!keepPosition && !job->missing) {
        // A slow directory: show the panel as busy and finish when it arrives.
        m.entries.clear();
        m.current = -1;
        getlistbox(p)->setBusyText(QStringLiteral("Reading %1 ...").arg(requested));
        getlistbox(p)->refreshView();
    }
}

void MainWindow::finishListing(int p, const std::shared_ptr<PendingListing>& job)
{
    job->applied = true;
    getlistbox(p)->setBusyText(QString());
    if (!job->exists && job->missing) {
        listingbusy_ = false;
        job->missing();
        Q_EMIT listingApplied(p);
        return;
    }
    PanelModel& m = model(p);
    if (job->exists) {
        m.st.dir = job->chosen;
        displaydirectory(p);
        if (job->spaceKnown) {
            m.st.freebytes = double(job->freeBytes);
            m.st.totalbytes = double(job->totalBytes);
        }
    }
    applyListing(p, std::move(job->result), job->keepPosition, job->selectName);
    if (job->after)
        job->after();
    Q_EMIT listingApplied(p);
}

void MainWindow::applyListing(int p, Listing&& listing, bool keepPosition, const QString& selectName)
{
    PanelModel& m = model(p);
    PanelView* v = getlistbox(p);
    m.entries = std::move(listing.entries);
    m.st.dircount = listing.dircount;
    if (m.st.sortkind != SortName && m.st.sortkind != SortNone && m.count() > 1)
        sortall(m, settings_.showCaseOfFilenames);
    if (m.entries.isEmpty()) {
        Entry dot;
        dot.name = QStringLiteral(".");
        dot.real = dot.name;
        dot.isdir = true;
        dot.attr = platform::AttrDirectory;
        dot.typebitmap = TypePicture::Dir;
        m.entries.append(dot);
        m.current = 0;
    }
    if (!keepPosition) {
        m.current = 0;
        m.top = 0;
        v->setFocus();
        for (int i = 1; i <= 3; ++i)
            getlistbox(i)->setActive(i == p);
    } else if (!m.valid(m.current)) {
        m.current = 0;
    }
    platform::DirWatcher* watcher = watchers_[p - 1];
    if (!m.st.dir.isEmpty() && (watcher->directory() != m.st.dir || !watcher->watching()))
        watcher->start(m.st.dir);
    m.st.anchor = -1;
    m.hoverindex = -1;
    v->setBusyText(QString());
    v->refreshView();
    gettabcontrol(p)->setPanelListed(!m.st.dir.isEmpty());
    drawdirinfolabel(p);
    showfree(p);
    if (!selectName.isEmpty()) {
        const QString wanted = settings_.showCaseOfFilenames ? selectName : selectName.toLower();
        const int i = m.myindexof(wanted, false);
        if (i >= 0) {
            m.current = i;
            if (i > m.visiblerows)
                m.setTop(i - 5);
            v->refreshView();
        }
    }
    pendingselect_.clear();
    listingbusy_ = false;
    if (p == activepanel_)
        drawhighlightbar(p);
}

void MainWindow::updatedrive(int panel)
{
    const int p = clampPanel(panel);
    refreshTimers_[p - 1].stop();
    PanelModel& m = model(p);
    if (m.st.refreshsuspended || m.st.dir.isEmpty())
        return;
    const int top = m.top;
    const int index = m.valid(m.current) ? m.current : 0;
    const QString name = m.valid(m.current) ? m.entries[m.current].name : QString();

    // The directory itself, else its parent, else the root of its drive.
    const QStringList candidates = {m.st.dir, parentOf(m.st.dir), driveRoot(driveLetterOf(m.st.dir))};
    startListing(p, candidates, true, QString(), [this, p, top, index, name] {
        PanelModel& m = model(p);
        if (m.count() > 0) {
            int i = name.isEmpty() ? -1 : m.myindexof(name, false);
            if (i < 0)
                i = index < m.count() ? index : m.count() - 1;
            m.current = i;
            if (top > m.count() - 1) {
                if (m.count() - m.visiblerows >= 0)
                    m.top = m.count() - m.visiblerows;
            } else {
                m.top = top;
            }
            m.clampTop();
        }
        getlistbox(p)->refreshView();
        if (p == activepanel_)
            drawhighlightbar(p);
    }, {});
}

void MainWindow::refresh()
{
    for (int p = 1; p <= 3; ++p) {
        PanelModel& m = model(p);
        if (m.st.dir.isEmpty())
            continue;
        m.st.refreshsuspended = false;
        updatedrive(p);
    }
    updatedrivespaceindicators();
}

void MainWindow::backadir(int panel, const QString& pathIn)
{
    const int p = clampPanel(panel);
    QString path = pathIn;
    if (path == QLatin1String("/") || path.isEmpty())
        return;   // the top of the file system
    const QString parent = parentOf(path);
    startListing(p, {parent}, true, QString(), [this, p] {
        PanelModel& m = model(p);
        HistorySlot slot;
        if (m.popHistory(&slot)) {
            m.top = slot.top;
            m.clampTop();
            m.current = qBound(0, slot.current, m.count() - 1);
            m.redrawpending = true;
        } else {
            m.current = 0;
        }
        getlistbox(p)->refreshView();
        drawhighlightbar(p);
    }, [this] { amsg(QStringLiteral("Directory does not exist")); });
}

void MainWindow::Openfile(int panel)
{
    const int p = clampPanel(panel);
    PanelModel& m = model(p);
    const Entry* e = m.currentEntry();
    if (!e || e->name == QLatin1String("."))
        return;
    const QString full = entryPath(p, m.current);
    if (e->isdir) {
        if (e->name == QLatin1String("..")) {
            backadir(p, m.st.dir);
            return;
        }
        // The place being left goes into the history once the directory is listed.
        const HistorySlot here{m.top, m.current};
        startListing(p, {full}, false, QString(), [this, p, here] {
            PanelState& st = model(p).st;
            if (st.historycount < kHistoryLevels)
                st.panelhistory[size_t(st.historycount++)] = here;
        }, [] {});
        return;
    }
    if (settings_.viewZips && e->name.toUpper().contains(QLatin1String(".ZIP")) &&
        runCommand(QStringLiteral("viewzip")))
        return;
    QString error;
    if (!opt_.openFile(full, m.st.dir, &error))
        amsg(error.isEmpty() ? QStringLiteral("Cannot open %1").arg(full) : error);
    drawhighlightbar(p);
}

void MainWindow::setactive(int from, int to)
{
    from = clampPanel(from);
    to = clampPanel(to);
    model(from).redrawpending = true;
    if (model(to).st.dir.isEmpty())
        return;
    PanelModel& f = model(from);
    PanelModel& t = model(to);
    getlistbox(from)->setActive(false);
    activepanel_ = to;
    getlistbox(to)->setActive(true);
    getlistbox(to)->setFocus();
    if (t.count() > 0) {
        const int row = (f.valid(f.current) ? f.current : 0) - f.top + t.top;
        t.current = qBound(0, row, t.count() - 1);
    }
    if (settings_.mouseTrails) {
        t.hoverindex = -1;
        hoverPanel_ = to;
        hoverEntry_ = -1;
        timer2_.start();
    }
    getlistbox(to)->refreshView();
    getlistbox(from)->refreshView();
    drawhighlightbar(to);
    drawdirinfolabel(to);
}

void MainWindow::goleft()
{
    if (activepanel_ > 1)
        setactive(activepanel_, activepanel_ - 1);
}

void MainWindow::goright()
{
    if (activepanel_ < 3)
        setactive(activepanel_, activepanel_ + 1);
}

void MainWindow::gotofavoritedirectory(const QString& path, int panel, int which)
{
    if (path.isEmpty()) {
        amsg(QStringLiteral("Set your ") + (which == 2 ? QStringLiteral("second ") : QString()) +
             QStringLiteral("favorite directory in the Config screen"));
        return;
    }
    if (nameisadirectory(path))
        opendrive(driveLetterOf(path), path, panel);
    else
        amsg(path + QStringLiteral(" is not a directory"));
}

void MainWindow::gotomydocuments(int panel)
{
    const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (nameisadirectory(docs))
        opendrive(driveLetterOf(docs), docs, panel);
}

QStringList MainWindow::selectedPaths(int panel) const
{
    const int p = clampPanel(panel);
    const PanelModel& m = models_[p - 1];
    QStringList out;
    for (int i = 0; i < m.count(); ++i)
        if (m.entries[i].tagged && !m.backdir(i))
            out << entryPath(p, i);
    if (out.isEmpty() && m.valid(m.current) && !m.backdir(m.current))
        out << entryPath(p, m.current);
    return out;
}

void MainWindow::showContextMenu(int panel, const QPoint& globalPos, bool onEntry)
{
    const int p = clampPanel(panel);
    const PanelModel& m = model(p);
    MenuTarget t;
    if (onEntry) {
        t.paths = selectedPaths(p);
        const Entry* e = m.currentEntry();
        t.isDirectory = e && e->isdir;
    } else {
        t.paths = {m.st.dir};
        t.isDirectory = true;
        t.panelDirectory = true;
    }
    QMenu* menu = buildContextMenu(*this, t, this);
    if (menuHook)
        menuHook(menu);
    else
        menu->exec(globalPos);
    menu->deleteLater();
}

void MainWindow::disableupdating(int panel)
{
    model(panel).st.refreshsuspended = true;
}

void MainWindow::enableupdating(int panel)
{
    model(panel).st.refreshsuspended = false;
}

void MainWindow::stopnotify(int panel)
{
    const int p = clampPanel(panel);
    if (refreshTimers_[p - 1].isActive()) {
        refreshTimers_[p - 1].stop();
        updatedrive(p);
    }
}

bool MainWindow::refreshPending(int panel) const
{
    return refreshTimers_[clampPanel(panel) - 1].isActive();
}

void MainWindow::notifyChanged(int p)
{
    QTimer& t = refreshTimers_[p - 1];
    if (!t.isActive())
        t.start(opt_.settleMs);
}

void MainWindow::SortbuttonClick()
{
    const int p = activepanel_;
    PanelModel& m = model(p);
    const int before = m.st.sortkind;
    PanelView* v = getlistbox(p);
    // The dialog sits at the right of the active panel, a little below its top.
    const QPoint listTopLeft = v->mapToGlobal(QPoint(0, 0));
    setProperty("sortDialogAnchor", QRect(listTopLeft, v->size()));
    Question q;
    q.id = QStringLiteral("sort");
    q.title = QStringLiteral("Sort by");
    q.buttons = {QStringLiteral("<N>ame"), QStringLiteral("<S>ize"), QStringLiteral("<T>ime"),
                 QStringLiteral("<E>xtension"), QStringLiteral("N<o>ne")};
    q.defaultButton = before;
    q.cancelButton = -1;
    const int chosen = ui_.ask(q);
    v->setFocus();
    if (chosen >= 0 && chosen <= 4 && chosen != before) {
        m.st.sortkind = chosen;
        if (chosen == SortNone) {
            fillb(p, m.st.dir, false);
        } else {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            sortall(m, settings_.showCaseOfFilenames);
            QApplication::restoreOverrideCursor();
            v->refreshView();
        }
    }
    focusactivepanel();
}

// ---------------------------------------------------------------- mouse trails

void MainWindow::m_over(PanelView* v, QMouseEvent* e)
{
    const int p = v->panel();
    PanelModel& m = model(p);
    if (mouseDownEntry_ >= 0) {
        if (e->buttons() & (Qt::LeftButton | Qt::RightButton)) {
            if (m.current != mouseDownEntry_ && m.valid(mouseDownEntry_)) {
                m.current = mouseDownEntry_;
                v->refreshView();
                drawhighlightbar(p);
            }
        } else {
            mouseDownEntry_ = -1;
        }
    }
    if (ctrlwatch_ && !(e->modifiers() & Qt::ControlModifier))
        ctrlwatch_ = false;
    const int i = v->indexAt(e->position().toPoint());
    if (settings_.mouseTrails && !listingbusy_ && i >= 0) {
        if (i != m.hoverindex) {
            m.hoverindex = i;
            v->viewport()->update();
            hoverPanel_ = p;
            hoverEntry_ = i;
            timer2_.start();
        }
        const QPoint pos = e->globalPosition().toPoint();
        if (!v->hasFocus() && pos != lastMouse_) {
            timer2_.stop();
            v->setFocus();
            if (p != activepanel_)
                setactive(activepanel_, p);
        }
        lastMouse_ = pos;
    }
}

void MainWindow::ridhighlight()
{
    PanelModel& m = model(activepanel_);
    if (m.hoverindex >= 0) {
        m.hoverindex = -1;
        getlistbox(activepanel_)->viewport()->update();
    }
}

void MainWindow::mouseMoveEvent(QMouseEvent* e)
{
    ridhighlight();
    QWidget::mouseMoveEvent(e);
}

void MainWindow::timer2Tick()
{
    const bool ctrlHeld = QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier;
    PanelModel& a = model(activepanel_);
    if (hoverPanel_ == activepanel_ && hoverEntry_ != -1 && hoverEntry_ == a.hoverindex) {
        a.redrawpending = true;
        a.current = hoverEntry_;
        if (ctrlHeld)
            a.toggleTag(a.current);
        hoverEntry_ = -1;
        getlistbox(activepanel_)->refreshView();
        drawhighlightbar(activepanel_);
        drawdirinfolabel(activepanel_);
        timer2_.stop();
        return;
    }
    if (ctrlwatch_ && ctrlHeld) {
        ctrlwatch_ = false;
        a.toggleTag(a.current);
        getlistbox(activepanel_)->refreshView();
        drawhighlightbar(activepanel_);
        drawdirinfolabel(activepanel_);
        timer2_.stop();
    }
}

// ---------------------------------------------------------------- drives

QChar MainWindow::driveLetterOf(const QString& path) const
{
    const platform::Volume* v = platform::volumeOfPath(volumes_, path);
    return v ? v->letter : QChar();
}

QString MainWindow::driveRoot(QChar letter) const
{
    const platform::Volume* v = platform::volumeOfLetter(volumes_, letter);
    return v ? v->root : QStringLiteral("/");
}

QString MainWindow::bareDriveDirectory(QChar letter) const
{
    // The drive of the start directory opens at the start directory, as a
    // drive's current directory would; other drives at their root.
    const QString root = driveRoot(letter);
    if (driveLetterOf(opt_.startdir) == letter.toUpper() && nameisadirectory(opt_.startdir))
        return normaliseDir(opt_.startdir);
    return root;
}

int MainWindow::nextfreePanel() const
{
    return nextfree(activepanel_, !models_[1].st.dir.isEmpty(), !models_[2].st.dir.isEmpty());
}

void MainWindow::inittabs()
{
    volumes_ = opt_.volumes();
    const QStringList tabs = tabStrings(volumes_);
    for (DriveTabRow* row : tabs_)
        row->setTabs(tabs);
    const PanelModel& m1 = models_[0];
    const bool usableDefault = !m1.st.defaultdir.isEmpty() && nameisadirectory(m1.st.defaultdir);
    if (!usableDefault) {
        const QChar l = driveLetterOf(m1.st.dir);
        for (int i = 0; i < tabs.size(); ++i)
            if (tabs[i].at(0) == l)
                tabs_[0]->setCurrentIndex(i);
    }
}

void MainWindow::rereadtabs()
{
    const int wasActive = activepanel_;
    for (int p = 1; p <= 3; ++p) {
        PanelModel& m = model(p);
        m.st.savedindex = m.current;
        m.st.savedtab = gettabcontrol(p)->currentIndex();
        m.st.savedtop = m.top;
    }
    volumes_ = opt_.volumes();
    const QStringList tabs = tabStrings(volumes_);
    for (DriveTabRow* row : tabs_)
        row->setTabs(tabs);
    for (int p = 1; p <= 3; ++p) {
        PanelModel& m = model(p);
        DriveTabRow* row = gettabcontrol(p);
        const QChar dirLetter = driveLetterOf(m.st.dir);
        // The panel's drive is still there when its directory still exists
        // on a volume that is still mounted.
        int tabIndex = -1;
        for (int i = 0; i < tabs.size(); ++i)
            if (!dirLetter.isNull() && tabs[i].at(0) == dirLetter)
                tabIndex = i;
        const bool stillThere = !m.st.dir.isEmpty() && tabIndex >= 0 && nameisadirectory(m.st.dir);
        if (!m.st.dir.isEmpty() && stillThere) {
            row->setCurrentIndex(tabIndex);
            const int top = m.st.savedtop, idx = m.st.savedindex;
            fillb(p, m.st.dir, true, QString(), [this, p, top, idx, wasActive] {
                PanelModel& m = model(p);
                if (idx < m.count())
                    m.current = idx;
                if (top < m.count())
                    m.setTop(top);
                if (p == wasActive) {
                    activepanel_ = p;
                    getlistbox(p)->setActive(true);
                    getlistbox(p)->setFocus();
                }
                getlistbox(p)->refreshView();
            });
        } else if (!m.st.dir.isEmpty()) {
            if (p == activepanel_ && p != 1) {
                getlistbox(p)->setActive(false);
                activepanel_ = p - 1;
                getlistbox(activepanel_)->setActive(true);
            }
            m.st.dir.clear();
            m.st.defaultdir.clear();
            settings_.defDir[p - 1].clear();
            m.entries.clear();
            m.current = -1;
            row->setCurrentIndex(0);
            row->setPanelListed(false);
            getlistbox(p)->refreshView();
            dirLabels_[p - 1]->clear();
            entriesLabels_[p - 1]->clear();
            freeLabels_[p - 1]->clear();
        }
    }
    drawhighlightbar(activepanel_);
    Q_EMIT volumesChanged();
}

int MainWindow::driveexists(QChar letter)
{
    for (;;) {
        const platform::Volume* v = platform::volumeOfLetter(volumes_, letter);
        if (v && nameisadirectory(v->root)) {
            QDir d(v->root);
            return d.isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot) ? 2 : 1;
        }
        if (!v)
            return 0;
        if (!ui_.confirm(QStringLiteral("Zarvex"),
                         QStringLiteral("Drive ") + letter + QStringLiteral(": is not ready. Retry?")))
            return 0;
        volumes_ = opt_.volumes();
    }
}

void MainWindow::opendrive(QChar letter, const QString& path, int panel, const QString& selectName)
{
    pendingpath_.clear();
    pendingselect_ = selectName;
    const QChar up = letter.toUpper();
    const QStringList& tabs = tabs_[0]->tabs();
    int tab = -1;
    for (int i = 0; i < tabs.size(); ++i)
        if (tabs[i].at(0) == up) {
            tab = i;
            break;
        }
    if (panel < 1)
        panel = nextfreePanel();
    if (tab < 0)
        return;
    model(panel).st.historycount = 0;
    if (!path.isEmpty()) {
        pendingpath_ = path;
    } else {
        const PanelModel& a = model(activepanel_);
        if (!a.st.dir.isEmpty() && driveLetterOf(a.st.dir) == up) {
            if (!nameisadirectory(a.st.dir)) {
                amsg(QStringLiteral("Directory does not exist"));
                return;
            }
            pendingpath_ = a.st.dir;
        }
    }
    gettabcontrol(panel)->setCurrentIndex(tab);
    TabControl1Change(panel);
}

void MainWindow::TabControl1Change(int panel)
{
    const int p = clampPanel(panel);
    DriveTabRow* row = gettabcontrol(p);
    const int index = row->currentIndex();
    if (index < 0)
        return;
    if (pendingpath_.isEmpty()) {
        const int left = p == 1 ? 3 : p - 1;
        const PanelModel& n = model(left);
        const QChar letter = row->tabs().at(index).at(0);
        if (!n.st.dir.isEmpty() && driveLetterOf(n.st.dir) == letter)
            pendingpath_ = n.st.dir;
    }
    newdrive(p, index);
    pendingpath_.clear();
    rememberedTab_ = row->currentIndex();
}

void MainWindow::newdrive(int p, int index)
{
    DriveTabRow* row = gettabcontrol(p);
    const QChar letter = row->tabs().value(index).left(1).toUpper().at(0);
    const int de = driveexists(letter);
    if (de != 0) {
        const QString path = pendingpath_.isEmpty() ? bareDriveDirectory(letter) : pendingpath_;
        if (driveLetterOf(path) == letter && nameisadirectory(path)) {
            fillb(p, path, false, pendingselect_);
            lastGoodTab_ = index;
        } else {
            amsg(QStringLiteral("Drive is not ready"));
            if (lastGoodTab_ != index && lastGoodTab_ < row->count()) {
                row->setCurrentIndex(lastGoodTab_);
                pendingpath_.clear();
                newdrive(p, lastGoodTab_);
            }
        }
        return;
    }
    if (rememberedTab_ < 0 || rememberedTab_ >= row->count())
        return;
    row->setCurrentIndex(lastGoodTab_);
    const QChar back = row->tabs().value(lastGoodTab_).left(1).at(0);
    if (lastGoodTab_ != index && driveexists(back) != 0)
        newdrive(p, lastGoodTab_);
}

void MainWindow::tabPressed(DriveTabRow* row, int index, Qt::MouseButton button)
{
    if (beforeUserAction)
        beforeUserAction();
    pendingpath_.clear();
    if (index < 0)
        return;
    int p = 1;
    for (int i = 0; i < 3; ++i)
        if (tabs_[i] == row)
            p = i + 1;
    if (button == Qt::RightButton) {
        DriveInfo(row->tabs().at(index).at(0));
        return;
    }
    if (button != Qt::LeftButton)
        return;
    if (index == row->currentIndex() && !model(p).st.dir.isEmpty()) {
        // Choosing the selected tab again lists the drive's root.
        pendingpath_ = driveRoot(row->tabs().at(index).at(0));
    }
    row->setCurrentIndex(index);
    TabControl1Change(p);
}

void MainWindow::DriveInfo(QChar letter)
{
    const platform::Volume* v = platform::volumeOfLetter(volumes_, letter);
    if (!v)
        return;
    const platform::Volume vol = *v;
    QString text = QStringLiteral("Drive %1:  %2").arg(vol.letter).arg(vol.root);
    text += QStringLiteral("\r") + (vol.label.isEmpty() ? QString() : vol.label + QLatin1Char(' ')) +
            platform::driveTypeHintWord(vol.type);
    text += QStringLiteral("\rFile system: ") + vol.fsType + QStringLiteral("   Device: ") + vol.device;
    qint64 freeBytes = 0, total = 0;
    if (platform::diskSpace(vol.root, &freeBytes, &total))
        text += QStringLiteral("\r") + freeSpaceText(freeBytes) + QStringLiteral(" free of ") +
                freeSpaceText(total);
    amsg(text);
}

void MainWindow::watchMounts()
{
    mountFd_ = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    if (mountFd_ < 0)
        return;
    mountNotifier_ = new QSocketNotifier(mountFd_, QSocketNotifier::Exception, this);
    connect(mountNotifier_, &QSocketNotifier::activated, this, [this] {
        // Reading to the end re-arms the notification.
        char buf[4096];
        ::lseek(mountFd_, 0, SEEK_SET);
        while (::read(mountFd_, buf, sizeof buf) > 0) {
        }
        const QStringList before = tabStrings(volumes_);
        if (tabStrings(opt_.volumes()) != before)
            rereadtabs();
    });
}

// ---------------------------------------------------------------- indicators

void MainWindow::drawhighlightbar(int panel)
{
    const int p = clampPanel(panel);
    PanelView* v = getlistbox(p);
    v->viewport()->update();
    if (p == activepanel_)
        drawinfolabel(p);
}

void MainWindow::drawinfolabel(int panel)
{
    const PanelModel& m = model(panel);
    const Entry* e = m.currentEntry();
    if (!e) {
        infoLabel_->clear();
        fileAttr_->clear();
        fileTime_->clear();
        return;
    }
    QString d = model(activepanel_).st.dir.toLower();
    if (!d.endsWith(QLatin1Char('/')))
        d += QLatin1Char('/');
    infoLabel_->setText(d + e->name);
    fileAttr_->setText(attributeLetters(e->attr));
    fileTime_->setText(getdatetimestring(e->lastwrite));
}

void MainWindow::drawdirinfolabel(int panel)
{
    const int p = clampPanel(panel);
    const PanelModel& m = model(p);
    entriesLabels_[p - 1]->setText(m.st.dir.isEmpty() && m.count() == 0 ? QString()
                                                                        : commas(m.count()) + QStringLiteral(" entries"));
    const int n = m.numtagged();
    if (n > 0)
        dirInfoLabel_->setText(taggedTotalText(m.taggedBytes(), n));
    else if (p == activepanel_)
        dirInfoLabel_->clear();
}

void MainWindow::displaydirectory(int panel)
{
    const int p = clampPanel(panel);
    QLabel* label = dirLabels_[p - 1];
    QString text = model(p).st.dir.toUpper();
    const QFontMetrics fm(label->font());
    const int avail = qMax(20, label->width());
    if (fm.horizontalAdvance(text) > avail) {
        const int last = text.lastIndexOf(QLatin1Char('/'));
        if (last > 0) {
            // "/A/B/LONG/NAME" becomes "/A/B/LONG . . /NAME", then "/A/B/ . . /NAME",
            // "/A/ . . /NAME", ... until it fits or little is left in front.
            text.insert(last, QStringLiteral(" . . "));
            int marker = last;   // where " . . " starts
            while (fm.horizontalAdvance(text) > avail) {
                const int from = text.at(marker - 1) == QLatin1Char('/') ? marker - 2 : marker - 1;
                const int prev = from < 0 ? -1 : text.lastIndexOf(QLatin1Char('/'), from);
                if (prev < 3)
                    break;
                text.remove(prev + 1, marker - prev - 1);
                marker = prev + 1;
            }
        }
    }
    label->setText(text);
}

void MainWindow::displayfree(int panel)
{
    // statvfs can block on a network volume: ask on a worker, show when known.
    const int p = clampPanel(panel);
    const QString dir = model(p).st.dir;
    if (dir.isEmpty())
        return;
    QPointer<MainWindow> self(this);
    QThreadPool::globalInstance()->start([self, p, dir] {
        qint64 freeBytes = 0, total = 0;
        if (!platform::diskSpace(dir, &freeBytes, &total))
            return;
        QMetaObject::invokeMethod(
            qApp,
            [self, p, dir, freeBytes, total] {
                if (!self || self->model(p).st.dir != dir)
                    return;
                self->model(p).st.freebytes = double(freeBytes);
                self->model(p).st.totalbytes = double(total);
                self->showfree(p);
            },
            Qt::QueuedConnection);
    });
}

void MainWindow::showfree(int panel)
{
    const int p = clampPanel(panel);
    const PanelModel& m = model(p);
    if (m.st.freebytes >= 0)
        freeLabels_[p - 1]->setText(freeSpaceText(qint64(m.st.freebytes)) + QStringLiteral(" free"));
    const PanelModel& a = model(activepanel_);
    if (!settings_.spaceIndicators || a.st.totalbytes < 0 || m.st.totalbytes <= 0 || m.st.freebytes < 0)
        return;
    const double used = 1000.0 * (m.st.totalbytes - m.st.freebytes) / m.st.totalbytes;
    spaceBars_[p - 1]->setValue(int(std::nearbyint(used)));
}

void MainWindow::updatedrivespaceindicators()
{
    for (int p = 1; p <= 3; ++p)
        if (!model(p).st.dir.isEmpty())
            displayfree(p);
}

void MainWindow::setindicatorsvisible()
{
    for (QProgressBar* b : spaceBars_)
        b->setVisible(settings_.spaceIndicators);
}

QString MainWindow::infoLabelText() const { return infoLabel_->text(); }
QString MainWindow::fileAttrText() const { return fileAttr_->text(); }
QString MainWindow::fileTimeText() const { return fileTime_->text(); }
QString MainWindow::dirInfoText() const { return dirInfoLabel_->text(); }
void MainWindow::setStatusText(const QString& text) { dirInfoLabel_->setText(text); }
QString MainWindow::entriesText(int panel) const { return entriesLabels_[clampPanel(panel) - 1]->text(); }
QString MainWindow::freeText(int panel) const { return freeLabels_[clampPanel(panel) - 1]->text(); }
QString MainWindow::dirLabelText(int panel) const { return dirLabels_[clampPanel(panel) - 1]->text(); }
int MainWindow::spaceBarValue(int panel) const { return spaceBars_[clampPanel(panel) - 1]->value(); }

// ---------------------------------------------------------------- messages

void MainWindow::amsg(const QString& text, MsgKind kind)
{
    ui_.message(text, kind, QStringLiteral("Zarvex"));
    drawhighlightbar(activepanel_);
    updatedrivespaceindicators();
}

void MainWindow::focusactivepanel()
{
    PanelView* v = getlistbox(activepanel_);
    if (v && isVisible())
        v->setFocus();
    drawhighlightbar(activepanel_);
}

void MainWindow::addCloseCheck(std::function<bool()> check)
{
    closeChecks_.append(std::move(check));
}

bool MainWindow::okaytoclose()
{
    for (int i = closeChecks_.size() - 1; i >= 0; --i)
        if (!closeChecks_[i]())
            return false;
    if (settings_.promptOnQuit)
        return ui_.confirm(QStringLiteral("Quit Zarvex"), QStringLiteral("Are you sure you want to quit?"));
    return true;
}

void MainWindow::closeEvent(QCloseEvent* e)
{
    if (!closing_ && !okaytoclose()) {
        e->ignore();
        closing_ = false;
        return;
    }
    for (QTimer& t : refreshTimers_)
        t.stop();
    for (PanelModel& m : models_)
        m.st.refreshsuspended = true;
    timer1_.stop();
    timer2_.stop();
    writeSettings();
    e->accept();
}

void MainWindow::addSettingsSaver(std::function<void()> saver)
{
    settingsSavers_.append(std::move(saver));
}

void MainWindow::writeSettings()
{
    for (const auto& saver : settingsSavers_)
        saver();
    if (opt_.portablemode)
        return;
    settings_.max = isMaximized();
    if (!isMaximized()) {
        settings_.left = x();
        settings_.top = y();
        settings_.width = width();
        settings_.height = height();
    }
    for (int p = 0; p < 3; ++p)
        settings_.defDir[p] = models_[p].st.defaultdir;
    std::unique_ptr<QSettings> store(openUserSettings());
    settings_.write(*store);
}

// ---------------------------------------------------------------- show

void MainWindow::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    PanelModel& m1 = model(1);
    if (m1.st.defaultdir.isEmpty() && !m1.st.dir.isEmpty()) {
        const QChar l = driveLetterOf(m1.st.dir);
        const QStringList& tabs = tabs_[0]->tabs();
        for (int i = 0; i < tabs.size(); ++i)
            if (tabs[i].at(0) == l) {
                tabs_[0]->setCurrentIndex(i);
                pendingpath_ = m1.st.dir;
                newdrive(1, i);
                break;
            }
    }
    for (int p = 1; p <= 3; ++p) {
        const QString dd = model(p).st.defaultdir;
        if (dd.isEmpty() || !nameisadirectory(dd))
            continue;
        const QChar l = driveLetterOf(dd);
        const QStringList& tabs = tabs_[p - 1]->tabs();
        for (int i = 0; i < tabs.size(); ++i)
            if (tabs[i].at(0) == l) {
                pendingpath_ = dd;
                tabs_[p - 1]->setCurrentIndex(i);
                newdrive(p, i);
                break;
            }
    }
    pendingpath_.clear();
    if (firstshowpending_)
        QTimer::singleShot(0, this, [this] { firstShowWork(); });
    layoutControls();
    if (opt_.startMinimized && !minimizedOnce_) {
        minimizedOnce_ = true;
        QTimer::singleShot(0, this, [this] { showMinimized(); });
    }
}

void MainWindow::firstShowWork()
{
    if (!firstshowpending_)
        return;
    firstshowpending_ = false;
    if (opt_.portablemode)
        return;
    if (settings_.firstRun) {
        setdefaultcols();
        if (screenWidth_ < 800 && settings_.showSmallScreenMessage) {
            Question q;
            q.id = QStringLiteral("smallscreen");
            q.title = QStringLiteral("Suggestion");
            q.text = QStringLiteral(
                "You are currently using a low resolution video mode.  This program\n"
                "functions best  with a video mode of 800 x 600 or better. If you find\n"
                "text too small to read when using higher video modes, make use\n"
                "of the \"large fonts\" setting in the Window's display options.");
            q.buttons = {QStringLiteral("&Ok")};
            q.cancelButton = 0;
            q.checks = {{QStringLiteral("Don't show me this message again."), false}};
            ui_.ask(q);
            settings_.showSmallScreenMessage = !q.checks[0].checked;
        }
    }
    settings_.firstRun = false;
    takeScreenshotIfAsked();
}

void MainWindow::takeScreenshotIfAsked()
{
    const QString shot = qEnvironmentVariable("ZX_SCREENSHOT");
    if (shot.isEmpty())
        return;
    QTimer::singleShot(1500, this, [this, shot] {
        const QPixmap pm = grab();
        if (pm.save(shot))
            fprintf(stderr, "zarvex: screenshot written to %s\n", qPrintable(shot));
        else
            fprintf(stderr, "zarvex: could not write the screenshot %s\n", qPrintable(shot));
    });
}

void MainWindow::changeEvent(QEvent* e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow())
        focusactivepanel();
}

void MainWindow::setdefaultcols()
{
    settings_.colors = defaultColorTable();
    settings_.colors.c[20] = 0x000000FF;
    if (listFontSize_ <= 0)
        listFontSize_ = 10;
    settings_.font.name = QStringLiteral("MS Sans Serif");
    settings_.font.size = listFontSize_;
    settings_.drawIcons = false;
    settings_.useWindowsIcons = false;
    for (PanelView* v : lists_) {
        v->setFont(settings_.font.toFont());
        v->viewport()->update();
    }
    layoutControls();
}

// ---------------------------------------------------------------- layouts

void MainWindow::drawwindow(int layoutWanted)
{
    int l = layoutWanted;
    if (l == 2 && screenWidth_ < 1024)
        return;
    if (l == 1 && screenWidth_ < 800)
        return;
    if (l < 0 || l > 2)
        return;
    settings_.formSize = l;
    static const QSize sizes[3] = {{640, 450}, {800, 570}, {1024, 738}};
    if (listFontSize_ < 0)
        listFontSize_ = l == 0 ? 8 : l == 1 ? 10 : 14;
    if (!isMaximized())
        resize(sizes[l]);
    QFont f = settings_.font.toFont();
    f.setPointSize(listFontSize_);
    settings_.font.size = listFontSize_;
    for (PanelView* v : lists_)
        v->setFont(f);
    layoutControls();
    focusactivepanel();
}

void MainWindow::growwindow()
{
    const int l = settings_.formSize;
    if (l == 2 || (screenWidth_ == 800 && l == 1) || (screenWidth_ < 800 && l == 0)) {
        amsg(QStringLiteral("Cannot enlarge window any further"));
        return;
    }
    if (listFontSize_ <= 11)
        listFontSize_ += 2;
    drawwindow(l + 1);
    if (QScreen* s = screen()) {
        const QRect g = s->geometry();
        move(g.x() + (g.width() - width()) / 2, g.y() + (g.height() - height()) / 2);
    }
}

void MainWindow::shrinkwindow()
{
    const int l = settings_.formSize;
    if (l == 0) {
        amsg(QStringLiteral("Cannot shrink window any further"));
        return;
    }
    if (listFontSize_ > 8)
        listFontSize_ -= 2;
    drawwindow(l - 1);
}

void MainWindow::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    layoutControls();
}

void MainWindow::layoutControls()
{
    const int l = settings_.formSize;
    const int w = width(), h = height();
    const int dirFont[3] = {8, 9, 11}, tabFont[3] = {7, 8, 12}, tabH[3] = {18, 23, 23}, countFont[3] = {7, 8, 9};
    const int barW = settings_.skinsEnabled ? 9 : 3;

    QFont dirF = font();
    dirF.setPointSize(dirFont[l]);
    QFont tabF = font();
    tabF.setPointSize(tabFont[l]);
    QFont countF = font();
    countF.setPointSize(countFont[l]);

    const int dirH = QFontMetrics(dirF).height() + 3;
    const int tabsTop = dirH;
    const int listTop = tabsTop + tabH[l] + 2;
    const QFontMetrics lfm(lists_[0]->font());
    rowHeight_ = qMax(lfm.height() + 4, listFontSize_ * 2 + (l == 1 ? 2 : 1));

    // Bottom band: counts, tagged total, full name, buttons.
    QFont btnF = font();
    const int btnH = QFontMetrics(btnF).height() + 12;
    const int countH = QFontMetrics(countF).height() + 2;
    const int infoH = QFontMetrics(font()).height() + 4;
    const int bottomBand = countH + infoH * 2 + btnH + 10;

    const int colW = w / 3 - 18;
    const int listH = qMax(40, h - listTop - bottomBand);
    int left = 10 + barW;
    for (int p = 0; p < 3; ++p) {
        lists_[p]->setGeometry(left, listTop, colW, listH);
        RowGeometry g;
        g.rowHeight = rowHeight_;
        g.textOffset = l == 2 ? 17 : 15;
        g.layout = l;
        lists_[p]->setGeometryRules(g);
        spaceBars_[p]->setGeometry(left - barW - 1, listTop, barW, listH);
        tabs_[p]->setGeometry(left, tabsTop, colW, tabH[l]);
        tabs_[p]->setFont(tabF);
        tabs_[p]->setTextOffset(settings_.skinsEnabled ? 1 : 3);
        dirLabels_[p]->setGeometry(left, 0, colW, dirH);
        dirLabels_[p]->setFont(dirF);
        entriesLabels_[p]->setGeometry(left, listTop + listH + 2, colW / 2, countH);
        entriesLabels_[p]->setFont(countF);
        freeLabels_[p]->setGeometry(left + colW / 2, listTop + listH + 2, colW / 2 - 5, countH);
        freeLabels_[p]->setFont(countF);
        left += colW + 11 + barW;
    }
    const int countTop = listTop + listH + 2;
    const int btnTop = h - btnH - 4;
    const int infoTop = btnTop - infoH - 2;
    dirInfoLabel_->setGeometry(lists_[0]->x(), countTop + countH + 1, w - lists_[0]->x() - 10, infoH);
    const int rightEdge = lists_[2]->x() + lists_[2]->width();
    fileTime_->setGeometry(rightEdge - 4 - 170, infoTop, 170, infoH);
    fileAttr_->setGeometry(fileTime_->x() - 34, infoTop, 30, infoH);
    infoLabel_->setGeometry(lists_[0]->x(), infoTop, fileAttr_->x() - lists_[0]->x() - 4, infoH);

    // Buttons from right to left, starting with "&?"; they share the row
    // when their natural widths do not fit.
    const bool small = l == 0;
    const int gap = l == 2 ? 5 : 0;
    QList<QPushButton*> shown;
    int natural = 0;
    for (QPushButton* b : buttons_) {
        const QString name = b->objectName();
        const bool hideInSmall = name == QLatin1String("dosbutton") || name == QLatin1String("editbutton") ||
                                 name == QLatin1String("sortbutton") || name == QLatin1String("backbutton");
        b->setVisible(!(small && hideInSmall));
        if (small && hideInSmall)
            continue;
        shown << b;
        natural += QFontMetrics(b->font()).horizontalAdvance(b->text().remove(QLatin1Char('&'))) + 16;
    }
    const int avail = w - 40 - 10 - gap * int(shown.size());
    const double scale = natural > avail ? double(avail) / natural : 1.0;
    int x = w - 40;
    for (int i = int(shown.size()) - 1; i >= 0; --i) {
        QPushButton* b = shown[i];
        const int bw = int((QFontMetrics(b->font()).horizontalAdvance(b->text().remove(QLatin1Char('&'))) + 16) * scale);
        x -= bw;
        b->setGeometry(x, btnTop, bw, btnH);
        x -= gap;
    }
    for (int p = 1; p <= 3; ++p)
        if (!model(p).st.dir.isEmpty())
            displaydirectory(p);
    setindicatorsvisible();
}

}  // namespace zx
