#pragma once
// A small notice window ("Encrypting data", "Logged out") that stays on top
// and cannot be closed by the user.
#include <QWidget>

class QLabel;

namespace zx::encrypt {

class Tencryptingform : public QWidget {
    Q_OBJECT
public:
    explicit Tencryptingform(QWidget* parent = nullptr);
    void setText(const QString& text);
    QString text() const;
    // Shows it centred on the screen and paints it at once.
    void showCentred();
    // Closes it for good (the user cannot).
    void finish();

    QLabel* Label1 = nullptr;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    bool closing_ = false;
};

}  // namespace zx::encrypt
