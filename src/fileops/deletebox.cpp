#include "fileops/deletebox.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace zx {

TDeleteDialog::TDeleteDialog(QWidget* parent, const QString& question, bool recycle) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Delete"));
    auto* lay = new QVBoxLayout(this);
    DeleteMessage = new QLabel(question, this);
    DeleteMessage->setTextFormat(Qt::PlainText);
    DeleteMessage->setAlignment(Qt::AlignCenter);
    DeleteMessage->setFixedWidth(kLabelWidth);
    lay->addWidget(DeleteMessage);
    Recycle = new QCheckBox(QStringLiteral("&Recycle"), this);
    Recycle->setChecked(recycle);
    lay->addWidget(Recycle);
    auto* row = new QHBoxLayout;
    const QString captions[4] = {QStringLiteral("&Yes"), QStringLiteral("Yes to &All"), QStringLiteral("&No"),
                                 QStringLiteral("&Cancel")};
    for (int i = 0; i < 4; ++i) {
        buttons[i] = new QPushButton(captions[i], this);
        row->addWidget(buttons[i]);
        connect(buttons[i], &QPushButton::clicked, this, [this, i] {
            chosen_ = i;
            if (i == 3)
                reject();
            else
                accept();
        });
    }
    buttons[0]->setDefault(true);
    lay->addLayout(row);
}

bool TDeleteDialog::questionFits(const QString& text)
{
    QFont f = QApplication::font("QLabel");
    return QFontMetrics(f).horizontalAdvance(text) <= kLabelWidth - 20;
}

void TDeleteDialog::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        chosen_ = 3;
        reject();
        return;
    }
    QDialog::keyPressEvent(e);
}

void TDeleteDialog::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    // Centred over the main window, kept inside the screen.
    QWidget* main = parentWidget() ? parentWidget()->window() : nullptr;
    QRect frame = frameGeometry();
    if (main)
        frame.moveCenter(main->frameGeometry().center());
    if (QScreen* s = screen()) {
        const QRect sr = s->geometry();
        if (frame.right() > sr.width())
            frame.moveRight(sr.width());
        if (frame.bottom() > sr.height())
            frame.moveBottom(sr.height());
        if (frame.left() < 0)
            frame.moveLeft(0);
    }
    move(frame.topLeft());
}

}  // namespace zx
