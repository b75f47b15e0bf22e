#include "BookmarkImport.h"

#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <cmath>

#include "LockoutsFile.h"

namespace nerimo {

namespace {

// A frequency in Hz, rounded to the nearest; nothing when that is not above 0 or is above
// 100 GHz. Checked before rounding, so that llround never sees a value it cannot hold (or a NaN).
std::optional<long long> HertzWithin(double hertz) {
    if (!(hertz >= 0.5 && hertz <= double(kHighestFileHz))) {
        return std::nullopt;
    }
    return std::llround(hertz);
}

// A number written as text, "." as the separator whatever the locale.
std::optional<double> Number(const QString& text) {
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

// The lines of the text, each without its CR.
QStringList Lines(const QString& text) {
    QStringList lines = text.split('\n');
    for (QString& line : lines) {
        if (line.endsWith('\r')) {
            line.chop(1);
        }
    }
    return lines;
}

// The file's word for a mode, as a receiver names it.
QString ModeName(const QString& word) {
    static const QHash<QString, QString> kNames = {
        {QStringLiteral("NARROW FM"), QStringLiteral("NFM")},
        {QStringLiteral("WFM (MONO)"), QStringLiteral("WFM")},
        {QStringLiteral("WFM (STEREO)"), QStringLiteral("WFM")},
        {QStringLiteral("WFM (OIRT)"), QStringLiteral("WFM")},
        {QStringLiteral("AM-SYNC"), QStringLiteral("AM")},
        {QStringLiteral("NAM"), QStringLiteral("AM")},
        {QStringLiteral("CW-L"), QStringLiteral("CW")},
        {QStringLiteral("CW-U"), QStringLiteral("CW")},
        {QStringLiteral("RAW I/Q"), QStringLiteral("RAW")},
    };
    const QString upper = word.trimmed().toUpper();
    return kNames.value(upper, upper);
}

// gqrx: "# Frequency ; Name ; Modulation ; Bandwidth ; Tags" heads the bookmarks.
bool IsGqrxHeader(const QString& line, const char* first) {
    const QStringList fields = line.split(';');
    return fields.size() > 1 && fields[0].trimmed() == QLatin1String(first);
}

std::optional<ImportedBookmarks> ReadGqrx(const QStringList& lines) {
    qsizetype at = 0;
    while (at < lines.size() && lines[at].trimmed().isEmpty()) {
        ++at;
    }
    // The tag block, when there is one, comes first and ends at the bookmarks' header.
    if (at < lines.size() && IsGqrxHeader(lines[at], "# Tag name")) {
        while (at < lines.size() && !IsGqrxHeader(lines[at], "# Frequency")) {
            ++at;
        }
    }
    if (at == lines.size() || !IsGqrxHeader(lines[at], "# Frequency")) {
        return std::nullopt;
    }
    ImportedBookmarks imported{QStringLiteral("gqrx"), {}, {}, {}};
    for (++at; at < lines.size(); ++at) {
        if (lines[at].trimmed().isEmpty()) {
            continue;
        }
        const QStringList fields = lines[at].split(';');
        const std::optional<double> hertz =
            fields.size() == 5 ? Number(fields[0].trimmed()) : std::nullopt;
        const std::optional<long long> within = hertz ? HertzWithin(*hertz) : std::nullopt;
        if (within) {
            QStringList tags;
            for (const QString& tag : fields[4].split(',', Qt::SkipEmptyParts)) {
                if (!tag.trimmed().isEmpty()) {
                    tags << tag.trimmed();
                }
            }
            imported.entries.push_back({*within, fields[1].trimmed(), ModeName(fields[2]), tags});
        } else {
            imported.malformed << QStringLiteral("line %1").arg(at + 1);
        }
    }
    return imported;
}

std::optional<ImportedBookmarks> ReadSdrPlusPlus(const QByteArray& bytes) {
    const QJsonDocument document = QJsonDocument::fromJson(bytes);
    const QJsonObject top = document.object();
    QList<std::pair<QString, QJsonObject>> lists;  // by name; an exported list has none
    if (top.value(QLatin1String("lists")).isObject()) {
        const QJsonObject all = top.value(QLatin1String("lists")).toObject();
        for (auto list = all.begin(); list != all.end(); ++list) {
            lists.append(
                {list.key(), list.value().toObject().value(QLatin1String("bookmarks")).toObject()});
        }
    } else if (top.value(QLatin1String("bookmarks")).isObject()) {
        lists.append({QString(), top.value(QLatin1String("bookmarks")).toObject()});
    } else {
        return std::nullopt;
    }
    ImportedBookmarks imported{QStringLiteral("SDR++"), {}, {}, {}};
    // SDR++'s own numbers for its demodulators.
    static const QStringList kModes = {"NFM", "WFM", "AM", "DSB", "USB", "CW", "LSB", "RAW"};
    for (const auto& [listName, list] : lists) {
        for (auto it = list.begin(); it != list.end(); ++it) {
            const QJsonObject entry = it.value().toObject();
            const QJsonValue frequency = entry.value(QLatin1String("frequency"));
            const std::optional<long long> within =
                frequency.isDouble() ? HertzWithin(frequency.toDouble()) : std::nullopt;
            const QJsonValue mode = entry.value(QLatin1String("mode"));
            if (within) {
                imported.entries.push_back(
                    {*within, it.key().trimmed(),
                     mode.isDouble() ? kModes.value(mode.toInt()) : QString(),
                     listName.isEmpty() ? QStringList() : QStringList{listName}});
            } else {
                imported.malformed << QStringLiteral("\"%1\"").arg(it.key());
            }
        }
    }
    return imported;
}

// One CSV record on one line: fields split at commas, a field in double quotes may hold commas
// and doubled quotes.
QStringList CsvFields(const QString& line) {
    QStringList fields{QString()};
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
            fields.last() += '"';
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            fields << QString();
        } else {
            fields.last() += c;
        }
    }
    return fields;
}

std::optional<ImportedBookmarks> ReadChirp(const QStringList& lines) {
    if (!lines[0].startsWith(QLatin1String("Location,"))) {
        return std::nullopt;
    }
    const QStringList header = CsvFields(lines[0]);
    const qsizetype frequencyAt = header.indexOf(QLatin1String("Frequency"));
    if (frequencyAt < 0) {
        return std::nullopt;
    }
    const qsizetype nameAt = header.indexOf(QLatin1String("Name"));
    const qsizetype skipAt = header.indexOf(QLatin1String("Skip"));
    const qsizetype modeAt = header.indexOf(QLatin1String("Mode"));
    ImportedBookmarks imported{QStringLiteral("CHIRP"), {}, {}, {}};
    for (qsizetype row = 1; row < lines.size(); ++row) {
        if (lines[row].trimmed().isEmpty()) {
            continue;
        }
        const QStringList fields = CsvFields(lines[row]);
        const auto field = [&fields](qsizetype at) {
            return at >= 0 && at < fields.size() ? fields[at].trimmed() : QString();
        };
        // In MHz; a row too short to hold it gives an empty field, not a number.
        const std::optional<double> mhz = Number(field(frequencyAt));
        const std::optional<long long> within = mhz ? HertzWithin(*mhz * 1e6) : std::nullopt;
        if (!within) {
            imported.malformed << QStringLiteral("line %1").arg(row + 1);
            continue;
        }
        imported.entries.push_back({*within, field(nameAt), ModeName(field(modeAt)), {}});
        // "P", a priority channel's skip, is not a lockout.
        if (field(skipAt) == QLatin1String("S")) {
            imported.skipped.push_back(*within);
        }
    }
    return imported;
}

}  // namespace

std::vector<Bookmark> AsBookmarks(const std::vector<ImportedChannel>& entries) {
    std::vector<Bookmark> marks;
    marks.reserve(entries.size());
    for (const ImportedChannel& entry : entries) {
        marks.push_back({entry.hertz, entry.name});
    }
    return marks;
}

std::optional<ImportedBookmarks> ImportBookmarks(const QByteArray& bytes, QString* error) {
    // A UTF-8 BOM at the start needs nothing of ours: fromUtf8 drops it and fromJson reads past it.
    const QStringList lines = Lines(QString::fromUtf8(bytes));
    std::optional<ImportedBookmarks> imported = ReadSdrPlusPlus(bytes);
    if (!imported) {
        imported = ReadGqrx(lines);
    }
    if (!imported) {
        imported = ReadChirp(lines);
    }
    if (!imported && error) {
        *error = QStringLiteral(
            "it is none of the formats Nerimo reads: gqrx's bookmarks.csv, SDR++'s frequency "
            "manager JSON, CHIRP's CSV export");
    }
    return imported;
}

}  // namespace nerimo
