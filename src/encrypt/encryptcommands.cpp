#include "encrypt/encryptcommands.h"

#include "app/qtuserinterface.h"
#include "app/userinterface.h"
#include "encrypt/accounts.h"
#include "encrypt/encryptingform.h"
#include "platform/filesync.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QLineEdit>
#include <QThread>
#include <exception>

namespace zx::encrypt {

namespace {
// Overwrites the characters of s in place, then empties it.
void burnString(QString& s)
{
    QChar* d = s.data();   // detaches: other copies keep their text, this buffer is cleared
    for (qsizetype i = 0; i < s.size(); ++i)
        d[i] = QLatin1Char('X');
    s.clear();
}

bool isNavigationalEntry(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    return path.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") ||
           path.endsWith(QLatin1String("/.")) || path.endsWith(QLatin1String("/.."));
}
}  // namespace

EncryptionCommands::EncryptionCommands(UserInterface& ui, QWidget* parent)
    : QObject(parent), ui_(ui), parent_(parent)
{
    useLoginDialog_ = dynamic_cast<QtUserInterface*>(&ui) != nullptr;
    forgettimer_.setObjectName(QStringLiteral("forgettimer"));
    connect(&forgettimer_, &QTimer::timeout, this, &EncryptionCommands::forgettimerTimer);
}

EncryptionCommands::~EncryptionCommands()
{
    forgetLoginPassword();
}

// ---------------------------------------------------------------- settings

void EncryptionCommands::setForgetPassword(bool on, double minutes)
{
    forgetOn_ = on;
    if (minutes > 0)
        forgetMinutes_ = minutes;
    restartForgetTimer();
}

void EncryptionCommands::setLastUserName(const QString& name)
{
    lastUserName_ = name;
    if (!name.isEmpty() && currentUser_.isEmpty())
        currentUser_ = name;
}

void EncryptionCommands::restartForgetTimer()
{
    forgettimer_.stop();
    forgettimer_.setInterval(int(qBound<double>(1, forgetMinutes_ * 60000.0, 2147483647.0)));
    if (forgetOn_)
        forgettimer_.start();
}

void EncryptionCommands::forgettimerTimer()
{
    if (forgetOn_ && loggedIn())
        forgetLoginPassword();
}

void EncryptionCommands::forgetLoginPassword()
{
    burnString(loginPassword_);
}

// ---------------------------------------------------------------- login

EncryptionCommands::OkResult EncryptionCommands::loginOk(const QString& userText, const QString& passwordText)
{
    using O = Tgetpasswordform::OkOutcome;
    const QString user = userText.trimmed();
    QString password = passwordText.trimmed();
    if (user.isEmpty()) {
        ui_.message(QStringLiteral("You must enter a user name."), MsgKind::Information);
        return {O::StayOpen, 0};
    }
    if (password.isEmpty()) {
        ui_.message(QStringLiteral("You must enter a password."), MsgKind::Information);
        return {O::StayOpen, 1};
    }
    if (password.size() < 4) {
        ui_.message(QStringLiteral("Password must be at least 4 characters long."), MsgKind::Information);
        return {O::StayOpen, 1};
    }

    const QString typedForm = cryptstring(password, true);
    burnString(password);
    const QString stored = readINIfile(user);

    if (setPasswordMode_) {
        setAccount(user, typedForm);
        return {O::Accept, -1};
    }
    if (!stored.isEmpty()) {
        if (stored != typedForm) {
            ui_.message(QStringLiteral("Password Incorrect"), MsgKind::Warning);
        } else {
            lastUserName_ = user;
            loginPassword_ = typedForm;
        }
        return {O::Accept, -1};
    }
    if (ui_.confirm(QString(), QStringLiteral("User name is unknown."),
                    QStringLiteral("Do you want to create a new account with this user name and password?"))) {
        setAccount(user, typedForm);
        return {O::Accept, -1};
    }
    return {O::Reject, -1};
}

void EncryptionCommands::setAccount(const QString& user, const QString& passwordForm)
{
    currentUser_ = user;
    loginPassword_ = passwordForm;
    QString error;
    const bool stored = writeINIfile(currentUser_, loginPassword_, &error);
    ui_.message(QStringLiteral("A new password has been set"), MsgKind::Information);
    if (!stored) {
        // The login holds for this session, but the account could not be kept.
        ui_.message(QStringLiteral("The password could not be saved, so it will be unknown the next time "
                                   "Zarvex starts.\r") + error,
                    MsgKind::Warning);
    }
}

bool EncryptionCommands::GetEncryptPassword(bool setMode)
{
    using O = Tgetpasswordform::OkOutcome;
    setPasswordMode_ = !QFileInfo::exists(accountsFilePath()) || setMode;
    O result = O::Reject;
    QString typedUser;

    if (useLoginDialog_) {
        Tgetpasswordform dlg(parent_);
        dlg.setSetPasswordMode(setPasswordMode_);
        if (!currentUser_.isEmpty())
            dlg.setUserName(currentUser_);
        dlg.onOk = [&] {
            const OkResult r = loginOk(dlg.userName(), dlg.password());
            if (r.focusField == 0)
                dlg.usernameedit->setFocus();
            else if (r.focusField == 1)
                dlg.passwordedit->setFocus();
            typedUser = dlg.userName();
            return r.outcome;
        };
        result = dlg.exec() == QDialog::Accepted ? O::Accept : O::Reject;
        dlg.passwordedit->clear();
        // Let the main window redraw its highlight bar and refocus the panel.
        if (auto* qtUi = dynamic_cast<QtUserInterface*>(&ui_); qtUi && qtUi->afterDialog)
            qtUi->afterDialog();
    } else {
        Question q;
        q.id = QStringLiteral("password");
        q.title = setPasswordMode_ ? QStringLiteral("Set password") : QStringLiteral("Password Dialog");
        q.fields = {{QStringLiteral("User name:"), currentUser_, false},
                    {QStringLiteral("Password:"), QString(), true}};
        q.buttons = {QStringLiteral("&Ok"), QStringLiteral("&Cancel")};
        q.defaultButton = 0;
        q.cancelButton = 1;
        for (;;) {
            if (ui_.ask(q) != 0) {
                result = O::Reject;
                break;
            }
            typedUser = q.fields[0].value;
            const OkResult r =
                loginOk(typedUser, q.fields[1].value.left(Tgetpasswordform::kMaxPasswordLength));
            if (r.outcome != O::StayOpen) {
                result = r.outcome;
                break;
            }
        }
        burnString(q.fields[1].value);
    }

    if (result == O::Accept) {
        currentUser_ = typedUser.trimmed();
        lastUserName_ = currentUser_;
        Q_EMIT lastUserNameChanged(lastUserName_);
    }
    setPasswordMode_ = false;
    return loggedIn();
}

// ---------------------------------------------------------------- commands

void EncryptionCommands::logout()
{
    forgetLoginPassword();
    showNotice(QStringLiteral("Logged out"), 800);
}

void EncryptionCommands::changePassword()
{
    if (busy_)
        return;
    if (!loggedIn() && !GetEncryptPassword(false))
        return;
    if (!ui_.confirm(QString(), QStringLiteral("Are you sure you want to Change your password?")))
        return;
    forgetLoginPassword();
    GetEncryptPassword(true);
    restartForgetTimer();
}

void EncryptionCommands::encrypt(const QStringList& fullPaths, bool namesToo)
{
    Encrypt1Click(fullPaths, true, namesToo);
}

void EncryptionCommands::decrypt(const QStringList& fullPaths)
{
    Encrypt1Click(fullPaths, false, false);
}

void EncryptionCommands::showNotice(const QString& text, int ms)
{
    Tencryptingform notice(parent_);
    notice.setText(text);
    notice.showCentred();
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    notice.finish();
}

void EncryptionCommands::Encrypt1Click(const QStringList& fullPaths, bool encryptMode, bool namesToo)
{
    if (busy_)
        return;
    QStringList paths;
    for (const QString& p : fullPaths)
        if (!isNavigationalEntry(p))
            paths << p;
    if (paths.isEmpty())
        return;
    if (!loggedIn() && !GetEncryptPassword(false))
        return;
    if (!loggedIn())
        return;

    busy_ = true;
    forgettimer_.stop();
    const int unit = platform::allocationUnitSize(QFileInfo(paths.first()).absolutePath());
    QApplication::setOverrideCursor(Qt::WaitCursor);

    Tencryptingform notice(parent_);
    notice.setText(encryptMode ? QStringLiteral("Encrypting data") : QStringLiteral("Decrypting data"));
    notice.showCentred();
    QCoreApplication::processEvents();

    // The files are worked on a worker thread while this thread keeps the
    // windows painted; the command still returns only when all is done.
    EncryptReport report;
    QString password = loginPassword_;
    QThread* worker = QThread::create([&] {
        try {
            EncryptSession session(password, unit);
            for (const QString& p : paths)
                session.processPath(p, encryptMode, namesToo, report);
        } catch (const std::exception&) {
            report.failed << paths.first();
        }
    });
    QEventLoop loop;
    connect(worker, &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    loop.exec();
    worker->wait();
    delete worker;
    burnString(password);

    notice.finish();
    QApplication::restoreOverrideCursor();
    restartForgetTimer();
    busy_ = false;

    if (report.hasProblems())
        ui_.message(reportText(report, encryptMode), MsgKind::Warning);
    Q_EMIT commandFinished(paths);
}

QString EncryptionCommands::reportText(const EncryptReport& r, bool encryptMode) const
{
    auto section = [](const QString& heading, const QStringList& files) {
        constexpr int kShown = 10;
        QString s = heading;
        for (int i = 0; i < files.size() && i < kShown; ++i)
            s += QLatin1Char('\r') + files[i];
        if (files.size() > kShown)
            s += QStringLiteral("\r... and %1 more").arg(files.size() - kShown);
        return s;
    };
    QStringList parts;
    if (!r.tooLarge.isEmpty())
        parts << section(QStringLiteral("These files are 4 GB or larger and were left unchanged:"), r.tooLarge);
    if (!r.failed.isEmpty())
        parts << section(encryptMode ? QStringLiteral("These files could not be encrypted and were left unchanged:")
                                     : QStringLiteral("These files could not be decrypted and were left unchanged:"),
                         r.failed);
    if (!r.notWiped.isEmpty())
        parts << section(QStringLiteral("These files were encrypted, but their plain copies could not be wiped:"),
                         r.notWiped);
    if (!r.notTrashed.isEmpty())
        parts << section(QStringLiteral("These files were decrypted, but the encrypted files could not be moved "
                                        "to the trash and were kept:"),
                         r.notTrashed);
    return parts.join(QStringLiteral("\r\r"));
}

}  // namespace zx::encrypt
