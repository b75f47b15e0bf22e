#include "Controls.h"

#include <QPalette>
#include <utility>
#include <vector>

#include "Fonts.h"
#include "ProgramIcon.h"
#include "WindowLook.h"

namespace nerimo {

namespace {

const QColor kBlack(0, 0, 0);
const QColor kWhite(255, 255, 255);

constexpr double kDefaultPoints = 8.25;

void Colour(QWidget* widget, const QColor& background, const QColor& text) {
    QPalette palette = widget->palette();
    // Buttons, option buttons and check boxes fill with the Button role, the others with Window.
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::Button, background);
    palette.setColor(QPalette::WindowText, text);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

template <typename T>
T* Place(T* widget, const char* name, const QRect& geometry) {
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(geometry);
    return widget;
}

QWidget* MakeFrame(QWidget* parent, const char* name, const QRect& geometry,
                   const QColor& background, const QColor& text) {
    auto* frame = Place(new QWidget(parent), name, geometry);
    Colour(frame, background, text);
    return frame;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QRect& geometry,
                  const QColor& background, const QColor& text, const QFont& font,
                  const QString& caption = QString()) {
    auto* label = Place(new QLabel(caption, parent), name, geometry);
    Colour(label, background, text);
    label->setFont(font);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QRect& geometry,
                        const QColor& face, const QString& caption, const QFont& font) {
    auto* button = Place(new QPushButton(caption, parent), name, geometry);
    button->setFont(font);
    // A style sheet, so the face shows its colour whatever the desktop's style; the button with
    // the keyboard's focus has a dotted black edge.
    const QString rgb =
        QStringLiteral("rgb(%1, %2, %3)").arg(face.red()).arg(face.green()).arg(face.blue());
    button->setStyleSheet(
        QStringLiteral("QPushButton { background-color: %1; color: black; border: 1px outset %1; "
                       "padding: 0px; }"
                       "QPushButton:focus { border: 1px dotted black; }"
                       "QPushButton:pressed { border: 1px inset %1; }")
            .arg(rgb));
    return button;
}

QRadioButton* MakeOption(QWidget* parent, const char* name, const QRect& geometry,
                         const QString& caption, const QFont& font) {
    auto* option = Place(new QRadioButton(caption, parent), name, geometry);
    Colour(option, kPanelGrey, kWhite);
    option->setFont(font);
    return option;
}

QCheckBox* MakeCheck(QWidget* parent, const char* name, const QRect& geometry) {
    auto* check = Place(new QCheckBox(parent), name, geometry);
    Colour(check, kPanelGrey, kWhite);
    return check;
}

// What each control is, for a screen reader, and what it does, for the tooltip and the screen
// reader alike, with its key where it has one. The span's frequencies keep their text as their
// name; the status and the read-out are named afresh as they change.
void Explain(const Controls& c) {
    struct Explained {
        QWidget* control;
        const char* name;  // none: its text (a check box: its caption, set with it)
        const char* tip;
    };
    const Explained kExplained[] = {
        {c.titleStrip, "Title bar", "Drag to move the window"},
        {c.minimiseButton, "Minimise", "Minimise the window; the sweep goes on"},
        {c.closeButton, "Close", "Close Nerimo at once, also in a sweep (Ctrl+Q, Alt+F4)"},
        {c.startButton, "Start",
         "Sweep the span again and again, step by step (Space when focused)"},
        {c.stopButton, "Stop", "Stop sweeping; then a click on the plot tunes the receiver there"},
        {c.continueButton, "Continue", "Leave the held frequency and sweep on"},
        {c.clearAtStartCaption, nullptr, "Erase the plot before every sweep"},
        {c.clearAtStartBox, nullptr, "Erase the plot before every sweep"},  // named by its caption
        {c.gridCaption, nullptr, "Draw the grid on the plot"},
        {c.gridBox, nullptr, "Draw the grid on the plot"},
        {c.modeGroup, "Mode", "The mode of the next start or tuning"},
        {c.fmButton, "FM", "Receive in FM from the next start or tuning"},
        {c.amButton, "AM", "Receive in AM from the next start or tuning"},
        {c.spanGroup, "Span", "How wide a band each sweep covers"},
        {c.span1Button, "Span 1 MHz", "Sweep 1 MHz from the start frequency: 81 steps"},
        {c.span8Button, "Span 8 MHz", "Sweep 8 MHz from the start frequency: 641 steps"},
        {c.statusLabel, nullptr, "What the sweep does: scan, pause, or no receiver"},
        // Named for good: its text changes at every step of a sweep, too often to be said.
        {c.tunedLabel, "Tuned frequency", "The frequency the receiver was tuned to with a click"},
        {c.plotView, "Plot",
         "The levels of the last sweeps. Click to tune there while stopped, or move the tuning "
         "cursor with Left, Right, Page Up, Page Down, Home and End and tune with Enter; "
         "right-click, the Menu key or Shift+F10 for the plot's menu; M, N and A show the "
         "holds"},
        {c.scaleStrip, "Frequency scale",
         "The span's scale: yellow ticks are named frequencies, grey ones lockouts"},
        {c.startFrequencyLabel, nullptr, "The span's first frequency, in MHz"},
        {c.readoutLabel, "Read-out",
         "The frequency under the pointer or the tuning cursor, and its name"},
        {c.endFrequencyLabel, nullptr, "The span's last frequency, in MHz"},
        {c.plotMenuButton, "Plot menu",
         "Pictures, logs, holds, lockouts, bookmarks, history and the receiver (Menu key, "
         "Shift+F10)"},
    };
    for (const Explained& explained : kExplained) {
        explained.control->setToolTip(QString::fromUtf8(explained.tip));
        explained.control->setAccessibleDescription(QString::fromUtf8(explained.tip));
        if (explained.name) {
            explained.control->setAccessibleName(QString::fromUtf8(explained.name));
        }
    }
}

}  // namespace

Controls BuildControls(QWidget* window) {
    const QFont normal = SansFont(kDefaultPoints);
    const QFont bold = SansFont(kDefaultPoints, true);
    Controls c{};

    c.titleStrip = MakeFrame(window, "titleStrip", {0, 0, 815, 33}, kBlack, kWhite);
    c.iconImage = MakeLabel(c.titleStrip, "iconImage", {8, 0, 32, 32}, kBlack, kWhite, normal);
    c.iconImage->setPixmap(ProgramPixmap(32));
    c.titleLabel = MakeLabel(c.titleStrip, "titleLabel", {64, 8, 281, 25}, kBlack, kWhite, normal);
    c.creditLabel =
        MakeLabel(c.titleStrip, "creditLabel", {360, 8, 289, 25}, kBlack, kWhite, normal);
    c.minimiseButton = MakeButton(c.titleStrip, "minimiseButton", {712, 8, 25, 17},
                                  QColor(128, 128, 128), QStringLiteral("-"), SansFont(13.5, true));
    c.closeButton = MakeButton(c.titleStrip, "closeButton", kCloseButtonPlace,
                               QColor(255, 128, 128), QStringLiteral(" X"), SansFont(9.75, true));

    c.startButton = MakeButton(window, "startButton", kStartButtonPlace, kScanGreen,
                               QStringLiteral("start"), normal);
    c.stopButton = MakeButton(window, "stopButton", kStartButtonPlace, kPauseRed,
                              QStringLiteral("stop"), normal);
    c.continueButton = MakeButton(window, "continueButton", {120, 80, 49, 17}, QColor(255, 255, 0),
                                  QStringLiteral("continue"), normal);

    c.clearAtStartCaption =
        MakeLabel(window, "clearAtStartCaption", {216, 40, 65, 17}, kPanelGrey, kWhite, normal);
    c.clearAtStartBox = MakeCheck(window, "clearAtStartBox", {288, 40, 17, 17});
    c.gridCaption = MakeLabel(window, "gridCaption", {360, 40, 33, 17}, kPanelGrey, kWhite, normal);
    c.gridBox = MakeCheck(window, "gridBox", {400, 40, 17, 17});

    c.modeGroup = MakeFrame(window, "modeGroup", {216, 64, 113, 33}, kPanelGrey, kPanelGrey);
    c.fmButton = MakeOption(c.modeGroup, "fmButton", {24, 0, 41, 33}, QStringLiteral("FM"), normal);
    c.amButton = MakeOption(c.modeGroup, "amButton", {72, 0, 41, 33}, QStringLiteral("AM"), normal);

    c.spanGroup = MakeFrame(window, "spanGroup", {360, 64, 169, 33}, kPanelGrey, kWhite);
    c.spanLabel = MakeLabel(c.spanGroup, "spanLabel", {0, 8, 33, 21}, kPanelGrey, kWhite, normal,
                            QStringLiteral("span"));
    c.span1Button =
        MakeOption(c.spanGroup, "span1Button", {40, 0, 57, 33}, QStringLiteral("1 MHz"), normal);
    c.span8Button =
        MakeOption(c.spanGroup, "span8Button", {104, 0, 57, 33}, QStringLiteral("8 MHz"), normal);

    c.statusLabel = MakeLabel(window, "statusLabel", kStatusPlace, kPanelGrey, kWhite, bold);
    c.tunedLabel = MakeLabel(window, "tunedLabel", {576, 72, 185, 15}, kPanelGrey, kWhite, bold);

    c.plotView =
        Place(new platform::SurfaceWidget(window, MakeRgb(0, 0, 0)), "plotView", kPlotPlace);
    c.scaleStrip = Place(new platform::SurfaceWidget(window, MakeRgb(0, 0, 0)), "scaleStrip",
                         kScaleStripPlace);

    c.startFrequencyLabel =
        MakeLabel(window, "startFrequencyLabel", {104, 504, 116, 17}, kPanelGrey, kWhite, bold);
    c.readoutLabel =
        MakeLabel(window, "readoutLabel", kReadoutPlace, kPanelGrey, QColor(0, 255, 0), normal);
    c.readoutLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    c.endFrequencyLabel =
        MakeLabel(window, "endFrequencyLabel", {688, 504, 116, 17}, kPanelGrey, kWhite, bold);

    c.plotMenuButton = MakeButton(window, "plotMenuButton", kPlotMenuButtonPlace,
                                  QColor(192, 192, 192), QStringLiteral("menu"), normal);
    // A dotted edge in the panel's gap round the plot, beneath every control, shown while the
    // keys drive the plot's tuning cursor.
    c.plotFocusRing = Place(new QFrame(window), "plotFocusRing", kPlotPlace.adjusted(-2, -2, 2, 2));
    c.plotFocusRing->setStyleSheet(
        QStringLiteral("QFrame { border: 1px dotted white; background: transparent; }"));
    c.plotFocusRing->setAttribute(Qt::WA_TransparentForMouseEvents);
    c.plotFocusRing->lower();
    c.plotFocusRing->hide();
    Explain(c);

    // Keyboard focus goes round in the order of the stored tab indexes; labels, frames and the
    // image take no focus.
    const std::vector<std::pair<int, QWidget*>> tabIndexes = {
        {0, c.startButton},     {1, c.plotView},        {3, c.closeButton},
        {5, c.scaleStrip},      {8, c.stopButton},      {11, c.clearAtStartBox},
        {13, c.gridBox},        {20, c.fmButton},       {21, c.amButton},
        {22, c.span1Button},    {23, c.span8Button},    {24, c.minimiseButton},
        {25, c.continueButton}, {26, c.plotMenuButton},
    };
    // The plot takes the focus from a click too, for the keys of the hold traces.
    c.plotView->setFocusPolicy(Qt::StrongFocus);
    c.scaleStrip->setFocusPolicy(Qt::TabFocus);
    for (size_t i = 1; i < tabIndexes.size(); ++i) {
        QWidget::setTabOrder(tabIndexes[i - 1].second, tabIndexes[i].second);
    }
    return c;
}

}  // namespace nerimo
