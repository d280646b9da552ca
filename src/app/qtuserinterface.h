#pragma once
#include "app/userinterface.h"

#include <QHash>
#include <QPointer>
#include <QWidget>

namespace zx {

// The program's own answers: Qt message boxes and dialogs.
class QtUserInterface : public UserInterface {
public:
    explicit QtUserInterface(QWidget* parent = nullptr);

    void setParentWindow(QWidget* w) { parent_ = w; }
    QWidget* parentWindow() const override { return parent_; }

    void message(const QString& text, MsgKind kind, const QString& title) override;
    bool confirm(const QString& title, const QString& instruction, const QString& content) override;
    int ask(Question& q) override;

    // A dialog for one question id. It shows q, fills in checks and fields,
    // and returns the button chosen. Questions without a registered dialog get
    // a plain generic one.
    using DialogFactory = std::function<int(QWidget* parent, Question& q)>;
    static void registerDialog(const QString& id, DialogFactory f);

    // Called after every dialog closes (the main window redraws its
    // highlight bar and gives the active panel the focus back).
    std::function<void()> afterDialog;

private:
    QPointer<QWidget> parent_;
};

// The generic dialog of ask().
int showGenericQuestion(QWidget* parent, Question& q);

}  // namespace zx
