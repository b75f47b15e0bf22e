#include <QtTest>
#include <cmath>
#include <locale>

#include "NumberRule.h"

using nerimo::ReadNumber;
using nerimo::RoundToInt16;

class NumberRuleTest : public QObject {
    Q_OBJECT

  private slots:
    void readsNumbers_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("plain") << QByteArray("145") << 145.0;
        QTest::newRow("decimal") << QByteArray("145.5") << 145.5;
        QTest::newRow("plus sign") << QByteArray("+8") << 8.0;
        QTest::newRow("minus sign") << QByteArray("-3") << -3.0;
        QTest::newRow("point first") << QByteArray(".5") << 0.5;
        QTest::newRow("comma ends the number") << QByteArray("145,5") << 145.0;
        QTest::newRow("exponent E") << QByteArray("1.5E2") << 150.0;
        QTest::newRow("exponent D") << QByteArray("25d-1") << 2.5;
        QTest::newRow("exponent without digits") << QByteArray("7E+x") << 7.0;
        QTest::newRow("tabs skipped") << QByteArray("1\t4\t5") << 145.0;
        QTest::newRow("trailing text") << QByteArray("8MHZ=145") << 8.0;
        QTest::newRow("no number") << QByteArray("abc") << 0.0;
        QTest::newRow("empty") << QByteArray() << 0.0;
        QTest::newRow("sign alone") << QByteArray("-") << 0.0;
        QTest::newRow("point alone") << QByteArray(".") << 0.0;
        QTest::newRow("hexadecimal") << QByteArray("&H1F") << 31.0;
        QTest::newRow("hexadecimal lower case") << QByteArray("&hff") << 255.0;
        QTest::newRow("octal") << QByteArray("&O17") << 15.0;
        QTest::newRow("octal stops at 8") << QByteArray("&O78") << 7.0;
        QTest::newRow("ampersand alone") << QByteArray("&X1") << 0.0;
        QTest::newRow("underflow") << QByteArray("1E-400") << 0.0;
        QTest::newRow("many digits") << QByteArray(400, '0') + "1" << 1.0;
    }

    void readsNumbers() {
        QFETCH(QByteArray, text);
        QFETCH(double, expected);
        QCOMPARE(ReadNumber(text), expected);
    }

    void hugeValuesReadAsInfinity() {
        QVERIFY(std::isinf(ReadNumber("1E400")) && ReadNumber("1E400") > 0);
        QVERIFY(std::isinf(ReadNumber("-" + QByteArray(400, '9'))) &&
                ReadNumber("-" + QByteArray(400, '9')) < 0);
    }

    // The C library switched to a comma locale must not change what "." means here.
    void ignoresTheCLibraryLocale() {
        QVERIFY2(std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr,
                 "the de_DE.UTF-8 locale is missing; scripts/install-deps.sh generates it");
        const double value = ReadNumber("145.125");
        std::setlocale(LC_NUMERIC, "C");
        QCOMPARE(value, 145.125);
    }

    void roundsHalfToEven_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("0.5") << 0.5 << 0;
        QTest::newRow("1.5") << 1.5 << 2;
        QTest::newRow("2.5") << 2.5 << 2;
        QTest::newRow("3.5") << 3.5 << 4;
        QTest::newRow("7.5") << 7.5 << 8;
        QTest::newRow("8.5") << 8.5 << 8;
        QTest::newRow("7.6") << 7.6 << 8;
        QTest::newRow("-2.5") << -2.5 << -2;
        QTest::newRow("upper bound") << 32767.4 << 32767;
        QTest::newRow("lower bound") << -32768.5 << -32768;
    }

    void roundsHalfToEven() {
        QFETCH(double, value);
        QFETCH(int, expected);
        const auto rounded = RoundToInt16(value);
        QVERIFY(rounded.has_value());
        QCOMPARE(int(*rounded), expected);
    }

    void refusesWhatDoesNotFitSixteenBits_data() {
        QTest::addColumn<double>("value");
        QTest::newRow("40000") << 40000.0;
        QTest::newRow("32767.5 rounds to 32768") << 32767.5;
        QTest::newRow("-32769") << -32769.0;
        QTest::newRow("infinity") << ReadNumber("1E999");
    }

    void refusesWhatDoesNotFitSixteenBits() {
        QFETCH(double, value);
        QVERIFY(!RoundToInt16(value).has_value());
    }
};

QTEST_GUILESS_MAIN(NumberRuleTest)
#include "tst_number_rule.moc"
