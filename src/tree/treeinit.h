#pragma once
// The dialog that asks which volumes the directory tree covers.
#include <QDialog>

class QLineEdit;

namespace zx {

class TInitTree : public QDialog {
    Q_OBJECT
public:
    // scanDrives: the current letters; when empty the edit proposes
    // defaultLetters (the letters of the fixed volumes).
    TInitTree(const QString& scanDrives, const QString& defaultLetters, QWidget* parent = nullptr);

    // The letters A-Z of the upper-cased text, at most 26 (the new ScanDrives).
    QString letters() const;
    static QString cleanLetters(const QString& text);

    QLineEdit* DriveEdit;
};

}  // namespace zx
