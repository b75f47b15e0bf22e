#include "MainWindow.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QShortcut>
#include <algorithm>
#include <cmath>

#include "Fonts.h"
#include "Frequency.h"
#include "FrequencyAtX.h"
#include "NumberFormat.h"
#include "PlotGeometry.h"
#include "ProgramIcon.h"
#include "Report.h"
#include "SettingsFile.h"
#include "WindowLook.h"
#include "WindowPlace.h"

namespace nerimo {

namespace {

constexpr int kBrokerDeadlineMs = 1000;  // for the last messages, at the close

}  // namespace

MainWindow::MainWindow(const Services& services, CommandLine options)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      services_(services),
      options_(std::move(options)),
      ui_(BuildControls(this)),
      readoutHelp_(ui_.readoutLabel->toolTip()),
      receiverPanel_(new ReceiverPanel(
          ui_.plotView,
          {[this] { return chooser_ ? chooser_->Ports() : QList<platform::PortChoice>(); },
           [this](const QByteArray& device) { UseReceiver(CurrentReceiver().WithPort(device)); },
           [this] {
               if (chooser_) {
                   chooser_->Choose();
               }
           }})) {
    setObjectName(QStringLiteral("mainWindow"));
    setFixedSize(kWindowSize);
    setFont(SansFont(8.25));
    setWindowIcon(ProgramIcon());
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kPanelGrey);
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
         {ui_.titleStrip, static_cast<QWidget*>(ui_.creditLabel),
          static_cast<QWidget*>(ui_.titleLabel), static_cast<QWidget*>(ui_.closeButton),
          static_cast<QWidget*>(ui_.plotView)}) {
        watched->setMouseTracking(true);
        watched->installEventFilter(this);
    }
    for (QWidget* control : findChildren<QWidget*>()) {
        if (control->focusPolicy() & Qt::TabFocus) {
            control->installEventFilter(&tabKeys_);
        }
    }

    connect(ui_.minimiseButton, &QPushButton::clicked, this, &MainWindow::Minimise);
    connect(ui_.closeButton, &QPushButton::clicked, this, &MainWindow::Close);
    connect(ui_.startButton, &QPushButton::clicked, this, &MainWindow::Start);
    connect(ui_.stopButton, &QPushButton::clicked, this, &MainWindow::Stop);
    connect(ui_.continueButton, &QPushButton::clicked, this, &MainWindow::Continue);
    connect(ui_.span1Button, &QRadioButton::clicked, this, [this] { SpanChanged(1); });
    connect(ui_.span8Button, &QRadioButton::clicked, this, [this] { SpanChanged(8); });

    // The keys and the pointer a desktop user expects of a window with no frame of its own.
    auto* quit = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this);
    connect(quit, &QShortcut::activated, this, &MainWindow::Close);
    // The plot's menu from anywhere in the window, as desktops open a context menu from keys.
    for (const QKeySequence& keys :
         {QKeySequence(Qt::Key_Menu), QKeySequence(Qt::SHIFT | Qt::Key_F10)}) {
        connect(new QShortcut(keys, this), &QShortcut::activated, this, [this] {
            if (menu_) {
                PopupPlotMenuFromKeys();
            }
        });
    }
    connect(ui_.plotMenuButton, &QPushButton::clicked, this, [this] {
        if (menu_) {
            marks_->PointAt(std::nullopt);
            menu_->Popup(ui_.plotMenuButton->mapToGlobal(QPoint(0, ui_.plotMenuButton->height())));
        }
    });
    new TitleStripDrag(this, {ui_.titleStrip, ui_.iconImage, ui_.creditLabel, ui_.titleLabel});
    for (QWidget* caption : {ui_.clearAtStartCaption, ui_.gridCaption}) {
        caption->installEventFilter(this);
    }
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(PlaceOnScreen(screen->availableGeometry(), size()));
    }
}

bool MainWindow::Load() {
    setWindowTitle(kProgramName);
    ui_.spanLabel->setText(QStringLiteral("span"));
    ui_.creditLabel->setText(QString());
    ui_.titleLabel->setText(QStringLiteral("Nerimo analyze spectrum"));
    SetContinueOffered(false);
    settings_ = LoadSettings(
        {services_.program.Folder(), services_.program.UserFolder(), options_.settingsPath,
         options_.device, services_.program.Installed(), options_.settleMs},
        services_.files);
    station_.emplace(settings_, services_, *this, *ui_.plotView);
    if (services_.program.AnotherInstanceRunning(station_->receiver().Name())) {
        return false;
    }
    services_.program.OnShowRequested([this] {  // a later copy, started by the user
        showNormal();
        raise();
        activateWindow();
    });
    state_.emplace(settings_.file);
    ReadLists();
    menu_.emplace(
        PlotMenu::Parts{this, *ui_.plotView, *ui_.scaleStrip, station_->plot(), station_->log(),
                        station_->activityLog(), *state_, services_.messages,
                        [this] { return station_->Caption(ChosenSpanMHz(), ChosenMode()); },
                        [this] { ShowHistory(); }});
    marks_.emplace(MarksMenu::Parts{this, *ui_.plotView, menu_->menu(), menu_->historyItem(),
                                    *station_, *state_, services_.messages,
                                    [this] { DrawScaleFor(ChosenSpanMHz()); }});
    chooser_.emplace(ReceiverChooser::Parts{
        this, menu_->menu(), menu_->historyItem(), services_.files, services_.messages,
        settings_.file, [this] { return CurrentReceiver(); },
        [this](const ReceiverChoice& choice) { UseReceiver(choice); }});
    channelsMenu_.emplace(ChannelsMenu::Parts{
        this, menu_->menu(), menu_->historyItem(), *station_, services_.messages,
        [this](const std::optional<SweepPlan>& channels) { UseChannels(channels); }});
    activities_.emplace();
    station_->activity().Listen(*activities_);
    channelTable_.emplace(station_->lockouts());
    station_->sweep().Listen(*channelTable_);
    spoken_.emplace(*ui_.statusLabel, *ui_.plotView, this);
    station_->sweep().Listen(*spoken_);
    station_->activity().Listen(*channelTable_);
    if (options_.broker) {
        // A refusal is said in a message that does not wait; the window sweeps on.
        station_->PublishTo(*options_.broker, [] {});
    }
    history_ = std::make_unique<HistoryWindow>(station_->history(), *activities_, *channelTable_,
                                               *state_, services_.messages, services_.files,
                                               [this](long long hertz) { TuneTo(hertz); });
    SetupWindow();
    scanning_ = false;
    if (!options_.channelsPath.isEmpty()) {
        channelsMenu_->ScanChannels(options_.channelsPath, options_.groups, options_.priority);
    }
    return true;
}

void MainWindow::SetupWindow() {
    // The choices, each selected as a click would select it.
    (settings_.mode == Mode::Fm ? ui_.fmButton : ui_.amButton)->setChecked(true);
    (settings_.spanMHz == 1 ? ui_.span1Button : ui_.span8Button)->setChecked(true);
    SpanChanged(settings_.spanMHz);
    ui_.clearAtStartBox->setChecked(settings_.clearAtStart);
    ui_.gridBox->setChecked(settings_.grid);

    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kPanelGrey);
    setPalette(palette);
    ui_.plotView->SetPixelSize(kPlotWidth, kPlotHeight);
    ui_.scaleStrip->SetPixelSize(kPlotWidth, kScaleHeight);
    station_->ShowReceiverTroubleIn(
        [this](const QString& trouble) { receiverPanel_->Show(trouble); });
    station_->receiver().OpenPort([](const OpenOutcome&) {});  // a failure's message says it all
    ui_.startFrequencyLabel->setText(FormatFixed4(settings_.startMHz));
    ui_.endFrequencyLabel->setText(FormatFixed4(EndMHz()));
}

void MainWindow::StartLog(const QString& path) {
    if (menu_->StartLog(path) && QFileInfo(path).size() > 0) {
        history_->LoadLog(path, true);
    }
}

void MainWindow::ReadLists() {
    // A lockouts file named but not there yet is made at the first lockout.
    const FrequencyLists lists = station_->ReadLists(
        options_,
        options_.bookmarksPath.isEmpty() ? state_->BookmarksPath() : options_.bookmarksPath, false);
    QStringList said = lists.notes;
    if (!lists.refusal.isEmpty()) {
        said << lists.refusal;
    }
    for (const QString& line : said) {
        Report(line);
    }
    if (!said.isEmpty()) {
        services_.messages.Notify(said.join('\n'));
    }
}

void MainWindow::StartActivityLog(const QString& path) {
    menu_->StartActivityLog(path);
}

void MainWindow::ShowHistory() {
    history_->show();
    history_->raise();
    history_->activateWindow();
}

double MainWindow::EndMHz() const {
    return settings_.startMHz + ChosenSpanMHz();
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Restoring a minimised window shows it again; only the first show sets up the display.
    if (!activated_) {
        activated_ = true;
        SetupDisplay();
    }
}

void MainWindow::SetupDisplay() {
    DrawScaleFor(ChosenSpanMHz());
    ui_.clearAtStartCaption->setText(QStringLiteral("Clear at start"));
    ui_.gridCaption->setText(QStringLiteral("Grid"));
    ui_.clearAtStartBox->setAccessibleName(ui_.clearAtStartCaption->text());
    ui_.gridBox->setAccessibleName(ui_.gridCaption->text());
    ShowStart(true);
    SetStatus(Status::None);
    SetTunedText(QString());
    EnableChoices(true);
}

void MainWindow::mouseMoveEvent(QMouseEvent* event) {
    QWidget::mouseMoveEvent(event);
    PointerOverBackground();
}

// A close request from the desktop (window manager, Alt+F4) does what the close button does.
void MainWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    Close();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_.plotView) {
        if (event->type() == QEvent::KeyPress && CursorKey(*static_cast<QKeyEvent*>(event))) {
            ui_.plotFocusRing->show();
            return true;
        }
        // The ring once Tab brings the focus or a key moves the cursor, until the plot loses the
        // focus (a menu or another window that takes it for a while leaves it) or the mouse
        // takes over.
        if (event->type() == QEvent::FocusIn && tabKeys_.Tabbing()) {
            ui_.plotFocusRing->show();
        }
        if ((event->type() == QEvent::FocusOut &&
             static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason &&
             static_cast<QFocusEvent*>(event)->reason() != Qt::ActiveWindowFocusReason) ||
            event->type() == QEvent::MouseButtonPress) {
            ui_.plotFocusRing->hide();
        }
        if (event->type() == QEvent::MouseMove) {
            PointerOverPlot(static_cast<QMouseEvent*>(event)->position().x());
        } else if (event->type() == QEvent::MouseButtonRelease) {
            // A click: the left button pressed and released over the plot.
            const auto* release = static_cast<QMouseEvent*>(event);
            if (release->button() == Qt::LeftButton &&
                ui_.plotView->rect().contains(release->position().toPoint())) {
                TuneAtPointer();
            }
        } else if (event->type() == QEvent::ContextMenu && menu_) {
            const auto* click = static_cast<QContextMenuEvent*>(event);
            PopupPlotMenu(click->pos().x(), click->globalPos());
            return true;
        }
    } else if (watched == ui_.clearAtStartCaption || watched == ui_.gridCaption) {
        // A check box's caption is a label beside it; a click on it toggles the box.
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            (watched == ui_.clearAtStartCaption ? ui_.clearAtStartBox : ui_.gridBox)->click();
        }
    } else if (event->type() == QEvent::MouseMove) {
        ShowCredit();
    }
    return QWidget::eventFilter(watched, event);
}

// The title strip, its labels and " X" show the credit line; the icon and "-" leave it as it is.
void MainWindow::ShowCredit() {
    ui_.creditLabel->setText(kCreditText + QStringLiteral("   ") + kVersionText);
}

void MainWindow::PointerOverBackground() {
    ui_.creditLabel->setText(QString());
    ShowReadout(QString(), QString());
    unsetCursor();
}

std::optional<int> MainWindow::ChannelAt(double x) const {
    if (!station_->bars().Shown()) {
        return std::nullopt;
    }
    return station_->bars().ChannelAtX(int(std::clamp(std::nearbyint(x), -1e6, 1e6)));
}

void MainWindow::PointerOverPlot(double x) {
    // A drag can carry the pointer far beyond the plot; such a column is outside the range anyway.
    mouseX_ = int(std::clamp(std::nearbyint(x), -1e6, 1e6));
    if (marks_) {
        marks_->PointAt(PointedHertz(x));
    }
    // The cross-hair belongs to the plot alone, so it never lingers over the scale strip.
    ui_.plotView->setCursor(scanning_ ? Qt::ArrowCursor : Qt::CrossCursor);
    if (const std::optional<Rgb> color = TraceColor(settings_.colorIndex)) {
        QPalette palette = ui_.readoutLabel->palette();
        palette.setColor(QPalette::WindowText, QColor::fromRgb(*color));
        ui_.readoutLabel->setPalette(palette);
    }
    if (station_->bars().Shown()) {
        // A list's channel: its frequency, mode and last level, then its name.
        const std::optional<int> index = ChannelAt(x);
        if (!index) {
            ShowReadout(QString(), QString());
            return;
        }
        const PlanStep& channel = station_->bars().Channel(*index);
        const std::optional<int> level = station_->bars().Level(*index);
        const QString before =
            QStringLiteral("%1 MHz %2 %3  ")
                .arg(QString::fromLatin1(FreqText(channel.hertz)),
                     ModeName(channel.mode.value_or(ChosenMode())),
                     level ? QStringLiteral("level %1").arg(*level) : QStringLiteral("not heard"));
        const QFontMetrics metrics = ui_.readoutLabel->fontMetrics();
        const int room = ui_.readoutLabel->width() - metrics.horizontalAdvance(before);
        ShowReadout(before + metrics.elidedText(channel.name, Qt::ElideRight, room),
                    before + channel.name);
        return;
    }
    const std::optional<double> f =
        FrequencyAtX(x, settings_.startMHz, EndMHz(), station_->plot().PixelsPerStep());
    if (!f) {
        ShowReadout(QString(), QString());
        return;
    }
    const std::optional<QString> name = station_->bookmarks().NameAt(Hertz(*f));
    const QString frequency = FormatFixed4(*f) + QStringLiteral(" MHz");
    if (!name) {
        ShowReadout(frequency, QString());
        return;
    }
    // The frequency always whole; a name too long for the label loses its end, the tooltip
    // keeps it all.
    const QString before = frequency + QStringLiteral("  ");
    const QFontMetrics metrics = ui_.readoutLabel->fontMetrics();
    const int room = ui_.readoutLabel->width() - metrics.horizontalAdvance(before);
    ShowReadout(before + metrics.elidedText(*name, Qt::ElideRight, room), before + *name);
}

bool MainWindow::CursorKey(const QKeyEvent& key) {
    if (key.modifiers() & ~Qt::KeypadModifier) {
        return false;
    }
    const bool list = station_->bars().Shown();
    const int pixels = PixelsPerStepFor(ChosenSpanMHz());
    const int last = list ? station_->bars().Count() - 1 : ChosenSpanMHz() * 80;
    int step = std::clamp(cursorStep_, 0, std::max(last, 0));
    switch (key.key()) {
        case Qt::Key_Left:
            --step;
            break;
        case Qt::Key_Right:
            ++step;
            break;
        case Qt::Key_PageUp:
            step += 10;
            break;
        case Qt::Key_PageDown:
            step -= 10;
            break;
        case Qt::Key_Home:
            step = 0;
            break;
        case Qt::Key_End:
            step = last;
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            TuneAtPointer();
            return true;
        default:
            return false;
    }
    if (last < 0) {
        return true;  // a list with nothing to show
    }
    cursorStep_ = std::clamp(step, 0, last);
    PointerOverPlot(list ? ChannelMiddleX(cursorStep_, last + 1) : StepX(cursorStep_, pixels));
    return true;
}

void MainWindow::ShowReadout(const QString& shown, const QString& whole) {
    ui_.readoutLabel->setText(shown);
    const QString said = whole.isEmpty() ? shown : whole;
    ui_.readoutLabel->setAccessibleName(said.isEmpty() ? QStringLiteral("Read-out")
                                                       : QStringLiteral("Read-out: ") + said);
    if (spoken_) {
        spoken_->CursorShown(said);
    }
    ui_.readoutLabel->setToolTip(whole.isEmpty() ? readoutHelp_ : whole);
}

std::optional<long long> MainWindow::PointedHertz(double x) {
    if (station_->bars().Shown()) {  // a list's channel
        const std::optional<int> index = ChannelAt(x);
        return index ? std::optional(station_->bars().Channel(*index).hertz) : std::nullopt;
    }
    const std::optional<double> f =
        FrequencyAtX(x, settings_.startMHz, EndMHz(), station_->plot().PixelsPerStep());
    return f ? std::optional<long long>(Hertz(*f)) : std::nullopt;
}

void MainWindow::PopupPlotMenu(double x, const QPoint& globalPlace) {
    marks_->PointAt(PointedHertz(x));
    menu_->Popup(globalPlace);
}

// From the keyboard the menu acts on the pointer's last column and opens there.
void MainWindow::PopupPlotMenuFromKeys() {
    const QPoint place(std::clamp(mouseX_, 0, kPlotWidth - 1), kPlotHeight / 2);
    PopupPlotMenu(mouseX_, ui_.plotView->mapToGlobal(place));
}

void MainWindow::TuneAtPointer() {
    if (scanning_) {
        return;
    }
    if (station_->bars().Shown()) {  // a list's channel, in its own mode
        if (const std::optional<int> index = ChannelAt(mouseX_)) {
            const PlanStep& channel = station_->bars().Channel(*index);
            station_->receiver().Tune(channel.hertz, channel.mode.value_or(ChosenMode()), {});
            SetTunedText(QStringLiteral("MHz ") + QString::fromLatin1(FreqText(channel.hertz)));
        }
        return;
    }
    // The column of the last move, not the click's own.
    const std::optional<double> f = FrequencyAtOffset(mouseX_ - kLeftMargin, settings_.startMHz,
                                                      EndMHz(), station_->plot().PixelsPerStep());
    if (f) {
        TuneTo(Hertz(*f));
    }
}

ReceiverChoice MainWindow::CurrentReceiver() const {
    return {settings_.device, settings_.rigModel, settings_.startMHz, ChosenSpanMHz(),
            settings_.activityLevel};
}

void MainWindow::UseReceiver(const ReceiverChoice& choice) {
    if (scanning_) {
        Stop();  // the station ends the run at once
    }
    settings_.device = choice.device;
    settings_.deviceGiven = false;  // messages now point to the settings file, not --device
    settings_.rigModel = choice.rigModel;
    settings_.startMHz = choice.startMHz;
    settings_.activityLevel = choice.activityLevel;
    station_->activity().UseLevel(choice.activityLevel);
    (choice.spanMHz == 8 ? ui_.span8Button : ui_.span1Button)->setChecked(true);
    SpanChanged(choice.spanMHz);
    station_->ChangeReceiver([](const OpenOutcome&) {});
}

void MainWindow::UseChannels(const std::optional<SweepPlan>& channels) {
    if (channels) {
        station_->sweep().UsePlan(*channels);
    } else {
        station_->sweep().UseSpan();
    }
    if (scanning_) {  // the run begins afresh on them
        station_->sweep().RunSweep();
    } else if (!channels) {
        station_->bars().Clear();
        station_->plot().Erase();
    }
}

void MainWindow::TuneTo(long long hertz) {
    if (scanning_) {
        return;
    }
    // A list's channel in its own mode.
    const ChannelBars& bars = station_->bars();
    for (int index = 0; bars.Shown() && index < bars.Count(); ++index) {
        if (bars.Channel(index).hertz == hertz && bars.Channel(index).mode) {
            station_->receiver().Tune(hertz, *bars.Channel(index).mode, {});
            SetTunedText(QStringLiteral("MHz ") + QString::fromLatin1(FreqText(hertz)));
            return;
        }
    }
    // To the 100 Hz that the label shows. With no port the command is lost, as a step's would be.
    station_->receiver().Tune((hertz + 50) / 100 * 100, ChosenMode(), {});
    SetTunedText(QStringLiteral("MHz ") + QString::fromLatin1(FreqText(hertz)));
}

void MainWindow::Minimise() {
    showMinimized();
}

void MainWindow::Close() {
    if (station_) {
        station_->receiver().ClosePort();
        station_->sweep().End();
        // "offline", and the activities the end of the run ended, given a moment to go out.
        if (SweepPublisher* publisher = station_->publisher()) {
            publisher->Finish(kBrokerDeadlineMs);
        }
    }
    services_.program.EndNow();
}

void MainWindow::Start() {
    ShowStart(false);
    EnableChoices(false);
    SetStatus(Status::Scan);
    scanning_ = true;
    station_->sweep().RunSweep();
}

// The panel is idle at once; the run finishes its current step and then sees the stop.
void MainWindow::Stop() {
    station_->sweep().RequestStop();
    SetContinueOffered(false);
    ShowStart(true);
    EnableChoices(true);
    SetStatus(Status::None);
    scanning_ = false;
}

void MainWindow::Continue() {
    station_->sweep().RequestContinue();
}

void MainWindow::SpanChanged(int spanMHz) {
    // The erase takes any grid with it, ticked or not, so the next sweep draws it afresh. The
    // read-out and click-to-tune follow the new span at once, as the scale labels do.
    station_->plot().Erase();
    station_->plot().SetSpan(spanMHz);
    ui_.startFrequencyLabel->setText(FormatFixed4(settings_.startMHz));
    ui_.endFrequencyLabel->setText(FormatFixed4(settings_.startMHz + spanMHz));
    DrawScaleFor(spanMHz);
}

void MainWindow::DrawScaleFor(int spanMHz) {
    DrawScale(*ui_.scaleStrip, Hertz(settings_.startMHz), spanMHz, station_->lockouts(),
              station_->bookmarks());
    if (spoken_) {
        const long long first = Hertz(settings_.startMHz);
        spoken_->SpanShown(first, first + spanMHz * 1000000LL);
    }
}

void MainWindow::ShowStart(bool shown) {
    ui_.startButton->setEnabled(shown);
    ui_.startButton->setVisible(shown);
    ui_.stopButton->setEnabled(!shown);
    ui_.stopButton->setVisible(!shown);
}

void MainWindow::EnableChoices(bool enabled) {
    for (QWidget* choice :
         {static_cast<QWidget*>(ui_.clearAtStartBox), static_cast<QWidget*>(ui_.gridBox),
          static_cast<QWidget*>(ui_.fmButton), static_cast<QWidget*>(ui_.amButton),
          static_cast<QWidget*>(ui_.span1Button), static_cast<QWidget*>(ui_.span8Button)}) {
        choice->setEnabled(enabled);
    }
}

void MainWindow::SetStatus(Status status) {
    if (spoken_) {
        spoken_->StatusShown(status);
    }
    if (status == Status::None) {  // the text goes, its colour stays
        ui_.statusLabel->setText(QString());
        return;
    }
    QPalette palette = ui_.statusLabel->palette();
    palette.setColor(QPalette::WindowText, status == Status::Scan ? kScanGreen : kPauseRed);
    ui_.statusLabel->setPalette(palette);
    ui_.statusLabel->setText(status == Status::Scan    ? QStringLiteral("scan")
                             : status == Status::Pause ? QStringLiteral("pause")
                                                       : QStringLiteral("no receiver"));
}

void MainWindow::SetTunedText(const QString& text) {
    ui_.tunedLabel->setText(text);
}

void MainWindow::SetContinueOffered(bool offered) {
    ui_.continueButton->setEnabled(offered);
    ui_.continueButton->setVisible(offered);
}

Mode MainWindow::ChosenMode() const {
    return ui_.amButton->isChecked() ? Mode::Am : Mode::Fm;
}

int MainWindow::ChosenSpanMHz() const {
    return ui_.span8Button->isChecked() ? 8 : 1;
}

bool MainWindow::ClearAtStart() const {
    return ui_.clearAtStartBox->isChecked();
}

bool MainWindow::Grid() const {
    return ui_.gridBox->isChecked();
}

}  // namespace nerimo
