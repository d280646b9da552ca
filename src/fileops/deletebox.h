#pragma once
// The delete question: "Delete NAME ?" with Yes, Yes to All, No, Cancel and
// the "&Recycle" box.

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

namespace zx {

class TDeleteDialog : public QDialog {
    Q_OBJECT
public:
    TDeleteDialog(QWidget* parent, const QString& question, bool recycle);
    // 0 Yes, 1 Yes to All, 2 No, 3 Cancel.
    int chosen() const { return chosen_; }

    // Whether a question fits the label (its width less 20 pixels, in the
    // label's font).
    static bool questionFits(const QString& text);
    static constexpr int kLabelWidth = 330;

    QLabel* DeleteMessage;
    QCheckBox* Recycle;
    QPushButton* buttons[4];

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    int chosen_ = 3;
};

}  // namespace zx
