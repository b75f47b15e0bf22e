#include "CheckSettingsCommand.h"

#include <QFileInfo>
#include <cstdio>

#include "Report.h"
#include "SettingsCheck.h"

namespace nerimo {

int RunSettingsCheck(const SettingsSource& source, FileAccess& files) {
    auto [path, place] = SettingsFileOf(source);
    FileRead file = files.Read(path);
    // As a start would: a copy whose own folder takes no file uses the user's own.
    if (place == SettingsPlace::BesideProgram && file.outcome == FileRead::Outcome::Missing &&
        !QFileInfo(source.programFolder).isWritable()) {
        path = source.userFolder + QStringLiteral("/Nerimo.ini");
        place = SettingsPlace::UserFolder;
        file = files.Read(path);
    }
    if (file.outcome == FileRead::Outcome::Unreadable ||
        file.outcome == FileRead::Outcome::NotAFile) {
        Report(QStringLiteral("The settings file %1 cannot be read: %2.").arg(path, file.error));
        return file.outcome == FileRead::Outcome::NotAFile ? 2 : 1;
    }
    const bool exists = file.outcome == FileRead::Outcome::Read;
    const SettingsCheck check = CheckSettings(file.bytes);
    std::printf("%s", SettingsCheckReport(path, SettingsPlaceText(place), exists, check)
                          .toLocal8Bit()
                          .constData());
    return check.warnings.isEmpty() ? 0 : 1;
}

}  // namespace nerimo
