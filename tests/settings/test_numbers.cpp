// Checks which texts read as numbers and how conversions round, overflow and report.
#include "errors/Failure.h"
#include "settings/Numbers.h"

#include <QLocale>
#include <QtTest>

#include <functional>
#include <limits>

class TestNumbers : public QObject {
    Q_OBJECT

    // The failure number raised by the call, or 0 when it returns.
    static int failureOf(const std::function<void()> &call)
    {
        try {
            call();
            return 0;
        } catch (const Failure &failure) {
            return failure.number();
        }
    }

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void readsAsNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("number");
        const std::pair<const char *, bool> rows[] = {
            {"", false},   {"   ", false}, {"abc", false}, {"-3", true},   {" 2.5 ", true}, {".5", true},
            {"1e3", true}, {"1E-3", true}, {"1.", true},   {"+", false},   {".", false},    {"1e", false},
            {"1.2.3", false}, {"12abc", false}, {"- 3", false}, {"+7", true}};
        for (const auto &[text, number] : rows)
            QTest::newRow(text[0] ? text : "(empty)") << QString::fromLatin1(text) << number;
    }
    void readsAsNumber()
    {
        QFETCH(QString, text);
        QFETCH(bool, number);
        QCOMPARE(Numbers::readsAsNumber(text), number);
    }

    void textToInt16_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("failure");
        QTest::newRow("2.5 to even") << "2.5" << 2 << 0;
        QTest::newRow("3.5 to even") << "3.5" << 4 << 0;
        QTest::newRow("-2.5 to even") << "-2.5" << -2 << 0;
        QTest::newRow("2.51 up") << "2.51" << 3 << 0;
        QTest::newRow("negative") << "-3" << -3 << 0;
        QTest::newRow("exponent") << "1.5e3" << 1500 << 0;
        QTest::newRow("plus sign") << "+7" << 7 << 0;
        QTest::newRow("not a number") << "abc" << 0 << int(Failure::TypeMismatch);
        QTest::newRow("blank") << "  " << 0 << int(Failure::TypeMismatch);
        QTest::newRow("max") << "32767" << 32767 << 0;
        QTest::newRow("max + 1") << "32768" << 0 << int(Failure::Overflow);
        QTest::newRow("32767.5 rounds over") << "32767.5" << 0 << int(Failure::Overflow);
        QTest::newRow("-32768.5 rounds to min") << "-32768.5" << -32768 << 0;
        QTest::newRow("-32769") << "-32769" << 0 << int(Failure::Overflow);
        QTest::newRow("beyond double") << "1e400" << 0 << int(Failure::Overflow);
    }
    void textToInt16()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        QFETCH(int, failure);
        qint16 result = 0;
        QCOMPARE(failureOf([&] { result = Numbers::textToInt16(text); }), failure);
        QCOMPARE(int(result), value);
    }

    void toInt32_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<qint64>("expected");
        QTest::addColumn<int>("failure");
        QTest::newRow("max") << 2147483647.0 << qint64(2147483647) << 0;
        QTest::newRow("max + 0.5") << 2147483647.5 << qint64(0) << int(Failure::Overflow);
        QTest::newRow("min") << -2147483648.0 << qint64(-2147483648LL) << 0;
        QTest::newRow("min - 0.5") << -2147483648.5 << qint64(-2147483648LL) << 0;
        QTest::newRow("min - 1") << -2147483649.0 << qint64(0) << int(Failure::Overflow);
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << qint64(0) << int(Failure::Overflow);
        QTest::newRow("inf") << std::numeric_limits<double>::infinity() << qint64(0) << int(Failure::Overflow);
    }
    void toInt32()
    {
        QFETCH(double, value);
        QFETCH(qint64, expected);
        QFETCH(int, failure);
        qint32 result = 0;
        QCOMPARE(failureOf([&] { result = Numbers::toInt32(value); }), failure);
        QCOMPARE(qint64(result), expected);
    }

    void toSingle()
    {
        QCOMPARE(Numbers::textToSingle("1234.5"), 1234.5f);
        QCOMPARE(failureOf([] { Numbers::toSingle(1e39); }), int(Failure::Overflow));
        QCOMPARE(failureOf([] { Numbers::toSingle(-1e39); }), int(Failure::Overflow));
    }

    void shortestText()
    {
        QCOMPARE(Numbers::shortestText(30.0), QStringLiteral("30"));
        QCOMPARE(Numbers::shortestText(8880.0), QStringLiteral("8880"));
        QCOMPARE(Numbers::shortestText(0.1), QStringLiteral("0.1"));
        QCOMPARE(Numbers::shortestText(1234.5f), QStringLiteral("1234.5"));
        QCOMPARE(Numbers::shortestText(0.1f), QStringLiteral("0.1"));
        QCOMPARE(Numbers::toDouble(Numbers::shortestText(1e300)), 1e300);
    }

    void localeDecimalSeparator()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QVERIFY(Numbers::readsAsNumber("2,5"));
        QVERIFY(Numbers::readsAsNumber("2.5"));
        QCOMPARE(Numbers::toDouble("2,25"), 2.25);
        QCOMPARE(Numbers::shortestText(1234.5f), QStringLiteral("1234,5"));
    }

    void failureCarriesCallersLine()
    {
        int expectedLine = 0;
        try {
            expectedLine = __LINE__ + 1;
            Numbers::textToInt16("abc");
            QFAIL("no failure raised");
        } catch (const Failure &failure) {
            QCOMPARE(failure.number(), int(Failure::TypeMismatch));
            QCOMPARE(failure.description(), QStringLiteral("Type mismatch"));
            QCOMPARE(failure.line(), expectedLine);
        }
        try {
            expectedLine = __LINE__ + 1;
            Numbers::toInt16(40000.0);
            QFAIL("no failure raised");
        } catch (const Failure &failure) {
            QCOMPARE(failure.description(), QStringLiteral("Overflow"));
            QCOMPARE(failure.line(), expectedLine);
        }
    }
};

QTEST_GUILESS_MAIN(TestNumbers)
#include "test_numbers.moc"
