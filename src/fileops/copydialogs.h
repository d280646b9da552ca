#pragma once
// The dialogs of copy and move: the drive dialog, the panel dialog and the
// overwrite dialog. Each is created for one question, shown modally and freed.

#include "app/userinterface.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QTabBar;

namespace zx {

// Places a dialog with its left edge at leftPercent of the main window's
// width and its bottom edge bottomPercent of its height above its bottom.
void placeOverMainWindow(QWidget* dialog, QWidget* mainWindow, int leftPercent, int bottomPercent);

// "Copy to Drive:" / "Move to Drive:": a typed letter or a clicked tab
// chooses at once; Enter or "Ok" takes the letter in the edit box.
class TCopyToDrive : public QDialog {
    Q_OBJECT
public:
    TCopyToDrive(QWidget* parent, const QString& caption, QChar defaultLetter, const QString& tabLetters);
    QChar chosen() const { return chosen_; }

    QLabel* Label1;
    QLineEdit* Edit1;
    QTabBar* copytotabs;
    QPushButton* okButton;
    QPushButton* cancelButton;

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    void choose(QChar c);
    QChar chosen_;
    QString letters_;
};

// "Destination Window:": Left, Middle, Right (the active panel's button
// disabled; its key still chooses it); Escape chooses none.
class TCopyToLMRForm : public QDialog {
    Q_OBJECT
public:
    TCopyToLMRForm(QWidget* parent, int activePanel);
    int chosen() const { return chosen_; }   // 1..3, 0 for none
    QPushButton* buttons[3];

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    void choose(int panel);
    int chosen_ = 0;
};

// "Copy Options": what to do with a file that already exists.
class TCopyOptionsForm : public QDialog {
    Q_OBJECT
public:
    TCopyOptionsForm(QWidget* parent, const QString& fileName);
    // 0..4 for R, U, T, S, F; 5 for Cancel.
    int chosen() const { return chosen_; }
    QPushButton* buttons[5];
    QPushButton* cancelButton;
    QLabel* nameLabel;

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    int chosen_ = 5;
};

}  // namespace zx
