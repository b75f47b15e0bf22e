#include "Controls.h"

#include <QPalette>
#include <utility>
#include <vector>

#include "Fonts.h"
#include "ProgramIcon.h"

namespace nerimo {

namespace {

const QColor kBlack(0, 0, 0);
const QColor kWhite(255, 255, 255);
const QColor kPanelGrey(64, 64, 64);

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

}  // namespace

Controls BuildControls(QWidget* form) {
    const QFont normal = platform::SansFont(kDefaultPoints);
    const QFont bold = platform::SansFont(kDefaultPoints, true);
    Controls c{};

    c.Frame1 = MakeFrame(form, "Frame1", {0, 0, 815, 33}, kBlack, kWhite);
    c.Image1 = MakeLabel(c.Frame1, "Image1", {8, 0, 32, 32}, kBlack, kWhite, normal);
    c.Image1->setPixmap(ProgramPixmap(32));
    c.Label4 = MakeLabel(c.Frame1, "Label4", {64, 8, 281, 25}, kBlack, kWhite, normal);
    c.Label3 = MakeLabel(c.Frame1, "Label3", {360, 8, 289, 25}, kBlack, kWhite, normal);
    c.Command1 = MakeButton(c.Frame1, "Command1", {712, 8, 25, 17}, QColor(128, 128, 128),
                            QStringLiteral("-"), platform::SansFont(13.5, true));
    c.Command2 = MakeButton(c.Frame1, "Command2", {744, 8, 25, 17}, QColor(255, 128, 128),
                            QStringLiteral(" X"), platform::SansFont(9.75, true));

    c.Command8 = MakeButton(form, "Command8", {120, 40, 33, 17}, QColor(0, 255, 0),
                            QStringLiteral("start"), normal);
    c.Command9 = MakeButton(form, "Command9", {120, 40, 33, 17}, QColor(255, 0, 0),
                            QStringLiteral("stop"), normal);
    c.Command3 = MakeButton(form, "Command3", {120, 80, 49, 17}, QColor(255, 255, 0),
                            QStringLiteral("continue"), normal);

    c.Label7 = MakeLabel(form, "Label7", {216, 40, 65, 17}, kPanelGrey, kWhite, normal);
    c.Check1 = MakeCheck(form, "Check1", {288, 40, 17, 17});
    c.Label8 = MakeLabel(form, "Label8", {360, 40, 33, 17}, kPanelGrey, kWhite, normal);
    c.Check2 = MakeCheck(form, "Check2", {400, 40, 17, 17});

    c.Frame2 = MakeFrame(form, "Frame2", {216, 64, 113, 33}, kPanelGrey, kPanelGrey);
    c.Option1 = MakeOption(c.Frame2, "Option1", {24, 0, 41, 33}, QStringLiteral("FM"), normal);
    c.Option2 = MakeOption(c.Frame2, "Option2", {72, 0, 41, 33}, QStringLiteral("AM"), normal);

    c.Frame3 = MakeFrame(form, "Frame3", {360, 64, 169, 33}, kPanelGrey, kWhite);
    c.Label1 = MakeLabel(c.Frame3, "Label1", {0, 8, 33, 21}, kPanelGrey, kWhite, normal,
                         QStringLiteral("span"));
    c.Option3 = MakeOption(c.Frame3, "Option3", {40, 0, 57, 33}, QStringLiteral("1 MHz"), normal);
    c.Option4 = MakeOption(c.Frame3, "Option4", {104, 0, 57, 33}, QStringLiteral("8 MHz"), normal);

    c.Label15 = MakeLabel(form, "Label15", {576, 56, 185, 15}, kPanelGrey, kWhite, bold);
    c.Label16 = MakeLabel(form, "Label16", {576, 72, 185, 15}, kPanelGrey, kWhite, bold);

    c.Picture1 =
        Place(new platform::SurfaceWidget(form, qRgb(0, 0, 0)), "Picture1", {64, 136, 720, 350});
    c.Picture4 =
        Place(new platform::SurfaceWidget(form, qRgb(0, 0, 0)), "Picture4", {64, 487, 720, 15});

    c.Label5 = MakeLabel(form, "Label5", {104, 504, 116, 17}, kPanelGrey, kWhite, bold);
    c.Label9 =
        MakeLabel(form, "Label9", {352, 504, 145, 25}, kPanelGrey, QColor(0, 255, 0), normal);
    c.Label9->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    c.Label6 = MakeLabel(form, "Label6", {688, 504, 116, 17}, kPanelGrey, kWhite, bold);

    // Keyboard focus goes round in the order of the stored tab indexes; labels, frames and the
    // image take no focus.
    const std::vector<std::pair<int, QWidget*>> tabIndexes = {
        {0, c.Command8}, {1, c.Picture1},  {3, c.Command2},  {5, c.Picture4}, {8, c.Command9},
        {11, c.Check1},  {13, c.Check2},   {20, c.Option1},  {21, c.Option2}, {22, c.Option3},
        {23, c.Option4}, {24, c.Command1}, {25, c.Command3},
    };
    c.Picture1->setFocusPolicy(Qt::TabFocus);
    c.Picture4->setFocusPolicy(Qt::TabFocus);
    for (size_t i = 1; i < tabIndexes.size(); ++i) {
        QWidget::setTabOrder(tabIndexes[i - 1].second, tabIndexes[i].second);
    }
    return c;
}

}  // namespace nerimo
