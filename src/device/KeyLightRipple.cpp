// The key-light ripple state of the kinds' ripple renderers: 126 intensity
// bytes, one per key, a queue of 23 key numbers and a spare byte. Key numbers and queue
// entries outside their tables change nothing. The bytes are atomic: the
// light thread runs the ripple, the UI thread may clear it.
#include <algorithm>

#include "device/TavrinUSBDevice.h"

namespace {

constexpr std::size_t kSpareEntry = kKeyLightQueueLength;  // the byte after the queue

std::uint8_t Decayed(std::uint8_t value, bool fine) {
    int drop = 0;
    if (value >= 128)
        drop = 40;
    else if (value >= 64)
        drop = 30;
    else if (value >= 32)
        drop = 10;
    else if (value >= 17)
        drop = 8;
    else if (value >= 1)
        drop = fine ? 1 : 4;
    return static_cast<std::uint8_t>(std::max(static_cast<int>(value) - drop, 0));
}

}  // namespace

void CTavrinUSBDevice::KeyLightDecay(int key, bool fine) {
    if (key < 0 || key >= static_cast<int>(kKeyLightCount)) return;
    auto& intensity = m_keyLightIntensity[static_cast<std::size_t>(key)];
    intensity.store(Decayed(intensity.load(std::memory_order_relaxed), fine),
                    std::memory_order_relaxed);
}

void CTavrinUSBDevice::KeyLightMark() {
    for (std::size_t i = 0; i < kKeyLightMarkEntries; ++i) {
        const std::uint8_t key = m_keyLightQueue[i].load(std::memory_order_relaxed);
        if (key != 0 && key < kKeyLightCount)
            m_keyLightIntensity[key].store(255, std::memory_order_relaxed);
    }
}

void CTavrinUSBDevice::KeyLightQueueShift(int direction, int places) {
    const auto count =
        static_cast<std::size_t>(std::clamp(places, 1, static_cast<int>(kKeyLightQueueLength)));
    auto& q = m_keyLightQueue;
    const auto load = [&q](std::size_t i) { return q[i].load(std::memory_order_relaxed); };
    if (direction != 0) {
        // Toward the end: the last entry drops out, the spare byte comes in at the front.
        for (std::size_t i = count - 1; i > 0; --i) q[i].store(load(i - 1));
        q[0].store(load(kSpareEntry));
    } else {
        // Toward the front: entry 0 goes into the spare byte; the last entry stays.
        q[kSpareEntry].store(load(0));
        for (std::size_t i = 0; i + 1 < count; ++i) q[i].store(load(i + 1));
    }
}

void CTavrinUSBDevice::KeyLightClear() {
    for (auto& intensity : m_keyLightIntensity) intensity.store(0);
    for (auto& entry : m_keyLightQueue) entry.store(0);
}

std::uint8_t CTavrinUSBDevice::GetKeyLightIntensity(int key) const {
    return key >= 0 && key < static_cast<int>(kKeyLightCount)
               ? m_keyLightIntensity[static_cast<std::size_t>(key)].load()
               : 0;
}

void CTavrinUSBDevice::SetKeyLightIntensity(int key, std::uint8_t value) {
    if (key >= 0 && key < static_cast<int>(kKeyLightCount))
        m_keyLightIntensity[static_cast<std::size_t>(key)].store(value);
}

std::uint8_t CTavrinUSBDevice::GetKeyLightQueue(int entry) const {
    return entry >= 0 && entry <= static_cast<int>(kSpareEntry)
               ? m_keyLightQueue[static_cast<std::size_t>(entry)].load()
               : 0;
}

void CTavrinUSBDevice::SetKeyLightQueue(int entry, std::uint8_t key) {
    if (entry >= 0 && entry <= static_cast<int>(kSpareEntry))
        m_keyLightQueue[static_cast<std::size_t>(entry)].store(key);
}
