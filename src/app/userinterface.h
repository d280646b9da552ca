#pragma once
// The one way commands talk to the user.
//
// The program answers these calls with Qt dialogs (QtUserInterface); tests
// answer them from a script and record every text shown
// (tests/support/scripteduserinterface.h). Commands never open message boxes
// themselves.
//
// All calls are made on the user-interface thread. Work on a worker thread
// brings its questions over first (see runOnUiThread).

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace zx {

// Icon kinds of amsg: 0 warning, 1 error, 2 information, 3 confirmation.
enum class MsgKind { Warning = 0, Error = 1, Information = 2, Confirmation = 3 };

// A command's own question: a dialog with a text, optional check boxes, optional
// edit fields and a row of buttons. `id` names the dialog (for example
// "delete", "overwrite", "password") so that scripts and the Qt implementation
// can recognise it; the Qt implementation may show a dedicated dialog for an id.
struct Question {
    struct Check {
        QString label;
        bool checked = false;
        bool enabled = true;
    };
    struct Field {
        QString label;
        QString value;
        bool password = false;
    };

    QString id;
    QString title;
    QString text;
    QStringList buttons;      // captions, with & accelerators
    int defaultButton = 0;
    int cancelButton = -1;    // button chosen by Escape or closing the dialog; -1: none
    QList<Check> checks;      // in/out
    QList<Field> fields;      // in/out
};

class UserInterface {
public:
    virtual ~UserInterface() = default;

    // amsg: a message box with one OK button.
    virtual void message(const QString& text, MsgKind kind = MsgKind::Information,
                         const QString& title = QString()) = 0;

    // confirmdlg: a Yes/No question; true for Yes.
    virtual bool confirm(const QString& title, const QString& instruction,
                         const QString& content = QString()) = 0;

    // A command's own dialog; returns the index of the chosen button (or
    // q.cancelButton when the dialog was closed) and updates checks and fields.
    virtual int ask(Question& q) = 0;

    // The window dialogs are placed over; may be null (tests).
    virtual QWidget* parentWindow() const { return nullptr; }
};

// Runs f on the user-interface thread and waits for it (directly when already there).
void runOnUiThread(const std::function<void()>& f);

}  // namespace zx
