#include "tree/readingform.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>

namespace zx {

TReadingForm::TReadingForm(QWidget* parent) : QWidget(parent, Qt::Dialog)
{
    setObjectName(QStringLiteral("ReadingForm"));
    setWindowTitle(QStringLiteral("Initializing"));
    auto* lay = new QHBoxLayout(this);
    label_ = new QLabel(QStringLiteral("Reading directories:"), this);
    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("CountLabel"));
    count_->setMinimumWidth(90);
    count_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lay->addWidget(label_);
    lay->addWidget(count_);
    setFixedSize(300, 70);
}

void TReadingForm::setCount(qint64 directories)
{
    count_->setText(QLocale().toString(directories));
}

QString TReadingForm::countText() const
{
    return count_->text();
}

}  // namespace zx
