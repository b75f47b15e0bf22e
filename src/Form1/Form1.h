#pragma once

#include <QWidget>
#include <optional>

#include "AppendFile.h"
#include "CommandLine.h"
#include "Controls.h"
#include "FileAccess.h"
#include "HamlibReceiver.h"
#include "KeepMenu.h"
#include "MessageBox.h"
#include "Panel.h"
#include "Plot.h"
#include "Program.h"
#include "Radio.h"
#include "ReceiverLink.h"
#include "Scheduler.h"
#include "SerialPort.h"
#include "State.h"
#include "Sweep.h"
#include "SweepLog.h"

namespace nerimo {

// The platform services the window reaches through seams, so tests can put fakes in their place.
struct Form1Services {
    platform::Program& program;
    platform::FileAccess& files;
    platform::MessageBox& messages;
    platform::SerialPort& port;      // the receiver's own protocol
    platform::Radio& radio;          // a radio that Hamlib drives (RIG=)
    platform::Scheduler& scheduler;  // the sweep's
    platform::Scheduler& retry;      // the port's, while it is closed
    platform::AppendFile& log;       // the sweep log
};

// The one window: a fixed-size borderless panel with the title strip, the control panel, the plot
// and its scale. It owns the shared state; its handlers stay short and call the modules.
class Form1 : public QWidget, public Panel {
    Q_OBJECT

  public:
    // `options`: the command line's choices of settings file and device.
    explicit Form1(Form1Services services, CommandLine options = {});

    // The load event: names and captions, the single-instance test, SetupWindow. Returns false
    // when another copy runs, and the program is to end at once without showing the window.
    // Throws StartupError when start-up is abandoned.
    bool Form_Load();

    const State& state() const { return state_; }
    const Controls& controls() const { return ui_; }
    KeepMenu& keep() { return keep_; }
    // Logs every sweep to the file from now on (--log); a message when it cannot be opened.
    void StartLog(const QString& path) { keep_.StartLog(path); }

    // Panel
    void SelectOption(int option) override;
    bool OptionSelected(int option) const override;
    void SetCheckValue(int check, int16_t value) override;
    int16_t CheckValue(int check) const override;
    void ShapeSurfaces(int16_t plotWidth, int16_t plotHeight) override;
    void SetScaleLabels(const QString& start, const QString& end) override;
    void SetCheckCaptions(const QString& clearAtStart, const QString& grid) override;
    void ShowStart(bool shown) override;
    void EnableChoices(bool enabled) override;
    void SetStatus(const QColor& color, const QString& text) override;
    void ClearStatus() override;
    void SetTunedText(const QString& text) override;
    void SetContinueOffered(bool offered) override;

  protected:
    void showEvent(QShowEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Form_Activate();
    void Form_MouseMove();
    void TitleStrip_MouseMove();
    void Picture1_MouseMove(double x);
    void Picture1_Click();
    void Command1_Click();
    void Command2_Click();
    void Command8_Click();
    void Command9_Click();
    void Command3_Click();
    void Option1_Click();
    void Option2_Click();
    void Option3_Click();
    void Option4_Click();
    void SpanChanged(int16_t spanMHz);

    QRadioButton* Option(int option) const;
    QCheckBox* Check(int check) const;

    Form1Services services_;
    CommandLine options_;
    State state_;
    ReceiverLink link_;
    HamlibReceiver hamlib_;
    Receiver* receiver_ = &link_;  // the one the settings chose
    Controls ui_;
    Plot plot_;
    SweepLog log_;
    KeepMenu keep_;
    std::optional<Sweep> sweep_;  // once the settings have chosen the receiver
    bool activated_ = false;
};

}  // namespace nerimo
