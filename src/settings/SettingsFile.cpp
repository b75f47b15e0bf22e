#include "SettingsFile.h"

#include "Report.h"
#include "SettingsCheck.h"
#include "SettingsReader.h"
#include "StartupError.h"

namespace nerimo {

namespace {

constexpr char kFileName[] = "/Nerimo.ini";

}  // namespace

std::pair<QString, SettingsPlace> SettingsFileOf(const SettingsSource& source) {
    if (!source.file.isEmpty()) {
        return {source.file, SettingsPlace::Given};
    }
    if (source.installed) {
        return {source.userFolder + QLatin1String(kFileName), SettingsPlace::UserFolder};
    }
    return {source.programFolder + QLatin1String(kFileName), SettingsPlace::BesideProgram};
}

QString SettingsPlaceText(SettingsPlace place) {
    switch (place) {
        case SettingsPlace::Given:
            return QStringLiteral("named by --settings");
        case SettingsPlace::BesideProgram:
            return QStringLiteral("beside the program, a copy run from its own folder");
        case SettingsPlace::UserFolder:
            break;
    }
    return QStringLiteral("the per-user file, as for an installed copy");
}

Settings LoadSettings(const SettingsSource& source, FileAccess& files) {
    auto [path, place] = SettingsFileOf(source);
    FileRead file = files.ReadOrCreate(path);
    // A copy whose own folder takes no file keeps its settings in the user's own folder.
    if (file.outcome == FileRead::Outcome::NotCreated && place == SettingsPlace::BesideProgram &&
        !source.userFolder.isEmpty()) {
        path = source.userFolder + QLatin1String(kFileName);
        file = files.ReadOrCreate(path);
    }
    switch (file.outcome) {
        case FileRead::Outcome::Unreadable:
            throw StartupError(
                QStringLiteral("The settings file %1 cannot be read: %2.").arg(path, file.error));
        case FileRead::Outcome::NotAFile:
            throw StartupError(
                QStringLiteral("The settings file %1 cannot be read: %2.").arg(path, file.error),
                2);
        case FileRead::Outcome::NotCreated:
            // With no folder that takes the file the program still runs, on the defaults.
            Report(QStringLiteral("The settings file %1 could not be created (%2); the default "
                                  "settings apply.")
                       .arg(path, file.error));
            break;
        case FileRead::Outcome::Read:
        case FileRead::Outcome::Created:
        case FileRead::Outcome::Missing:  // not from ReadOrCreate
            break;
    }
    // What it holds that would surprise a user, said at every start; a value that stops the
    // start has a message of its own.
    for (const SettingsWarning& warning : CheckSettings(file.bytes).warnings) {
        if (!warning.fatal) {
            Report(QStringLiteral("%1: %2").arg(path, warning.text));
        }
    }
    Settings settings = ReadSettings(file.bytes, path);
    if (!source.device.isEmpty()) {
        settings.device = source.device;
        settings.deviceGiven = true;
    }
    if (source.settleMs >= 0) {
        settings.settleMs = source.settleMs;
    }
    return settings;
}

}  // namespace nerimo
