#include "QtMessageBox.h"

#include <QApplication>
#include <QGuiApplication>

#include "Report.h"

namespace nerimo::platform {

bool QtMessageBox::Seen() {
    // With no window (an unattended survey) or on a platform with no screen (offscreen,
    // minimal) nobody could see or dismiss the box.
    const QString platform = QGuiApplication::platformName();
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr &&
           platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

QtMessageBox::~QtMessageBox() {
    for (const QPointer<QMessageBox>& notice : notices_) {
        delete notice.data();
    }
}

void QtMessageBox::Show(const QString& text) {
    Report(text);
    if (Seen()) {
        QMessageBox box(QMessageBox::NoIcon, title_, text, QMessageBox::Ok);
        box.exec();
    }
}

void QtMessageBox::Notify(const QString& text) {
    Report(text);
    if (Seen()) {
        auto* box = new QMessageBox(QMessageBox::NoIcon, title_, text, QMessageBox::Ok);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setModal(false);
        box->show();
        std::erase_if(notices_, [](const QPointer<QMessageBox>& notice) { return !notice; });
        notices_.emplace_back(box);
    }
}

}  // namespace nerimo::platform
