// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QTextStream>
#include <algorithm>
#include <functional>

// Runs `work` `runs` times and prints min / median / max in microseconds.
inline double measure(const char *name, int runs, const std::function<void()> &work)
{
    QList<double> micros;
    micros.reserve(runs);
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        micros.append(static_cast<double>(timer.nsecsElapsed()) / 1000.0);
    }
    std::sort(micros.begin(), micros.end());
    const double median = micros.at(micros.size() / 2);
    QTextStream(stdout) << QStringLiteral("%1: median %2 µs (min %3, max %4, %5 runs)\n")
                               .arg(QLatin1String(name))
                               .arg(median, 0, 'f', 1)
                               .arg(micros.first(), 0, 'f', 1)
                               .arg(micros.last(), 0, 'f', 1)
                               .arg(runs);
    return median;
}
