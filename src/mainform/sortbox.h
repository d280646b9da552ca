#pragma once
// The "Sort by" dialog: five choices; a key or a click on the checked choice
// decides at once.

#include <QDialog>

class QRadioButton;

namespace zx {

class TSortForm : public QDialog {
    Q_OBJECT
public:
    TSortForm(int sortkind, QWidget* parent = nullptr);
    int sortkind() const { return kind_; }

protected:
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    void choose(int kind);
    QRadioButton* radios_[5] = {};
    int kind_;
};

}  // namespace zx
