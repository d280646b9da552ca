#pragma once
// The "ZX File encryption" commands of the panel context menu: "Encrypt",
// "Encrypt (file names too)", "Decrypt", "Change password" and "Logout", with
// the login state they share and the password-forget timer.
//
// The main window makes one object, loads its settings into it
// (setForgetPassword, setLastUserName) and saves them back at exit
// (forgetPassword, forgetMinutes, lastUserName).

#include "encrypt/encrypt.h"
#include "encrypt/getpasswordform.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

class QWidget;

namespace zx {
class UserInterface;
}

namespace zx::encrypt {

class EncryptionCommands : public QObject {
    Q_OBJECT
public:
    // Dialogs are placed over `parent`. The real login dialog is shown when
    // `ui` is the program's Qt user interface; otherwise the login is asked
    // through ui.ask() with the question id "password" (fields "User name:"
    // and "Password:", buttons "&Ok" and "&Cancel").
    EncryptionCommands(UserInterface& ui, QWidget* parent);
    ~EncryptionCommands() override;

    // ---- settings ("ForgetPassword", "LastUserName")
    // Sets forgetting on/off and its period and restarts the forget timer
    // (at start-up and whenever the configuration dialog closes).
    void setForgetPassword(bool on, double minutes);
    bool forgetPassword() const { return forgetOn_; }
    double forgetMinutes() const { return forgetMinutes_; }
    // The saved last user name; at start-up it also becomes the current user.
    void setLastUserName(const QString& name);
    QString lastUserName() const { return lastUserName_; }

    // ---- commands (full paths of the tagged entries, or of the selected one)
    void encrypt(const QStringList& fullPaths, bool namesToo);
    void decrypt(const QStringList& fullPaths);
    void changePassword();   // Changepassword1Click
    void logout();           // Logout1Click

    // Shows the login dialog; true when a login password is set afterwards.
    bool GetEncryptPassword(bool setMode);

    // ---- state
    bool loggedIn() const { return !loginPassword_.isEmpty(); }
    QString currentUserName() const { return currentUser_; }
    bool isBusy() const { return busy_; }
    QTimer* forgetTimer() { return &forgettimer_; }
    // Real login dialog (true) or ui.ask() (false).
    void setUseLoginDialog(bool on) { useLoginDialog_ = on; }

    // The "&Ok" of the login dialog on the given texts.
    struct OkResult {
        Tgetpasswordform::OkOutcome outcome;
        int focusField;   // 0 user name, 1 password, -1 none
    };
    OkResult loginOk(const QString& userText, const QString& passwordText);

Q_SIGNALS:
    void lastUserNameChanged(const QString& name);
    // After an encrypt or decrypt command, with the paths it was given.
    void commandFinished(const QStringList& paths);

private:
    void Encrypt1Click(const QStringList& fullPaths, bool encryptMode, bool namesToo);
    void setAccount(const QString& user, const QString& passwordForm);
    void forgetLoginPassword();
    void restartForgetTimer();
    void forgettimerTimer();
    void showNotice(const QString& text, int ms);
    QString reportText(const EncryptReport& r, bool encryptMode) const;

    UserInterface& ui_;
    QPointer<QWidget> parent_;
    QTimer forgettimer_;
    bool forgetOn_ = true;
    double forgetMinutes_ = 5;
    QString lastUserName_;
    QString currentUser_;
    QString loginPassword_;       // password form (cryptstring of the typed password)
    bool setPasswordMode_ = false;
    bool useLoginDialog_ = false;
    bool busy_ = false;
};

}  // namespace zx::encrypt
