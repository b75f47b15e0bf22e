#include "BrokerAddress.h"

#include <QFile>
#include <QRegularExpression>
#include <QUrl>

namespace nerimo {

bool ParseBrokerUrl(const QString& url, BrokerOptions* options, QString* error) {
    const QUrl parsed(url, QUrl::StrictMode);
    const QString scheme = parsed.scheme();
    if (!parsed.isValid() || (scheme != "mqtt" && scheme != "mqtts") || parsed.host().isEmpty() ||
        !parsed.userInfo().isEmpty() || (!parsed.path().isEmpty() && parsed.path() != "/") ||
        parsed.hasQuery() || parsed.hasFragment() || parsed.port() == 0) {
        // A password given in the address is never repeated where others may read it.
        static const QRegularExpression kUserInfo(QStringLiteral("//[^/]*@"));
        *error = QStringLiteral(
                     "--mqtt takes mqtt://host[:port] or mqtts://host[:port], the port 1 to "
                     "65535 (the credentials go in --mqtt-credentials), not %1.")
                     .arg(QString(url).replace(kUserInfo, QStringLiteral("//…@")));
        return false;
    }
    options->tls = scheme == "mqtts";
    options->host = parsed.host();
    options->port = parsed.port(options->tls ? 8883 : 1883);
    return true;
}

bool ReadCredentials(FileAccess& files, const QString& path, BrokerOptions* options,
                     QString* error) {
    const FileRead file = files.Read(path);
    if (file.outcome != FileRead::Outcome::Read) {
        *error = QStringLiteral("The credentials file %1 cannot be read: %2.")
                     .arg(path, file.outcome == FileRead::Outcome::Missing
                                    ? QStringLiteral("there is no such file")
                                    : file.error);
        return false;
    }
    // Another who may write it may swap the password for one of theirs, or read it back.
    if (file.permissions &
        (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther)) {
        *error = QStringLiteral(
                     "The credentials file %1 may be read or written by others; make it the "
                     "owner's alone (chmod 600 %1).")
                     .arg(path);
        return false;
    }
    const QString line =
        QString::fromUtf8(file.bytes.left(file.bytes.indexOf('\n'))).remove('\r').remove('\n');
    const qsizetype colon = line.indexOf(':');
    if (colon <= 0) {
        *error = QStringLiteral(
                     "The credentials file %1 does not start with a line "
                     "user:password.")
                     .arg(path);
        return false;
    }
    options->user = line.left(colon);
    options->password = line.mid(colon + 1);
    return true;
}

}  // namespace nerimo
