#pragma once

// A real InfluxDB 1.x (Debian's influxd) for the tests and the benchmarks, in folders of its own
// on free ports of 127.0.0.1, and its HTTP query interface.

#include <sys/prctl.h>

#include <QtCore/qtestsupport_core.h>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QUrlQuery>
#include <csignal>

namespace nerimo::testing {

// With `auth`, it takes "admin" with the password "secret" and no one else.
class TestInflux {
  public:
    explicit TestInflux(bool auth = false) : auth_(auth) {
        port = FreePort();
        url = "http://127.0.0.1:" + QString::fromLatin1(port);
        const QString config = QStringLiteral(
                                   "reporting-enabled = false\nbind-address = \"127.0.0.1:%1\"\n"
                                   "[meta]\ndir = \"%2/meta\"\nlogging-enabled = false\n"
                                   "[data]\ndir = \"%2/data\"\nwal-dir = \"%2/wal\"\n"
                                   "query-log-enabled = false\n[monitor]\nstore-enabled = false\n"
                                   "[logging]\nlevel = \"error\"\n[http]\nlog-enabled = false\n"
                                   "bind-address = \"127.0.0.1:%3\"\nauth-enabled = %4\n")
                                   .arg(QString::fromLatin1(FreePort()), dir.path(),
                                        QString::fromLatin1(port), auth ? "true" : "false");
        QFile file(dir.filePath("influxdb.conf"));
        file.open(QIODevice::WriteOnly);
        file.write(config.toUtf8());
        file.close();
        server.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        server.setStandardOutputFile(QProcess::nullDevice());
    }
    ~TestInflux() { Stop(); }

    // Started and answering; the first time, with the database "radio" (and the admin user).
    bool Start() {
        server.start("influxd", {"-config", dir.filePath("influxdb.conf")});
        if (!server.waitForStarted() ||
            !QTest::qWaitFor([&] { return Send("GET", "/ping", {}) == 204; }, 20000)) {
            return false;
        }
        if (started_++ > 0) {
            return true;
        }
        if (auth_) {
            if (Post("CREATE USER admin WITH PASSWORD 'secret' WITH ALL PRIVILEGES") != 200) {
                return false;
            }
            admin_ = true;
        }
        return Post("CREATE DATABASE radio") == 200;
    }
    void Stop() {
        server.terminate();
        server.waitForFinished(20000);
    }

    // The rows of a query of "radio": each series' rows, its tags first, then its columns.
    QList<QJsonArray> Select(const QString& query) {
        QUrlQuery fields;
        fields.addQueryItem("db", "radio");
        fields.addQueryItem("q", query);
        QByteArray answer;
        Send("GET", "/query?" + fields.query(QUrl::FullyEncoded), {}, &answer);
        QList<QJsonArray> rows;
        const QJsonArray results =
            QJsonDocument::fromJson(answer).object().value("results").toArray();
        for (const QJsonValue result : results) {
            for (const QJsonValue series : result.toObject().value("series").toArray()) {
                const QJsonObject tags = series.toObject().value("tags").toObject();
                for (const QJsonValue values : series.toObject().value("values").toArray()) {
                    QJsonArray row;
                    for (const QJsonValue tag : tags) {
                        row.append(tag);
                    }
                    for (const QJsonValue value : values.toArray()) {
                        row.append(value);
                    }
                    rows << row;
                }
            }
        }
        return rows;
    }
    // How many points the measurement holds.
    int Count(const QString& measurement = "sweep") {
        return Select("SELECT count(level) FROM " + measurement).value(0).at(1).toInt();
    }

    QTemporaryDir dir;
    QByteArray port;
    QString url;
    QProcess server;

  private:
    static QByteArray FreePort() {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        return QByteArray::number(probe.serverPort());
    }
    int Post(const QString& statement) {
        QUrlQuery fields;
        fields.addQueryItem("q", statement);
        return Send("POST", "/query", fields.query(QUrl::FullyEncoded).toLatin1());
    }
    int Send(const QByteArray& verb, const QString& path, const QByteArray& body,
             QByteArray* answer = nullptr) {
        QNetworkRequest request(QUrl(url + path));
        request.setHeader(QNetworkRequest::ContentTypeHeader, "application/x-www-form-urlencoded");
        if (admin_) {
            request.setRawHeader("Authorization", "Basic " + QByteArray("admin:secret").toBase64());
        }
        QNetworkReply* reply = network_.sendCustomRequest(request, verb, body);
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        if (answer) {
            *answer = reply->readAll();
        }
        reply->deleteLater();
        return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    }

    bool auth_;
    bool admin_ = false;
    int started_ = 0;
    QNetworkAccessManager network_;
};

}  // namespace nerimo::testing
