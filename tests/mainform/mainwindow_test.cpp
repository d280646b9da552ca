#include "mainform/mainwindow.h"

#include "mainform/drivetabrow.h"
#include "mainform/panelview.h"
#include "mainform/sortbox.h"
#include <QRadioButton>
#include <QMenu>
#include "platform/filenames.h"
#include "support/scripteduserinterface.h"
#include "support/testenv.h"

#include <QDir>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zx;
using zx::test::ScriptedUserInterface;
using zx::test::waitUntil;
using zx::test::writeFile;

namespace {

// A window over a small tree: volume A is "/", volume B is a folder of the
// tree (so drive keys and tabs can be tested without real mounts).
struct WindowFixture : ::testing::Test {
    QTemporaryDir tmp;
    Settings settings;
    ScriptedUserInterface ui;
    std::unique_ptr<MainWindow> w;
    QString work, volB;

    void SetUp() override
    {
        work = tmp.path() + QStringLiteral("/work");
        volB = tmp.path() + QStringLiteral("/volb");
        QDir().mkpath(work + QStringLiteral("/alpha/inner"));
        QDir().mkpath(work + QStringLiteral("/beta"));
        QDir().mkpath(volB + QStringLiteral("/onb"));
        writeFile(work + QStringLiteral("/apple.txt"), "12345");
        writeFile(work + QStringLiteral("/banana.exe"), "1234567890");
        writeFile(work + QStringLiteral("/cherry"), "");
        for (int i = 0; i < 5; ++i)
            writeFile(work + QStringLiteral("/alpha/f%1").arg(i), "");
    }

    void open(MainWindowOptions opt = {})
    {
        const QString b = volB;
        if (!opt.volumes)
            opt.volumes = [b] {
                platform::Volume a;
                a.letter = QLatin1Char('A');
                a.root = QStringLiteral("/");
                a.type = platform::DriveType::Fixed;
                platform::Volume v;
                v.letter = QLatin1Char('B');
                v.root = b + QLatin1Char('/');
                v.type = platform::DriveType::Removable;
                return QList<platform::Volume>{a, v};
            };
        if (opt.startdir.isEmpty())
            opt.startdir = work;
        opt.portablemode = true;   // tests never write the user's settings
        opt.openFile = [this](const QString& path, const QString&, QString*) {
            opened << path;
            return true;
        };
        w = std::make_unique<MainWindow>(settings, ui, opt);
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        waitListed();
    }

    void waitListed()
    {
        ASSERT_TRUE(waitUntil([this] {
            return !w->listingPending(1) && !w->listingPending(2) && !w->listingPending(3);
        }));
    }

    void key(int k, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QTest::keyClick(w->getlistbox(w->activepanel()), Qt::Key(k), m);
        waitListed();
    }
    void type(char c, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QTest::keyClick(w->getlistbox(w->activepanel()), c, m);
        waitListed();
    }
    QString currentName(int p) const
    {
        const Entry* e = w->model(p).currentEntry();
        return e ? e->name : QString();
    }
    QStringList names(int p) const
    {
        QStringList out;
        for (const Entry& e : w->model(p).entries)
            out << e.name;
        return out;
    }
    QPoint rowPoint(int p, int index, int x = 60) const
    {
        const QRect r = w->getlistbox(p)->rowRect(index);
        return QPoint(x, r.center().y());
    }
    void click(int p, int index, Qt::KeyboardModifiers m = Qt::NoModifier, int x = 60)
    {
        QTest::mouseClick(w->getlistbox(p)->viewport(), Qt::LeftButton, m, rowPoint(p, index, x));
        waitListed();
    }

    QStringList opened;
};

}  // namespace

TEST_F(WindowFixture, StartListsTheStartDirectoryWithIndicators)
{
    open();
    EXPECT_EQ(w->model(1).st.dir, work);
    EXPECT_EQ(names(1), (QStringList{"..", "alpha", "beta", "apple.txt", "banana.exe", "cherry"}));
    EXPECT_EQ(w->activepanel(), 1);
    EXPECT_EQ(w->model(1).current, 0);
    EXPECT_EQ(w->dirLabelText(1), work.toUpper());
    EXPECT_EQ(w->entriesText(1), QStringLiteral("6 entries"));
    EXPECT_TRUE(w->freeText(1).endsWith(QStringLiteral(" free")));
    EXPECT_TRUE(w->model(2).st.dir.isEmpty());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Zarvex"));
    // Panel 1's tab row selects the drive of its directory.
    EXPECT_EQ(w->gettabcontrol(1)->currentIndex(), 0);
    EXPECT_EQ(w->gettabcontrol(1)->tabs(), (QStringList{"Ah", "Bf"}));
}

TEST_F(WindowFixture, StatusButtonsCarryCaptionsAndHints)
{
    open();
    const char* captions[] = {"&Help", "&Copy", "&Delete", "&Rename", "M&ove", "&Make", "&Back",
                              "&Sort", "&Edit", "Dos (&n)", "&Tree", "<Size>", "Conf&ig", "&?"};
    const auto buttons = w->findChildren<QPushButton*>();
    ASSERT_EQ(buttons.size(), 14);
    for (const char* c : captions) {
        bool found = false;
        for (QPushButton* b : buttons)
            if (b->text() == QString::fromLatin1(c)) {
                found = true;
                EXPECT_FALSE(b->toolTip().isEmpty()) << c;
            }
        EXPECT_TRUE(found) << c;
    }
    EXPECT_TRUE(w->statusButton(QStringLiteral("back"))->isEnabled());
    // Commands that do not exist yet leave their buttons disabled.
    EXPECT_EQ(w->statusButton(QStringLiteral("copy"))->isEnabled(), w->hasCommand(QStringLiteral("copy")));
    EXPECT_EQ(w->statusButton(QStringLiteral("back"))->toolTip(),
              QStringLiteral("Go back a level towards the root directory"));
    // Without "hints" there are no tool tips.
    settings.hints = false;
    w->applyHints();
    EXPECT_TRUE(w->statusButton(QStringLiteral("back"))->toolTip().isEmpty());
    settings.hints = true;
    w->applyHints();
    EXPECT_EQ(w->statusButton(QStringLiteral("copy"))->toolTip(), QStringLiteral("Copy files and directories"));
}

TEST_F(WindowFixture, EnterAndLeaveDirectoriesKeepThePlace)
{
    open();
    key(Qt::Key_Down);
    EXPECT_EQ(currentName(1), QStringLiteral("alpha"));
    key(Qt::Key_Return);
    EXPECT_EQ(w->model(1).st.dir, work + QStringLiteral("/alpha"));
    EXPECT_EQ(w->model(1).st.historycount, 1);
    key(Qt::Key_Down);
    key(Qt::Key_Return);   // into "inner"
    EXPECT_EQ(w->model(1).st.dir, work + QStringLiteral("/alpha/inner"));
    type('b');
    EXPECT_EQ(w->model(1).st.dir, work + QStringLiteral("/alpha"));
    EXPECT_EQ(currentName(1), QStringLiteral("inner"));
    // ".." goes up too, and the history puts the bar back on "alpha".
    key(Qt::Key_Home);
    key(Qt::Key_Up, Qt::ControlModifier);
    key(Qt::Key_Return);
    EXPECT_EQ(w->model(1).st.dir, work);
    EXPECT_EQ(currentName(1), QStringLiteral("alpha"));
    EXPECT_EQ(w->model(1).st.historycount, 0);
    // Without history the first entry becomes current.
    type('b');
    EXPECT_EQ(w->model(1).st.dir, tmp.path());
    EXPECT_EQ(w->model(1).current, 0);
    // Backspace goes to the root of the drive and empties the history.
    key(Qt::Key_Backspace);
    EXPECT_EQ(w->model(1).st.dir, QStringLiteral("/"));
    EXPECT_FALSE(names(1).contains(QStringLiteral("..")));
}

TEST_F(WindowFixture, TaggingKeysAndTotals)
{
    open();
    key(Qt::Key_Space);   // ".." cannot be tagged; moves down
    EXPECT_EQ(w->model(1).numtagged(), 0);
    EXPECT_EQ(currentName(1), QStringLiteral("alpha"));
    type('A', Qt::ControlModifier);
    EXPECT_EQ(w->model(1).numtagged(), 3);
    EXPECT_EQ(w->dirInfoText(), QStringLiteral("15 bytes in 3 files selected"));
    type('u');
    EXPECT_EQ(w->model(1).numtagged(), 0);
    EXPECT_TRUE(w->dirInfoText().isEmpty());
    key(Qt::Key_Down, Qt::ShiftModifier);   // tags "alpha", moves to "beta"
    key(Qt::Key_Up, Qt::ShiftModifier);     // tags "beta", moves back
    EXPECT_TRUE(w->model(1).entries[1].tagged);
    EXPECT_TRUE(w->model(1).entries[2].tagged);
    type('T', Qt::ControlModifier);
    EXPECT_EQ(w->model(1).numtagged(), 5);
}

TEST_F(WindowFixture, TypeAheadAndCapsLockLetters)
{
    open();
    type('B', Qt::ShiftModifier);
    EXPECT_EQ(currentName(1), QStringLiteral("beta"));
    type('B', Qt::ShiftModifier);
    EXPECT_EQ(currentName(1), QStringLiteral("banana.exe"));
    type('C', Qt::ShiftModifier);
    EXPECT_EQ(currentName(1), QStringLiteral("cherry"));
    // A capital without Shift means Caps Lock: "B" acts as the b command (parent).
    QKeyEvent caps(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, QStringLiteral("B"));
    QApplication::sendEvent(w->getlistbox(1), &caps);
    waitListed();
    EXPECT_EQ(w->model(1).st.dir, tmp.path());
}

TEST_F(WindowFixture, DriveKeysAndPanelSwitching)
{
    open();
    key(Qt::Key_Right);   // panel 2 is empty: it cannot become active
    EXPECT_EQ(w->activepanel(), 1);
    key(Qt::Key_F2);      // drive B into the next free panel (2)
    EXPECT_EQ(w->model(2).st.dir, volB + QLatin1Char('/'));
    EXPECT_EQ(w->activepanel(), 2);
    EXPECT_EQ(names(2), (QStringList{"..", "onb"}));
    key(Qt::Key_Left);
    EXPECT_EQ(w->activepanel(), 1);
    // F1 on the drive the active panel shows: the next free panel shows the same directory.
    key(Qt::Key_F1);
    EXPECT_EQ(w->model(3).st.dir, work);
    EXPECT_EQ(w->activepanel(), 3);
    key(Qt::Key_Left);
    EXPECT_EQ(w->activepanel(), 2);
    // F3 names no drive here: nothing happens.
    key(Qt::Key_F3);
    EXPECT_EQ(w->activepanel(), 2);
}

TEST_F(WindowFixture, HighlightKeepsItsScreenRowAcrossPanels)
{
    open();
    key(Qt::Key_F1);   // panel 2 shows the same directory
    key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(w->model(2).current, 5);
    key(Qt::Key_Left);
    EXPECT_EQ(w->model(1).current, 5);
}

TEST_F(WindowFixture, FavouriteKeysWithoutFavourites)
{
    open();
    key(Qt::Key_F9);
    key(Qt::Key_F9, Qt::AltModifier);
    EXPECT_EQ(ui.messages(), (QStringList{"Set your favorite directory in the Config screen",
                                          "Set your second favorite directory in the Config screen"}));
    settings.favoriteDirectory = work + QStringLiteral("/beta");
    key(Qt::Key_F9);
    EXPECT_EQ(w->model(1).st.dir, work + QStringLiteral("/beta"));
    settings.favoriteDirectory2 = work + QStringLiteral("/nothere");
    key(Qt::Key_F9, Qt::AltModifier);
    EXPECT_TRUE(ui.shown(work + QStringLiteral("/nothere is not a directory")));
}

TEST_F(WindowFixture, MouseClicksOpenTagAndSelectRanges)
{
    open();
    // Left-margin click tags without opening.
    click(1, 3, Qt::NoModifier, 5);
    EXPECT_TRUE(w->model(1).entries[3].tagged);
    EXPECT_EQ(w->model(1).st.dir, work);
    // Ctrl-click toggles.
    click(1, 3, Qt::ControlModifier);
    EXPECT_FALSE(w->model(1).entries[3].tagged);
    // Shift-click 2 then Shift-click 5: 2..5 tagged; a third starts anew.
    click(1, 2, Qt::ShiftModifier);
    EXPECT_EQ(w->model(1).numtagged(), 1);
    click(1, 5, Qt::ShiftModifier);
    EXPECT_EQ(w->model(1).numtagged(), 4);
    click(1, 4, Qt::ShiftModifier);
    EXPECT_EQ(w->model(1).numtagged(), 1);
    // A single click opens: a file goes to the opener, a directory is entered.
    click(1, 3);
    EXPECT_EQ(opened, (QStringList{work + QStringLiteral("/apple.txt")}));
    click(1, 1);
    EXPECT_EQ(w->model(1).st.dir, work + QStringLiteral("/alpha"));
}

TEST_F(WindowFixture, DoubleClickOpensWhenSingleClickIsOff)
{
    settings.singleClick = false;
    open();
    click(1, 1);
    EXPECT_EQ(w->model(1).st.dir, work);
    EXPECT_EQ(w->model(1).current, 1);
    QTest::mouseDClick(w->getlistbox(1)->viewport(), Qt::LeftButton, Qt::NoModifier, rowPoint(1, 1));
    waitListed();
    EXPECT_EQ(w->model(1).st.dir, work + QStringLiteral("/alpha"));
}

TEST_F(WindowFixture, RelistingFollowsTheDisk)
{
    open();
    type('B', Qt::ShiftModifier);   // "beta"
    writeFile(work + QStringLiteral("/aardvark"), "");
    type('l');
    EXPECT_EQ(currentName(1), QStringLiteral("beta"));   // the place survives
    EXPECT_TRUE(names(1).contains(QStringLiteral("aardvark")));
    // Directory gone: the parent is shown; parent gone too: the root of the drive.
    key(Qt::Key_Up, Qt::ControlModifier);
    type('A', Qt::ShiftModifier);
    key(Qt::Key_Return);
    ASSERT_EQ(w->model(1).st.dir, work + QStringLiteral("/alpha"));
    QDir(work + QStringLiteral("/alpha")).removeRecursively();
    w->updatedrive(1);
    waitListed();
    EXPECT_EQ(w->model(1).st.dir, work);
    EXPECT_TRUE(ui.messages().isEmpty());
}

TEST_F(WindowFixture, SlowListingArrivesLater)
{
    MainWindowOptions opt;
    opt.syncListingMs = 0;   // never wait: every listing finishes asynchronously
    open(opt);
    QSignalSpy spy(w.get(), &MainWindow::listingApplied);
    key(Qt::Key_Down);
    key(Qt::Key_Return);
    waitListed();
    EXPECT_EQ(w->model(1).st.dir, work + QStringLiteral("/alpha"));
    EXPECT_EQ(names(1).size(), 7);
    EXPECT_GE(spy.count(), 1);
}

TEST_F(WindowFixture, NamesThatAreNotUtf8StayUsable)
{
    const QByteArray raw = QFile::encodeName(work) + "/dir\xE9x";
    ASSERT_EQ(mkdir(raw.constData(), 0755), 0);
    const QByteArray inside = raw + "/inside";
    const int fd = ::open(inside.constData(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ::close(fd);
    open();
    const int i = names(1).indexOf(QString::fromUtf8("dir\xEF\xBF\xBDx"));
    ASSERT_GE(i, 0);
    w->model(1).current = i;
    key(Qt::Key_Return);
    EXPECT_EQ(names(1), (QStringList{"..", "inside"}));
    ::unlink(inside.constData());
    ::rmdir(raw.constData());
}

TEST_F(WindowFixture, EmptyListShowsPlaceholder)
{
    const QString locked = work + QStringLiteral("/beta");
    open();
    w->fillb(1, QStringLiteral("/proc/1/fdinfo-no-such"), false);
    waitListed();
    // A directory that cannot be read leaves the panel's directory and lists nothing but ".".
    EXPECT_EQ(w->model(1).st.dir, work);
    EXPECT_EQ(names(1), (QStringList{"."}));
    (void)locked;
}

TEST_F(WindowFixture, QuittingAsksWhenPromptOnQuit)
{
    settings.promptOnQuit = true;
    open();
    ui.expectConfirm(false);
    key(Qt::Key_Escape);
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(ui.shown(QStringLiteral("Are you sure you want to quit?")));
    ui.expectConfirm(true);
    key(Qt::Key_Escape);
    EXPECT_FALSE(w->isVisible());
}

TEST_F(WindowFixture, EscapeQuitsAtOnceWithoutPrompt)
{
    open();
    key(Qt::Key_Escape);
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(ui.log().isEmpty());
}

TEST_F(WindowFixture, LayoutSteps)
{
    open();
    const int before = w->settings().formSize;
    key(Qt::Key_Comma, Qt::AltModifier);
    EXPECT_EQ(w->settings().formSize, before - 1);
    if (w->settings().formSize == 0) {
        key(Qt::Key_Comma, Qt::AltModifier);
        EXPECT_TRUE(ui.shown(QStringLiteral("Cannot shrink window any further")));
    }
}

TEST_F(WindowFixture, ShiftDeleteExplainsTheDeleteKeys)
{
    open();
    key(Qt::Key_Delete, Qt::ShiftModifier);
    ASSERT_EQ(ui.messages().size(), 1);
    EXPECT_EQ(ui.messages()[0], QStringLiteral("Press \"Del\" or \"D\" to delete a file quickly. Or\r\"Ctrl-Del\" or "
                                               "\"Ctrl-D\" to send file to the recycle bin."));
}

// ---- sorting through the dialog

TEST_F(WindowFixture, SortDialogChoicesApply)
{
    open();
    // Size order: files by size, ".." first.
    ui.expectAsk(QStringLiteral("sort"), 1);
    type('s');
    EXPECT_EQ(w->model(1).st.sortkind, 1);
    EXPECT_EQ(names(1), (QStringList{"..", "alpha", "beta", "cherry", "apple.txt", "banana.exe"}));
    // Escape keeps the order.
    ui.expectAsk(QStringLiteral("sort"), -1);
    type('s');
    EXPECT_EQ(w->model(1).st.sortkind, 1);
    // New listings keep the chosen order.
    writeFile(work + QStringLiteral("/big"), QByteArray(100, 'x'));
    type('l');
    EXPECT_EQ(names(1).last(), QStringLiteral("big"));
    // None lists again in the file system's order; Name sorts without reading.
    ui.expectAsk(QStringLiteral("sort"), 4);
    type('s');
    EXPECT_EQ(w->model(1).st.sortkind, 4);
    ui.expectAsk(QStringLiteral("sort"), 0);
    type('s');
    EXPECT_EQ(names(1), (QStringList{"..", "alpha", "beta", "apple.txt", "banana.exe", "big", "cherry"}));
}

TEST(SortForm, KeysAndClicksChooseAtOnce)
{
    struct Case {
        int key;
        Qt::KeyboardModifiers mods;
        int kind;
        bool accepted;
    } cases[] = {{Qt::Key_N, Qt::NoModifier, 0, true}, {Qt::Key_S, Qt::ShiftModifier, 1, true},
                 {Qt::Key_T, Qt::AltModifier, 2, true}, {Qt::Key_E, Qt::NoModifier, 3, true},
                 {Qt::Key_O, Qt::NoModifier, 4, true},  {Qt::Key_Escape, Qt::NoModifier, 2, false}};
    for (const Case& c : cases) {
        TSortForm f(2);
        f.show();
        QTest::keyClick(&f, Qt::Key(c.key), c.mods);
        EXPECT_EQ(f.result() == QDialog::Accepted, c.accepted) << c.key;
        EXPECT_EQ(f.sortkind(), c.kind) << c.key;
    }
    // Releasing the mouse over the checked choice takes it.
    TSortForm f(3);
    f.show();
    auto* r = f.findChild<QRadioButton*>(QStringLiteral("RadioButton4"));
    ASSERT_TRUE(r);
    QTest::mouseClick(r, Qt::LeftButton);
    EXPECT_EQ(f.result(), QDialog::Accepted);
    EXPECT_EQ(f.sortkind(), 3);
    // Ok takes the checked choice.
    TSortForm g(1);
    g.show();
    QTest::mouseClick(g.findChild<QPushButton*>(QStringLiteral("OkButton")), Qt::LeftButton);
    EXPECT_EQ(g.sortkind(), 1);
}

// ---- following the disk

TEST_F(WindowFixture, ChangesOnDiskReListOncePerBurst)
{
    MainWindowOptions opt;
    opt.settleMs = 300;
    open(opt);
    QSignalSpy spy(w.get(), &MainWindow::listingApplied);
    type('B', Qt::ShiftModifier);   // "beta" current
    spy.clear();
    for (int i = 0; i < 50; ++i)
        writeFile(work + QStringLiteral("/new%1").arg(i), "");
    QFile::rename(work + QStringLiteral("/cherry"), work + QStringLiteral("/cherry2"));
    QFile::remove(work + QStringLiteral("/apple.txt"));
    ASSERT_TRUE(waitUntil([&] { return names(1).contains(QStringLiteral("new49")); }, 5000));
    QTest::qWait(500);
    EXPECT_EQ(spy.count(), 1);   // one re-listing for the whole burst
    EXPECT_EQ(currentName(1), QStringLiteral("beta"));
    EXPECT_TRUE(names(1).contains(QStringLiteral("cherry2")));
    EXPECT_FALSE(names(1).contains(QStringLiteral("apple.txt")));
}

TEST_F(WindowFixture, SuspendedPanelWaitsAndClickReListsFirst)
{
    MainWindowOptions opt;
    opt.settleMs = 60000;   // only stopnotify can re-list in time
    open(opt);
    w->disableupdating(1);
    writeFile(work + QStringLiteral("/during"), "");
    ASSERT_TRUE(waitUntil([&] { return w->refreshPending(1); }));
    w->stopnotify(1);
    EXPECT_FALSE(names(1).contains(QStringLiteral("during")));   // suspended
    w->enableupdating(1);
    writeFile(work + QStringLiteral("/after"), "");
    ASSERT_TRUE(waitUntil([&] { return w->refreshPending(1); }));
    // A click acts on fresh contents: the waiting re-listing happens first.
    click(1, 0, Qt::NoModifier, 5);
    EXPECT_TRUE(names(1).contains(QStringLiteral("after")));
    EXPECT_TRUE(names(1).contains(QStringLiteral("during")));
}

TEST_F(WindowFixture, DeletedDirectoryMovesPanelToParentQuietly)
{
    MainWindowOptions opt;
    opt.settleMs = 100;
    open(opt);
    type('A', Qt::ShiftModifier);
    key(Qt::Key_Return);
    ASSERT_EQ(w->model(1).st.dir, work + QStringLiteral("/alpha"));
    QDir(work + QStringLiteral("/alpha")).removeRecursively();
    ASSERT_TRUE(waitUntil([&] { return w->model(1).st.dir == work; }));
    EXPECT_TRUE(ui.messages().isEmpty());
}

TEST_F(WindowFixture, TwoPanelsOnOneDirectoryBothFollow)
{
    MainWindowOptions opt;
    opt.settleMs = 100;
    open(opt);
    key(Qt::Key_F1);   // panel 2 shows the same directory
    writeFile(work + QStringLiteral("/shared"), "");
    ASSERT_TRUE(waitUntil([&] {
        return names(1).contains(QStringLiteral("shared")) && names(2).contains(QStringLiteral("shared"));
    }));
}

// ---- mouse trails

TEST_F(WindowFixture, MouseTrailsSelectAfterRestingAndFocusFollows)
{
    settings.mouseTrails = true;
    open();
    key(Qt::Key_F1);   // panel 2 active, same directory
    ASSERT_EQ(w->activepanel(), 2);
    QTest::mouseMove(w->getlistbox(1)->viewport(), rowPoint(1, 4));
    QTest::qWait(20);
    EXPECT_EQ(w->activepanel(), 1);   // focus follows the mouse at once
    // The next movement over the entry lights it and starts the delay.
    QTest::mouseMove(w->getlistbox(1)->viewport(), rowPoint(1, 4) + QPoint(3, 0));
    EXPECT_EQ(w->model(1).hoverindex, 4);
    ASSERT_TRUE(waitUntil([&] { return w->model(1).current == 4; }, 2000));   // after 0.6 s
}

// ---- right-click menu

namespace {
QStringList topCaptions(QMenu* m)
{
    QStringList out;
    for (QAction* a : m->actions())
        out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}
QAction* findAction(QMenu* m, const QString& text)
{
    for (QAction* a : m->actions()) {
        if (a->text() == text)
            return a;
        if (a->menu())
            if (QAction* sub = findAction(a->menu(), text))
                return sub;
    }
    return nullptr;
}
}  // namespace

TEST_F(WindowFixture, RightClickMenuForFilesAndDirectories)
{
    open();
    QStringList fileMenu, dirMenu, placeMenu;
    bool sortEnabled = false, encryptEnabled = true;
    w->menuHook = [&](QMenu* m) {
        fileMenu = topCaptions(m);
        sortEnabled = findAction(m, QStringLiteral("Sort   (S)"))->isEnabled();
        encryptEnabled = findAction(m, QStringLiteral("Encrypt"))->isEnabled();
    };
    QTest::mouseClick(w->getlistbox(1)->viewport(), Qt::RightButton, Qt::NoModifier, rowPoint(1, 3));
    EXPECT_EQ(fileMenu, (QStringList{"Open/Execute", "Open with", "-", "View    (V)", "ZX Edit", "ZX Zip/Rar functions",
                                     "ZX File encryption", "-", "Rename   (R)", "Delete   (D)",
                                     "Make Directory/Folder   (M)", "-", "File associations", "-", "Sort   (S)",
                                     "Browse Directory Tree   (T)", "ZX Utilites", "ZX Go to . . .", "-",
                                     "Properties"}));
    EXPECT_TRUE(sortEnabled);
    EXPECT_EQ(encryptEnabled, w->hasCommand(QStringLiteral("encrypt")));

    w->menuHook = [&](QMenu* m) { dirMenu = topCaptions(m); };
    QTest::mouseClick(w->getlistbox(1)->viewport(), Qt::RightButton, Qt::NoModifier, rowPoint(1, 1));
    EXPECT_FALSE(dirMenu.contains(QStringLiteral("View    (V)")));
    EXPECT_FALSE(dirMenu.contains(QStringLiteral("ZX Edit")));
    EXPECT_FALSE(dirMenu.contains(QStringLiteral("System context menu")));
    EXPECT_FALSE(dirMenu.contains(QStringLiteral("Create Desktop Shortcut")));
    EXPECT_EQ(dirMenu.indexOf(QStringLiteral("File associations")) - 1,
              dirMenu.indexOf(QStringLiteral("Make Directory/Folder   (M)")));   // no separator between

    // Below the entries: the directory's own menu.
    w->menuHook = [&](QMenu* m) { placeMenu = topCaptions(m); };
    QTest::mouseClick(w->getlistbox(1)->viewport(), Qt::RightButton, Qt::NoModifier,
                      QPoint(60, w->getlistbox(1)->viewport()->height() - 3));
    EXPECT_FALSE(placeMenu.contains(QStringLiteral("Open/Execute")));
    EXPECT_TRUE(placeMenu.contains(QStringLiteral("Make Directory/Folder   (M)")));
    EXPECT_FALSE(placeMenu.contains(QStringLiteral("Delete   (D)")));
}

TEST_F(WindowFixture, MenuItemsRunTheirCommands)
{
    open();
    ui.expectAsk(QStringLiteral("sort"), 2);
    w->menuHook = [&](QMenu* m) { findAction(m, QStringLiteral("Sort   (S)"))->trigger(); };
    QTest::mouseClick(w->getlistbox(1)->viewport(), Qt::RightButton, Qt::NoModifier, rowPoint(1, 3));
    EXPECT_EQ(w->model(1).st.sortkind, 2);
    // The entries a command works on: the tagged ones, else the current one.
    click(1, 3, Qt::ControlModifier);
    click(1, 5, Qt::ControlModifier);
    EXPECT_EQ(w->selectedPaths(1).size(), 2);
    type('u');
    w->model(1).current = 0;
    EXPECT_TRUE(w->selectedPaths(1).isEmpty());   // ".." is never a target
}

// ---- drives coming and going

TEST_F(WindowFixture, RemovedDriveEmptiesItsPanel)
{
    bool withB = true;
    const QString b = volB;
    MainWindowOptions opt;
    opt.volumes = [&withB, b] {
        QList<platform::Volume> v;
        platform::Volume a;
        a.letter = QLatin1Char('A');
        a.root = QStringLiteral("/");
        v << a;
        if (withB) {
            platform::Volume x;
            x.letter = QLatin1Char('B');
            x.root = b + QLatin1Char('/');
            x.type = platform::DriveType::Removable;
            v << x;
        }
        return v;
    };
    open(opt);
    key(Qt::Key_F1);                     // panel 2: the same directory
    key(Qt::Key_Right);                  // nothing in panel 3 yet
    w->opendrive(QLatin1Char('B'), QString(), 3);
    waitListed();
    ASSERT_EQ(w->activepanel(), 3);
    ASSERT_EQ(w->model(3).st.dir, volB + QLatin1Char('/'));
    withB = false;
    QDir(volB).removeRecursively();      // the medium is gone
    w->rereadtabs();
    waitListed();
    EXPECT_TRUE(w->model(3).st.dir.isEmpty());
    EXPECT_EQ(w->activepanel(), 2);
    EXPECT_EQ(w->gettabcontrol(3)->currentIndex(), 0);
    EXPECT_EQ(w->gettabcontrol(1)->tabs(), (QStringList{"Ah"}));
    EXPECT_EQ(w->model(1).st.dir, work);   // the others stay where they were
}

TEST_F(WindowFixture, HoldingCtrlTogglesTheTagOnce)
{
    open();
    type('A', Qt::ShiftModifier);   // "alpha"
    type('A', Qt::ShiftModifier);   // "apple.txt"
    const int i = w->model(1).current;
    QTest::keyPress(w->getlistbox(1), Qt::Key_Control, Qt::ControlModifier);
    ASSERT_TRUE(waitUntil([&] { return w->model(1).entries[i].tagged; }, 2000));
    QTest::qWait(700);
    EXPECT_TRUE(w->model(1).entries[i].tagged);   // once, not again
    QTest::keyRelease(w->getlistbox(1), Qt::Key_Control, Qt::NoModifier);
}

// ---- the whole key map, table-driven

TEST_F(WindowFixture, EveryKeyOfTheMapReachesItsCommand)
{
    open();
    QStringList calls;
    int nKeys = 0, nChars = 0;
    const KeyBinding* keys = keyBindings(&nKeys);
    const CharBinding* chars = charBindings(&nChars);
    for (int i = 0; i < nKeys; ++i) {
        const QString id = QString::fromLatin1(keys[i].command);
        w->registerCommand(id, [&calls, id] { calls << id; });
    }
    for (int i = 0; i < nChars; ++i) {
        const QString id = QString::fromLatin1(chars[i].command);
        w->registerCommand(id, [&calls, id] { calls << id; });
    }
    auto modsOf = [](Mods m) {
        switch (m) {
        case Mods::Shift: return Qt::KeyboardModifiers(Qt::ShiftModifier);
        case Mods::Ctrl: return Qt::KeyboardModifiers(Qt::ControlModifier);
        case Mods::Alt: return Qt::KeyboardModifiers(Qt::AltModifier);
        default: return Qt::KeyboardModifiers(Qt::NoModifier);
        }
    };
    for (int i = 0; i < nKeys; ++i) {
        calls.clear();
        QTest::keyClick(w->getlistbox(w->activepanel()), Qt::Key(keys[i].key), modsOf(keys[i].mods));
        EXPECT_EQ(calls, QStringList{QString::fromLatin1(keys[i].command)})
            << "key " << std::hex << keys[i].key << " mods " << int(keys[i].mods);
    }
    for (int i = 0; i < nChars; ++i) {
        const char c = char(chars[i].ch);
        calls.clear();
        QTest::keyClick(w->getlistbox(w->activepanel()), c);
        EXPECT_EQ(calls, QStringList{QString::fromLatin1(chars[i].command)}) << c;
        // With Caps Lock on, the capital letter typed without Shift acts the same.
        calls.clear();
        QKeyEvent caps(QEvent::KeyPress, Qt::Key_A + (c - 'a'), Qt::NoModifier, QString(QChar(c).toUpper()));
        QApplication::sendEvent(w->getlistbox(w->activepanel()), &caps);
        EXPECT_EQ(calls, QStringList{QString::fromLatin1(chars[i].command)}) << "caps " << c;
    }
    // Letters without a command, digits and Alt+letters do nothing.
    calls.clear();
    for (char c : {'a', 'g', 'j', 'k', 'q', 'w', 'x', 'y', '1'})
        QTest::keyClick(w->getlistbox(w->activepanel()), c);
    QTest::keyClick(w->getlistbox(w->activepanel()), Qt::Key_C, Qt::AltModifier);
    EXPECT_TRUE(calls.isEmpty()) << calls.join(QLatin1Char(',')).toStdString();
}

// ---- lifecycle: settings at the end, first run, portable mode

TEST_F(WindowFixture, ClosingWritesSettingsUnlessPortable)
{
    QSettings probe(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("HathelSoftware"),
                    QStringLiteral("Zarvex"));
    probe.clear();
    probe.sync();
    // Portable (the fixture's default): nothing is written.
    open();
    key(Qt::Key_Escape);
    probe.sync();
    EXPECT_TRUE(probe.allKeys().isEmpty());

    // Installed: every value is written at the end; the first run is over.
    MainWindowOptions opt;
    opt.portablemode = false;
    opt.startdir = work;
    opt.openFile = [](const QString&, const QString&, QString*) { return true; };
    Settings s2;
    MainWindow w2(s2, ui, opt);
    w2.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w2));
    ASSERT_TRUE(waitUntil([&] { return !s2.firstRun; }));
    w2.close();
    probe.sync();
    EXPECT_EQ(probe.value(QStringLiteral("FirstRun")).toString(), QStringLiteral("0"));
    EXPECT_EQ(probe.value(QStringLiteral("FormSize")).toString(), QString::number(s2.formSize));
    EXPECT_EQ(probe.value(QStringLiteral("width")).toString(), QString::number(w2.width()));
    EXPECT_EQ(probe.value(QStringLiteral("Colors1")).toByteArray().size(), 120);
}

TEST_F(WindowFixture, StartMinimizedOnlyAtTheFirstShow)
{
    MainWindowOptions opt;
    opt.startMinimized = true;
    open(opt);
    ASSERT_TRUE(waitUntil([&] { return w->isMinimized(); }));
    w->showNormal();
    w->hide();
    w->show();
    QTest::qWait(50);
    EXPECT_FALSE(w->isMinimized());
}

TEST_F(WindowFixture, LongDirectoryNamesAreShortenedInTheLabel)
{
    QString deep = work;
    for (const char* part : {"first-level-directory", "second-level-directory", "third-level-directory", "last"})
        deep += QLatin1Char('/') + QLatin1String(part);
    QDir().mkpath(deep);
    open();
    w->fillb(1, deep, false);
    waitListed();
    const QString label = w->dirLabelText(1);
    EXPECT_TRUE(label.contains(QStringLiteral(" . . /LAST"))) << label.toStdString();
    EXPECT_LT(label.size(), deep.size());
    EXPECT_TRUE(label.startsWith(QStringLiteral("/")));
}

TEST(MountWatch, MountingAVolumeAddsItsTab)
{
    QTemporaryDir tmp;
    const QByteArray mp = QFile::encodeName(tmp.path() + QStringLiteral("/mnt"));
    QDir().mkpath(tmp.path() + QStringLiteral("/mnt"));
    Settings settings;
    ScriptedUserInterface ui;
    MainWindowOptions opt;
    opt.startdir = tmp.path();
    opt.portablemode = true;
    MainWindow w(settings, ui, opt);   // the machine's real volumes
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    const int before = w.gettabcontrol(1)->count();
    if (mount("zxtabs", mp.constData(), "tmpfs", 0, "size=1m") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here";
    const bool grew = waitUntil([&] { return w.gettabcontrol(1)->count() == before + 1; }, 5000);
    umount(mp.constData());
    EXPECT_TRUE(grew);
    EXPECT_TRUE(waitUntil([&] { return w.gettabcontrol(1)->count() == before; }, 5000));
}

TEST_F(WindowFixture, BackToAVanishedParentSaysSoAndKeepsThePanel)
{
    open();
    w->fillb(1, work + QStringLiteral("/alpha/inner"), false);
    waitListed();
    const QStringList before = names(1);
    QDir(work + QStringLiteral("/alpha")).removeRecursively();
    type('b');
    EXPECT_EQ(ui.messages(), QStringList{QStringLiteral("Directory does not exist")});
    EXPECT_EQ(w->model(1).st.dir, work + QStringLiteral("/alpha/inner"));
    EXPECT_EQ(names(1), before);
    // Entering a directory that vanished after it was listed does nothing.
    w->fillb(1, work, false);
    waitListed();
    QDir(work + QStringLiteral("/beta")).removeRecursively();
    type('B', Qt::ShiftModifier);
    ASSERT_EQ(currentName(1), QStringLiteral("beta"));
    key(Qt::Key_Return);
    EXPECT_EQ(w->model(1).st.dir, work);
    EXPECT_EQ(w->model(1).st.historycount, 0);
}

TEST_F(WindowFixture, RightClickOnATabShowsTheDrive)
{
    open();
    QTest::mouseClick(w->gettabcontrol(1), Qt::RightButton, Qt::NoModifier, QPoint(26 + 5, 5));   // tab B
    ASSERT_EQ(ui.messages().size(), 1);
    EXPECT_TRUE(ui.messages()[0].startsWith(QStringLiteral("Drive B:  ") + volB + QLatin1Char('/')));
    EXPECT_TRUE(ui.messages()[0].contains(QStringLiteral("(Removable)")));
    EXPECT_TRUE(ui.messages()[0].contains(QStringLiteral(" free of ")));
    EXPECT_EQ(w->model(1).st.dir, work);   // no listing
}
