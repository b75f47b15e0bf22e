#include "RigctldServer.h"

#include <QTcpSocket>

namespace nerimo::sim {

namespace {

// The radio's abilities, one item a line, as Hamlib 4.5 reads them: receive 100 kHz to 1.3 GHz
// in AM, CW, USB, LSB, FM and WFM, 12.5 kHz steps, two filters, and the strength and raw S-meter
// readable.
constexpr char kDumpState[] =
    "0\n2\n1\n"
    "100000 1300000000 0x6f -1 -1 0x3 0\n0 0 0 0 0 0 0\n0 0 0 0 0 0 0\n"
    "0x6f 12500\n0 0\n0x20 15000\n0x1 8000\n0 0\n"
    "0\n0\n0\n0\n\n\n"
    "0x0\n0x0\n0x44000000\n0x0\n0x0\n0x0\n";

// The strength in dB relative to S9 that the program reads back as this level: 6 dB an S-unit
// up to S9 (level 9), 10 dB a level above it.
int Decibels(int level) {
    if (level == 0) {
        return -54;
    }
    return level <= 9 ? 6 * level - 54 : 10 * (level - 9);
}

}  // namespace

RigctldServer::RigctldServer(const BandModel& band, bool garbage, CommandLog& log)
    : band_(band), garbage_(garbage), log_(log) {
    connect(&server_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* client = server_.nextPendingConnection()) {
            connect(client, &QTcpSocket::readyRead, this, [this, client] { Answer(client); });
            connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
        }
    });
}

quint16 RigctldServer::Listen(quint16 port, QString* error) {
    if (!server_.listen(QHostAddress::LocalHost, port)) {
        *error =
            QStringLiteral("cannot listen on port %1: %2").arg(port).arg(server_.errorString());
        return 0;
    }
    return server_.serverPort();
}

void RigctldServer::Answer(QTcpSocket* client) {
    while (client->canReadLine()) {
        client->write(Reply(client->readLine().trimmed()));
    }
}

QByteArray RigctldServer::Reply(const QByteArray& request) {
    const QList<QByteArray> words = request.split(' ');
    const QByteArray& verb = words.value(0);
    if (verb == "F" && words.size() == 2) {
        hertz_ = words[1].toDouble();
        log_.Write(QByteArray::number(hertz_ / 1e6, 'f', 4) + (mode_ == "AM" ? 'A' : 'N'));
        return "RPRT 0\n";
    }
    if (verb == "l" && words.value(1) == "STRENGTH") {
        log_.Write("STRENGTH");
        if (garbage_) {
            return "S9+\n";  // Hamlib's own reading takes this as 0 dB
        }
        return QByteArray::number(
                   Decibels(band_.LevelAt(hertz_ / 1e6, CommandLog::SecondsSinceStart()))) +
               "\n";
    }
    if (verb == "M" && words.size() >= 2) {
        if (words[1] != mode_) {  // a change of mode, in the log as "MODE USB"
            log_.Write("MODE " + words[1]);
        }
        mode_ = words[1];
        return "RPRT 0\n";
    }
    if (verb == "\\dump_state") {
        return kDumpState;
    }
    if (verb == "\\chk_vfo" || verb == "\\get_lock_mode") {
        return "0\n";
    }
    if (verb == "f") {
        return QByteArray::number(hertz_, 'f', 0) + "\n";
    }
    if (verb == "m") {
        return mode_ + "\n15000\n";
    }
    if (verb == "v") {
        return "VFOA\n";
    }
    if (verb == "s") {
        return "0\nVFOA\n";
    }
    if (verb == "V" || verb == "q") {
        return "RPRT 0\n";
    }
    return "RPRT -11\n";  // not available
}

}  // namespace nerimo::sim
