#include "ChannelsMenu.h"

#include <QFileDialog>
#include <QStandardPaths>

namespace nerimo {

ChannelsMenu::ChannelsMenu(const Parts& parts)
    : QObject(parts.window),
      parts_(parts),
      band_(new QAction(QStringLiteral("Sweep the band"), this)) {
    auto* channels = new QAction(QStringLiteral("Scan channels…"), this);
    parts_.menu.insertActions(parts_.before, {channels, band_});
    parts_.menu.insertSeparator(parts_.before);
    band_->setEnabled(false);
    connect(channels, &QAction::triggered, this, &ChannelsMenu::ChooseChannels);
    connect(band_, &QAction::triggered, this, &ChannelsMenu::SweepBand);
}

bool ChannelsMenu::ScanChannels(const QString& path, const QStringList& groups,
                                const QStringList& priority) {
    const ChannelChoice choice = parts_.station.ReadChannels(path, groups, priority);
    if (!choice.refusal.isEmpty()) {
        parts_.messages.Notify(choice.refusal);
        return false;
    }
    if (!choice.notes.isEmpty()) {
        parts_.messages.Notify(choice.notes.join('\n'));
    }
    parts_.use(choice.plan);
    band_->setEnabled(true);
    return true;
}

void ChannelsMenu::SweepBand() {
    parts_.use(std::nullopt);
    band_->setEnabled(false);
}

void ChannelsMenu::ChooseChannels() {
    const QString path =
        QFileDialog::getOpenFileName(parts_.window, QStringLiteral("Scan channels"),
                                     QStandardPaths::writableLocation(QStandardPaths::HomeLocation),
                                     QStringLiteral("Channel lists (*.csv *.json);;All files (*)"));
    if (!path.isEmpty()) {
        ScanChannels(path);
    }
}

}  // namespace nerimo
