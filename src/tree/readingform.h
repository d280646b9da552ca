#pragma once
// The small window shown during the first scan of the volumes.
#include <QWidget>

class QLabel;

namespace zx {

class TReadingForm : public QWidget {
    Q_OBJECT
public:
    explicit TReadingForm(QWidget* parent = nullptr);
    void setCount(qint64 directories);
    QString countText() const;

private:
    QLabel* label_;
    QLabel* count_;
};

}  // namespace zx
