#include <unistd.h>
#include <QtTest>
#include <memory>

// Starts the real program, headless, from program folders of its own, the way a user's desktop
// would: the single-instance rule and the settings-file faults are only real across processes.
class ProgramTest : public QObject {
    Q_OBJECT

    // A program folder holding a copy of the executable and, optionally, a settings file.
    struct Folder {
        QTemporaryDir dir;
        Folder(QFile::Permissions mode, const QByteArray* settings = nullptr) {
            QFile::copy(QStringLiteral(NERIMO_EXECUTABLE), Path("nerimo"));
            if (settings != nullptr) {
                QFile file(Path("Nerimo.ini"));
                file.open(QIODevice::WriteOnly);
                file.write(*settings);
            }
            QFile::setPermissions(dir.path(), mode);
        }
        ~Folder() {
            QFile::setPermissions(dir.path(),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        QString Path(const char* name) const { return dir.filePath(QLatin1String(name)); }
    };

    QTemporaryDir lockDir_;  // the temporary folder the copies share, where their lock lives
    static constexpr QFile::Permissions kOpen =
        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther |
        QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup;

    std::unique_ptr<QProcess> Start(const Folder& folder, bool unprivileged = false) {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("TMPDIR"), lockDir_.path());
        env.insert(QStringLiteral("HOME"), lockDir_.path());
        process->setProcessEnvironment(env);
        QString program = folder.Path("nerimo");
        QStringList arguments;
        // As root, permission bits stop nothing: run as nobody so they do.
        if (unprivileged && ::geteuid() == 0) {
            arguments = {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                         QStringLiteral("--clear-groups"), program};
            program = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
        }
        process->start(program, arguments);
        return process;
    }

    static void Stop(QProcess& process) {
        process.kill();
        process.waitForFinished(5000);
    }

    static bool WaitForStandardError(QProcess& process, const QString& text, QByteArray& seen) {
        QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired()) {
            seen += process.readAllStandardError();
            if (QString::fromLocal8Bit(seen).contains(text)) {
                return true;
            }
            process.waitForReadyRead(100);
        }
        return false;
    }

  private slots:
    void initTestCase() {
        QVERIFY(lockDir_.isValid());
        QFile::setPermissions(lockDir_.path(), QFile::Permissions(0x7777));
        if (::geteuid() == 0) {
            QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty(),
                     "setpriv is needed to drop root for the permission cases");
        }
    }

    void secondCopyEndsAtOnceAndAKilledCopyLeavesNoLock() {
        Folder first(kOpen), second(kOpen), third(kOpen);
        auto running = Start(first);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(first.Path("Nerimo.ini")), 10000);

        auto copy = Start(second);
        QVERIFY(copy->waitForFinished(10000));
        QCOMPARE(copy->exitStatus(), QProcess::NormalExit);
        QCOMPARE(copy->exitCode(), 0);
        QVERIFY2(!QFile::exists(second.Path("Nerimo.ini")), "the second copy read its settings");
        QCOMPARE(running->state(), QProcess::Running);

        Stop(*running);  // SIGKILL: the lock file stays behind
        auto restarted = Start(third);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(third.Path("Nerimo.ini")), 10000);
        QTest::qWait(300);
        QCOMPARE(restarted->state(), QProcess::Running);
        Stop(*restarted);
    }

    void unreadableSettingsFileEndsStartUp() {
        const QByteArray settings("SPAN=8\n");
        Folder folder(kOpen, &settings);
        QFile::setPermissions(folder.Path("Nerimo.ini"), QFile::Permissions());
        auto process = Start(folder, true);
        QVERIFY(process->waitForFinished(10000));
        const QString error = QString::fromLocal8Bit(process->readAllStandardError());
        QCOMPARE(process->exitCode(), 1);
        QVERIFY2(error.contains(QStringLiteral("Nerimo.ini cannot be read")), qPrintable(error));
    }

    void readOnlyFolderRunsOnTheDefaults() {
        Folder folder(QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther |
                      QFile::ReadGroup | QFile::ExeGroup);
        auto process = Start(folder, true);
        QByteArray seen;
        QVERIFY2(WaitForStandardError(*process, QStringLiteral("could not be created"), seen),
                 seen.constData());
        QTest::qWait(300);
        QCOMPARE(process->state(), QProcess::Running);
        QVERIFY(!QFile::exists(folder.Path("Nerimo.ini")));
        Stop(*process);
    }

    void valueOutsideSixteenBitsEndsStartUp() {
        const QByteArray settings("COM=40000\n");
        Folder folder(kOpen, &settings);
        auto process = Start(folder);
        QVERIFY(process->waitForFinished(10000));
        const QString error = QString::fromLocal8Bit(process->readAllStandardError());
        QCOMPARE(process->exitCode(), 1);
        QVERIFY2(error.contains(QStringLiteral("COM= the value 40000")), qPrintable(error));
    }

    // Files no editor would write: the program reads them whole and starts, or names the key.
    void oversizedSettingsFiles_data() {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<int>("exitCode");  // -1: still running, on what it read
        QTest::addColumn<QString>("message");
        QByteArray random(10 * 1024 * 1024, Qt::Uninitialized);
        QRandomGenerator generator(20261206);
        for (char& byte : random) {
            byte = static_cast<char>(generator.bounded(256));
        }
        QTest::newRow("10 MB of random bytes") << random << -1 << QString();
        QTest::newRow("a 16 MB line with no key")
            << QByteArray(16 * 1024 * 1024, 'x') << -1 << QString();
        QTest::newRow("a line of 8 MB spaces after the key")
            << QByteArray("SPAN=") + QByteArray(8 * 1024 * 1024, ' ') + "8\n"
            << -1 << QString();
        QTest::newRow("a number of a million digits")
            << QByteArray("COM=") + QByteArray(1000000, '9') << 1
            << QStringLiteral("COM= the value 9999999999999999999999999999999999999999...");
    }
    void oversizedSettingsFiles() {
        QFETCH(QByteArray, settings);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        Folder folder(kOpen, &settings);
        auto process = Start(folder);
        if (exitCode < 0) {
            QVERIFY(!process->waitForFinished(3000));
            QCOMPARE(process->state(), QProcess::Running);
            QVERIFY(!process->readAllStandardError().contains("Nerimo:"));
            Stop(*process);
            return;
        }
        QVERIFY(process->waitForFinished(10000));
        QCOMPARE(process->exitStatus(), QProcess::NormalExit);
        QCOMPARE(process->exitCode(), exitCode);
        const QString error = QString::fromLocal8Bit(process->readAllStandardError());
        QVERIFY2(error.contains(message), qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(ProgramTest)
#include "tst_program.moc"
