// A timer probe for an event loop: it ticks every millisecond and records the
// longest gap between two ticks, which is the longest time the loop was kept
// from handling its events. A check run on each tick lets the caller end the
// loop when what it waits for has happened.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>

class CEventLoopProbe : public QObject {
    Q_OBJECT

public:
    explicit CEventLoopProbe(QObject* parent = nullptr);

    // Starts ticking; `onTick` runs after each tick is recorded.
    void Start(std::function<void()> onTick);
    void Stop();

    // The longest gap between two ticks (or between Start and the first), in ms.
    double LongestGapMs() const { return static_cast<double>(m_longestGapNs) / 1e6; }
    long long TickCount() const { return m_nTicks; }

private:
    void OnTick();

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_lastTickNs = 0;
    qint64 m_longestGapNs = 0;
    long long m_nTicks = 0;
    std::function<void()> m_onTick;
};
