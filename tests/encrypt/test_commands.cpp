// The encryption commands as the user meets them: login, accounts, Logout,
// Change password, the forget timer, and Encrypt / Decrypt on a tree, with
// the user's answers scripted; the real login dialog driven with key clicks.
#include "encrypt/accounts.h"
#include "encrypt/encryptcommands.h"
#include "encrypt/encryptingform.h"
#include "encrypt/getpasswordform.h"
#include "platform/trash.h"
#include "support/scripteduserinterface.h"
#include "support/testenv.h"

#include <QApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace zx::encrypt;
using zx::test::readFile;
using zx::test::ScriptedUserInterface;
using zx::test::writeFile;

namespace {

QMap<QString, QByteArray> snapshot(const QString& root)
{
    QMap<QString, QByteArray> out;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString p = it.next();
        out.insert(QDir(root).relativeFilePath(p), readFile(p));
    }
    return out;
}

QByteArray pattern(qsizetype n, int seed)
{
    QByteArray b(n, '\0');
    quint32 x = quint32(seed) * 2654435761u + 7;
    for (char& c : b) {
        x = x * 1103515245u + 12345u;
        c = char(x >> 24);
    }
    return b;
}

// A scripted login: the next password dialog gets these texts and "&Ok".
void answerLogin(ScriptedUserInterface& ui, const QString& user, const QString& password,
                 QString* title = nullptr, QString* prefilledUser = nullptr)
{
    ui.expectAsk(QStringLiteral("password"), [=](zx::Question& q) {
        if (title)
            *title = q.title;
        if (prefilledUser)
            *prefilledUser = q.fields.value(0).value;
        q.fields[0].value = user;
        q.fields[1].value = password;
        return 0;
    });
}

void makeAccount(const QString& user, const QString& password)
{
    ASSERT_TRUE(writeINIfile(user, cryptstring(password, true)));
}

struct Session {
    ScriptedUserInterface ui;
    QWidget window;
    EncryptionCommands cmd{ui, &window};
    QTemporaryDir dir;
    QString file(const QString& name) const { return dir.filePath(name); }
};

}  // namespace

TEST(EncryptLogin, FirstUseSetsThePasswordAndLogsIn)
{
    Session s;
    writeFile(s.file(QStringLiteral("a.txt")), "hello");
    ASSERT_FALSE(QFileInfo::exists(accountsFilePath()));
    QString title;
    answerLogin(s.ui, QStringLiteral("  alice "), QStringLiteral("pass"), &title);
    s.cmd.encrypt({s.file(QStringLiteral("a.txt"))}, false);

    EXPECT_EQ(title, QStringLiteral("Set password"));
    EXPECT_EQ(s.ui.messages(), QStringList{QStringLiteral("A new password has been set")});
    EXPECT_TRUE(s.cmd.loggedIn());
    EXPECT_EQ(s.cmd.currentUserName(), QStringLiteral("alice"));
    EXPECT_EQ(s.cmd.lastUserName(), QStringLiteral("alice"));
    EXPECT_EQ(readINIfile(QStringLiteral("ALICE")), cryptstring(QStringLiteral("pass"), true));
    EXPECT_EQ(QFileInfo(accountsFilePath()).permissions() & (QFile::ReadGroup | QFile::ReadOther), 0);
    EXPECT_TRUE(QFileInfo::exists(s.file(QStringLiteral("a.txt.scrp"))));
    EXPECT_FALSE(QFileInfo::exists(s.file(QStringLiteral("a.txt"))));
}

// Each faulty entry shows its message and the dialog comes back; a password
// of exactly four characters is taken.
TEST(EncryptLogin, ChecksKeepTheDialogOpen)
{
    Session s;
    struct C { const char *user, *password, *message; };
    const C faulty[] = {
        {"", "secret", "You must enter a user name."},
        {"   ", "secret", "You must enter a user name."},
        {"bob", "", "You must enter a password."},
        {"bob", "   ", "You must enter a password."},
        {"bob", "abc", "Password must be at least 4 characters long."},
        {"bob", " abc  ", "Password must be at least 4 characters long."},
    };
    for (const C& c : faulty)
        answerLogin(s.ui, QString::fromUtf8(c.user), QString::fromUtf8(c.password));
    answerLogin(s.ui, QStringLiteral("bob"), QStringLiteral("abcd"));
    EXPECT_TRUE(s.cmd.GetEncryptPassword(false));

    QStringList expected;
    for (const C& c : faulty)
        expected << QString::fromUtf8(c.message);
    expected << QStringLiteral("A new password has been set");
    EXPECT_EQ(s.ui.messages(), expected);
    EXPECT_EQ(s.ui.pendingAnswers(), 0);
}

TEST(EncryptLogin, WrongPasswordLogsNobodyInAndTheCommandDoesNothing)
{
    Session s;
    makeAccount(QStringLiteral("alice"), QStringLiteral("pass1"));
    writeFile(s.file(QStringLiteral("a.txt")), "hello");
    QString title;
    answerLogin(s.ui, QStringLiteral("Alice"), QStringLiteral("pass2"), &title);
    s.cmd.encrypt({s.file(QStringLiteral("a.txt"))}, false);

    EXPECT_EQ(title, QStringLiteral("Password Dialog"));
    EXPECT_EQ(s.ui.messages(), QStringList{QStringLiteral("Password Incorrect")});
    EXPECT_FALSE(s.cmd.loggedIn());
    EXPECT_EQ(readFile(s.file(QStringLiteral("a.txt"))), QByteArray("hello"));
    // The name typed is remembered even so.
    EXPECT_EQ(s.cmd.lastUserName(), QStringLiteral("Alice"));
}

TEST(EncryptLogin, UnknownUserIsOfferedANewAccount)
{
    Session s;
    makeAccount(QStringLiteral("alice"), QStringLiteral("pass1"));
    s.cmd.setLastUserName(QStringLiteral("alice"));
    const QByteArray iniBefore = readFile(accountsFilePath());

    // No: nothing changes.
    answerLogin(s.ui, QStringLiteral("carol"), QStringLiteral("pass3"));
    s.ui.expectConfirm(false);
    EXPECT_FALSE(s.cmd.GetEncryptPassword(false));
    EXPECT_TRUE(s.ui.shown(QStringLiteral("User name is unknown.")));
    EXPECT_TRUE(s.ui.shown(QStringLiteral("Do you want to create a new account")));
    EXPECT_EQ(s.cmd.currentUserName(), QStringLiteral("alice"));
    EXPECT_EQ(s.cmd.lastUserName(), QStringLiteral("alice"));
    EXPECT_EQ(readFile(accountsFilePath()), iniBefore);
    EXPECT_TRUE(s.ui.messages().isEmpty());

    // Yes: the account is made and used.
    answerLogin(s.ui, QStringLiteral("carol"), QStringLiteral("pass3"));
    s.ui.expectConfirm(true);
    EXPECT_TRUE(s.cmd.GetEncryptPassword(false));
    EXPECT_EQ(s.ui.messages(), QStringList{QStringLiteral("A new password has been set")});
    EXPECT_EQ(s.cmd.currentUserName(), QStringLiteral("carol"));
    EXPECT_EQ(readINIfile(QStringLiteral("carol")), cryptstring(QStringLiteral("pass3"), true));
    EXPECT_EQ(readINIfile(QStringLiteral("alice")), cryptstring(QStringLiteral("pass1"), true));
}

TEST(EncryptLogin, SpacesAroundNameAndPasswordAndCaseOfTheNameDoNotMatter)
{
    Session s;
    makeAccount(QStringLiteral("alice"), QStringLiteral("pass1"));
    answerLogin(s.ui, QStringLiteral("  ALICE  "), QStringLiteral("pass1 "));
    EXPECT_TRUE(s.cmd.GetEncryptPassword(false));
    EXPECT_TRUE(s.ui.messages().isEmpty());
    EXPECT_EQ(s.cmd.currentUserName(), QStringLiteral("ALICE"));
}

// Files encrypted under one account open only under it.
TEST(EncryptLogin, FilesBelongToTheirAccount)
{
    Session s;
    makeAccount(QStringLiteral("alice"), QStringLiteral("pass1"));
    makeAccount(QStringLiteral("bob"), QStringLiteral("pass2"));
    const QString f = s.file(QStringLiteral("letter.txt"));
    writeFile(f, "dear bob");
    answerLogin(s.ui, QStringLiteral("alice"), QStringLiteral("pass1"));
    s.cmd.encrypt({f}, false);
    const QByteArray ciphertext = readFile(f + QStringLiteral(".scrp"));
    s.cmd.logout();
    answerLogin(s.ui, QStringLiteral("bob"), QStringLiteral("pass2"));
    s.cmd.decrypt({f + QStringLiteral(".scrp")});
    EXPECT_NE(readFile(f), QByteArray("dear bob"));
    EXPECT_EQ(readFile(zx::platform::trashFilesDir() + QStringLiteral("/letter.txt.scrp")), ciphertext);
}

TEST(EncryptLogout, NoticeThenTheNextCommandAsksAgainWithTheName)
{
    Session s;
    makeAccount(QStringLiteral("alice"), QStringLiteral("pass1"));
    answerLogin(s.ui, QStringLiteral("alice"), QStringLiteral("pass1"));
    ASSERT_TRUE(s.cmd.GetEncryptPassword(false));

    QString noticeText, noticeTitle;
    QTimer::singleShot(300, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* n = qobject_cast<Tencryptingform*>(w); n && n->isVisible()) {
                noticeText = n->text();
                noticeTitle = n->windowTitle();
            }
    });
    QElapsedTimer t;
    t.start();
    s.cmd.logout();
    EXPECT_GE(t.elapsed(), 750);
    EXPECT_EQ(noticeText, QStringLiteral("Logged out"));
    EXPECT_EQ(noticeTitle, QStringLiteral("Zarvex Encrypt"));
    EXPECT_FALSE(s.cmd.loggedIn());
    EXPECT_EQ(s.cmd.currentUserName(), QStringLiteral("alice"));

    const QString f = s.file(QStringLiteral("x"));
    writeFile(f, "x");
    QString prefilled;
    answerLogin(s.ui, QStringLiteral("alice"), QStringLiteral("pass1"), nullptr, &prefilled);
    s.cmd.encrypt({f}, false);
    EXPECT_EQ(prefilled, QStringLiteral("alice"));
    EXPECT_TRUE(QFileInfo::exists(f + QStringLiteral(".scrp")));
}

TEST(EncryptChangePassword, NewPasswordReplacesTheOld)
{
    Session s;
    makeAccount(QStringLiteral("alice"), QStringLiteral("pass1"));
    // Not logged in: login first, then the question, then the set-password dialog.
    answerLogin(s.ui, QStringLiteral("alice"), QStringLiteral("pass1"));
    s.ui.expectConfirm(true);
    QString title;
    answerLogin(s.ui, QStringLiteral("alice"), QStringLiteral("pass2"), &title);
    s.cmd.changePassword();
    EXPECT_TRUE(s.ui.shown(QStringLiteral("Are you sure you want to Change your password?")));
    EXPECT_EQ(title, QStringLiteral("Set password"));
    EXPECT_EQ(s.ui.messages(), QStringList{QStringLiteral("A new password has been set")});
    EXPECT_TRUE(s.cmd.loggedIn());

    s.cmd.logout();
    answerLogin(s.ui, QStringLiteral("alice"), QStringLiteral("pass1"));
    EXPECT_FALSE(s.cmd.GetEncryptPassword(false));
    EXPECT_TRUE(s.ui.shown(QStringLiteral("Password Incorrect")));
    answerLogin(s.ui, QStringLiteral("alice"), QStringLiteral("pass2"));
    EXPECT_TRUE(s.cmd.GetEncryptPassword(false));

    // Answering No keeps the login and the password.
    s.ui.expectConfirm(false);
    s.cmd.changePassword();
    EXPECT_TRUE(s.cmd.loggedIn());
    EXPECT_EQ(readINIfile(QStringLiteral("alice")), cryptstring(QStringLiteral("pass2"), true));
}

// A short period through the same setting the configuration dialog edits.
TEST(EncryptForgetTimer, ForgetsAfterThePeriodUnlessSwitchedOff)
{
    Session s;
    makeAccount(QStringLiteral("alice"), QStringLiteral("pass1"));
    s.cmd.setForgetPassword(true, 0.005);   // 300 ms
    EXPECT_EQ(s.cmd.forgetTimer()->interval(), 300);
    EXPECT_TRUE(s.cmd.forgetTimer()->isActive());
    answerLogin(s.ui, QStringLiteral("alice"), QStringLiteral("pass1"));
    ASSERT_TRUE(s.cmd.GetEncryptPassword(false));
    EXPECT_TRUE(zx::test::waitUntil([&] { return !s.cmd.loggedIn(); }, 3000));
    EXPECT_TRUE(s.ui.messages().isEmpty());

    s.cmd.setForgetPassword(false, 0.005);
    EXPECT_FALSE(s.cmd.forgetTimer()->isActive());
    answerLogin(s.ui, QStringLiteral("alice"), QStringLiteral("pass1"));
    ASSERT_TRUE(s.cmd.GetEncryptPassword(false));
    QTest::qWait(800);
    EXPECT_TRUE(s.cmd.loggedIn());
}

// The period counts from the end of the last command.
TEST(EncryptForgetTimer, CommandRestartsThePeriod)
{
    Session s;
    makeAccount(QStringLiteral("alice"), QStringLiteral("pass1"));
    s.cmd.setForgetPassword(true, 1.5 / 60.0);   // 1.5 s
    answerLogin(s.ui, QStringLiteral("alice"), QStringLiteral("pass1"));
    ASSERT_TRUE(s.cmd.GetEncryptPassword(false));
    QTest::qWait(1000);
    writeFile(s.file(QStringLiteral("f")), "f");
    s.cmd.encrypt({s.file(QStringLiteral("f"))}, false);
    QElapsedTimer sinceEnd;
    sinceEnd.start();
    QTest::qWait(900);   // 1.9 s after the start: the first period is over
    if (sinceEnd.elapsed() < 1400)
        EXPECT_TRUE(s.cmd.loggedIn());
    EXPECT_TRUE(zx::test::waitUntil([&] { return !s.cmd.loggedIn(); }, 3000));
}

// Encrypt with names too, then Decrypt, on a tree; the window keeps running
// its events while the notice is up.
TEST(EncryptCommand, TreeWithNamesTooComesBackWhole)
{
    Session s;
    makeAccount(QStringLiteral("alice"), QStringLiteral("pass1"));
    const QString root = s.file(QStringLiteral("docs"));
    const QMap<QString, QByteArray> files = {
        {QStringLiteral("big.bin"), pattern(24 << 20, 1)},
        {QStringLiteral("notes.TXT"), pattern(1000, 2)},
        {QStringLiteral("img/holiday.jpeg"), pattern(70000, 3)},
        {QStringLiteral("img/.thumbs"), pattern(5, 4)},
        {QStringLiteral("deep/er/archive.tar.gz"), pattern(8192 * 3 + 1, 5)},
    };
    for (auto it = files.begin(); it != files.end(); ++it)
        ASSERT_TRUE(writeFile(root + QLatin1Char('/') + it.key(), it.value()));
    const QString loose = s.file(QStringLiteral("loose file.odt"));
    writeFile(loose, "loose");

    int ticks = 0;
    QStringList noticeTexts;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        ++ticks;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* n = qobject_cast<Tencryptingform*>(w); n && n->isVisible() && !noticeTexts.contains(n->text()))
                noticeTexts << n->text();
    });
    ticker.start(5);

    answerLogin(s.ui, QStringLiteral("alice"), QStringLiteral("pass1"));
    s.cmd.encrypt({root, loose}, true);
    const int ticksDuringEncrypt = ticks;
    EXPECT_GT(ticksDuringEncrypt, 2);
    EXPECT_EQ(noticeTexts, QStringList{QStringLiteral("Encrypting data")});
    EXPECT_FALSE(s.cmd.isBusy());

    const auto encrypted = snapshot(root);
    EXPECT_EQ(encrypted.size(), files.size());
    for (auto it = encrypted.begin(); it != encrypted.end(); ++it)
        EXPECT_TRUE(it.key().endsWith(QStringLiteral(".sscrp"))) << it.key().toStdString();
    EXPECT_TRUE(QFileInfo(root + QStringLiteral("/deep/er")).isDir());
    EXPECT_FALSE(QFileInfo::exists(loose));

    const QStringList looseEnc = QDir(s.dir.path()).entryList({QStringLiteral("*.sscrp")}, QDir::Files);
    ASSERT_EQ(looseEnc.size(), 1);
    EXPECT_TRUE(looseEnc.first().endsWith(QStringLiteral(".sscrp")));

    s.cmd.decrypt({root, s.file(looseEnc.first())});
    EXPECT_EQ(snapshot(root), files);
    EXPECT_EQ(readFile(loose), QByteArray("loose"));
    EXPECT_TRUE(noticeTexts.contains(QStringLiteral("Decrypting data")));
    EXPECT_TRUE(s.ui.messages().isEmpty());
    EXPECT_FALSE(QApplication::overrideCursor());
}

TEST(EncryptCommand, ParentEntryAloneDoesNothingVisible)
{
    Session s;
    s.cmd.encrypt({s.dir.path() + QStringLiteral("/..")}, false);
    s.cmd.decrypt({});
    EXPECT_TRUE(s.ui.log().isEmpty());
}

TEST(EncryptCommand, CancelledLoginDoesNothing)
{
    Session s;
    makeAccount(QStringLiteral("alice"), QStringLiteral("pass1"));
    writeFile(s.file(QStringLiteral("a")), "a");
    s.ui.expectAsk(QStringLiteral("password"), 1);
    s.cmd.encrypt({s.file(QStringLiteral("a"))}, false);
    EXPECT_TRUE(s.ui.messages().isEmpty());
    EXPECT_EQ(readFile(s.file(QStringLiteral("a"))), QByteArray("a"));
}

// Files the format cannot hold are named at the end; the rest is done.
TEST(EncryptCommand, SkippedFilesAreReportedAtTheEnd)
{
    Session s;
    makeAccount(QStringLiteral("alice"), QStringLiteral("pass1"));
    const QString big = s.file(QStringLiteral("disk.img"));
    {
        QFile f(big);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(kSizeLimit + 10));
    }
    writeFile(s.file(QStringLiteral("small.txt")), "small");
    answerLogin(s.ui, QStringLiteral("alice"), QStringLiteral("pass1"));
    s.cmd.encrypt({big, s.file(QStringLiteral("small.txt"))}, false);
    ASSERT_EQ(s.ui.messages().size(), 1);
    EXPECT_TRUE(s.ui.messages().first().contains(QStringLiteral("4 GB or larger")));
    EXPECT_TRUE(s.ui.messages().first().contains(big));
    EXPECT_EQ(QFileInfo(big).size(), kSizeLimit + 10);
    EXPECT_TRUE(QFileInfo::exists(s.file(QStringLiteral("small.txt.scrp"))));
}

// ---------------------------------------------------------------- the real dialog

namespace {
// Runs f on the login dialog once it is up.
void onDialog(std::function<void(Tgetpasswordform*)> f)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, f] {
        if (auto* d = qobject_cast<Tgetpasswordform*>(QApplication::activeModalWidget()); d && d->isVisible()) {
            poll->stop();
            poll->deleteLater();
            f(d);
        }
    });
    poll->start(10);
}
}  // namespace

TEST(EncryptDialog, TypingIntoTheLoginDialog)
{
    Session s;
    s.cmd.setUseLoginDialog(true);
    makeAccount(QStringLiteral("alice"), QStringLiteral("pass1"));
    s.cmd.setLastUserName(QStringLiteral("alice"));

    QString caption, focused;
    int messagesWhileOpen = -1;
    bool stillOpen = false;
    int maxLen = 0;
    onDialog([&](Tgetpasswordform* d) {
        caption = d->windowTitle();
        focused = d->focusWidget() ? d->focusWidget()->objectName() : QString();
        EXPECT_EQ(d->usernameedit->text(), QStringLiteral("alice"));
        QTest::keyClicks(d->passwordedit, QStringLiteral("abcdefghijklmnopqrstuvwxyz0123"));
        maxLen = int(d->passwordedit->text().size());
        d->passwordedit->clear();
        QTest::keyClicks(d->passwordedit, QStringLiteral("pas"));
        QTest::mouseClick(d->okbutton, Qt::LeftButton);
        messagesWhileOpen = int(s.ui.messages().size());
        stillOpen = d->isVisible();
        QTest::keyClicks(d->passwordedit, QStringLiteral("s1"));
        QTest::keyClick(d->passwordedit, Qt::Key_Return);
    });
    EXPECT_TRUE(s.cmd.GetEncryptPassword(false));
    EXPECT_EQ(caption, QStringLiteral("Password Dialog"));
    EXPECT_EQ(focused, QStringLiteral("passwordedit"));
    EXPECT_EQ(maxLen, 24);
    EXPECT_EQ(messagesWhileOpen, 1);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(s.ui.messages(), QStringList{QStringLiteral("Password must be at least 4 characters long.")});
    EXPECT_TRUE(s.cmd.loggedIn());
}

TEST(EncryptDialog, EscapeCancelsAndFirstUseAsksToSetAPassword)
{
    Session s;
    s.cmd.setUseLoginDialog(true);
    QString caption, focused;
    onDialog([&](Tgetpasswordform* d) {
        caption = d->windowTitle();
        focused = d->focusWidget() ? d->focusWidget()->objectName() : QString();
        QTest::keyClicks(d->usernameedit, QStringLiteral("someone"));
        QTest::keyClick(d, Qt::Key_Escape);
    });
    EXPECT_FALSE(s.cmd.GetEncryptPassword(false));
    EXPECT_EQ(caption, QStringLiteral("Set password"));
    EXPECT_EQ(focused, QStringLiteral("usernameedit"));
    EXPECT_TRUE(s.ui.log().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(accountsFilePath()));
    EXPECT_TRUE(s.cmd.currentUserName().isEmpty());
}
