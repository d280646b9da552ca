#include "mainform/sortbox.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace zx {

TSortForm::TSortForm(int sortkind, QWidget* parent) : QDialog(parent), kind_(sortkind)
{
    setWindowTitle(QStringLiteral("Sort by"));
    setObjectName(QStringLiteral("SortForm"));
    auto* lay = new QVBoxLayout(this);
    auto* group = new QGroupBox(this);
    auto* gl = new QVBoxLayout(group);
    const char* captions[5] = {"<N>ame", "<S>ize", "<T>ime", "<E>xtension", "N<o>ne"};
    for (int i = 0; i < 5; ++i) {
        radios_[i] = new QRadioButton(QString::fromLatin1(captions[i]), group);
        radios_[i]->setObjectName(QStringLiteral("RadioButton%1").arg(i + 1));
        radios_[i]->installEventFilter(this);
        radios_[i]->setFocusPolicy(Qt::NoFocus);
        gl->addWidget(radios_[i]);
    }
    if (sortkind >= 0 && sortkind < 5)
        radios_[sortkind]->setChecked(true);
    lay->addWidget(group);
    auto* ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("OkButton"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] {
        int k = 4;
        for (int i = 0; i < 4; ++i)
            if (radios_[i]->isChecked())
                k = i;
        choose(k);
    });
    lay->addWidget(ok);
}

void TSortForm::choose(int kind)
{
    kind_ = kind;
    accept();
}

void TSortForm::keyPressEvent(QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_N: choose(0); return;
    case Qt::Key_S: choose(1); return;
    case Qt::Key_T: choose(2); return;
    case Qt::Key_E: choose(3); return;
    case Qt::Key_O: choose(4); return;
    case Qt::Key_Escape:
        if (e->modifiers() == Qt::NoModifier) {
            reject();
            return;
        }
        break;
    default: break;
    }
    QDialog::keyPressEvent(e);
}

bool TSortForm::eventFilter(QObject* o, QEvent* e)
{
    if (e->type() == QEvent::MouseButtonRelease) {
        for (int i = 0; i < 5; ++i)
            if (o == radios_[i] && radios_[i]->isChecked()) {
                choose(i);
                return true;
            }
    }
    return QDialog::eventFilter(o, e);
}

}  // namespace zx
