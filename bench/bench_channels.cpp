// What a list of 10,000 channels costs as it is chosen in the window: the file read and its
// channels chosen, the channel table filled, and the bars drawn. Prints "name value" lines, in
// milliseconds, for nerimo-bench.

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

#include "ChannelBars.h"
#include "ChannelTable.h"
#include "DiskFileAccess.h"
#include "FrequencyLists.h"
#include "SurfaceWidget.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    constexpr int kChannels = 10000;
    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("bookmarks.csv")));
    if (!file.open(QIODevice::WriteOnly)) {
        return 1;
    }
    file.write("# Frequency ; Name ; Modulation ; Bandwidth ; Tags\n");
    for (int channel = 0; channel < kChannels; ++channel) {
        file.write(QByteArray::number(118000000LL + channel * 12500LL) + " ; Channel " +
                   QByteArray::number(channel) + " ; " + (channel % 2 ? "AM" : "Narrow FM") +
                   " ; 10000 ; Air, Local\n");
    }
    file.close();

    nerimo::platform::DiskFileAccess files;
    const nerimo::Lockouts lockouts;
    QElapsedTimer clock;
    clock.start();
    const nerimo::ChannelChoice choice = nerimo::ReadChannels(
        files, file.fileName(), {QStringLiteral("air")}, {}, lockouts, {100000, 2036000000, false});
    const double loadMs = clock.nsecsElapsed() / 1e6;
    if (choice.plan.Count() != kChannels) {
        return 1;
    }
    const nerimo::SweepStart start{choice.plan, QDateTime::currentDateTime(), nerimo::Mode::Fm};
    nerimo::ChannelTable table(lockouts);
    clock.restart();
    table.SweepBegan(start);
    table.Show();
    const double tableMs = clock.nsecsElapsed() / 1e6;
    nerimo::platform::SurfaceWidget surface(nullptr, qRgb(0, 0, 0));
    surface.SetPixelSize(720, 350);
    nerimo::ChannelBars bars(surface, 0);
    clock.restart();
    bars.SweepBegan(start);
    for (int channel = 0; channel < kChannels; ++channel) {
        bars.Measured(choice.plan.HertzAt(channel), channel % 17, nerimo::Reply::Answered);
    }
    const double measuredUs = clock.nsecsElapsed() / 1e3 / kChannels;
    std::printf("load-ms %.3f\ntable-ms %.3f\nbar-us %.3f\n", loadMs, tableMs, measuredUs);
    return 0;
}
