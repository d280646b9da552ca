// The windows of the file operations, offscreen: the drive, panel, overwrite
// and delete dialogs, the progress window with Cancel, and the rename box.
#include "app/qtuserinterface.h"
#include "fileops/copydialogs.h"
#include "fileops/copyprogress.h"
#include "fileops/deletebox.h"
#include "fileops/fileops.h"
#include "fileops/fileopsdialogs.h"
#include "fileops/renamebox.h"

#include "fakehost.h"
#include "support/scripteduserinterface.h"
#include "support/testenv.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <thread>

using namespace zx;
using namespace zx::test;

namespace {

TEST(FileOpsDialogs, CopyToDriveChoosesByLetterTabOrEnter)
{
    struct Case {
        const char* what;
        std::function<void(TCopyToDrive&)> act;
        QChar expected;
    } cases[] = {
        {"typed letter", [](TCopyToDrive& d) { QTest::keyClicks(d.Edit1, QStringLiteral("c")); }, QLatin1Char('C')},
        {"Enter takes the offered letter", [](TCopyToDrive& d) { QTest::keyClick(d.Edit1, Qt::Key_Return); },
         QLatin1Char('B')},
        {"Escape", [](TCopyToDrive& d) { QTest::keyClick(d.Edit1, Qt::Key_Escape); }, QChar()},
        {"empty box", [](TCopyToDrive& d) {
             QTest::keyClick(d.Edit1, Qt::Key_Delete);
             d.okButton->click();
         }, QChar()},
        {"a digit is not a drive", [](TCopyToDrive& d) {
             QTest::keyClicks(d.Edit1, QStringLiteral("7"));
             d.cancelButton->click();
         }, QChar()},
        {"clicked tab", [](TCopyToDrive& d) {
             QTest::mouseClick(d.copytotabs, Qt::LeftButton, {}, d.copytotabs->tabRect(2).center());
         }, QLatin1Char('C')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TCopyToDrive dlg(nullptr, QStringLiteral("Move to Drive:"), QLatin1Char('B'), QStringLiteral("ABC"));
        dlg.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
        EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Move to Drive:"));
        EXPECT_EQ(dlg.Label1->text(), QStringLiteral("Move to Drive:"));
        EXPECT_EQ(dlg.Edit1->selectedText(), QStringLiteral("B"));
        EXPECT_EQ(dlg.copytotabs->currentIndex(), 1);
        c.act(dlg);
        EXPECT_EQ(dlg.chosen(), c.expected);
        EXPECT_FALSE(dlg.isVisible());
    }
}

TEST(FileOpsDialogs, PanelDialogKeys)
{
    struct Case {
        int key;
        int expected;
    } cases[] = {{Qt::Key_L, 1}, {Qt::Key_M, 2}, {Qt::Key_R, 3}, {Qt::Key_Escape, 0}};
    for (const Case& c : cases) {
        TCopyToLMRForm dlg(nullptr, 2);
        dlg.show();
        EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Destination Window:"));
        EXPECT_FALSE(dlg.buttons[1]->isEnabled());   // the active panel's button
        EXPECT_TRUE(dlg.buttons[0]->isEnabled());
        QTest::keyClick(&dlg, Qt::Key(c.key));
        EXPECT_EQ(dlg.chosen(), c.expected) << c.key;
    }
    TCopyToLMRForm dlg(nullptr, 1);
    dlg.show();
    QTest::mouseClick(dlg.buttons[2], Qt::LeftButton);
    EXPECT_EQ(dlg.chosen(), 3);
}

TEST(FileOpsDialogs, OverwriteDialogAnswers)
{
    const int keys[] = {Qt::Key_R, Qt::Key_U, Qt::Key_T, Qt::Key_S, Qt::Key_F, Qt::Key_Escape};
    for (int i = 0; i < 6; ++i) {
        TCopyOptionsForm dlg(nullptr, QStringLiteral("report.doc"));
        dlg.show();
        EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Copy Options"));
        EXPECT_EQ(dlg.nameLabel->text(), QStringLiteral("\"report.doc\""));
        QTest::keyClick(&dlg, Qt::Key(keys[i]));
        EXPECT_EQ(dlg.chosen(), i);
    }
    // The labels beside the buttons answer too.
    TCopyOptionsForm dlg(nullptr, QStringLiteral("x"));
    dlg.show();
    QPushButton* label = nullptr;
    for (QPushButton* b : dlg.findChildren<QPushButton*>())
        if (b->text() == QLatin1String("Skip all files that exist"))
            label = b;
    ASSERT_TRUE(label);
    QTest::mouseClick(label, Qt::LeftButton);
    EXPECT_EQ(dlg.chosen(), int(OwS));
}

TEST(FileOpsDialogs, DeleteDialog)
{
    TDeleteDialog dlg(nullptr, QStringLiteral("Delete Notes.txt ?"), false);
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Delete"));
    EXPECT_EQ(dlg.DeleteMessage->text(), QStringLiteral("Delete Notes.txt ?"));
    QTest::mouseClick(dlg.Recycle, Qt::LeftButton, {}, QPoint(5, dlg.Recycle->height() / 2));
    EXPECT_TRUE(dlg.Recycle->isChecked());
    QTest::mouseClick(dlg.buttons[1], Qt::LeftButton);
    EXPECT_EQ(dlg.chosen(), 1);
    TDeleteDialog esc(nullptr, QStringLiteral("Delete x ?"), true);
    esc.show();
    QTest::keyClick(&esc, Qt::Key_Escape);
    EXPECT_EQ(esc.chosen(), 3);
    // Long names are shortened to fit the label.
    const QString q = deleteQuestion(QString(200, QLatin1Char('n')), false, &TDeleteDialog::questionFits);
    EXPECT_TRUE(q.contains(QLatin1Char('~')));
    EXPECT_TRUE(TDeleteDialog::questionFits(q));
}

// The program's user interface shows these dialogs for the engine's questions.
TEST(FileOpsDialogs, RegisteredForTheirQuestions)
{
    registerFileOpsDialogs();
    QtUserInterface ui;
    QString seenName;
    QTimer::singleShot(50, [&] {
        auto* dlg = qobject_cast<TCopyOptionsForm*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dlg);
        seenName = dlg->nameLabel->text();
        QTest::keyClick(dlg, Qt::Key_S);
    });
    Question q;
    q.id = kAskCopyOptions;
    q.text = QStringLiteral("A file of the same name already exists:\r\"a b.txt\"");
    EXPECT_EQ(ui.ask(q), int(OwS));
    EXPECT_EQ(seenName, QStringLiteral("\"a b.txt\""));

    QTimer::singleShot(50, [] {
        auto* dlg = qobject_cast<TCopyToDrive*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dlg);
        QTest::keyClicks(dlg->Edit1, QStringLiteral("b"));
    });
    Question d;
    d.id = kAskCopyToDrive;
    d.title = QStringLiteral("Copy to Drive:");
    d.fields = {{QStringLiteral("Drive"), QStringLiteral("A")}, {QStringLiteral("Drives"), QStringLiteral("AB")}};
    EXPECT_EQ(ui.ask(d), 0);
    EXPECT_EQ(d.fields[0].value, QStringLiteral("B"));
}

TEST(FileOpsProgress, ShowsRatesAndBarsAndCancels)
{
    ScriptedUserInterface ui;
    ProgressState state;
    TCopyProgressForm form;
    state.setFileName(QStringLiteral("movie.mkv"));
    state.fileTotal = 2 * 10 * 1024;
    state.fileDone = 5 * 1024;
    state.totalTotal = 2 * 100 * 1024;
    state.totalDone = 50 * 1024;
    state.readRate = 120;
    state.writeRate = 95;
    form.showProgress(&state, &ui);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Copying"));
    EXPECT_EQ(form.fileLabel->text(), QStringLiteral("movie.mkv"));
    EXPECT_EQ(form.FileProgress->maximum(), 20);
    EXPECT_EQ(form.FileProgress->value(), 5);
    EXPECT_EQ(form.TotalProgress->maximum(), 200);
    EXPECT_EQ(form.TotalProgress->value(), 50);
    EXPECT_EQ(form.readratelabel->text(), QStringLiteral("Read: 120 mb/s"));
    EXPECT_EQ(form.writeratelabel->text(), QStringLiteral("Write: 95 mb/s"));

    ui.expectConfirm(false);
    form.cancelButton->click();
    EXPECT_FALSE(state.cancelled());
    EXPECT_TRUE(form.isVisible());
    ui.expectConfirm(true);
    form.cancelButton->click();
    EXPECT_TRUE(state.cancelled());
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(ui.shown(QStringLiteral("Are you sure you want to cancel copying?")));
}

// A slow transfer with the real window: the window keeps painting (a few
// times a second, not per chunk), and its Cancel stops the transfer in the
// middle of a file, leaving no partial copy.
class SlowIO : public PosixFileIO {
public:
    SlowIO() { copyRangeEnabled = false; }
    std::atomic<int> chunks{0};
    ssize_t read(int fd, void* buf, size_t n) override
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(15));
        ++chunks;
        return PosixFileIO::read(fd, buf, n);
    }
};

TEST(FileOpsProgress, CancelDuringATransfer)
{
    QTemporaryDir tmp;
    const QString src = tmp.filePath(QStringLiteral("big")), src2 = tmp.filePath(QStringLiteral("next"));
    const QString dst = tmp.filePath(QStringLiteral("out"));
    QDir().mkpath(dst);
    ASSERT_TRUE(writeFile(src, QByteArray(200 * int(kCopyBufferSize), 'x')));
    ASSERT_TRUE(writeFile(src2, "n"));
    ScriptedUserInterface ui;
    TCopyProgressForm form;
    SlowIO io;
    ui.expectConfirm(true);
    bool visibleWhileRunning = false;
    QTimer::singleShot(700, [&] {
        visibleWhileRunning = form.isVisible();
        form.cancelButton->click();
    });
    QElapsedTimer clock;
    clock.start();
    const TransferResult r = runTransfer(ui, {src, src2}, dst, Operation::Copy, &form, &io);
    const qint64 ms = clock.elapsed();
    EXPECT_TRUE(visibleWhileRunning);
    EXPECT_TRUE(r.cancelled);
    EXPECT_LT(io.chunks.load(), 200);
    EXPECT_FALSE(QFileInfo::exists(dst + QStringLiteral("/big")));
    EXPECT_FALSE(QFileInfo::exists(dst + QStringLiteral("/next")));
    EXPECT_FALSE(form.isVisible());
    // Painted while running, but at most about four times a second.
    EXPECT_GE(form.pollCount, 2);
    EXPECT_LE(form.pollCount, ms / 250 + 3);
    EXPECT_LT(form.pollCount, io.chunks.load());
}

// --- The rename box --------------------------------------------------------------

class FileOpsRename : public ::testing::Test {
protected:
    QTemporaryDir tmp;
    FakeHost host;
    ScriptedUserInterface ui;
    QWidget window;
    std::unique_ptr<RenameController> rc;

    void SetUp() override
    {
        ASSERT_TRUE(writeFile(tmp.filePath(QStringLiteral("notes.txt")), "n"));
        ASSERT_TRUE(writeFile(tmp.filePath(QStringLiteral("other.txt")), "o"));
        host.list(1, tmp.path());
        host.boxParent = &window;
        host.showCase = true;
        window.resize(400, 400);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        rc = std::make_unique<RenameController>(host, ui);
        host.select(1, QStringLiteral("notes.txt"));
    }
};

TEST_F(FileOpsRename, EnterRenamesInPlace)
{
    rc->renameafile();
    RenameBox* box = rc->box();
    ASSERT_TRUE(box->isVisible());
    EXPECT_TRUE(rc->renaming());
    EXPECT_TRUE(host.panels[1].suspended);
    const int row = host.indexOf(1, QStringLiteral("notes.txt"));
    EXPECT_EQ(box->geometry(), QRect(10 + 15 - 2, 40 + row * 18, 200 - 15 + 2, 19));
    EXPECT_EQ(box->selectedText(), QStringLiteral("notes.txt"));
    EXPECT_EQ(box->maxLength(), 255);
    QTest::keyClicks(box, QStringLiteral("plans.txt"));
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_FALSE(box->isVisible());
    EXPECT_FALSE(rc->renaming());
    EXPECT_TRUE(QFileInfo::exists(tmp.filePath(QStringLiteral("plans.txt"))));
    EXPECT_EQ(host.panels[1].entries[row].name, QStringLiteral("plans.txt"));
    EXPECT_FALSE(host.panels[1].suspended);
}

TEST_F(FileOpsRename, EscapeAndClickingElsewhereAbandon)
{
    rc->renameafile();
    QTest::keyClicks(rc->box(), QStringLiteral("zzz"));
    QTest::keyClick(rc->box(), Qt::Key_Escape);
    EXPECT_FALSE(rc->box()->isVisible());
    EXPECT_FALSE(host.panels[1].suspended);
    EXPECT_TRUE(QFileInfo::exists(tmp.filePath(QStringLiteral("notes.txt"))));

    rc->renameafile();
    QLineEdit other(&window);
    other.show();
    other.setFocus();
    QApplication::processEvents();
    rc->checkquitrenamebox();
    EXPECT_FALSE(rc->box()->isVisible());
    EXPECT_FALSE(rc->renaming());
    EXPECT_FALSE(host.panels[1].suspended);
    EXPECT_TRUE(ui.log().isEmpty());
}

TEST_F(FileOpsRename, CtrlDInsertsTheDate)
{
    const QString today = dateForName(QDate::currentDate());
    rc->renameafile();
    QTest::keyClick(rc->box(), Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(rc->box()->text(), today);   // the whole name was selected
    EXPECT_TRUE(rc->box()->isVisible());
    rc->box()->setText(QStringLiteral("log "));
    rc->box()->end(false);
    QTest::keyClick(rc->box(), Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(rc->box()->text(), QStringLiteral("log ") + today);
}

TEST_F(FileOpsRename, NavigationalEntryIsRefused)
{
    host.select(1, QStringLiteral(".."));
    rc->renameafile();
    EXPECT_EQ(ui.messages(), QStringList{QStringLiteral("Cannot rename this (navigational) entry")});
    EXPECT_FALSE(rc->box() && rc->box()->isVisible());
    EXPECT_FALSE(host.panels[1].suspended);
}

TEST_F(FileOpsRename, MakeDirectoryThenName)
{
    rc->makedir();
    ASSERT_TRUE(rc->box()->isVisible());
    EXPECT_TRUE(rc->makingdir());
    EXPECT_EQ(rc->box()->text(), QStringLiteral("New Folder"));
    EXPECT_EQ(host.panels[1].current, 1);   // below ".."
    QTest::keyClicks(rc->box(), QStringLiteral("Projects"));
    QTest::keyClick(rc->box(), Qt::Key_Enter);
    EXPECT_TRUE(QFileInfo(tmp.filePath(QStringLiteral("Projects"))).isDir());
    EXPECT_FALSE(QFileInfo::exists(tmp.filePath(QStringLiteral("New Folder"))));
    EXPECT_FALSE(rc->makingdir());
    EXPECT_TRUE(host.calls.contains(QStringLiteral("updatedrive 1")));
    EXPECT_TRUE(ui.log().isEmpty());

    // Keeping the offered name: no message, the folder stays.
    rc->makedir();
    QTest::keyClick(rc->box(), Qt::Key_Return);
    EXPECT_TRUE(QFileInfo(tmp.filePath(QStringLiteral("New Folder"))).isDir());
    EXPECT_TRUE(ui.log().isEmpty());
}

}  // namespace
