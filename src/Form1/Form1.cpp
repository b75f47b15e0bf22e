#include "Form1.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QShortcut>
#include <algorithm>
#include <cmath>

#include "Fonts.h"
#include "FrequencyAtX.h"
#include "NumberFormat.h"
#include "PlotGeometry.h"
#include "ProgramIcon.h"
#include "Setup.h"
#include "WindowPlace.h"

namespace nerimo {

namespace {

constexpr int kWindowWidth = 812;
constexpr int kWindowHeight = 541;
const QColor kWindowGrey(64, 64, 64);

}  // namespace

Form1::Form1(Form1Services services, CommandLine options)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      services_(services),
      options_(std::move(options)),
      link_(state_, services.port, services.messages, services.retry),
      hamlib_(state_, services.radio, services.messages, services.retry),
      ui_(BuildControls(this)),
      plot_(state_, *ui_.Picture1, *this),
      log_(services.log, services.messages),
      keep_(this, *ui_.Picture1, *ui_.Picture4, log_, services.messages) {
    setObjectName(QStringLiteral("Form1"));
    setFixedSize(kWindowWidth, kWindowHeight);
    setFont(platform::SansFont(8.25));
    setWindowIcon(ProgramIcon());
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kWindowGrey);
    palette.setColor(QPalette::WindowText, Qt::white);
    setPalette(palette);
    setAutoFillBackground(true);

    // Moves over a control never reach the window's own handler, which is for the bare
    // background; the controls that react to the pointer track it themselves.
    for (QWidget* child : findChildren<QWidget*>()) {
        child->setAttribute(Qt::WA_NoMousePropagation);
    }
    setMouseTracking(true);
    for (QWidget* watched :
         {ui_.Frame1, static_cast<QWidget*>(ui_.Label3), static_cast<QWidget*>(ui_.Label4),
          static_cast<QWidget*>(ui_.Command2), static_cast<QWidget*>(ui_.Picture1)}) {
        watched->setMouseTracking(true);
        watched->installEventFilter(this);
    }

    connect(ui_.Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(ui_.Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(ui_.Command8, &QPushButton::clicked, this, &Form1::Command8_Click);
    connect(ui_.Command9, &QPushButton::clicked, this, &Form1::Command9_Click);
    connect(ui_.Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(ui_.Option1, &QRadioButton::clicked, this, &Form1::Option1_Click);
    connect(ui_.Option2, &QRadioButton::clicked, this, &Form1::Option2_Click);
    connect(ui_.Option3, &QRadioButton::clicked, this, &Form1::Option3_Click);
    connect(ui_.Option4, &QRadioButton::clicked, this, &Form1::Option4_Click);

    // The keys and the pointer a desktop user expects of a window with no frame of its own.
    auto* quit = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this);
    connect(quit, &QShortcut::activated, this, &Form1::Command2_Click);
    new TitleStripDrag(this, {ui_.Frame1, ui_.Image1, ui_.Label3, ui_.Label4});
    for (QWidget* caption : {ui_.Label7, ui_.Label8}) {
        caption->installEventFilter(this);
    }
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(PlaceOnScreen(screen->availableGeometry(), size()));
    }
}

bool Form1::Form_Load() {
    state_.ProgramName = QStringLiteral("Nerimo");
    state_.VersionText = QStringLiteral("v.2.4 - 03/04/2014");
    state_.CreditText = QStringLiteral("Made by the Nerimo team");
    setWindowTitle(state_.ProgramName);
    ui_.Label1->setText(QStringLiteral("span"));
    ui_.Label3->setText(QString());
    ui_.Label4->setText(QStringLiteral("Nerimo analyze spectrum"));
    ui_.Command3->setEnabled(false);
    ui_.Command3->setVisible(false);
    if (services_.program.AnotherInstanceRunning()) {
        return false;
    }
    services_.program.OnShowRequested([this] {  // a later copy, started by the user
        showNormal();
        raise();
        activateWindow();
    });
    const SettingsSource source{services_.program.Folder(), services_.program.UserFolder(),
                                options_.settingsPath, options_.device,
                                services_.program.Installed()};
    SetupWindow(state_, source, services_.files, *this, [this] {
        if (state_.RigModel > 0) {
            receiver_ = &hamlib_;
        }
        sweep_.emplace(state_, *receiver_, plot_, *this, services_.scheduler);
        sweep_->Listen(log_);
        receiver_->OpenPort([](const OpenOutcome&) {});  // a failure's message says it all
    });
    state_.Scanning = 0;
    return true;
}

void Form1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Restoring a minimised window shows it again; only the first show sets up the display.
    if (!activated_) {
        activated_ = true;
        Form_Activate();
    }
}

void Form1::Form_Activate() {
    SetupDisplay(state_, *this, *ui_.Picture4);
}

void Form1::mouseMoveEvent(QMouseEvent* event) {
    QWidget::mouseMoveEvent(event);
    Form_MouseMove();
}

// A close request from the desktop (window manager, Alt+F4) does what the close button does.
void Form1::closeEvent(QCloseEvent* event) {
    event->accept();
    Command2_Click();
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_.Picture1) {
        if (event->type() == QEvent::MouseMove) {
            Picture1_MouseMove(static_cast<QMouseEvent*>(event)->position().x());
        } else if (event->type() == QEvent::MouseButtonRelease) {
            // A click: the left button pressed and released over the plot.
            const auto* release = static_cast<QMouseEvent*>(event);
            if (release->button() == Qt::LeftButton &&
                ui_.Picture1->rect().contains(release->position().toPoint())) {
                Picture1_Click();
            }
        } else if (event->type() == QEvent::ContextMenu) {
            keep_.Popup(static_cast<QContextMenuEvent*>(event)->globalPos());
            return true;
        }
    } else if (watched == ui_.Label7 || watched == ui_.Label8) {
        // A check box's caption is a label beside it; a click on it toggles the box.
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            (watched == ui_.Label7 ? ui_.Check1 : ui_.Check2)->click();
        }
    } else if (event->type() == QEvent::MouseMove) {
        TitleStrip_MouseMove();
    }
    return QWidget::eventFilter(watched, event);
}

// Frame1_MouseMove, Label3_MouseMove, Label4_MouseMove and Command2_MouseMove all show the credit
// line; the icon and the minimise button leave it as it is.
void Form1::TitleStrip_MouseMove() {
    ui_.Label3->setText(state_.CreditText + QStringLiteral("   ") + state_.VersionText);
}

void Form1::Form_MouseMove() {
    ui_.Label3->setText(QString());
    ui_.Label9->setText(QString());
    unsetCursor();
}

void Form1::Picture1_MouseMove(double x) {
    // A drag can carry the pointer far beyond the plot; such a column is outside the range anyway.
    state_.MouseX =
        static_cast<int16_t>(std::clamp(std::nearbyint(x), double(INT16_MIN), double(INT16_MAX)));
    // The cross-hair belongs to the plot alone, so it never lingers over the scale strip.
    ui_.Picture1->setCursor(state_.Scanning != 0 ? Qt::ArrowCursor : Qt::CrossCursor);
    const std::optional<double> f = FrequencyAtX(state_, x);
    if (!f) {
        ui_.Label9->setText(QString());
        return;
    }
    if (const std::optional<QRgb> color = TraceColor(state_.ColorIndex)) {
        QPalette palette = ui_.Label9->palette();
        palette.setColor(QPalette::WindowText, QColor(*color));
        ui_.Label9->setPalette(palette);
    }
    ui_.Label9->setText(platform::FormatFixed4(*f) + QStringLiteral(" MHz"));
}

void Form1::Picture1_Click() {
    if (state_.Scanning != 0) {
        return;
    }
    const std::optional<double> f =
        FrequencyAtOffset(state_, int(state_.MouseX) - int(state_.LeftMargin));
    if (!f) {
        return;
    }
    FormatFreqText(state_, *f);
    receiver_->Tune([] {});  // with no port the command is lost, as a step's would be
    SetTunedText(QStringLiteral("MHz ") + QString::fromLatin1(state_.FreqText));
}

void Form1::Command1_Click() {
    showMinimized();
}

void Form1::Command2_Click() {
    receiver_->ClosePort();
    if (sweep_) {
        sweep_->End();
    }
    services_.program.EndNow();
}

void Form1::Command8_Click() {
    state_.StopRequested = 0;
    ShowStart(false);
    EnableChoices(false);
    SetStatus(QColor(0, 255, 0), QStringLiteral("scan"));
    state_.Scanning = 1;
    state_.ContinueRequested = 0;
    sweep_->RunSweep();
}

// The panel is idle at once; the run finishes its current step and then sees the stop.
void Form1::Command9_Click() {
    state_.StopRequested = 1;
    SetContinueOffered(false);
    ShowStart(true);
    EnableChoices(true);
    ClearStatus();
    state_.Scanning = 0;
    state_.ContinueRequested = 0;
}

void Form1::Command3_Click() {
    state_.ContinueRequested = 1;
}

void Form1::Option1_Click() {
    state_.ModeLetter = "N";
}

void Form1::Option2_Click() {
    state_.ModeLetter = "A";
}

void Form1::Option3_Click() {
    SpanChanged(1);
}

void Form1::Option4_Click() {
    SpanChanged(8);
}

void Form1::SpanChanged(int16_t spanMHz) {
    // The erase takes any grid with it, ticked or not, so the next sweep must draw it afresh.
    state_.GridDrawn = 0;
    ui_.Picture1->Erase();
    ui_.Picture1->Present();
    state_.SpanMHz = spanMHz;
    state_.EndMHz = state_.StartMHz + spanMHz;
    // The read-out and click-to-tune follow the new span at once, as the scale labels do.
    state_.PixelsPerStep = PixelsPerStepFor(spanMHz);
    SetScaleLabels(platform::FormatFixed4(state_.StartMHz), platform::FormatFixed4(state_.EndMHz));
}

QRadioButton* Form1::Option(int option) const {
    switch (option) {
        case 1:
            return ui_.Option1;
        case 2:
            return ui_.Option2;
        case 3:
            return ui_.Option3;
        default:
            return ui_.Option4;
    }
}

QCheckBox* Form1::Check(int check) const {
    return check == 1 ? ui_.Check1 : ui_.Check2;
}

void Form1::SelectOption(int option) {
    Option(option)->setChecked(true);
    switch (option) {
        case 1:
            Option1_Click();
            break;
        case 2:
            Option2_Click();
            break;
        case 3:
            Option3_Click();
            break;
        default:
            Option4_Click();
            break;
    }
}

bool Form1::OptionSelected(int option) const {
    return Option(option)->isChecked();
}

void Form1::SetCheckValue(int check, int16_t value) {
    Check(check)->setChecked(value == 1);
}

int16_t Form1::CheckValue(int check) const {
    return Check(check)->isChecked() ? 1 : 0;
}

void Form1::ShapeSurfaces(int16_t plotWidth, int16_t plotHeight) {
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kWindowGrey);
    setPalette(palette);
    ui_.Picture1->SetPixelSize(plotWidth, plotHeight);
    ui_.Picture4->SetPixelSize(plotWidth, kScaleHeight);
}

void Form1::SetScaleLabels(const QString& start, const QString& end) {
    ui_.Label5->setText(start);
    ui_.Label6->setText(end);
}

void Form1::SetCheckCaptions(const QString& clearAtStart, const QString& grid) {
    ui_.Label7->setText(clearAtStart);
    ui_.Label8->setText(grid);
    ui_.Check1->setAccessibleName(clearAtStart);
    ui_.Check2->setAccessibleName(grid);
}

void Form1::ShowStart(bool shown) {
    ui_.Command8->setEnabled(shown);
    ui_.Command8->setVisible(shown);
    ui_.Command9->setEnabled(!shown);
    ui_.Command9->setVisible(!shown);
}

void Form1::EnableChoices(bool enabled) {
    for (QWidget* choice :
         {static_cast<QWidget*>(ui_.Check1), static_cast<QWidget*>(ui_.Check2),
          static_cast<QWidget*>(ui_.Option1), static_cast<QWidget*>(ui_.Option2),
          static_cast<QWidget*>(ui_.Option3), static_cast<QWidget*>(ui_.Option4)}) {
        choice->setEnabled(enabled);
    }
}

void Form1::SetStatus(const QColor& color, const QString& text) {
    QPalette palette = ui_.Label15->palette();
    palette.setColor(QPalette::WindowText, color);
    ui_.Label15->setPalette(palette);
    ui_.Label15->setText(text);
}

void Form1::ClearStatus() {
    ui_.Label15->setText(QString());
}

void Form1::SetTunedText(const QString& text) {
    ui_.Label16->setText(text);
}

void Form1::SetContinueOffered(bool offered) {
    ui_.Command3->setEnabled(offered);
    ui_.Command3->setVisible(offered);
}

}  // namespace nerimo
