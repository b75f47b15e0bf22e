#include "CommandParser.h"

namespace nerimo::sim {

namespace {

constexpr int kDecimals = 4;
constexpr int kLongestWholePart = 5;  // the receiver tunes up to a few GHz

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

void CommandParser::Restart(char c) {
    buffer_.clear();
    decimals_ = -1;
    if (IsDigit(c)) {
        buffer_.append(c);
    }
}

QList<Command> CommandParser::Feed(QByteArrayView bytes) {
    QList<Command> commands;
    for (const char c : bytes) {
        if (buffer_.isEmpty()) {
            Restart(c);
        } else if (decimals_ < 0) {
            if (IsDigit(c) && buffer_.size() < kLongestWholePart) {
                buffer_.append(c);
            } else if (c == '.') {
                buffer_.append(c);
                decimals_ = 0;
            } else {
                Restart(c);
            }
        } else if (decimals_ < kDecimals && IsDigit(c)) {
            buffer_.append(c);
            ++decimals_;
        } else if (decimals_ == kDecimals && (c == 'N' || c == 'A')) {
            commands.append({buffer_ + c, buffer_.toDouble(), c});
            Restart('\0');
        } else {
            Restart(c);
        }
    }
    return commands;
}

}  // namespace nerimo::sim
