// Writes the program's icon, drawn by the same code as the window's, as PNG files for the
// desktop's icon theme: nerimo-icon FOLDER SIZE... gives FOLDER/SIZExSIZE/apps/nerimo.png.
#include <QDir>
#include <QGuiApplication>
#include <cstdio>

#include "ProgramIcon.h"

int main(int argc, char* argv[]) {
    // Run at build time, where there may be no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 3) {
        std::fprintf(stderr, "usage: nerimo-icon FOLDER SIZE...\n");
        return 2;
    }
    for (const QString& text : arguments.mid(2)) {
        bool ok = false;
        const int size = text.toInt(&ok);
        const QString folder = QDir(arguments[1]).filePath(QStringLiteral("%1x%1/apps").arg(size));
        if (!ok || size < 16 || !QDir().mkpath(folder) ||
            !nerimo::ProgramPixmap(size).save(
                QDir(folder).filePath(QStringLiteral("nerimo.png")))) {
            std::fprintf(stderr, "nerimo-icon: cannot write the %s pixel icon in %s\n",
                         qPrintable(text), qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
