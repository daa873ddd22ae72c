#pragma once

#include <QDBusConnection>
#include <QObject>
#include <functional>

// Asks polkit whether a caller on the bus may perform an action. Every
// failure to get an answer (no polkit, an error, a timeout) means denied.
class PolkitAuthority : public QObject
{
    Q_OBJECT
public:
    enum class Verdict { Allowed, Denied, ChallengeRequired };

    explicit PolkitAuthority(QDBusConnection bus, QObject *parent = nullptr);

    // `interactive`: polkit may ask the user (only when the caller's
    // message allows interactive authorisation).
    void check(const QString &busName, const QString &actionId, bool interactive,
               std::function<void(Verdict)> done);

private:
    QDBusConnection m_bus;
};
