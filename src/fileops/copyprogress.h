#pragma once
// The progress window of transfers and deletions (lives for the program's
// whole life; shown and hidden). It polls the worker's progress a few times
// a second, never per chunk.

#include "fileops/progress.h"

#include <QPointer>
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace zx {

class TCopyProgressForm : public QWidget, public ProgressView {
    Q_OBJECT
public:
    explicit TCopyProgressForm(QWidget* parent = nullptr);

    void showProgress(ProgressState* state, UserInterface* ui) override;
    void hideProgress() override;
    void showPreparing(bool shown) override;

    // Repaints from the state now (the timer calls it every 250 ms).
    void poll();

    QLabel* fileLabel;
    QProgressBar* FileProgress;
    QProgressBar* TotalProgress;
    QLabel* readratelabel;
    QLabel* writeratelabel;
    QPushButton* cancelButton;
    QWidget* prepCopyForm;   // "Preparing to copy files"
    int pollCount = 0;       // repaints made (tests check the rate)

private:
    void cancelClicked();
    ProgressState* state_ = nullptr;
    UserInterface* ui_ = nullptr;
    QTimer* timer_;
    QLabel* captionLabel_;
};

}  // namespace zx
