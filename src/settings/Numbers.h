#pragma once
// Reading and writing numbers the way the old BASIC runtime did: which text reads as a
// number, conversions that round halves to even and raise Overflow or Type mismatch at
// the caller's line, and the shortest text that reads back to the same value.

#include <QString>

#include <source_location>

namespace Numbers {

// True when the trimmed text is a signed decimal number with an optional exponent;
// the decimal point may be '.' or the user's locale separator.
bool readsAsNumber(const QString &text);

// The value of the text; text that does not read as a number raises Type mismatch.
double toDouble(const QString &text, std::source_location where = std::source_location::current());

// Rounded to nearest (halves to even), then range checked; out of range raises Overflow.
qint16 toInt16(double value, std::source_location where = std::source_location::current());
qint32 toInt32(double value, std::source_location where = std::source_location::current());
// Beyond the float range (or not finite) raises Overflow.
float toSingle(double value, std::source_location where = std::source_location::current());

qint16 textToInt16(const QString &text, std::source_location where = std::source_location::current());
qint32 textToInt32(const QString &text, std::source_location where = std::source_location::current());
float textToSingle(const QString &text, std::source_location where = std::source_location::current());

// The shortest text that reads back to the same value, with the locale's decimal separator.
QString shortestText(double value);
QString shortestText(float value);

} // namespace Numbers
