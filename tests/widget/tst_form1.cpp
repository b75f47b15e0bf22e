#include <QtTest>
#include <memory>

#include "Fakes.h"
#include "Form1.h"

using nerimo::Form1;
using nerimo::testing::FakeFileAccess;
using nerimo::testing::FakeMessageBox;
using nerimo::testing::FakeProgram;
using nerimo::testing::FakeSerialPort;
using nerimo::testing::VirtualScheduler;

class Form1Test : public QObject {
    Q_OBJECT

    FakeProgram program_;
    FakeFileAccess files_;
    FakeMessageBox messages_;
    FakeSerialPort port_;
    VirtualScheduler scheduler_;

    std::unique_ptr<Form1> Shown(const QByteArray& settings = {}) {
        files_.next = {nerimo::platform::FileRead::Outcome::Read, settings, {}};
        auto form = std::make_unique<Form1>(
            nerimo::Form1Services{program_, files_, messages_, port_, scheduler_});
        if (!form->Form_Load()) {
            return nullptr;
        }
        form->show();
        if (!QTest::qWaitForWindowExposed(form.get())) {
            return nullptr;
        }
        return form;
    }

    static QWidget* Control(Form1& form, const char* name) {
        return form.findChild<QWidget*>(QLatin1String(name));
    }

    // Qt drops a move to where the pointer already is, so each move starts from the background.
    static void PointAt(Form1& form, int x, int y) {
        QTest::mouseMove(&form, QPoint(2, 300));
        QTest::mouseMove(Control(form, "Picture1"), QPoint(x, y));
    }

    static QString Caption(Form1& form, const char* name) {
        QWidget* control = Control(form, name);
        if (auto* label = qobject_cast<QLabel*>(control)) {
            return label->text();
        }
        return qobject_cast<QAbstractButton*>(control)->text();
    }

  private slots:
    void init() {
        program_ = FakeProgram{};
        files_ = FakeFileAccess{};
        port_ = FakeSerialPort{};
        messages_ = FakeMessageBox{};
        QLocale::setDefault(QLocale::c());
    }

    void windowIsFixedFramelessAndCentred() {
        auto form = Shown();
        QVERIFY(form);
        QCOMPARE(form->size(), QSize(812, 541));
        QCOMPARE(form->minimumSize(), form->maximumSize());
        QVERIFY(form->windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(form->windowTitle(), QStringLiteral("Nerimo"));
        const QRect screen = form->screen()->geometry();
        QCOMPARE(form->geometry().center().x(), screen.center().x());
        QVERIFY(qAbs(form->geometry().center().y() - screen.center().y()) <= 1);
    }

    void controlsStandAtTheirPlaces_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("place");  // in window pixels
        const QList<QPair<const char*, QRect>> places = {
            {"Frame1", {0, 0, 815, 33}},       {"Image1", {8, 0, 32, 32}},
            {"Label4", {64, 8, 281, 25}},      {"Label3", {360, 8, 289, 25}},
            {"Command1", {712, 8, 25, 17}},    {"Command2", {744, 8, 25, 17}},
            {"Command8", {120, 40, 33, 17}},   {"Command9", {120, 40, 33, 17}},
            {"Command3", {120, 80, 49, 17}},   {"Label7", {216, 40, 65, 17}},
            {"Check1", {288, 40, 17, 17}},     {"Label8", {360, 40, 33, 17}},
            {"Check2", {400, 40, 17, 17}},     {"Frame2", {216, 64, 113, 33}},
            {"Option1", {240, 64, 41, 33}},    {"Option2", {288, 64, 41, 33}},
            {"Frame3", {360, 64, 169, 33}},    {"Label1", {360, 72, 33, 21}},
            {"Option3", {400, 64, 57, 33}},    {"Option4", {464, 64, 57, 33}},
            {"Label15", {576, 56, 185, 15}},   {"Label16", {576, 72, 185, 15}},
            {"Picture1", {64, 136, 720, 350}}, {"Picture4", {64, 487, 720, 15}},
            {"Label5", {104, 504, 116, 17}},   {"Label9", {352, 504, 145, 25}},
            {"Label6", {688, 504, 116, 17}},
        };
        for (const auto& [name, place] : places) {
            QTest::newRow(name) << QString::fromLatin1(name) << place;
        }
    }

    void controlsStandAtTheirPlaces() {
        QFETCH(QString, name);
        QFETCH(QRect, place);
        auto form = Shown();
        QVERIFY(form);
        auto* control = form->findChild<QWidget*>(name);
        QVERIFY(control);
        QCOMPARE(QRect(control->mapTo(form.get(), QPoint(0, 0)), control->size()), place);
    }

    void facesShowTheirColours_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QColor>("face");
        QTest::newRow("start") << "Command8" << QColor(0, 255, 0);
        QTest::newRow("stop") << "Command9" << QColor(255, 0, 0);
        QTest::newRow("continue") << "Command3" << QColor(255, 255, 0);
        QTest::newRow("minimise") << "Command1" << QColor(128, 128, 128);
        QTest::newRow("close") << "Command2" << QColor(255, 128, 128);
        QTest::newRow("title strip") << "Frame1" << QColor(0, 0, 0);
        QTest::newRow("plot") << "Picture1" << QColor(0, 0, 0);
        QTest::newRow("scale strip") << "Picture4" << QColor(0, 0, 0);
        QTest::newRow("status") << "Label15" << QColor(64, 64, 64);
    }

    void facesShowTheirColours() {
        QFETCH(QString, name);
        QFETCH(QColor, face);
        auto form = Shown();
        QVERIFY(form);
        if (name == QLatin1String("Command9")) {
            form->ShowStart(false);
        } else if (name == QLatin1String("Command3")) {
            form->SetContinueOffered(true);
        }
        const QImage window = form->grab().toImage();
        auto* control = form->findChild<QWidget*>(name);
        const QPoint inside = control->mapTo(form.get(), QPoint(3, 3));
        QCOMPARE(window.pixelColor(inside), face);
        QCOMPARE(window.pixelColor(20, 300), QColor(64, 64, 64));
    }

    void captionsAfterStartUp() {
        auto form = Shown();
        QVERIFY(form);
        QCOMPARE(Caption(*form, "Label1"), QStringLiteral("span"));
        QCOMPARE(Caption(*form, "Label3"), QString());
        QCOMPARE(Caption(*form, "Label4"), QStringLiteral("Nerimo analyze spectrum"));
        QCOMPARE(Caption(*form, "Label7"), QStringLiteral("Clear at start"));
        QCOMPARE(Caption(*form, "Label8"), QStringLiteral("Grid"));
        QCOMPARE(Caption(*form, "Command2"), QStringLiteral(" X"));
        QCOMPARE(Caption(*form, "Label5"), QStringLiteral("145.0000"));
        QCOMPARE(Caption(*form, "Label6"), QStringLiteral("146.0000"));
        QVERIFY(Control(*form, "Command8")->isVisible() && Control(*form, "Command8")->isEnabled());
        QVERIFY(!Control(*form, "Command9")->isVisible());
        QVERIFY(!Control(*form, "Command3")->isVisible() &&
                !Control(*form, "Command3")->isEnabled());
        QCOMPARE(int(form->state().Scanning), 0);
    }

    void settingsReachTheControls_data() {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<int>("pixelsPerStep");
        QTest::addColumn<QString>("endLabel");
        QTest::newRow("defaults") << QByteArray() << "Option1 Option3" << 8 << "146.0000";
        QTest::newRow("AM, 8 MHz, grid")
            << QByteArray("FM_AM=A\nSPAN=8\nGRID=1\nCLEAR_SCREEN=1\nMHZ=430\n")
            << "Option2 Option4 Check1 Check2" << 1 << "438.0000";
    }

    void settingsReachTheControls() {
        QFETCH(QByteArray, settings);
        QFETCH(QString, selected);
        QFETCH(int, pixelsPerStep);
        QFETCH(QString, endLabel);
        auto form = Shown(settings);
        QVERIFY(form);
        QStringList ticked;
        for (const char* name : {"Option1", "Option2", "Option3", "Option4", "Check1", "Check2"}) {
            if (qobject_cast<QAbstractButton*>(Control(*form, name))->isChecked()) {
                ticked << QLatin1String(name);
            }
        }
        QCOMPARE(ticked.join(QLatin1Char(' ')), selected);
        QCOMPARE(int(form->state().PixelsPerStep), pixelsPerStep);
        QCOMPARE(Caption(*form, "Label6"), endLabel);
        QCOMPARE(form->state().EndMHz, form->state().StartMHz + form->state().SpanMHz);
    }

    void scaleLabelsUseTheLocaleSeparator() {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        auto form = Shown("MHZ=1145.5\n");
        QVERIFY(form);
        QCOMPARE(Caption(*form, "Label5"), QStringLiteral("1145,5000"));
        QCOMPARE(Caption(*form, "Label6"), QStringLiteral("1146,5000"));
    }

    // The pointer over each control of the title strip, then over the bare background.
    void creditLineFollowsThePointer_data() {
        QTest::addColumn<QString>("over");
        QTest::addColumn<bool>("credit");
        QTest::newRow("title strip") << "Frame1" << true;
        QTest::newRow("title") << "Label4" << true;
        QTest::newRow("credit label") << "Label3" << true;
        QTest::newRow("close button") << "Command2" << true;
        QTest::newRow("icon") << "Image1" << false;
        QTest::newRow("minimise button") << "Command1" << false;
    }

    void creditLineFollowsThePointer() {
        QFETCH(QString, over);
        QFETCH(bool, credit);
        auto form = Shown();
        QVERIFY(form);
        auto* target = form->findChild<QWidget*>(over);
        QTest::mouseMove(target, QPoint(2, 2));
        QTest::mouseMove(target, QPoint(3, 3));
        const QString expected =
            credit ? QStringLiteral("Made by the Nerimo team   v.2.4 - 03/04/2014") : QString();
        QCOMPARE(Caption(*form, "Label3"), expected);
    }

    void backgroundClearsCreditReadoutAndPointer() {
        auto form = Shown();
        QVERIFY(form);
        QTest::mouseMove(Control(*form, "Label4"), QPoint(5, 5));
        qobject_cast<QLabel*>(Control(*form, "Label9"))->setText(QStringLiteral("145.0000 MHz"));
        form->setCursor(Qt::CrossCursor);

        // Over a label of the window the read-out and the credit stay.
        QTest::mouseMove(Control(*form, "Label5"), QPoint(5, 5));
        QVERIFY(!Caption(*form, "Label3").isEmpty());
        QVERIFY(!Caption(*form, "Label9").isEmpty());

        QTest::mouseMove(form.get(), QPoint(20, 300));
        QCOMPARE(Caption(*form, "Label3"), QString());
        QCOMPARE(Caption(*form, "Label9"), QString());
        QCOMPARE(form->cursor().shape(), Qt::ArrowCursor);
    }

    void secondInstanceReadsNoSettings() {
        program_.anotherInstance = true;
        files_.next = {nerimo::platform::FileRead::Outcome::Read, {}, {}};
        Form1 form({program_, files_, messages_, port_, scheduler_});
        QVERIFY(!form.Form_Load());
        QVERIFY(files_.pathsRead.isEmpty());
        QVERIFY(!form.isVisible());
    }

    void closeButtonEndsTheProgram() {
        auto form = Shown();
        QVERIFY(form);
        QTest::mouseClick(Control(*form, "Command2"), Qt::LeftButton);
        QCOMPARE(program_.endCalls, 1);
        QCOMPARE(port_.calls.last(), QStringLiteral("close"));
    }

    void portFailureIsShownAndStartUpGoesOn() {
        port_.openResult = {false, QStringLiteral("No such file or directory"), false};
        auto form = Shown("COM=3\n");
        QVERIFY(form);
        QCOMPARE(messages_.shown, QStringList{"COM3\r\nNo such file or directory"});
        QVERIFY(form->isVisible());
        QCOMPARE(int(form->state().PixelsPerStep), 8);
    }

    static QColor TextColour(Form1& form, const char* name) {
        return Control(form, name)->palette().color(QPalette::WindowText);
    }

    static bool Idle(Form1& form) {
        bool idle =
            Control(form, "Command8")->isVisible() && Control(form, "Command8")->isEnabled() &&
            !Control(form, "Command9")->isVisible() && !Control(form, "Command3")->isVisible();
        for (const char* name : {"Check1", "Check2", "Option1", "Option2", "Option3", "Option4"}) {
            idle = idle && Control(form, name)->isEnabled();
        }
        return idle && Caption(form, "Label15").isEmpty() && form.state().Scanning == 0;
    }

    void panelFollowsTheRunThroughAHold() {
        auto form = Shown("PAUSE=99\n");
        QVERIFY(form);
        port_.answer = [](const QByteArray& last) {
            return last == "145.0125N" ? QByteArray("G") : QByteArray();
        };
        QVERIFY(Idle(*form));
        QTest::mouseClick(Control(*form, "Command8"), Qt::LeftButton);
        QVERIFY(!Control(*form, "Command8")->isVisible());
        QVERIFY(Control(*form, "Command9")->isVisible() && Control(*form, "Command9")->isEnabled());
        for (const char* name : {"Check1", "Check2", "Option1", "Option2", "Option3", "Option4"}) {
            QVERIFY(!Control(*form, name)->isEnabled());
        }
        QCOMPARE(Caption(*form, "Label15"), QStringLiteral("scan"));
        QCOMPARE(TextColour(*form, "Label15"), QColor(0, 255, 0));
        QCOMPARE(int(form->state().Scanning), 1);

        QVERIFY(scheduler_.RunUntil([&] { return Control(*form, "Command3")->isVisible(); }, 5));
        QVERIFY(Control(*form, "Command3")->isEnabled());
        QCOMPARE(Caption(*form, "Label15"), QStringLiteral("pause"));
        QCOMPARE(TextColour(*form, "Label15"), QColor(255, 0, 0));
        QCOMPARE(Caption(*form, "Label16"), QStringLiteral("MHz 145.0125"));

        QTest::mouseClick(Control(*form, "Command9"), Qt::LeftButton);
        QVERIFY(Idle(*form));  // at once, while the run finishes its hold cycle
        scheduler_.RunUntil(scheduler_.now + 5);
        QVERIFY(Idle(*form));
        QCOMPARE(port_.written.size(), 2);
    }

    void continueEndsAHold() {
        auto form = Shown("PAUSE=99\n");
        QVERIFY(form);
        port_.answer = [](const QByteArray& last) {
            return last == "145.0125N" ? QByteArray("G") : QByteArray();
        };
        QTest::mouseClick(Control(*form, "Command8"), Qt::LeftButton);
        QVERIFY(scheduler_.RunUntil([&] { return Control(*form, "Command3")->isVisible(); }, 5));
        QTest::mouseClick(Control(*form, "Command3"), Qt::LeftButton);
        QVERIFY(scheduler_.RunUntil([&] { return port_.written.size() == 3; }, 1.5));
        QVERIFY(!Control(*form, "Command3")->isVisible());
        QCOMPARE(Caption(*form, "Label15"), QStringLiteral("scan"));
    }

    void restartAfterAStopInAPauseBeginsWithADot() {
        auto form = Shown("PAUSE=10\nCLEAR_SCREEN=1\n");
        QVERIFY(form);
        port_.answer = [](const QByteArray& last) {
            return last == "145.0125N" ? QByteArray("P") : QByteArray();
        };
        auto* plot = form->findChild<nerimo::platform::SurfaceWidget*>(QStringLiteral("Picture1"));
        QTest::mouseClick(Control(*form, "Command8"), Qt::LeftButton);
        QVERIFY(scheduler_.RunUntil([&] { return Caption(*form, "Label15") == "pause"; }, 5));
        QCOMPARE(plot->PixelAt(52, 3), qRgb(0, 255, 0));  // level 16 at the second step
        QTest::mouseClick(Control(*form, "Command9"), Qt::LeftButton);
        QTest::mouseClick(Control(*form, "Command8"), Qt::LeftButton);
        QVERIFY(scheduler_.RunUntil([&] { return form->state().StepCount == 1; }, 1));
        QCOMPARE(plot->PixelAt(44, 339), qRgb(0, 255, 0));
        QCOMPARE(plot->PixelAt(48, 171), qRgb(0, 0, 0));  // not joined to the old trace
        QCOMPARE(plot->PixelAt(52, 3), qRgb(0, 0, 0));
    }

    void spanChoiceErasesAndSetsTheEnd() {
        auto form = Shown("GRID=0\n");
        QVERIFY(form);
        auto* plot = form->findChild<nerimo::platform::SurfaceWidget*>(QStringLiteral("Picture1"));
        plot->DrawLine(100, 100, 200, 100, qRgb(0, 255, 0));
        QTest::mouseClick(Control(*form, "Option4"), Qt::LeftButton);
        QCOMPARE(plot->PixelAt(150, 100), qRgb(0, 0, 0));
        QCOMPARE(Caption(*form, "Label6"), QStringLiteral("153.0000"));
        QCOMPARE(form->state().EndMHz, 153.0);
        QCOMPARE(int(form->state().PixelsPerStep), 1);  // the read-out follows the new span
        QTest::mouseClick(Control(*form, "Option2"), Qt::LeftButton);
        QCOMPARE(form->state().ModeLetter, QByteArray("A"));
        QCOMPARE(Caption(*form, "Label6"), QStringLiteral("153.0000"));
    }

    void drawingSurvivesMinimising() {
        auto form = Shown();
        QVERIFY(form);
        auto* plot = form->findChild<nerimo::platform::SurfaceWidget*>(QStringLiteral("Picture1"));
        plot->DrawLine(44, 339, 52, 200, qRgb(0, 255, 0));
        QTest::mouseClick(Control(*form, "Command1"), Qt::LeftButton);
        QVERIFY(form->isMinimized());
        plot->DrawLine(52, 200, 60, 3, qRgb(0, 255, 0));
        form->showNormal();
        const QImage shown = plot->grab().toImage();
        QCOMPARE(shown.pixelColor(44, 339), QColor(0, 255, 0));
        QCOMPARE(shown.pixelColor(52, 200), QColor(0, 255, 0));
        QCOMPARE(shown.pixelColor(60, 3), QColor(0, 255, 0));
        QCOMPARE(shown.pixelColor(100, 100), QColor(0, 0, 0));
        QCOMPARE(Caption(*form, "Label15"), QString());  // the display is not set up twice
    }

    void readoutFollowsThePointer_data() {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("x");
        QTest::addColumn<QString>("readout");
        QTest::addColumn<QColor>("colour");
        const QColor green(0, 255, 0);
        QTest::newRow("second point") << QByteArray() << "C" << 52 << "145.0125 MHz" << green;
        QTest::newRow("left margin") << QByteArray() << "C" << 43 << "" << green;
        QTest::newRow("8 MHz") << QByteArray("SPAN=8\n") << "C" << 45 << "145.0125 MHz" << green;
        QTest::newRow("orange") << QByteArray("COLOR=2\n") << "C" << 52 << "145.0125 MHz"
                                << QColor(255, 140, 0);
        QTest::newRow("comma locale") << QByteArray() << "de_DE" << 52 << "145,0125 MHz" << green;
    }
    void readoutFollowsThePointer() {
        QFETCH(QByteArray, settings);
        QFETCH(QString, locale);
        QFETCH(int, x);
        QFETCH(QString, readout);
        QFETCH(QColor, colour);
        QLocale::setDefault(QLocale(locale));
        auto form = Shown(settings);
        QVERIFY(form);
        PointAt(*form, x, 100);
        QCOMPARE(int(form->state().MouseX), x);
        QCOMPARE(Caption(*form, "Label9"), readout);
        QCOMPARE(TextColour(*form, "Label9"), colour);
    }

    // The read-out works during a run; only the pointer and the click differ.
    void pointerShapeFollowsTheRun() {
        auto form = Shown();
        QVERIFY(form);
        QWidget* plot = Control(*form, "Picture1");
        PointAt(*form, 52, 100);
        QCOMPARE(plot->cursor().shape(), Qt::CrossCursor);
        QTest::mouseClick(Control(*form, "Command8"), Qt::LeftButton);
        PointAt(*form, 60, 100);
        QCOMPARE(plot->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(Caption(*form, "Label9"), QStringLiteral("145.0250 MHz"));
    }

    void clickTunesTheReceiver_data() {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QString>("option");  // clicked before the plot; empty for none
        QTest::addColumn<int>("x");
        QTest::addColumn<QByteArray>("command");  // empty: nothing is sent
        QTest::newRow("second point") << QByteArray() << "" << 55 << QByteArray("145.0125N");
        QTest::newRow("left margin") << QByteArray() << "" << 43 << QByteArray();
        QTest::newRow("AM") << QByteArray() << "Option2" << 44 << QByteArray("145.0000A");
        // Right after a span change, with no run since, the click follows the new span.
        QTest::newRow("8 MHz chosen") << QByteArray() << "Option4" << 45 << QByteArray("145.0125N");
        QTest::newRow("1 MHz chosen")
            << QByteArray("SPAN=8\n") << "Option3" << 52 << QByteArray("145.0125N");
        QTest::newRow("start with many decimals")
            << QByteArray("MHZ=145.00001\n") << "" << 52 << QByteArray("145.0125N");
    }
    void clickTunesTheReceiver() {
        QFETCH(QByteArray, settings);
        QFETCH(QString, option);
        QFETCH(int, x);
        QFETCH(QByteArray, command);
        QLocale::setDefault(QLocale(QStringLiteral("de_DE")));  // the wire keeps its point
        auto form = Shown(settings);
        QVERIFY(form);
        if (!option.isEmpty()) {
            QTest::mouseClick(form->findChild<QWidget*>(option), Qt::LeftButton);
        }
        QWidget* plot = Control(*form, "Picture1");
        PointAt(*form, x, 200);
        QTest::mouseClick(plot, Qt::LeftButton, {}, QPoint(x, 200));
        if (command.isEmpty()) {
            QVERIFY(port_.written.isEmpty());
            QCOMPARE(Caption(*form, "Label16"), QString());
        } else {
            QCOMPARE(port_.written, QList<QByteArray>{command});
            QCOMPARE(Caption(*form, "Label16"), QStringLiteral("MHz ") + command.chopped(1));
        }
    }

    void clickDuringARunSendsNothing() {
        auto form = Shown();
        QVERIFY(form);
        QTest::mouseClick(Control(*form, "Command8"), Qt::LeftButton);
        QCOMPARE(port_.written, QList<QByteArray>{"145.0000N"});
        QWidget* plot = Control(*form, "Picture1");
        PointAt(*form, 300, 200);
        QTest::mouseClick(plot, Qt::LeftButton, {}, QPoint(300, 200));
        QCOMPARE(port_.written, QList<QByteArray>{"145.0000N"});
        QCOMPARE(Caption(*form, "Label16"), QStringLiteral("MHz 145.0000"));

        // Stopped, the same click tunes, even while the run finishes its step.
        QTest::mouseClick(Control(*form, "Command9"), Qt::LeftButton);
        QTest::mouseClick(plot, Qt::LeftButton, {}, QPoint(300, 200));
        QCOMPARE(port_.written.last(), QByteArray("145.4000N"));
        scheduler_.RunUntil(scheduler_.now + 2);
        QCOMPARE(port_.written.size(), 2);
        QCOMPARE(Caption(*form, "Label16"), QStringLiteral("MHz 145.4000"));
    }

    void clickWithNoPortIsQuiet() {
        port_.openResult = {false, QStringLiteral("No such file or directory"), false};
        auto form = Shown();
        QVERIFY(form);
        QWidget* plot = Control(*form, "Picture1");
        PointAt(*form, 52, 200);
        QTest::mouseClick(plot, Qt::LeftButton, {}, QPoint(52, 200));
        QCOMPARE(messages_.shown.size(), 1);  // the open failure only
        QVERIFY(port_.written.isEmpty());
        QCOMPARE(Caption(*form, "Label16"), QStringLiteral("MHz 145.0125"));
    }

    void otherButtonsDoNotTune() {
        auto form = Shown();
        QVERIFY(form);
        QWidget* plot = Control(*form, "Picture1");
        PointAt(*form, 52, 200);
        QTest::mouseClick(plot, Qt::RightButton, {}, QPoint(52, 200));
        QTest::mouseClick(plot, Qt::MiddleButton, {}, QPoint(52, 200));
        QVERIFY(port_.written.isEmpty());
    }

    void desktopCloseRequestEndsLikeTheCloseButton() {
        auto form = Shown();
        QVERIFY(form);
        QTest::mouseClick(Control(*form, "Command8"), Qt::LeftButton);
        QVERIFY(form->close());
        QCOMPARE(program_.endCalls, 1);
        QCOMPARE(port_.calls.last(), QStringLiteral("close"));
        const qsizetype sent = port_.written.size();
        scheduler_.RunUntil(scheduler_.now + 5);
        QCOMPARE(port_.written.size(), sent);  // nothing goes out after it
    }
};

QTEST_MAIN(Form1Test)
#include "tst_form1.moc"
