#include "CommandLine.h"

#include <QCommandLineParser>
#include <QFile>
#include <cstdio>

namespace nerimo {

namespace {

int Usage(const QCommandLineParser& parser, const QString& why) {
    std::fprintf(stderr, "nerimo: %s\n\n%s", qPrintable(why), qPrintable(parser.helpText()));
    return 2;
}

}  // namespace

std::optional<int> ParseCommandLine(const QStringList& arguments, CommandLine* options) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Nerimo turns a serial-controlled wide-band receiver into a slow spectrum analyser. With\n"
        "no options it opens its window. Its settings are in Nerimo.ini beside the program or,\n"
        "where that folder takes no file (an installed copy), in ~/.config/nerimo/Nerimo.ini."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and end."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and end."));
    const QCommandLineOption device(QStringLiteral("device"),
                                    QStringLiteral("The receiver's device (or a Hamlib radio's "
                                                   "path) for this run, in place of DEVICE= and "
                                                   "COM=."),
                                    QStringLiteral("PATH"));
    const QCommandLineOption settings(QStringLiteral("settings"),
                                      QStringLiteral("Read the settings from FILE instead of "
                                                     "Nerimo.ini (created empty if missing)."),
                                      QStringLiteral("FILE"));
    const QCommandLineOption listPorts(QStringLiteral("list-ports"),
                                       QStringLiteral("List the serial ports of this system, "
                                                      "with their stable /dev/serial/by-id "
                                                      "names, and end."));
    const QCommandLineOption headless(
        QStringLiteral("headless"),
        QStringLiteral("Survey unattended, with no window and no display: sweep as the settings "
                       "file says and log every sweep (--log is needed)."));
    const QCommandLineOption log(QStringLiteral("log"),
                                 QStringLiteral("Log every sweep to FILE, a row each, appended, "
                                                "in the layout of rtl_power's CSV."),
                                 QStringLiteral("FILE"));
    const QCommandLineOption sweeps(QStringLiteral("sweeps"),
                                    QStringLiteral("With --headless: end after N whole sweeps "
                                                   "(without it, at SIGINT, SIGTERM or SIGHUP)."),
                                    QStringLiteral("N"));
    const QCommandLineOption picture(QStringLiteral("picture"),
                                     QStringLiteral("With --headless: save the plot as a PNG "
                                                    "picture at the end."),
                                     QStringLiteral("FILE"));
    parser.addOptions({help, version, device, settings, listPorts, headless, log, sweeps, picture});
    if (!parser.parse(arguments)) {
        return Usage(parser, parser.errorText());
    }
    if (!parser.positionalArguments().isEmpty()) {
        return Usage(
            parser,
            QStringLiteral("unknown argument: %1").arg(parser.positionalArguments().first()));
    }
    if (parser.isSet(help)) {
        std::printf("%s", qPrintable(parser.helpText()));
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("nerimo %s\n", NERIMO_VERSION);
        return 0;
    }
    options->listPorts = parser.isSet(listPorts);
    options->device = QFile::encodeName(parser.value(device));
    options->settingsPath = parser.value(settings);
    options->headless = parser.isSet(headless);
    options->logPath = parser.value(log);
    options->picturePath = parser.value(picture);
    bool ok = true;
    options->sweeps = parser.isSet(sweeps) ? parser.value(sweeps).toInt(&ok) : 0;
    if (!ok || options->sweeps < 0 || (parser.isSet(sweeps) && options->sweeps == 0)) {
        return Usage(parser, QStringLiteral("--sweeps takes a whole number of sweeps, 1 or more"));
    }
    if (options->headless && options->logPath.isEmpty()) {
        return Usage(parser, QStringLiteral("--headless needs --log FILE"));
    }
    if (!options->headless && (parser.isSet(sweeps) || parser.isSet(picture))) {
        return Usage(parser, QStringLiteral("--sweeps and --picture go with --headless"));
    }
    return std::nullopt;
}

}  // namespace nerimo
