#pragma once

#include <QDateTime>
#include <QImage>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "HoldTraces.h"
#include "Mode.h"

namespace nerimo {

// What a picture of the plot says of itself under it.
struct PictureCaption {
    double startMHz = 0;
    int spanMHz = 1;
    QDateTime lastSweep;  // the time of the last sweep's first step; none before any
    Mode mode = Mode::Fm;
    QString device;
    std::vector<Hold> holds;  // the hold traces shown
    QStringList channels;     // a list's, in its order, when its bars are shown
};

// The plot and its scale strip as the window shows them, one pixel row of the window's grey
// between them, and a caption strip under them: the start, centre and end frequencies under
// their points, then the date and time of the last sweep, the span, the mode, the device and the
// level scale; of a list's bars, the channels' names under them (as many as have room) in place
// of the frequencies, and the count of channels in place of the span. With any hold trace shown,
// its legend on the plot as the window has it, and a line more in the caption that names the holds.
QImage PlotPicture(const QImage& plot, const QImage& scale, const PictureCaption& caption);

// The format a picture's file name asks for by its ending (".png", ".jpg"...), when Nerimo writes
// it; nothing for any other ending, or none.
std::optional<QByteArray> PictureFormat(const QString& path);
// What the endings may be, for a message.
QString PictureFormatsText();

// Why a picture cannot be saved at `path` (its folder is missing, takes no file, or the path is a
// folder), as the system says it; nothing when it can.
std::optional<QString> PictureRefused(const QString& path);

// Saves the picture in the format its name's ending asks for (PNG for ".png"). It is written beside
// the old file of that name and takes its place only once whole, so a failure never leaves half a
// picture. False with the reason.
bool SavePicture(const QImage& picture, const QString& path, QString* error);

}  // namespace nerimo
