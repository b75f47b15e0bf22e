#include "QtMessageBox.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <cstdio>

namespace nerimo::platform {

void QtMessageBox::Show(const QString& text) {
    // Standard error gets every message too, so a run without a desktop keeps a record of it.
    QByteArray line = text.toLocal8Bit();
    line.replace("\r\n", ": ");
    std::fprintf(stderr, "%s: %s\n", title_.toLocal8Bit().constData(), line.constData());
    std::fflush(stderr);

    // With no window (an unattended survey) or on a platform with no screen (offscreen,
    // minimal) nobody could see or dismiss the box.
    const QString platform = QGuiApplication::platformName();
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr ||
        platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) {
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, title_, text, QMessageBox::Ok);
    box.exec();
}

}  // namespace nerimo::platform
