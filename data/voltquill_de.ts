<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>Voltquill</name>
    <message>
        <source>Der Ladedienst ist nicht verfügbar (Voltquill-Fehler 1).</source>
        <translation>Der Ladedienst voltquill-charged ist nicht erreichbar (Voltquill-Fehler 1).</translation>
    </message>
    <message>
        <source>Der Akku ist bei %d %%. Der Mac läuft jetzt über das Netzteil.</source>
        <translation>Der Akku ist bei %d %%. Der Laptop läuft jetzt über das Netzteil.</translation>
    </message>
    <message>
        <source>Angeschlossen: %d W (empfohlen ab %d W). Der Mac lädt langsam oder entlädt sich unter Last.</source>
        <translation>Angeschlossen: %d W (empfohlen ab %d W). Der Laptop lädt langsam oder entlädt sich unter Last.</translation>
    </message>
    <message>
        <source>Das Limit speichert macOS selbst – es gilt auch, wenn diese App nicht läuft.</source>
        <translation>Das Limit hält der Ladedienst selbst – es gilt auch, wenn diese App nicht läuft.</translation>
    </message>
    <message>
        <source>Apples eigenes Batterie-Symbol ausblenden:</source>
        <translation>Akku-Symbol der Leiste ausblenden:</translation>
    </message>
    <message>
        <source>Kontrollzentrum-Einstellungen …</source>
        <translation>Leisten-Einstellungen …</translation>
    </message>
    <message>
        <source>Dort unter „Batterie“ den Schalter „In Menüleiste anzeigen“ ausschalten.</source>
        <translation>Dort die Akku-Anzeige der Leiste ausschalten, soweit die Arbeitsumgebung das erlaubt.</translation>
    </message>
    <message>
        <source>Ohne Symbol öffnest du dieses Fenster, indem du Voltquill im Programme-Ordner noch einmal startest.</source>
        <translation>Ohne Symbol öffnest du dieses Fenster, indem du Voltquill im Anwendungsmenü noch einmal startest.</translation>
    </message>
    <message>
        <source>Beispiel: Montag auf 100 % – dann lädt der Mac schon Sonntagabend voll für die Reise. Wählst du im Menü zwischendurch ein anderes Limit, gilt es bis zum nächsten Wechsel.</source>
        <translation>Beispiel: Montag auf 100 % – dann lädt der Laptop schon Sonntagabend voll für die Reise. Wählst du im Menü zwischendurch ein anderes Limit, gilt es bis zum nächsten Wechsel.</translation>
    </message>
</context>
</TS>
