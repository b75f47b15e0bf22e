// Whatever the receiver sends, split over any number of reads: the level comes from the last
// character that is not CR or LF, A..P giving 1..16 and anything else 0.
#include "Fakes.h"
#include "ReceiverLink.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    // The first byte says where the text is cut between two reads.
    const QByteArray text(reinterpret_cast<const char*>(data) + 1,
                          static_cast<qsizetype>(size - 1));
    const qsizetype cut = text.isEmpty() ? 0 : data[0] % (text.size() + 1);

    nerimo::State state;
    nerimo::testing::FakeSerialPort port;
    nerimo::testing::FakeMessageBox messages;
    nerimo::testing::VirtualScheduler retry;
    nerimo::ReceiverLink link(state, port, messages, retry);
    link.OpenPort();
    link.StartRun();
    port.pending = text.left(cut);
    link.ReadLevel();
    port.pending = text.mid(cut);
    link.ReadLevel();

    // What the second read brought decides, as long as it brought anything at all.
    const QByteArray last = text.mid(cut).isEmpty() ? QByteArray() : text.mid(cut);
    int expected = 0;
    for (qsizetype i = last.size() - 1; i >= 0; --i) {
        if (last[i] != '\r' && last[i] != '\n') {
            expected = last[i] >= 'A' && last[i] <= 'P' ? last[i] - 'A' + 1 : 0;
            break;
        }
    }
    if (state.SignalLevel != expected || state.ReplyText.size() > 1) {
        __builtin_trap();
    }
    return 0;
}
