// Whatever the receiver sends, split over two reads: the second read's level comes from its last
// character that is not CR or LF, A..P giving 1..16 and anything else 0; a read that brought
// nothing is no answer.
#include "CoreFakes.h"
#include "ReceiverFakes.h"
#include "SerialReceiver.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    // The first byte says where the text is cut between two reads.
    const QByteArray text(reinterpret_cast<const char*>(data) + 1,
                          static_cast<qsizetype>(size - 1));
    const qsizetype cut = text.isEmpty() ? 0 : data[0] % (text.size() + 1);

    const nerimo::Settings settings;
    nerimo::testing::FakeSerialPort port;
    nerimo::testing::FakeMessageBox messages;
    nerimo::testing::VirtualScheduler retry;
    nerimo::SerialReceiver receiver(settings, port, messages, retry);
    receiver.OpenPort([](const nerimo::OpenOutcome&) {});
    receiver.StartRun();
    port.pending = text.left(cut);
    receiver.ReadReply();
    port.pending = text.mid(cut);
    const std::optional<int> level = receiver.ReadReply();

    const QByteArray last = text.mid(cut);
    std::optional<int> expected;
    if (!last.isEmpty()) {
        expected = 0;
        for (qsizetype i = last.size() - 1; i >= 0; --i) {
            if (last[i] != '\r' && last[i] != '\n') {
                expected = last[i] >= 'A' && last[i] <= 'P' ? last[i] - 'A' + 1 : 0;
                break;
            }
        }
    }
    if (level != expected || receiver.ReplyText().size() > 1) {
        __builtin_trap();
    }
    return 0;
}
