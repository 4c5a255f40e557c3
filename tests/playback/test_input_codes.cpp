// The one mapping of a press to the button and shift codes that every press and key tells.
#include "playback/InputCodes.h"
#include <QtTest>

using Mods = Qt::KeyboardModifiers;

class TestInputCodes : public QObject {
    Q_OBJECT
private slots:
    void codes_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<Mods>("modifiers");
        QTest::addColumn<int>("buttonCode");
        QTest::addColumn<int>("shiftCode");
        QTest::newRow("left") << Qt::LeftButton << Mods() << 1 << 0;
        QTest::newRow("right, Shift") << Qt::RightButton << Mods(Qt::ShiftModifier) << 2 << 1;
        QTest::newRow("middle, Ctrl and Alt") << Qt::MiddleButton << (Qt::ControlModifier | Qt::AltModifier) << 4 << 6;
        QTest::newRow("another button; Meta and keypad not counted")
            << Qt::BackButton << (Qt::MetaModifier | Qt::KeypadModifier | Qt::ShiftModifier | Qt::ControlModifier)
            << 0 << 3;
    }
    void codes()
    {
        QFETCH(Qt::MouseButton, button);
        QFETCH(Mods, modifiers);
        QFETCH(int, buttonCode);
        QFETCH(int, shiftCode);
        QCOMPARE(std::pair(InputCodes::button(button), InputCodes::shift(modifiers)), std::pair(buttonCode, shiftCode));
    }
};

QTEST_APPLESS_MAIN(TestInputCodes)
#include "test_input_codes.moc"
