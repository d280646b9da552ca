#include "app/qtuserinterface.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace zx {

namespace {
QHash<QString, QtUserInterface::DialogFactory>& factories()
{
    static QHash<QString, QtUserInterface::DialogFactory> f;
    return f;
}
}  // namespace

QtUserInterface::QtUserInterface(QWidget* parent) : parent_(parent) {}

void QtUserInterface::registerDialog(const QString& id, DialogFactory f)
{
    factories().insert(id, std::move(f));
}

void QtUserInterface::message(const QString& text, MsgKind kind, const QString& title)
{
    QMessageBox::Icon icon = QMessageBox::Information;
    switch (kind) {
    case MsgKind::Warning: icon = QMessageBox::Warning; break;
    case MsgKind::Error: icon = QMessageBox::Critical; break;
    case MsgKind::Information: icon = QMessageBox::Information; break;
    case MsgKind::Confirmation: icon = QMessageBox::Question; break;
    }
    QString shown = text;
    shown.replace(QChar('\r'), QChar('\n'));
    QMessageBox box(icon, title.isEmpty() ? QStringLiteral("Zarvex") : title, shown, QMessageBox::Ok,
                    parent_);
    box.exec();
    if (afterDialog)
        afterDialog();
}

bool QtUserInterface::confirm(const QString& title, const QString& instruction, const QString& content)
{
    QMessageBox box(QMessageBox::Question, title.isEmpty() ? QStringLiteral("Zarvex") : title,
                    instruction, QMessageBox::Yes | QMessageBox::No, parent_);
    if (!content.isEmpty()) {
        QString c = content;
        c.remove(QChar('\r'));
        c.remove(QChar('\n'));
        box.setInformativeText(c);
    }
    box.setDefaultButton(QMessageBox::Yes);
    const bool yes = box.exec() == QMessageBox::Yes;
    if (afterDialog)
        afterDialog();
    return yes;
}

int QtUserInterface::ask(Question& q)
{
    auto it = factories().constFind(q.id);
    const int r = it != factories().constEnd() ? (*it)(parent_, q) : showGenericQuestion(parent_, q);
    if (afterDialog)
        afterDialog();
    return r;
}

int showGenericQuestion(QWidget* parent, Question& q)
{
    QDialog dlg(parent);
    dlg.setWindowTitle(q.title.isEmpty() ? QStringLiteral("Zarvex") : q.title);
    auto* lay = new QVBoxLayout(&dlg);
    if (!q.text.isEmpty()) {
        QString t = q.text;
        t.replace(QChar('\r'), QChar('\n'));
        auto* label = new QLabel(t, &dlg);
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        lay->addWidget(label);
    }
    QList<QLineEdit*> edits;
    if (!q.fields.isEmpty()) {
        auto* form = new QFormLayout;
        for (const auto& f : q.fields) {
            auto* e = new QLineEdit(f.value, &dlg);
            if (f.password)
                e->setEchoMode(QLineEdit::Password);
            form->addRow(f.label, e);
            edits << e;
        }
        lay->addLayout(form);
    }
    QList<QCheckBox*> boxes;
    for (const auto& c : q.checks) {
        auto* b = new QCheckBox(c.label, &dlg);
        b->setChecked(c.checked);
        b->setEnabled(c.enabled);
        lay->addWidget(b);
        boxes << b;
    }
    auto* row = new QDialogButtonBox(&dlg);
    int chosen = q.cancelButton;
    for (int i = 0; i < q.buttons.size(); ++i) {
        QPushButton* b = row->addButton(q.buttons[i], QDialogButtonBox::ActionRole);
        if (i == q.defaultButton)
            b->setDefault(true);
        QObject::connect(b, &QPushButton::clicked, &dlg, [&dlg, &chosen, i] {
            chosen = i;
            dlg.accept();
        });
    }
    lay->addWidget(row);
    dlg.exec();
    for (int i = 0; i < boxes.size(); ++i)
        q.checks[i].checked = boxes[i]->isChecked();
    for (int i = 0; i < edits.size(); ++i)
        q.fields[i].value = edits[i]->text();
    return chosen;
}

}  // namespace zx
