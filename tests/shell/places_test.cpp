#include "shell/places.h"

#include "mainform/mainwindow.h"
#include "support/scripteduserinterface.h"
#include "support/testenv.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace zx;

TEST(Places, GoToFoldersCopyPathAndTrash)
{
    QTemporaryDir tmp;
    zx::test::writeFile(tmp.path() + QStringLiteral("/note.txt"), "n");
    Settings settings;
    zx::test::ScriptedUserInterface ui;
    MainWindowOptions opt;
    opt.startdir = tmp.path();
    opt.portablemode = true;
    MainWindow w(settings, ui, opt);
    registerPlaceCommands(w);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));

    // Every "Go to" place that exists here opens in the next free panel.
    ASSERT_TRUE(w.runCommand(QStringLiteral("goto:temp")));
    ASSERT_TRUE(zx::test::waitUntil([&] { return !w.listingPending(2); }));
    EXPECT_EQ(w.model(2).st.dir, QDir::cleanPath(QDir::tempPath()));
    EXPECT_EQ(specialFolder(QStringLiteral("nosuch")), QString());

    // The trash opens as a folder (created when the user never used it).
    ASSERT_TRUE(w.runCommand(QStringLiteral("recyclebin")));
    ASSERT_TRUE(zx::test::waitUntil([&] { return !w.listingPending(3); }));
    EXPECT_TRUE(w.model(3).st.dir.endsWith(QStringLiteral("/Trash/files")));

    w.setactive(w.activepanel(), 1);
    w.model(1).current = w.model(1).myindexof(QStringLiteral("note.txt"), true);
    ASSERT_TRUE(w.runCommand(QStringLiteral("copypath")));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), tmp.path() + QStringLiteral("/note.txt"));
}
