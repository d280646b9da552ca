#pragma once
// The list of one panel: paints its rows as the panels always looked (type
// colours, tag marks, sizes, shortened names, highlight bar) and reports
// mouse actions to the main window. Only visible rows are painted.

#include "mainform/panelmodel.h"

#include <QAbstractScrollArea>
#include <functional>

namespace zx {

struct Settings;

struct RowGeometry {
    int rowHeight = 20;
    int textOffset = 15;       // name start when no picture is drawn
    int layout = 1;            // 0 small, 1 standard, 2 large (tag mark shape)
};

class PanelView : public QAbstractScrollArea {
    Q_OBJECT
public:
    PanelView(int panel, PanelModel& model, const Settings& settings, QWidget* parent = nullptr);

    int panel() const { return panel_; }
    PanelModel& model() { return model_; }
    void setGeometryRules(const RowGeometry& g);
    const RowGeometry& rowGeometry() const { return geo_; }
    // True while this panel is the active one (the highlight bar is drawn).
    void setActive(bool a);
    bool isActivePanel() const { return active_; }

    // Syncs the scroll bar with the model and repaints.
    void refreshView();
    int visibleRowsForHeight() const;
    // Entry index at a point in viewport coordinates, -1 when below the last.
    int indexAt(const QPoint& p) const;
    QRect rowRect(int index) const;

    // Mouse events go to the main window first.
    std::function<void(PanelView*, QMouseEvent*)> onMousePress, onMouseRelease, onMouseMove, onDoubleClick;
    std::function<void(PanelView*)> onScrolled;
    // Text shown centred while a slow directory is being read.
    void setBusyText(const QString& t);

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent*) override;
    void focusInEvent(QFocusEvent*) override;
    void focusOutEvent(QFocusEvent*) override;

private:
    void drawlistitem(QPainter& p, int index, const QRect& r);
    int panel_;
    PanelModel& model_;
    const Settings& settings_;
    RowGeometry geo_;
    bool active_ = false;
    bool syncing_ = false;
    QString busyText_;
};

// The type pictures, drawn by code at the sizes the rows expect.
const QPixmap& typePixmap(TypePicture t);

}  // namespace zx
