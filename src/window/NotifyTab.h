// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>
#include <functional>

class Notifier;
class QCheckBox;
class Stepper;
class SystemSettingsPanes;

// "Mitteilungen": switches the notification rules and their two thresholds,
// asks for permission when a rule is switched on and warns while notifications
// are refused.
class NotifyTab : public QWidget
{
    Q_OBJECT
public:
    using DeniedCheck = std::function<void(std::function<void(bool denied)>)>;

    NotifyTab(Notifier &notifier, DeniedCheck deniedCheck, SystemSettingsPanes *panes,
              QWidget *parent = nullptr);

    bool denied() const { return m_denied; }

    void check();
    void ask();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QCheckBox *toggle(const QString &text, const QString &key, bool fallback);
    void sync();
    void setDenied(bool denied);

    Notifier &m_notifier;
    DeniedCheck m_deniedCheck;
    QCheckBox *m_limit;
    QCheckBox *m_low;
    Stepper *m_lowAt;
    QCheckBox *m_adapter;
    Stepper *m_minW;
    QWidget *m_deniedSection;
    bool m_denied = false;
};
