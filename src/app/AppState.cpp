// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AppState.h"

#include "app/ChargeLimit.h"
#include "app/L.h"
#include "settings/Prefs.h"

#include <QPointer>

AppState::AppState(ChargeLimit &chargeLimit, const BatteryRegistry &registry, const Clock &clock,
                   QObject *parent)
    : QObject(parent), m_chargeLimit(chargeLimit), m_registry(registry), m_clock(clock),
      m_battery(BatteryInfo::read(registry)), m_options(chargeLimit.available())
{
    // The charge limit may outlive this state (tests make one per case).
    m_chargeLimit.setAuthorizationWaitHandler([self = QPointer<AppState>(this)](bool waiting) {
        if (!self)
            return;
        self->m_awaitingAuthorization = waiting;
        Q_EMIT self->changed();
    });
    refresh();
}

void AppState::refresh()
{
    setBattery(BatteryInfo::read(m_registry));
    const qint64 reported = m_chargeLimit.limit();
    if (reported <= 99) {
        setLimitValue(reported);
        setEngaged(true);
        Prefs::setChosenLimit(reported);
        return;
    }
    const std::optional<qint64> chosen = Prefs::chosenLimit();
    if (chosen && *chosen <= 99 && m_chargeLimit.isEngaged()) {
        setLimitValue(*chosen);
        setEngaged(false);
    } else {
        setLimitValue(100);
        setEngaged(true);
    }
}

void AppState::setLimit(qint64 limit)
{
    const auto failure = m_chargeLimit.setLimit(limit);
    if (!failure || failure->tookEffect)
        Prefs::setChosenLimit(limit);
    finishCommand(failure, QT_TRANSLATE_NOOP("Voltquill", "Limit konnte nicht gesetzt werden: %@"));
}

void AppState::chargeFullOnce()
{
    finishCommand(m_chargeLimit.chargeToFullOnce(), QT_TRANSLATE_NOOP("Voltquill", "Fehler: %@"));
}

void AppState::reEnable()
{
    finishCommand(m_chargeLimit.reEnable(), QT_TRANSLATE_NOOP("Voltquill", "Fehler: %@"));
}

void AppState::finishCommand(const std::optional<ChargeError> &failure, const char *errorFormat)
{
    if (failure && failure->tookEffect)
        setError(failure->description); // a warning: the command did its job
    else if (failure)
        setError(L(errorFormat, failure->description));
    else
        setError(std::nullopt);
    refresh();
}

void AppState::setBattery(const BatteryInfo &battery)
{
    m_battery = battery;
    Q_EMIT changed();
}

void AppState::setLimitValue(qint64 limit)
{
    m_limit = limit;
    Q_EMIT changed();
}

void AppState::setEngaged(bool engaged)
{
    m_engaged = engaged;
    Q_EMIT changed();
}

void AppState::setError(std::optional<QString> error)
{
    m_error = std::move(error);
    Q_EMIT changed();
}
