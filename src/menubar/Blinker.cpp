// SPDX-License-Identifier: GPL-3.0-or-later
#include "menubar/Blinker.h"

#include <QTimeLine>

namespace
{
constexpr int blinkIntervalMs = 500;
constexpr int fadeMs = 350;
constexpr int fadeFrameMs = 40; // a few frames are enough, each one is a new tray picture
constexpr qreal dimOpacity = 0.15;
} // namespace

Blinker::Blinker(QObject *parent) : QObject(parent) {}

Blinker::~Blinker() = default;

void Blinker::setBlinking(bool blinking)
{
    if (blinking) {
        if (!m_timer) {
            m_timer = std::make_unique<QTimer>();
            m_timer->setInterval(blinkIntervalMs);
            connect(m_timer.get(), &QTimer::timeout, this, &Blinker::step);
            m_timer->start();
        }
        return;
    }
    if (!m_timer)
        return;
    m_timer.reset();
    m_dim = false;
    if (m_fade)
        m_fade->stop();
    show(1.0);
}

void Blinker::reset()
{
    if (m_fade)
        m_fade->stop();
    m_opacity = 1.0;
}

void Blinker::step()
{
    m_dim = !m_dim;
    fadeTo(m_dim ? dimOpacity : 1.0);
}

void Blinker::fadeTo(qreal target)
{
    if (!m_fade) {
        m_fade = std::make_unique<QTimeLine>(fadeMs);
        m_fade->setUpdateInterval(fadeFrameMs);
    }
    m_fade->stop();
    m_fade->disconnect(this);
    const qreal from = m_opacity;
    connect(m_fade.get(), &QTimeLine::valueChanged, this,
            [this, from, target](qreal t) { show(from + (target - from) * t); });
    connect(m_fade.get(), &QTimeLine::finished, this, [this, target] { show(target); });
    m_fade->start();
}

void Blinker::show(qreal opacity)
{
    m_opacity = opacity;
    Q_EMIT opacityChanged(opacity);
}
