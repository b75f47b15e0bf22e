#pragma once

#include <QTcpServer>

#include "BandModel.h"
#include "CommandLog.h"

namespace nerimo::sim {

// The band model as a radio served by rigctld, on 127.0.0.1: what Hamlib's model 2 ("NET
// rigctl") asks at open and at every step, answered from the band model, its strength in dB
// relative to S9. It logs each frequency set as the command the receiver's own protocol would
// carry (145.1250N) and each strength read as STRENGTH.
class RigctldServer : public QObject {
    Q_OBJECT

  public:
    // `garbage`: every strength read is answered with a text that is not a number.
    RigctldServer(const BandModel& band, bool garbage, CommandLog& log);
    // The port it listens on, 0 with the reason when it cannot.
    quint16 Listen(quint16 port, QString* error);

  private:
    void Answer(QTcpSocket* client);
    QByteArray Reply(const QByteArray& request);

    const BandModel& band_;
    bool garbage_;
    CommandLog& log_;
    QTcpServer server_;
    double hertz_ = 145e6;
    QByteArray mode_ = "FM";
};

}  // namespace nerimo::sim
