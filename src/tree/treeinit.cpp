#include "tree/treeinit.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zx {

TInitTree::TInitTree(const QString& scanDrives, const QString& defaultLetters, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("InitTree"));
    setWindowTitle(QStringLiteral("Initialize the directory tree"));
    auto* lay = new QVBoxLayout(this);
    auto* text = new QLabel(QStringLiteral("This program keeps a record of your directory structure, \n"
                                           "enabling you to change rapidly between directories.  To \n"
                                           "achieve this the program must be initialized, which may \n"
                                           "take a few seconds."),
                            this);
    lay->addWidget(text);
    auto* prompt = new QLabel(QStringLiteral("Enter the letters of the hard drives you commonly use (eg, CD):"), this);
    lay->addWidget(prompt);
    DriveEdit = new QLineEdit(this);
    DriveEdit->setObjectName(QStringLiteral("DriveEdit"));
    DriveEdit->setToolTip(QStringLiteral("For example, C or CDE"));
    DriveEdit->setText(scanDrives.isEmpty() ? defaultLetters : scanDrives.toUpper());
    // Input is shown in upper case.
    connect(DriveEdit, &QLineEdit::textEdited, this, [this](const QString& t) {
        const QString up = t.toUpper();
        if (up != t) {
            const int pos = DriveEdit->cursorPosition();
            DriveEdit->setText(up);
            DriveEdit->setCursorPosition(pos);
        }
    });
    prompt->setBuddy(DriveEdit);
    lay->addWidget(DriveEdit);
    auto* row = new QHBoxLayout;
    row->addStretch();
    auto* init = new QPushButton(QStringLiteral("&Initialize"), this);
    init->setObjectName(QStringLiteral("InitializeButton"));
    init->setToolTip(QStringLiteral("Create the directory index file"));
    init->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    row->addWidget(init);
    row->addWidget(cancel);
    lay->addLayout(row);
    connect(init, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QString TInitTree::cleanLetters(const QString& text)
{
    QString out;
    for (QChar c : text.toUpper())
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z') && out.size() < 26)
            out.append(c);
    return out;
}

QString TInitTree::letters() const
{
    return cleanLetters(DriveEdit->text());
}

}  // namespace zx
