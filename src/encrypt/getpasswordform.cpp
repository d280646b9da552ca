#include "encrypt/getpasswordform.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

namespace zx::encrypt {

Tgetpasswordform::Tgetpasswordform(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("getpasswordform"));
    setWindowTitle(QStringLiteral("Password Dialog"));
    setModal(true);

    Label1 = new QLabel(QStringLiteral("User name:"), this);
    Label2 = new QLabel(QStringLiteral("Password:"), this);
    usernameedit = new QLineEdit(this);
    usernameedit->setObjectName(QStringLiteral("usernameedit"));
    passwordedit = new QLineEdit(this);
    passwordedit->setObjectName(QStringLiteral("passwordedit"));
    passwordedit->setEchoMode(QLineEdit::Password);
    passwordedit->setMaxLength(kMaxPasswordLength);
    Label1->setBuddy(usernameedit);
    Label2->setBuddy(passwordedit);

    okbutton = new QPushButton(QStringLiteral("&Ok"), this);
    okbutton->setObjectName(QStringLiteral("okbutton"));
    okbutton->setDefault(true);
    okbutton->setAutoDefault(true);
    cancelbutton = new QPushButton(QStringLiteral("&Cancel"), this);
    cancelbutton->setObjectName(QStringLiteral("cancelbutton"));
    cancelbutton->setAutoDefault(false);

    auto* grid = new QGridLayout;
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(usernameedit, 0, 1);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(passwordedit, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okbutton);
    buttons->addWidget(cancelbutton);
    auto* lay = new QVBoxLayout(this);
    lay->addLayout(grid);
    lay->addLayout(buttons);
    usernameedit->setMinimumWidth(200);

    connect(okbutton, &QPushButton::clicked, this, &Tgetpasswordform::okbuttonClick);
    connect(cancelbutton, &QPushButton::clicked, this, &QDialog::reject);
}

void Tgetpasswordform::setSetPasswordMode(bool on)
{
    setWindowTitle(on ? QStringLiteral("Set password") : QStringLiteral("Password Dialog"));
}

void Tgetpasswordform::setUserName(const QString& name)
{
    usernameedit->setText(name);
}

QString Tgetpasswordform::userName() const
{
    return usernameedit->text();
}

QString Tgetpasswordform::password() const
{
    return passwordedit->text();
}

void Tgetpasswordform::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen()) {
        QRect r = frameGeometry();
        r.moveCenter(s->availableGeometry().center());
        move(r.topLeft());
    }
    if (usernameedit->text().isEmpty())
        usernameedit->setFocus();
    else
        passwordedit->setFocus();
}

void Tgetpasswordform::okbuttonClick()
{
    const OkOutcome r = onOk ? onOk() : OkOutcome::Accept;
    if (r == OkOutcome::Accept)
        accept();
    else if (r == OkOutcome::Reject)
        reject();
}

}  // namespace zx::encrypt
