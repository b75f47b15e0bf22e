#pragma once

#include <QObject>
#include <QThread>
#include <atomic>

#include "Radio.h"

struct s_rig;

namespace nerimo::platform {

// Hamlib on a worker thread of its own, which creates, uses and closes the radio: nothing of
// Hamlib runs on the window's thread. Requests are queued to the worker; results come back as
// queued calls. Every call is bounded by a time-out of 500 ms with no retries, and the connect to a
// network radio by one of a second.
class HamlibRadio : public QObject, public Radio {
    Q_OBJECT

  public:
    HamlibRadio();
    ~HamlibRadio() override;

    void Open(const RadioSettings& settings, Done done) override;
    void SetMode(Mode mode, Done done) override;
    void SetFrequency(double hertz, Done done) override;
    void ReadStrength(Strength done) override;
    void Close() override;
    // Closes the radio and ends the worker, waiting at most so long; false when the worker is
    // still inside a call to the radio, which then holds the program until the call returns.
    bool Finish(int milliseconds);

  private:
    // Runs `call` on the worker, unless a Close comes first, and `done` with its result here.
    template <typename Result>
    void Request(std::function<Result()> call, std::function<void(const Result&)> done);
    void CloseRig();  // on the worker

    QThread thread_;
    QObject worker_;                    // lives on thread_
    s_rig* rig_ = nullptr;              // the worker's alone
    std::atomic<unsigned> closes_ = 0;  // requests queued before a Close find it counted
};

}  // namespace nerimo::platform
