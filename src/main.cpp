#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <system_error>
#include <vector>

#include "CheckSettingsCommand.h"
#include "CommandLine.h"
#include "DiskFileAccess.h"
#include "HamlibRadio.h"
#include "MainWindow.h"
#include "MosquittoBroker.h"
#include "ProgramIcon.h"
#include "QtAppendFile.h"
#include "QtMessageBox.h"
#include "QtProgram.h"
#include "QtScheduler.h"
#include "QtSerialPort.h"
#include "Report.h"
#include "SerialPortList.h"
#include "SettingsFile.h"
#include "StartupError.h"
#include "Survey.h"
#include "SystemClock.h"
#include "UnixSignals.h"
#include "WatchWindow.h"
#include "WindowLook.h"

namespace {

// How long the end of the program waits for Hamlib's worker to let go of the radio.
constexpr int kRadioDeadlineMs = 500;

// The platform's services, made once the application object stands.
struct Platform {
    nerimo::platform::QtProgram program;
    nerimo::platform::DiskFileAccess files;
    nerimo::platform::QtMessageBox messages{QStringLiteral("Nerimo")};
    nerimo::platform::QtSerialPort port;
    nerimo::platform::HamlibRadio radio;
    nerimo::platform::QtAppendFile log;
    nerimo::platform::QtAppendFile activity;
    nerimo::platform::MosquittoBroker broker;
    // Throws std::system_error when the system has no timer to give.
    nerimo::platform::QtScheduler scheduler;
    nerimo::platform::QtScheduler retry;
    nerimo::platform::SystemClock clock;

    nerimo::Services Services() {
        return {.program = program,
                .files = files,
                .messages = messages,
                .port = port,
                .radio = radio,
                .scheduler = scheduler,
                .retry = retry,
                .log = log,
                .activity = activity,
                .broker = broker,
                .clock = clock};
    }
};

int RunWindow(Platform& platform, const nerimo::CommandLine& options) {
    nerimo::MainWindow window(platform.Services(), options);
    // Ended from a terminal, by the session or by the system, it ends as " X" ends it: the port
    // closed and its lock gone. From the start, so that a signal while the files are read is
    // taken up once the window stands.
    const nerimo::platform::UnixSignals ending({SIGINT, SIGTERM, SIGHUP},
                                               [&window](int) { window.close(); });
    if (!window.Load()) {
        nerimo::Report(
            QStringLiteral("Nerimo is already running on this receiver; this copy "
                           "ends."));
        return 0;
    }
    if (!options.logPath.isEmpty()) {
        window.StartLog(options.logPath);
    }
    if (!options.activityPath.isEmpty()) {
        window.StartActivityLog(options.activityPath);
    }
    window.show();
    return QApplication::exec();
}

// Sensors watched through their broker: no receiver, no settings read; the history windows'
// places remembered beside the settings file all the same.
int RunWatch(Platform& platform, const nerimo::CommandLine& options) {
    nerimo::WatchWindow window({platform.broker, platform.clock, platform.messages, platform.files,
                                nerimo::SettingsFileOf({platform.program.Folder(),
                                                        platform.program.UserFolder(),
                                                        options.settingsPath,
                                                        {},
                                                        platform.program.Installed()})
                                    .first,
                                *options.broker, options.sensors});
    const nerimo::platform::UnixSignals ending({SIGINT, SIGTERM, SIGHUP},
                                               [](int) { QApplication::quit(); });
    window.show();
    window.Start();
    return QApplication::exec();
}

// A window scaled beyond the screen (QT_SCALE_FACTOR, or the desktop's own scaling) would be cut
// off: the program starts again at once, before any window shows, with the scale that fits the
// screen's free area. At the scale it has, or below, nothing changes.
void FitToScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || qEnvironmentVariableIsSet("NERIMO_FITTED")) {
        return;
    }
    const QSize room = screen->availableGeometry().size();
    const double fit = std::min(double(room.width()) / nerimo::kWindowSize.width(),
                                double(room.height()) / nerimo::kWindowSize.height());
    if (fit >= 1) {
        return;
    }
    bool given = false;
    const double factor = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&given);
    qputenv("QT_SCALE_FACTOR",
            QByteArray::number((given && factor > 0 ? factor : 1) * fit, 'f', 4));
    qputenv("NERIMO_FITTED", "1");
    QList<QByteArray> arguments;
    for (const QString& argument : QCoreApplication::arguments()) {
        arguments << QFile::encodeName(argument);
    }
    std::vector<char*> argv;
    for (QByteArray& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    ::execv(QFile::encodeName(QCoreApplication::applicationFilePath()).constData(), argv.data());
    // Not started again: the window as it is, cut off.
}

// Qt's notice that XDG_RUNTIME_DIR is not set, or that the folder it names is not the user's
// alone (as under cron, a service manager or sudo): Qt falls back to a folder of its own.
bool RuntimeFolderNotice(const QString& text) {
    return text.startsWith(QLatin1String("QStandardPaths: ")) &&
           (text.contains(QLatin1String("XDG_RUNTIME_DIR")) ||
            text.contains(QLatin1String("runtime directory")));
}

int RunSurvey(Platform& platform, const nerimo::CommandLine& options) {
    nerimo::Survey survey(options, platform.Services());
    return survey.Run();
}

}  // namespace

int main(int argc, char* argv[]) {
    // A log that reaches the file-size limit (ulimit -f) fails its write with EFBIG, which the
    // logs take back and report, where the signal would end the survey in the middle of a row.
    std::signal(SIGXFSZ, SIG_IGN);
    // Qt's own warnings go out as the program's are: one line each, after "Nerimo:"; but for its
    // notices of the session's runtime folder, which say nothing of what the program does.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
        if (!RuntimeFolderNotice(text)) {
            nerimo::Report(QString(text).replace(QLatin1Char('\n'), QLatin1Char(' ')));
        }
    });
    nerimo::CommandLine options;
    {
        // Help, the version, the port list and a bad option are answered before anything of a
        // window is loaded, so they need no display.
        const QCoreApplication reading(argc, argv);
        nerimo::platform::DiskFileAccess files;
        if (const std::optional<int> status =
                nerimo::ParseCommandLine(QCoreApplication::arguments(), files, &options)) {
            return *status;
        }
        nerimo::notesQuiet = options.quiet;
        if (options.checkSettings) {
            const nerimo::platform::QtProgram program;
            return nerimo::RunSettingsCheck({program.Folder(),
                                             program.UserFolder(),
                                             options.settingsPath,
                                             {},
                                             program.Installed()},
                                            files);
        }
        if (options.listPorts) {
            std::printf(
                "%s", qPrintable(nerimo::platform::PortList(nerimo::platform::SystemPorts(),
                                                            QStringLiteral("/dev/serial/by-id"))));
            return 0;
        }
    }
    // A survey needs no display: it loads no windowing platform at all, or, to draw the text of
    // its pictures, the one with no screen.
    std::unique_ptr<QCoreApplication> app;
    if (!options.headless) {
        app = std::make_unique<QApplication>(argc, argv);
    } else if (options.picturePath.isEmpty() && options.historyPicturePath.isEmpty()) {
        app = std::make_unique<QCoreApplication>(argc, argv);
    } else {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("nerimo"));
    if (!options.headless && !options.watch) {
        FitToScreen();
    }
    if (!options.headless) {
        // One look on every desktop: the control colours are part of the window's design.
        QApplication::setStyle(QStringLiteral("Fusion"));
        QApplication::setWindowIcon(nerimo::ProgramIcon());
    }
    try {
        Platform platform;
        const int status = options.headless ? RunSurvey(platform, options)
                           : options.watch  ? RunWatch(platform, options)
                                            : RunWindow(platform, options);
        // A radio that does not let go (a connect or a call that hangs) holds nothing up: past
        // the deadline the program ends as it stands, and the system closes what it held.
        if (!platform.radio.Finish(kRadioDeadlineMs)) {
            std::fflush(nullptr);
            std::_Exit(status);
        }
        return status;
    } catch (const nerimo::StartupError& error) {
        nerimo::platform::QtMessageBox(QStringLiteral("Nerimo")).Show(error.Message());
        return error.Status();
    } catch (const std::system_error& error) {
        nerimo::platform::QtMessageBox(QStringLiteral("Nerimo"))
            .Show(QString::fromLocal8Bit(error.what()));
    }
    return 1;
}
