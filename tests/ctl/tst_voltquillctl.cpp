// SPDX-License-Identifier: GPL-3.0-or-later
// voltquillctl against the real charge service on a private bus over a fake
// sysfs tree: every verb, its exit code and German answer, --json, and the
// password path, where polkit must be allowed to ask (by the tool and by the
// agent) and a caller it allows outright is answered at once.
#include "platform/DBusChargeClient.h"
#include "support/ServiceRig.h"

#include <QDBusArgument>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

namespace
{
struct Outcome {
    int exitCode = -1;
    QString out;
    QString err;
    qint64 elapsedMs = 0;
};

constexpr int AllowUserInteraction = 1;
} // namespace

class TestVoltquillctl : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void verbs_data();
    void verbs();
    void statusSaysHowTheLimitIsHeld_data();
    void statusSaysHowTheLimitIsHeld();
    void json_data();
    void json();
    void withoutService_data();
    void withoutService();
    void allowedOutrightIsAnsweredAtOnce();
    void textAgentOnlyInATerminal();
    void toolLetsPolkitAsk_data();
    void toolLetsPolkitAsk();
    void agentLetsPolkitAsk_data();
    void agentLetsPolkitAsk();

private:
    bool startPolkit(const QString &mode)
    {
        return m_rig->polkit().startScript(QStringLiteral(HOLDING_POLKIT), {mode});
    }
    QProcessEnvironment environment() const;
    Outcome run(const QStringList &arguments) const;
    void start(QProcess &tool, const QStringList &arguments) const;
    QDBusMessage polkitCall(const char *method) const;
    QList<uint> checkFlags() const;
    int heldChecks() const { return polkitCall("HeldChecks").arguments().value(0, -1).toInt(); }
    QByteArray threshold() const
    {
        return m_rig->sysfs().read(QStringLiteral("BAT0"), "charge_control_end_threshold");
    }

    std::unique_ptr<ServiceRig> m_rig;
    std::unique_ptr<QTemporaryDir> m_etc;
};

void TestVoltquillctl::init()
{
    // The system bus's service, so that every command asks polkit.
    m_rig = std::make_unique<ServiceRig>(ServiceRig::Mode::System);
    QVERIFY2(m_rig->start(), "dbus-daemon did not start");
    m_rig->sysfs().addBattery();
    m_rig->sysfs().addAdapter(true);
    m_etc = std::make_unique<QTemporaryDir>();
}

void TestVoltquillctl::cleanup()
{
    m_rig.reset();
}

QProcessEnvironment TestVoltquillctl::environment() const
{
    QProcessEnvironment environment = m_rig->bus().environment();
    environment.insert(QStringLiteral("VOLTQUILL_SYSFS_ROOT"), m_rig->sysfs().root());
    environment.insert(QStringLiteral("VOLTQUILL_ETC_ROOT"), m_etc->path());
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    environment.remove(QStringLiteral("VOLTQUILL_CHARGE_BUS"));
    return environment;
}

void TestVoltquillctl::start(QProcess &tool, const QStringList &arguments) const
{
    tool.setProcessEnvironment(environment());
    // No terminal: no text agent is started, the flag alone goes out.
    tool.setStandardInputFile(QProcess::nullDevice());
    tool.start(QStringLiteral(CTL_BINARY), arguments);
}

Outcome TestVoltquillctl::run(const QStringList &arguments) const
{
    QProcess tool;
    QElapsedTimer elapsed;
    elapsed.start();
    start(tool, arguments);
    if (!tool.waitForFinished(20000))
        tool.kill();
    return {tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1,
            QString::fromUtf8(tool.readAllStandardOutput()),
            QString::fromUtf8(tool.readAllStandardError()), elapsed.elapsed()};
}

QDBusMessage TestVoltquillctl::polkitCall(const char *method) const
{
    return m_rig->polkit().call(QString::fromLatin1(method));
}

QList<uint> TestVoltquillctl::checkFlags() const
{
    QList<uint> flags;
    const QDBusMessage reply = polkitCall("CheckFlags");
    const QDBusArgument argument = reply.arguments().value(0).value<QDBusArgument>();
    argument >> flags;
    return flags;
}

void TestVoltquillctl::verbs_data()
{
    QTest::addColumn<QList<QStringList>>("before"); // run first, each must succeed
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said"); // on stdout when 0, else on stderr
    QTest::addColumn<QByteArray>("threshold");

    using Runs = QList<QStringList>;
    QTest::newRow("set") << Runs{} << QStringList{"set", "80"} << 0 << "Ladelimit 80 % gesetzt."
                         << QByteArray("80");
    QTest::newRow("set 100 switches off")
        << Runs{{"set", "80"}} << QStringList{"set", "100"} << 0
        << "Ladelimit aus: der Akku lädt voll." << QByteArray("100");
    QTest::newRow("off") << Runs{{"set", "75"}} << QStringList{"off"} << 0
                         << "Ladelimit aus: der Akku lädt voll." << QByteArray("100");
    QTest::newRow("full-charge") << Runs{{"set", "80"}} << QStringList{"full-charge"} << 0
                                 << "Der Akku lädt einmalig voll, bis das Netzteil abgezogen wird."
                                 << QByteArray("100");
    QTest::newRow("resume") << Runs{{"set", "80"}, {"full-charge"}} << QStringList{"resume"} << 0
                            << "Das Ladelimit gilt wieder." << QByteArray("80");
    QTest::newRow("limits") << Runs{} << QStringList{"limits"} << 0 << "60 65 70 75 80 85 90 95 100"
                            << QByteArray("100");

    QTest::newRow("a limit not offered")
        << Runs{} << QStringList{"set", "77"} << 5
        << "Dieses Ladelimit bietet der Akku nicht an. Angeboten: 60, 65, 70, 75, 80, 85, 90, "
           "95, 100 %."
        << QByteArray("100");
    QTest::newRow("full charge without a limit")
        << Runs{} << QStringList{"full-charge"} << 5
        << "Es ist kein Ladelimit gesetzt, das ausgesetzt werden könnte." << QByteArray("100");
    QTest::newRow("no number") << Runs{} << QStringList{"set", "achtzig"} << 2
                               << "Kein Prozentwert von 1 bis 100: „achtzig“." << QByteArray("100");
    QTest::newRow("out of range") << Runs{} << QStringList{"set", "0"} << 2
                                  << "Kein Prozentwert von 1 bis 100: „0“." << QByteArray("100");
    QTest::newRow("set without a value")
        << Runs{} << QStringList{"set"} << 2 << "„set“ braucht genau einen Prozentwert."
        << QByteArray("100");
    QTest::newRow("a value too many") << Runs{} << QStringList{"off", "80"} << 2
                                      << "„off“ nimmt keinen Wert." << QByteArray("100");
    QTest::newRow("unknown verb") << Runs{} << QStringList{"lade"} << 2
                                  << "Unbekannter Befehl „lade“." << QByteArray("100");
}

void TestVoltquillctl::verbs()
{
    QFETCH(QList<QStringList>, before);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, said);
    QFETCH(QByteArray, threshold);

    QVERIFY(startPolkit(QStringLiteral("--allow")));
    QVERIFY(m_rig->service().start());
    for (const QStringList &earlier : before)
        QCOMPARE(run(earlier).exitCode, 0);
    const Outcome outcome = run(arguments);
    QCOMPARE(outcome.exitCode, exitCode);
    QVERIFY2((exitCode == 0 ? outcome.out : outcome.err).contains(said),
             qPrintable(outcome.out + outcome.err));
    QCOMPARE(this->threshold(), threshold);
}

void TestVoltquillctl::statusSaysHowTheLimitIsHeld_data()
{
    QTest::addColumn<QList<QStringList>>("before");
    QTest::addColumn<QByteArray>("written"); // by another program; empty: none
    QTest::addColumn<QStringList>("lines");

    using Runs = QList<QStringList>;
    const QString battery = QStringLiteral("Akku:             BAT0 60 %, lädt");
    QTest::newRow("no limit") << Runs{} << QByteArray()
                              << QStringList{
                                     battery, "Ladelimit:        aus (100 %)",
                                     "Gehalten:         kein Ladelimit: der Akku lädt voll"};
    QTest::newRow("kept by the service")
        << Runs{{"set", "80"}} << QByteArray()
        << QStringList{"Ladelimit:        80 %",
                       "Gehalten:         vom Ladedienst, auch nach Neustart, Aufwachen und "
                       "Treiber-Rücksetzungen",
                       "Netzteil:         angeschlossen",
                       "Ladeschwelle:     class/power_supply/BAT0/charge_control_end_threshold",
                       "Angeboten:        60, 65, 70, 75, 80, 85, 90, 95, 100 %"};
    QTest::newRow("suspended") << Runs{{"set", "80"}, {"full-charge"}} << QByteArray()
                               << QStringList{"Ladelimit:        aus (100 %)",
                                              "Gehalten:         ausgesetzt, bis das Netzteil "
                                              "abgezogen wird; danach gilt wieder 80 %"};
    // TLP writes 70 over the kept 80 in the test's /etc: the service adopts
    // an offered value, so the status names the program that writes.
    QTest::newRow("another program writes")
        << Runs{{"set", "80"}} << QByteArray("STOP_CHARGE_THRESH_BAT0=70\n")
        << QStringList{"Ladelimit:        70 %", "Andere Programme: TLP"};
}

void TestVoltquillctl::statusSaysHowTheLimitIsHeld()
{
    QFETCH(QList<QStringList>, before);
    QFETCH(QByteArray, written);
    QFETCH(QStringList, lines);

    QVERIFY(startPolkit(QStringLiteral("--allow")));
    QVERIFY(m_rig->service().start());
    for (const QStringList &earlier : before)
        QCOMPARE(run(earlier).exitCode, 0);
    if (!written.isEmpty()) {
        FakeSysfs::writeFile(m_etc->path() + QStringLiteral("/tlp.conf"), written);
        m_rig->sysfs().write(QStringLiteral("BAT0"), "charge_control_end_threshold", "70");
        QTRY_COMPARE(m_rig->service().call(QStringLiteral("Limit")).arguments().value(0).toInt(),
                     70);
    }
    const Outcome outcome = run({QStringLiteral("status")});
    QCOMPARE(outcome.exitCode, 0);
    QVERIFY2(outcome.out.contains(QStringLiteral("Laptop-Familie:")), qPrintable(outcome.out));
    for (const QString &line : lines)
        QVERIFY2(outcome.out.contains(line),
                 qPrintable(line + QStringLiteral("\n---\n") + outcome.out));
    // The default verb is status.
    QCOMPARE(run({}).out, outcome.out);
}

void TestVoltquillctl::json_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QJsonObject>("wanted"); // these members, with these values

    QTest::newRow("status") << QStringList{"--json", "status"} << 0
                            << QJsonObject{{"limit", 80},
                                           {"keptLimit", 80},
                                           {"suspended", false},
                                           {"heldBy", "threshold"},
                                           {"firmwareIgnoresLimit", 0},
                                           {"supported", true},
                                           {"service", true},
                                           {"adapterOnline", true},
                                           {"availableLimits",
                                            QJsonArray{60, 65, 70, 75, 80, 85, 90, 95, 100}},
                                           {"otherWriters", QJsonArray{}}};
    QTest::newRow("limits") << QStringList{"--json", "limits"} << 0
                            << QJsonObject{{"availableLimits",
                                            QJsonArray{60, 65, 70, 75, 80, 85, 90, 95, 100}}};
    QTest::newRow("a command") << QStringList{"--json", "set", "75"} << 0
                               << QJsonObject{{"ok", true}, {"message", "Ladelimit 75 % gesetzt."}};
    QTest::newRow("a refusal") << QStringList{"--json", "set", "77"} << 5
                               << QJsonObject{
                                      {"ok", false},
                                      {"error", "org.voltquill.Charge1.Error.InvalidLimit"}};
    QTest::newRow("a wrong call") << QStringList{"--json", "set", "x"} << 2
                                  << QJsonObject{{"ok", false}};
}

void TestVoltquillctl::json()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QJsonObject, wanted);

    QVERIFY(startPolkit(QStringLiteral("--allow")));
    QVERIFY(m_rig->service().start());
    QCOMPARE(run({QStringLiteral("set"), QStringLiteral("80")}).exitCode, 0);
    const Outcome outcome = run(arguments);
    QCOMPARE(outcome.exitCode, exitCode);
    // One line, one object: what a script's parser takes.
    QCOMPARE(outcome.out.count(QLatin1Char('\n')), 1);
    QJsonParseError error;
    const QJsonObject answer = QJsonDocument::fromJson(outcome.out.toUtf8(), &error).object();
    QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(outcome.out));
    for (auto member = wanted.begin(); member != wanted.end(); ++member)
        QVERIFY2(answer.value(member.key()) == member.value(),
                 qPrintable(member.key() + QStringLiteral(" in ") + outcome.out));
}

void TestVoltquillctl::withoutService_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("said");

    QTest::newRow("a command") << QStringList{"set", "80"}
                               << "Der Ladedienst ist nicht erreichbar.";
    QTest::newRow("limits") << QStringList{"limits"} << "Der Ladedienst ist nicht erreichbar.";
    // What sysfs tells still shows.
    QTest::newRow("status") << QStringList{"status"} << QString();
}

void TestVoltquillctl::withoutService()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, said);

    const Outcome outcome = run(arguments);
    QCOMPARE(outcome.exitCode, 3);
    if (said.isEmpty()) {
        QVERIFY2(outcome.out.contains(QStringLiteral("Akku:             BAT0 60 %")),
                 qPrintable(outcome.out));
        QVERIFY2(outcome.out.contains(QStringLiteral("Ladedienst:       nicht erreichbar")),
                 qPrintable(outcome.out));
    } else {
        QCOMPARE(outcome.err.trimmed(), said);
    }
}

void TestVoltquillctl::allowedOutrightIsAnsweredAtOnce()
{
    QVERIFY(startPolkit(QStringLiteral("--allow")));
    QVERIFY(m_rig->service().start());
    const Outcome outcome = run({QStringLiteral("set"), QStringLiteral("80")});
    QCOMPARE(outcome.exitCode, 0);
    QVERIFY2(outcome.elapsedMs < 2000, qPrintable(QString::number(outcome.elapsedMs)));
    // The tool lets polkit ask; the agent first asks whether it must.
    DBusChargeClient agent(m_rig->connection());
    bool waited = false;
    agent.setAuthorizationWaitHandler([&](bool waiting) { waited = waited || waiting; });
    QElapsedTimer elapsed;
    elapsed.start();
    QCOMPARE(agent.setLimit(75), std::nullopt);
    QVERIFY(elapsed.elapsed() < 1000);
    QVERIFY(!waited);
    QCOMPARE(checkFlags(), (QList<uint>{AllowUserInteraction, 0}));
    QCOMPARE(threshold(), QByteArray("75"));
}

void TestVoltquillctl::textAgentOnlyInATerminal()
{
    QVERIFY(startPolkit(QStringLiteral("--allow")));
    QVERIFY(m_rig->service().start());
    QCOMPARE(run({QStringLiteral("set"), QStringLiteral("75")}).exitCode, 0);
    QCOMPARE(polkitCall("Agents").arguments().value(0).toStringList(), QStringList());

    // In a terminal (script(1) gives it one) polkit's text agent registers
    // for the tool's process before the call goes out.
    QProcess terminal;
    terminal.setProcessEnvironment(environment());
    terminal.start(
        QStringLiteral("script"),
        {QStringLiteral("-qec"), QStringLiteral(CTL_BINARY " set 80"), QProcess::nullDevice()});
    QVERIFY(terminal.waitForFinished(20000));
    QCOMPARE(terminal.exitCode(), 0);
    QCOMPARE(polkitCall("Agents").arguments().value(0).toStringList(),
             QStringList{QStringLiteral("unix-process")});
    QCOMPARE(threshold(), QByteArray("80"));
}

void TestVoltquillctl::toolLetsPolkitAsk_data()
{
    QTest::addColumn<QString>("answer"); // what the person does at the dialog
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said");
    QTest::addColumn<QByteArray>("threshold");

    QTest::newRow("password typed")
        << "AllowHeld" << 0 << "Ladelimit 80 % gesetzt." << QByteArray("80");
    QTest::newRow("dialog cancelled")
        << "DenyHeld" << 4 << "Keine Berechtigung, das Ladelimit zu ändern." << QByteArray("100");
}

void TestVoltquillctl::toolLetsPolkitAsk()
{
    QFETCH(QString, answer);
    QFETCH(int, exitCode);
    QFETCH(QString, said);
    QFETCH(QByteArray, threshold);

    QVERIFY(startPolkit(QStringLiteral("--ask")));
    QVERIFY(m_rig->service().start());
    QProcess tool;
    start(tool, {QStringLiteral("set"), QStringLiteral("80")});
    // The tool waits while polkit asks, longer than a command's quiet wait.
    QTRY_COMPARE_WITH_TIMEOUT(heldChecks(), 1, 5000);
    QTest::qWait(ChargeBus::commandWaitMs + 500);
    QCOMPARE(tool.state(), QProcess::Running);
    QCOMPARE(checkFlags(), QList<uint>{AllowUserInteraction});
    polkitCall(answer.toLatin1().constData());
    QVERIFY(tool.waitForFinished(5000));
    QCOMPARE(tool.exitCode(), exitCode);
    const QString text = QString::fromUtf8(exitCode == 0 ? tool.readAllStandardOutput()
                                                         : tool.readAllStandardError());
    QCOMPARE(text.trimmed(), said);
    QCOMPARE(this->threshold(), threshold);

    // Told not to ask, it hears at once that a password would be needed.
    const Outcome quiet =
        run({QStringLiteral("--no-ask-password"), QStringLiteral("set"), QStringLiteral("75")});
    QCOMPARE(quiet.exitCode, 4);
    QCOMPARE(
        quiet.err.trimmed(),
        QStringLiteral("Zum Ändern des Ladelimits ist eine Anmeldung als Administrator nötig."));
    QCOMPARE(checkFlags().last(), 0u);
    QCOMPARE(this->threshold(), threshold);
}

void TestVoltquillctl::agentLetsPolkitAsk_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("error"); // empty: the change holds
    QTest::addColumn<QByteArray>("threshold");

    QTest::newRow("password typed") << "AllowHeld" << QString() << QByteArray("80");
    QTest::newRow("dialog cancelled")
        << "DenyHeld"
        << "Keine Berechtigung, das Ladelimit zu ändern." << QByteArray("100");
}

void TestVoltquillctl::agentLetsPolkitAsk()
{
    QFETCH(QString, answer);
    QFETCH(QString, error);
    QFETCH(QByteArray, threshold);

    QVERIFY(startPolkit(QStringLiteral("--ask")));
    QVERIFY(m_rig->service().start());
    DBusChargeClient agent(m_rig->connection());
    QList<bool> waits;
    std::optional<ChargeError> second;
    agent.setAuthorizationWaitHandler([&](bool waiting) { waits << waiting; });
    // The person answers while the agent waits; meanwhile its event loop
    // runs, and a second change is turned away rather than stacked.
    QTimer person;
    person.setInterval(100);
    QObject::connect(&person, &QTimer::timeout, this, [&] {
        if (heldChecks() != 1)
            return;
        person.stop();
        QVERIFY(agent.isWaitingForAuthorization());
        second = agent.setLimit(75);
        QTest::qWait(ChargeBus::commandWaitMs + 500);
        polkitCall(answer.toLatin1().constData());
    });
    person.start();
    const auto failure = agent.setLimit(80);
    QCOMPARE(failure ? failure->description : QString(), error);
    QCOMPARE(waits, (QList<bool>{true, false}));
    QVERIFY(second);
    QCOMPARE(second->description, QStringLiteral("Eine Änderung wartet noch auf die Anmeldung; "
                                                 "das Ladelimit bleibt unverändert."));
    // Asked quietly first, then with the flag that lets polkit ask.
    QCOMPARE(checkFlags(), (QList<uint>{0, AllowUserInteraction}));
    QCOMPARE(this->threshold(), threshold);
}

QTEST_GUILESS_MAIN(TestVoltquillctl)
#include "tst_voltquillctl.moc"
