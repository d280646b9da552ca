#include "mainform/drivetabrow.h"

#include "mainform/drives.h"

#include <QMouseEvent>
#include <QPainter>

namespace zx {

namespace {
QColor tabColor(QChar code, const QPalette& pal)
{
    switch (code.unicode()) {
    case 'f': return QColor(0x5A, 0x5A, 0x28);   // 0x00285A5A
    case 'h': return QColor(0x32, 0x50, 0x5A);   // 0x005A5032
    case 'c': return QColor(0x3C, 0x78, 0x5A);   // 0x005A783C
    default: return pal.color(QPalette::Button);
    }
}
}  // namespace

DriveTabRow::DriveTabRow(int panel, QWidget* parent) : QWidget(parent), panel_(panel)
{
    setMouseTracking(true);
    setObjectName(QStringLiteral("TabControl%1").arg(panel));
}

void DriveTabRow::setTabs(const QStringList& tabs)
{
    tabs_ = tabs;
    if (current_ >= tabs_.size())
        current_ = tabs_.isEmpty() ? -1 : 0;
    update();
}

void DriveTabRow::setCurrentIndex(int i)
{
    current_ = (i >= 0 && i < tabs_.size()) ? i : -1;
    update();
}

void DriveTabRow::setTabWidth(int w)
{
    tabWidth_ = qMax(8, w);
    update();
}

void DriveTabRow::setPanelListed(bool listed)
{
    if (listed_ != listed) {
        listed_ = listed;
        update();
    }
}

void DriveTabRow::setTextOffset(int px)
{
    textOffset_ = px;
    update();
}

int DriveTabRow::tabAt(int x) const
{
    const int i = x / tabWidth_;
    return (x >= 0 && i < tabs_.size()) ? i : -1;
}

void DriveTabRow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    for (int i = 0; i < tabs_.size(); ++i) {
        const QString& t = tabs_[i];
        const QRect r(i * tabWidth_, 0, tabWidth_ - 1, height());
        const QChar code = t.size() > 1 ? t.at(1) : QLatin1Char('h');
        const QColor fill = tabColor(code, palette());
        p.fillRect(r, fill);
        p.setPen(fill.darker(150));
        p.drawRect(r.adjusted(0, 0, -1, -1));
        QFont f = font();
        const bool emphasised = i == current_ && listed_;
        if (emphasised) {
            f.setPointSize(f.pointSize() + 1);
            f.setBold(true);
            p.setPen(QColor(0xFF, 0xFF, 0x00));
        } else {
            f.setBold(false);
            // Light tabs (the button face) need dark text to stay readable.
            p.setPen(fill.lightness() > 160 ? palette().color(QPalette::ButtonText) : QColor(Qt::white));
        }
        p.setFont(f);
        p.drawText(r.adjusted(4, textOffset_, 0, 0), Qt::AlignLeft | Qt::AlignTop, t.left(1));
        if (i == current_) {
            p.setPen(QColor(0xFF, 0xFF, 0x00));
            p.drawLine(r.left() + 1, r.bottom(), r.right() - 1, r.bottom());
        }
    }
}

void DriveTabRow::mousePressEvent(QMouseEvent* e)
{
    const int i = tabAt(int(e->position().x()));
    if (onPress)
        onPress(this, i, e->button());
}

void DriveTabRow::mouseMoveEvent(QMouseEvent* e)
{
    if (onHover)
        onHover(this);
    const int i = tabAt(int(e->position().x()));
    setToolTip(i >= 0 ? tabHint(tabs_[i]) : QString());
}

}  // namespace zx
