#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace nerimo::sim {

// A signal on the simulated band: a peak level at its centre, falling to 0 at its edges.
struct Signal {
    double centreMHz = 0.0;
    double widthKHz = 12.5;
    int peak = 1;  // 1..16
    // On for one period, off for the next; a negative period starts off; 0 = always on.
    double periodSeconds = 0.0;
};

// The levels a receiver would report across the band.
class BandModel {
  public:
    // A few signals between 145 and 153 MHz, one of them coming and going, over a quiet floor.
    static BandModel Demo();

    // Lines of "centre-MHz width-kHz peak [period-s]" and one optional "noise LEVEL"; "#" starts
    // a comment. Nothing on error, with the reason.
    static std::optional<BandModel> Parse(const QByteArray& text, QString* error);

    // The level 0..16 at a frequency, at a time in seconds since the simulator started.
    int LevelAt(double mhz, double seconds) const;

    const QList<Signal>& Signals() const { return signals_; }
    int NoiseFloor() const { return noiseFloor_; }

  private:
    QList<Signal> signals_;
    int noiseFloor_ = 0;
};

}  // namespace nerimo::sim
