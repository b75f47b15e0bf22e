#include "LogReader.h"

#include <QLocale>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

namespace nerimo {

namespace {

constexpr double kHighestLevel = 16;
constexpr float kNoValue = std::numeric_limits<float>::quiet_NaN();

// The field up to the next comma, its spaces trimmed; `at` moves past the comma. Past the line's
// last field, an empty one, `at` staying beyond the end.
QByteArrayView NextField(QByteArrayView line, qsizetype* at) {
    const qsizetype start = *at;
    if (start > line.size()) {
        return {};
    }
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

// Digits from `at` on; how many.
qsizetype DigitsAt(QByteArrayView text, qsizetype at) {
    qsizetype count = 0;
    while (at + count < text.size() && text[at + count] >= '0' && text[at + count] <= '9') {
        ++count;
    }
    return count;
}

// The decimals of a number as a log writes it: a sign, digits, a point with digits after it, an
// exponent ("-52.25", "1e-3"); -1 for "-52." or ".5", which no logger writes and which may be a
// cut field, or anything else.
qsizetype Decimals(QByteArrayView field) {
    qsizetype at = !field.isEmpty() && (field[0] == '-' || field[0] == '+') ? 1 : 0;
    qsizetype digits = DigitsAt(field, at);
    qsizetype decimals = 0;
    if (digits == 0) {
        return -1;
    }
    at += digits;
    if (at < field.size() && field[at] == '.') {
        decimals = DigitsAt(field, at + 1);
        if (decimals == 0) {
            return -1;
        }
        at += 1 + decimals;
    }
    if (at < field.size() && (field[at] == 'e' || field[at] == 'E')) {
        ++at;
        at += at < field.size() && (field[at] == '-' || field[at] == '+') ? 1 : 0;
        digits = DigitsAt(field, at);
        if (digits == 0) {
            return -1;
        }
        at += digits;
    }
    return at == field.size() ? decimals : -1;
}

// A value and its decimals: a number, or no value (0 decimals) for what rtl_power writes of a bin
// with no power; false for anything else.
bool ParseValue(QByteArrayView field, float* value, qsizetype* decimals) {
    // A number ends in a digit; only a field that does not may be a word.
    if (!field.isEmpty() && (field.back() < '0' || field.back() > '9')) {
        for (const char* none : {"-inf", "inf", "+inf", "nan", "-nan"}) {
            if (field.compare(QByteArrayView(none), Qt::CaseInsensitive) == 0) {
                *value = kNoValue;
                *decimals = 0;
                return true;
            }
        }
    }
    *decimals = Decimals(field);
    return *decimals >= 0 && Parse(field, value) && std::isfinite(*value);
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

QString Count(long long number) {
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(number);
}

}  // namespace

void LogReader::Feed(QByteArrayView bytes) {
    if (!refusal_.isEmpty()) {
        return;
    }
    qsizetype from = 0;
    if (!partial_.isEmpty()) {
        const qsizetype end = bytes.indexOf('\n');
        if (end < 0) {
            partial_ += bytes;
            if (partial_.size() > kLongestLine) {
                Refuse(QStringLiteral("line %1 is longer than 64 MB").arg(line_ + 1));
            }
            return;
        }
        partial_ += bytes.first(end);
        ReadLine(partial_);
        partial_.clear();
        from = end + 1;
    }
    for (qsizetype end = bytes.indexOf('\n', from); end >= 0 && refusal_.isEmpty();
         end = bytes.indexOf('\n', from)) {
        ReadLine(bytes.sliced(from, end - from));
        from = end + 1;
    }
    if (refusal_.isEmpty()) {
        partial_ = bytes.sliced(from).toByteArray();
    }
}

void LogReader::Finish() {
    if (!partial_.isEmpty() && refusal_.isEmpty()) {
        ReadLine(partial_);
        partial_.clear();
    }
    EndSweep();
}

void LogReader::Refuse(const QString& why) {
    refusal_ = why;
    partial_.clear();
    pieces_.clear();
}

void LogReader::ReadLine(QByteArrayView line) {
    ++line_;
    if (line.size() > kLongestLine) {
        Refuse(QStringLiteral("line %1 is longer than 64 MB").arg(line_));
        return;
    }
    if (line.endsWith('\r')) {
        line.chop(1);
    }
    if (line.trimmed().isEmpty()) {
        return;
    }
    if (std::optional<Row> row = ParseRow(line)) {
        Join(std::move(*row));
    }
}

std::optional<LogReader::Row> LogReader::ParseRow(QByteArrayView line) {
    qsizetype at = 0;
    const QByteArrayView date = NextField(line, &at);
    const QByteArrayView time = NextField(line, &at);
    Row row{date.toByteArray() + ' ' + time.toByteArray(), Stamp(date, time), 0, 0, {}, 0};
    long long high = 0;
    long long samples = 0;
    const bool fixed =
        Parse(NextField(line, &at), &row.low) && Parse(NextField(line, &at), &high) &&
        Parse(NextField(line, &at), &row.step) && Parse(NextField(line, &at), &samples);
    if (!fixed || !(row.step > 0) || high < row.low || at > line.size() || !row.time.isValid()) {
        ++malformed_;
        return std::nullopt;
    }
    while (at <= line.size()) {
        float value = 0;
        qsizetype decimals = 0;
        if (!ParseValue(NextField(line, &at), &value, &decimals)) {
            ++malformed_;
            return std::nullopt;
        }
        row.decimals = std::max(row.decimals, int(decimals));
        if (row.values.size() >= size_t(kWidestSweep)) {
            Refuse(QStringLiteral("line %1 holds more than %2 values; Nerimo takes up to %2 a "
                                  "sweep")
                       .arg(line_)
                       .arg(Count(kWidestSweep)));
            return std::nullopt;
        }
        row.values.push_back(value);
    }
    return row;
}

void LogReader::Join(Row row) {
    // Another time, another step, or a frequency this sweep has measured: the next sweep.
    const auto count = static_cast<long long>(row.values.size());
    const double column = std::round((double(row.low) - double(baseHertz_)) / row.step);
    const bool sameSweep =
        !pieces_.empty() && stamp_ == row.stamp && row.step == stepHertz_ &&
        std::none_of(pieces_.begin(), pieces_.end(), [&](const Piece& piece) {
            return column < double(piece.column + qsizetype(piece.values.size())) &&
                   double(piece.column) < column + double(count);
        });
    const auto tooWide = [&](const QString& columns) {
        Refuse(QStringLiteral("line %1: its sweep, from %2 Hz on at a step of %3 Hz, would be "
                              "%4 columns; Nerimo takes up to %5 a sweep")
                   .arg(line_)
                   .arg(Count(std::min(row.low, baseHertz_)))
                   .arg(row.step)
                   .arg(columns, Count(kWidestSweep)));
    };
    if (sameSweep && std::abs(column) > double(kWidestSweep)) {
        tooWide(QStringLiteral("more than ") + Count(kWidestSweep));
        return;
    }
    if (!sameSweep) {
        EndSweep();
        stamp_ = row.stamp;
        time_ = row.time;
        baseHertz_ = row.low;
        stepHertz_ = row.step;
        lowest_ = beyond_ = 0;
    }
    const long long first = sameSweep ? static_cast<long long>(column) : 0;
    const long long lowest = std::min(lowest_, first);
    const long long beyond = std::max(beyond_, first + count);
    if (beyond - lowest > kWidestSweep) {
        tooWide(Count(beyond - lowest));
        return;
    }
    lowest_ = lowest;
    beyond_ = beyond;
    for (const float value : row.values) {
        levels_ = levels_ && (std::isnan(value) ||
                              (value >= 0 && value <= kHighestLevel && value == std::floor(value)));
    }
    decimals_ = std::max(decimals_, row.decimals);
    pieces_.push_back({first, std::move(row.values)});
}

void LogReader::EndSweep() {
    if (pieces_.empty()) {
        return;
    }
    LoggedSweep sweep{time_, baseHertz_ + std::llround(double(lowest_) * stepHertz_), stepHertz_,
                      std::vector<float>(size_t(beyond_ - lowest_), kNoValue)};
    for (const Piece& piece : pieces_) {
        std::copy(piece.values.begin(), piece.values.end(),
                  sweep.values.begin() + (piece.column - lowest_));
    }
    pieces_.clear();
    kept_ += static_cast<long long>(sweep.values.size());
    sweeps_.push_back(std::move(sweep));
    while (sweeps_.size() > HistoryModel::kCapacity || kept_ > kMostValues) {
        kept_ -= static_cast<long long>(sweeps_.front().values.size());
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
