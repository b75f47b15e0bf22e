#include "WindowState.h"

#include <QFileInfo>

namespace nerimo {

namespace {

const char* Key(Hold hold) {
    switch (hold) {
        case Hold::Max:
            return "MaxHold";
        case Hold::Min:
            return "MinHold";
        case Hold::Average:
            break;
    }
    return "Average";
}

}  // namespace

WindowState::WindowState(const QString& settingsFile)
    : file_(QFileInfo(settingsFile).absolutePath() + QStringLiteral("/Nerimo-window.ini"),
            QSettings::IniFormat) {}

bool WindowState::HoldShown(Hold hold) const {
    return file_.value(QLatin1String(Key(hold)), false).toBool();
}

void WindowState::SetHoldShown(Hold hold, bool shown) {
    file_.setValue(QLatin1String(Key(hold)), shown);
    file_.sync();
}

QByteArray WindowState::HistoryGeometry() const {
    return file_.value(QStringLiteral("HistoryGeometry")).toByteArray();
}

void WindowState::SetHistoryGeometry(const QByteArray& geometry) {
    file_.setValue(QStringLiteral("HistoryGeometry"), geometry);
    file_.sync();
}

Palette WindowState::HistoryPalette() const {
    return PaletteNamed(file_.value(QStringLiteral("HistoryPalette")).toString());
}

void WindowState::SetHistoryPalette(Palette palette) {
    file_.setValue(QStringLiteral("HistoryPalette"), PaletteName(palette));
    file_.sync();
}

QString WindowState::BookmarksPath() const {
    return file_.value(QStringLiteral("Bookmarks")).toString();
}

void WindowState::SetBookmarksPath(const QString& path) {
    file_.setValue(QStringLiteral("Bookmarks"), path);
    file_.sync();
}

}  // namespace nerimo
