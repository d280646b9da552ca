#pragma once
// The login dialog: user name and password, "&Ok" and "&Cancel".
#include <QDialog>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace zx::encrypt {

class Tgetpasswordform : public QDialog {
    Q_OBJECT
public:
    // What "&Ok" does after its checks: keep the dialog open (a message was
    // shown), close with OK, or close with Cancel.
    enum class OkOutcome { StayOpen, Accept, Reject };
    static constexpr int kMaxPasswordLength = 24;

    explicit Tgetpasswordform(QWidget* parent = nullptr);

    // Caption "Set password" instead of "Password Dialog".
    void setSetPasswordMode(bool on);
    void setUserName(const QString& name);
    QString userName() const;
    QString password() const;

    // Decides what "&Ok" does; without it "&Ok" accepts.
    std::function<OkOutcome()> onOk;

    QLabel* Label1 = nullptr;       // "User name:"
    QLabel* Label2 = nullptr;       // "Password:"
    QLineEdit* usernameedit = nullptr;
    QLineEdit* passwordedit = nullptr;
    QPushButton* okbutton = nullptr;
    QPushButton* cancelbutton = nullptr;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void okbuttonClick();
};

}  // namespace zx::encrypt
