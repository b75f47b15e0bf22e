#pragma once

// A real Mosquitto broker for the tests and the benchmarks, and a subscriber of it.

#include <sys/prctl.h>

#include <QtCore/qtestsupport_core.h>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <csignal>

namespace nerimo::testing {

// A Mosquitto broker on a free port of 127.0.0.1, its sessions kept over a restart; with
// `password`, it takes "sensor" with that password and no one else; `more` is further lines of
// its configuration, "%1" in them its folder.
class TestBroker {
  public:
    explicit TestBroker(const QByteArray& password = {}, const QByteArray& more = {}) {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        port = QString::number(probe.serverPort());
        probe.close();
        QByteArray config = "listener " + port.toLatin1() +
                            " 127.0.0.1\npersistence true\npersistence_location " +
                            dir.path().toLocal8Bit() + "/\nmax_queued_messages 5000\nuser root\n";
        if (password.isEmpty()) {
            config += "allow_anonymous true\n";
        } else {
            QProcess users;
            users.start("mosquitto_passwd", {"-b", "-c", dir.filePath("passwords"), "sensor",
                                             QString::fromLatin1(password)});
            users.waitForFinished();
            config += "allow_anonymous false\npassword_file " +
                      dir.filePath("passwords").toLocal8Bit() + "\n";
        }
        config += QByteArray(more).replace("%1", dir.path().toLocal8Bit());
        QFile file(dir.filePath("mosquitto.conf"));
        file.open(QIODevice::WriteOnly);
        file.write(config);
        file.close();
        server.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        subscriber.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    }
    ~TestBroker() {
        subscriber.kill();
        subscriber.waitForFinished();
        Stop();
    }

    // Started, and taking connections.
    bool Start() {
        server.start("/usr/sbin/mosquitto", {"-c", dir.filePath("mosquitto.conf")});
        return server.waitForStarted() &&
               QTest::qWaitFor(
                   [&] {
                       QTcpSocket socket;
                       socket.connectToHost("127.0.0.1", port.toUShort());
                       return socket.waitForConnected(100);
                   },
                   5000);
    }
    void Stop() {
        server.terminate();
        server.waitForFinished();
    }

    // Every message under nerimo/, "topic payload" a line as it comes, in a session that
    // outlives the broker's restarts; subscribed once a message of the test's own comes back.
    bool Subscribe(const QStringList& credentials = {}) {
        // Its output through a pipe is a line at a time only with stdbuf.
        subscriber.start(
            "stdbuf", QStringList{"-oL", "mosquitto_sub", "-p", port, "-c", "-i", "test-subscriber",
                                  "-q", "1", "-v", "-t", "nerimo/#", "-t", "test"} +
                          credentials);
        return QTest::qWaitFor(
            [&] {
                QProcess::execute(
                    "mosquitto_pub",
                    QStringList{"-p", port, "-t", "test", "-m", "ready"} + credentials);
                return Heard().contains("test ready");
            },
            5000);
    }
    QList<QByteArray> Heard() {
        heard_ += subscriber.readAllStandardOutput();
        return heard_.split('\n');
    }
    // The messages of one topic, their payloads as JSON.
    QList<QJsonObject> On(const QByteArray& topic) {
        QList<QJsonObject> found;
        for (const QByteArray& line : Heard()) {
            if (line.startsWith(topic + ' ')) {
                found << QJsonDocument::fromJson(line.mid(topic.size() + 1)).object();
            }
        }
        return found;
    }

    // What a subscriber connecting now gets at once (the retained messages), a line a topic as
    // "topic payload".
    QByteArray Retained(const QStringList& topics, const QStringList& credentials = {}) const {
        QStringList options{"-p", port, "-v", "-W", "5", "-C", QString::number(topics.size())};
        for (const QString& topic : topics) {
            options << "-t" << topic;
        }
        QProcess later;
        later.start("mosquitto_sub", options + credentials);
        return later.waitForFinished(10000) ? later.readAllStandardOutput() : QByteArray();
    }

    QTemporaryDir dir;
    QString port;
    QProcess server;
    QProcess subscriber;

  private:
    QByteArray heard_;
};

}  // namespace nerimo::testing
