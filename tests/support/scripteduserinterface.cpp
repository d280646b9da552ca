#include "support/scripteduserinterface.h"

#include <gtest/gtest.h>

namespace zx::test {

namespace {
QString plain(QString s)
{
    s.remove(QChar('&'));
    return s;
}
}  // namespace

void ScriptedUserInterface::expectConfirm(bool yes)
{
    QMutexLocker lock(&mutex_);
    answers_.push_back({Answer::Confirm, yes, {}, {}});
}

void ScriptedUserInterface::expectAsk(const QString& id, int button, QMap<QString, bool> checks,
                                      QStringList fields)
{
    expectAsk(id, [button, checks, fields](Question& q) {
        for (auto& c : q.checks) {
            auto it = checks.constFind(plain(c.label));
            if (it != checks.constEnd())
                c.checked = *it;
        }
        for (int i = 0; i < fields.size() && i < q.fields.size(); ++i)
            q.fields[i].value = fields[i];
        return button;
    });
}

void ScriptedUserInterface::expectAsk(const QString& id, std::function<int(Question&)> answer)
{
    QMutexLocker lock(&mutex_);
    answers_.push_back({Answer::Ask, false, id, std::move(answer)});
}

void ScriptedUserInterface::message(const QString& text, MsgKind kind, const QString& title)
{
    {
        QMutexLocker lock(&mutex_);
        log_.append({Shown::Message, QStringLiteral("msg"), title, text, kind});
    }
    if (onMessage)
        onMessage(text);
}

bool ScriptedUserInterface::confirm(const QString& title, const QString& instruction,
                                    const QString& content)
{
    QMutexLocker lock(&mutex_);
    QString text = instruction;
    if (!content.isEmpty())
        text += QStringLiteral("\n\n") + content;
    log_.append({Shown::Confirm, QStringLiteral("confirm"), title, text});
    if (answers_.empty() || answers_.front().kind != Answer::Confirm) {
        ADD_FAILURE() << "unexpected question: " << text.toStdString();
        return false;
    }
    const bool yes = answers_.front().yes;
    answers_.pop_front();
    return yes;
}

int ScriptedUserInterface::ask(Question& q)
{
    std::function<int(Question&)> fn;
    {
        QMutexLocker lock(&mutex_);
        log_.append({Shown::Ask, q.id, q.title, q.text});
        if (answers_.empty() || answers_.front().kind != Answer::Ask || answers_.front().id != q.id) {
            ADD_FAILURE() << "unexpected dialog " << q.id.toStdString() << ": " << q.text.toStdString();
            return q.cancelButton;
        }
        fn = std::move(answers_.front().fn);
        answers_.pop_front();
    }
    return fn(q);
}

QList<Shown> ScriptedUserInterface::log() const
{
    QMutexLocker lock(&mutex_);
    return log_;
}

bool ScriptedUserInterface::shown(const QString& text) const
{
    QMutexLocker lock(&mutex_);
    for (const auto& s : log_)
        if (s.text.contains(text))
            return true;
    return false;
}

QStringList ScriptedUserInterface::messages() const
{
    QMutexLocker lock(&mutex_);
    QStringList out;
    for (const auto& s : log_)
        if (s.kind == Shown::Message)
            out << s.text;
    return out;
}

int ScriptedUserInterface::pendingAnswers() const
{
    QMutexLocker lock(&mutex_);
    return int(answers_.size());
}

void ScriptedUserInterface::clear()
{
    QMutexLocker lock(&mutex_);
    log_.clear();
    answers_.clear();
}

}  // namespace zx::test
