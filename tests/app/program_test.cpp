// The whole program's command surface: every subsystem's commands reach the
// main window's keys, buttons and menu.
#include "app/wiring.h"

#include "encrypt/accounts.h"
#include "encrypt/encrypt.h"
#include "mainform/mainwindow.h"
#include "mainform/panelview.h"
#include "support/scripteduserinterface.h"
#include "support/testenv.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace zx;
using zx::test::ScriptedUserInterface;
using zx::test::waitUntil;
using zx::test::writeFile;

namespace {

struct Program : ::testing::Test {
    QTemporaryDir tmp;
    Settings settings;
    ScriptedUserInterface ui;
    std::unique_ptr<MainWindow> w;
    std::unique_ptr<ProgramCommands> commands;

    void SetUp() override
    {
        writeFile(tmp.path() + QStringLiteral("/apple.txt"), "apple pie");
        writeFile(tmp.path() + QStringLiteral("/plum.txt"), "plums");
        MainWindowOptions opt;
        opt.startdir = tmp.path();
        opt.portablemode = true;
        opt.settleMs = 100;
        w = std::make_unique<MainWindow>(settings, ui, opt);
        commands = std::make_unique<ProgramCommands>(*w, settings, ui);
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }
    QStringList names() const
    {
        QStringList out;
        for (const Entry& e : w->model(1).entries)
            out << e.name;
        return out;
    }
    void runMenuItem(int row, const QString& caption)
    {
        w->menuHook = [&](QMenu* m) {
            std::function<QAction*(QMenu*)> find = [&](QMenu* mm) -> QAction* {
                for (QAction* a : mm->actions()) {
                    if (a->text() == caption)
                        return a;
                    if (a->menu())
                        if (QAction* s = find(a->menu()))
                            return s;
                }
                return nullptr;
            };
            QAction* a = find(m);
            ASSERT_TRUE(a) << caption.toStdString();
            ASSERT_TRUE(a->isEnabled()) << caption.toStdString();
            a->trigger();
        };
        const QRect r = w->getlistbox(1)->rowRect(row);
        QTest::mouseClick(w->getlistbox(1)->viewport(), Qt::RightButton, Qt::NoModifier, QPoint(60, r.center().y()));
    }
};

}  // namespace

TEST_F(Program, EveryMenuCommandOfTheEncryptionSubmenuIsAvailable)
{
    for (const char* id : {"encrypt", "encryptnames", "decrypt", "changepassword", "logout", "copypath", "recyclebin"})
        EXPECT_TRUE(w->hasCommand(QString::fromLatin1(id))) << id;
}

TEST_F(Program, EncryptAndDecryptFromTheMenuReListThePanel)
{
    ASSERT_TRUE(encrypt::writeINIfile(QStringLiteral("ann"), encrypt::cryptstring(QStringLiteral("secret1"), true)));
    const int apple = w->model(1).myindexof(QStringLiteral("apple.txt"), true);
    ASSERT_GE(apple, 0);
    w->model(1).current = apple;
    ui.expectAsk(QStringLiteral("password"), [](Question& q) {
        q.fields[0].value = QStringLiteral("ann");
        q.fields[1].value = QStringLiteral("secret1");
        return 0;
    });
    runMenuItem(apple, QStringLiteral("Encrypt"));
    const bool encrypted = waitUntil([&] { return names().contains(QStringLiteral("apple.txt.scrp")); }, 10000);
    ASSERT_TRUE(encrypted);
    EXPECT_FALSE(names().contains(QStringLiteral("apple.txt")));
    EXPECT_EQ(settings.lastUserName, QStringLiteral("ann"));   // kept for the next run
    const int enc = w->model(1).myindexof(QStringLiteral("apple.txt.scrp"), true);
    w->model(1).current = enc;
    runMenuItem(enc, QStringLiteral("Decrypt"));
    ASSERT_TRUE(waitUntil([&] { return names().contains(QStringLiteral("apple.txt")); }, 10000));
    EXPECT_EQ(zx::test::readFile(tmp.path() + QStringLiteral("/apple.txt")), QByteArray("apple pie"));
}


TEST_F(Program, TreeAndFindCommandsAreWired)
{
    for (const char* id : {"tree", "treenextfree", "find", "findroot"})
        EXPECT_TRUE(w->hasCommand(QString::fromLatin1(id))) << id;
    EXPECT_TRUE(w->statusButton(QStringLiteral("tree"))->isEnabled());
    // f opens the find window over the active panel's directory.
    QTest::keyClick(w->getlistbox(1), 'f');
    QWidget* found = nullptr;
    ASSERT_TRUE(waitUntil([&] {
        for (QWidget* t : QApplication::topLevelWidgets())
            if (t->isVisible() && t->windowTitle().startsWith(QStringLiteral("Searching: ")))
                found = t;
        return found != nullptr;
    }));
    EXPECT_EQ(found->windowTitle(), QStringLiteral("Searching: ") + tmp.path());
    found->close();
}

TEST_F(Program, CopyDeleteRenameAndMakeDirectoryFromTheKeys)
{
    const QString dest = tmp.path() + QStringLiteral("/dest");
    QDir().mkpath(dest);
    w->opendrive(w->driveLetterOf(dest), dest, 2);
    ASSERT_TRUE(waitUntil([&] { return !w->listingPending(2) && w->model(2).st.dir == dest; }));
    w->setactive(2, 1);
    for (const char* id : {"copy", "move", "delete", "recycle", "rename", "makedir"})
        EXPECT_TRUE(w->statusButton(QString::fromLatin1(id)) ? w->statusButton(QString::fromLatin1(id))->isEnabled()
                                                               : w->hasCommand(QString::fromLatin1(id)))
            << id;
    auto select = [&](const char* name) {
        w->model(1).current = w->model(1).myindexof(QString::fromLatin1(name), true);
        ASSERT_GE(w->model(1).current, 0) << name;
    };

    // c: the drive of the next panel is offered; the panel showing it receives the copy.
    select("apple.txt");
    ui.expectAsk(QStringLiteral("copytodrive"), 0);
    QTest::keyClick(w->getlistbox(1), 'c');
    ASSERT_TRUE(waitUntil([&] { return QFileInfo::exists(dest + QStringLiteral("/apple.txt")); }));
    ASSERT_TRUE(waitUntil([&] { return w->model(2).myindexof(QStringLiteral("apple.txt"), true) >= 0; }));
    EXPECT_EQ(zx::test::readFile(dest + QStringLiteral("/apple.txt")), QByteArray("apple pie"));

    // d: the delete question, Yes.
    select("plum.txt");
    ui.expectAsk(QStringLiteral("delete"), 0);
    QTest::keyClick(w->getlistbox(1), 'd');
    ASSERT_TRUE(waitUntil([&] { return !QFileInfo::exists(tmp.path() + QStringLiteral("/plum.txt")); }));
    ASSERT_TRUE(waitUntil([&] { return w->model(1).myindexof(QStringLiteral("plum.txt"), true) < 0; }));

    // r: the rename box over the row; Enter renames.
    select("apple.txt");
    // Types a name into the in-place box that key opened and presses Enter.
    auto typeIntoBox = [&](char key, const QString& name) {
        QTest::keyClick(w->getlistbox(1), key);
        QLineEdit* box = nullptr;
        ASSERT_TRUE(waitUntil([&] {
            box = nullptr;
            for (QLineEdit* e : w->findChildren<QLineEdit*>())
                if (e->isVisible())
                    box = e;
            return box != nullptr;
        }));
        box->selectAll();
        QTest::keyClicks(box, name);
        QTest::keyClick(box, Qt::Key_Return);
    };
    typeIntoBox('r', QStringLiteral("Quince.txt"));
    ASSERT_TRUE(waitUntil([&] { return QFileInfo::exists(tmp.path() + QStringLiteral("/Quince.txt")); }));
    EXPECT_FALSE(QFileInfo::exists(tmp.path() + QStringLiteral("/apple.txt")));

    // m: a new directory named in the same box.
    typeIntoBox('m', QStringLiteral("made"));
    ASSERT_TRUE(waitUntil([&] { return QFileInfo(tmp.path() + QStringLiteral("/made")).isDir(); }));
    EXPECT_EQ(ui.pendingAnswers(), 0);
}
