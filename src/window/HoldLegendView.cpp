#include "HoldLegendView.h"

#include <QPainter>

#include "HoldLegend.h"

namespace nerimo {

HoldLegendView::HoldLegendView(QWidget* plotView) : QWidget(plotView) {
    setObjectName(QStringLiteral("holdLegend"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
}

void HoldLegendView::Show(const std::vector<Hold>& holds) {
    holds_ = holds;
    setGeometry(HoldLegendPlace(static_cast<int>(holds.size())));
    setAccessibleName(HoldsCaption(holds));
    setVisible(!holds.empty());
    update();
}

void HoldLegendView::paintEvent(QPaintEvent*) {
    // The legend is drawn in the plot's pixels, as on a picture of it.
    QPainter painter(this);
    painter.translate(-pos());
    DrawHoldLegend(painter, holds_);
}

}  // namespace nerimo
