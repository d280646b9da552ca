// The tree window, its initialisation dialog and its keys, driven offscreen.
#include "tree/treeform.h"
#include "tree/treeinit.h"
#include "tree/treescan.h"

#include "support/scripteduserinterface.h"
#include "support/testenv.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <gtest/gtest.h>

using namespace zx;

namespace {

struct FakeHost : TreeHost {
    QString active;
    QList<QPair<QString, bool>> opened;
    int focusCalls = 0;
    QList<ListedDirectory> listed;
    QStringList statusTexts;
    QList<int> helpTopics;

    QString activePanelDir() const override { return active; }
    void openDirectory(const QString& path, bool other) override { opened.append({path, other}); }
    void focusActivePanel() override { ++focusCalls; }
    QList<ListedDirectory> listedDirectories() const override { return listed; }
    void setStatusText(const QString& t) override { statusTexts << t; }
    void showHelp(int topic) override { helpTopics << topic; }
};

// Runs action on the modal window called `name` as soon as it is shown. A
// window that never comes fails the test and closes whatever is modal.
void whenShown(const QString& name, std::function<void(QWidget*)> action)
{
    auto* t = new QTimer;
    auto* waited = new int(0);
    t->setInterval(10);
    QObject::connect(t, &QTimer::timeout, [=] {
        QWidget* w = QApplication::activeModalWidget();
        if (w && w->objectName() == name && w->isVisible()) {
            t->stop();
            t->deleteLater();
            delete waited;
            action(w);
            return;
        }
        if ((*waited += 10) > 5000) {
            t->stop();
            t->deleteLater();
            delete waited;
            ADD_FAILURE() << "window never shown: " << name.toStdString();
            if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                d->reject();
        }
    });
    t->start();
}

template <typename T>
T* child(QWidget* w, const char* name)
{
    T* c = w->findChild<T*>(QLatin1String(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

// A small directory tree on disk, the volume "A" rooted at it, and a window.
struct TreeWindowTest : ::testing::Test {
    QTemporaryDir disk;
    QTemporaryDir data;
    QString root;
    QString dat;
    DirectoryTree tree;
    FakeHost host;
    test::ScriptedUserInterface ui;
    std::unique_ptr<TTreeForm> form;

    void SetUp() override
    {
        root = disk.path() + QLatin1Char('/');
        for (const char* d : {"alpha/docs", "beta/docs", "beta/unique1", "gamma", "gamma/go1", "gamma/go2"})
            QDir().mkpath(root + QLatin1String(d));
        dat = data.filePath(QStringLiteral("zxtree.dat"));
        form = std::make_unique<TTreeForm>(tree, host, ui, dat);
        form->setVolumeProvider([this] {
            platform::Volume v;
            v.letter = QLatin1Char('A');
            v.root = root;
            v.type = platform::DriveType::Fixed;
            return QList<platform::Volume>{v};
        });
        host.active = root + QStringLiteral("gamma");
    }

    void scanNow()
    {
        ASSERT_TRUE(writeTreeFile(dat, {root}).ok);
        form->load_dat_file();
    }

    void setJump(bool on)
    {
        TreeOptions o = form->options();
        o.jumpOnMatch = on;
        form->setOptions(o);
    }
};

}  // namespace

TEST_F(TreeWindowTest, WithoutCacheCancellingInitialisationReturnsToThePanel)
{
    bool sawInit = false;
    whenShown(QStringLiteral("InitTree"), [&](QWidget* w) {
        sawInit = true;
        auto* init = static_cast<TInitTree*>(w);
        EXPECT_EQ(init->windowTitle(), QStringLiteral("Initialize the directory tree"));
        EXPECT_EQ(init->DriveEdit->text(), QStringLiteral("A"));   // the fixed volumes
        QTest::keyClick(w, Qt::Key_Escape);
    });
    EXPECT_FALSE(form->showdirectorytree(false));
    EXPECT_TRUE(sawInit);
    EXPECT_EQ(host.focusCalls, 1);
    EXPECT_FALSE(form->options().shownThisRun);
    EXPECT_FALSE(QFile::exists(dat));
}

TEST_F(TreeWindowTest, InitialisingWithNoLettersDoesNotScan)
{
    whenShown(QStringLiteral("InitTree"), [&](QWidget* w) {
        auto* edit = child<QLineEdit>(w, "DriveEdit");
        edit->clear();
        QTest::keyClicks(edit, "1-;");   // nothing from A to Z
        QTest::mouseClick(child<QPushButton>(w, "InitializeButton"), Qt::LeftButton);
    });
    EXPECT_FALSE(form->showdirectorytree(false));
    EXPECT_FALSE(QFile::exists(dat));
    EXPECT_TRUE(host.opened.isEmpty());
}

TEST_F(TreeWindowTest, FirstUseScansThenJumpsOnAnExactMatch)
{
    whenShown(QStringLiteral("InitTree"), [&](QWidget* w) {
        auto* edit = child<QLineEdit>(w, "DriveEdit");
        edit->clear();
        QTest::keyClicks(edit, "a7");   // shown in upper case; only letters are kept
        EXPECT_EQ(edit->text(), QStringLiteral("A7"));
        whenShown(QStringLiteral("TreeForm"), [&](QWidget* tw) {
            EXPECT_EQ(tw->windowTitle(), QStringLiteral("Select a directory"));
            // The active panel's directory is selected in the tree.
            auto* view = child<QTreeView>(tw, "TView");
            EXPECT_EQ(view->currentIndex().data().toString(), QStringLiteral("gamma"));
            EXPECT_TRUE(form->jumpcheckbox->isChecked());
            QTest::keyClicks(child<QLineEdit>(tw, "Edit1"), "uni");
        });
        QTest::mouseClick(child<QPushButton>(w, "InitializeButton"), Qt::LeftButton);
    });
    EXPECT_TRUE(form->showdirectorytree(true));
    EXPECT_EQ(form->options().scanDrives, QStringLiteral("A"));
    EXPECT_TRUE(QFile::exists(dat));
    ASSERT_EQ(host.opened.size(), 1);
    EXPECT_EQ(host.opened[0].first, root + QStringLiteral("beta/unique1"));
    EXPECT_TRUE(host.opened[0].second);   // Ctrl+N: the other panel
    EXPECT_TRUE(form->options().shownThisRun);
    EXPECT_EQ(tree.nodeCount(), 9);
}

TEST_F(TreeWindowTest, IncrementalSearchListKeysAndEnter)
{
    scanNow();
    setJump(true);
    whenShown(QStringLiteral("TreeForm"), [&](QWidget* tw) {
        auto* edit = form->Edit1;
        auto* list = form->FoundListBox;
        QTest::keyClicks(edit, "DOC");   // two matches: no jump, both listed, the first selected
        ASSERT_EQ(list->count(), 2);
        QStringList texts{list->item(0)->text(), list->item(1)->text()};
        texts.sort();
        EXPECT_EQ(texts, (QStringList{root + "alpha/docs", root + "beta/docs"}));
        EXPECT_EQ(form->TView->currentIndex().data().toString(), QStringLiteral("docs"));

        edit->clear();
        EXPECT_EQ(list->count(), 0);   // an empty text finds nothing
        QTest::keyClicks(edit, "g");   // gamma, go1, go2
        EXPECT_EQ(list->count(), 3);
        QTest::keyClick(edit, Qt::Key_Down);
        EXPECT_TRUE(list->hasFocus());
        EXPECT_EQ(list->currentRow(), 0);
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Up);
        EXPECT_TRUE(list->hasFocus());
        QTest::keyClick(list, Qt::Key_Up);   // up from the first item: back to the search field
        EXPECT_TRUE(edit->hasFocus());
        QTest::keyClick(edit, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Down);
        const QString expected = list->currentItem()->text();
        QTest::keyClick(list, Qt::Key_Return);
        EXPECT_EQ(form->chosenDirectory(), expected);
    });
    EXPECT_TRUE(form->showdirectorytree(false));
    ASSERT_EQ(host.opened.size(), 1);
    EXPECT_FALSE(host.opened[0].second);
    EXPECT_TRUE(host.opened[0].first.startsWith(root + "g"));
}

TEST(TreeWindow, FoundListCapAndNoSelectionAboveTen)
{
    DirectoryTree tree;
    FakeHost host;
    test::ScriptedUserInterface ui;
    QTemporaryDir data;
    const QString dat = data.filePath("zxtree.dat");
    auto r = tree.appendNode(DirectoryTree::kNone, "/");
    for (int i = 0; i < 1200; ++i)
        tree.appendNode(r, QStringLiteral("dir%1").arg(i, 4, 10, QLatin1Char('0')));
    for (int i = 0; i < 11; ++i)
        tree.appendNode(r, QStringLiteral("eleven%1").arg(i));
    tree.writeTo(dat);
    TTreeForm form(tree, host, ui, dat);
    whenShown(QStringLiteral("TreeForm"), [&](QWidget*) {
        const QModelIndex before = form.TView->currentIndex();
        QTest::keyClicks(form.Edit1, "dir");
        EXPECT_EQ(form.FoundListBox->count(), 1001);
        QTest::keyClicks(form.Edit1, "0");
        EXPECT_EQ(form.FoundListBox->count(), 1000);
        form.Edit1->setText("eleven");
        EXPECT_EQ(form.FoundListBox->count(), 11);
        EXPECT_EQ(form.TView->currentIndex(), before);   // more than 10: nothing selected
        form.Edit1->setText("eleven1");                  // eleven1 and eleven10
        EXPECT_EQ(form.TView->currentIndex().data().toString(), QStringLiteral("eleven1"));
        QTest::keyClick(&form, Qt::Key_Escape);
    });
    EXPECT_FALSE(form.showdirectorytree(false));
    EXPECT_EQ(host.focusCalls, 1);
    EXPECT_TRUE(form.chosenDirectory().isEmpty());
}

TEST_F(TreeWindowTest, OkEnterInTreeCancelAndARemovedDirectory)
{
    scanNow();
    setJump(false);
    // Enter in the tree takes the selected node.
    whenShown(QStringLiteral("TreeForm"), [&](QWidget*) {
        form->TView->setFocus();
        QTest::keyClick(form->TView, Qt::Key_Return);
    });
    EXPECT_TRUE(form->showdirectorytree(false));
    ASSERT_EQ(host.opened.size(), 1);
    EXPECT_EQ(host.opened.last().first, root + "gamma");

    // "&Cancel" opens nothing.
    whenShown(QStringLiteral("TreeForm"), [&](QWidget*) {
        QTest::mouseClick(form->QuitButton, Qt::LeftButton);
    });
    EXPECT_FALSE(form->showdirectorytree(false));
    EXPECT_EQ(host.opened.size(), 1);

    // A directory removed from the disk after the scan.
    QDir(root + "alpha").removeRecursively();
    host.active = root + "alpha/docs";
    whenShown(QStringLiteral("TreeForm"), [&](QWidget*) {
        EXPECT_EQ(form->TView->currentIndex().data().toString(), QStringLiteral("docs"));
        QTest::mouseClick(form->OkButton, Qt::LeftButton);
    });
    EXPECT_FALSE(form->showdirectorytree(false));
    EXPECT_EQ(ui.messages(), QStringList{"Directory not found"});
    EXPECT_EQ(host.opened.size(), 1);
}

TEST_F(TreeWindowTest, RefreshAddsListedDirectoriesWhoseParentIsKnown)
{
    scanNow();
    QDir().mkpath(root + "gamma/new1");
    QDir().mkpath(root + "delta/sub");
    QDir().mkpath(root + "x/y/z");
    host.listed = {{root + "gamma", {"..", "go1", "new1"}},
                   {root + "delta", {"..", "sub"}},          // unknown, but its parent is known
                   {root + "x/y", {"..", "z"}}};              // its parent is unknown too
    whenShown(QStringLiteral("TreeForm"), [&](QWidget*) {
        QTest::mouseClick(form->RefreshButton, Qt::LeftButton);
        QTest::keyClick(form.get(), Qt::Key_Escape);
    });
    form->showdirectorytree(false);
    EXPECT_EQ(ui.messages(), QStringList{"Currently listed directories have been refreshed"});
    EXPECT_NE(tree.findintree(root + "gamma/new1"), DirectoryTree::kNone);
    EXPECT_NE(tree.findintree(root + "delta/sub"), DirectoryTree::kNone);
    EXPECT_EQ(tree.findintree(root + "x/y"), DirectoryTree::kNone);
    EXPECT_EQ(tree.findintree(root + "x/y/z"), DirectoryTree::kNone);
    EXPECT_TRUE(tree.isDirty());
    EXPECT_EQ(tree.nodeCount(), 12);
}

TEST_F(TreeWindowTest, ShrinkGrowAndTheSavedPlace)
{
    scanNow();
    int grownShows = 0;
    whenShown(QStringLiteral("TreeForm"), [&](QWidget* tw) {
        QTest::mouseClick(form->SizeButton, Qt::LeftButton);   // "Sh&rink"
        EXPECT_TRUE(form->isShrunk());
        EXPECT_EQ(tw->windowTitle(), QStringLiteral("Directory search"));
        EXPECT_EQ(tw->height(), 295);
        EXPECT_FALSE(form->TView->isVisible());
        EXPECT_EQ(form->SizeButton->text(), QStringLiteral("&Grow"));
        EXPECT_TRUE(form->options().treeSize);
        whenShown(QStringLiteral("TreeForm"), [&](QWidget* again) {
            ++grownShows;
            EXPECT_FALSE(form->isShrunk());
            EXPECT_EQ(again->windowTitle(), QStringLiteral("Select a directory"));
            EXPECT_TRUE(form->TView->isVisible());
            again->move(120, 90);
            QTest::keyClick(again, Qt::Key_Escape);
        });
        QTest::mouseClick(form->SizeButton, Qt::LeftButton);   // "&Grow"
    });
    EXPECT_FALSE(form->showdirectorytree(false));
    EXPECT_EQ(grownShows, 1);
    EXPECT_FALSE(form->options().treeSize);
    EXPECT_EQ(form->options().treeLeft, 120);
    EXPECT_EQ(form->options().treeTop, 90);

    // TreeSize on: the window opens shrunk, at the saved place.
    TreeOptions o = form->options();
    o.treeSize = true;
    o.jumpOnMatch = false;
    form->setOptions(o);
    whenShown(QStringLiteral("TreeForm"), [&](QWidget* tw) {
        EXPECT_TRUE(form->isShrunk());
        EXPECT_EQ(tw->pos(), QPoint(120, 90));
        EXPECT_TRUE(form->Edit1->hasFocus());
        EXPECT_FALSE(form->jumpcheckbox->isChecked());
        form->jumpcheckbox->setChecked(true);
        QTest::keyClick(tw, Qt::Key_Escape);
    });
    form->showdirectorytree(false);
    EXPECT_TRUE(form->options().jumpOnMatch);   // the check box is kept on closing
}

TEST_F(TreeWindowTest, AnEmptyTreeClosesItself)
{
    ASSERT_TRUE(test::writeFile(dat, ""));
    form->load_dat_file();
    EXPECT_FALSE(form->showdirectorytree(false));
    EXPECT_EQ(host.focusCalls, 1);
}

TEST_F(TreeWindowTest, MalformedCacheKeepsWhatWasRead)
{
    ASSERT_TRUE(test::writeFile(dat, (root + "\r\n alpha\r\n   deep\r\n beta\r\n").toUtf8()));
    form->load_dat_file();
    EXPECT_EQ(ui.messages(), QStringList{"Cannot load folder names.  Restart the program."});
    EXPECT_EQ(host.statusTexts, (QStringList{"Loading directory tree data . . .", ""}));
    EXPECT_EQ(tree.nodeCount(), 2);
}

TEST_F(TreeWindowTest, ButtonsHelpExpandCollapseAndReinitialise)
{
    scanNow();
    whenShown(QStringLiteral("TreeForm"), [&](QWidget*) {
        QTest::mouseClick(form->HelpButton, Qt::LeftButton);
        QTest::mouseClick(form->ExpandButton, Qt::LeftButton);
        const QModelIndex beta = form->TView->model()->index(1, 0, form->TView->model()->index(0, 0, {}));
        EXPECT_EQ(beta.data().toString(), QStringLiteral("beta"));
        EXPECT_TRUE(form->TView->isExpanded(beta));
        QTest::mouseClick(form->CollapseButton, Qt::LeftButton);
        EXPECT_FALSE(form->TView->isExpanded(beta));
        // "&Initialize" re-reads the disk.
        QDir().mkpath(root + "epsilon");
        whenShown(QStringLiteral("InitTree"), [&](QWidget* w) {
            QTest::mouseClick(child<QPushButton>(w, "InitializeButton"), Qt::LeftButton);
        });
        QTest::mouseClick(form->InitButton, Qt::LeftButton);
        EXPECT_NE(tree.findintree(root + "epsilon"), DirectoryTree::kNone);
        EXPECT_TRUE(form->SizeButton->isVisible());
        QTest::keyClick(form.get(), Qt::Key_Escape);
    });
    form->showdirectorytree(false);
    EXPECT_EQ(host.helpTopics, QList<int>{1});
}
