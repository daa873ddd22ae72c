// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AutostartLoginItem.h"

#include "shared/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

AutostartLoginItem::AutostartLoginItem(QString configHome, QString executable)
    : m_path(configHome + QStringLiteral("/autostart/voltquill.desktop")),
      m_executable(std::move(executable))
{
}

bool AutostartLoginItem::isEnabled() const
{
    // A link to the installed entry is a common way to enable it by hand.
    const RegularFile::Contents entry =
        RegularFile::read(m_path, 64 << 10, RegularFile::Links::Follow);
    if (entry.status != RegularFile::Status::Read)
        return false;
    for (const QByteArray &raw : entry.data.split('\n')) {
        const QByteArray line = raw.trimmed();
        const qsizetype eq = line.indexOf('=');
        if (eq > 0 && line.left(eq).trimmed() == "Hidden" && line.mid(eq + 1).trimmed() == "true")
            return false;
    }
    return true;
}

bool AutostartLoginItem::registerItem()
{
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath()))
        return false;
    // Exec quoting per the desktop entry spec: the path in double quotes, with
    // ", `, $ and \ escaped.
    QString exec = m_executable;
    for (const char *c : {"\\", "\"", "`", "$"})
        exec.replace(QLatin1String(c), QStringLiteral("\\") + QLatin1String(c));
    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=Voltquill\n"
                                         "Comment=Ladelimit des Akkus\n"
                                         "Exec=\"%1\"\n"
                                         "Icon=voltquill\n"
                                         "Terminal=false\n"
                                         "X-GNOME-Autostart-enabled=true\n")
                              .arg(exec);
    return RegularFile::write(m_path, entry.toUtf8());
}

bool AutostartLoginItem::unregisterItem()
{
    return !QFileInfo::exists(m_path) || QFile::remove(m_path);
}
