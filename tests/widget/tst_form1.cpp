#include <QtTest>
#include <memory>

#include "Fakes.h"
#include "Form1.h"
#include "WindowPlace.h"

namespace {

struct Pointer {
    const char* name;
    double x;
    QString readout;
    int mouseX = int(x);
    QByteArray settings = {};
    const char* locale = "C";
    bool running = false;
    QRgb colour = qRgb(0, 255, 0);
};

struct PlotClick {
    const char* name;
    int x;
    QByteArray sent;   // the command, nothing when empty
    QString tuned;     // Label16 after the click
    QString before{};  // clicked before the plot
    QByteArray settings = {};
    Qt::MouseButton button = Qt::LeftButton;
    bool port = true;
};

}  // namespace

// The real window on the offscreen platform, with the platform seams in memory.
class Form1Test : public QObject {
    Q_OBJECT

    nerimo::testing::FakeProgram program_;
    nerimo::testing::FakeFileAccess files_;
    nerimo::testing::FakeMessageBox messages_;
    nerimo::testing::FakeSerialPort port_;
    nerimo::testing::FakeRadio radio_;
    nerimo::testing::FakeAppendFile log_;
    nerimo::testing::VirtualScheduler scheduler_;
    nerimo::testing::VirtualScheduler retry_;
    std::unique_ptr<nerimo::Form1> form_;

    void Show(const QByteArray& settings = {}, const char* locale = "C") {
        QLocale::setDefault(QLocale(QLatin1String(locale)));
        files_.next = {nerimo::platform::FileRead::Outcome::Read, settings, {}};
        form_ = std::make_unique<nerimo::Form1>(nerimo::Form1Services{
            program_, files_, messages_, port_, radio_, scheduler_, retry_, log_});
        QVERIFY(form_->Form_Load());
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
    void Click(const QString& name) { QTest::mouseClick(Control(name), Qt::LeftButton); }
    // Over the plot at x, from the background first: Qt drops a move to where the pointer is.
    void PointAt(double x) {
        QTest::mouseMove(form_.get(), QPoint(2, 300));
        QMouseEvent move(QEvent::MouseMove, QPointF(x, 100), QPointF(), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(Control("Picture1"), &move);
    }
    bool ChoicesEnabled(bool enabled) const {
        for (const char* name : {"Check1", "Check2", "Option1", "Option2", "Option3", "Option4"}) {
            if (Control(name)->isEnabled() != enabled) {
                return false;
            }
        }
        return true;
    }
    // Start shown, stop and continue hidden, the choices enabled, no status, no run.
    bool Idle() const {
        return Shown("Command8") && !Shown("Command9") && !Shown("Command3") &&
               Caption("Label15").isEmpty() && !form_->state().Scanning && ChoicesEnabled(true);
    }

  private slots:
    void init() {
        program_ = {};
        messages_ = {};
        port_ = {};
        scheduler_ = {};
        retry_ = {};
        log_ = {};
    }

    // Place, caption, face and tick of every control after start-up, with settings other than the
    // defaults in a comma-decimal locale, and the credit line under the pointer; the window fixed,
    // frameless and centred.
    void controlsAfterStartUp_data() {
        QTest::addColumn<QRect>("place");  // in window pixels
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QRgb>("face");  // at (3, 3) inside it; 0 where text or hidden
        // clang-format off
        const QList<std::tuple<const char*, QRect, const char*, QRgb>> controls = {
            {"Frame1", {0, 0, 815, 33}, nullptr, 0xff000000},
            {"Image1", {8, 0, 32, 32}, nullptr, 0},
            {"Label4", {64, 8, 281, 25}, "Nerimo analyze spectrum", 0},
            {"Label3", {360, 8, 289, 25}, "", 0}, {"Command1", {712, 8, 25, 17}, "-", 0xff808080},
            {"Command2", {744, 8, 25, 17}, " X", 0xffff8080},
            {"Command8", {120, 40, 33, 17}, "start", 0xff00ff00},
            {"Command9", {120, 40, 33, 17}, "stop", 0},
            {"Command3", {120, 80, 49, 17}, "continue", 0},
            {"Label7", {216, 40, 65, 17}, "Clear at start", 0},
            {"Check1", {288, 40, 17, 17}, nullptr, 0}, {"Label8", {360, 40, 33, 17}, "Grid", 0},
            {"Check2", {400, 40, 17, 17}, nullptr, 0}, {"Frame2", {216, 64, 113, 33}, nullptr, 0},
            {"Option1", {240, 64, 41, 33}, "FM", 0}, {"Option2", {288, 64, 41, 33}, "AM", 0},
            {"Frame3", {360, 64, 169, 33}, nullptr, 0}, {"Label1", {360, 72, 33, 21}, "span", 0},
            {"Option3", {400, 64, 57, 33}, "1 MHz", 0}, {"Option4", {464, 64, 57, 33}, "8 MHz", 0},
            {"Label15", {576, 56, 185, 15}, "", 0xff404040}, {"Label16", {576, 72, 185, 15}, "", 0},
            {"Picture1", {64, 136, 720, 350}, nullptr, 0xff000000},
            {"Picture4", {64, 487, 720, 15}, nullptr, 0xff000000},
            {"Label5", {104, 504, 116, 17}, "1145,5000", 0}, {"Label9", {352, 504, 145, 25}, "", 0},
            {"Label6", {688, 504, 116, 17}, "1153,5000", 0},
        };
        // clang-format on
        for (const auto& [name, place, caption, face] : controls) {
            QTest::newRow(name) << place << QString::fromLatin1(caption) << face;
        }
    }
    void controlsAfterStartUp() {
        QFETCH(QRect, place);
        QFETCH(QString, caption);
        QFETCH(QRgb, face);
        Show("FM_AM=A\nSPAN=8\nGRID=1\nCLEAR_SCREEN=1\nMHZ=1145.5\n", "de_DE");
        QWidget* control = Control(QLatin1String(QTest::currentDataTag()));
        QCOMPARE(QRect(control->mapTo(form_.get(), QPoint(0, 0)), control->size()), place);
        if (!caption.isNull()) {
            QCOMPARE(Caption(control->objectName()), caption);
        }
        if (auto* choice = qobject_cast<QAbstractButton*>(control);
            choice && choice->isCheckable()) {
            const QStringList ticked = {"Option2", "Option4", "Check1", "Check2"};
            QCOMPARE(choice->isChecked(), ticked.contains(control->objectName()));
        }
        const QImage window = form_->grab().toImage();
        QVERIFY(face == 0 || window.pixel(place.topLeft() + QPoint(3, 3)) == face);
        QCOMPARE(window.pixelColor(20, 300), QColor(64, 64, 64));
        QVERIFY(Idle());
        QCOMPARE(int(form_->state().PixelsPerStep), 1);
        QCOMPARE(form_->size(), QSize(812, 541));
        QCOMPARE(form_->minimumSize(), form_->maximumSize());
        QVERIFY(form_->windowFlags().testFlag(Qt::FramelessWindowHint));
        // The offscreen screen is 800 pixels wide: the window starts at its left edge.
        QCOMPARE(form_->pos(), QPoint(0, (800 - 541) / 2));
        // The credit line shows while the pointer is over the title strip, its labels or " X",
        // and goes when it reaches the window's background.
        QTest::mouseMove(control, QPoint(2, 2));
        QTest::mouseMove(control, QPoint(3, 3));
        const bool credit =
            QStringList{"Frame1", "Label4", "Label3", "Command2"}.contains(control->objectName());
        QCOMPARE(Caption("Label3"), credit ? "Made by the Nerimo team   v.2.4 - 03/04/2014" : "");
        QTest::mouseMove(form_.get(), QPoint(20, 300));
        QCOMPARE(Caption("Label3"), QString());
    }

    // The panel through a run that holds on a signal, is minimised and restored, goes on by
    // "continue" and is stopped.
    void panelFollowsTheRun() {
        Show("PAUSE=99\n");
        port_.answer = [](const QByteArray& last) {
            return last == "145.0125N" ? QByteArray("G") : QByteArray("\r\n");
        };
        Click("Command8");
        QVERIFY(Shown("Command9") && !Shown("Command8"));
        QVERIFY(ChoicesEnabled(false));
        QCOMPARE(Caption("Label15"), QStringLiteral("scan"));
        QCOMPARE(TextColour("Label15"), QColor(0, 255, 0));

        QVERIFY(scheduler_.RunUntil([&] { return Shown("Command3"); }, 5));
        QVERIFY(Control("Command3")->isEnabled());
        QCOMPARE(Caption("Label15"), QStringLiteral("pause"));
        QCOMPARE(TextColour("Label15"), QColor(255, 0, 0));
        QCOMPARE(Caption("Label16"), QStringLiteral("MHz 145.0125"));

        // Minimised and restored: the run, and what was drawn meanwhile, are still there.
        Click("Command1");
        QVERIFY(form_->isMinimized());
        auto* plot = form_->findChild<nerimo::platform::SurfaceWidget*>(QStringLiteral("Picture1"));
        plot->DrawLine(100, 100, 120, 100, qRgb(0, 255, 0));
        form_->showNormal();
        QCOMPARE(plot->grab().toImage().pixel(110, 100), qRgb(0, 255, 0));
        QCOMPARE(Caption("Label15"), QStringLiteral("pause"));

        Click("Command3");  // continue: the next step at the end of the hold cycle
        QVERIFY(scheduler_.RunUntil([&] { return port_.written.size() == 3; }, 1.2));
        QVERIFY(!Shown("Command3"));
        QCOMPARE(Caption("Label15"), QStringLiteral("scan"));

        Click("Command9");
        QVERIFY(Idle());  // at once, while the run finishes its step
        scheduler_.RunFor(5);
        QVERIFY(Idle());
        QCOMPARE(port_.written.size(), 3);
    }

    void spanChoiceErasesAndSetsTheEnd() {
        Show("GRID=0\n");
        auto* plot = form_->findChild<nerimo::platform::SurfaceWidget*>(QStringLiteral("Picture1"));
        plot->DrawLine(100, 100, 200, 100, qRgb(0, 255, 0));
        Click("Option4");
        QCOMPARE(plot->PixelAt(150, 100), qRgb(0, 0, 0));
        QCOMPARE(Caption("Label6"), QStringLiteral("153.0000"));
        QCOMPARE(int(form_->state().PixelsPerStep), 1);  // the read-out follows the new span
        Click("Option2");
        QCOMPARE(form_->state().ModeLetter, QByteArray("A"));
        QCOMPARE(form_->state().EndMHz, 153.0);
    }

    // The read-out is taken from the pointer's own x, also between pixels; MouseX, which the
    // click uses, is x rounded half to even.
    void readoutFollowsThePointer_data() {
        nerimo::testing::AddRows<Pointer>({
            {"2nd point", 52, "145.0125 MHz"},
            {"between pixels", 51.6, "145.0000 MHz", 52},
            {"half to even", 50.5, "145.0000 MHz", 50},
            {"margin", 43, ""},
            {"8 MHz, running", 45, "145.0125 MHz", 45, "SPAN=8", "C", true},
            {"orange", 52, "145.0125 MHz", 52, "COLOR=2", "C", false, qRgb(255, 140, 0)},
            {"comma", 52, "145,0125 MHz", 52, "", "de_DE"},
        });
    }
    void readoutFollowsThePointer() {
        QFETCH(Pointer, row);
        Show(row.settings, row.locale);
        if (row.running) {
            Click("Command8");
        }
        PointAt(row.x);
        QCOMPARE(int(form_->state().MouseX), row.mouseX);
        QCOMPARE(Caption("Label9"), row.readout);
        QVERIFY(row.readout.isEmpty() || TextColour("Label9").rgb() == row.colour);
        QCOMPARE(Control("Picture1")->cursor().shape(),
                 row.running ? Qt::ArrowCursor : Qt::CrossCursor);
    }

    void clickTunesTheReceiver_data() {
        nerimo::testing::AddRows<PlotClick>({
            {"2nd point", 55, "145.0125N", "MHz 145.0125"},
            {"margin", 43, "", ""},
            {"right button", 52, "", "", "", "", Qt::RightButton},
            {"AM", 44, "145.0000A", "MHz 145.0000", "Option2"},
            // Right after a span change, with no run since, the click follows the new span.
            {"8 MHz chosen", 45, "145.0125N", "MHz 145.0125", "Option4"},
            {"1 MHz chosen", 52, "145.0125N", "MHz 145.0125", "Option3", "SPAN=8"},
            {"many decimals", 52, "145.0125N", "MHz 145.0125", "", "MHZ=145.00001"},
            {"no port", 52, "", "MHz 145.0125", "", "", Qt::LeftButton, false},
            {"during a run", 300, "145.0000N", "MHz 145.0000", "Command8"},
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
        QTest::mouseClick(Control("Picture1"), row.button, {}, QPoint(row.x, 100));
        QCOMPARE(port_.written.join(' '), row.sent);
        QCOMPARE(Caption("Label16"), row.tuned);
        QCOMPARE(messages_.shown.size(), row.port ? 0 : 1);  // the open failure only
    }

    // Stopped, the click tunes at once, while the run finishes its step, which sends no more.
    void clickTunesWhileAStoppedRunFinishes() {
        Show();
        Click("Command8");
        Click("Command9");
        PointAt(300);
        QTest::mouseClick(Control("Picture1"), Qt::LeftButton, {}, QPoint(300, 1));
        scheduler_.RunFor(2);
        QCOMPARE(port_.written.join(' '), QByteArray("145.0000N 145.4000N"));
    }

    // The plot's menu in a run: the picture it saves is the plot and its scale strip as they
    // are on screen; the log item starts a log, and then stops it.
    void plotMenuKeepsTheSweeps() {
        Show("GRID=1\n");
        port_.answer = [](const QByteArray& last) {
            return last.endsWith("0N") ? QByteArray("J") : QByteArray("C");
        };
        Click("Command8");
        QVERIFY(scheduler_.RunUntil([&] { return port_.written.size() == 30; }, 10));
        QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(300, 100),
                                     Control("Picture1")->mapToGlobal(QPoint(300, 100)));
        QApplication::sendEvent(Control("Picture1"), &rightClick);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu);
        const QList<QAction*> items = menu->actions();
        QCOMPARE(items.size(), 2);
        QCOMPARE(items[0]->text(), QStringLiteral("Save picture…"));
        QCOMPARE(items[0]->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
        QCOMPARE(items[1]->text(), QStringLiteral("Log sweeps to…"));
        QCOMPARE(items[1]->shortcut(), QKeySequence(QStringLiteral("Ctrl+L")));
        menu->close();

        const QTemporaryDir dir;
        QVERIFY(form_->keep().SavePicture(dir.filePath(QStringLiteral("plot.png"))));
        const QImage onScreen =
            form_->grab(QRect(64, 136, 720, 366)).toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(QImage(dir.filePath(QStringLiteral("plot.png"))), onScreen);

        form_->StartLog(QStringLiteral("sweeps.csv"));
        QCOMPARE(items[1]->text(), QStringLiteral("Stop logging"));
        QVERIFY(scheduler_.RunUntil([&] { return !log_.written.isEmpty(); }, 20));
        QVERIFY(log_.written.contains(", 145000000, 146000000, 12500, 1, 10, 3, 10, "));
        QTest::keyClick(form_.get(), Qt::Key_L, Qt::ControlModifier);
        QCOMPARE(items[1]->text(), QStringLiteral("Log sweeps to…"));
        QVERIFY(log_.path.isEmpty());
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
        QCOMPARE(nerimo::PlaceOnScreen(available, QSize(812, 541)), place);
    }

    // What a desktop user expects of a window with no frame: the title strip drags it (not its
    // buttons), Ctrl+Q closes it, a caption toggles its box, the focused button is marked, and
    // a later copy's request brings it back.
    void behavesAsADesktopWindow() {
        Show();
        const QPoint start = form_->pos();
        for (const char* part : {"Frame1", "Label4", "Command1"}) {
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

        auto* check = qobject_cast<QCheckBox*>(Control("Check2"));
        QCOMPARE(check->accessibleName(), QStringLiteral("Grid"));
        QTest::mouseClick(Control("Label8"), Qt::LeftButton);
        QVERIFY(check->isChecked());
        QCOMPARE(qobject_cast<QCheckBox*>(Control("Check1"))->accessibleName(),
                 QStringLiteral("Clear at start"));

        Control("Command1")->setFocus();
        const QImage unfocused = Control("Command8")->grab().toImage();
        Control("Command8")->setFocus();
        QVERIFY(Control("Command8")->grab().toImage() != unfocused);

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
        Click("Command8");
        QVERIFY(form_->close());
        QCOMPARE(program_.endCalls, 1);
        QCOMPARE(port_.calls.last(), QStringLiteral("close"));
        scheduler_.RunFor(5);
        QCOMPARE(port_.written.size(), 1);  // nothing goes out after it
    }
};

QTEST_MAIN(Form1Test)
#include "tst_form1.moc"
