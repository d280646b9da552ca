#pragma once
// A row of drive tabs above a panel: each tab shows its letter on the
// colour of its drive type; the selected tab of a listed panel is larger,
// bold and yellow.

#include <QStringList>
#include <QWidget>
#include <functional>

namespace zx {

class DriveTabRow : public QWidget {
    Q_OBJECT
public:
    explicit DriveTabRow(int panel, QWidget* parent = nullptr);

    void setTabs(const QStringList& tabs);
    const QStringList& tabs() const { return tabs_; }
    int count() const { return int(tabs_.size()); }
    int currentIndex() const { return current_; }
    // Selects a tab without announcing it.
    void setCurrentIndex(int i);
    void setTabWidth(int w);
    int tabWidth() const { return tabWidth_; }
    int tabAt(int x) const;
    // The panel shows a directory (the selected tab is drawn emphasised).
    void setPanelListed(bool listed);
    void setTextOffset(int px);

    // Left button on a tab (index), right button on a tab (index).
    std::function<void(DriveTabRow*, int index, Qt::MouseButton)> onPress;
    std::function<void(DriveTabRow*)> onHover;

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;

private:
    int panel_;
    QStringList tabs_;
    int current_ = -1;
    int tabWidth_ = 26;
    int textOffset_ = 3;
    bool listed_ = false;
};

}  // namespace zx
