#include <QApplication>
#include <memory>
#include <system_error>

#include "DiskFileAccess.h"
#include "Form1.h"
#include "HamlibRadio.h"
#include "ProgramIcon.h"
#include "QtMessageBox.h"
#include "QtProgram.h"
#include "QtScheduler.h"
#include "QtSerialPort.h"
#include "StartupError.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("nerimo"));
    // One look on every desktop: the control colours are part of the window's design.
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication::setWindowIcon(nerimo::ProgramIcon());

    nerimo::platform::QtProgram program;
    nerimo::platform::DiskFileAccess files;
    nerimo::platform::QtMessageBox messages(QStringLiteral("Nerimo"));
    nerimo::platform::QtSerialPort port;
    nerimo::platform::HamlibRadio radio;
    std::unique_ptr<nerimo::platform::QtScheduler> scheduler;
    std::unique_ptr<nerimo::platform::QtScheduler> retry;
    try {
        scheduler = std::make_unique<nerimo::platform::QtScheduler>();
        retry = std::make_unique<nerimo::platform::QtScheduler>();
    } catch (const std::system_error& error) {
        messages.Show(QString::fromLocal8Bit(error.what()));
        return 1;
    }
    nerimo::Form1 form({program, files, messages, port, radio, *scheduler, *retry});
    try {
        if (!form.Form_Load()) {
            return 0;
        }
    } catch (const nerimo::StartupError& error) {
        messages.Show(error.Message());
        return 1;
    }
    form.show();
    return QApplication::exec();
}
