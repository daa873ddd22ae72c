<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>Voltquill</name>
    <message>
        <source>Der Ladedienst ist nicht verfügbar (Voltquill-Fehler 1).</source>
        <translation>Der Ladedienst voltquill-charged ist nicht erreichbar (Voltquill-Fehler 1).</translation>
    </message>
</context>
</TS>
