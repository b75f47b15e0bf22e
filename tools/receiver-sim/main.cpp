#include <fcntl.h>
#include <unistd.h>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "PseudoTerminal.h"
#include "RigctldServer.h"
#include "Simulator.h"

namespace {

int quitPipe[2];

// Terminated or interrupted, the simulator ends its event loop and takes its link away.
void Quit(int) {
    const char byte = 0;
    (void)::write(quitPipe[1], &byte, 1);
}

int Fail(const QString& message) {
    std::fprintf(stderr, "nerimo-receiver-sim: %s\n", qPrintable(message));
    return 2;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("nerimo-receiver-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(NERIMO_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A simulated receiver for Nerimo on a pseudo-terminal.\n\n"
        "It links LINK to the terminal's other end, so that Nerimo.ini can say DEVICE=LINK, and\n"
        "then behaves as the receiver on the wire: it takes tuning commands (digits, \".\", four\n"
        "decimals, then N or A, no terminator; anything else is skipped) and answers each, after\n"
        "the reply delay, with one letter A..P for the level at the tuned frequency, or CR LF\n"
        "at level 0. The levels come from a band model file, or from a built-in demo band with\n"
        "a few signals between 145 and 153 MHz.\n\n"
        "Band file: one signal a line, \"centre-MHz width-kHz peak(1-16) [period-s]\" (a period\n"
        "makes the signal come and go from the simulator's start: on for one period, off for the\n"
        "next; a negative period starts with the signal off), an optional line\n"
        "\"noise LEVEL\" for the floor, and \"#\" for comments.\n\n"
        "With --rigctld it serves the band model as rigctld would a radio, on 127.0.0.1, for\n"
        "Nerimo's RIG=2 (Hamlib's \"NET rigctl\"), the strength in dB relative to S9.\n\n"
        "Log file: one line per command received, \"SECONDS COMMAND\", where SECONDS is the\n"
        "monotonic clock (CLOCK_MONOTONIC) when it was complete; with --rigctld, a frequency set\n"
        "is logged as the tuning command that carries it, a strength read as STRENGTH, a change\n"
        "of mode as MODE and the mode's name (MODE USB)."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption link({QStringLiteral("l"), QStringLiteral("link")},
                                  QStringLiteral("Path of the symbolic link to make."),
                                  QStringLiteral("LINK"));
    const QCommandLineOption rigctld(QStringLiteral("rigctld"),
                                     QStringLiteral("Serve rigctld's protocol on this port of "
                                                    "127.0.0.1 instead (0: any free port)."),
                                     QStringLiteral("PORT"));
    const QCommandLineOption band({QStringLiteral("b"), QStringLiteral("band")},
                                  QStringLiteral("Band model file; the demo band without it."),
                                  QStringLiteral("FILE"));
    const QCommandLineOption delay(QStringLiteral("delay"),
                                   QStringLiteral("Milliseconds from a command to its answer "
                                                  "(default 30)."),
                                   QStringLiteral("MS"), QStringLiteral("30"));
    const QCommandLineOption silent(QStringLiteral("silent-after"),
                                    QStringLiteral("Answer nothing more after COUNT answers, as "
                                                   "a receiver switched off behind its adapter."),
                                    QStringLiteral("COUNT"), QStringLiteral("0"));
    const QCommandLineOption garbage(QStringLiteral("garbage-strength"),
                                     QStringLiteral("With --rigctld: answer every strength read "
                                                    "with a text that is not a number."));
    const QCommandLineOption repeat(QStringLiteral("repeat"),
                                    QStringLiteral("Repeat the current level every MS "
                                                   "milliseconds while no command comes."),
                                    QStringLiteral("MS"), QStringLiteral("0"));
    const QCommandLineOption log(QStringLiteral("log"),
                                 QStringLiteral("Write every command received to FILE."),
                                 QStringLiteral("FILE"));
    const QCommandLineOption duration(QStringLiteral("duration"),
                                      QStringLiteral("End after this many seconds (default: run "
                                                     "until killed)."),
                                      QStringLiteral("SECONDS"), QStringLiteral("0"));
    const QCommandLineOption hangup(QStringLiteral("hangup-after"),
                                    QStringLiteral("Close the line at the first command after "
                                                   "COUNT answers, as an unplugged adapter "
                                                   "would."),
                                    QStringLiteral("COUNT"), QStringLiteral("0"));
    const QCommandLineOption replug(QStringLiteral("replug-after"),
                                    QStringLiteral("After --hangup-after has closed the line, "
                                                   "open a new one behind the same link this "
                                                   "many seconds later, as an adapter plugged in "
                                                   "again would."),
                                    QStringLiteral("SECONDS"), QStringLiteral("0"));
    const QCommandLineOption flood(QStringLiteral("flood"),
                                   QStringLiteral("Also send random bytes at this rate, in bursts "
                                                  "that each end with the current level and CR "
                                                  "LF."),
                                   QStringLiteral("BYTES-PER-SECOND"), QStringLiteral("0"));
    parser.addOptions({link, rigctld, band, delay, silent, garbage, repeat, log, duration, hangup,
                       replug, flood});
    parser.process(app);

    if (parser.isSet(link) == parser.isSet(rigctld)) {
        return Fail(QStringLiteral("--link or --rigctld is required; see --help"));
    }
    nerimo::sim::Options options;
    bool ok = true;
    options.replyDelayMs = parser.value(delay).toInt(&ok);
    if (!ok || options.replyDelayMs < 0) {
        return Fail(QStringLiteral("--delay takes milliseconds"));
    }
    options.repeatMs = parser.value(repeat).toInt(&ok);
    if (!ok || options.repeatMs < 0) {
        return Fail(QStringLiteral("--repeat takes milliseconds"));
    }
    options.hangupAfter = parser.value(hangup).toInt(&ok);
    if (!ok || options.hangupAfter < 0) {
        return Fail(QStringLiteral("--hangup-after takes a count"));
    }
    const double replugSeconds = parser.value(replug).toDouble(&ok);
    if (!ok || replugSeconds < 0) {
        return Fail(QStringLiteral("--replug-after takes seconds"));
    }
    options.replugAfterMs = static_cast<int>(replugSeconds * 1000);
    options.floodBytesPerSecond = parser.value(flood).toInt(&ok);
    if (!ok || options.floodBytesPerSecond < 0) {
        return Fail(QStringLiteral("--flood takes bytes per second"));
    }
    const double seconds = parser.value(duration).toDouble(&ok);
    if (!ok || seconds < 0) {
        return Fail(QStringLiteral("--duration takes seconds"));
    }
    options.silentAfter = parser.value(silent).toInt(&ok);
    if (!ok || options.silentAfter < 0) {
        return Fail(QStringLiteral("--silent-after takes a count"));
    }
    options.garbageStrength = parser.isSet(garbage);
    if (parser.isSet(band)) {
        QFile file(parser.value(band));
        if (!file.open(QIODevice::ReadOnly)) {
            return Fail(
                QStringLiteral("cannot read %1: %2").arg(file.fileName(), file.errorString()));
        }
        QString error;
        const auto model = nerimo::sim::BandModel::Parse(file.readAll(), &error);
        if (!model) {
            return Fail(QStringLiteral("%1: %2").arg(file.fileName(), error));
        }
        options.band = *model;
    }

    QString error;
    nerimo::sim::CommandLog commandLog;
    if (!commandLog.Open(parser.value(log), &error) || ::pipe2(quitPipe, O_CLOEXEC) != 0) {
        return Fail(error.isEmpty() ? QStringLiteral("cannot make a pipe") : error);
    }
    QSocketNotifier quit(quitPipe[0], QSocketNotifier::Read);
    QObject::connect(&quit, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    std::signal(SIGTERM, Quit);
    std::signal(SIGINT, Quit);
    if (seconds > 0) {
        QTimer::singleShot(static_cast<int>(seconds * 1000), &app, &QCoreApplication::quit);
    }

    if (parser.isSet(rigctld)) {
        nerimo::sim::RigctldServer server(options.band, options.garbageStrength, commandLog);
        const quint16 port = server.Listen(parser.value(rigctld).toUShort(), &error);
        if (port == 0) {
            return Fail(error);
        }
        std::printf("rigctld 127.0.0.1:%u\n", port);
        std::fflush(stdout);
        return QCoreApplication::exec();
    }

    nerimo::sim::PseudoTerminal terminal;
    if (!terminal.Open(parser.value(link), &error)) {
        return Fail(error);
    }
    nerimo::sim::Simulator simulator(options, terminal, commandLog);
    simulator.Listen();
    std::printf("%s -> %s\n", qPrintable(parser.value(link)), qPrintable(terminal.SlavePath()));
    std::fflush(stdout);
    return QCoreApplication::exec();
}
