#include <algorithm>

#include "platform/Events.h"

CLightStepClock::CLightStepClock(TimeSource source) : m_source(std::move(source)) {
    if (!m_source) m_source = [] { return std::chrono::steady_clock::now().time_since_epoch(); };
}

std::uint64_t CLightStepClock::Step() const {
    const auto now = m_source();
    return now.count() < 0 ? 0 : static_cast<std::uint64_t>(now / kStep);
}

bool CLightStepClock::WaitNextStep(const CManualResetEvent& stop) const {
    const auto now = m_source();
    const auto next = kStep * static_cast<std::int64_t>(Step() + 1);
    // Rounded up so the wake-up lands in the new step, never just before it.
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(next - now);
    return !stop.Wait(static_cast<int>(std::max<std::int64_t>(left.count(), 0)));
}
