#include "CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSysInfo>
#include <cstdio>

#include "BrokerAddress.h"
#include "RangeOption.h"
#include "Report.h"

namespace nerimo {

namespace {

int Usage(const QString& why) {
    Report(why + QStringLiteral(" nerimo --help lists the options."));
    return 2;
}

// A whole number of at least `lowest`, or nothing.
std::optional<int> WholeNumber(const QString& text, int lowest) {
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value >= lowest ? std::optional<int>(value) : std::nullopt;
}

constexpr int kLongestSettleMs = 10000;
constexpr int kLongestPrefix = 1000;  // bytes of a topic's level

// --mqtt and the options that go with it, into `options->broker`; the exit status when they are
// wrong.
std::optional<int> ReadBrokerOptions(const QCommandLineParser& parser, FileAccess& files,
                                     CommandLine* options) {
    const bool watch = parser.isSet(QStringLiteral("watch"));
    if (watch && parser.isSet(QStringLiteral("mqtt"))) {
        return Usage(QStringLiteral("--watch and --mqtt go one without the other."));
    }
    if (!watch && parser.isSet(QStringLiteral("sensor"))) {
        return Usage(QStringLiteral("--sensor goes with --watch."));
    }
    if (watch && parser.isSet(QStringLiteral("sensor-id"))) {
        return Usage(QStringLiteral("--sensor-id goes with --mqtt; --watch takes --sensor."));
    }
    if (!watch && !parser.isSet(QStringLiteral("mqtt"))) {
        for (const char* name :
             {"mqtt-ca", "mqtt-topic", "sensor-id", "mqtt-credentials", "mqtt-user"}) {
            if (parser.isSet(QLatin1String(name))) {
                return Usage(
                    QStringLiteral("--%1 goes with --mqtt or --watch.").arg(QLatin1String(name)));
            }
        }
        return std::nullopt;
    }
    BrokerOptions broker;
    QString error;
    if (!ParseBrokerUrl(parser.value(QLatin1String(watch ? "watch" : "mqtt")), &broker, &error)) {
        return Usage(error);
    }
    broker.caFile = parser.value(QStringLiteral("mqtt-ca"));
    if (parser.isSet(QStringLiteral("mqtt-topic"))) {
        broker.prefix = parser.value(QStringLiteral("mqtt-topic"));
    }
    // A watcher's own name at the broker, apart from every other's.
    broker.sensorId = parser.isSet(QStringLiteral("sensor-id"))
                          ? parser.value(QStringLiteral("sensor-id"))
                      : watch ? QStringLiteral("watch-%1-%2")
                                    .arg(QSysInfo::machineHostName())
                                    .arg(QCoreApplication::applicationPid())
                              : QSysInfo::machineHostName();
    options->watch = watch;
    options->sensors = parser.values(QStringLiteral("sensor"));
    static const QRegularExpression kLevel(QStringLiteral("[#+/]"));
    for (const QString& sensor : std::as_const(options->sensors)) {
        if (sensor.isEmpty() || sensor.contains(kLevel)) {
            return Usage(QStringLiteral("--sensor takes a sensor's id, without +, # or /."));
        }
    }
    // A topic level may hold no wildcard, and the sensor's name no level of its own.
    static const QRegularExpression kWildcards(QStringLiteral("[#+]"));
    if (broker.prefix.isEmpty() || broker.prefix.contains(kWildcards) ||
        broker.sensorId.isEmpty() || broker.sensorId.contains(kWildcards) ||
        broker.sensorId.contains('/')) {
        return Usage(
            QStringLiteral("--mqtt-topic and --sensor-id take names without + or # "
                           "(and a sensor's without /)."));
    }
    // Topics that begin with $ are the broker's own ($SYS), which takes nothing from a client.
    if (broker.prefix.startsWith('$')) {
        return Usage(
            QStringLiteral("--mqtt-topic may not begin with $: such topics are the "
                           "broker's own."));
    }
    if (broker.prefix.toUtf8().size() > kLongestPrefix ||
        broker.sensorId.toUtf8().size() > kLongestPrefix) {
        return Usage(QStringLiteral("--mqtt-topic and --sensor-id take up to %1 bytes each.")
                         .arg(kLongestPrefix));
    }
    const QString credentials = parser.value(QStringLiteral("mqtt-credentials"));
    const QString user = parser.value(QStringLiteral("mqtt-user"));
    if (!credentials.isEmpty() && !user.isEmpty()) {
        return Usage(
            QStringLiteral("--mqtt-credentials and --mqtt-user go one without the other."));
    }
    if (!credentials.isEmpty() && !ReadCredentials(files, credentials, &broker, &error)) {
        return Usage(error);
    }
    if (!user.isEmpty()) {
        if (!qEnvironmentVariableIsSet("NERIMO_MQTT_PASSWORD")) {
            return Usage(
                QStringLiteral("--mqtt-user takes its password from "
                               "NERIMO_MQTT_PASSWORD, which is not set."));
        }
        broker.user = user;
        broker.password = qEnvironmentVariable("NERIMO_MQTT_PASSWORD");
    }
    options->broker = broker;
    return std::nullopt;
}

// The options, and what --help says of each and of the program.
void DescribeOptions(QCommandLineParser* parser) {
    parser->setApplicationDescription(QStringLiteral(
        "Nerimo turns a serial-controlled wide-band receiver into a slow spectrum analyser. With\n"
        "no options it opens its window. Its settings are in Nerimo.ini beside the program or,\n"
        "where that folder takes no file (an installed copy), in ~/.config/nerimo/Nerimo.ini.\n\n"
        "Exit status: 0 done (the window closed; a survey measured and logged every sweep asked\n"
        "for, or a signal ended it after at least one); 1 a file could not be written (a log,\n"
        "a picture), or the MQTT broker refused the sensor or its messages or did not get\n"
        "every message; 2 usage (a bad option or value, a file of lockouts or bookmarks that\n"
        "cannot be used, a file to read that is no file, a range the receiver cannot tune);\n"
        "3 no receiver (a survey's receiver could not be opened, cannot be swept, stayed away\n"
        "longer than --give-up-after, or another copy of Nerimo holds it).\n\n"
        "A survey says on standard error a line for each sweep, and at its end one that sums it\n"
        "up: the sweeps measured; the rows, activities and pictures written; what ended it\n"
        "(--sweeps reached, a signal by name, a receiver lost, a file not written, a broker\n"
        "that refused); and a sweep that the end cut short, with the steps its row holds."));
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
                                                     "Nerimo.ini (created empty if missing; its "
                                                     "folder must exist)."),
                                      QStringLiteral("FILE"));
    const QCommandLineOption checkSettings(
        QStringLiteral("check-settings"),
        QStringLiteral("Print the settings file in use and why, each key with its value and the "
                       "line that set it, and every trap in the file; end with status 0 when "
                       "there is none, 1 when there is one. Needs no display."));
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
    const QCommandLineOption activity(
        QStringLiteral("activity"),
        QStringLiteral("Log every activity (a frequency heard in consecutive sweeps) to FILE, a "
                       "CSV row each when it ends, appended."),
        QStringLiteral("FILE"));
    const QCommandLineOption lockouts(
        QStringLiteral("lockouts"),
        QStringLiteral("Read the frequencies locked out from FILE instead of lockouts.csv beside "
                       "the settings file."),
        QStringLiteral("FILE"));
    const QCommandLineOption bookmarks(
        QStringLiteral("bookmarks"),
        QStringLiteral("Name frequencies from FILE: gqrx's bookmarks.csv, SDR++'s frequency "
                       "manager JSON or CHIRP's CSV export."),
        QStringLiteral("FILE"));
    const QCommandLineOption sweeps(QStringLiteral("sweeps"),
                                    QStringLiteral("With --headless: end after N whole sweeps "
                                                   "(without it, at SIGINT, SIGTERM or SIGHUP)."),
                                    QStringLiteral("N"));
    const QCommandLineOption picture(QStringLiteral("picture"),
                                     QStringLiteral("With --headless: save the plot as a PNG "
                                                    "picture at the end, with its caption."),
                                     QStringLiteral("FILE"));
    const QCommandLineOption historyPicture(
        QStringLiteral("history-picture"),
        QStringLiteral("With --headless: save the waterfall of the survey's sweeps, with its axes "
                       "and legend, as a PNG picture at the end."),
        QStringLiteral("FILE"));
    const QCommandLineOption wait(QStringLiteral("wait-for-receiver"),
                                  QStringLiteral("With --headless: when the receiver cannot be "
                                                 "opened at the start, try again every 2 s "
                                                 "instead of ending with status 3."));
    const QCommandLineOption giveUp(QStringLiteral("give-up-after"),
                                    QStringLiteral("With --headless: end with status 3 once the "
                                                   "receiver has been away (gone, or answering "
                                                   "nothing) for SECONDS (default 300; 0: never)."),
                                    QStringLiteral("SECONDS"), QStringLiteral("300"));
    const QCommandLineOption quiet(
        QStringLiteral("quiet"),
        QStringLiteral("With --headless: say nothing on standard error but what went wrong: no "
                       "line for each sweep, no note of a receiver or a broker back, and the last "
                       "line only when the exit status is not 0."));
    const QCommandLineOption range(
        QStringLiteral("range"),
        QStringLiteral("With --headless: sweep LOW:HIGH[:STEP] instead of the settings file's "
                       "span, in Hz with k, M or G as rtl_power takes it (144M:148M:25k; the "
                       "step 12.5k when left out), HIGH included."),
        QStringLiteral("LOW:HIGH[:STEP]"));
    const QCommandLineOption settle(
        QStringLiteral("settle"),
        QStringLiteral("For a Hamlib radio: wait MS milliseconds between tuning and reading the "
                       "strength, in place of SETTLE= (185 by default)."),
        QStringLiteral("MS"));
    const QCommandLineOption mqtt(
        QStringLiteral("mqtt"),
        QStringLiteral("Publish every sweep, the activities and the sensor's state to the MQTT "
                       "broker at mqtt://host[:port] or mqtts://host[:port] (TLS)."),
        QStringLiteral("URL"));
    const QCommandLineOption mqttCa(QStringLiteral("mqtt-ca"),
                                    QStringLiteral("With mqtts: trust the authority in FILE "
                                                   "instead of the system's."),
                                    QStringLiteral("FILE"));
    const QCommandLineOption mqttTopic(QStringLiteral("mqtt-topic"),
                                       QStringLiteral("The topics' first level (default "
                                                      "nerimo): PREFIX/ID/sweep, scan, "
                                                      "activity, status."),
                                       QStringLiteral("PREFIX"));
    const QCommandLineOption sensorId(QStringLiteral("sensor-id"),
                                      QStringLiteral("The sensor's name in the topics and the "
                                                     "messages (default the host name)."),
                                      QStringLiteral("ID"));
    const QCommandLineOption credentials(
        QStringLiteral("mqtt-credentials"),
        QStringLiteral("Log in to the broker as the line user:password of FILE, which no one "
                       "but its owner may read."),
        QStringLiteral("FILE"));
    const QCommandLineOption mqttUser(QStringLiteral("mqtt-user"),
                                      QStringLiteral("Log in to the broker as USER, the password "
                                                     "from NERIMO_MQTT_PASSWORD."),
                                      QStringLiteral("USER"));
    const QCommandLineOption channels(
        QStringLiteral("channels"),
        QStringLiteral("Scan the channels of FILE (gqrx's bookmarks.csv, SDR++'s frequency "
                       "manager JSON or CHIRP's CSV export) in its order, stopping where one is "
                       "busy, instead of sweeping the span."),
        QStringLiteral("FILE"));
    const QCommandLineOption group(
        QStringLiteral("group"),
        QStringLiteral("With --channels: scan only the channels of this group (a gqrx tag, an "
                       "SDR++ list, a CHIRP file's own name); may be given again."),
        QStringLiteral("NAME"));
    const QCommandLineOption priority(
        QStringLiteral("priority"),
        QStringLiteral("With --channels: look at the channel NAME between the others, every "
                       "PRIORITY_EVERY= seconds; may be given again."),
        QStringLiteral("NAME"));
    const QCommandLineOption watch(
        QStringLiteral("watch"),
        QStringLiteral("Watch the sensors that publish to the MQTT broker at mqtt://host[:port] or "
                       "mqtts://host[:port], with no receiver: their state, their sweeps and "
                       "their activities. Takes --mqtt-ca, --mqtt-topic, --mqtt-credentials and "
                       "--mqtt-user as --mqtt does."),
        QStringLiteral("URL"));
    const QCommandLineOption sensor(
        QStringLiteral("sensor"),
        QStringLiteral("With --watch: watch the sensor ID alone, its history shown once it is "
                       "heard; may be given again."),
        QStringLiteral("ID"));
    parser->addOptions({help,      version,   device,   settings,       checkSettings,
                        listPorts, headless,  log,      activity,       lockouts,
                        bookmarks, sweeps,    picture,  historyPicture, wait,
                        giveUp,    quiet,     range,    settle,         mqtt,
                        mqttCa,    mqttTopic, sensorId, credentials,    mqttUser,
                        channels,  group,     priority, watch,          sensor});
}

// What a survey's options say of how long it runs and what it sweeps, into `options`; the exit
// status when a value is wrong.
std::optional<int> ReadSurveyOptions(const QCommandLineParser& parser, CommandLine* options) {
    const auto set = [&parser](const char* name) { return parser.isSet(QLatin1String(name)); };
    const auto value = [&parser](const char* name) { return parser.value(QLatin1String(name)); };
    const std::optional<int> count = set("sweeps") ? WholeNumber(value("sweeps"), 1) : 0;
    if (!count) {
        return Usage(QStringLiteral("--sweeps takes a whole number of sweeps, 1 or more."));
    }
    options->sweeps = *count;
    const std::optional<int> seconds = WholeNumber(value("give-up-after"), 0);
    if (!seconds) {
        return Usage(QStringLiteral("--give-up-after takes a whole number of seconds, 0 or more."));
    }
    options->giveUpAfter = *seconds;
    if (set("settle")) {
        const std::optional<int> ms = WholeNumber(value("settle"), 0);
        if (!ms || *ms > kLongestSettleMs) {
            return Usage(
                QStringLiteral("--settle takes a whole number of milliseconds, 0 to "
                               "10000."));
        }
        options->settleMs = *ms;
    }
    if (set("range")) {
        QString error;
        options->range = ParseRange(value("range"), &error);
        if (!options->range) {
            return Usage(error);
        }
        if (!set("headless") || set("picture")) {
            return Usage(
                QStringLiteral("--range goes with --headless, and draws no plot: "
                               "--history-picture shows its sweeps, not --picture."));
        }
    }
    options->channelsPath = value("channels");
    options->groups = parser.values(QStringLiteral("group"));
    options->priority = parser.values(QStringLiteral("priority"));
    if (!set("channels") && (set("group") || set("priority"))) {
        return Usage(QStringLiteral("--group and --priority go with --channels."));
    }
    if (set("channels") && set("range")) {
        return Usage(QStringLiteral("--channels and --range are two different scans: give one."));
    }
    return std::nullopt;
}

}  // namespace

std::optional<int> ParseCommandLine(const QStringList& arguments, FileAccess& files,
                                    CommandLine* options) {
    QCommandLineParser parser;
    DescribeOptions(&parser);
    const auto set = [&parser](const char* name) { return parser.isSet(QLatin1String(name)); };
    const auto value = [&parser](const char* name) { return parser.value(QLatin1String(name)); };
    if (!parser.parse(arguments)) {
        return Usage(parser.errorText());
    }
    if (!parser.positionalArguments().isEmpty()) {
        return Usage(
            QStringLiteral("Unknown argument: %1.").arg(parser.positionalArguments().first()));
    }
    if (set("help")) {
        std::printf("%s", qPrintable(parser.helpText()));
        return 0;
    }
    if (set("version")) {
        std::printf("nerimo %s\n", NERIMO_VERSION);
        return 0;
    }
    options->listPorts = set("list-ports");
    options->checkSettings = set("check-settings");
    options->device = QFile::encodeName(value("device"));
    options->settingsPath = value("settings");
    // A file may be created there; a folder never is.
    if (const QString folder = QFileInfo(options->settingsPath).absolutePath();
        set("settings") && !QFileInfo(folder).isDir()) {
        return Usage(
            QStringLiteral("--settings %1: no such folder %2.").arg(options->settingsPath, folder));
    }
    options->headless = set("headless");
    options->logPath = value("log");
    options->activityPath = value("activity");
    options->lockoutsPath = value("lockouts");
    options->bookmarksPath = value("bookmarks");
    options->picturePath = value("picture");
    options->historyPicturePath = value("history-picture");
    options->waitForReceiver = set("wait-for-receiver");
    options->quiet = set("quiet");
    if (const std::optional<int> status = ReadSurveyOptions(parser, options)) {
        return *status;
    }
    if (const std::optional<int> status = ReadBrokerOptions(parser, files, options)) {
        return *status;
    }
    if (options->watch &&
        (options->headless || set("log") || set("activity") || set("channels") || set("range"))) {
        return Usage(
            QStringLiteral("--watch opens a window of its own: --headless, --log, --activity, "
                           "--channels and --range go without it."));
    }
    if (options->headless && options->logPath.isEmpty()) {
        return Usage(QStringLiteral("--headless needs --log FILE."));
    }
    if (!options->headless && (set("sweeps") || set("picture") || set("history-picture") ||
                               set("wait-for-receiver") || set("give-up-after") || set("quiet"))) {
        return Usage(
            QStringLiteral("--sweeps, --picture, --history-picture, --wait-for-receiver, "
                           "--give-up-after and --quiet go with --headless."));
    }
    return std::nullopt;
}

}  // namespace nerimo
