// The copy, move and delete commands and the rename and make-directory logic,
// driven through a fake main window and the scripted user interface.
#include "fileops/fileops.h"

#include "fakehost.h"
#include "support/scripteduserinterface.h"
#include "support/testenv.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zx;
using namespace zx::test;

namespace {

class FileOpsCommands : public ::testing::Test {
protected:
    QTemporaryDir tmp;
    QString left, middle;
    FakeHost host;
    ScriptedUserInterface ui;

    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        left = tmp.filePath(QStringLiteral("left"));
        middle = tmp.filePath(QStringLiteral("middle"));
        QDir().mkpath(left);
        QDir().mkpath(middle);
    }
    QString l(const QString& n) const { return left + QLatin1Char('/') + n; }
    QString m(const QString& n) const { return middle + QLatin1Char('/') + n; }
    void listBoth()
    {
        host.list(1, left);
        host.list(2, middle);
        host.active = 1;
    }
};

// --- Copy and move ------------------------------------------------------------

TEST_F(FileOpsCommands, CopyChoosesTheDestinationByDriveLetter)
{
    ASSERT_TRUE(writeFile(l(QStringLiteral("a.txt")), "a"));
    ASSERT_TRUE(writeFile(l(QStringLiteral("b.txt")), "b"));
    listBoth();
    host.select(1, QStringLiteral("b.txt"));
    FileOps ops(host, ui);
    QString offered;
    ui.expectAsk(kAskCopyToDrive, [&](Question& q) {
        offered = q.fields[0].value;
        EXPECT_EQ(q.title, QStringLiteral("Copy to Drive:"));
        return 0;   // Ok with the offered letter
    });
    ops.copyandmovefiles(Operation::Copy);
    EXPECT_EQ(ui.pendingAnswers(), 0);
    // The middle panel (right of the left one) is on the root volume, A.
    EXPECT_EQ(offered, QStringLiteral("A"));
    EXPECT_EQ(readFile(m(QStringLiteral("b.txt"))), QByteArray("b"));
    EXPECT_FALSE(QFileInfo::exists(m(QStringLiteral("a.txt"))));   // only the current entry
    EXPECT_TRUE(host.calls.contains(QStringLiteral("disableupdating 2")));
    EXPECT_GT(host.calls.indexOf(QStringLiteral("updatedrive 2")), host.calls.indexOf(QStringLiteral("enableupdating 2")));
    EXPECT_TRUE(host.names(2).contains(QStringLiteral("b.txt")));
    EXPECT_TRUE(host.calls.contains(QStringLiteral("updatedrivespaceindicators")));
}

TEST_F(FileOpsCommands, TaggedEntriesAreMovedAndBothPanelsRelisted)
{
    ASSERT_TRUE(writeFile(l(QStringLiteral("a")), "a"));
    ASSERT_TRUE(writeFile(l(QStringLiteral("b")), "b"));
    ASSERT_TRUE(writeFile(l(QStringLiteral("dir/c")), "c"));
    ASSERT_TRUE(writeFile(l(QStringLiteral("stay")), "s"));
    listBoth();
    host.tree << l(QStringLiteral("dir"));
    host.tag(1, QStringLiteral("a"));
    host.tag(1, QStringLiteral("dir"));
    host.select(1, QStringLiteral("b"));   // not tagged: ignored
    FileOps ops(host, ui);
    ui.expectAsk(kAskCopyToDrive, [](Question& q) {
        EXPECT_EQ(q.title, QStringLiteral("Move to Drive:"));
        return 0;
    });
    ops.copyandmovefiles(Operation::Move);
    EXPECT_TRUE(QFileInfo::exists(m(QStringLiteral("a"))));
    EXPECT_TRUE(QFileInfo::exists(m(QStringLiteral("dir/c"))));
    EXPECT_TRUE(QFileInfo::exists(l(QStringLiteral("b"))));
    EXPECT_FALSE(QFileInfo::exists(m(QStringLiteral("b"))));
    EXPECT_EQ(host.names(1), (QStringList{QStringLiteral(".."), QStringLiteral("b"), QStringLiteral("stay")}));
    // The tree follows the moved directory.
    EXPECT_TRUE(host.calls.contains(QStringLiteral("removedir ") + l(QStringLiteral("dir"))));
    EXPECT_TRUE(host.calls.contains(QStringLiteral("adddir ") + m(QStringLiteral("dir"))));
}

TEST_F(FileOpsCommands, CopyRefusals)
{
    ASSERT_TRUE(writeFile(l(QStringLiteral("a")), "a"));
    struct Case {
        const char* what;
        Operation op;
        std::function<void()> arrange;
        QString message;
    } cases[] = {
        {"navigational entry", Operation::Copy, [&] { host.select(1, QStringLiteral("..")); },
         QStringLiteral("Cannot copy or move this (navigational) entry")},
        {"same directory, copy", Operation::Copy, [&] { host.list(2, left); },
         QStringLiteral("Cannot copy to same directory")},
        {"same directory, move", Operation::Move, [&] { host.list(2, left); },
         QStringLiteral("Cannot move to same directory")},
        {"destination gone", Operation::Copy, [&] { QDir(middle).removeRecursively(); },
         QStringLiteral("Destination directory does not exist")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ui.clear();
        QDir().mkpath(middle);
        listBoth();
        host.select(1, QStringLiteral("a"));
        c.arrange();
        if (c.message != QLatin1String("Cannot copy or move this (navigational) entry"))
            ui.expectAsk(kAskCopyToDrive, 0);
        FileOps ops(host, ui);
        ops.copyandmovefiles(c.op);
        EXPECT_EQ(ui.messages(), QStringList{c.message});
        EXPECT_EQ(ui.pendingAnswers(), 0);
    }
    EXPECT_TRUE(QFileInfo::exists(l(QStringLiteral("a"))));
}

// No other panel on the chosen drive: it opens in the next free panel and
// the question comes again; two panels on it: the panel dialog decides.
TEST_F(FileOpsCommands, DrivePanelsAndThePanelDialog)
{
    ASSERT_TRUE(writeFile(l(QStringLiteral("a")), "a"));
    host.list(1, left);
    host.select(1, QStringLiteral("a"));
    FileOps ops(host, ui);
    ui.expectAsk(kAskCopyToDrive, 0, {}, {QStringLiteral("A")});
    ui.expectAsk(kAskCopyToDrive, 1);   // Cancel the second time
    ops.copyandmovefiles(Operation::Copy);
    EXPECT_TRUE(host.calls.contains(QStringLiteral("opendrive A")));
    EXPECT_EQ(host.panelDir(2), QStringLiteral("/"));
    EXPECT_EQ(host.active, 1);
    EXPECT_EQ(ui.pendingAnswers(), 0);

    // Now panels 2 and 3 are both on A.
    host.list(2, middle);
    host.list(3, tmp.path());
    ui.clear();
    ui.expectAsk(kAskCopyToDrive, 0, {}, {QStringLiteral("a")});
    ui.expectAsk(kAskCopyToLMR, [](Question& q) {
        EXPECT_EQ(q.title, QStringLiteral("Destination Window:"));
        EXPECT_EQ(q.fields[0].value, QStringLiteral("1"));
        return 2;   // Right
    });
    ops.copyandmovefiles(Operation::Copy);
    EXPECT_TRUE(QFileInfo::exists(tmp.filePath(QStringLiteral("a"))));
    EXPECT_FALSE(QFileInfo::exists(m(QStringLiteral("a"))));
}

TEST_F(FileOpsCommands, DropPathAndDropMenu)
{
    ASSERT_TRUE(writeFile(tmp.filePath(QStringLiteral("x")), "x"));
    listBoth();
    host.list(3, middle);
    FileOps ops(host, ui);
    ops.dropfiles({tmp.filePath(QStringLiteral("x"))}, 2, middle, Operation::Copy);
    EXPECT_EQ(readFile(m(QStringLiteral("x"))), QByteArray("x"));
    // Every other panel showing the destination is re-listed.
    EXPECT_TRUE(host.names(3).contains(QStringLiteral("x")));
    // Dropped onto its own directory.
    ops.dropfiles({m(QStringLiteral("x"))}, 2, middle, Operation::Copy);
    EXPECT_EQ(ui.messages(), QStringList{QStringLiteral("Cannot copy file over itself")});
    ui.clear();
    ops.dropWithoutDestination(Operation::Copy);
    ops.dropWithoutDestination(Operation::Move);
    EXPECT_EQ(ui.messages(), (QStringList{QStringLiteral("Cannot copy here.  No directory listed."),
                                          QStringLiteral("Cannot move here.  No directory listed.")}));
}

class RecordingView : public ProgressView {
public:
    QStringList events;
    void showProgress(ProgressState*, UserInterface*) override { events << QStringLiteral("show"); }
    void hideProgress() override { events << QStringLiteral("hide"); }
    void showPreparing(bool s) override { events << (s ? QStringLiteral("prep") : QStringLiteral("unprep")); }
};

TEST_F(FileOpsCommands, LongListsShowThePreparingNotice)
{
    for (int n : {201, 202}) {
        QDir(left).removeRecursively();
        QDir(middle).removeRecursively();
        QDir().mkpath(middle);
        for (int i = 0; i < n; ++i)
            ASSERT_TRUE(writeFile(l(QStringLiteral("f%1").arg(i)), "x"));
        listBoth();
        for (int i = 0; i < n; ++i)
            host.tag(1, QStringLiteral("f%1").arg(i));
        host.select(1, QStringLiteral("f0"));
        RecordingView view;
        host.view = &view;
        FileOps ops(host, ui);
        ui.expectAsk(kAskCopyToDrive, 0);
        ops.copyandmovefiles(Operation::Copy);
        ASSERT_FALSE(view.events.isEmpty());
        EXPECT_EQ(view.events.contains(QStringLiteral("prep")), n > 201) << n;
        EXPECT_EQ(view.events.last(), QStringLiteral("hide"));
        EXPECT_EQ(QDir(middle).entryList(QDir::Files).size(), n);
    }
}

// --- Delete ------------------------------------------------------------------------

TEST_F(FileOpsCommands, DeleteOneFileTakesItOutOfTheList)
{
    ASSERT_TRUE(writeFile(l(QStringLiteral("a")), "a"));
    ASSERT_TRUE(writeFile(l(QStringLiteral("b")), "b"));
    listBoth();
    host.showCase = false;
    host.select(1, QStringLiteral("b"));
    FileOps ops(host, ui);
    ui.expectAsk(kAskDelete, [](Question& q) {
        EXPECT_EQ(q.text, QStringLiteral("Delete B ?"));
        EXPECT_EQ(q.title, QStringLiteral("Delete"));
        EXPECT_FALSE(q.checks[0].checked);
        return int(DelYes);
    });
    ops.Deletefile(false);
    EXPECT_FALSE(QFileInfo::exists(l(QStringLiteral("b"))));
    EXPECT_EQ(host.names(1), (QStringList{QStringLiteral(".."), QStringLiteral("a")}));
    EXPECT_FALSE(host.calls.contains(QStringLiteral("updatedrive 1")));
    EXPECT_FALSE(host.panels[1].suspended);
}

TEST_F(FileOpsCommands, DeleteAnswersOverTaggedFiles)
{
    struct Case {
        const char* what;
        QList<int> answers;
        bool readOnlyThird;
        QList<bool> gone;
        int questions;
    } cases[] = {
        {"yes to all", {DelYesToAll}, false, {true, true, true}, 1},
        {"no, yes, cancel", {DelNo, DelYes, DelCancel}, false, {false, true, false}, 3},
        {"yes to all, read-only asks again", {DelYesToAll, DelYes}, true, {true, true, true}, 2},
        {"yes to all, read-only refused", {DelYesToAll, DelNo}, true, {true, true, false}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ui.clear();
        QDir(left).removeRecursively();
        const QStringList names = {QStringLiteral("f1"), QStringLiteral("f2"), QStringLiteral("f3")};
        for (const QString& n : names)
            ASSERT_TRUE(writeFile(l(n), "x"));
        if (c.readOnlyThird)
            ::chmod(QFile::encodeName(l(QStringLiteral("f3"))).constData(), 0444);
        listBoth();
        for (const QString& n : names)
            host.tag(1, n);
        for (int a : c.answers)
            ui.expectAsk(kAskDelete, a);
        FileOps ops(host, ui);
        ops.Deletefile(false);
        EXPECT_EQ(ui.pendingAnswers(), 0);
        EXPECT_EQ(ui.log().size(), c.questions);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(!QFileInfo::exists(l(names[i])), c.gone[i]) << i;
        if (c.readOnlyThird) {
            EXPECT_TRUE(ui.shown(QStringLiteral("WARNING: f3 is marked \"Read only\". Delete ?")));
        }
        // Several entries: the panel is re-listed.
        EXPECT_TRUE(host.calls.contains(QStringLiteral("updatedrive 1")));
    }
}

TEST_F(FileOpsCommands, DeleteMessages)
{
    ASSERT_TRUE(writeFile(l(QStringLiteral("gone")), "x"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(l(QStringLiteral("pipe"))).constData(), 0600), 0);
    listBoth();
    FileOps ops(host, ui);
    // Navigational entry.
    host.select(1, QStringLiteral(".."));
    ops.Deletefile(false);
    ops.Deletefile(true);
    // A system entry (a pipe) is left alone.
    host.select(1, QStringLiteral("pipe"));
    ops.Deletefile(false);
    // A file that vanished after listing.
    host.select(1, QStringLiteral("gone"));
    QFile::remove(l(QStringLiteral("gone")));
    ui.expectAsk(kAskDelete, DelYes);
    ops.Deletefile(false);
    // Shift+Delete.
    ops.shiftDeleteNotice();
    EXPECT_EQ(ui.messages(),
              (QStringList{QStringLiteral("Cannot delete this (navigational) entry"),
                           QStringLiteral("Cannot delete this (navigational) entry"),
                           QStringLiteral("Cannot delete PIPE.\rIt is marked as a system file."),
                           QStringLiteral("Cannot find file"),
                           QStringLiteral("Press \"Del\" or \"D\" to delete a file quickly. Or\r"
                                          "\"Ctrl-Del\" or \"Ctrl-D\" to send file to the recycle bin.")}));
    EXPECT_TRUE(QFileInfo::exists(l(QStringLiteral("pipe"))));
}

TEST_F(FileOpsCommands, DeletingDirectories)
{
    FileOps ops(host, ui);
    // One empty directory with quick removal: no question.
    QDir().mkpath(l(QStringLiteral("empty")));
    listBoth();
    host.tree << l(QStringLiteral("empty"));
    host.select(1, QStringLiteral("empty"));
    ops.Deletefile(false);
    EXPECT_TRUE(ui.log().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(l(QStringLiteral("empty"))));
    EXPECT_FALSE(host.tree.contains(l(QStringLiteral("empty"))));
    // The last entry gone: only ".." is left; with quick removal off the question comes first.
    QDir().mkpath(l(QStringLiteral("empty2")));
    listBoth();
    host.quickEmpty = false;
    host.select(1, QStringLiteral("empty2"));
    ui.expectAsk(kAskDelete, DelYes);
    ops.Deletefile(false);
    EXPECT_FALSE(QFileInfo::exists(l(QStringLiteral("empty2"))));

    // A directory with contents: asked once more, then removed with all in it;
    // another panel showing it (or a folder inside it) moves to the root.
    for (bool yes : {false, true}) {
        ui.clear();
        ASSERT_TRUE(writeFile(l(QStringLiteral("full/sub/x")), "x"));
        listBoth();
        host.list(2, l(QStringLiteral("full/sub")));
        host.tree << l(QStringLiteral("full"));
        host.select(1, QStringLiteral("full"));
        ui.expectAsk(kAskDelete, DelYes);
        ui.expectConfirm(yes);
        ops.Deletefile(false);
        EXPECT_EQ(ui.pendingAnswers(), 0);
        EXPECT_TRUE(ui.shown(QStringLiteral("Delete the directory full and everything in it?")));
        EXPECT_EQ(QFileInfo::exists(l(QStringLiteral("full"))), !yes);
        EXPECT_EQ(host.tree.contains(l(QStringLiteral("full"))), !yes);
        EXPECT_EQ(host.panelDir(2), QStringLiteral("/"));
    }
}

// Yes to All and then a directory: that directory and every later tagged
// entry go in one removal, and the walk ends.
TEST_F(FileOpsCommands, YesToAllThenADirectory)
{
    ASSERT_TRUE(writeFile(l(QStringLiteral("d1/x")), "x"));
    ASSERT_TRUE(writeFile(l(QStringLiteral("d2/y")), "y"));
    ASSERT_TRUE(writeFile(l(QStringLiteral("f")), "f"));
    ASSERT_TRUE(writeFile(l(QStringLiteral("keep")), "k"));
    listBoth();
    host.tag(1, QStringLiteral("d1"));
    host.tag(1, QStringLiteral("d2"));
    host.tag(1, QStringLiteral("f"));
    ui.expectAsk(kAskDelete, DelYesToAll);
    ui.expectConfirm(true);
    FileOps ops(host, ui);
    ops.Deletefile(false);
    EXPECT_EQ(ui.pendingAnswers(), 0);
    EXPECT_TRUE(ui.shown(QStringLiteral("Delete the 2 directories and everything in them?")));
    EXPECT_EQ(host.names(1), (QStringList{QStringLiteral(".."), QStringLiteral("keep")}));
}

QString trashDir()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Trash");
}

// The Recycle box and the recycle way send entries to the freedesktop trash:
// the file under files/ and its record under info/.
TEST_F(FileOpsCommands, RecyclingFollowsTheTrashLayout)
{
    ASSERT_TRUE(writeFile(l(QStringLiteral("one")), "1"));
    ASSERT_TRUE(writeFile(l(QStringLiteral("dir/two")), "2"));
    ASSERT_TRUE(writeFile(l(QStringLiteral("three")), "3"));
    listBoth();
    host.select(1, QStringLiteral("one"));
    FileOps ops(host, ui);
    ui.expectAsk(kAskDelete, DelYes, {{QStringLiteral("Recycle"), true}});
    ops.Deletefile(false);
    // Ctrl+Delete: the tagged entries, no question of ours.
    host.list(1, left);
    host.tag(1, QStringLiteral("dir"));
    host.tag(1, QStringLiteral("three"));
    ops.Deletefile(true);
    EXPECT_EQ(ui.pendingAnswers(), 0);
    for (const char* n : {"one", "dir", "three"}) {
        const QString name = QString::fromLatin1(n);
        SCOPED_TRACE(n);
        EXPECT_FALSE(QFileInfo::exists(l(name)));
        EXPECT_TRUE(QFileInfo::exists(trashDir() + QStringLiteral("/files/") + name));
        const QByteArray info = readFile(trashDir() + QStringLiteral("/info/") + name + QStringLiteral(".trashinfo"));
        EXPECT_TRUE(info.startsWith("[Trash Info]\n"));
        EXPECT_TRUE(info.contains(QByteArray(QByteArray("Path=") + QUrl::toPercentEncoding(l(name), "/"))));
        EXPECT_TRUE(info.contains("DeletionDate="));
    }
    EXPECT_EQ(readFile(trashDir() + QStringLiteral("/files/dir/two")), QByteArray("2"));
    EXPECT_EQ(host.names(1), QStringList{QStringLiteral("..")});
}

TEST_F(FileOpsCommands, DeleteQuestionShortensLongNames)
{
    const auto fitsIn = [](int n) { return [n](const QString& t) { return t.size() <= n; }; };
    struct Case {
        QString name;
        int width;
        bool readOnly;
        QString expected;
    } cases[] = {
        {QStringLiteral("short.txt"), 40, false, QStringLiteral("Delete short.txt ?")},
        {QStringLiteral("averyveryverylongname.txt"), 20, false, QStringLiteral("Delete averyveryv~ ?")},
        {QStringLiteral("abcd"), 5, false, QStringLiteral("Delete abcd ?")},
        {QStringLiteral("abcdef"), 5, false, QStringLiteral("Delete abc~ ?")},
        {QStringLiteral("averyveryverylongname.txt"), 20, true,
         QStringLiteral("WARNING: averyveryv~ is marked \"Read only\". Delete ?")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(deleteQuestion(c.name, c.readOnly, fitsIn(c.width)), c.expected) << c.name.toStdString();
}

// --- Rename and make directory -------------------------------------------------

TEST_F(FileOpsCommands, FinishingARename)
{
    struct Case {
        const char* what;
        bool showCase;
        bool makingdir;
        QString from, to;
        QString message;
        bool renamed;
    } cases[] = {
        {"plain rename", true, false, QStringLiteral("a.txt"), QStringLiteral("z.txt"), QString(), true},
        {"unchanged name", true, false, QStringLiteral("a.txt"), QStringLiteral("a.txt"),
         QStringLiteral("A file by that name already exists."), false},
        {"another listed name", true, false, QStringLiteral("a.txt"), QStringLiteral("b.txt"),
         QStringLiteral("A file by that name already exists."), false},
        {"case only, case hidden", false, false, QStringLiteral("a.txt"), QStringLiteral("A.txt"),
         QStringLiteral("A file by that name already exists."), false},
        {"case only, case shown", true, false, QStringLiteral("a.txt"), QStringLiteral("A.txt"), QString(), true},
        {"empty name", true, false, QStringLiteral("a.txt"), QString(), QString(), false},
        {"a slash", true, false, QStringLiteral("a.txt"), QStringLiteral("sub/x"),
         QStringLiteral("Could not rename file"), false},
        {"hidden name taken", true, false, QStringLiteral("a.txt"), QStringLiteral(".hidden"),
         QStringLiteral("Could not rename file"), false},
        {"new folder keeps its name", true, true, QStringLiteral("New Folder"), QStringLiteral("New Folder"), QString(),
         false},
        {"new folder onto a listed name", true, true, QStringLiteral("New Folder"), QStringLiteral("b.txt"),
         QStringLiteral("A folder by that name already exists."), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ui.clear();
        host.calls.clear();
        QDir(left).removeRecursively();
        QDir().mkpath(l(QStringLiteral("New Folder")));
        ASSERT_TRUE(writeFile(l(QStringLiteral("a.txt")), "a"));
        ASSERT_TRUE(writeFile(l(QStringLiteral("b.txt")), "b"));
        ASSERT_TRUE(writeFile(l(QStringLiteral(".hidden")), "h"));
        host.list(1, left);
        host.panels[1].entries.removeAt(host.indexOf(1, QStringLiteral(".hidden")));   // hidden files not shown
        host.showCase = c.showCase;
        const int index = host.indexOf(1, c.from);
        host.panels[1].current = index;
        const bool renamed = finishRename(host, ui, 1, index, c.to, c.makingdir);
        EXPECT_EQ(renamed, c.renamed);
        EXPECT_EQ(ui.messages(), c.message.isEmpty() ? QStringList() : QStringList{c.message});
        if (c.renamed) {
            EXPECT_TRUE(QFileInfo::exists(l(c.to)));
            EXPECT_EQ(host.panels[1].entries[index].name, c.to);
            EXPECT_TRUE(host.calls.contains(QStringLiteral("changename ") + l(c.from) + QStringLiteral(" -> ") + c.to));
        } else {
            EXPECT_TRUE(QFileInfo::exists(l(c.from)));
        }
        EXPECT_EQ(readFile(l(QStringLiteral(".hidden"))), QByteArray("h"));
        EXPECT_EQ(host.calls.contains(QStringLiteral("updatedrive 1")), c.makingdir);
        EXPECT_FALSE(host.panels[1].suspended);
    }
}

TEST_F(FileOpsCommands, RenamingADirectoryKeepsTheTreeInStep)
{
    QDir().mkpath(l(QStringLiteral("old")));
    QDir().mkpath(l(QStringLiteral("gone")));
    host.list(1, left);
    host.tree << l(QStringLiteral("old")) << l(QStringLiteral("new"));   // "new" is stale in the cache
    QDir(l(QStringLiteral("gone"))).removeRecursively();
    EXPECT_TRUE(finishRename(host, ui, 1, host.indexOf(1, QStringLiteral("old")), QStringLiteral("new"), false));
    EXPECT_EQ(host.tree, QStringList{l(QStringLiteral("new"))});
    EXPECT_TRUE(host.calls.contains(QStringLiteral("removedir ") + l(QStringLiteral("new"))));
}

TEST_F(FileOpsCommands, MakeDirectoryNamesAndPlacesTheNewFolder)
{
    QDir().mkpath(l(QStringLiteral("New Folder")));
    QDir().mkpath(l(QStringLiteral("New Folder (2)")));
    EXPECT_EQ(newFolderName(left), QStringLiteral("New Folder (3)"));
    host.list(1, left);
    const int at = makedirEntry(host, ui, 1);
    EXPECT_EQ(at, 1);   // after ".."
    EXPECT_TRUE(QFileInfo(l(QStringLiteral("New Folder (3)"))).isDir());
    EXPECT_EQ(host.panels[1].entries[1].name, QStringLiteral("New Folder (3)"));
    EXPECT_EQ(host.panels[1].current, 1);
    EXPECT_TRUE(host.tree.contains(l(QStringLiteral("New Folder (3)"))));
    EXPECT_TRUE(host.panels[1].suspended);   // until the rename box closes

    // At a root-like listing without "..", the new entry goes first; a file
    // called "New Folder" does not count as taken and makes creation fail.
    QDir(middle).removeRecursively();
    ASSERT_TRUE(writeFile(m(QStringLiteral("New Folder")), "f"));
    host.list(2, middle);
    host.panels[2].entries.removeFirst();
    EXPECT_EQ(makedirEntry(host, ui, 2), -1);
    EXPECT_EQ(ui.messages(), QStringList{QStringLiteral("Cannot make directory")});
    EXPECT_FALSE(host.panels[2].suspended);
    QFile::remove(m(QStringLiteral("New Folder")));
    host.list(2, middle);
    host.panels[2].entries.removeFirst();
    EXPECT_EQ(makedirEntry(host, ui, 2), 0);
}

TEST_F(FileOpsCommands, RenameHelpers)
{
    EXPECT_EQ(dateForName(QDate(2014, 12, 5), QLocale(QLocale::German, QLocale::Germany)), QStringLiteral("05-12-14"));
    EXPECT_EQ(dateForName(QDate(2014, 12, 5), QLocale(QLocale::English, QLocale::UnitedStates)),
              QStringLiteral("12-5-14"));
    EXPECT_EQ(renameBoxText(QStringLiteral("readme.txt"), false), QStringLiteral("Readme.txt"));
    EXPECT_EQ(renameBoxText(QStringLiteral("readme.txt"), true), QStringLiteral("readme.txt"));
    EXPECT_EQ(renameBoxText(QStringLiteral("éte"), false), QStringLiteral("éte"));
    QList<PanelEntry> es(2);
    es[0].name = QStringLiteral("Alpha");
    es[1].name = QStringLiteral("alpha");
    EXPECT_EQ(myindexof(es, QStringLiteral("alpha"), true), 1);
    EXPECT_EQ(myindexof(es, QStringLiteral("ALPHA"), false), 0);
    EXPECT_EQ(myindexof(es, QStringLiteral("ALPHA"), true), -1);
}

}  // namespace
