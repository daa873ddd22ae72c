// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/HealthChartLoader.h"

#include "app/AgentLog.h"
#include "window/HealthChartFactory.h"

#include <QCoreApplication>
#include <QDir>
#include <QPluginLoader>

HealthChartView *HealthChartLoader::create(QWidget *parent)
{
    static HealthChartFactory *const factory = load(folders());
    return factory ? factory->create(parent) : nullptr;
}

QStringList HealthChartLoader::folders()
{
    QStringList out;
    const QString given = qEnvironmentVariable("VOLTQUILL_PLUGIN_DIR");
    if (!given.isEmpty())
        out.append(given);
    out.append(QDir(QCoreApplication::applicationDirPath())
                   .absoluteFilePath(QStringLiteral(VOLTQUILL_PLUGIN_DIR_FROM_BINDIR)));
    return out;
}

HealthChartFactory *HealthChartLoader::load(const QStringList &folders)
{
    for (const QString &folder : folders) {
        QPluginLoader loader(QDir(folder).filePath(QStringLiteral(VOLTQUILL_CHART_PLUGIN)));
        if (auto *factory = qobject_cast<HealthChartFactory *>(loader.instance()))
            return factory;
        qCDebug(lcAgent, "chart plugin not loaded: %s", qPrintable(loader.errorString()));
    }
    qCWarning(lcAgent, "Diagrammbibliothek nicht gefunden.");
    return nullptr;
}
