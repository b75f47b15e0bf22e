#pragma once

#include <QByteArray>
#include <QSettings>
#include <QString>

#include "HoldTraces.h"
#include "Palette.h"

namespace nerimo {

// What the window remembers for the next start, written as it changes: which hold traces are
// shown, the history window's place, size and palette, and the file of named frequencies. It lives
// in Nerimo-window.ini beside the settings file in use, which the program never writes.
class WindowState {
  public:
    explicit WindowState(const QString& settingsFile);

    bool HoldShown(Hold hold) const;
    void SetHoldShown(Hold hold, bool shown);
    QByteArray HistoryGeometry() const;
    void SetHistoryGeometry(const QByteArray& geometry);
    Palette HistoryPalette() const;
    void SetHistoryPalette(Palette palette);
    // The file of named frequencies chosen last; empty when none.
    QString BookmarksPath() const;
    void SetBookmarksPath(const QString& path);

  private:
    QSettings file_;
};

}  // namespace nerimo
