#pragma once

#include <QWidget>
#include <vector>

#include "HoldTraces.h"

namespace nerimo {

// The legend of the hold traces shown, over the plot's right margin as a saved picture has it,
// and read out by its accessible name; hidden while no hold is shown, so the plot is all there
// is. The pointer passes through it to the plot.
class HoldLegendView : public QWidget {
    Q_OBJECT

  public:
    explicit HoldLegendView(QWidget* plotView);

    // The holds shown now.
    void Show(const std::vector<Hold>& holds);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::vector<Hold> holds_;
};

}  // namespace nerimo
