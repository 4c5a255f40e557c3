#include "settings/WindowSettings.h"

#include "settings/Numbers.h"
#include "settings/SettingsStore.h"

#include <limits>

namespace {
QString stored(const char *key)
{
    return GetConfigValue(QLatin1String(key));
}

void store(const char *key, const QString &value)
{
    SetConfigValue(QLatin1String(key), value);
}

std::optional<float> single(const QString &text)
{
    return text.isEmpty() ? std::nullopt : std::optional<float>(Numbers::textToSingle(text));
}
} // namespace

WindowSettings WindowSettings::load(ErrorSink &sink)
{
    WindowSettings settings;
    const QString width = stored("width"), height = stored("height");
    settings.widthTwips = single(width);
    settings.heightTwips = single(height);
    const QString count = stored("CaptureCount");
    const auto takeCount = [&] {
        const qint32 value = Numbers::textToInt32(count);
        if (value < 0)
            raiseFailure(Failure::SubscriptOutOfRange);
        if (value > kMaxCaptureCount)
            raiseFailure(Failure::Overflow);
        settings.captureCount = value;
    };
    if (!Numbers::readsAsNumber(count) || !reportFailures(sink, "LoadSettings: ", takeCount)) {
        store("CaptureCount", QString::number(kCaptureCount));
        settings.captureCount = kCaptureCount;
    }
    const QString zoom = stored("zoom");
    settings.zoom = zoom == QLatin1String("2")   ? Zoom::Percent200
                    : zoom == QLatin1String("3") ? Zoom::Fit
                                                 : Zoom::Percent100;
    bool whole = false;
    const int delay = stored("Delay").trimmed().toInt(&whole);
    settings.delay = whole && delay >= 0 && delay <= kMaxDelay ? delay : 0;
    return settings;
}

void WindowSettings::save() const
{
    if (widthTwips)
        ignoreFailure([&] { store("width", Numbers::shortestText(*widthTwips)); });
    if (heightTwips)
        ignoreFailure([&] { store("height", Numbers::shortestText(*heightTwips)); });
    ignoreFailure([&] { store("zoom", QString::number(int(zoom))); });
    ignoreFailure([&] { store("Delay", QString::number(delay)); });
}

std::optional<int> WindowSettings::loadFrameTime()
{
    const QString text = stored("FrameTime");
    if (text.isEmpty())
        return std::nullopt;
    const qint16 option = Numbers::textToInt16(text);
    if (option < 0 || option > kEveryFrame)
        raiseFailure(Failure::SubscriptOutOfRange);
    return option;
}

void WindowSettings::saveFrameTime(int option)
{
    store("FrameTime", QString::number(option));
}

void WindowSettings::saveCaptureCount(qint32 count)
{
    store("CaptureCount", QString::number(count));
}

qint16 WindowSettings::countStart()
{
    // Two copies starting at once would otherwise both read the same count.
    const SettingsLock lock;
    const QString text = stored("StartCount");
    qint16 count = 1;
    if (Numbers::readsAsNumber(text)) {
        const double before = Numbers::toDouble(text);
        if (before >= 5)
            return 5;
        count = before + 1 < std::numeric_limits<qint16>::min() ? 1 : Numbers::toInt16(before + 1);
    }
    store("StartCount", QString::number(count));
    return count;
}
