#include "CheckSettingsCommand.h"

#include <QFile>
#include <QFileInfo>
#include <cstdio>

#include "FileKind.h"
#include "Report.h"
#include "SettingsCheck.h"

namespace nerimo {

int RunSettingsCheck(const SettingsSource& source) {
    auto [path, place] = SettingsFileOf(source);
    // As a start would: a copy whose own folder takes no file uses the user's own.
    if (place == SettingsPlace::BesideProgram && !QFileInfo::exists(path) &&
        !QFileInfo(source.programFolder).isWritable()) {
        path = source.userFolder + QStringLiteral("/Nerimo.ini");
        place = SettingsPlace::UserFolder;
    }
    if (const std::optional<QString> why = NotAFile(path)) {
        Report(QStringLiteral("The settings file %1 cannot be read: %2.").arg(path, *why));
        return 2;
    }
    QFile file(path);
    const bool exists = file.exists();
    if (exists && !file.open(QIODevice::ReadOnly)) {
        Report(QStringLiteral("The settings file %1 cannot be read: %2.")
                   .arg(path, file.errorString()));
        return 1;
    }
    const SettingsCheck check = CheckSettings(exists ? file.readAll() : QByteArray());
    std::printf("%s", SettingsCheckReport(path, SettingsPlaceText(place), exists, check)
                          .toLocal8Bit()
                          .constData());
    return check.warnings.isEmpty() ? 0 : 1;
}

}  // namespace nerimo
