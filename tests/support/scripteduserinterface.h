#pragma once
// Answers the program's questions from a script and records every text shown.
//
//   ScriptedUserInterface ui;
//   ui.expectConfirm(true);                      // next Yes/No question: Yes
//   ui.expectAsk("delete", 1, {{"Recycle", false}});  // next "delete" dialog: button 1
//   runCommand(ui);
//   EXPECT_TRUE(ui.shown("Cannot copy file over itself"));
//
// A question that arrives without a scripted answer fails the current test
// and is answered with its cancel button (or No).

#include "app/userinterface.h"

#include <QMap>
#include <QMutex>
#include <deque>
#include <functional>

namespace zx::test {

struct Shown {
    enum Kind { Message, Confirm, Ask } kind;
    QString id;     // Ask: question id; Message: "msg"; Confirm: "confirm"
    QString title;
    QString text;   // message text, confirm instruction (+ "\n\n" + content), ask text
    MsgKind msgKind = MsgKind::Information;
};

class ScriptedUserInterface : public UserInterface {
public:
    // Scripted answers, consumed in order.
    void expectConfirm(bool yes);
    // Answer the next ask() whose id is `id` with `button`; set checks by
    // label (without &) and fields in order.
    void expectAsk(const QString& id, int button, QMap<QString, bool> checks = {},
                   QStringList fields = {});
    // Free-form answer: gets the question, returns the button.
    void expectAsk(const QString& id, std::function<int(Question&)> answer);

    void message(const QString& text, MsgKind kind, const QString& title) override;
    bool confirm(const QString& title, const QString& instruction, const QString& content) override;
    int ask(Question& q) override;

    // Everything shown so far, in order.
    QList<Shown> log() const;
    // True when some message, question or dialog text contains `text`.
    bool shown(const QString& text) const;
    QStringList messages() const;       // message texts only
    int pendingAnswers() const;
    void clear();

    // When set, a message() call runs this (tests of re-entrancy).
    std::function<void(const QString&)> onMessage;

private:
    struct Answer {
        enum { Confirm, Ask } kind;
        bool yes = false;
        QString id;
        std::function<int(Question&)> fn;
    };
    mutable QMutex mutex_;
    std::deque<Answer> answers_;
    QList<Shown> log_;
};

}  // namespace zx::test
