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
</context>
</TS>
