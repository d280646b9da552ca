#include "encrypt/encryptingform.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace zx::encrypt {

Tencryptingform::Tencryptingform(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("encryptingform"));
    setWindowTitle(QStringLiteral("Zarvex Encrypt"));
    Label1 = new QLabel(this);
    Label1->setAlignment(Qt::AlignCenter);
    auto* lay = new QVBoxLayout(this);
    lay->addWidget(Label1);
    setMinimumSize(260, 70);
}

void Tencryptingform::setText(const QString& text)
{
    Label1->setText(text);
}

QString Tencryptingform::text() const
{
    return Label1->text();
}

void Tencryptingform::showCentred()
{
    adjustSize();
    if (QScreen* s = QGuiApplication::primaryScreen()) {
        QRect r = frameGeometry();
        r.moveCenter(s->availableGeometry().center());
        move(r.topLeft());
    }
    show();
    raise();
    repaint();
}

void Tencryptingform::finish()
{
    closing_ = true;
    close();
}

void Tencryptingform::closeEvent(QCloseEvent* e)
{
    if (closing_)
        e->accept();
    else
        e->ignore();
}

}  // namespace zx::encrypt
