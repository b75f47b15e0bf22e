#include <QtTest>

// Installs the build into a prefix of its own and checks what a desktop finds there.
class InstallTest : public QObject {
    Q_OBJECT

    QTemporaryDir prefix_;

    QString Installed(const QString& path) const { return prefix_.filePath(path); }

  private slots:
    void initTestCase() {
        QVERIFY(prefix_.isValid());
        QProcess install;
        install.start(QStringLiteral("cmake"),
                      {QStringLiteral("--install"), QStringLiteral(NERIMO_BUILD_DIR),
                       QStringLiteral("--prefix"), prefix_.path()});
        QVERIFY(install.waitForFinished(60000));
        QVERIFY2(install.exitCode() == 0, install.readAllStandardError());
    }

    void programsAreInstalled_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("program") << "bin/nerimo";
        QTest::newRow("simulated receiver") << "bin/nerimo-receiver-sim";
    }
    void programsAreInstalled() {
        QFETCH(QString, path);
        const QFileInfo program(Installed(path));
        QVERIFY2(program.isFile() && program.isExecutable(), qPrintable(path));
    }

    void desktopEntryIsValidAndPointsAtWhatIsInstalled() {
        const QString entry = Installed(QStringLiteral("share/applications/nerimo.desktop"));
        QVERIFY(QFileInfo::exists(entry));
        QProcess validate;
        validate.setProcessChannelMode(QProcess::MergedChannels);
        validate.start(QStringLiteral("desktop-file-validate"), {entry});
        QVERIFY2(validate.waitForFinished(10000), "desktop-file-validate did not run");
        const QByteArray said = validate.readAll();
        QVERIFY2(validate.exitCode() == 0 && said.trimmed().isEmpty(), said);

        QFile file(entry);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QVERIFY(lines.contains("Exec=nerimo"));
        QVERIFY(lines.contains("Icon=nerimo"));
        QVERIFY(lines.contains("StartupWMClass=nerimo"));
    }

    void iconThemeHasEverySize_data() {
        QTest::addColumn<int>("size");
        for (int size : {16, 32, 48, 256}) {
            QTest::addRow("%d pixels", size) << size;
        }
    }
    void iconThemeHasEverySize() {
        QFETCH(int, size);
        const QImage icon(
            Installed(QStringLiteral("share/icons/hicolor/%1x%1/apps/nerimo.png").arg(size)));
        QCOMPARE(icon.size(), QSize(size, size));
        // The trace's green is there, so the icon was drawn and not left blank.
        bool green = false;
        for (int y = 0; y < size && !green; ++y) {
            for (int x = 0; x < size && !green; ++x) {
                green = icon.pixelColor(x, y) == QColor(0, 255, 0);
            }
        }
        QVERIFY(green);
    }
};

QTEST_GUILESS_MAIN(InstallTest)
#include "tst_install.moc"
