// The find files window, driven offscreen through its fields, buttons and keys.
#include "search/findform.h"

#include "support/scripteduserinterface.h"
#include "support/testenv.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace zx;
using zx::test::waitUntil;
using zx::test::writeFile;

namespace {

struct FakeFindHost : FindHost {
    QStringList opened;
    QList<QPair<QString, QString>> located;
    QList<int> help;
    void openFile(const QString& p) override { opened << p; }
    void locate(const QString& d, const QString& n) override { located.append({d, n}); }
    void showHelp(int t) override { help << t; }
};

struct FindWindowTest : ::testing::Test {
    QTemporaryDir disk;
    QString root;
    FakeFindHost host;
    test::ScriptedUserInterface ui;
    FindOptions opts;
    std::unique_ptr<FindFilesLauncher> launcher;

    void SetUp() override
    {
        root = disk.path() + QLatin1Char('/');
        writeFile(root + "readme.txt", "hello world, hello");
        writeFile(root + "notes.TXT", QByteArray(100, 'x'));
        writeFile(root + "data.bin", QByteArray(20, 'y') + "hello");
        writeFile(root + "sub/deep.txt", "Hello again");
        writeFile(root + "sub/empty.txt", "");
        launcher = std::make_unique<FindFilesLauncher>(host, ui, opts);
    }
    void TearDown() override
    {
        if (launcher->window())
            delete launcher->window();
    }

    Tfilefindform* open() { return launcher->onKeyF(disk.path()); }

    // Types the fields, starts and waits for the end.
    void search(Tfilefindform* f, const QString& text, const QString& names)
    {
        f->edtString->setEditText(text);
        f->edtFiles->setEditText(names);
        QTest::mouseClick(f->startbutton, Qt::LeftButton);
        ASSERT_TRUE(waitUntil([&] { return !f->isRunning(); }, 10000));
    }

    static QStringList column(Tfilefindform* f, int c)
    {
        QStringList out;
        for (int r = 0; r < f->results()->rowCount(); ++r)
            out << f->results()->index(r, c).data().toString();
        return out;
    }
};

}  // namespace

TEST(FindWindowRules, NamePatternFromTheField)
{
    struct C { const char* field; const char* pattern; } cases[] = {
        {"*.txt  (text files)", "*.txt"}, {"*.htm*  (html files)", "*.htm*"}, {"", "*.*"},
        {"   ", "*.*"}, {"(all)", "*.*"}, {"report?.doc", "report?.doc"},
        {"/home/me/notes.txt", "notes.txt"}, {"a b.txt   ", "a b.txt"},
    };
    for (const C& c : cases)
        EXPECT_EQ(Tfilefindform::namePatternFrom(c.field), QString::fromUtf8(c.pattern)) << c.field;
}

TEST(FindWindowRules, Histories)
{
    QStringList h{"a", "b"};
    Tfilefindform::addToHistory(h, "c", 3, false);
    EXPECT_EQ(h, (QStringList{"c", "a", "b"}));
    Tfilefindform::addToHistory(h, "d", 3, false);   // full: the last one goes
    EXPECT_EQ(h, (QStringList{"d", "c", "a"}));
    Tfilefindform::addToHistory(h, "c", 3, false);   // already there
    Tfilefindform::addToHistory(h, "  ", 3, false);  // blank
    EXPECT_EQ(h, (QStringList{"d", "c", "a"}));
    QStringList names{"*.txt  (text files)"};
    Tfilefindform::addToHistory(names, "*.TXT", 14, true);   // contained in an item
    EXPECT_EQ(names.size(), 1);
    Tfilefindform::addToHistory(names, "*.md", 14, true);
    EXPECT_EQ(names.first(), QStringLiteral("*.md"));
}

TEST_F(FindWindowTest, FreshWindow)
{
    Tfilefindform* f = open();
    EXPECT_EQ(f->windowTitle(), QStringLiteral("Searching: ") + disk.path());
    EXPECT_EQ(f->edtFiles->currentText(), QStringLiteral("*.*  (all files)"));
    EXPECT_EQ(f->edtFiles->count(), 7);
    EXPECT_TRUE(f->edtString->currentText().isEmpty());
    EXPECT_FALSE(f->cscb->isChecked());
    EXPECT_TRUE(f->sfcb->isChecked());
    EXPECT_EQ(f->results()->index(0, 0).data().toString(),
              QStringLiteral("To search, fill out items on the left (to search for file names only, leave "
                             "\"Text to find\" blank)."));
    EXPECT_EQ(f->sg->columnSpan(0, 0), 4);
    // Centred on the screen when no place was saved.
    const QRect scr = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(qAbs(f->geometry().center().x() - scr.center().x()), 2);
}

TEST_F(FindWindowTest, SavedPlaceIsKeptOnTheScreen)
{
    const QRect scr = QGuiApplication::primaryScreen()->availableGeometry();
    opts.ffleft = scr.width() - 100;   // reaches past the right edge: moves to 0
    opts.fftop = -20;                  // negative: 0
    opts.ffwidth = 500;
    opts.ffheight = scr.height() + 300;   // cut to the screen
    opts.caseSensitive = true;
    opts.recursive = false;
    Tfilefindform* f = open();
    EXPECT_EQ(f->pos(), QPoint(0, 0));
    EXPECT_EQ(f->height(), scr.height());
    EXPECT_TRUE(f->cscb->isChecked());
    EXPECT_FALSE(f->sfcb->isChecked());
}

TEST_F(FindWindowTest, SearchFillsTheGridAndCounts)
{
    Tfilefindform* f = open();
    search(f, "hello", "*.*  (all files)");
    EXPECT_EQ(f->lblCurrent->text(), QStringLiteral("- Search completed -"));
    EXPECT_EQ(f->startbutton->text(), QStringLiteral("&Start"));
    EXPECT_EQ(f->filesfoundlabel->text(), QStringLiteral("3 matching files found"));
    // Sorted by name at the end; folders end in "/".
    EXPECT_EQ(column(f, 0), (QStringList{"data.bin", "deep.txt", "readme.txt"}));
    EXPECT_EQ(column(f, 1), (QStringList{root, root + "sub/", root}));
    EXPECT_EQ(f->sg->currentIndex().row(), 0);
    EXPECT_TRUE(f->Progress->isHidden());
    // Each column its share of the grid.
    const int w = f->sg->viewport()->width();
    EXPECT_EQ(f->sg->columnWidth(1), qRound(w * 0.42));
    EXPECT_EQ(f->results()->index(0, 2).data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight, int(Qt::AlignRight));

    search(f, "", "notes.txt");
    EXPECT_EQ(f->filesfoundlabel->text(), QStringLiteral("1 matching file found"));
    search(f, "absent text", "*.*");
    EXPECT_EQ(f->filesfoundlabel->text(), QStringLiteral("0 matching files found"));
    EXPECT_EQ(f->sg->columnWidth(0), f->sg->viewport()->width());   // the first column spans the grid

    // Histories: the texts typed went in front.
    EXPECT_EQ(f->edtString->itemText(0), QStringLiteral("absent text"));
    EXPECT_EQ(f->edtString->itemText(1), QStringLiteral("hello"));
    EXPECT_EQ(f->edtFiles->itemText(0), QStringLiteral("notes.txt"));
}

TEST_F(FindWindowTest, PatternFromTheHistoryCaseAndFolderOptions)
{
    Tfilefindform* f = open();
    f->edtFiles->setCurrentIndex(f->edtFiles->findText("*.txt  (text files)"));
    QTest::mouseClick(f->startbutton, Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return !f->isRunning(); }));
    EXPECT_EQ(f->hitCount(), 4);   // empty files too when no text is given
    EXPECT_EQ(f->edtFiles->count(), 7);   // the history already held that pattern

    f->cscb->setChecked(true);
    search(f, "Hello", "*.txt");
    EXPECT_EQ(column(f, 0), QStringList{"deep.txt"});
    f->sfcb->setChecked(false);
    search(f, "hello", "*.txt");
    EXPECT_EQ(column(f, 0), QStringList{"readme.txt"}) << f->edtString->currentText().toStdString() << f->cscb->isChecked() << f->sfcb->isChecked() << f->edtFiles->currentText().toStdString();
    f->sfcb->setChecked(true);
    f->foldercb->setChecked(true);
    search(f, "hello", "s*");
    EXPECT_EQ(column(f, 0), QStringList{"sub"});
    EXPECT_EQ(column(f, 2), QStringList{"0"});
}

TEST_F(FindWindowTest, ANamePatternInTheTextFieldAsksFirst)
{
    Tfilefindform* f = open();
    ui.expectConfirm(false);
    f->edtString->setEditText("*.txt");
    QTest::mouseClick(f->startbutton, Qt::LeftButton);
    EXPECT_FALSE(f->isRunning());
    EXPECT_TRUE(ui.shown("You should enter it in the SECOND edit box. Proceed (Y/N)?"));
    EXPECT_EQ(f->startbutton->text(), QStringLiteral("&Start"));

    ui.expectConfirm(true);
    search(f, "readme.*", "*.*");
    EXPECT_EQ(ui.log().size(), 2);
    EXPECT_EQ(f->lblCurrent->text(), QStringLiteral("- Search completed -"));
}

TEST_F(FindWindowTest, SortingByClickingTheHeadings)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    writeFile(root + "Big.txt", QByteArray(1500, 'z'));
    Tfilefindform* f = open();
    f->sfcb->setChecked(false);
    search(f, "", "*");
    EXPECT_EQ(column(f, 0), (QStringList{"Big.txt", "data.bin", "notes.TXT", "readme.txt"}));   // no regard to case
    QHeaderView* h = f->sg->horizontalHeader();
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, QPoint(h->sectionViewportPosition(2) + 5, 5));
    EXPECT_EQ(column(f, 2), (QStringList{"18", "25", "100", "1,500"}));   // numerically
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, QPoint(h->sectionViewportPosition(2) + 5, 5));
    EXPECT_EQ(column(f, 2), (QStringList{"1,500", "100", "25", "18"}));
    QLocale::setDefault(QLocale::c());
}

TEST_F(FindWindowTest, OpenLocateAndDoubleClick)
{
    Tfilefindform* f = open();
    search(f, "hello", "*.txt");
    ASSERT_EQ(f->hitCount(), 2);
    f->sg->setCurrentIndex(f->results()->index(0, 0));   // deep.txt
    f->Oen1Click();
    f->Locate1Click();
    EXPECT_EQ(host.opened, QStringList{root + "sub/deep.txt"});
    ASSERT_EQ(host.located.size(), 1);
    EXPECT_EQ(host.located[0].first, root + "sub");
    EXPECT_EQ(host.located[0].second, QStringLiteral("deep.txt"));

    // A double click opens only when single clicks do not.
    f->show();
    const QRect cell = f->sg->visualRect(f->results()->index(1, 0));
    QTest::mouseDClick(f->sg->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(host.opened.size(), 1);
    opts.singleClick = false;
    QTest::mouseDClick(f->sg->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(host.opened.last(), root + "readme.txt");
}

TEST_F(FindWindowTest, ThreeGigabyteFileShowsItsFullSize)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QFile big(root + "huge.iso");
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(3LL * 1024 * 1024 * 1024));
    big.close();
    Tfilefindform* f = open();
    search(f, "", "*.iso");
    EXPECT_EQ(column(f, 2), QStringList{"3,221,225,472"});
    QLocale::setDefault(QLocale::c());
}

TEST_F(FindWindowTest, StopAndCloseWhileSearching)
{
    // Enough files that the search is still going when Stop is pressed.
    for (int i = 0; i < 400; ++i)
        writeFile(root + QStringLiteral("many/d%1/f.txt").arg(i), QByteArray(300000, 'a'));
    Tfilefindform* f = open();
    f->setRefreshInterval(10);
    f->edtString->setEditText("needle-not-there");
    QTest::mouseClick(f->startbutton, Qt::LeftButton);
    EXPECT_TRUE(f->isRunning());
    EXPECT_EQ(f->startbutton->text(), QStringLiteral("&Stop"));
    EXPECT_EQ(f->lblCurrent->text(), QStringLiteral("Searching . . ."));
    QTest::mouseClick(f->startbutton, Qt::LeftButton);   // "&Stop"
    ASSERT_TRUE(waitUntil([&] { return !f->isRunning(); }));
    EXPECT_EQ(f->lblCurrent->text(), QStringLiteral("- Search cancelled -"));

    // Closing during a search stops it; the window goes once the end arrives.
    f->edtString->setEditText("still not there");
    QTest::mouseClick(f->startbutton, Qt::LeftButton);
    EXPECT_TRUE(f->isRunning());
    QPointer<Tfilefindform> watch = f;
    f->move(33, 44);
    QTest::keyClick(f, Qt::Key_Escape);
    ASSERT_TRUE(waitUntil([&] { return watch.isNull(); }));
    EXPECT_EQ(launcher->window(), nullptr);
    EXPECT_EQ(opts.ffleft, 33);
    EXPECT_EQ(opts.fftop, 44);
    EXPECT_EQ(opts.textHistory.first(), QStringLiteral("still not there"));
}

TEST_F(FindWindowTest, OneWindowAndHistoriesFromOneWindowToTheNext)
{
    Tfilefindform* a = launcher->onCtrlF(QStringLiteral("/"));
    EXPECT_EQ(a->windowTitle(), QStringLiteral("Searching: /"));
    EXPECT_EQ(launcher->onCtrlF(QStringLiteral("/")), a);    // the same window again
    EXPECT_EQ(launcher->onKeyF(disk.path()), a);
    EXPECT_EQ(a->startDirectory(), QStringLiteral("/"));

    a->sfcb->setChecked(false);
    search(a, "hello", "*.md");
    QTest::mouseClick(a->helpbutton, Qt::LeftButton);
    QTest::keyClick(a, Qt::Key_F1);
    EXPECT_EQ(host.help, (QList<int>{4, 4}));
    QPointer<Tfilefindform> watch = a;
    QTest::mouseClick(a->closebutton, Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return watch.isNull(); }));
    EXPECT_FALSE(opts.recursive);

    Tfilefindform* b = launcher->onKeyF(disk.path());
    EXPECT_EQ(b->startDirectory(), disk.path());
    EXPECT_EQ(b->edtString->itemText(0), QStringLiteral("hello"));
    EXPECT_EQ(b->edtFiles->itemText(0), QStringLiteral("*.md"));
    EXPECT_EQ(b->edtFiles->currentText(), QStringLiteral("*.*  (all files)"));
    EXPECT_FALSE(b->sfcb->isChecked());
    // Ctrl+F on a fresh window checks "Search subfolders".
    delete b;
    Tfilefindform* c = launcher->onCtrlF(root);
    EXPECT_TRUE(c->sfcb->isChecked());
}

TEST_F(FindWindowTest, EnterStartsTheSearch)
{
    Tfilefindform* f = open();
    f->show();
    QApplication::setActiveWindow(f);
    f->edtString->setFocus();
    f->edtString->setEditText("hello");
    QTest::keyClick(f->edtString->lineEdit(), Qt::Key_Return);
    ASSERT_TRUE(waitUntil([&] { return f->lblCurrent->text() == QStringLiteral("- Search completed -"); }));
    EXPECT_EQ(f->hitCount(), 3);
}
