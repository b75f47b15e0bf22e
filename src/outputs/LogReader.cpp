#include "LogReader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace nerimo {

namespace {

constexpr int kFixedFields = 6;  // date, time, Hz low, Hz high, Hz step, samples
constexpr double kHighestLevel = 16;

// The field up to the next comma, its spaces trimmed; `at` moves past the comma.
QByteArrayView NextField(QByteArrayView line, qsizetype* at) {
    const qsizetype start = *at;
    qsizetype end = line.indexOf(',', start);
    if (end < 0) {
        end = line.size();
    }
    *at = end + 1;
    return line.sliced(start, end - start).trimmed();
}

template <typename Number>
bool Parse(QByteArrayView field, Number* value) {
    const char* end = field.data() + field.size();
    const auto [stop, error] = std::from_chars(field.data(), end, *value);
    return error == std::errc() && stop == end;
}

// A whole number of `digits` digits from `text` at `at`, or -1.
int Digits(QByteArrayView text, qsizetype at, int digits) {
    int value = 0;
    for (int i = 0; i < digits; ++i) {
        if (at + i >= text.size() || text[at + i] < '0' || text[at + i] > '9') {
            return -1;
        }
        value = value * 10 + (text[at + i] - '0');
    }
    return value;
}

// "yyyy-MM-dd" and "HH:mm:ss" as local time; invalid when they are not.
QDateTime Stamp(QByteArrayView date, QByteArrayView time) {
    if (date.size() != 10 || time.size() != 8 || date[4] != '-' || date[7] != '-' ||
        time[2] != ':' || time[5] != ':') {
        return {};
    }
    return QDateTime(QDate(Digits(date, 0, 4), Digits(date, 5, 2), Digits(date, 8, 2)),
                     QTime(Digits(time, 0, 2), Digits(time, 3, 2), Digits(time, 6, 2)));
}

}  // namespace

void LogReader::Feed(QByteArrayView bytes) {
    qsizetype from = 0;
    if (!partial_.isEmpty()) {
        const qsizetype end = bytes.indexOf('\n');
        if (end < 0) {
            partial_ += bytes;
            return;
        }
        partial_ += bytes.first(end);
        ReadLine(partial_);
        partial_.clear();
        from = end + 1;
    }
    for (qsizetype end = bytes.indexOf('\n', from); end >= 0; end = bytes.indexOf('\n', from)) {
        ReadLine(bytes.sliced(from, end - from));
        from = end + 1;
    }
    partial_ = bytes.sliced(from).toByteArray();
}

void LogReader::Finish() {
    if (!partial_.isEmpty()) {
        ReadLine(partial_);
        partial_.clear();
    }
    EndSweep();
}

void LogReader::ReadLine(QByteArrayView line) {
    if (line.endsWith('\r')) {
        line.chop(1);
    }
    if (line.trimmed().isEmpty()) {
        return;
    }
    qsizetype at = 0;
    const QByteArrayView date = NextField(line, &at);
    const QByteArrayView time = NextField(line, &at);
    long long low = 0;
    long long high = 0;
    double step = 0;
    long long samples = 0;
    const bool fixed = Parse(NextField(line, &at), &low) && Parse(NextField(line, &at), &high) &&
                       Parse(NextField(line, &at), &step) && Parse(NextField(line, &at), &samples);
    if (!fixed || step <= 0 || high < low || at > line.size() || !Stamp(date, time).isValid()) {
        ++malformed_;
        return;
    }
    std::vector<float> values;
    while (at <= line.size()) {
        float value = 0;
        if (!Parse(NextField(line, &at), &value)) {
            ++malformed_;
            return;
        }
        values.push_back(value);
    }
    const QByteArray stamp = date.toByteArray() + ' ' + time.toByteArray();
    if (stamp != stamp_) {
        EndSweep();
        stamp_ = stamp;
        sweep_ = {Stamp(date, time), low, std::llround(step), {}};
    }
    // Each value at its own step of the sweep, a hop's after the one before it.
    const long long first = std::llround((low - sweep_.firstHertz) / step);
    if (first < 0) {
        ++malformed_;
        return;
    }
    const auto need = size_t(first) + values.size();
    if (sweep_.values.size() < need) {
        sweep_.values.resize(need, std::numeric_limits<float>::quiet_NaN());
    }
    for (size_t i = 0; i < values.size(); ++i) {
        const float value = values[i];
        levels_ = levels_ && value >= 0 && value <= kHighestLevel && value == std::floor(value);
        sweep_.values[size_t(first) + i] = value;
    }
}

void LogReader::EndSweep() {
    if (sweep_.values.empty()) {
        return;
    }
    sweeps_.push_back(std::move(sweep_));
    sweep_ = {};
    if (sweeps_.size() > HistoryModel::kCapacity) {
        sweeps_.pop_front();
    }
}

HistoryUnit LogReader::Unit() const {
    return levels_ ? HistoryUnit::Level : HistoryUnit::Decibel;
}

double LogReader::Low() const {
    double low = std::numeric_limits<double>::infinity();
    for (const LoggedSweep& sweep : sweeps_) {
        for (const float value : sweep.values) {
            low = std::isnan(value) ? low : std::min(low, double(value));
        }
    }
    return std::isinf(low) ? 0 : low;
}

double LogReader::High() const {
    double high = -std::numeric_limits<double>::infinity();
    for (const LoggedSweep& sweep : sweeps_) {
        for (const float value : sweep.values) {
            high = std::isnan(value) ? high : std::max(high, double(value));
        }
    }
    return std::isinf(high) ? 0 : high;
}

}  // namespace nerimo
