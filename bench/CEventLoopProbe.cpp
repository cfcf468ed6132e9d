// Event-loop stall probe.
#include "CEventLoopProbe.h"

#include <algorithm>

CEventLoopProbe::CEventLoopProbe(QObject* parent) : QObject(parent) {
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(1);
    connect(&m_timer, &QTimer::timeout, this, &CEventLoopProbe::OnTick);
}

void CEventLoopProbe::Start(std::function<void()> onTick) {
    m_onTick = std::move(onTick);
    m_longestGapNs = 0;
    m_nTicks = 0;
    m_clock.start();
    m_lastTickNs = 0;
    m_timer.start();
}

void CEventLoopProbe::Stop() {
    m_timer.stop();
}

void CEventLoopProbe::OnTick() {
    const qint64 now = m_clock.nsecsElapsed();
    m_longestGapNs = std::max(m_longestGapNs, now - m_lastTickNs);
    m_lastTickNs = now;
    ++m_nTicks;
    if (m_onTick) {
        m_onTick();
    }
}
