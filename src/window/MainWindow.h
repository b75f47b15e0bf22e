#pragma once

#include <QWidget>
#include <optional>

#include <memory>

#include "ActivityTable.h"
#include "ChannelsMenu.h"
#include "CommandLine.h"
#include "Controls.h"
#include "HistoryWindow.h"
#include "MarksMenu.h"
#include "Panel.h"
#include "PlotMenu.h"
#include "ReceiverChooser.h"
#include "ReceiverPanel.h"
#include "Settings.h"
#include "SpokenState.h"
#include "Station.h"
#include "TabKeys.h"
#include "WindowState.h"

namespace nerimo {

// The one window: a fixed-size borderless panel with the title strip, the control panel, the plot
// and its scale. Its handlers stay short and call the station's sweep, plot and receiver; it
// keeps the panel's own state (a run in progress, the pointer's column).
class MainWindow : public QWidget, public Panel {
    Q_OBJECT

  public:
    // `options`: the command line's choices of settings file and device.
    explicit MainWindow(const Services& services, CommandLine options = {});

    // The start-up before the window is shown: captions, the single-instance test, the settings,
    // the receiver's port. Returns false when another copy runs, and the program is to end at
    // once without showing the window. Throws StartupError when start-up is abandoned.
    bool Load();

    // Logs every sweep to the file from now on (--log), its earlier rows shown in the history;
    // a message when it cannot be opened.
    void StartLog(const QString& path);
    // Logs every activity to the file from now on (--activity); a message when it cannot be
    // opened.
    void StartActivityLog(const QString& path);
    PlotMenu& plotMenu() { return *menu_; }
    ReceiverChooser& receiverChooser() { return *chooser_; }
    ChannelsMenu& channelsMenu() { return *channelsMenu_; }
    HistoryWindow& historyWindow() { return *history_; }

    // Panel
    void SetStatus(Status status) override;
    void SetTunedText(const QString& text) override;
    void SetContinueOffered(bool offered) override;
    Mode ChosenMode() const override;
    int ChosenSpanMHz() const override;
    bool ClearAtStart() const override;
    bool Grid() const override;

  protected:
    void showEvent(QShowEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The window's start-up after the settings are read, in its fixed order: the choices shown,
    // the surfaces sized, the port opened, the span's labels.
    void SetupWindow();
    // When the window is first shown: the scale's ticks, the captions, the idle panel.
    void SetupDisplay();
    void ShowStart(bool shown);
    void EnableChoices(bool enabled);
    void ShowCredit();
    void PointerOverBackground();
    void PointerOverPlot(double x);
    // The tuning cursor by the keys of the plot: Left and Right a step (or a list's channel),
    // Page Up and Page Down ten, Home and End the ends, the read-out following it; Enter tunes
    // there as a click does. False for any other key.
    bool CursorKey(const QKeyEvent& key);
    // The step (or a list's channel) at the plot's column x, as the marks take it.
    std::optional<long long> PointedHertz(double x);
    // The read-out's text, and the whole of it for its tooltip when a name was cut.
    void ShowReadout(const QString& shown, const QString& whole);
    void TuneAtPointer();
    // What the run uses now, as "Receiver…" chooses it.
    ReceiverChoice CurrentReceiver() const;
    // The receiver, band and activity level chosen in "Receiver…", for this run from now on.
    void UseReceiver(const ReceiverChoice& choice);
    // A list's channels scanned from now on, in place of the span; or, with none, the span.
    void UseChannels(const std::optional<SweepPlan>& channels);
    // The channel under column x of the plot, while its bars are shown.
    std::optional<int> ChannelAt(double x) const;
    // The plot's menu, for the step at column x of the plot, at a place on the screen.
    void PopupPlotMenu(double x, const QPoint& globalPlace);
    void PopupPlotMenuFromKeys();
    // Tunes the receiver there while no run is in progress, and shows it.
    void TuneTo(long long hertz);
    void ShowHistory();
    void Minimise();
    void Close();
    void Start();
    void Stop();
    void Continue();
    void SpanChanged(int spanMHz);
    // The scale strip with the marks of the lockouts and named frequencies within the span.
    void DrawScaleFor(int spanMHz);
    // The frequencies locked out and named, as the command line and the last choice say.
    void ReadLists();
    double EndMHz() const;

    Services services_;
    CommandLine options_;
    Controls ui_;
    const QString readoutHelp_;  // the read-out's tooltip while it shows no name
    Settings settings_;
    std::optional<Station> station_;  // once the settings have chosen the receiver
    std::optional<WindowState> state_;
    std::optional<PlotMenu> menu_;
    std::optional<ActivityTable> activities_;
    std::optional<ChannelTable> channelTable_;
    std::optional<SpokenState> spoken_;
    TabKeys tabKeys_;
    std::optional<MarksMenu> marks_;
    std::optional<ReceiverChooser> chooser_;
    std::optional<ChannelsMenu> channelsMenu_;
    ReceiverPanel* receiverPanel_;
    std::unique_ptr<HistoryWindow> history_;
    bool scanning_ = false;  // a run is in progress, from start to stop
    int mouseX_ = 0;         // the pointer's last column over the plot; a click tunes there
    int cursorStep_ = 0;     // the keys' tuning cursor, a step or a list's channel
    bool activated_ = false;
};

}  // namespace nerimo
