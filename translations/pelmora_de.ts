<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="en">
<context>
    <name>pelmora::AssignAddressesDialog</name>
    <message>
        <source>%1th</source>
        <translation>%1.</translation>
    </message>
    <message>
        <source>%1st</source>
        <translation>%1.</translation>
    </message>
    <message>
        <source>%1nd</source>
        <translation>%1.</translation>
    </message>
    <message>
        <source>%1rd</source>
        <translation>%1.</translation>
    </message>
    <message>
        <source>&amp;Apply</source>
        <translation>&amp;Anwenden</translation>
    </message>
    <message>
        <source>St&amp;op</source>
        <translation>Sto&amp;pp</translation>
    </message>
    <message>
        <source>&amp;Retry failed</source>
        <translation>Fehlgeschlagene wiede&amp;rholen</translation>
    </message>
    <message>
        <source>&amp;Save plan…</source>
        <translation>Plan &amp;speichern…</translation>
    </message>
    <message>
        <source>Assign addresses</source>
        <translation>Adressen zuweisen</translation>
    </message>
    <message>
        <source> s</source>
        <translation> s</translation>
    </message>
    <message>
        <source>First address</source>
        <translation>Erste Adresse</translation>
    </message>
    <message>
        <source>Step</source>
        <translation>Schrittweite</translation>
    </message>
    <message>
        <source>Subnet mask</source>
        <translation>Subnetzmaske</translation>
    </message>
    <message>
        <source>Default gateway</source>
        <translation>Standardgateway</translation>
    </message>
    <message>
        <source>Primary DNS server address</source>
        <translation>Erster DNS-Server</translation>
    </message>
    <message>
        <source>Administrator name</source>
        <translation>Administratorname</translation>
    </message>
    <message>
        <source>Administrator password</source>
        <translation>Administratorkennwort</translation>
    </message>
    <message>
        <source>Wait for confirmation, seconds</source>
        <translation>Auf Bestätigung warten, Sekunden</translation>
    </message>
    <message>
        <source>Planned addresses</source>
        <translation>Geplante Adressen</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>Fortschritt</translation>
    </message>
    <message>
        <source>&amp;First address</source>
        <translation>&amp;Erste Adresse</translation>
    </message>
    <message>
        <source>S&amp;tep</source>
        <translation>Schri&amp;ttweite</translation>
    </message>
    <message>
        <source>Subnet &amp;mask</source>
        <translation>Subnetz&amp;maske</translation>
    </message>
    <message>
        <source>Default &amp;gateway</source>
        <translation>Standard&amp;gateway</translation>
    </message>
    <message>
        <source>Primary &amp;DNS server</source>
        <translation>Erster &amp;DNS-Server</translation>
    </message>
    <message>
        <source>Administrator &amp;name</source>
        <translation>Administrator&amp;name</translation>
    </message>
    <message>
        <source>Administrator pass&amp;word</source>
        <translation>Administratorkenn&amp;wort</translation>
    </message>
    <message>
        <source>Wait for &amp;confirmation</source>
        <translation>Auf &amp;Bestätigung warten</translation>
    </message>
    <message>
        <source>MAC address</source>
        <translation>MAC-Adresse</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>Modell</translation>
    </message>
    <message>
        <source>Current address</source>
        <translation>Aktuelle Adresse</translation>
    </message>
    <message>
        <source>Planned address</source>
        <translation>Geplante Adresse</translation>
    </message>
    <message>
        <source>Notes</source>
        <translation>Hinweise</translation>
    </message>
    <message>
        <source>Result</source>
        <translation>Ergebnis</translation>
    </message>
    <message>
        <source>The plan is checked as a whole. Apply sends it one camera at a time and waits for each camera to report its new settings; Stop ends it before the next camera. Save plan writes it as CSV for pelmora-cli apply-plan.</source>
        <translation>Der Plan wird als Ganzes geprüft. Anwenden sendet ihn Kamera für Kamera und wartet, bis jede Kamera ihre neuen Einstellungen meldet; Stopp beendet ihn vor der nächsten Kamera. Plan speichern schreibt ihn als CSV für pelmora-cli apply-plan.</translation>
    </message>
    <message>
        <source>Send the plan to its cameras, one at a time</source>
        <translation>Den Plan an seine Kameras senden, eine nach der anderen</translation>
    </message>
    <message>
        <source>Stop before the next camera</source>
        <translation>Vor der nächsten Kamera anhalten</translation>
    </message>
    <message>
        <source>Send the plan again to the cameras that failed</source>
        <translation>Den Plan erneut an die fehlgeschlagenen Kameras senden</translation>
    </message>
    <message>
        <source>Save the plan as CSV for pelmora-cli apply-plan</source>
        <translation>Den Plan als CSV für pelmora-cli apply-plan speichern</translation>
    </message>
    <message>
        <source>ONVIF cameras are sent the user name and password of the ONVIF page</source>
        <translation>ONVIF-Kameras erhalten Benutzername und Kennwort der ONVIF-Seite</translation>
    </message>
    <message>
        <source>Type the first address.</source>
        <translation>Geben Sie die erste Adresse ein.</translation>
    </message>
    <message>
        <source>unchanged</source>
        <translation>unverändert</translation>
    </message>
    <message>
        <source>refused</source>
        <translation>abgelehnt</translation>
    </message>
    <message>
        <source>%1 of %2 to send</source>
        <translation>%1 von %2 zu senden</translation>
    </message>
    <message>
        <source>Plan refused:</source>
        <translation>Plan abgelehnt:</translation>
    </message>
    <message>
        <source>The plan was not saved: %1</source>
        <translation>Der Plan wurde nicht gespeichert: %1</translation>
    </message>
    <message>
        <source>Plan saved to %1</source>
        <translation>Plan gespeichert in %1</translation>
    </message>
    <message>
        <source>awaiting the answer</source>
        <translation>wartet auf Antwort</translation>
    </message>
    <message>
        <source>awaiting the new settings</source>
        <translation>wartet auf neue Einstellungen</translation>
    </message>
    <message>
        <source>Applying: %1 of %2 cameras done</source>
        <translation>Wird angewendet: %1 von %2 Kameras fertig</translation>
    </message>
    <message>
        <source>Done: %1 of %2 cameras verified or unchanged</source>
        <translation>Fertig: %1 von %2 Kameras bestätigt oder unverändert</translation>
    </message>
    <message>
        <source>, %1 failed</source>
        <translation>, %1 fehlgeschlagen</translation>
    </message>
    <message>
        <source>, %1 stopped</source>
        <translation>, %1 angehalten</translation>
    </message>
    <message>
        <source>Stopping after the camera under way…</source>
        <translation>Hält nach der laufenden Kamera an…</translation>
    </message>
</context>
<context>
    <name>pelmora::BandwidthPage</name>
    <message>
        <source>MAC address</source>
        <translation>MAC-Adresse</translation>
    </message>
    <message>
        <source>IP address</source>
        <translation>IP-Adresse</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>Modell</translation>
    </message>
    <message>
        <source>Serial No.</source>
        <translation>Seriennr.</translation>
    </message>
    <message>
        <source>Version No.</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>Abbre&amp;chen</translation>
    </message>
    <message>
        <source>Setting bandwidth</source>
        <translation>Neue Bandbreite</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>Current bandwidth</source>
        <translation>Aktuelle Bandbreite</translation>
    </message>
    <message>
        <source>(Mbps)</source>
        <translation>(Mbit/s)</translation>
    </message>
    <message>
        <source>&amp;Setting bandwidth</source>
        <translation>N&amp;eue Bandbreite</translation>
    </message>
    <message>
        <source>&amp;Administrator name</source>
        <translation>&amp;Administratorname</translation>
    </message>
    <message>
        <source>Administrator pass&amp;word</source>
        <translation>Administrator&amp;kennwort</translation>
    </message>
    <message>
        <source>Send the chosen bandwidth to the selected camera</source>
        <translation>Die gewählte Bandbreite an die ausgewählte Kamera senden</translation>
    </message>
    <message>
        <source>Show the selected camera&apos;s settings again</source>
        <translation>Die Einstellungen der ausgewählten Kamera wieder anzeigen</translation>
    </message>
</context>
<context>
    <name>pelmora::DateTimePage</name>
    <message>
        <source>Year</source>
        <translation>Jahr</translation>
    </message>
    <message>
        <source>Month</source>
        <translation>Monat</translation>
    </message>
    <message>
        <source>Day</source>
        <translation>Tag</translation>
    </message>
    <message>
        <source>Hour</source>
        <translation>Stunde</translation>
    </message>
    <message>
        <source>Minute</source>
        <translation>Minute</translation>
    </message>
    <message>
        <source>Second</source>
        <translation>Sekunde</translation>
    </message>
    <message>
        <source>marked</source>
        <translation>markiert</translation>
    </message>
    <message>
        <source>IP address</source>
        <translation>IP-Adresse</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>Modell</translation>
    </message>
    <message>
        <source>Current date time</source>
        <translation>Datum und Uhrzeit</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>O&amp;K</source>
        <translation>O&amp;K</translation>
    </message>
    <message>
        <source>Date time format</source>
        <translation>Datumsformat</translation>
    </message>
    <message>
        <source>Time zone selecting</source>
        <translation>Zeitzone</translation>
    </message>
    <message>
        <source>Date &amp;time format</source>
        <translation>Da&amp;tumsformat</translation>
    </message>
    <message>
        <source>Time &amp;zone selecting</source>
        <translation>&amp;Zeitzone</translation>
    </message>
    <message>
        <source>&amp;Manual current date time setting</source>
        <translation>Datum und Uhrzeit &amp;manuell einstellen</translation>
    </message>
    <message>
        <source>PC &amp;current date time setting</source>
        <translation>Datum und Uhrzeit des P&amp;Cs übernehmen</translation>
    </message>
    <message>
        <source>PC current date time</source>
        <translation>Datum und Uhrzeit des PCs</translation>
    </message>
    <message>
        <source>Send this date and time to the marked cameras</source>
        <translation>Dieses Datum und diese Uhrzeit an die markierten Kameras senden</translation>
    </message>
    <message>
        <source>Send this PC&apos;s date and time to the marked cameras</source>
        <translation>Datum und Uhrzeit dieses PCs an die markierten Kameras senden</translation>
    </message>
</context>
<context>
    <name>pelmora::FormControls</name>
    <message>
        <source>Only Latin-1 characters can be sent to a camera; this character was left out.</source>
        <translation>An eine Kamera können nur Latin-1-Zeichen gesendet werden; dieses Zeichen wurde weggelassen.</translation>
    </message>
</context>
<context>
    <name>pelmora::HistoryDialog</name>
    <message>
        <source>History</source>
        <translation>Verlauf</translation>
    </message>
    <message>
        <source>History of %1</source>
        <translation>Verlauf von %1</translation>
    </message>
    <message>
        <source>No setting request has been recorded.</source>
        <translation>Es wurde noch keine Einstellungsanfrage aufgezeichnet.</translation>
    </message>
    <message>
        <source>No setting request has been recorded for this camera.</source>
        <translation>Für diese Kamera wurde noch keine Einstellungsanfrage aufgezeichnet.</translation>
    </message>
    <message>
        <source>%1 line(s) of the change log could not be read and were skipped.</source>
        <translation>%1 Zeile(n) des Änderungsprotokolls konnten nicht gelesen werden und wurden übersprungen.</translation>
    </message>
    <message>
        <source>Setting requests, newest first</source>
        <translation>Einstellungsanfragen, neueste zuerst</translation>
    </message>
    <message>
        <source>&amp;Setting requests, newest first:</source>
        <translation>&amp;Einstellungsanfragen, neueste zuerst:</translation>
    </message>
</context>
<context>
    <name>pelmora::Ipv4Field</name>
    <message>
        <source>octet %1 of %2</source>
        <translation>Oktett %1 von %2</translation>
    </message>
</context>
<context>
    <name>pelmora::KeptCredentials</name>
    <message>
        <source>Keep this name and password for this camera in the desktop&apos;s keyring</source>
        <translation>Diesen Namen und dieses Kennwort für diese Kamera im Schlüsselbund des Desktops aufbewahren</translation>
    </message>
    <message>
        <source>Looking for the desktop&apos;s keyring…</source>
        <translation>Suche den Schlüsselbund des Desktops…</translation>
    </message>
    <message>
        <source>Passwords cannot be kept: no Secret Service is reachable</source>
        <translation>Kennwörter können nicht aufbewahrt werden: kein Secret Service erreichbar</translation>
    </message>
    <message>
        <source>Passwords cannot be kept: no Secret Service is reachable (%1)</source>
        <translation>Kennwörter können nicht aufbewahrt werden: kein Secret Service erreichbar (%1)</translation>
    </message>
    <message>
        <source>Forget saved password</source>
        <translation>Gespeichertes Kennwort löschen</translation>
    </message>
    <message>
        <source>The saved password could not be removed.</source>
        <translation>Das gespeicherte Kennwort konnte nicht entfernt werden.</translation>
    </message>
    <message>
        <source>Remember on this PC</source>
        <translation>Auf diesem PC merken</translation>
    </message>
</context>
<context>
    <name>pelmora::MainDialog</name>
    <message>
        <source>%1 share an address</source>
        <translation>%1 teilen sich eine Adresse</translation>
    </message>
    <message>
        <source>%1 on another subnet</source>
        <translation>%1 in einem anderen Subnetz</translation>
    </message>
    <message>
        <source>%1 on an address of this PC</source>
        <translation>%1 auf einer Adresse dieses PCs</translation>
    </message>
    <message>
        <source>%1 on a network or broadcast address</source>
        <translation>%1 auf einer Netz- oder Broadcastadresse</translation>
    </message>
    <message>
        <source>%1 with a subnet mask that is not usable</source>
        <translation>%1 mit unbrauchbarer Subnetzmaske</translation>
    </message>
    <message>
        <source>%1 with a gateway outside the subnet</source>
        <translation>%1 mit Gateway außerhalb des Subnetzes</translation>
    </message>
    <message>
        <source>%1 with a clock off</source>
        <translation>%1 mit falsch gehender Uhr</translation>
    </message>
    <message>
        <source>Change log not written</source>
        <translation>Änderungsprotokoll nicht geschrieben</translation>
    </message>
    <message>
        <source>Problems onl&amp;y</source>
        <translation>N&amp;ur Probleme</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>&amp;Filter</source>
        <translation>&amp;Filter</translation>
    </message>
    <message>
        <source>MAC, address, model or serial</source>
        <translation>MAC, Adresse, Modell oder Seriennummer</translation>
    </message>
    <message>
        <source>Filter</source>
        <translation>Filter</translation>
    </message>
    <message>
        <source>Clear filter</source>
        <translation>Filter leeren</translation>
    </message>
    <message>
        <source>List only the cameras with an addressing problem</source>
        <translation>Nur die Kameras mit einem Adressierungsproblem auflisten</translation>
    </message>
    <message>
        <source>Network unreachable — retrying</source>
        <translation>Netzwerk nicht erreichbar – neuer Versuch</translation>
    </message>
    <message>
        <source>&amp;Network</source>
        <translation>&amp;Netzwerk</translation>
    </message>
    <message>
        <source>&amp;Bandwidth control</source>
        <translation>&amp;Bandbreite</translation>
    </message>
    <message>
        <source>&amp;Date time</source>
        <translation>&amp;Datum/Uhrzeit</translation>
    </message>
    <message>
        <source>&amp;PPPoE</source>
        <translation>&amp;PPPoE</translation>
    </message>
    <message>
        <source>%1 (Tab and Shift+Tab)</source>
        <translation>%1 (Tab und Umschalt+Tab)</translation>
    </message>
    <message>
        <source>%1 (%2, or Tab and Shift+Tab)</source>
        <translation>%1 (%2 oder Tab und Umschalt+Tab)</translation>
    </message>
    <message>
        <source>ONVIF search limited</source>
        <translation>ONVIF-Suche eingeschränkt</translation>
    </message>
    <message>
        <source>Last enquiry %1</source>
        <translation>Letzte Abfrage %1</translation>
    </message>
    <message>
        <source>1 camera</source>
        <translation>1 Kamera</translation>
    </message>
    <message>
        <source>%1 cameras</source>
        <translation>%1 Kameras</translation>
    </message>
    <message>
        <source>%1 of %2 shown</source>
        <translation>%1 von %2 angezeigt</translation>
    </message>
    <message>
        <source>%1 ONVIF</source>
        <translation>%1 ONVIF</translation>
    </message>
    <message>
        <source>%1 with problems</source>
        <translation>%1 mit Problemen</translation>
    </message>
    <message>
        <source>Table full: %1 cameras; others wait</source>
        <translation>Tabelle voll: %1 Kameras; weitere warten</translation>
    </message>
    <message>
        <source> · %1 missing</source>
        <translation> · %1 fehlen</translation>
    </message>
</context>
<context>
    <name>pelmora::MessagePort</name>
    <message>
        <source>Information</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>caution</source>
        <translation>Achtung</translation>
    </message>
    <message>
        <source>Setting OK</source>
        <translation>Einstellung übernommen</translation>
    </message>
    <message>
        <source>Setting NG</source>
        <translation>Einstellung abgelehnt</translation>
    </message>
    <message>
        <source>No Response</source>
        <translation>Keine Antwort</translation>
    </message>
    <message>
        <source>Network NG</source>
        <translation>Netzwerkfehler</translation>
    </message>
</context>
<context>
    <name>pelmora::NetworkPage</name>
    <message>
        <source>Compare with a saved list</source>
        <translation>Mit gespeicherter Liste vergleichen</translation>
    </message>
    <message>
        <source>Camera lists (*.csv *.json);;All files (*)</source>
        <translation>Kameralisten (*.csv *.json);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>The list could not be read.</source>
        <translation>Die Liste konnte nicht gelesen werden.</translation>
    </message>
    <message>
        <source>Com&amp;pare with a saved list…</source>
        <translation>Mit gespeicherter Liste ver&amp;gleichen…</translation>
    </message>
    <message>
        <source>Stop compa&amp;ring</source>
        <translation>Vergleich &amp;beenden</translation>
    </message>
    <message>
        <source>new: not on the saved list</source>
        <translation>neu: nicht auf der gespeicherten Liste</translation>
    </message>
    <message>
        <source>missing: no address was saved</source>
        <translation>fehlt: keine Adresse gespeichert</translation>
    </message>
    <message>
        <source>missing: last seen at %1</source>
        <translation>fehlt: zuletzt gesehen unter %1</translation>
    </message>
    <message>
        <source>MAC address</source>
        <translation>MAC-Adresse</translation>
    </message>
    <message>
        <source>IP address</source>
        <translation>IP-Adresse</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>Modell</translation>
    </message>
    <message>
        <source>Serial No.</source>
        <translation>Seriennr.</translation>
    </message>
    <message>
        <source>Version No.</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>Obtain an IP address automatically</source>
        <translation>IP-Adresse automatisch beziehen</translation>
    </message>
    <message>
        <source>&amp;Use the following IP address</source>
        <translation>Folgende IP-Adresse &amp;verwenden</translation>
    </message>
    <message>
        <source>Obtain DNS server address automatically</source>
        <translation>DNS-Serveradresse automatisch beziehen</translation>
    </message>
    <message>
        <source>Use the fo&amp;llowing DNS server address</source>
        <translation>Fo&amp;lgende DNS-Serveradressen verwenden</translation>
    </message>
    <message>
        <source>&amp;HTTP port No.</source>
        <translation>&amp;HTTP-Port</translation>
    </message>
    <message>
        <source>(1024 to 65535)</source>
        <translation>(1024 bis 65535)</translation>
    </message>
    <message>
        <source>&amp;Administrator name</source>
        <translation>&amp;Administratorname</translation>
    </message>
    <message>
        <source>Administrator pass&amp;word</source>
        <translation>Administrator&amp;kennwort</translation>
    </message>
    <message>
        <source>&amp;Reboot</source>
        <translation>Neu&amp;start</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>Abbre&amp;chen</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;IP address</source>
        <translation>&amp;IP-Adresse</translation>
    </message>
    <message>
        <source>Subnet &amp;mask</source>
        <translation>Subnetz&amp;maske</translation>
    </message>
    <message>
        <source>Default &amp;gateway</source>
        <translation>Standard&amp;gateway</translation>
    </message>
    <message>
        <source>Primary DNS ser&amp;ver address</source>
        <translation>&amp;Erster DNS-Server</translation>
    </message>
    <message>
        <source>S&amp;econdary DNS server address</source>
        <translation>&amp;Zweiter DNS-Server</translation>
    </message>
    <message>
        <source>&amp;Third DNS server address</source>
        <translation>D&amp;ritter DNS-Server</translation>
    </message>
    <message>
        <source>Fourth DNS &amp;server address</source>
        <translation>Vier&amp;ter DNS-Server</translation>
    </message>
    <message>
        <source>Other HTTP port</source>
        <translation>Anderer HTTP-Port</translation>
    </message>
    <message>
        <source>HTTP port No.</source>
        <translation>HTTP-Port</translation>
    </message>
    <message>
        <source>Send these settings to the selected camera</source>
        <translation>Diese Einstellungen an die ausgewählte Kamera senden</translation>
    </message>
    <message>
        <source>Restart the selected camera</source>
        <translation>Die ausgewählte Kamera neu starten</translation>
    </message>
    <message>
        <source>Empty the form</source>
        <translation>Das Formular leeren</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Kopieren</translation>
    </message>
    <message>
        <source>&amp;Suggest a free address</source>
        <translation>&amp;Freie Adresse vorschlagen</translation>
    </message>
    <message>
        <source>&amp;Assign addresses…</source>
        <translation>Adressen &amp;zuweisen…</translation>
    </message>
    <message>
        <source>Save plan</source>
        <translation>Plan speichern</translation>
    </message>
    <message>
        <source>CSV (*.csv)</source>
        <translation>CSV (*.csv)</translation>
    </message>
    <message>
        <source>Suggest a free address</source>
        <translation>Freie Adresse vorschlagen</translation>
    </message>
    <message>
        <source>%1 is not used by any camera that answered, but a device that is not a camera may still use it. Check before pressing OK.</source>
        <translation>%1 wird von keiner Kamera verwendet, die geantwortet hat, doch ein anderes Gerät könnte sie noch nutzen. Bitte vor dem Klick auf OK prüfen.</translation>
    </message>
</context>
<context>
    <name>pelmora::OnvifCameraModel</name>
    <message>
        <source>The same camera (same MAC) answers this tool&apos;s own enquiry: it is also on the Network, Bandwidth control, Date time and PPPoE pages</source>
        <translation>Dieselbe Kamera (gleiche MAC) antwortet auch auf die eigene Abfrage dieses Programms: Sie steht auch auf den Seiten Netzwerk, Bandbreite, Datum/Uhrzeit und PPPoE</translation>
    </message>
    <message>
        <source>MAC</source>
        <translation>MAC</translation>
    </message>
    <message>
        <source>IP address</source>
        <translation>IP-Adresse</translation>
    </message>
    <message>
        <source>Manufacturer</source>
        <translation>Hersteller</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>Modell</translation>
    </message>
    <message>
        <source>Firmware</source>
        <translation>Firmware</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Clock offset</source>
        <translation>Uhrabweichung</translation>
    </message>
    <message>
        <source>Notes</source>
        <translation>Hinweise</translation>
    </message>
</context>
<context>
    <name>pelmora::OnvifPage</name>
    <message>
        <source>Re&amp;ad</source>
        <translation>&amp;Lesen</translation>
    </message>
    <message>
        <source>R&amp;efresh</source>
        <translation>A&amp;ktualisieren</translation>
    </message>
    <message>
        <source>Probe addre&amp;sses…</source>
        <translation>&amp;Adressen abfragen…</translation>
    </message>
    <message>
        <source>ONVIF cameras</source>
        <translation>ONVIF-Kameras</translation>
    </message>
    <message>
        <source>User name</source>
        <translation>Benutzername</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Kennwort</translation>
    </message>
    <message>
        <source>Read every ONVIF camera again with this user name and password</source>
        <translation>Jede ONVIF-Kamera mit diesem Benutzernamen und Kennwort neu lesen</translation>
    </message>
    <message>
        <source>Probe for ONVIF cameras now and read every one again</source>
        <translation>Jetzt nach ONVIF-Kameras suchen und jede neu lesen</translation>
    </message>
    <message>
        <source>Send the probe to addresses a multicast probe cannot reach</source>
        <translation>Die Suchanfrage an Adressen senden, die Multicast nicht erreicht</translation>
    </message>
    <message>
        <source>&amp;User name</source>
        <translation>B&amp;enutzer</translation>
    </message>
    <message>
        <source>Pass&amp;word</source>
        <translation>Kenn&amp;wort</translation>
    </message>
    <message>
        <source>Setting status</source>
        <translation>Einstellungsstatus</translation>
    </message>
    <message>
        <source>%1 is in use by %2</source>
        <translation>%1 wird von %2 verwendet</translation>
    </message>
    <message>
        <source>No setting changed</source>
        <translation>Keine Einstellung geändert</translation>
    </message>
    <message>
        <source>Type the User name and Password the camera was read with</source>
        <translation>Geben Sie den Benutzernamen und das Kennwort ein, mit denen die Kamera gelesen wurde</translation>
    </message>
    <message>
        <source>Sending to %1…</source>
        <translation>Senden an %1…</translation>
    </message>
    <message>
        <source>The camera must restart to use its new settings. Restart it now?</source>
        <translation>Die Kamera muss neu starten, um die neuen Einstellungen zu verwenden. Jetzt neu starten?</translation>
    </message>
    <message>
        <source>Looking for %1 at %2…</source>
        <translation>Suche %1 unter %2…</translation>
    </message>
    <message>
        <source>%1 verified at %2</source>
        <translation>%1 unter %2 bestätigt</translation>
    </message>
    <message>
        <source>%1 not confirmed at %2</source>
        <translation>%1 unter %2 nicht bestätigt</translation>
    </message>
    <message>
        <source>Probe addresses: %1</source>
        <translation>Abzufragende Adressen: %1</translation>
    </message>
    <message>
        <source>Probe addresses</source>
        <translation>Adressen abfragen</translation>
    </message>
    <message>
        <source>Addresses to probe</source>
        <translation>Abzufragende Adressen</translation>
    </message>
    <message>
        <source>&amp;Addresses and ranges, separated by commas (at most %1 addresses):</source>
        <translation>&amp;Adressen und Bereiche, durch Kommas getrennt (höchstens %1 Adressen):</translation>
    </message>
    <message>
        <source>&amp;Assign addresses…</source>
        <translation>Adressen &amp;zuweisen…</translation>
    </message>
    <message>
        <source>&amp;Forget saved password</source>
        <translation>Gespeichertes Kennwort &amp;löschen</translation>
    </message>
</context>
<context>
    <name>pelmora::OnvifSettingsForm</name>
    <message>
        <source>Obtain an IP address automatically</source>
        <translation>IP-Adresse automatisch beziehen</translation>
    </message>
    <message>
        <source>Use the following IP address</source>
        <translation>Folgende IP-Adresse verwenden</translation>
    </message>
    <message>
        <source>Obtain DNS server address automatically</source>
        <translation>DNS-Serveradresse automatisch beziehen</translation>
    </message>
    <message>
        <source>Use the following DNS server address</source>
        <translation>Folgende DNS-Serveradressen verwenden</translation>
    </message>
    <message>
        <source>NTP server from DHCP</source>
        <translation>NTP-Server über DHCP</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>Set cloc&amp;k from this PC</source>
        <translation>Uhr vom P&amp;C stellen</translation>
    </message>
    <message>
        <source>&amp;Reboot</source>
        <translation>Neu&amp;start</translation>
    </message>
    <message>
        <source>HTTP port No.</source>
        <translation>HTTP-Port</translation>
    </message>
    <message>
        <source>NTP server</source>
        <translation>NTP-Server</translation>
    </message>
    <message>
        <source>address or host name</source>
        <translation>Adresse oder Hostname</translation>
    </message>
    <message>
        <source>Send the network settings that changed to the chosen camera</source>
        <translation>Die geänderten Netzwerkeinstellungen an die gewählte Kamera senden</translation>
    </message>
    <message>
        <source>Set the chosen camera&apos;s clock and time zone from this PC&apos;s</source>
        <translation>Uhr und Zeitzone der gewählten Kamera nach diesem PC stellen</translation>
    </message>
    <message>
        <source>Restart the chosen camera</source>
        <translation>Die gewählte Kamera neu starten</translation>
    </message>
    <message>
        <source>&amp;IP address</source>
        <translation>&amp;IP-Adresse</translation>
    </message>
    <message>
        <source>Subnet &amp;mask</source>
        <translation>Subnetz&amp;maske</translation>
    </message>
    <message>
        <source>Default &amp;gateway</source>
        <translation>Standard&amp;gateway</translation>
    </message>
    <message>
        <source>Primary DNS ser&amp;ver</source>
        <translation>Erster DNS-Ser&amp;ver</translation>
    </message>
    <message>
        <source>Se&amp;condary DNS server</source>
        <translation>&amp;Zweiter DNS-Server</translation>
    </message>
    <message>
        <source>&amp;HTTP port No.</source>
        <translation>&amp;HTTP-Port</translation>
    </message>
    <message>
        <source>N&amp;TP server</source>
        <translation>N&amp;TP-Server</translation>
    </message>
</context>
<context>
    <name>pelmora::PppoePage</name>
    <message>
        <source>MAC address</source>
        <translation>MAC-Adresse</translation>
    </message>
    <message>
        <source>PPPoE IP address</source>
        <translation>PPPoE-IP-Adresse</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>Modell</translation>
    </message>
    <message>
        <source>Serial No.</source>
        <translation>Seriennr.</translation>
    </message>
    <message>
        <source>Version No.</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Aus</translation>
    </message>
    <message>
        <source>On</source>
        <translation>Ein</translation>
    </message>
    <message>
        <source>Obtain DNS server address automatically</source>
        <translation>DNS-Serveradresse automatisch beziehen</translation>
    </message>
    <message>
        <source>Use the fo&amp;llowing DNS server address</source>
        <translation>Fo&amp;lgende DNS-Serveradressen verwenden</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>Abbre&amp;chen</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>Primary DNS ser&amp;ver address</source>
        <translation>&amp;Erster DNS-Server</translation>
    </message>
    <message>
        <source>S&amp;econdary DNS server address</source>
        <translation>&amp;Zweiter DNS-Server</translation>
    </message>
    <message>
        <source>&amp;User ID</source>
        <translation>Benutzer-&amp;ID</translation>
    </message>
    <message>
        <source>Pa&amp;ssword</source>
        <translation>Kenn&amp;wort</translation>
    </message>
    <message>
        <source>&amp;Re-type password</source>
        <translation>Kennwort wiede&amp;rholen</translation>
    </message>
    <message>
        <source>&amp;Administrator name</source>
        <translation>&amp;Administratorname</translation>
    </message>
    <message>
        <source>Administrator pass&amp;word</source>
        <translation>Administrator&amp;kennwort</translation>
    </message>
    <message>
        <source>Send these PPPoE settings to the selected camera</source>
        <translation>Diese PPPoE-Einstellungen an die ausgewählte Kamera senden</translation>
    </message>
    <message>
        <source>Turn PPPoE off in the form and empty it</source>
        <translation>PPPoE im Formular ausschalten und das Formular leeren</translation>
    </message>
</context>
<context>
    <name>pelmora::SettingsPage</name>
    <message>
        <source>Cameras</source>
        <translation>Kameras</translation>
    </message>
    <message>
        <source>CSV (*.csv)</source>
        <translation>CSV (*.csv)</translation>
    </message>
    <message>
        <source>JSON (*.json)</source>
        <translation>JSON (*.json)</translation>
    </message>
    <message>
        <source>Export list</source>
        <translation>Liste exportieren</translation>
    </message>
    <message>
        <source>The list could not be saved.</source>
        <translation>Die Liste konnte nicht gespeichert werden.</translation>
    </message>
    <message>
        <source>&amp;Export list…</source>
        <translation>Liste &amp;exportieren…</translation>
    </message>
    <message>
        <source>&amp;History…</source>
        <translation>&amp;Verlauf…</translation>
    </message>
    <message>
        <source>&amp;Forget saved password</source>
        <translation>Gespeichertes Kennwort &amp;löschen</translation>
    </message>
</context>
</TS>
