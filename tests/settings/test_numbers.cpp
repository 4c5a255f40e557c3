// Which texts read as numbers and how conversions round, overflow and report.
#include "errors/Failure.h"
#include "settings/Numbers.h"

#include <QLocale>
#include <QtTest>

#include <functional>
#include <limits>

namespace {
// The failure the call raises; number 0 when it returns.
Failure caught(const std::function<void()> &call)
{
    try {
        call();
    } catch (const Failure &failure) {
        return failure;
    }
    return Failure(0, {});
}
constexpr int OV = Failure::Overflow, TM = Failure::TypeMismatch;
} // namespace

class TestNumbers : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    // Text that does not read as a number fails with Type mismatch; halves round to even;
    // out of range is Overflow.
    void textToInteger_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("bits");
        QTest::addColumn<qint64>("value");
        QTest::addColumn<int>("failure");
        const std::tuple<const char *, int, qint64, int> rows[] = {
            {"", 16, 0, TM},         {"   ", 16, 0, TM},     {"abc", 16, 0, TM},      {"+", 16, 0, TM},
            {".", 16, 0, TM},        {"1e", 16, 0, TM},      {"1.2.3", 16, 0, TM},    {"12abc", 16, 0, TM},
            {"- 3", 16, 0, TM},      {"-3", 16, -3, 0},      {"+7", 16, 7, 0},        {" 2.5 ", 16, 2, 0},
            {"3.5", 16, 4, 0},       {"-2.5", 16, -2, 0},    {"2.51", 16, 3, 0},      {".5", 16, 0, 0},
            {"1.", 16, 1, 0},        {"1e3", 16, 1000, 0},   {"1E-3", 16, 0, 0},      {"1.5e3", 16, 1500, 0},
            {"32767", 16, 32767, 0}, {"32768", 16, 0, OV},   {"32767.5", 16, 0, OV},  {"-32768.5", 16, -32768, 0},
            {"-32769", 16, 0, OV},   {"1e400", 16, 0, OV},   {"2147483647", 32, 2147483647, 0},
            {"2147483647.5", 32, 0, OV}, {"-2147483648", 32, -2147483648LL, 0},
            {"-2147483648.5", 32, -2147483648LL, 0}, {"-2147483649", 32, 0, OV}};
        for (const auto &[text, bits, value, failure] : rows)
            QTest::addRow("%d '%s'", bits, text) << QString::fromLatin1(text) << bits << value << failure;
    }
    void textToInteger()
    {
        QFETCH(QString, text);
        QFETCH(int, bits);
        QFETCH(qint64, value);
        QFETCH(int, failure);
        QCOMPARE(Numbers::readsAsNumber(text), failure != TM);
        qint64 result = 0;
        QCOMPARE(caught([&] { result = bits == 16 ? Numbers::textToInt16(text) : Numbers::textToInt32(text); }).number(),
                 failure);
        QCOMPARE(result, value);
    }
    void notFiniteAndSingle()
    {
        QCOMPARE(caught([] { Numbers::toInt32(std::numeric_limits<double>::quiet_NaN()); }).number(), OV);
        QCOMPARE(caught([] { Numbers::toInt32(std::numeric_limits<double>::infinity()); }).number(), OV);
        QCOMPARE(Numbers::textToSingle("1234.5"), 1234.5f);
        QCOMPARE(caught([] { Numbers::toSingle(1e39); }).number(), OV);
        QCOMPARE(caught([] { Numbers::toSingle(-1e39); }).number(), OV);
    }
    void shortestText()
    {
        QCOMPARE(Numbers::shortestText(30.0), QStringLiteral("30"));
        QCOMPARE(Numbers::shortestText(8880.0), QStringLiteral("8880"));
        QCOMPARE(Numbers::shortestText(0.1), QStringLiteral("0.1"));
        QCOMPARE(Numbers::shortestText(1234.5f), QStringLiteral("1234.5"));
        QCOMPARE(Numbers::shortestText(0.1f), QStringLiteral("0.1"));
        QCOMPARE(Numbers::toDouble(Numbers::shortestText(1e300)), 1e300);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); // decimal comma
        QCOMPARE(Numbers::shortestText(1234.5f), QStringLiteral("1234,5"));
        QVERIFY(Numbers::readsAsNumber("2,5") && Numbers::readsAsNumber("2.5"));
        QCOMPARE(Numbers::toDouble("2,25"), 2.25);
    }
    void failureCarriesCallersLine()
    {
        const int mismatchLine = __LINE__ + 1;
        const Failure mismatch = caught([] { Numbers::textToInt16("abc"); });
        QCOMPARE(mismatch.number(), TM);
        QCOMPARE(mismatch.description(), QStringLiteral("Type mismatch"));
        QCOMPARE(mismatch.line(), mismatchLine);
        const int overflowLine = __LINE__ + 1;
        const Failure overflow = caught([] { Numbers::toInt16(40000.0); });
        QCOMPARE(overflow.description(), QStringLiteral("Overflow"));
        QCOMPARE(overflow.line(), overflowLine);
    }
};

QTEST_GUILESS_MAIN(TestNumbers)
#include "test_numbers.moc"
