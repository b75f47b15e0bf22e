#include "HoldLegend.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QStringList>

#include "PlotGeometry.h"

namespace nerimo {

namespace {

constexpr int kTextPixels = 11;  // in pixels, not points: the same on every screen and picture
constexpr int kTop = 2;
constexpr int kLeft = kGridRightX + 3;

struct Named {
    const char* name;
    const char* colourName;
    Rgb colour;
};

Named NameOf(Hold hold) {
    switch (hold) {
        case Hold::Max:
            return {"max", "magenta", kMaxHoldColor};
        case Hold::Min:
            return {"min", "blue", kMinHoldColor};
        case Hold::Average:
            break;
    }
    return {"avg", "yellow", kAverageColor};
}

// The program's face, named outright: a painter on a widget would take the widget's instead, and
// the legend on the screen would not be the legend on a picture.
QFont LegendFont() {
    QFont font(QGuiApplication::font().family());
    font.setPixelSize(kTextPixels);
    return font;
}

int LineHeight() {
    return QFontMetrics(LegendFont()).height();
}

}  // namespace

QRect HoldLegendPlace(int holds) {
    if (holds == 0) {
        return {};
    }
    return {kGridRightX + 1, 0, kPlotWidth - kGridRightX - 1, 2 * kTop + holds * LineHeight()};
}

void DrawHoldLegend(QPainter& painter, const std::vector<Hold>& holds) {
    painter.save();
    painter.setFont(LegendFont());
    const int line = LineHeight();
    int top = kTop;
    for (const Hold hold : holds) {
        const Named named = NameOf(hold);
        painter.setPen(QColor::fromRgb(named.colour));
        painter.drawText(QRect(kLeft, top, kPlotWidth - kLeft, line), Qt::AlignLeft | Qt::AlignTop,
                         QString::fromLatin1(named.name));
        top += line;
    }
    painter.restore();
}

QString HoldsCaption(const std::vector<Hold>& holds) {
    if (holds.empty()) {
        return {};
    }
    QStringList named;
    for (const Hold hold : holds) {
        const Named name = NameOf(hold);
        named << QStringLiteral("%1 (%2)").arg(QLatin1String(name.name),
                                               QLatin1String(name.colourName));
    }
    return QStringLiteral("holds: ") + named.join(QStringLiteral(", "));
}

}  // namespace nerimo
