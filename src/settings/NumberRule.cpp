#include "NumberRule.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace nerimo {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int DigitValue(char c, int base) {
    int value = -1;
    if (c >= '0' && c <= '9') {
        value = c - '0';
    } else if (c >= 'a' && c <= 'f') {
        value = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
        value = c - 'A' + 10;
    }
    return value < base ? value : -1;
}

double ReadRadixInteger(const std::string& text, size_t from, int base) {
    double value = 0.0;
    for (size_t i = from; i < text.size(); ++i) {
        const int digit = DigitValue(text[i], base);
        if (digit < 0) {
            break;
        }
        value = value * base + digit;
    }
    return value;
}

}  // namespace

double ReadNumber(QByteArrayView text) {
    std::string s;
    s.reserve(static_cast<size_t>(text.size()));
    for (const char c : text) {
        if (c != '\t') {
            s.push_back(c);
        }
    }

    if (s.size() >= 2 && s[0] == '&') {
        const char radix = s[1];
        if (radix == 'H' || radix == 'h') {
            return ReadRadixInteger(s, 2, 16);
        }
        if (radix == 'O' || radix == 'o') {
            return ReadRadixInteger(s, 2, 8);
        }
        return 0.0;
    }

    size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }

    // The mantissa goes into a plain form that std::from_chars reads the same in every locale.
    std::string mantissa;
    int integerDigits = 0;  // significant digits before the point
    int fractionZeros = 0;  // zeros right after the point, while no significant digit has come
    bool anyDigit = false;
    for (; i < s.size() && IsDigit(s[i]); ++i) {
        anyDigit = true;
        if (integerDigits > 0 || s[i] != '0') {
            ++integerDigits;
        }
        mantissa.push_back(s[i]);
    }
    if (i < s.size() && s[i] == '.') {
        mantissa.push_back('.');
        bool significant = integerDigits > 0;
        for (++i; i < s.size() && IsDigit(s[i]); ++i) {
            anyDigit = true;
            significant = significant || s[i] != '0';
            if (!significant) {
                ++fractionZeros;
            }
            mantissa.push_back(s[i]);
        }
    }
    if (!anyDigit) {
        return 0.0;
    }

    long long exponent = 0;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        size_t j = i + 1;
        bool negativeExponent = false;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
            negativeExponent = s[j] == '-';
            ++j;
        }
        if (j < s.size() && IsDigit(s[j])) {
            for (; j < s.size() && IsDigit(s[j]); ++j) {
                // Beyond this every double has long overflowed or underflowed.
                if (exponent < 100000) {
                    exponent = exponent * 10 + (s[j] - '0');
                }
            }
            if (negativeExponent) {
                exponent = -exponent;
            }
        }
    }

    const std::string plain = mantissa + "e" + std::to_string(exponent);
    double value = 0.0;
    const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    (void)end;
    if (error == std::errc::result_out_of_range) {
        const long long magnitude = (integerDigits > 0 ? integerDigits : -fractionZeros) + exponent;
        value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return negative ? -value : value;
}

std::optional<long long> RoundWithin(double value, long long lowest, long long highest) {
    // nearbyint rounds in the current mode, which is to nearest with ties to even.
    const double rounded = std::nearbyint(value);
    if (!(rounded >= static_cast<double>(lowest) && rounded <= static_cast<double>(highest))) {
        return std::nullopt;
    }
    return static_cast<long long>(rounded);
}

std::optional<int16_t> RoundToInt16(double value) {
    const std::optional<long long> rounded = RoundWithin(value, INT16_MIN, INT16_MAX);
    return rounded ? std::optional<int16_t>(static_cast<int16_t>(*rounded)) : std::nullopt;
}

}  // namespace nerimo
