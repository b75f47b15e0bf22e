#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

#include "HistoryModel.h"
#include "Palette.h"

namespace nerimo {

// The waterfall of a history, drawn as it grows: a sweep added moves the rows down and draws the
// newest at the top; a change of size, palette or the rows' height draws them all afresh.
class HistoryView : public QWidget {
    Q_OBJECT

  public:
    HistoryView(const HistoryModel& model, Palette palette, QWidget* parent);

    void SetPalette(Palette palette);
    Palette palette() const { return palette_; }
    // The model has a new row, or new rows altogether.
    void ModelChanged(bool reloaded);
    // What the view shows, as a picture.
    QImage Picture() const;

    // The read-out for the cell under the pointer, or an empty text off the rows.
    std::function<void(const QString&)> onPointer;
    // A click on a cell: the frequency of its column.
    std::function<void(long long hertz)> onClick;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    void Redraw();
    // The cell under a point of the widget: the row and the column.
    std::optional<std::pair<const HistoryRow*, int>> CellAt(QPoint point) const;

    const HistoryModel& model_;
    Palette palette_;
    QImage rows_;  // the area's pixels
    int rowHeight_ = 1;
};

}  // namespace nerimo
