// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QRectF>
#include <cmath>

// Reads a rendered icon in its own point grid (origin lower left, y up).
class IconPixels
{
public:
    explicit IconPixels(const QImage &image)
        : m_image(image.convertToFormat(QImage::Format_ARGB32)), m_dpr(image.devicePixelRatio())
    {
    }

    qreal dpr() const { return m_dpr; }
    qreal height() const { return m_image.height() / m_dpr; }

    // Alpha 0…1 of the pixel that holds the point.
    qreal alphaAt(qreal x, qreal y) const
    {
        const int px = static_cast<int>(std::floor(x * m_dpr));
        const int py = static_cast<int>(std::floor((height() - y) * m_dpr));
        if (!m_image.rect().contains(px, py))
            return 0.0;
        return qAlpha(m_image.pixel(px, py)) / 255.0;
    }

    // Every pixel whose area lies inside `area` (points), as (x, y, alpha)
    // with x and y the pixel's centre in points.
    template <typename F> void forEach(const QRectF &area, F f) const
    {
        const int x0 = static_cast<int>(std::ceil(area.left() * m_dpr - 1e-6));
        const int x1 = static_cast<int>(std::floor(area.right() * m_dpr + 1e-6));
        const int rowTop = static_cast<int>(std::ceil((height() - area.bottom()) * m_dpr - 1e-6));
        const int rowEnd = static_cast<int>(std::floor((height() - area.top()) * m_dpr + 1e-6));
        for (int py = std::max(rowTop, 0); py < std::min(rowEnd, m_image.height()); ++py)
            for (int px = std::max(x0, 0); px < std::min(x1, m_image.width()); ++px)
                f((px + 0.5) / m_dpr, height() - (py + 0.5) / m_dpr,
                  qAlpha(m_image.pixel(px, py)) / 255.0);
    }

    // The inked area inside `area`, in square points.
    qreal coverage(const QRectF &area) const
    {
        qreal sum = 0;
        forEach(area, [&](qreal, qreal, qreal a) { sum += a; });
        return sum / (m_dpr * m_dpr);
    }

    qreal maxAlpha(const QRectF &area) const
    {
        qreal m = 0;
        forEach(area, [&](qreal, qreal, qreal a) { m = std::max(m, a); });
        return m;
    }

    // The bounding box, in points, of the pixels above half opacity.
    QRectF inkBox(const QRectF &area, qreal threshold = 0.5) const
    {
        qreal l = 1e9, r = -1e9, b = 1e9, t = -1e9;
        const qreal half = 0.5 / m_dpr;
        forEach(area, [&](qreal x, qreal y, qreal a) {
            if (a <= threshold)
                return;
            l = std::min(l, x - half);
            r = std::max(r, x + half);
            b = std::min(b, y - half);
            t = std::max(t, y + half);
        });
        return l > r ? QRectF() : QRectF(l, b, r - l, t - b);
    }

private:
    QImage m_image;
    qreal m_dpr;
};
