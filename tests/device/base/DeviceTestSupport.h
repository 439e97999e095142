#pragma once
// Helpers of the device base tests: event-loop waiting and a device whose clocks and
// light record are easy to set.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <functional>

#include "device/LightRecord.h"
#include "device/TavrinUSBDevice.h"

// Processes events until `done` holds or `timeoutMs` passes; returns `done()`.
inline bool RunUntil(const std::function<bool()>& done, int timeoutMs = 2000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

inline void SetRecord(CTavrinUSBDevice& device, const LightRecord& record) {
    const LightRecord::Words words = record.ToWords();
    device.SetLightInfo(words.first, words.second, words.third);
}

inline LightRecord MakeRecord(std::uint8_t mode, std::uint8_t level, std::uint8_t speed,
                              std::uint8_t direction, std::uint8_t multi, std::uint8_t red,
                              std::uint8_t green, std::uint8_t blue) {
    LightRecord r;
    r.mode = mode;
    r.brightness = level;
    r.speed = speed;
    r.direction = direction;
    r.multiColour = multi;
    r.red = red;
    r.green = green;
    r.blue = blue;
    return r;
}
