#include "fileops/copydialogs.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

namespace zx {

void placeOverMainWindow(QWidget* dialog, QWidget* mainWindow, int leftPercent, int bottomPercent)
{
    if (!mainWindow)
        return;
    dialog->adjustSize();
    const QRect r = mainWindow->frameGeometry();
    const int left = r.left() + qRound(r.width() * leftPercent / 100.0);
    const int bottom = r.bottom() - qRound(r.height() * bottomPercent / 100.0);
    dialog->move(left, bottom - dialog->frameGeometry().height());
}

// --- TCopyToDrive --------------------------------------------------------------

TCopyToDrive::TCopyToDrive(QWidget* parent, const QString& caption, QChar defaultLetter, const QString& tabLetters)
    : QDialog(parent), letters_(tabLetters.toUpper())
{
    setWindowTitle(caption);
    auto* lay = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    Label1 = new QLabel(caption, this);
    Edit1 = new QLineEdit(this);
    Edit1->setMaxLength(1);
    Edit1->setFixedWidth(Edit1->fontMetrics().horizontalAdvance(QLatin1Char('W')) * 3);
    if (!defaultLetter.isNull())
        Edit1->setText(QString(defaultLetter.toUpper()));
    Edit1->selectAll();
    row->addWidget(Label1);
    row->addWidget(Edit1);
    row->addStretch();
    lay->addLayout(row);
    copytotabs = new QTabBar(this);
    copytotabs->setExpanding(false);
    // Narrow tabs of one letter each; the letter must never be elided.
    copytotabs->setElideMode(Qt::ElideNone);
    copytotabs->setUsesScrollButtons(true);
    copytotabs->setStyleSheet(QStringLiteral("QTabBar::tab { min-width: 18px; padding: 2px 4px; }"));
    for (QChar c : letters_)
        copytotabs->addTab(QString(c));
    const int sel = letters_.indexOf(defaultLetter.toUpper());
    if (sel >= 0)
        copytotabs->setCurrentIndex(sel);
    lay->addWidget(copytotabs);
    auto* buttons = new QHBoxLayout;
    okButton = new QPushButton(QStringLiteral("Ok"), this);
    okButton->setDefault(true);
    cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    buttons->addStretch();
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    lay->addLayout(buttons);

    connect(okButton, &QPushButton::clicked, this, [this] {
        const QString t = Edit1->text().trimmed();
        choose(t.isEmpty() ? QChar() : t[0]);
    });
    connect(cancelButton, &QPushButton::clicked, this, [this] {
        chosen_ = QChar();
        reject();
    });
    // A letter typed into the box chooses it at once.
    connect(Edit1, &QLineEdit::textEdited, this, [this](const QString& t) {
        if (!t.isEmpty() && t[0].isLetter() && t[0].unicode() < 128)
            choose(t[0]);
    });
    connect(copytotabs, &QTabBar::tabBarClicked, this, [this](int i) {
        if (i >= 0 && i < letters_.size())
            choose(letters_[i]);
    });
    Edit1->setFocus();
}

void TCopyToDrive::choose(QChar c)
{
    chosen_ = c.isNull() ? QChar() : c.toUpper();
    if (chosen_.isNull())
        reject();
    else
        accept();
}

void TCopyToDrive::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape) {
        chosen_ = QChar();
        reject();
        return;
    }
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        okButton->click();
        return;
    }
    QDialog::keyPressEvent(e);
}

// --- TCopyToLMRForm ------------------------------------------------------------

TCopyToLMRForm::TCopyToLMRForm(QWidget* parent, int activePanel) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Destination Window:"));
    auto* lay = new QHBoxLayout(this);
    const QString captions[3] = {QStringLiteral("&Left"), QStringLiteral("&Middle"), QStringLiteral("&Right")};
    for (int i = 0; i < 3; ++i) {
        buttons[i] = new QPushButton(captions[i], this);
        buttons[i]->setAutoDefault(false);
        buttons[i]->setEnabled(i + 1 != activePanel);
        lay->addWidget(buttons[i]);
        connect(buttons[i], &QPushButton::clicked, this, [this, i] { choose(i + 1); });
    }
}

void TCopyToLMRForm::choose(int panel)
{
    chosen_ = panel;
    if (panel)
        accept();
    else
        reject();
}

void TCopyToLMRForm::keyPressEvent(QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_L: choose(1); return;
    case Qt::Key_M: choose(2); return;
    case Qt::Key_R: choose(3); return;
    case Qt::Key_Escape: choose(0); return;
    default: QDialog::keyPressEvent(e);
    }
}

// --- TCopyOptionsForm ----------------------------------------------------------

TCopyOptionsForm::TCopyOptionsForm(QWidget* parent, const QString& fileName) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Copy Options"));
    auto* lay = new QVBoxLayout(this);
    lay->addWidget(new QLabel(QStringLiteral("A file of the same name already exists:"), this));
    nameLabel = new QLabel(QLatin1Char('"') + fileName + QLatin1Char('"'), this);
    nameLabel->setTextFormat(Qt::PlainText);
    lay->addWidget(nameLabel);
    auto* grid = new QGridLayout;
    const QString keys[5] = {QStringLiteral("&R"), QStringLiteral("&U"), QStringLiteral("&T"), QStringLiteral("&S"),
                             QStringLiteral("&F")};
    const QString texts[5] = {QStringLiteral("Replace all files that exist"), QStringLiteral("Replace (update) older files"),
                              QStringLiteral("Replace this file only"), QStringLiteral("Skip all files that exist"),
                              QStringLiteral("Skip this file only")};
    for (int i = 0; i < 5; ++i) {
        buttons[i] = new QPushButton(keys[i], this);
        buttons[i]->setAutoDefault(false);
        buttons[i]->setFixedWidth(buttons[i]->fontMetrics().horizontalAdvance(QStringLiteral("WW")) + 12);
        // The label beside each button chooses the same answer when clicked.
        auto* label = new QPushButton(texts[i], this);
        label->setFlat(true);
        label->setAutoDefault(false);
        label->setFocusPolicy(Qt::NoFocus);
        label->setStyleSheet(QStringLiteral("text-align: left; border: none;"));
        grid->addWidget(buttons[i], i, 0);
        grid->addWidget(label, i, 1);
        const auto pick = [this, i] {
            chosen_ = i;
            accept();
        };
        connect(buttons[i], &QPushButton::clicked, this, pick);
        connect(label, &QPushButton::clicked, this, pick);
    }
    lay->addLayout(grid);
    cancelButton = new QPushButton(QStringLiteral("&Cancel"), this);
    cancelButton->setAutoDefault(false);
    lay->addWidget(cancelButton, 0, Qt::AlignRight);
    connect(cancelButton, &QPushButton::clicked, this, [this] {
        chosen_ = 5;
        reject();
    });
}

void TCopyOptionsForm::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        chosen_ = 5;
        reject();
        return;
    }
    // The underlined letters, with or without Alt.
    static const int keys[5] = {Qt::Key_R, Qt::Key_U, Qt::Key_T, Qt::Key_S, Qt::Key_F};
    for (int i = 0; i < 5; ++i) {
        if (e->key() == keys[i]) {
            chosen_ = i;
            accept();
            return;
        }
    }
    if (e->key() == Qt::Key_C) {
        chosen_ = 5;
        reject();
        return;
    }
    QDialog::keyPressEvent(e);
}

}  // namespace zx
