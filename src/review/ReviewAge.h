#pragma once
// The age label of a snapshot: "-0.4 sec"; with every frame taken, the frames back: "-12 fr".

#include <QLocale>
#include <QString>

namespace ReviewAge {

// Seconds between two snapshots' offset k and the live video: -(P + Q) * k / 1000,
// with P and Q the play and pause timers' intervals in milliseconds.
double seconds(int playInterval, int pauseInterval, int offset);

// The shortest decimal text of the age (15 significant digits, a leading zero, the
// locale's decimal separator), cut to 4 characters but never inside the whole-number
// part, then " sec": -0.025 -> "-0.0 sec", -12.5 -> "-12. sec", -1000 -> "-1000 sec".
QString text(double seconds, const QLocale &locale = QLocale());

// With every frame taken: the frames back from the one on screen, "-12 fr".
QString framesBack(int frames);
// The label's tip there: the time from the frame to the newest in milliseconds, so that
// neighbours never read the same up to 1000 fps: -0.4166 -> "-0.417 sec".
QString frameTip(double seconds, const QLocale &locale = QLocale());

} // namespace ReviewAge
