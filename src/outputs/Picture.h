#pragma once

#include <QImage>
#include <QString>
#include <optional>

namespace nerimo {

// The plot and its scale strip as the window shows them, one pixel row of the window's grey
// between them.
QImage PlotPicture(const QImage& plot, const QImage& scale);

// Why a picture cannot be saved at `path` (its folder is missing, takes no file, or the path is a
// folder), as the system says it; nothing when it can.
std::optional<QString> PictureRefused(const QString& path);

// Saves the picture as a PNG file. It is written beside the old file of that name and takes its
// place only once whole, so a failure never leaves half a picture. False with the reason.
bool SavePicture(const QImage& picture, const QString& path, QString* error);

}  // namespace nerimo
