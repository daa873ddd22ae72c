// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DesktopSettingsPanes.h"

#include <QTest>

using Pane = SystemSettingsPanes::Pane;
Q_DECLARE_METATYPE(Pane)

// Which program opens which pane on which desktop, and the hint otherwise.
class TestDesktopSettingsPanes : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void command_data()
    {
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<Pane>("pane");
        QTest::addColumn<QStringList>("command");

        const QStringList gnomePower{"gnome-control-center", "power"};
        QTest::newRow("GNOME battery") << "GNOME" << Pane::Battery << gnomePower;
        QTest::newRow("GNOME panel icons") << "GNOME" << Pane::PanelIcons << gnomePower;
        QTest::newRow("GNOME notifications")
            << "GNOME" << Pane::Notifications
            << QStringList{"gnome-control-center", "notifications"};
        QTest::newRow("Ubuntu's list") << "ubuntu:GNOME" << Pane::Battery << gnomePower;
        QTest::newRow("lower case") << "gnome" << Pane::Battery << gnomePower;
        QTest::newRow("KDE battery")
            << "KDE" << Pane::Battery
            << QStringList{"systemsettings", "kcm_powerdevilprofilesconfig"};
        QTest::newRow("KDE notifications")
            << "KDE" << Pane::Notifications << QStringList{"systemsettings", "kcm_notifications"};
        QTest::newRow("KDE panel icons") << "KDE" << Pane::PanelIcons << QStringList{};
        QTest::newRow("XFCE") << "XFCE" << Pane::Battery << QStringList{};
        QTest::newRow("nothing set") << "" << Pane::Notifications << QStringList{};
    }
    void command()
    {
        QFETCH(QString, desktop);
        QFETCH(Pane, pane);
        QFETCH(QStringList, command);
        QStringList launched;
        DesktopSettingsPanes panes(desktop, [&launched](const QString &p, const QStringList &a) {
            launched = QStringList{p} + a;
            return true;
        });
        QCOMPARE(panes.command(pane), command);
        const std::optional<QString> hint = panes.open(pane);
        QCOMPARE(launched, command);
        QCOMPARE(hint.has_value(), command.isEmpty());
        if (hint)
            QCOMPARE(*hint, DesktopSettingsPanes::hint(pane));
    }

    void aProgramThatDoesNotStartGivesTheHint()
    {
        DesktopSettingsPanes panes(QStringLiteral("GNOME"),
                                   [](const QString &, const QStringList &) { return false; });
        QCOMPARE(panes.open(Pane::Notifications), DesktopSettingsPanes::hint(Pane::Notifications));
    }
};

QTEST_GUILESS_MAIN(TestDesktopSettingsPanes)
#include "tst_desktopsettingspanes.moc"
