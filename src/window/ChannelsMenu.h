#pragma once

#include <QAction>
#include <QMenu>
#include <functional>
#include <optional>

#include "MessageBox.h"
#include "Station.h"
#include "SweepPlan.h"

namespace nerimo {

// The plot menu's items for a list of channels: "Scan channels…" (a gqrx, SDR++ or CHIRP file,
// scanned in place of the span) and "Sweep the band" (the span again).
class ChannelsMenu : public QObject {
    Q_OBJECT

  public:
    struct Parts {
        QWidget* window;
        QMenu& menu;
        QAction* before;  // the items go before this one
        Station& station;
        MessageBox& messages;
        // The channels to scan from now on, or none for the span.
        std::function<void(const std::optional<SweepPlan>& channels)> use;
    };

    explicit ChannelsMenu(const Parts& parts);

    // Scans the channels of a file, of the groups given (all when none), from now on; false,
    // with a message that stops nothing, when it has none to scan.
    bool ScanChannels(const QString& path, const QStringList& groups = {},
                      const QStringList& priority = {});
    // The span again.
    void SweepBand();

  private:
    void ChooseChannels();

    Parts parts_;
    QAction* band_;
};

}  // namespace nerimo
