#include "window/HealthChartLoader.h"

#include "window/HealthChartView.h"

#include <QCoreApplication>
#include <QLibrary>
#include <QStringList>

namespace
{
QStringList candidates()
{
    const QString installed = QStringLiteral(VOLTQUILL_CHART_INSTALLED);
    const QString built = QStringLiteral(VOLTQUILL_CHART_BUILT);
    // An installed agent never reaches into a build tree first.
    if (QCoreApplication::applicationDirPath() == QLatin1String(VOLTQUILL_INSTALLED_BINDIR))
        return {installed, built};
    return {built, installed};
}
} // namespace

HealthChartView *HealthChartLoader::create(QWidget *parent)
{
    static CreateHealthChart create = [] {
        for (const QString &path : candidates()) {
            QLibrary library(path);
            // The library stays loaded for the rest of the run.
            if (auto entry =
                    reinterpret_cast<CreateHealthChart>(library.resolve(CreateHealthChartSymbol)))
                return entry;
        }
        qWarning("Diagrammbibliothek nicht gefunden.");
        return static_cast<CreateHealthChart>(nullptr);
    }();
    return create ? create(parent) : nullptr;
}
