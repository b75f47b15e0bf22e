#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

#include "HistoryModel.h"
#include "Palette.h"
#include "Waterfall.h"

namespace nerimo {

// The waterfall of a history, drawn as it grows, scrolled and zoomed in time: by default the
// newest sweeps, a row of up to 8 pixels each as the height allows; "Fit all" every sweep kept,
// several a row when they are many; or the zoom the user chose (Ctrl and the wheel). The wheel,
// Page Up/Down, Home and End scroll; a view scrolled back stays on its sweeps as new ones come.
// A sweep added to the newest rows moves them down and draws the newest at the top; any other
// change draws them all afresh.
class HistoryView : public QWidget {
    Q_OBJECT

  public:
    enum class Fit {
        Newest,  // the newest sweeps, rows as tall as fits up to 8 pixels
        All,     // every sweep kept
        Chosen,  // the user's own zoom
    };

    HistoryView(const HistoryModel& model, Palette palette, QWidget* parent);

    // Shows another history (the run's, or a log's), from its newest sweep.
    void SetModel(const HistoryModel& model);
    const HistoryModel& model() const { return *model_; }
    void SetPalette(Palette palette);
    Palette palette() const { return palette_; }
    void SetFit(Fit fit, waterfall::Zoom zoom = {});
    Fit fit() const { return fit_; }
    const waterfall::Shown& shown() const { return shown_; }
    // The model has a new row, or new rows altogether.
    void ModelChanged(bool reloaded);
    // What the view shows, as a picture fitted to every sweep kept, its caption naming `source`.
    QImage Picture(const QString& source) const;

    // Scrolling in bands (a sweep's rows, or a row of several sweeps) from the newest.
    int ScrollMaximum() const;
    int PageBands() const;
    int ScrollValue() const;
    void ScrollTo(int band);

    // The read-out for the sweeps under the pointer, or an empty text off the rows.
    std::function<void(const QString&)> onPointer;
    // A click on a cell: the frequency of its column.
    std::function<void(long long hertz)> onClick;
    // The zoom or the scroll changed.
    std::function<void()> onShownChanged;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // For a screen reader: the sweeps it holds and the newest one's strongest step.
    void Describe();
    // The zoom the fit gives for the rows there are now.
    waterfall::Zoom ZoomNow() const;
    void Redraw();
    // What the sweeps under a point of the widget read.
    QString Reading(QPoint point) const;

    const HistoryModel* model_;
    Palette palette_;
    Fit fit_ = Fit::Newest;
    waterfall::Shown shown_;
    QImage rows_;  // the area's pixels
};

}  // namespace nerimo
