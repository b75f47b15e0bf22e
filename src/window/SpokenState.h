#pragma once

#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>
#include <optional>

#include "Panel.h"
#include "SweepListener.h"

namespace nerimo {

// What a screen reader hears of the sweep, in words where the window shows colour: the status
// label's name says the state ("scan", "pause at 145.5000 MHz, level 12", "no receiver"), a
// change of it announced at most once a second, the latest state winning; the plot's description
// says the span, the strongest step of the last whole sweep and where the tuning cursor is.
class SpokenState : public QObject, public SweepListener {
    Q_OBJECT

  public:
    SpokenState(QLabel& status, QWidget& plot, QObject* parent);

    void StatusShown(Status status);
    void SpanShown(long long firstHertz, long long lastHertz);
    // The read-out, for the pointer or the tuning cursor; empty when it shows nothing.
    void CursorShown(const QString& readout);

    void SweepBegan(const SweepStart& start) override;
    void Measured(long long hertz, int level, Reply reply) override;
    void SweepEnded(const SweepSummary& summary) override;

  private:
    struct Step {
        long long hertz = 0;
        int level = 0;
    };
    void Say(const QString& state);
    void Describe();

    QLabel& status_;
    QWidget& plot_;
    QTimer later_;  // the state said once a second has passed since the last
    QElapsedTimer lastSaid_;
    QString pending_;
    std::optional<Step> last_;       // the step measured last
    std::optional<Step> strongest_;  // of the sweep under way
    std::optional<Step> lastSweep_;  // the strongest of the last whole sweep
    long long firstHertz_ = 0;
    long long lastHertz_ = 0;
    QString cursor_;
};

}  // namespace nerimo
