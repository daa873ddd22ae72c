<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>Voltquill</name>
    <message>
        <source>Limit konnte nicht gesetzt werden: %@</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fehler: %@</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Kein Akku gefunden</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Akku %d %%</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>lädt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%d:%02d h bis voll</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Akkubetrieb</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>voll geladen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>sinkt langsam auf %d %%</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Limit erreicht, hält</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>am Netzteil, lädt nicht</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%d:%02d h</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ladelimit aus (lädt auf 100 %)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ladelimit %d %% aktiv</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Limit %d %% – lädt einmalig voll</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zeitplan: heute %d %%</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zeitplan: ab jetzt für morgen %d %%</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Ladedienst hat den Befehl abgelehnt.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ungültiges Ladelimit: %lld %%</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Laden bis</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Einmal voll laden (bis zum Abstecken)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Limit sofort wieder einschalten</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zustand %d %%  ·  %d Zyklen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Netzteil %d W</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Einstellungen …</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Voltquill beenden</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Ladedienst wurde beendet, bevor er antworten konnte.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Ladedienst antwortet nicht.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Ladedienst ist nicht erreichbar.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Ladedienst meldet: %@</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Diese Arbeitsumgebung lässt sich nicht direkt öffnen. Die Energie- und Akku-Einstellungen findest du in ihren Systemeinstellungen.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Das eigene Akku-Symbol der Arbeitsumgebung blendest du in den Einstellungen ihrer Leiste aus – unter KDE Plasma mit einem Rechtsklick auf die Systemleiste, „Systemleiste einrichten …“, „Einträge“.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Diese Arbeitsumgebung lässt sich nicht direkt öffnen. Erlaube Mitteilungen von Voltquill in ihren Systemeinstellungen; ohne laufenden Mitteilungsdienst erscheinen keine Mitteilungen.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>TLP schreibt ebenfalls Ladeschwellen (%1). Zwei Programme ändern dann denselben Wert: nimm die Schwellen aus TLPs Einstellungen oder setze hier kein Limit.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>UPower hält ebenfalls eine Ladeschwelle (der Akkuschutz in den Energieeinstellungen ist an). Zwei Programme ändern dann denselben Wert: schalte ihn dort aus oder setze hier kein Limit.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ladelimit erreicht</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Noch %d %%.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reicht etwa %d:%02d h.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bitte Netzteil anschließen.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Niedriger Akkustand</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Schwaches Netzteil</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Netzteil reicht nicht</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Trotz Netzteil sinkt der Akku (%d %%). Ein stärkeres Netzteil oder Kabel verwenden.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Limit wieder einschalten</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zustand</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ladezyklen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Temperatur</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Netzteil</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>eine Auswahl hier gilt bis zum nächsten Zeitplan-Wechsel.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%d %% (%d von %d mAh)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Menüleiste</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Symbol in der Menüleiste</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Prozent im Batterie-Symbol</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nur Batterie-Symbol</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Symbol und Prozent daneben</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Anzeige</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bei sehr niedrigem Akku blinken</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>bei %d %% und weniger</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Start</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bei der Anmeldung starten</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Batterie-Systemeinstellungen öffnen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Autostart-Eintrag konnte nicht angelegt werden.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Autostart-Eintrag konnte nicht entfernt werden.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zustand %</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Akku-Gesundheit monatlich aufzeichnen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Noch keine Einträge.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Verlauf löschen …</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%d Zyklen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Den ganzen Verlauf löschen?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Das lässt sich nicht rückgängig machen.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Löschen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Wenn das Ladelimit erreicht ist</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>bei %d %%</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unter %d W</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bei niedrigem Akkustand</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bei schwachem Netzteil</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Meldet sich beim Anstecken, wenn das Netzteil weniger Leistung liefert, und wenn der Akku trotz Netzteil leerer wird.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mitteilungen sind für Voltquill in den Systemeinstellungen ausgeschaltet.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mitteilungs-Einstellungen öffnen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mitteilungen kommen nur, solange die App läuft – am besten „Bei der Anmeldung starten“ einschalten (Reiter Allgemein).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zeitplan verwenden</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ladelimit je Wochentag</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Schon am Vorabend umstellen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%d:00 Uhr</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ab</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Laden</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zeitplan</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mitteilungen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Verlauf</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Allgemein</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Einstellungen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ladelimit %d %% gilt, wird nach einem Neustart aber nicht wiederhergestellt.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ladelimit aus; nach einem Neustart gilt aber wieder das bisherige Ladelimit.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Akku lädt einmalig voll; nach einem Neustart gilt das Ladelimit aber wieder.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Das Ladelimit gilt wieder; nach einem Neustart lädt der Akku aber erneut einmalig voll.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Automatisch</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hell</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Dunkel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Symbolfarbe</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Akku-Zustand über die Monate</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Monat</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zyklen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%@: Zustand %d %%</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%@ bis %@: Zustand von %d %% auf %d %%</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Eine Änderung wartet noch auf die Anmeldung; das Ladelimit bleibt unverändert.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Dieser Akku lässt kein Ladelimit zu.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Dieses Ladelimit bietet der Akku nicht an.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Es ist kein Ladelimit gesetzt, das ausgesetzt werden könnte.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Keine Berechtigung, das Ladelimit zu ändern.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Akkutreiber hat die Ladeschwelle nicht angenommen.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Das Ladelimit gilt, wird nach einem Neustart aber nicht wiederhergestellt.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zu viele Anfragen warten auf eine Berechtigung. Bitte gleich noch einmal versuchen.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Berechtigung konnte nicht rechtzeitig geprüft werden; das Ladelimit bleibt unverändert.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zum Ändern des Ladelimits ist eine Anmeldung als Administrator nötig.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Keine Verbindung zum Systembus.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Zugriff auf den Ladedienst wurde verweigert.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Wartet auf die Anmeldung als Administrator …</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Ladedienst voltquill-charged ist nicht erreichbar (Voltquill-Fehler 1).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Akku ist bei %d %%. Der Laptop läuft jetzt über das Netzteil.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Angeschlossen: %d W (empfohlen ab %d W). Der Laptop lädt langsam oder entlädt sich unter Last.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Das Limit hält der Ladedienst selbst – es gilt auch, wenn diese App nicht läuft.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Prozent im Batterie-Symbol: die Zahl steht im Symbol. Nur Batterie-Symbol: die Zahl steht im Menü. Symbol und Prozent daneben: die Zahl steht neben dem Symbol, wo das Panel Text neben Symbolen zeigt (GNOME, MATE); sonst bleibt sie im Symbol.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Akku-Symbol der Leiste ausblenden:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Leisten-Einstellungen …</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Dort die Akku-Anzeige der Leiste ausschalten, soweit die Arbeitsumgebung das erlaubt.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ohne Symbol öffnest du dieses Fenster, indem du Voltquill im Anwendungsmenü noch einmal startest.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Beispiel: Montag auf 100 % – dann lädt der Laptop schon Sonntagabend voll für die Reise. Wählst du im Menü zwischendurch ein anderes Limit, gilt es bis zum nächsten Wechsel.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
