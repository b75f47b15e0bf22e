#include "FrequencyLists.h"

#include <QDir>
#include <QFileInfo>

#include "BookmarkImport.h"
#include "LockoutsFile.h"
#include "Report.h"

namespace nerimo {

QString LockoutsBeside(const QString& settingsFile) {
    return QFileInfo(settingsFile).absoluteDir().filePath(QStringLiteral("lockouts.csv"));
}

namespace {

// A file of named frequencies (`what`: "bookmarks file", "channel list") as imported; its
// refusal and what was skipped of it into `lists`.
std::optional<ImportedBookmarks> Import(FileAccess& files, const QString& path, const char* what,
                                        FrequencyLists& lists) {
    const FileRead file = files.Read(path);
    if (file.outcome != FileRead::Outcome::Read) {
        lists.refusal = QStringLiteral("The %1 %2 cannot be read: %3.")
                            .arg(QLatin1String(what), path,
                                 file.outcome == FileRead::Outcome::Missing
                                     ? QStringLiteral("there is no such file")
                                     : file.error);
        return std::nullopt;
    }
    QString error;
    std::optional<ImportedBookmarks> imported = ImportBookmarks(file.bytes, &error);
    if (!imported) {
        lists.refusal =
            QStringLiteral("The %1 %2 cannot be used: %3.").arg(QLatin1String(what), path, error);
        return std::nullopt;
    }
    if (!imported->malformed.isEmpty()) {
        // The first five places, then how many more.
        constexpr qsizetype kNamed = 5;
        const QStringList& places = imported->malformed;
        QString where = places.mid(0, kNamed).join(QStringLiteral(", "));
        if (places.size() > kNamed) {
            where += QStringLiteral(" and %1 more").arg(places.size() - kNamed);
        }
        lists.notes << QStringLiteral(
                           "The %1 %2 (%3): %4 could not be read and %5 "
                           "left out: %6.")
                           .arg(QLatin1String(what), path, imported->format,
                                Counted(places.size(), "entry", "entries"),
                                places.size() == 1 ? QStringLiteral("is") : QStringLiteral("are"),
                                where);
    }
    return imported;
}

}  // namespace

FrequencyLists ReadBookmarks(FileAccess& files, const QString& path) {
    FrequencyLists lists;
    if (const std::optional<ImportedBookmarks> imported =
            Import(files, path, "bookmarks file", lists)) {
        lists.bookmarks = Bookmarks(AsBookmarks(imported->entries));
        lists.skipped = imported->skipped;
    }
    return lists;
}

ChannelChoice ReadChannels(FileAccess& files, const QString& path, const QStringList& groups,
                           const QStringList& priority, const Lockouts& lockouts,
                           const ChannelReach& reach) {
    FrequencyLists lists;
    const std::optional<ImportedBookmarks> imported = Import(files, path, "channel list", lists);
    if (!imported) {
        return {{}, lists.notes, lists.refusal};
    }
    ChannelChoice choice = ChooseChannels(*imported, path, groups, priority, lockouts, reach);
    choice.notes = lists.notes + choice.notes;
    return choice;
}

FrequencyLists ReadFrequencyLists(FileAccess& files, const QString& lockoutsPath, bool given,
                                  const QString& bookmarksPath) {
    FrequencyLists lists =
        bookmarksPath.isEmpty() ? FrequencyLists() : ReadBookmarks(files, bookmarksPath);
    const FileRead file = files.Read(lockoutsPath);
    switch (file.outcome) {
        case FileRead::Outcome::Read: {
            const ReadLockouts read = ParseLockouts(file.bytes);
            lists.lockouts = read.hertz;
            for (const QString& problem : read.problems) {
                lists.notes
                    << QStringLiteral("The lockouts file %1: %2").arg(lockoutsPath, problem);
            }
            break;
        }
        case FileRead::Outcome::Missing:
            if (given && lists.refusal.isEmpty()) {
                lists.refusal =
                    QStringLiteral("The lockouts file %1 does not exist.").arg(lockoutsPath);
            }
            break;
        default:
            if (lists.refusal.isEmpty()) {
                lists.refusal = QStringLiteral("The lockouts file %1 cannot be read: %2.")
                                    .arg(lockoutsPath, file.error);
            }
            break;
    }
    return lists;
}

}  // namespace nerimo
