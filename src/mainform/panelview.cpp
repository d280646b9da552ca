#include "mainform/panelview.h"

#include "mainform/format.h"
#include "mainform/settings.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>

namespace zx {

namespace {
QColor bgr(quint32 c) { return ColorTable::toQColor(c); }

QPixmap drawPicture(TypePicture t)
{
    QSize sz(16, 16);
    switch (t) {
    case TypePicture::Exe: sz = {16, 14}; break;
    case TypePicture::Bat: sz = {16, 15}; break;
    case TypePicture::Txt: sz = {13, 16}; break;
    case TypePicture::Other: sz = {16, 13}; break;
    case TypePicture::Dir:
    case TypePicture::UpDir: sz = {16, 14}; break;
    default: break;
    }
    QPixmap pm(sz);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QRect r(0, 0, sz.width() - 1, sz.height() - 1);
    auto page = [&](const QColor& fill, const QColor& line) {
        p.setPen(Qt::black);
        p.setBrush(fill);
        p.drawRect(r.adjusted(1, 0, -1, 0));
        p.setPen(line);
        for (int y = 3; y < r.height() - 1; y += 3)
            p.drawLine(4, y, r.width() - 3, y);
    };
    switch (t) {
    case TypePicture::Dir:
    case TypePicture::UpDir: {
        p.setPen(QColor(120, 90, 0));
        p.setBrush(QColor(240, 200, 80));
        p.drawRect(0, 3, 15, 10);
        p.drawRect(0, 1, 6, 2);
        if (t == TypePicture::UpDir) {
            p.setPen(QPen(QColor(20, 60, 160), 2));
            p.drawLine(8, 11, 8, 5);
            p.drawLine(5, 7, 8, 4);
            p.drawLine(11, 7, 8, 4);
        }
        break;
    }
    case TypePicture::Exe:
        p.setPen(Qt::black);
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(0, 0, 15, 13);
        p.fillRect(1, 1, 14, 3, QColor(0, 0, 160));
        break;
    case TypePicture::Bat:
        p.setPen(Qt::black);
        p.setBrush(QColor(40, 40, 40));
        p.drawRect(0, 0, 15, 14);
        p.setPen(QColor(220, 220, 220));
        p.drawLine(3, 5, 6, 8);
        p.drawLine(6, 8, 3, 11);
        break;
    case TypePicture::Txt: page(Qt::white, QColor(80, 80, 80)); break;
    case TypePicture::Rtf: page(QColor(255, 250, 220), QColor(200, 30, 30)); break;
    case TypePicture::Hlp:
        page(QColor(230, 240, 255), QColor(230, 240, 255));
        p.setPen(QColor(0, 0, 160));
        p.drawText(r, Qt::AlignCenter, QStringLiteral("?"));
        break;
    case TypePicture::Dll:
        p.setPen(Qt::black);
        p.setBrush(QColor(180, 200, 180));
        p.drawRect(2, 2, 11, 11);
        for (int x = 4; x < 13; x += 3) {
            p.drawLine(x, 0, x, 2);
            p.drawLine(x, 13, x, 15);
        }
        break;
    case TypePicture::Bmp:
        p.setPen(Qt::black);
        p.setBrush(QColor(120, 190, 255));
        p.drawRect(0, 1, 15, 13);
        p.setBrush(QColor(40, 160, 40));
        p.drawPolygon(QPolygon({QPoint(1, 13), QPoint(6, 6), QPoint(10, 11), QPoint(15, 13)}));
        break;
    case TypePicture::Other:
        page(QColor(235, 235, 235), QColor(235, 235, 235));
        break;
    }
    return pm;
}
}  // namespace

const QPixmap& typePixmap(TypePicture t)
{
    static QPixmap cache[10];
    QPixmap& pm = cache[int(t)];
    if (pm.isNull())
        pm = drawPicture(t);
    return pm;
}

PanelView::PanelView(int panel, PanelModel& model, const Settings& settings, QWidget* parent)
    : QAbstractScrollArea(parent), panel_(panel), model_(model), settings_(settings)
{
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setFrameShape(QFrame::StyledPanel);
    setObjectName(QStringLiteral("ListBox%1").arg(panel));
}

void PanelView::setGeometryRules(const RowGeometry& g)
{
    geo_ = g;
    model_.visiblerows = visibleRowsForHeight();
    refreshView();
}

void PanelView::setActive(bool a)
{
    if (active_ == a)
        return;
    active_ = a;
    viewport()->update();
}

int PanelView::visibleRowsForHeight() const
{
    return qMax(1, viewport()->height() / qMax(1, geo_.rowHeight));
}

void PanelView::refreshView()
{
    model_.visiblerows = visibleRowsForHeight();
    model_.clampTop();
    syncing_ = true;
    QScrollBar* sb = verticalScrollBar();
    sb->setRange(0, qMax(0, model_.count() - model_.visiblerows));
    sb->setPageStep(model_.visiblerows);
    sb->setSingleStep(1);
    sb->setValue(model_.top);
    syncing_ = false;
    viewport()->update();
}

void PanelView::setBusyText(const QString& t)
{
    busyText_ = t;
    viewport()->update();
}

int PanelView::indexAt(const QPoint& p) const
{
    if (p.y() < 0)
        return -1;
    const int i = model_.top + p.y() / qMax(1, geo_.rowHeight);
    return model_.valid(i) ? i : -1;
}

QRect PanelView::rowRect(int index) const
{
    return QRect(0, (index - model_.top) * geo_.rowHeight, viewport()->width(), geo_.rowHeight);
}

void PanelView::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    refreshView();
}

void PanelView::scrollContentsBy(int, int)
{
    if (syncing_)
        return;
    model_.top = verticalScrollBar()->value();
    viewport()->update();
    if (onScrolled)
        onScrolled(this);
}

void PanelView::paintEvent(QPaintEvent* ev)
{
    QPainter p(viewport());
    const QColor background = bgr(settings_.colors.c[2]);
    p.fillRect(ev->rect(), background);
    if (!busyText_.isEmpty() && model_.count() == 0) {
        p.setPen(Qt::gray);
        p.drawText(viewport()->rect(), Qt::AlignCenter, busyText_);
        return;
    }
    p.setFont(font());
    const int h = geo_.rowHeight;
    const int first = model_.top + qMax(0, ev->rect().top() / h);
    const int last = qMin(model_.count() - 1, model_.top + ev->rect().bottom() / h);
    for (int i = first; i <= last; ++i)
        drawlistitem(p, i, rowRect(i));
}

void PanelView::drawlistitem(QPainter& p, int index, const QRect& r)
{
    if (!model_.valid(index))
        return;
    const Entry& e = model_.entries[index];
    const bool hover = index == model_.hoverindex && settings_.mouseTrails;
    const bool highlight = active_ && index == model_.current;
    p.fillRect(r, highlight ? bgr(settings_.colors.c[0]) : bgr(settings_.colors.c[2]));

    QString name = e.name;
    if (!settings_.showCaseOfFilenames && !name.isEmpty())
        name[0] = name.at(0).toUpper();

    int textStart = geo_.textOffset;
    if (settings_.drawIcons) {
        const QPixmap& pm = typePixmap(e.typebitmap);
        p.drawPixmap(r.left() + 2, r.top() + 2, pm);
        textStart = geo_.textOffset + 6;
    }
    const QFontMetrics fm(p.font());
    const int nameArea = viewport()->width() - 16 + 16;   // the view already excludes its scroll bar
    const bool isUp = e.name == QLatin1String("..");
    const bool wide = fm.horizontalAdvance(name) > nameArea / 2;
    const QString sizeText = sizeColumnText(e.isdir, isUp, e.size, wide);
    const int sizeWidth = fm.horizontalAdvance(sizeText) + 3;
    const int avail = nameArea - textStart - sizeWidth - 5;
    name = shortenName(name, [&fm](const QString& s) { return fm.horizontalAdvance(s); }, avail);

    QColor text;
    if (hover)
        text = Qt::white;
    else if (highlight)
        text = bgr(settings_.colors.c[1]);
    else
        text = bgr(settings_.colors.c[size_t(3 + typeColorIndex(e.name, e.isdir))]);

    if (e.tagged) {
        const QColor tag = settings_.tagColSameAsText ? text : bgr(settings_.colors.c[20]);
        const int left = r.left(), topY = r.top(), bottom = r.bottom() + 1;
        int m, b;
        if (geo_.layout == 1) {
            m = (topY + bottom) / 2 - 1;
            b = bottom - 5;
        } else if (geo_.layout == 0) {
            m = (topY + bottom) / 2;
            b = bottom - 4;
        } else {
            m = (topY + bottom) / 2;
            b = bottom - 5;
        }
        p.save();
        p.setPen(tag);
        p.setBrush(tag);
        p.drawPolygon(QPolygon({QPoint(left, topY + 4), QPoint(left + 8, m), QPoint(left, b)}));
        p.setPen(QPen(palette().color(QPalette::Shadow), 2));
        p.drawLine(left + 9, m + 1, left, b + 2);
        p.restore();
    }
    p.setPen(text);
    const QRect textRect(r.left() + textStart, r.top(), r.width() - textStart, r.height());
    p.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, name);
    const QRect sizeRect(r.right() - sizeWidth - 3, r.top(), sizeWidth + 3, r.height());
    p.drawText(sizeRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, sizeText);
}

void PanelView::mousePressEvent(QMouseEvent* e)
{
    if (onMousePress)
        onMousePress(this, e);
}

void PanelView::mouseReleaseEvent(QMouseEvent* e)
{
    if (onMouseRelease)
        onMouseRelease(this, e);
}

void PanelView::mouseMoveEvent(QMouseEvent* e)
{
    if (onMouseMove)
        onMouseMove(this, e);
}

void PanelView::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (onDoubleClick)
        onDoubleClick(this, e);
}

void PanelView::focusInEvent(QFocusEvent* e)
{
    QAbstractScrollArea::focusInEvent(e);
    viewport()->update();
}

void PanelView::focusOutEvent(QFocusEvent* e)
{
    QAbstractScrollArea::focusOutEvent(e);
    viewport()->update();
}

}  // namespace zx
