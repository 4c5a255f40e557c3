// Which texts read as numbers and how conversions round, overflow and report.
#include "errors/Failure.h"
#include "settings/Numbers.h"
#include <QLocale>
#include <QtTest>

namespace {
// The failure the call raises; number 0 when it returns.
template <class Call> Failure caught(Call call)
{
    try { call(); } catch (const Failure &failure) { return failure; }
    return Failure(0, {});
}
constexpr int OV = Failure::Overflow, TM = Failure::TypeMismatch;
using Case = std::tuple<QString, int, qint64, int>; // text, bits, value, failure
} // namespace
Q_DECLARE_METATYPE(Case)
class TestNumbers : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }
    // Text that is no number fails with Type mismatch; halves round to even; out of range is Overflow.
    void textToInteger_data()
    {
        QTest::addColumn<Case>("row");
        const Case rows[] = {
            {"", 16, 0, TM},         {"   ", 16, 0, TM},     {"abc", 16, 0, TM},      {"+", 16, 0, TM},
            {".", 16, 0, TM},        {"1e", 16, 0, TM},      {"1.2.3", 16, 0, TM},    {"12abc", 16, 0, TM},
            {"- 3", 16, 0, TM},      {"-3", 16, -3, 0},      {"+7", 16, 7, 0},        {" 2.5 ", 16, 2, 0},
            {"3.5", 16, 4, 0},       {"-2.5", 16, -2, 0},    {"2.51", 16, 3, 0},      {".5", 16, 0, 0},
            {"1.", 16, 1, 0},        {"1e3", 16, 1000, 0},   {"1E-3", 16, 0, 0},      {"1.5e3", 16, 1500, 0},
            {"32767", 16, 32767, 0}, {"32768", 16, 0, OV},   {"32767.5", 16, 0, OV},  {"-32768.5", 16, -32768, 0},
            {"-32769", 16, 0, OV},   {"1e400", 16, 0, OV},   {"2147483647", 32, 2147483647, 0},
            {"2147483647.5", 32, 0, OV},            {"-2147483648", 32, -2147483648LL, 0},
            {"-2147483648.5", 32, -2147483648LL, 0}, {"-2147483649", 32, 0, OV}};
        for (const Case &row : rows)
            QTest::addRow("%d '%s'", std::get<1>(row), qPrintable(std::get<0>(row))) << row;
    }
    void textToInteger()
    {
        QFETCH(Case, row);
        const auto &[text, bits, value, failure] = row;
        QCOMPARE(Numbers::readsAsNumber(text), failure != TM);
        qint64 result = 0;
        const auto convert = [&] { result = bits == 16 ? Numbers::textToInt16(text) : Numbers::textToInt32(text); };
        QCOMPARE(caught(convert).number(), failure);
        QCOMPARE(result, value);
    }
    // Not finite or beyond a single overflows; a failure carries its caller's line.
    void failures()
    {
        const auto overflows = [](auto call) { return caught(call).number() == OV; };
        QVERIFY(overflows([] { Numbers::toInt32(qQNaN()); }) && overflows([] { Numbers::toInt32(qInf()); }));
        QVERIFY(overflows([] { Numbers::toSingle(1e39); }) && overflows([] { Numbers::toSingle(-1e39); }));
        QCOMPARE(Numbers::textToSingle("1234.5"), 1234.5f);
        const int line = __LINE__ + 1;
        const Failure failures[] = {caught([] { Numbers::textToInt16("abc"); }), caught([] { Numbers::toInt16(4e4); })};
        QCOMPARE(failures[0].description() + ' ' + failures[1].description(), "Type mismatch Overflow");
        QCOMPARE(std::pair(failures[0].line(), failures[1].line()), std::pair(line, line));
    }
    void shortestText()
    {
        using Numbers::shortestText;
        QCOMPARE(shortestText(30.0) + ' ' + shortestText(8880.0) + ' ' + shortestText(0.1), "30 8880 0.1");
        QCOMPARE(shortestText(1234.5f) + ' ' + shortestText(0.1f), "1234.5 0.1");
        QCOMPARE(Numbers::toDouble(shortestText(1e300)), 1e300);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); // decimal comma
        QCOMPARE(shortestText(1234.5f), "1234,5");
        QVERIFY(Numbers::readsAsNumber("2,5") && Numbers::readsAsNumber("2.5"));
        QCOMPARE(Numbers::toDouble("2,25"), 2.25);
    }
};

QTEST_GUILESS_MAIN(TestNumbers)
#include "test_numbers.moc"
