#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenuBar>
#include <QRadioButton>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QToolTip>
#include <QtTest>
#include <memory>

#include <unistd.h>

#include "CoreFakes.h"
#include "DiskFileAccess.h"
#include "MainWindow.h"
#include "OutputFakes.h"
#include "ReceiverDialog.h"
#include "ReceiverFakes.h"
#include "SensorFakes.h"
#include "SettingsFakes.h"
#include "SettingsSave.h"
#include "StationFakes.h"
#include "WatchWindow.h"
#include "Waterfall.h"
#include "WindowLook.h"
#include "WindowPlace.h"

Q_DECLARE_METATYPE(nerimo::Palette)

namespace {

struct Pointer {
    const char* name;
    double x;
    QString readout;
    QByteArray tuned;  // by a click there, once the run (if any) is stopped
    QByteArray settings = {};
    const char* locale = "C";
    bool running = false;
    QRgb colour = qRgb(0, 255, 0);
};

struct PlotClick {
    const char* name;
    int x;
    QByteArray sent;   // the command, nothing when empty
    QString tuned;     // the tuned label after the click
    QString before{};  // clicked before the plot
    QByteArray settings = {};
    Qt::MouseButton button = Qt::LeftButton;
    bool port = true;
};

}  // namespace

// The real window on the offscreen platform, with the platform seams in memory.
class WindowTest : public QObject {
    Q_OBJECT

    std::optional<QTemporaryDir> programFolder_;
    nerimo::testing::FakeProgram program_;
    nerimo::testing::FakeFileAccess files_;
    nerimo::testing::FakeMessageBox messages_;
    nerimo::testing::FakeSerialPort port_;
    nerimo::testing::FakeRadio radio_;
    nerimo::testing::FakeAppendFile log_;
    nerimo::testing::FakeAppendFile activityLog_;
    nerimo::testing::FakeBroker broker_;
    nerimo::testing::VirtualScheduler scheduler_;
    nerimo::testing::VirtualScheduler retry_;
    nerimo::testing::FixedClock clock_;
    std::unique_ptr<nerimo::MainWindow> form_;

    void Show(const QByteArray& settings = {}, const char* locale = "C",
              const nerimo::CommandLine& options = {}) {
        QLocale::setDefault(QLocale(QLatin1String(locale)));
        files_.next = {nerimo::FileRead::Outcome::Read, settings, {}};
        form_ = std::make_unique<nerimo::MainWindow>(nerimo::Services{.program = program_,
                                                                      .files = files_,
                                                                      .messages = messages_,
                                                                      .port = port_,
                                                                      .radio = radio_,
                                                                      .scheduler = scheduler_,
                                                                      .retry = retry_,
                                                                      .log = log_,
                                                                      .activity = activityLog_,
                                                                      .broker = broker_,
                                                                      .clock = clock_},
                                                     options);
        QVERIFY(form_->Load());
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    }
    QWidget* Control(const QString& name) const { return form_->findChild<QWidget*>(name); }
    QString Caption(const QString& name) const {
        auto* label = qobject_cast<QLabel*>(Control(name));
        return label ? label->text() : qobject_cast<QAbstractButton*>(Control(name))->text();
    }
    QColor TextColour(const QString& name) const {
        return Control(name)->palette().color(QPalette::WindowText);
    }
    bool Shown(const QString& name) const { return Control(name)->isVisible(); }
    // The plot's menu, as a right click opens it.
    QMenu* OpenPlotMenu() {
        QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(300, 100),
                                     Control("plotView")->mapToGlobal(QPoint(300, 100)));
        QApplication::sendEvent(Control("plotView"), &rightClick);
        return qobject_cast<QMenu*>(QApplication::activePopupWidget());
    }
    // The menu's item of that text.
    // A menu's item by its text as the menu shows it, its underlined letter's "&" left out.
    static QAction* Item(const QMenu* menu, const QString& text) {
        const QList<QAction*> items = menu->actions();
        const auto it = std::find_if(items.begin(), items.end(), [&](const QAction* item) {
            return QString(item->text()).remove(QLatin1Char('&')) == text;
        });
        return it == items.end() ? nullptr : *it;
    }
    void Click(const QString& name) { QTest::mouseClick(Control(name), Qt::LeftButton); }
    // The light dots of the keys' mark along the top of the plot, in the panel's gap.
    int RingDots() const {
        const QImage row =
            form_->grab(QRect(nerimo::kPlotPlace.topLeft() - QPoint(2, 2), QSize(200, 1)))
                .toImage();
        int light = 0;
        for (int x = 0; x < row.width(); ++x) {
            light += row.pixelColor(x, 0).lightness() > 128;
        }
        return light;
    }
    // Over the plot at x, from the background first: Qt drops a move to where the pointer is.
    void PointAt(double x) {
        QTest::mouseMove(form_.get(), QPoint(2, 300));
        QMouseEvent move(QEvent::MouseMove, QPointF(x, 100), QPointF(), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(Control("plotView"), &move);
    }
    bool ChoicesEnabled(bool enabled) const {
        for (const char* name :
             {"clearAtStartBox", "gridBox", "fmButton", "amButton", "span1Button", "span8Button"}) {
            if (Control(name)->isEnabled() != enabled) {
                return false;
            }
        }
        return true;
    }
    // Start shown, stop and continue hidden, the choices enabled, no status, the cross-hair
    // over the plot (no run).
    bool Idle() {
        PointAt(300);
        return Shown("startButton") && !Shown("stopButton") && !Shown("continueButton") &&
               Caption("statusLabel").isEmpty() &&
               Control("plotView")->cursor().shape() == Qt::CrossCursor && ChoicesEnabled(true);
    }

  private slots:
    void init() {
        // What the windows remember goes beside the settings file, on the disk: a folder of the
        // test's own, never a shared one.
        programFolder_.emplace();
        program_ = {};
        program_.folder = programFolder_->path();
        files_ = {};
        messages_ = {};
        port_ = {};
        scheduler_ = {};
        retry_ = {};
        log_ = {};
        activityLog_ = {};
        broker_ = {};
    }

    // Caption, face and tick of every control after start-up, with settings other than the
    // defaults in a comma-decimal locale, and the credit line under the pointer; the window fixed,
    // frameless and centred. Where each control stands the screenshots of the desktop tests see.
    void controlsAfterStartUp_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QRgb>("face");  // at (3, 3) inside it; 0 where text or hidden
        // clang-format off
        const QList<std::tuple<const char*, const char*, QRgb>> controls = {
            {"titleStrip", nullptr, 0xff000000}, {"iconImage", nullptr, 0},
            {"titleLabel", "Nerimo analyze spectrum", 0}, {"creditLabel", "", 0},
            {"minimiseButton", "-", 0xff808080}, {"closeButton", " X", 0xffff8080},
            {"startButton", "start", 0xff00ff00}, {"stopButton", "stop", 0},
            {"continueButton", "continue", 0}, {"clearAtStartCaption", "Clear at start", 0},
            {"clearAtStartBox", nullptr, 0}, {"gridCaption", "Grid", 0}, {"gridBox", nullptr, 0},
            {"modeGroup", nullptr, 0}, {"fmButton", "FM", 0}, {"amButton", "AM", 0},
            {"spanGroup", nullptr, 0}, {"spanLabel", "span", 0}, {"span1Button", "1 MHz", 0},
            {"span8Button", "8 MHz", 0}, {"statusLabel", "", 0xff404040}, {"tunedLabel", "", 0},
            {"plotView", nullptr, 0xff000000}, {"scaleStrip", nullptr, 0xff000000},
            {"startFrequencyLabel", "1145,5000", 0}, {"readoutLabel", "", 0},
            {"endFrequencyLabel", "1153,5000", 0}, {"plotMenuButton", "menu", 0xffc0c0c0},
        };
        // clang-format on
        for (const auto& [name, caption, face] : controls) {
            QTest::newRow(name) << QString::fromLatin1(caption) << face;
        }
    }
    void controlsAfterStartUp() {
        QFETCH(QString, caption);
        QFETCH(QRgb, face);
        Show("FM_AM=A\nSPAN=8\nGRID=1\nCLEAR_SCREEN=1\nMHZ=1145.5\n", "de_DE");
        QWidget* control = Control(QLatin1String(QTest::currentDataTag()));
        QVERIFY(control);
        if (!caption.isNull()) {
            QCOMPARE(Caption(control->objectName()), caption);
        }
        if (auto* choice = qobject_cast<QAbstractButton*>(control);
            choice && choice->isCheckable()) {
            const QStringList ticked = {"amButton", "span8Button", "clearAtStartBox", "gridBox"};
            QCOMPARE(choice->isChecked(), ticked.contains(control->objectName()));
        }
        const QImage window = form_->grab().toImage();
        QVERIFY(face == 0 || window.pixel(control->mapTo(form_.get(), QPoint(3, 3))) == face);
        QCOMPARE(window.pixelColor(20, 300), nerimo::kPanelGrey);
        // The tooltip that shows over it (a caption's or a frame's own, or its parent's) says
        // what it does, with its keys.
        static const QHash<QString, QString> keys = {{"closeButton", "(Ctrl+Q, Alt+F4)"},
                                                     {"plotView", "Menu key or Shift+F10"},
                                                     {"plotMenuButton", "(Menu key, Shift+F10)"}};
        QHelpEvent hover(QEvent::ToolTip, QPoint(2, 2), control->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(control, &hover);
        QVERIFY(QToolTip::isVisible());
        QVERIFY2(QToolTip::text().contains(keys.value(control->objectName())),
                 qPrintable(QToolTip::text()));
        QToolTip::hideText();
        QVERIFY(Idle());
        PointAt(45);  // one column a step on 8 MHz
        QCOMPARE(Caption("readoutLabel"), QStringLiteral("1145,5125 MHz"));
        QCOMPARE(form_->size(), nerimo::kWindowSize);
        QCOMPARE(form_->minimumSize(), form_->maximumSize());
        QVERIFY(form_->windowFlags().testFlag(Qt::FramelessWindowHint));
        // The offscreen screen is 800 pixels wide: the window starts at its left edge.
        QCOMPARE(form_->pos(), QPoint(0, (800 - nerimo::kWindowSize.height()) / 2));
        // The credit line shows while the pointer is over the title strip, its labels or " X",
        // and goes when it reaches the window's background.
        QTest::mouseMove(control, QPoint(2, 2));
        QTest::mouseMove(control, QPoint(3, 3));
        const bool credit =
            QStringList{"titleStrip", "titleLabel", "creditLabel", "closeButton"}.contains(
                control->objectName());
        QCOMPARE(Caption("creditLabel"),
                 credit ? nerimo::kCreditText + "   " + nerimo::kVersionText : "");
        QTest::mouseMove(form_.get(), QPoint(20, 300));
        QCOMPARE(Caption("creditLabel"), QString());
    }

    // The panel through a run that holds on a signal, is minimised and restored, goes on by
    // "continue" and is stopped.
    void panelFollowsTheRun() {
        Show("PAUSE=99\n");
        port_.answer = [](const QByteArray& last) {
            return last == "145.0125N" ? QByteArray("G") : QByteArray("\r\n");
        };
        Click("startButton");
        QVERIFY(Shown("stopButton") && !Shown("startButton"));
        QVERIFY(ChoicesEnabled(false));
        QCOMPARE(Caption("statusLabel"), QStringLiteral("scan"));
        QCOMPARE(TextColour("statusLabel"), nerimo::kScanGreen);

        QVERIFY(scheduler_.RunUntil([&] { return Shown("continueButton"); }, 5));
        QVERIFY(Control("continueButton")->isEnabled());
        QCOMPARE(Caption("statusLabel"), QStringLiteral("pause"));
        QCOMPARE(TextColour("statusLabel"), QColor(255, 0, 0));
        QCOMPARE(Caption("tunedLabel"), QStringLiteral("MHz 145.0125"));
        // In words for a screen reader, at most once a second: "scan" was said just now.
        QCOMPARE(Control("statusLabel")->accessibleName(), QStringLiteral("Status: scan"));
        QTRY_COMPARE(Control("statusLabel")->accessibleName(),
                     QStringLiteral("Status: pause at 145.0125 MHz, level 7"));

        // Minimised and restored: the run, and what was drawn meanwhile, are still there.
        Click("minimiseButton");
        QVERIFY(form_->isMinimized());
        auto* plot = form_->findChild<nerimo::platform::SurfaceWidget*>(QStringLiteral("plotView"));
        plot->DrawLine(100, 100, 120, 100, qRgb(0, 255, 0));
        form_->showNormal();
        QCOMPARE(plot->grab().toImage().pixel(110, 100), qRgb(0, 255, 0));
        QCOMPARE(Caption("statusLabel"), QStringLiteral("pause"));

        Click("continueButton");  // continue: the next step at the end of the hold cycle
        QVERIFY(scheduler_.RunUntil([&] { return port_.written.size() == 3; }, 1.2));
        QVERIFY(!Shown("continueButton"));
        QCOMPARE(Caption("statusLabel"), QStringLiteral("scan"));

        Click("stopButton");
        QVERIFY(Idle());  // at once, while the run finishes its step
        scheduler_.RunFor(5);
        QVERIFY(Idle());
        QCOMPARE(port_.written.size(), 3);

        // Stopped in the hold: idle at once, continue gone with it.
        Click("startButton");
        QVERIFY(scheduler_.RunUntil([&] { return Shown("continueButton"); }, 5));
        Click("stopButton");
        QVERIFY(Idle());
        scheduler_.RunFor(5);
        QVERIFY(Idle());
    }

    void spanChoiceErasesAndSetsTheEnd() {
        Show("GRID=0\n");
        auto* plot = form_->findChild<nerimo::platform::SurfaceWidget*>(QStringLiteral("plotView"));
        plot->DrawLine(100, 100, 200, 100, qRgb(0, 255, 0));
        Click("span8Button");
        QCOMPARE(plot->PixelAt(150, 100), qRgb(0, 0, 0));
        QCOMPARE(Caption("endFrequencyLabel"), QStringLiteral("153.0000"));
        PointAt(45);  // the read-out follows the new span at once, one column a step
        QCOMPARE(Caption("readoutLabel"), QStringLiteral("145.0125 MHz"));
        PointAt(684);
        QCOMPARE(Caption("readoutLabel"), QStringLiteral("153.0000 MHz"));
    }

    // The read-out is taken from the pointer's own x, also between pixels; a click tunes to the
    // column of the last move, x rounded half to even.
    void readoutFollowsThePointer_data() {
        nerimo::testing::AddRows<Pointer>({
            {"2nd point", 52, "145.0125 MHz", "145.0125N"},
            {"between pixels", 51.6, "145.0000 MHz", "145.0125N"},
            {"half to even", 50.5, "145.0750 MHz", "145.0750N", "SPAN=8"},
            {"margin", 43, "", ""},
            {"8 MHz, running", 45, "145.0125 MHz", "145.0125N", "SPAN=8", "C", true},
            {"orange", 52, "145.0125 MHz", "145.0125N", "COLOR=2", "C", false, qRgb(255, 140, 0)},
            {"comma", 52, "145,0125 MHz", "145.0125N", "", "de_DE"},
        });
    }
    void readoutFollowsThePointer() {
        QFETCH(Pointer, row);
        Show(row.settings, row.locale);
        if (row.running) {
            Click("startButton");
        }
        PointAt(row.x);
        QCOMPARE(Caption("readoutLabel"), row.readout);
        QVERIFY(row.readout.isEmpty() || TextColour("readoutLabel").rgb() == row.colour);
        QCOMPARE(Control("plotView")->cursor().shape(),
                 row.running ? Qt::ArrowCursor : Qt::CrossCursor);
        if (row.running) {
            Click("stopButton");
        }
        const qsizetype sent = port_.written.size();
        QTest::mouseClick(Control("plotView"), Qt::LeftButton, {}, QPoint(300, 1));
        QCOMPARE(port_.written.mid(sent).join(' '), row.tuned);
    }

    void clickTunesTheReceiver_data() {
        nerimo::testing::AddRows<PlotClick>({
            {"2nd point", 55, "145.0125N", "MHz 145.0125"},
            {"margin", 43, "", ""},
            {"right button", 52, "", "", "", "", Qt::RightButton},
            {"AM", 44, "145.0000A", "MHz 145.0000", "amButton"},
            // Right after a span change, with no run since, the click follows the new span.
            {"8 MHz chosen", 45, "145.0125N", "MHz 145.0125", "span8Button"},
            {"1 MHz chosen", 52, "145.0125N", "MHz 145.0125", "span1Button", "SPAN=8"},
            {"many decimals", 52, "145.0125N", "MHz 145.0125", "", "MHZ=145.00001"},
            {"no port", 52, "", "MHz 145.0125", "", "", Qt::LeftButton, false},
            {"during a run", 300, "145.0000N", "MHz 145.0000", "startButton"},
        });
    }
    void clickTunesTheReceiver() {
        QFETCH(PlotClick, row);
        port_.openResult.opened = row.port;
        Show(row.settings, "de_DE");  // the wire keeps its point
        if (!row.before.isEmpty()) {
            Click(row.before);
        }
        PointAt(row.x);
        QTest::mouseClick(Control("plotView"), row.button, {}, QPoint(row.x, 100));
        QCOMPARE(port_.written.join(' '), row.sent);
        QCOMPARE(Caption("tunedLabel"), row.tuned);
        QCOMPARE(messages_.shown.size(), row.port ? 0 : 1);  // the open failure only
        QCOMPARE(Shown("receiverPanel"), !row.port);
    }

    // The tuning cursor by the plot's keys: the read-out follows it, a ring round the plot shows
    // the keys drive it, and Enter sends what a click on that step sends, on both spans; the
    // mouse's click takes the ring away.
    void keysTuneAsAClickDoes_data() {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QString>("readout");
        QTest::addColumn<QByteArray>("sent");
        QTest::newRow("a step right") << QByteArray() << QList<int>{Qt::Key_Right} << "145.0125 MHz"
                                      << QByteArray("145.0125N");
        QTest::newRow("the end, ten back, one left")
            << QByteArray() << QList<int>{Qt::Key_End, Qt::Key_PageDown, Qt::Key_Left}
            << "145.8625 MHz" << QByteArray("145.8625N");
        QTest::newRow("before the first") << QByteArray() << QList<int>{Qt::Key_Home, Qt::Key_Left}
                                          << "145.0000 MHz" << QByteArray("145.0000N");
        QTest::newRow("8 MHz, ten up") << QByteArray("SPAN=8\n") << QList<int>{Qt::Key_PageUp}
                                       << "145.1250 MHz" << QByteArray("145.1250N");
        QTest::newRow("8 MHz, the end") << QByteArray("SPAN=8\n") << QList<int>{Qt::Key_End}
                                        << "153.0000 MHz" << QByteArray("153.0000N");
    }
    void keysTuneAsAClickDoes() {
        QFETCH(QByteArray, settings);
        QFETCH(QList<int>, keys);
        QFETCH(QString, readout);
        QFETCH(QByteArray, sent);
        Show(settings);
        QWidget* plot = Control("plotView");
        plot->setFocus();
        for (const int key : keys) {
            QTest::keyClick(plot, Qt::Key(key));
        }
        QCOMPARE(Caption("readoutLabel"), readout);
        // The keys' mark round the plot, in the panel's gap; gone at the mouse's first click.
        QVERIFY(RingDots() > 30);
        QTest::keyClick(plot, Qt::Key_Return);
        QCOMPARE(port_.written.join(' '), sent);
        // The same step by the mouse sends the same.
        port_.written.clear();
        const int step = int((nerimo::Hertz(readout.left(8).toDouble()) - 145000000) / 12500);
        const int x = nerimo::StepX(step, settings.isEmpty() ? 8 : 1);
        PointAt(x);
        QTest::mouseClick(plot, Qt::LeftButton, {}, QPoint(x, 100));
        QCOMPARE(port_.written.join(' '), sent);
        QCOMPARE(RingDots(), 0);
    }

    // Each palette of the history window is the one it has at the next start.
    void paletteRemembered_data() {
        QTest::addColumn<nerimo::Palette>("palette");
        for (const nerimo::Palette palette :
             {nerimo::Palette::Grey, nerimo::Palette::HighContrast, nerimo::Palette::Viridis}) {
            QTest::newRow(qPrintable(nerimo::PaletteName(palette))) << palette;
        }
    }
    void paletteRemembered() {
        QFETCH(nerimo::Palette, palette);
        const QTemporaryDir folder;
        const QString settings = folder.filePath(QStringLiteral("Nerimo.ini"));
        nerimo::WindowState(settings).SetHistoryPalette(palette);
        QCOMPARE(nerimo::WindowState(settings).HistoryPalette(), palette);
    }

    // Stopped, the click tunes at once, while the run finishes its step, which sends no more.
    void clickTunesWhileAStoppedRunFinishes() {
        Show();
        Click("startButton");
        Click("stopButton");
        PointAt(300);
        QTest::mouseClick(Control("plotView"), Qt::LeftButton, {}, QPoint(300, 1));
        scheduler_.RunFor(2);
        QCOMPARE(port_.written.join(' '), QByteArray("145.0000N 145.4000N"));
    }

    // The plot's menu in a run: its items; the picture it saves is the plot and its scale strip
    // as they are on screen, with its caption under them; the log item starts a log, and then
    // stops it.
    void plotMenuKeepsTheSweeps() {
        Show("GRID=1\n");
        port_.answer = [](const QByteArray& last) {
            return last.endsWith("0N") ? QByteArray("J") : QByteArray("C");
        };
        Click("startButton");
        QVERIFY(scheduler_.RunUntil([&] { return port_.written.size() == 30; }, 10));
        QMenu* menu = OpenPlotMenu();
        QVERIFY(menu);
        QStringList items;
        for (const QAction* item : menu->actions()) {
            items << (item->text() + ' ' + item->shortcut().toString()).trimmed();
        }
        QCOMPARE(items,
                 QStringList({"Save picture… Ctrl+S", "Log sweeps to… Ctrl+L",
                              "Activity log to… Ctrl+Shift+L", "", "Max hold M", "Min hold N",
                              "Average A", "Reset holds", "", "&Lock out 145.4000 MHz L",
                              "&Remove lockout", "Lockouts…", "Bookmarks…", "", "Recei&ver…",
                              "Scan channels…", "Sweep the band", "", "History… Ctrl+H"}));
        menu->close();

        const QTemporaryDir dir;
        QVERIFY(form_->plotMenu().SavePicture(dir.filePath(QStringLiteral("plot.png"))));
        const QImage onScreen = form_->grab(nerimo::kPlotPlace.united(nerimo::kScaleStripPlace))
                                    .toImage()
                                    .convertToFormat(QImage::Format_RGB32);
        const QImage picture(dir.filePath(QStringLiteral("plot.png")));
        QCOMPARE(picture.copy(0, 0, 720, 366), onScreen);
        QCOMPARE(picture.height(), 406);

        QAction* logging = Item(menu, "Log sweeps to…");
        form_->StartLog(QStringLiteral("sweeps.csv"));
        QCOMPARE(logging->text(), QStringLiteral("Stop logging"));
        QVERIFY(scheduler_.RunUntil([&] { return !log_.written.isEmpty(); }, 20));
        QVERIFY(log_.written.contains(", 145000000, 146000000, 12500, 1, 10, 3, 10, "));
        QTest::keyClick(form_.get(), Qt::Key_L, Qt::ControlModifier);
        QCOMPARE(logging->text(), QStringLiteral("Log sweeps to…"));
        QVERIFY(log_.path.isEmpty());
    }

    // The hold traces: M while the plot has the focus turns the max hold on, drawn in its own
    // colour, named in the plot's legend and in a saved picture as on the screen, and remembered
    // beside the settings file for the next start; M again takes it and its legend off at once,
    // so the screen is the plot's own pixels; "Reset holds" erases it.
    void holdTracesAreKeptAndReset() {
        const QTemporaryDir folder;
        program_.folder = folder.path();
        Show("PAUSE=0\n");
        // A signal at the second step in the first sweep only.
        port_.answer = [this](const QByteArray& last) {
            return last == "145.0125N" && port_.written.size() < 81 ? QByteArray("J")
                                                                    : QByteArray("C");
        };
        Control("plotView")->setFocus();
        QTest::keyClick(Control("plotView"), Qt::Key_M);
        Click("startButton");
        QVERIFY(scheduler_.RunUntil([&] { return port_.written.size() == 84; }, 20));
        const auto held = [this] {  // the max hold at step 1, above the live level 3
            return form_->findChild<nerimo::platform::SurfaceWidget*>(QStringLiteral("plotView"))
                ->PixelAt(52, 339 - 21 * 10);
        };
        QCOMPARE(held(), qRgb(255, 0, 255));
        const auto plot = [this] {
            return form_->findChild<nerimo::platform::SurfaceWidget*>(QStringLiteral("plotView"))
                ->Image();
        };
        const auto onScreen = [this] {
            return form_->grab(nerimo::kPlotPlace).toImage().convertToFormat(QImage::Format_RGB32);
        };
        QVERIFY(Shown("holdLegend"));
        QCOMPARE(Control("holdLegend")->accessibleName(), QStringLiteral("holds: max (magenta)"));
        QVERIFY(onScreen() != plot());
        QCOMPARE(onScreen().copy(0, 0, 686, 350), plot().copy(0, 0, 686, 350));
        const QTemporaryDir dir;
        QVERIFY(form_->plotMenu().SavePicture(dir.filePath(QStringLiteral("plot.png"))));
        const QImage picture(dir.filePath(QStringLiteral("plot.png")));
        QCOMPARE(picture.copy(0, 0, 720, 350), onScreen());

        Control("plotView")->setFocus();
        QTest::keyClick(Control("plotView"), Qt::Key_M);
        QVERIFY(held() != qRgb(255, 0, 255));
        QVERIFY(!Shown("holdLegend"));
        QCOMPARE(onScreen(), plot());
        QTest::keyClick(Control("plotView"), Qt::Key_M);
        QCOMPARE(held(), qRgb(255, 0, 255));
        QMenu* menu = OpenPlotMenu();
        Item(menu, "Reset holds")->trigger();
        menu->close();
        QCOMPARE(held(), qRgb(0, 0, 0));

        form_.reset();  // the next start has the max hold on, and only that
        Show("PAUSE=0\n");
        menu = OpenPlotMenu();
        QVERIFY(menu && Item(menu, "Max hold")->isChecked() &&
                !Item(menu, "Min hold")->isChecked());
        menu->close();
    }

    // The history window: a row for each sweep, the cell under the pointer read out, and a click
    // on a cell that tunes there once no run is in progress; the activity in the table under it.
    // With --mqtt the window is a sensor too: "online" once the broker takes it, a refusal shown
    // once and never in a box that waits, and "offline" handed over on the close.
    void publishesWithTheWindow() {
        nerimo::CommandLine options;
        options.broker.emplace();
        options.broker->host = QStringLiteral("broker.lan");
        options.broker->sensorId = QStringLiteral("desk");
        Show({}, "C", options);
        QCOMPARE(broker_.will,
                 QByteArray(R"(nerimo/desk/status {"since":null,"state":"offline"})"));
        broker_.Say(nerimo::Broker::Event::Connected);
        QCOMPARE(broker_.published.size(), 1);
        QVERIFY(broker_.published[0].contains(R"("state":"online"} (retained))"));
        broker_.Say(nerimo::Broker::Event::Refused);
        broker_.Say(nerimo::Broker::Event::Refused);
        QCOMPARE(messages_.notified,
                 QStringList("The broker at broker.lan:1883 refused the sensor: a reason."));
        QVERIFY(messages_.shown.isEmpty());
        broker_.Say(nerimo::Broker::Event::Connected);
        // A sweep on a receiver chosen in the window names it.
        form_->receiverChooser().ListFrom([] { return nerimo::ReceiverLists{}; });
        form_->receiverChooser().Choose();
        auto* dialog = form_->findChild<nerimo::ReceiverDialog*>();
        dialog->findChild<QComboBox*>("portChoice")->setEditText("/dev/ttyACM0");
        dialog->accept();
        port_.answer = [](const QByteArray&) { return QByteArray("E"); };
        Click("startButton");
        const auto sweep = [&] {
            const auto it = std::find_if(
                broker_.published.begin(), broker_.published.end(),
                [](const QByteArray& message) { return message.startsWith("nerimo/desk/sweep "); });
            return it == broker_.published.end() ? QByteArray() : *it;
        };
        QVERIFY(scheduler_.RunUntil([&] { return !sweep().isEmpty(); }, 30));
        QVERIFY2(sweep().contains(R"("device":"/dev/ttyACM0")"), sweep().constData());
        Click("closeButton");
        QVERIFY(broker_.finished);
        QVERIFY(broker_.published.last().contains(R"("state":"offline"} (retained))"));
    }

    void historyWindowReadsAndTunes() {
        Show("PAUSE=0\nACTIVITY=5\n");
        port_.answer = [](const QByteArray& last) {
            return last == "145.0125N" ? QByteArray("J") : QByteArray("C");
        };
        Click("startButton");
        QVERIFY(scheduler_.RunUntil([&] { return port_.written.size() == 82; }, 20));
        nerimo::HistoryWindow& history = form_->historyWindow();
        history.show();
        QVERIFY(QTest::qWaitForWindowExposed(&history));
        QWidget& view = history.view();
        const QRect area = nerimo::waterfall::Area(view.size());
        const QPoint cell = area.topLeft() + QPoint(int(1.5 * area.width() / 81), 2);
        QMouseEvent move(QEvent::MouseMove, cell, view.mapToGlobal(cell), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&view, &move);
        const QString readout = history.findChild<QLabel*>("historyReadout")->text();
        QVERIFY2(readout.startsWith("145.0125 MHz   ") && readout.endsWith("   level 10"),
                 qPrintable(readout));
        QTest::mouseClick(&view, Qt::LeftButton, {}, cell);
        QCOMPARE(port_.written.size(), 82);  // not while sweeping
        Click("stopButton");
        QVERIFY(scheduler_.RunUntil([&] { return Shown("startButton"); }, 5));
        QTest::mouseClick(&view, Qt::LeftButton, {}, cell);
        QCOMPARE(port_.written.last(), QByteArray("145.0125N"));
        QCOMPARE(Caption("tunedLabel"), QStringLiteral("MHz 145.0125"));

        // The signal's activity in the table under the waterfall, once shown; a double-click on
        // it tunes there.
        QTableView& table = history.activityView();
        QTRY_COMPARE(table.model()->rowCount(), 1);
        QCOMPARE(table.model()->index(0, 0).data().toString(), QStringLiteral("145.0125"));
        QCOMPARE(table.model()->index(0, 4).data().toInt(), 1);  // heard in one sweep
        port_.written.clear();
        const QRect row = table.visualRect(table.model()->index(0, 1));
        QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, row.center());
        QTest::mouseDClick(table.viewport(), Qt::LeftButton, {}, row.center());
        QCOMPARE(port_.written, QList<QByteArray>{"145.0125N"});
    }

    // The activity table's headers whole and its rows one line each: every column as wide as
    // its header, and but for the name as its cells, in a wide window and in a narrow one; a name
    // too long for what is left is cut short, and whole in its tooltip.
    void activityTableFitsItsColumns() {
        const QTemporaryDir folder;  // where the narrowed window's place is remembered
        program_.folder = folder.path();
        Show();
        nerimo::HistoryWindow& history = form_->historyWindow();
        history.show();
        QVERIFY(QTest::qWaitForWindowExposed(&history));
        QTableView& view = history.activityView();
        auto* table = qobject_cast<nerimo::ActivityTable*>(
            qobject_cast<QSortFilterProxyModel*>(view.model())->sourceModel());
        const QString name = QStringLiteral("The repeater of the hill club, north. ").repeated(5);
        const QDateTime time(QDate(2026, 12, 7), QTime(10, 0));
        table->ActivityChanged({145500000, name, 16, time, time, 12345},
                               nerimo::ActivityEvent::Started);
        table->Show();
        const QHeaderView& header = *view.horizontalHeader();
        const QAbstractItemView& cells = view;  // whose size hints are public
        const auto fits = [&](const char* window) {
            for (int column = 0; column < nerimo::ActivityTable::kColumns; ++column) {
                const QString title = view.model()->headerData(column, Qt::Horizontal).toString();
                const QByteArray where = QStringLiteral("%1, %2").arg(title, window).toLatin1();
                QVERIFY2(header.sectionSize(column) >= header.sectionSizeHint(column), where);
                QVERIFY2(column == nerimo::ActivityTable::Name ||
                             header.sectionSize(column) >= cells.sizeHintForColumn(column),
                         where);
            }
            QVERIFY(header.sectionSize(nerimo::ActivityTable::Name) <
                    view.fontMetrics().horizontalAdvance(name));
        };
        // Laid out again once the row is in, the name taking the room the others leave.
        QTRY_COMPARE(header.length(), view.viewport()->width());
        fits("wide");
        if (QTest::currentTestFailed()) {
            return;
        }
        const int wide = header.sectionSize(nerimo::ActivityTable::Name);
        // Room for the other columns and 5 pixels: the name gives up its room, but not below its
        // header's width.
        history.resize(history.width() - wide + 5, history.height());
        QTRY_VERIFY(header.sectionSize(nerimo::ActivityTable::Name) < wide);
        fits("narrow");
        if (QTest::currentTestFailed()) {
            return;
        }
        // Drawn on one line, in a row no taller than the view's rows of one line.
        QVERIFY(!view.wordWrap());
        QVERIFY(view.rowHeight(0) <= view.verticalHeader()->defaultSectionSize());
        QCOMPARE(view.model()->index(0, nerimo::ActivityTable::Name).data(Qt::ToolTipRole), name);
    }

    // The activity table as a model a view can trust, through its whole life: rows added as
    // activities start, changed as they are heard and end, shown in batches, the oldest dropped
    // past 10,000; Qt's model tester checks every signal and index on the way.
    void activityTableIsASoundModel() {
        nerimo::ActivityTable table;
        QSortFilterProxyModel sorted;
        sorted.setSourceModel(&table);
        sorted.setSortRole(nerimo::ActivityTable::SortRole);
        sorted.sort(nerimo::ActivityTable::Strongest, Qt::DescendingOrder);
        const QAbstractItemModelTester checkTable(
            &table, QAbstractItemModelTester::FailureReportingMode::QtTest);
        const QAbstractItemModelTester checkSorted(
            &sorted, QAbstractItemModelTester::FailureReportingMode::QtTest);
        const QDateTime time(QDate(2026, 12, 7), QTime(10, 0));
        for (int i = 0; i < 10'050; ++i) {
            nerimo::Activity activity{145000000 + 12500LL * (i % 641),
                                      QStringLiteral("Net"),
                                      i % 17,
                                      time.addSecs(i),
                                      time.addSecs(i),
                                      1};
            table.ActivityChanged(activity, nerimo::ActivityEvent::Started);
            activity.strongest = 16;
            ++activity.sweeps;
            table.ActivityChanged(activity, nerimo::ActivityEvent::Heard);
            table.ActivityChanged(activity, nerimo::ActivityEvent::Ended);
            if (i % 997 == 0) {
                table.Show();
            }
        }
        table.Show();
        QCOMPARE(table.rowCount(), int(nerimo::ActivityTable::kCapacity));
        QCOMPARE(
            table.index(0, nerimo::ActivityTable::FirstHeard).data(nerimo::ActivityTable::SortRole),
            QVariant(time.addSecs(50)));  // the oldest 50 gone
        QCOMPARE(table.index(0, nerimo::ActivityTable::Strongest).data().toInt(), 16);
    }

    // The plot's menu from its button and from the keys desktops use, anywhere in the window;
    // from the keys it acts on the pointer's last column over the plot.
    void plotMenuFromKeysAndButton() {
        Show();
        PointAt(44 + 8 * 16);
        Control("startButton")->setFocus();
        const auto opened = [] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); };
        for (const auto& [key, modifiers] :
             {std::pair{Qt::Key_Menu, Qt::NoModifier}, std::pair{Qt::Key_F10, Qt::ShiftModifier}}) {
            QTest::keyClick(form_.get(), key, modifiers);
            QMenu* menu = opened();
            QVERIFY(menu);
            QVERIFY(Item(menu, "Lock out 145.2000 MHz"));
            QVERIFY(menu->geometry().contains(
                Control("plotView")->mapToGlobal(QPoint(44 + 8 * 16, nerimo::kPlotHeight / 2))));
            menu->close();
        }
        Click("plotMenuButton");
        QMenu* menu = opened();
        QVERIFY(menu);
        QVERIFY(Item(menu, "Save picture…"));
        QCOMPARE(menu->pos(), Control("plotMenuButton")->mapToGlobal(QPoint(0, 17)));
        menu->close();
    }

    // What keeps the receiver from answering stays over the plot, beside the message at start:
    // what standard error says, and a way to choose another, which lists the ports, opens the
    // one chosen at once and, asked, saves the choice into the settings file with every other
    // line kept; a receiver gone shows there, and the panel goes when it is back. A file Nerimo
    // must not change is left alone, and the user told why.
    void receiverPanelAndChoice() {
        port_.openResult = {false, QStringLiteral("No such file or directory"), false};
        const QByteArray mine = "# the shack's\r\nDEVICE=/dev/ttyUSB0\r\nGRID=1\r\n";
        Show(mine);
        QCOMPARE(messages_.shown.size(), 1);
        QVERIFY(Shown("receiverPanel"));
        const QString said = Caption("receiverTrouble");
        for (const char* part : {"/dev/ttyUSB0", "No such file", "every 2 s", "--list-ports"}) {
            QVERIFY2(said.contains(part), qPrintable(said));
        }
        // Over the plot, clear of the status and of the scale.
        const QRect panel = Control("receiverPanel")->geometry();
        QVERIFY(Control("plotView")->rect().contains(panel));
        Click("startButton");  // a run without it says so from its first step, not "scan"
        QCOMPARE(Caption("statusLabel"), QStringLiteral("no receiver"));
        Click("stopButton");

        const QString byId = QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_A1-if00-port0");
        form_->receiverChooser().ListFrom([&] {
            return nerimo::ReceiverLists{
                {{byId, "FT232R; /dev/ttyUSB1"}, {"/dev/ttyS0", "/dev/ttyS0"}},
                {{2, "Hamlib NET rigctl"}, {3085, "Icom IC-R8600"}}};
        });
        port_.openResult = {true, {}, false};
        Click("chooseReceiverButton");
        auto* dialog = form_->findChild<nerimo::ReceiverDialog*>();
        QVERIFY(dialog && dialog->isVisible());
        auto* ports = dialog->findChild<QComboBox*>("portChoice");
        QCOMPARE(ports->currentText(), QStringLiteral("/dev/ttyUSB0"));
        QCOMPARE(ports->itemText(0), byId);
        QCOMPARE(ports->itemData(0, Qt::ToolTipRole).toString(),
                 QStringLiteral("FT232R; /dev/ttyUSB1"));
        ports->setCurrentIndex(0);
        dialog->findChild<QComboBox*>("spanChoice")->setCurrentIndex(1);
        dialog->findChild<QDoubleSpinBox*>("startChoice")->setValue(430.0125);
        dialog->findChild<QSpinBox*>("activityChoice")->setValue(7);
        Click("startButton");  // a run in progress ends
        QTest::mouseClick(dialog->findChild<QPushButton*>("saveSettingsButton"), Qt::LeftButton);

        QVERIFY(!Shown("receiverPanel"));
        QVERIFY(Idle());
        QCOMPARE(port_.calls.filter("name ").last(), "name " + byId);
        QVERIFY(port_.open);
        QVERIFY(qobject_cast<QRadioButton*>(Control("span8Button"))->isChecked());
        QCOMPARE(Caption("startFrequencyLabel"), QStringLiteral("430.0125"));
        QCOMPARE(Caption("endFrequencyLabel"), QStringLiteral("438.0125"));
        const QString file = files_.asked.value(0);
        QCOMPARE(files_.byPath.value(file).bytes,
                 "# the shack's\r\nDEVICE=" + byId.toUtf8() +
                     "\r\nGRID=1\r\nMHZ=430.0125\r\nSPAN=8\r\nACTIVITY=7\r\n");
        Click("startButton");
        QVERIFY(scheduler_.RunUntil([&] { return !port_.written.isEmpty(); }, 5));
        QCOMPARE(port_.written.first(), QByteArray("430.0125N"));

        // Gone, and another port picked on the panel; or back by itself.
        port_.died();
        QVERIFY(Shown("receiverPanel"));
        QVERIFY(Caption("receiverTrouble").contains("is gone"));
        auto* panelPorts = qobject_cast<QComboBox*>(Control("panelPortChoice"));
        QCOMPARE(panelPorts->count(), 2);
        panelPorts->setCurrentIndex(1);
        Click("usePortButton");
        QVERIFY(!Shown("receiverPanel"));
        QCOMPARE(port_.calls.filter("name ").last(), QStringLiteral("name /dev/ttyS0"));
        QVERIFY(port_.open);
        port_.died();
        QVERIFY(Shown("receiverPanel"));
        QVERIFY(retry_.RunUntil([&] { return !Shown("receiverPanel"); }, 5));

        // A file Nerimo must not change: nothing written, and why.
        files_.notOurs[file] = QStringLiteral("it is read-only");
        OpenPlotMenu();
        QMenu* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu);
        QAction* item = Item(menu, "Receiver…");
        QVERIFY(item);
        menu->close();
        item->trigger();
        dialog = form_->findChild<nerimo::ReceiverDialog*>();
        QVERIFY(dialog);
        dialog->findChild<QDoubleSpinBox*>("startChoice")->setValue(145);
        QTest::mouseClick(dialog->findChild<QPushButton*>("saveSettingsButton"), Qt::LeftButton);
        QVERIFY(messages_.notified.last().contains("not saved to " + file + ": it is read-only"));
        QVERIFY(files_.byPath.value(file).bytes.contains("MHZ=430.0125"));
        QCOMPARE(Caption("startFrequencyLabel"), QStringLiteral("145.0000"));  // used all the same

        // A radio through rigctld in place of the port, which is let go.
        form_->receiverChooser().Choose();
        dialog = form_->findChild<nerimo::ReceiverDialog*>();
        dialog->findChildren<QRadioButton*>().last()->click();
        QVERIFY(!dialog->findChild<QComboBox*>("portChoice")->isEnabled());
        dialog->findChild<QComboBox*>("modelChoice")->setCurrentIndex(0);
        dialog->findChild<QLineEdit*>("addressChoice")->setText("127.0.0.1:4532");
        dialog->accept();
        QVERIFY(!port_.open);
        QCOMPARE(radio_.calls.value(0), QStringLiteral("open 2 127.0.0.1:4532"));
        const qsizetype written = port_.written.size();
        Click("startButton");
        QVERIFY(scheduler_.RunUntil([&] { return !radio_.calls.filter(" Hz at ").isEmpty(); }, 5));
        QCOMPARE(radio_.calls.filter(" Hz at ").first(), QStringLiteral("145000000 Hz at 0"));
        QCOMPARE(port_.written.size(), written);
    }

    // A named frequency's read-out whole in the width between the scale's two labels, drawn
    // beyond where a narrower label would have cut it; a name longer than all that loses its
    // end only, the tooltip keeping it whole.
    void readoutFitsLongNames() {
        files_.byPath["/names.csv"] = {
            nerimo::FileRead::Outcome::Read,
            QByteArray("# Frequency ; Name ; Modulation ; Bandwidth ; Tags\n"
                       "145300000 ; Repeater R6, Hilltop ; Narrow FM ; 10000 ; \n") +
                "145400000 ; " + QByteArray("Very long name ").repeated(8) + "end ; FM ; 1 ; \n",
            {}};
        nerimo::CommandLine options;
        options.bookmarksPath = QStringLiteral("/names.csv");
        Show({}, "C", options);
        auto* label = qobject_cast<QLabel*>(Control("readoutLabel"));
        PointAt(44 + 8 * 24);
        QCOMPARE(label->text(), QStringLiteral("145.3000 MHz  Repeater R6, Hilltop"));
        QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <= label->width());
        const QImage shown = label->grab().toImage();
        const auto inked = [&](int x) {
            for (int y = 0; y < shown.height(); ++y) {
                if (shown.pixelColor(x, y) != nerimo::kPanelGrey) {
                    return true;
                }
            }
            return false;
        };
        // The old label ran from 132 to 277 of this one.
        QVERIFY(inked(120) && inked(290));

        PointAt(44 + 8 * 32);
        const QString whole = "145.4000 MHz  " + QString("Very long name ").repeated(8) + "end";
        QCOMPARE(label->toolTip(), whole);
        QVERIFY(label->text().startsWith("145.4000 MHz  Very long name"));
        QVERIFY(label->text().endsWith(QChar(0x2026)));
        QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <= label->width());
        PointAt(44);  // no name: the tooltip says what the read-out is again
        QCOMPARE(
            label->toolTip(),
            QStringLiteral("The frequency under the pointer or the tuning cursor, and its name"));
    }

    // The lists beside the settings file: a lockout read (a bad line reported), removed and made
    // from the menu, the file written each time and the scale strip's tick with it; a named
    // frequency after the read-out.
    void lockoutsAndNamesFromTheMenu() {
        const QTemporaryDir folder;
        program_.folder = folder.path();
        const QString lockouts = folder.filePath(QStringLiteral("lockouts.csv"));
        files_.byPath[lockouts] = {
            nerimo::FileRead::Outcome::Read, "Frequency_Hz\n145100000\nx\n", {}};
        files_.byPath["/names.csv"] = {nerimo::FileRead::Outcome::Read,
                                       "# Frequency ; Name ; Modulation ; Bandwidth ; Tags\n"
                                       "145200000 ; Calling ; Narrow FM ; 10000 ; \n",
                                       {}};
        nerimo::CommandLine options;
        options.bookmarksPath = QStringLiteral("/names.csv");
        Show({}, "C", options);
        QVERIFY(messages_.notified.value(0).contains("lockouts.csv: line 3: "));
        PointAt(44 + 8 * 16);
        QCOMPARE(Caption("readoutLabel"), QStringLiteral("145.2000 MHz  Calling"));
        auto* scale = form_->findChild<nerimo::platform::SurfaceWidget*>("scaleStrip");
        QCOMPARE(scale->PixelAt(44 + 8 * 8, 5), qRgb(128, 128, 128));
        QCOMPARE(scale->PixelAt(44 + 8 * 16, 2), qRgb(255, 255, 0));

        const auto menuAt = [this](int x) {
            QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(x, 100),
                                    Control("plotView")->mapToGlobal(QPoint(x, 100)));
            QApplication::sendEvent(Control("plotView"), &click);
            return qobject_cast<QMenu*>(QApplication::activePopupWidget());
        };
        QMenu* menu = menuAt(44 + 8 * 8);
        QVERIFY(!Item(menu, "Lock out 145.1000 MHz")->isEnabled());
        Item(menu, "Remove lockout")->trigger();
        menu->close();
        QCOMPARE(files_.byPath[lockouts].bytes, QByteArray("Frequency_Hz\nx\n"));
        QCOMPARE(scale->PixelAt(44 + 8 * 8, 5), qRgb(0, 0, 0));
        // The user's own lines meanwhile, by hand: kept, and the frequency they add locked out.
        files_.byPath[lockouts].bytes += "145300000 # the neighbour's PC\n";
        menu = menuAt(44 + 8 * 16);
        QVERIFY(!Item(menu, "Remove lockout")->isEnabled());
        Item(menu, "Lock out 145.2000 MHz")->trigger();
        menu->close();
        QCOMPARE(files_.byPath[lockouts].bytes,
                 QByteArray("Frequency_Hz\nx\n145300000 # the neighbour's PC\n145200000\n"));
        QCOMPARE(scale->PixelAt(44 + 8 * 16, 5), qRgb(128, 128, 128));
        QCOMPARE(scale->PixelAt(44 + 8 * 24, 5), qRgb(128, 128, 128));
        // A file that cannot be read now is not written over: the change holds for the run.
        files_.byPath[lockouts] = {nerimo::FileRead::Outcome::NotAFile, {}, "it is a folder"};
        menu = menuAt(44 + 8 * 40);
        Item(menu, "Lock out 145.5000 MHz")->trigger();
        menu->close();
        QCOMPARE(files_.byPath[lockouts].outcome, nerimo::FileRead::Outcome::NotAFile);
        QCOMPARE(messages_.notified.last(),
                 QStringLiteral("The lockouts file cannot be written (it is a folder); the change "
                                "holds until Nerimo ends."));
        QCOMPARE(scale->PixelAt(44 + 8 * 40, 5), qRgb(128, 128, 128));
    }

    // A list of channels from the command line and from the menu: scanned in its order and
    // modes, a bar a channel on the plot, the one measured last marked; the read-out names the
    // channel under the pointer, a click tunes it in its mode, a right click locks it out (it is
    // tuned no more); a list with nothing to scan says so and stops nothing; "Sweep the band"
    // goes back to the span.
    void scansChannelsInTheWindow() {
        files_.byPath["/air.csv"] = {nerimo::FileRead::Outcome::Read,
                                     "Location,Name,Frequency,Mode\n0,Tower,118.1,AM\n"
                                     "1,Calling,145.5,FM\n2,Net,145.6,NFM\n",
                                     {}};
        files_.byPath["/hf.csv"] = {
            nerimo::FileRead::Outcome::Read, "Location,Name,Frequency,Mode\n0,Net,14.23,USB\n", {}};
        nerimo::CommandLine options;
        options.channelsPath = QStringLiteral("/air.csv");
        Show("ACTIVITY=5\n", "C", options);
        port_.answer = [](const QByteArray& last) {
            return last == "145.5000N" ? QByteArray("J") : QByteArray("B");
        };
        Click("startButton");
        QVERIFY(scheduler_.RunUntil([&] { return port_.written.size() >= 4; }, 5));
        QCOMPARE(port_.written.mid(0, 4),
                 QList<QByteArray>({"118.1000A", "145.5000N", "145.6000N", "118.1000A"}));
        // Three bars across the plot: Calling's at level 10, the others at 2; the mark over
        // the one measured last (Net: Tower is tuned again, not yet read).
        auto* plot = form_->findChild<nerimo::platform::SurfaceWidget*>(QStringLiteral("plotView"));
        const auto barTop = [&](int x) {
            int y = 0;
            while (y < nerimo::kBaselineY && plot->PixelAt(x, y) != qRgb(0, 255, 0)) {
                ++y;
            }
            return (nerimo::kBaselineY - y) / nerimo::kPixelsPerLevel;
        };
        QCOMPARE((QList<int>{barTop(100), barTop(360), barTop(600)}), (QList<int>{2, 10, 2}));
        QCOMPARE(plot->PixelAt(600, 4), qRgb(255, 64, 64));
        QCOMPARE(plot->PixelAt(360, 4), qRgb(0, 0, 0));
        PointAt(360);
        QCOMPARE(Caption("readoutLabel"), QStringLiteral("145.5000 MHz FM level 10  Calling"));
        PointAt(600);
        QCOMPARE(Caption("readoutLabel"), QStringLiteral("145.6000 MHz FM level 2  Net"));

        // A right click on Net locks it out: the scan goes on without it.
        QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(600, 100),
                                     Control("plotView")->mapToGlobal(QPoint(600, 100)));
        QApplication::sendEvent(Control("plotView"), &rightClick);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        Item(menu, "Lock out 145.6000 MHz")->trigger();
        menu->close();
        // A list with nothing the receiver hears: said, and the scan goes on.
        QVERIFY(!form_->channelsMenu().ScanChannels("/hf.csv"));
        QVERIFY(messages_.notified.last().contains("has no channel the receiver can scan"));
        const qsizetype from = port_.written.size();
        QVERIFY(scheduler_.RunUntil([&] { return port_.written.size() >= from + 6; }, 10));
        QVERIFY(!port_.written.mid(from).contains("145.6000N"));
        QCOMPARE(Caption("statusLabel"), QStringLiteral("scan"));

        // The history window's channel table, shown in place of the activities: a row a channel
        // in the list's order, sorted by a column on request; a double click tunes.
        nerimo::HistoryWindow& history = form_->historyWindow();
        QTableView& table = history.channelView();
        QVERIFY(QTest::qWaitFor([&] { return table.model()->index(0, 3).data() == 2; }, 3000));
        QCOMPARE(history.findChild<QTabWidget*>("historyTables")->currentWidget(), &table);
        const auto column = [&](int at) {
            QStringList cells;
            for (int row = 0; row < table.model()->rowCount(); ++row) {
                cells << table.model()->index(row, at).data().toString();
            }
            return cells.join('|');
        };
        QCOMPARE(column(0), QStringLiteral("Tower|Calling|Net"));
        QCOMPARE(column(2), QStringLiteral("AM|FM|FM"));
        QCOMPARE(column(6), QStringLiteral("||locked out"));
        // Calling heard in each pass, at 10 over ACTIVITY=5; the others never.
        QVERIFY2(QRegularExpression("^0\\|[1-9]\\d*\\|0$").match(column(5)).hasMatch(),
                 qPrintable(column(5)));
        table.sortByColumn(3, Qt::DescendingOrder);
        QCOMPARE(column(0), QStringLiteral("Calling|Tower|Net"));
        QCOMPARE(column(1), QStringLiteral("145.5000|118.1000|145.6000"));

        // Stopped: a click tunes the channel under the pointer in its own mode, as a double
        // click in the table does.
        Click("stopButton");
        scheduler_.RunFor(2);
        emit table.doubleClicked(table.model()->index(1, 0));
        QCOMPARE(port_.written.last(), QByteArray("118.1000A"));
        PointAt(360);
        QTest::mouseClick(Control("plotView"), Qt::LeftButton, {}, QPoint(360, 100));
        QCOMPARE(port_.written.last(), QByteArray("145.5000N"));
        QCOMPARE(Caption("tunedLabel"), QStringLiteral("MHz 145.5000"));

        // The band again: the span's steps, its read-out.
        auto* items = OpenPlotMenu();
        Item(items, "Sweep the band")->trigger();
        items->close();
        PointAt(44 + 8 * 4);
        QCOMPARE(Caption("readoutLabel"), QStringLiteral("145.0500 MHz"));
        Click("startButton");
        QVERIFY(scheduler_.RunUntil([&] { return port_.written.last() == "145.0125N"; }, 5));
    }

    // "Lockouts…": a frequency typed in (Enter or "Add") is locked out, written to the file and
    // marked on the scale strip; one that is none says why and adds nothing; each lockout shows
    // the name a bookmark gives it; those picked are removed.
    void lockoutsInTheDialog() {
        const QTemporaryDir folder;
        program_.folder = folder.path();
        const QString lockouts = folder.filePath(QStringLiteral("lockouts.csv"));
        files_.byPath[lockouts] = {
            nerimo::FileRead::Outcome::Read, "Frequency_Hz\n145100000\n", {}};
        files_.byPath["/names.csv"] = {nerimo::FileRead::Outcome::Read,
                                       "# Frequency ; Name ; Modulation ; Bandwidth ; Tags\n"
                                       "145100000 ; Beacon ; Narrow FM ; 10000 ; \n"
                                       "145200000 ; Calling ; Narrow FM ; 10000 ; \n",
                                       {}};
        nerimo::CommandLine options;
        options.bookmarksPath = QStringLiteral("/names.csv");
        Show({}, "C", options);
        QMenu* menu = OpenPlotMenu();
        Item(menu, "Lockouts…")->trigger();
        menu->close();
        auto* dialog = form_->findChild<nerimo::LockoutsDialog*>();
        QVERIFY(dialog && dialog->isVisible());
        auto* list = dialog->findChild<QListWidget*>("lockoutList");
        auto* entry = dialog->findChild<QLineEdit*>("lockoutEntry");
        auto* problem = dialog->findChild<QLabel*>("lockoutProblem");
        const auto rows = [list] {
            QStringList texts;
            for (int i = 0; i < list->count(); ++i) {
                texts << list->item(i)->text();
            }
            return texts;
        };
        QCOMPARE(rows(), QStringList{"145.1000 MHz  Beacon"});

        QTest::keyClicks(entry, QStringLiteral("145.5M"));
        QTest::keyClick(entry, Qt::Key_Return);
        QCOMPARE(files_.byPath[lockouts].bytes, QByteArray("Frequency_Hz\n145100000\n145500000\n"));
        QCOMPARE(rows(), (QStringList{"145.1000 MHz  Beacon", "145.5000 MHz"}));
        QVERIFY(entry->text().isEmpty() && problem->isHidden());
        auto* scale = form_->findChild<nerimo::platform::SurfaceWidget*>("scaleStrip");
        QCOMPARE(scale->PixelAt(44 + 8 * 40, 5), qRgb(128, 128, 128));

        QTest::keyClicks(entry, QStringLiteral("145,2"));
        QTest::mouseClick(dialog->findChild<QPushButton*>("addLockoutButton"), Qt::LeftButton);
        QVERIFY(problem->isVisible());
        QVERIFY2(problem->text().startsWith("\"145,2\" is not a frequency"),
                 qPrintable(problem->text()));
        QCOMPARE(files_.byPath[lockouts].bytes, QByteArray("Frequency_Hz\n145100000\n145500000\n"));
        QCOMPARE(rows().size(), 2);
        QCOMPARE(scale->PixelAt(44 + 8 * 16, 5), qRgb(0, 0, 0));

        entry->clear();
        QTest::keyClicks(entry, QStringLiteral("145200 kHz"));
        QTest::mouseClick(dialog->findChild<QPushButton*>("addLockoutButton"), Qt::LeftButton);
        QCOMPARE(rows(),
                 (QStringList{"145.1000 MHz  Beacon", "145.2000 MHz  Calling", "145.5000 MHz"}));
        QVERIFY(problem->isHidden());
        QCOMPARE(scale->PixelAt(44 + 8 * 16, 5), qRgb(128, 128, 128));

        list->item(0)->setSelected(true);
        list->item(2)->setSelected(true);
        QTest::mouseClick(dialog->findChild<QPushButton*>("removeLockoutButton"), Qt::LeftButton);
        QCOMPARE(rows(), QStringList{"145.2000 MHz  Calling"});
        QCOMPARE(files_.byPath[lockouts].bytes, QByteArray("Frequency_Hz\n145200000\n"));
        QCOMPARE(scale->PixelAt(44 + 8 * 8, 5), qRgb(0, 0, 0));
    }

    // A log in the history from the start: read off the window's thread, a sweep's hops joined
    // into one, a malformed line counted; a log that cannot be read, a message that does not wait.
    void historyShowsALog() {
        const QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("earlier.csv")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(
            "2026-12-06, 10:00:00, 145000000, 145012500, 12500, 1, 3, 4\n"
            "2026-12-06, 10:00:00, 145025000, 145037500, 12500, 1, 5, 6\n"
            "not a row\n"
            "2026-12-06, 10:00:15, 145000000, 145037500, 12500, 1, 7, 8, 9, 10\n");
        file.close();
        Show();
        form_->StartLog(file.fileName());
        const auto* loaded = form_->historyWindow().findChild<QLabel*>("historyLoaded");
        QTRY_COMPARE(loaded->text(), QStringLiteral("2 sweeps from earlier.csv; 1 line skipped"));
        form_->historyWindow().LoadLog(dir.filePath(QStringLiteral("missing.csv")), false);
        QTRY_COMPARE(messages_.notified.value(0),
                     "The log " + dir.filePath(QStringLiteral("missing.csv")) +
                         " cannot be read: No such file or directory.");
        QVERIFY(messages_.shown.isEmpty());
    }

    // A log opened in the history window is a view of its own: the title names it, the run's
    // sweeps go on into the run's view and never into the log's, "This run" goes back. Two
    // thousand sweeps of it are scrolled (End: the oldest) and zoomed (Ctrl and the wheel,
    // "Fit all"), the status bar saying how many sweeps a row, the read-out naming them.
    void historyViewsScrollAndZoom() {
        const QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("night.csv")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        const QDateTime start(QDate(2026, 12, 6), QTime(20, 0));
        for (int i = 0; i < 2000; ++i) {
            file.write(start.addSecs(60 * i).toString("yyyy-MM-dd, HH:mm:ss").toLatin1() +
                       ", 145000000, 145025000, 12500, 1, " + (i == 0 ? "16" : "1") + ", 2, 3\n");
        }
        file.close();
        Show();
        nerimo::HistoryWindow& history = form_->historyWindow();
        history.show();
        QVERIFY(QTest::qWaitForWindowExposed(&history));
        history.LoadLog(file.fileName(), false);
        nerimo::HistoryView& view = history.view();
        const auto readout = [&] { return history.findChild<QLabel*>("historyReadout")->text(); };
        QTRY_COMPARE(view.model().rows().size(), size_t(2000));
        QCOMPARE(history.windowTitle(), QStringLiteral("Nerimo history: night.csv"));
        // The run sweeps meanwhile: its rows are the run's.
        port_.answer = [](const QByteArray&) { return QByteArray("C"); };
        Click("startButton");
        QVERIFY(scheduler_.RunUntil([&] { return port_.written.size() == 82; }, 20));
        QCOMPARE(view.model().rows().size(), size_t(2000));

        const auto zoomText = [&] { return history.findChild<QLabel*>("historyZoom")->text(); };
        QCOMPARE(zoomText(), QStringLiteral("1 row a sweep"));
        view.setFocus();
        QTest::keyClick(&view, Qt::Key_End);
        QCOMPARE(view.ScrollValue(), view.ScrollMaximum());
        QVERIFY(view.ScrollMaximum() > 0);
        QCOMPARE(history.findChild<QScrollBar*>("historyScroll")->value(), view.ScrollValue());
        // The oldest sweep, the first of the night with its 16, at the bottom of the rows.
        const QRect area = nerimo::waterfall::Area(view.size());
        const QPoint oldest(area.left() + 2, area.top() + (2000 - view.ScrollValue()) - 1);
        QMouseEvent move(QEvent::MouseMove, oldest, view.mapToGlobal(oldest), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&view, &move);
        QCOMPARE(readout(), QStringLiteral("145.0000 MHz   2026-12-06 20:00:00   level 16"));
        QWheelEvent out(area.center(), view.mapToGlobal(area.center()), {}, {0, -120}, Qt::NoButton,
                        Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&view, &out);
        QCOMPARE(zoomText(), QStringLiteral("2 sweeps a row"));
        Item(history.menuBar()->actions().first()->menu(), "Fit all")->trigger();
        QCOMPARE(view.shown().zoom,
                 nerimo::waterfall::Zoom::ToFit(2000, area.height(), area.height()));
        QCOMPARE(zoomText(), view.shown().zoom.Text());
        const QPoint top = area.topLeft() + QPoint(2, 1);
        QMouseEvent over(QEvent::MouseMove, top, view.mapToGlobal(top), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(&view, &over);
        QVERIFY2(readout().contains(" sweeps, "), qPrintable(readout()));

        Item(history.menuBar()->actions().first()->menu(), "This run")->trigger();
        QCOMPARE(view.model().rows().size(), size_t(1));  // the run's own sweep
        QCOMPARE(history.windowTitle(), QStringLiteral("Nerimo history"));
    }

    // Centred on the screen's available area, never above or left of it: the title strip and
    // its buttons are on the screen.
    void opensWhollyOnTheScreen_data() {
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QPoint>("place");
        QTest::newRow("1920 x 1080") << QRect(0, 0, 1920, 1040) << QPoint(554, 249);
        QTest::newRow("second screen") << QRect(1920, 0, 1280, 1024) << QPoint(2154, 241);
        QTest::newRow("1366 x 768 at 150 %") << QRect(0, 27, 910, 485) << QPoint(49, 27);
        QTest::newRow("narrower") << QRect(-800, 0, 800, 600) << QPoint(-800, 29);
    }
    void opensWhollyOnTheScreen() {
        QFETCH(QRect, available);
        QFETCH(QPoint, place);
        QCOMPARE(nerimo::PlaceOnScreen(available, nerimo::kWindowSize), place);
    }

    // "Save as start-up settings" on the disk: the file replaced whole, its comments and its
    // permissions kept; never a file that is not the user's alone to change, whatever root may
    // do, and the file then as it was.
    void savesOnlyTheUsersOwnFile_data() {
        QTest::addColumn<QString>("made");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("the user's own") << "own" << QString();
        QTest::newRow("read-only") << "read-only" << QStringLiteral("it is read-only");
        QTest::newRow("a link") << "link" << QStringLiteral("it is a link to ");
        QTest::newRow("hard links") << "hard link" << QStringLiteral("it has 2 names");
        QTest::newRow("another user's") << "other user" << QStringLiteral("another user");
    }
    void savesOnlyTheUsersOwnFile() {
        QFETCH(QString, made);
        QFETCH(QString, refusal);
        const QTemporaryDir folder;
        const QString real = folder.filePath("real.ini");
        const QString path = made == "own" || made == "read-only" || made == "other user"
                                 ? real
                                 : folder.filePath("Nerimo.ini");
        const QByteArray mine = "# the shack's\nMHZ=145\n";
        QFile file(real);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(mine);
        file.close();
        QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        if (made == "read-only") {
            QVERIFY(file.setPermissions(QFile::ReadOwner));
        } else if (made == "link") {
            QVERIFY(QFile::link(real, path));
        } else if (made == "hard link") {
            QCOMPARE(::link(QFile::encodeName(real), QFile::encodeName(path)), 0);
        } else if (made == "other user") {
            if (::getuid() != 0) {
                QSKIP("only root can give a file to another user");
            }
            QCOMPARE(::chown(QFile::encodeName(real), 65534, 65534), 0);
        }
        const QFile::Permissions before = file.permissions();
        nerimo::platform::DiskFileAccess disk;
        const QString said = nerimo::SaveSettings(disk, path, {{"MHZ=", "430"}});
        QVERIFY2(refusal.isEmpty() ? said.isEmpty() : said.contains(refusal), qPrintable(said));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), refusal.isEmpty() ? QByteArray("# the shack's\nMHZ=430\n") : mine);
        QCOMPARE(file.permissions(), before);
    }

    // What a desktop user expects of a window with no frame: the title strip drags it (not its
    // buttons), Ctrl+Q closes it, a caption toggles its box, the focused button is marked, and
    // a later copy's request brings it back.
    void behavesAsADesktopWindow() {
        Show();
        const QPoint start = form_->pos();
        for (const char* part : {"titleStrip", "titleLabel", "minimiseButton"}) {
            QWidget* strip = Control(part);
            const QPoint grip(4, 4);
            QTest::mousePress(strip, Qt::LeftButton, {}, grip);
            QMouseEvent drag(QEvent::MouseMove, QPointF(grip + QPoint(30, 20)),
                             QPointF(strip->mapToGlobal(grip) + QPoint(30, 20)), Qt::NoButton,
                             Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(strip, &drag);
            QTest::mouseRelease(strip, Qt::LeftButton, {}, grip + QPoint(30, 20));
        }
        QCOMPARE(form_->pos(), start + 2 * QPoint(30, 20));  // not by the "-" button

        auto* check = qobject_cast<QCheckBox*>(Control("gridBox"));
        QCOMPARE(check->accessibleName(), QStringLiteral("Grid"));
        QTest::mouseClick(Control("gridCaption"), Qt::LeftButton);
        QVERIFY(check->isChecked());
        QCOMPARE(qobject_cast<QCheckBox*>(Control("clearAtStartBox"))->accessibleName(),
                 QStringLiteral("Clear at start"));

        Control("minimiseButton")->setFocus();
        const QImage unfocused = Control("startButton")->grab().toImage();
        Control("startButton")->setFocus();
        QVERIFY(Control("startButton")->grab().toImage() != unfocused);

        form_->showMinimized();
        program_.showRequested();
        QVERIFY(!form_->isMinimized());

        QTest::keyClick(form_.get(), Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(program_.endCalls, 1);
        QCOMPARE(port_.calls.last(), QStringLiteral("close"));
    }

    // A close request from the desktop in the middle of a run does what " X" does.
    void closeEndsTheProgram() {
        Show();
        Click("startButton");
        QVERIFY(form_->close());
        QCOMPARE(program_.endCalls, 1);
        QCOMPARE(port_.calls.last(), QStringLiteral("close"));
        scheduler_.RunFor(5);
        QCOMPARE(port_.written.size(), 1);  // nothing goes out after it
    }

    // Watching sensors with no receiver: the table of those heard and their state as it
    // changes (the will at once), the one named on the command line opened by itself, another by
    // Enter, each history window fed by its sweeps and activities; the current one's last sweep
    // drawn as a trace; the broker's state in the status bar and the title.
    void watchesSensorsWithNoReceiver() {
        const QTemporaryDir folder;
        nerimo::WatchWindow window({broker_,
                                    clock_,
                                    messages_,
                                    files_,
                                    folder.filePath("Nerimo.ini"),
                                    {"h", 1883, false, {}, "nerimo", "w", {}, {}},
                                    {"s1"}});
        window.show();
        window.Start();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.windowTitle(), QStringLiteral("Nerimo: 0 sensors at h:1883, 0 online"));
        broker_.Say(nerimo::Broker::Event::Connected);
        QCOMPARE(window.Status(), QStringLiteral("Watching the sensors at h:1883."));
        const auto hear = [&](const QByteArray& topic, const QByteArray& payload) {
            broker_.messages(topic, payload);
        };
        const auto sweep = [](const char* time, const char* power) {
            return QByteArray("{\"id\":\"x\",\"timestamp\":\"") + time +
                   "\",\"hz_lo\":145000000,\"hz_hi\":145050000,\"step\":12500,\"samples\":1,"
                   "\"power\":[" +
                   power + "]}";
        };
        hear("nerimo/s1/status", "{\"since\":\"2026-12-07T09:00:00Z\",\"state\":\"online\"}");
        hear("nerimo/s1/sweep", sweep("2026-12-07T09:20:30Z", "0,1,9,5,0"));
        hear("nerimo/s2/sweep", sweep("2026-12-07T09:20:31Z", "0,0,0,0,16"));
        hear("nerimo/s1/activity",
             "{\"Frequency_Hz\":145025000,\"Name\":\"Net\",\"Max_Level\":9,\"Sweeps\":3,"
             "\"Start_Timestamp\":\"2026-12-07T09:18:00Z\",\"End_Timestamp\":\"2026-12-07T09:20:"
             "30Z\"}");
        QCOMPARE(window.windowTitle(), QStringLiteral("Nerimo: 2 sensors at h:1883, 2 online"));
        const QAbstractItemModel& table = *window.sensorView().model();
        QCOMPARE(table.rowCount(), 2);
        QCOMPARE(table.index(0, nerimo::SensorTable::Range).data().toString(),
                 QStringLiteral("145.0000 – 145.0500 MHz"));

        nerimo::HistoryWindow* first = window.HistoryOf("s1");
        QVERIFY(first && first->isVisible() && !window.HistoryOf("s2"));
        QCOMPARE(first->view().model().rows().size(), size_t(1));
        QCOMPARE(first->view().model().Value(first->view().model().rows()[0], 2), 9.0);
        QTRY_COMPARE(first->activityView().model()->rowCount(), 1);
        QCOMPARE(first->windowTitle(), QStringLiteral("Nerimo history: sensor s1, online"));
        QVERIFY2(first->view().accessibleDescription().startsWith("1 sweep, from ") &&
                     first->view().accessibleDescription().contains(
                         "The newest: strongest level 9 at 145.0250 MHz."),
                 qPrintable(first->view().accessibleDescription()));

        // The trace of s1, current as the first row: its peak at the middle step.
        nerimo::TraceView& trace = window.trace();
        const QDateTime swept(QDate(2026, 12, 7), QTime(9, 20, 30), Qt::UTC);
        QCOMPARE(trace.accessibleDescription(),
                 QStringLiteral("s1 at %1: strongest level 9 at 145.0250 MHz")
                     .arg(swept.toLocalTime().toString(Qt::ISODate)));
        const QImage drawn = trace.grab().toImage();
        int top = drawn.height();
        int topX = -1;
        for (int x = 0; x < drawn.width(); ++x) {
            for (int y = 0; y < top; ++y) {
                if (drawn.pixelColor(x, y) == QColor(Qt::green)) {
                    top = y;
                    topX = x;
                }
            }
        }
        QVERIFY2(qAbs(topX - drawn.width() / 2) <= 2, qPrintable(QString::number(topX)));

        window.sensorView().setFocus();
        window.sensorView().selectRow(1);
        QTest::keyClick(&window.sensorView(), Qt::Key_Return);
        nerimo::HistoryWindow* second = window.HistoryOf("s2");
        QVERIFY(second && second->isVisible());
        QCOMPARE(second->view().model().rows().size(), size_t(1));  // the sweep heard before
        QVERIFY(trace.accessibleDescription().startsWith("s2 at "));

        // Its will: offline at once, since it was heard.
        hear("nerimo/s1/status", "{\"since\":null,\"state\":\"offline\"}");
        QCOMPARE(table.index(0, nerimo::SensorTable::State).data().toString(),
                 QStringLiteral("offline"));
        QCOMPARE(first->windowTitle(), QStringLiteral("Nerimo history: sensor s1, offline"));
        broker_.Say(nerimo::Broker::Event::Lost, "the connection was closed");
        QCOMPARE(window.Status(), QStringLiteral("The broker at h:1883 is away (the connection "
                                                 "was closed); trying again."));
        QCOMPARE(window.windowTitle(),
                 QStringLiteral("Nerimo: 2 sensors at h:1883, 1 online (the broker is away)"));
    }
};

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
