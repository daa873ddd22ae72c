// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QTimer>
#include <memory>

class QTimeLine;

// The icon's blinking at very low charge: every half second the opacity fades
// to dim or back to full. Costs nothing while not blinking.
class Blinker : public QObject
{
    Q_OBJECT
public:
    explicit Blinker(QObject *parent = nullptr);
    ~Blinker() override;

    // Starts or stops; stopping shows full opacity at once.
    void setBlinking(bool blinking);
    bool isBlinking() const { return m_timer != nullptr; }
    const QTimer *timer() const { return m_timer.get(); }
    bool dim() const { return m_dim; }
    qreal opacity() const { return m_opacity; }
    // A new icon starts at full opacity; a running blink takes it along.
    void reset();

Q_SIGNALS:
    void opacityChanged(qreal opacity);

private:
    void step();
    void fadeTo(qreal target);
    void show(qreal opacity);

    std::unique_ptr<QTimer> m_timer;
    std::unique_ptr<QTimeLine> m_fade;
    bool m_dim = false;
    qreal m_opacity = 1.0;
};
