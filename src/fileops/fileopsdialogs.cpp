#include "fileops/fileopsdialogs.h"

#include "app/qtuserinterface.h"
#include "fileops/copydialogs.h"
#include "fileops/copyengine.h"
#include "fileops/deletebox.h"
#include "fileops/fileops.h"

#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>

namespace zx {

namespace {
int okCancelBox(QWidget* parent, Question& q, QMessageBox::Icon icon)
{
    QString text = q.text;
    text.replace(QChar('\r'), QChar('\n'));
    QMessageBox box(icon, q.title, text, QMessageBox::Ok | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok ? 0 : 1;
}
}  // namespace

void registerFileOpsDialogs()
{
    QtUserInterface::registerDialog(kAskCopyToDrive, [](QWidget* parent, Question& q) {
        const QString def = q.fields.value(0).value;
        TCopyToDrive dlg(parent, q.title, def.isEmpty() ? QChar() : def[0], q.fields.value(1).value);
        placeOverMainWindow(&dlg, parent ? parent->window() : nullptr, 50, 8);
        dlg.exec();
        if (dlg.chosen().isNull())
            return 1;
        q.fields[0].value = QString(dlg.chosen());
        return 0;
    });
    QtUserInterface::registerDialog(kAskCopyToLMR, [](QWidget* parent, Question& q) {
        TCopyToLMRForm dlg(parent, q.fields.value(0).value.toInt());
        placeOverMainWindow(&dlg, parent ? parent->window() : nullptr, 55, 8);
        dlg.exec();
        return dlg.chosen() - 1;
    });
    QtUserInterface::registerDialog(kAskCopyOptions, [](QWidget* parent, Question& q) {
        QString name = q.text.section(QLatin1Char('\r'), 1);
        if (name.startsWith(QLatin1Char('"')) && name.endsWith(QLatin1Char('"')) && name.size() >= 2)
            name = name.mid(1, name.size() - 2);
        TCopyOptionsForm dlg(parent, name);
        placeOverMainWindow(&dlg, parent ? parent->window() : nullptr, 46, 4);
        dlg.exec();
        return dlg.chosen();
    });
    QtUserInterface::registerDialog(kAskDelete, [](QWidget* parent, Question& q) {
        TDeleteDialog dlg(parent, q.text, q.checks.value(0).checked);
        dlg.exec();
        if (!q.checks.isEmpty())
            q.checks[0].checked = dlg.Recycle->isChecked();
        return dlg.chosen();
    });
    QtUserInterface::registerDialog(kAskCannotCreate, [](QWidget* parent, Question& q) {
        return okCancelBox(parent, q, QMessageBox::Warning);
    });
    for (const QString& id : {kAskReadError, kAskWriteError}) {
        QtUserInterface::registerDialog(id, [](QWidget* parent, Question& q) {
            return okCancelBox(parent, q, QMessageBox::Critical);
        });
    }
}

}  // namespace zx
