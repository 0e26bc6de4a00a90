<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
    <context>
        <name>AccessControlDialog</name>
        <message>
            <source>Access Control</source>
            <translation>Zugriffsschutz</translation>
        </message>
        <message>
            <source>Please notice that these settings are not part of your personal configuration. Changes in this menu will affect all users of your Controller.</source>
            <translation>Bitte beachten Sie: Diese Einstellungen gehören nicht zu Ihrer persönlichen Konfiguration. Änderungen in diesem Menü gelten für alle Benutzer Ihres Controllers.</translation>
        </message>
        <message>
            <source>&lt;html&gt;&lt;p&gt;Enable password protection for the connected controller. Setting a password will require users to authorize in order to be able to work with this controller.&lt;/p&gt;&lt;/html&gt;</source>
            <translation>&lt;html&gt;&lt;p&gt;Passwortschutz für den verbundenen Controller einschalten. Ist ein Passwort gesetzt, müssen sich Benutzer anmelden, um mit diesem Controller zu arbeiten.&lt;/p&gt;&lt;/html&gt;</translation>
        </message>
        <message>
            <source>&amp;Enable password protection</source>
            <translation>Passwortschutz &amp;einschalten</translation>
        </message>
        <message>
            <source>&amp;New password:</source>
            <translation>&amp;Neues Passwort:</translation>
        </message>
        <message>
            <source>&lt;html&gt;&lt;p&gt;Enter password that will be set and possibly replace the current password.</source>
            <translation>&lt;html&gt;&lt;p&gt;Geben Sie das Passwort ein, das gesetzt werden und ggf. das bisherige Passwort ersetzen soll.</translation>
        </message>
        <message>
            <source>&lt;html&gt;&lt;p&gt;The password may contain letters (a-z,A-Z), numbers (0-9) and the characters - (minus), _ (underscore), . (dot), / (slash) and + (plus).</source>
            <translation>&lt;html&gt;&lt;p&gt;Das Passwort darf Buchstaben (a-z, A-Z), Ziffern (0-9) und die Zeichen - (Minus), _ (Unterstrich), . (Punkt), / (Schrägstrich) und + (Plus) enthalten.</translation>
        </message>
        <message>
            <source>New password</source>
            <translation>Neues Passwort</translation>
        </message>
        <message>
            <source>&amp;Repeat password:</source>
            <translation>Passwort &amp;wiederholen:</translation>
        </message>
        <message>
            <source>&lt;html&gt;&lt;p&gt;Confirm the password that you entered above.</source>
            <translation>&lt;html&gt;&lt;p&gt;Bestätigen Sie das oben eingegebene Passwort.</translation>
        </message>
        <message>
            <source>Repeat new password</source>
            <translation>Neues Passwort wiederholen</translation>
        </message>
        <message>
            <source>Accept changes and close the dialog</source>
            <translation>Änderungen übernehmen und Dialog schließen</translation>
        </message>
        <message>
            <source>OK</source>
            <translation>OK</translation>
        </message>
        <message>
            <source>Discard changes and close the dialog</source>
            <translation>Änderungen verwerfen und Dialog schließen</translation>
        </message>
        <message>
            <source>Cancel</source>
            <translation>Abbrechen</translation>
        </message>
        <message>
            <source>Error</source>
            <translation>Fehler</translation>
        </message>
        <message>
            <source>Controller unreachable.</source>
            <translation>Controller nicht erreichbar.</translation>
        </message>
        <message>
            <source>Invalid password!</source>
            <translation>Ungültiges Passwort!</translation>
        </message>
        <message>
            <source>Matching.</source>
            <translation>Stimmt überein.</translation>
        </message>
        <message>
            <source>Not matching.</source>
            <translation>Stimmt nicht überein.</translation>
        </message>
        <message>
            <source>Password Settings</source>
            <translation>Passworteinstellungen</translation>
        </message>
        <message>
            <source>Changing the Controller's password will not only affect your profile but global Controller settings.

Continue?</source>
            <translation>Eine Änderung des Controller-Passworts betrifft nicht nur Ihr Profil, sondern die globalen Einstellungen des Controllers.

Fortfahren?</translation>
        </message>
        <message>
            <source>Authorize with current password</source>
            <translation>Mit dem aktuellen Passwort anmelden</translation>
        </message>
        <message>
            <source>Failed to update password settings on controller.</source>
            <translation>Die Passworteinstellungen des Controllers konnten nicht geändert werden.</translation>
        </message>
        <message>
            <source>Failed to obtain authentication requirements.
No connection to Controller?</source>
            <translation>Die Anmeldebedingungen konnten nicht abgefragt werden.
Keine Verbindung zum Controller?</translation>
        </message>
    </context>
    <context>
        <name>AppStatusBar</name>
        <message>
            <source>Configuration '%1' on Controller '%2'%3</source>
            <translation>Konfiguration '%1' auf Controller '%2'%3</translation>
        </message>
    </context>
    <context>
        <name>CamStatusBar</name>
        <message>
            <source>Camera Status</source>
            <translation>Kamerastatus</translation>
        </message>
    </context>
    <context>
        <name>CamStatusWidget</name>
        <message>
            <source>&lt;b&gt;'a/b'&lt;/b&gt;&lt;br&gt;a: number of detected 2DOF markers &lt;br&gt;b: number of used 2DOF markers</source>
            <translation>&lt;b&gt;'a/b'&lt;/b&gt;&lt;br&gt;a: Anzahl der erkannten 2DOF-Marker &lt;br&gt;b: Anzahl der verwendeten 2DOF-Marker</translation>
        </message>
        <message>
            <source>Camera %1: markers it sees / markers of them used for tracking</source>
            <translation>Kamera %1: gesehene Marker / davon für das Tracking verwendete</translation>
        </message>
    </context>
    <context>
        <name>CommandFile</name>
        <message>
            <source>Cannot open file %1</source>
            <translation>Datei %1 kann nicht geöffnet werden</translation>
        </message>
        <message>
            <source>Executing command file %1</source>
            <translation>Kommandodatei %1 wird ausgeführt</translation>
        </message>
        <message>
            <source>Executing command '%1'</source>
            <translation>Kommando '%1' wird ausgeführt</translation>
        </message>
        <message>
            <source>Command '%1' failed with code %2</source>
            <translation>Kommando '%1' fehlgeschlagen mit Code %2</translation>
        </message>
        <message>
            <source>Command '%1' failed: %2</source>
            <translation>Kommando '%1' fehlgeschlagen: %2</translation>
        </message>
        <message>
            <source>No quorix2 command found to execute</source>
            <translation>Kein auszuführendes quorix2-Kommando gefunden</translation>
        </message>
        <message>
            <source>One command of the command file %1 failed.
The event display shows it.</source>
            <translation>Ein Kommando der Kommandodatei %1 ist fehlgeschlagen.
Die Ereignisanzeige zeigt es.</translation>
        </message>
        <message>
            <source>%1 commands of the command file %2 failed.
The event display lists them.</source>
            <translation>%1 Kommandos der Kommandodatei %2 sind fehlgeschlagen.
Die Ereignisanzeige listet sie auf.</translation>
        </message>
        <message>
            <source>Command Error</source>
            <translation>Kommandofehler</translation>
        </message>
        <message>
            <source>Command '%1' failed: it contains a zero byte</source>
            <translation>Kommando '%1' fehlgeschlagen: Es enthält ein Null-Byte</translation>
        </message>
    </context>
    <context>
        <name>ConnectionLostBox</name>
        <message>
            <source>Command Error</source>
            <translation>Kommandofehler</translation>
        </message>
        <message>
            <source>Connection to Controller lost.
QUORIX4 will be closed.</source>
            <translation>Verbindung zum Controller verloren.
QUORIX4 wird beendet.</translation>
        </message>
        <message>
            <source>Reconnect</source>
            <translation>Neu verbinden</translation>
        </message>
        <message>
            <source>&amp;Reconnect</source>
            <translation>&amp;Neu verbinden</translation>
        </message>
    </context>
    <context>
        <name>ControllerConnector</name>
        <message>
            <source>Connecting to Controller %1 (%2)...</source>
            <translation>Verbindung zum Controller %1 (%2) wird hergestellt...</translation>
        </message>
        <message>
            <source>Cancel</source>
            <translation>Abbrechen</translation>
        </message>
        <message>
            <source>QUORIX4</source>
            <translation>QUORIX4</translation>
        </message>
        <message>
            <source>Cannot connect to Controller %1:</source>
            <translation>Keine Verbindung zum Controller %1:</translation>
        </message>
        <message>
            <source>It did not take the command connection on TCP port %1 within %2 s.
Check that no firewall between this computer and the Controller blocks TCP port %1, then the cabling and network settings.</source>
            <translation>Er hat die Befehlsverbindung auf TCP-Port %1 nicht innerhalb von %2 s angenommen.
Prüfen Sie, ob eine Firewall zwischen diesem Computer und dem Controller den TCP-Port %1 sperrt, dann Verkabelung und Netzwerkeinstellungen.</translation>
        </message>
        <message>
            <source>It refused the command connection on TCP port %1: its tracking service may not be running.
Restart the Controller, then check that it is the Controller you meant.</source>
            <translation>Er hat die Befehlsverbindung auf TCP-Port %1 abgelehnt: Sein Tracking-Dienst läuft vielleicht nicht.
Starten Sie den Controller neu und prüfen Sie dann, ob es der gemeinte Controller ist.</translation>
        </message>
        <message>
            <source>The name could not be resolved within %1 s.
Check the name server settings, or connect by the Controller's IP address.</source>
            <translation>Der Name konnte nicht innerhalb von %1 s aufgelöst werden.
Prüfen Sie die Namensserver-Einstellungen oder verbinden Sie über die IP-Adresse des Controllers.</translation>
        </message>
        <message>
            <source>Check cabling and network settings</source>
            <translation>Prüfen Sie Verkabelung und Netzwerkeinstellungen</translation>
        </message>
        <message>
            <source>No connection to Controller %1:
the name cannot be resolved</source>
            <translation>Keine Verbindung zu Controller %1:
Der Name kann nicht aufgelöst werden</translation>
        </message>
        <message>
            <source>No connection to Controller %1</source>
            <translation>Keine Verbindung zu Controller %1</translation>
        </message>
        <message>
            <source>QUORIX4: Authorize with valid password</source>
            <translation>QUORIX4: Mit gültigem Passwort anmelden</translation>
        </message>
        <message>
            <source>Cannot connect to Controller %1:
Check cabling and network settings</source>
            <translation>Verbindung zu Controller %1 nicht möglich:
Prüfen Sie Verkabelung und Netzwerkeinstellungen</translation>
        </message>
        <message>
            <source>QUORIX4 error</source>
            <translation>QUORIX4-Fehler</translation>
        </message>
        <message>
            <source>Cannot get full access to %1. Init unsuccessful</source>
            <translation>Kein Vollzugriff auf %1. Initialisierung fehlgeschlagen</translation>
        </message>
        <message>
            <source>Error</source>
            <translation>Fehler</translation>
        </message>
    </context>
    <context>
        <name>EndlessProgressDlg</name>
        <message>
            <source>wake on LAN: %1</source>
            <translation>Wake on LAN: %1</translation>
        </message>
        <message>
            <source>the Controller</source>
            <translation>den Controller</translation>
        </message>
        <message>
            <source>waking up can take 2-5 minutes</source>
            <translation>das Aufwecken kann 2-5 Minuten dauern</translation>
        </message>
        <message>
            <source>Wake On LAN</source>
            <translation>Wake on LAN</translation>
        </message>
        <message>
            <source>Cannot do wake on LAN for %1.</source>
            <translation>Wake on LAN für %1 nicht möglich.</translation>
        </message>
    </context>
    <context>
        <name>EndlessProgressDlgClass</name>
        <message>
            <source>QUORIX4</source>
            <translation>QUORIX4</translation>
        </message>
        <message>
            <source>wake on LAN:</source>
            <translation>Wake on LAN:</translation>
        </message>
        <message>
            <source>waking up can take 1-2 minutes</source>
            <translation>das Aufwecken kann 1-2 Minuten dauern</translation>
        </message>
        <message>
            <source>Cancel</source>
            <translation>Abbrechen</translation>
        </message>
    </context>
    <context>
        <name>EventDisplay</name>
        <message>
            <source>This windows shows all Controller warnings and error messages.</source>
            <translation>Dieses Fenster zeigt alle Warnungen und Fehlermeldungen des Controllers.</translation>
        </message>
        <message>
            <source>&amp;Warnings and errors only</source>
            <translation>Nur &amp;Warnungen und Fehler</translation>
        </message>
        <message>
            <source>Filter</source>
            <translation>Filter</translation>
        </message>
        <message>
            <source>Show only the events that contain this text</source>
            <translation>Nur die Ereignisse zeigen, die diesen Text enthalten</translation>
        </message>
        <message>
            <source>Unexpected reply to "quorix2 getmsg": %1</source>
            <translation>Unerwartete Antwort auf "quorix2 getmsg": %1</translation>
        </message>
        <message>
            <source>Error: the event log %1 cannot be written (%2); events are only shown here.</source>
            <translation>Fehler: Das Ereignisprotokoll %1 kann nicht geschrieben werden (%2); Ereignisse werden nur hier angezeigt.</translation>
        </message>
        <message>
            <source>the directory %1 cannot be created</source>
            <translation>das Verzeichnis %1 kann nicht angelegt werden</translation>
        </message>
        <message>
            <source>it is a symbolic link</source>
            <translation>es ist ein symbolischer Link</translation>
        </message>
    </context>
    <context>
        <name>FreqStatusBar</name>
        <message>
            <source>Sync Status</source>
            <translation>Synchronisationsstatus</translation>
        </message>
        <message>
            <source>  sync  </source>
            <translation>  Sync  </translation>
        </message>
        <message>
            <source>Tracking frequency</source>
            <translation>Trackingfrequenz</translation>
        </message>
        <message>
            <source>waiting...</source>
            <translation>warte...</translation>
        </message>
        <message>
            <source>Tracking frequency: measurements per second. "waiting...": the Controller waits for its sync signal. Red, orange or khaki: frames were lost.</source>
            <translation>Tracking-Frequenz: Messungen pro Sekunde. „warte...“: Der Controller wartet auf sein Sync-Signal. Rot, orange oder khaki: Frames gingen verloren.</translation>
        </message>
    </context>
    <context>
        <name>HelpCommandLine</name>
        <message>
            <source>Connect with the last used QUORIX4-PC or Controller. Can be combined with -measure.</source>
            <translation>Mit dem zuletzt verwendeten QUORIX4-PC oder Controller verbinden. Mit -measure kombinierbar.</translation>
        </message>
        <message>
            <source>-host &lt;name or IP number&gt;</source>
            <translation>-host &lt;Name oder IP-Adresse&gt;</translation>
        </message>
        <message>
            <source>Connect with the given QUORIX4-PC or Controller by name or IP number. Can be combined with -measure.</source>
            <translation>Mit dem angegebenen QUORIX4-PC oder Controller über Name oder IP-Adresse verbinden. Mit -measure kombinierbar.</translation>
        </message>
        <message>
            <source>After connecting, start the measurement.</source>
            <translation>Nach dem Verbinden die Messung starten.</translation>
        </message>
        <message>
            <source>Wake up the last connected Controller only. Can be combined with -directstart and -measure.</source>
            <translation>Nur den zuletzt verbundenen Controller aufwecken. Mit -directstart und -measure kombinierbar.</translation>
        </message>
        <message>
            <source>-wakeup &lt;MAC address&gt;</source>
            <translation>-wakeup &lt;MAC-Adresse&gt;</translation>
        </message>
        <message>
            <source>Wake up the Controller with the given MAC address only. Can be combined with -host and -measure.</source>
            <translation>Nur den Controller mit der angegebenen MAC-Adresse aufwecken. Mit -host und -measure kombinierbar.</translation>
        </message>
        <message>
            <source>The MAC address and the host name or IP number must belong to the same Controller.</source>
            <translation>MAC-Adresse und Hostname bzw. IP-Adresse müssen zum selben Controller gehören.</translation>
        </message>
        <message>
            <source>Connect with the last used QUORIX4-PC or Controller.</source>
            <translation>Mit dem zuletzt verwendeten QUORIX4-PC oder Controller verbinden.</translation>
        </message>
        <message>
            <source>Connect with the Controller bqc-12345678, if the name can be resolved by DNS.</source>
            <translation>Mit dem Controller bqc-12345678 verbinden, sofern DNS den Namen auflösen kann.</translation>
        </message>
        <message>
            <source>Connect with the Controller at 10.10.5.55.</source>
            <translation>Mit dem Controller unter 10.10.5.55 verbinden.</translation>
        </message>
        <message>
            <source>Connect with the last used QUORIX4-PC or Controller and start the measurement.</source>
            <translation>Mit dem zuletzt verwendeten QUORIX4-PC oder Controller verbinden und die Messung starten.</translation>
        </message>
        <message>
            <source>Connect with the Controller bqc-12345678 and start the measurement.</source>
            <translation>Mit dem Controller bqc-12345678 verbinden und die Messung starten.</translation>
        </message>
        <message>
            <source>Connect with the Controller at 10.10.5.55 and start the measurement.</source>
            <translation>Mit dem Controller unter 10.10.5.55 verbinden und die Messung starten.</translation>
        </message>
        <message>
            <source>Wake up the last connected Controller and connect with it.</source>
            <translation>Den zuletzt verbundenen Controller aufwecken und mit ihm verbinden.</translation>
        </message>
        <message>
            <source>Wake up the last connected Controller, connect with it and start the measurement.</source>
            <translation>Den zuletzt verbundenen Controller aufwecken, mit ihm verbinden und die Messung starten.</translation>
        </message>
        <message>
            <source>Wake up the Controller with the MAC address 11:22:33:44:55:66 and connect with it by name. </source>
            <translation>Den Controller mit der MAC-Adresse 11:22:33:44:55:66 aufwecken und über den Namen mit ihm verbinden. </translation>
        </message>
        <message>
            <source>Wake up the Controller with the MAC address 11:22:33:44:55:66 and connect with it by IP number. </source>
            <translation>Den Controller mit der MAC-Adresse 11:22:33:44:55:66 aufwecken und über die IP-Adresse mit ihm verbinden. </translation>
        </message>
        <message>
            <source>As above, by name, and start the measurement. </source>
            <translation>Wie oben, über den Namen, und die Messung starten. </translation>
        </message>
        <message>
            <source>As above, by IP number, and start the measurement. </source>
            <translation>Wie oben, über die IP-Adresse, und die Messung starten. </translation>
        </message>
        <message>
            <source>QUORIX4 command line parameter:</source>
            <translation>QUORIX4-Kommandozeilenparameter:</translation>
        </message>
        <message>
            <source>Examples:</source>
            <translation>Beispiele:</translation>
        </message>
    </context>
    <context>
        <name>HelpCommandLineClass</name>
        <message>
            <source>QUORIX4 Command Line Help</source>
            <translation>QUORIX4-Hilfe zur Kommandozeile</translation>
        </message>
        <message>
            <source>E&amp;xit</source>
            <translation>&amp;Beenden</translation>
        </message>
    </context>
    <context>
        <name>HostCheck</name>
        <message>
            <source>Invalid empty hostname</source>
            <translation>Ungültig: leerer Hostname</translation>
        </message>
        <message>
            <source>Invalid last octet (1..254).</source>
            <translation>Ungültiges letztes Oktett (1..254).</translation>
        </message>
        <message>
            <source>Invalid numbers-only hostname.</source>
            <translation>Ungültiger Hostname aus reinen Ziffern.</translation>
        </message>
        <message>
            <source>Unable to resolve hostname.</source>
            <translation>Hostname kann nicht aufgelöst werden.</translation>
        </message>
    </context>
    <context>
        <name>IOManager</name>
        <message>
            <source>the Controller refused it (%1)</source>
            <translation>der Controller hat sie abgelehnt (%1)</translation>
        </message>
        <message>
            <source>no reply in time</source>
            <translation>keine Antwort in der Zeit</translation>
        </message>
        <message>
            <source>error %1</source>
            <translation>Fehler %1</translation>
        </message>
        <message>
            <source>Error: "%1" failed: %2. Shown as failed until it succeeds.</source>
            <translation>Fehler: "%1" fehlgeschlagen: %2. Als fehlgeschlagen angezeigt, bis sie gelingt.</translation>
        </message>
        <message>
            <source>Command Failed</source>
            <translation>Kommando fehlgeschlagen</translation>
        </message>
        <message>
            <source>Command Error</source>
            <translation>Kommandofehler</translation>
        </message>
        <message>
            <source>Measurement start failed:
Reference target cannot be tracked
(see 'Event Display' for details)</source>
            <translation>Messstart fehlgeschlagen:
Das Referenztarget kann nicht getrackt werden
(Einzelheiten in der 'Ereignisanzeige')</translation>
        </message>
        <message>
            <source>Measurement start failed:
There are 2 bodies that are equal or too similar to be tracked
(see 'Event Display' for details)</source>
            <translation>Messstart fehlgeschlagen:
Zwei Bodies sind gleich oder zu ähnlich, um getrackt zu werden
(Einzelheiten in der 'Ereignisanzeige')</translation>
        </message>
        <message>
            <source>Measurement start failed:
There are %1 bodies that are equal or too similar to be tracked
 (see 'Event Display' for details)</source>
            <translation>Messstart fehlgeschlagen:
%1 Bodies sind gleich oder zu ähnlich, um getrackt zu werden
 (Einzelheiten in der 'Ereignisanzeige')</translation>
        </message>
        <message>
            <source>Check that the reference target is inside the tracking volume, seen by the cameras and not covered, then start the measurement again.</source>
            <translation>Prüfen Sie, ob das Referenztarget im Messvolumen liegt, von den Kameras gesehen wird und nicht verdeckt ist, und starten Sie die Messung dann erneut.</translation>
        </message>
        <message>
            <source>Bodies that look alike cannot be told apart: deactivate all but one of them, or change the marker layout of one, then start the measurement again.</source>
            <translation>Bodies, die sich gleichen, lassen sich nicht unterscheiden: Deaktivieren Sie alle bis auf einen oder ändern Sie die Markeranordnung eines von ihnen, und starten Sie die Messung dann erneut.</translation>
        </message>
    </context>
    <context>
        <name>IOManagerUdpTcp</name>
        <message>
            <source>Directory %1 doesn't exist and cannot be created.</source>
            <translation>Verzeichnis %1 existiert nicht und kann nicht angelegt werden.</translation>
        </message>
        <message>
            <source>Log file %1 cannot be opened for writing.</source>
            <translation>Protokolldatei %1 kann nicht zum Schreiben geöffnet werden.</translation>
        </message>
        <message>
            <source>UDP Error</source>
            <translation>UDP-Fehler</translation>
        </message>
        <message>
            <source>cannot get port </source>
            <translation>kein Port verfügbar </translation>
        </message>
        <message>
            <source>UDP timeout: last command sent: %1</source>
            <translation>UDP-Zeitüberschreitung: zuletzt gesendetes Kommando: %1</translation>
        </message>
        <message>
            <source>Connection to Controller %1 lost: the Controller closed or reset the connection. Last command sent: %2</source>
            <translation>Verbindung zum Controller %1 verloren: Der Controller hat die Verbindung geschlossen oder zurückgesetzt. Zuletzt gesendetes Kommando: %2</translation>
        </message>
        <message>
            <source>Connection to Controller %1 lost: the command could not be sent. Last command sent: %2</source>
            <translation>Verbindung zum Controller %1 verloren: Das Kommando konnte nicht gesendet werden. Zuletzt gesendetes Kommando: %2</translation>
        </message>
        <message>
            <source>Measurement ended for QUORIX4: connection to Controller %1 lost.</source>
            <translation>Messung für QUORIX4 beendet: Verbindung zum Controller %1 verloren.</translation>
        </message>
        <message>
            <source>not initialized </source>
            <translation>nicht initialisiert </translation>
        </message>
    </context>
    <context>
        <name>IpDialog</name>
        <message>
            <source>%1 (serial %2)</source>
            <translation>%1 (Seriennummer %2)</translation>
        </message>
        <message>
            <source>
found at %1: '%2'</source>
            <translation>
gefunden unter %1: '%2'</translation>
        </message>
        <message>
            <source>Connect Controller</source>
            <translation>Controller verbinden</translation>
        </message>
        <message>
            <source>Quorix Motion Systems</source>
            <translation>Quorix Motion Systems</translation>
        </message>
        <message>
            <source>&amp;Wake On LAN</source>
            <translation>&amp;Wake on LAN</translation>
        </message>
        <message>
            <source>&amp;Connect</source>
            <translation>&amp;Verbinden</translation>
        </message>
        <message>
            <source>&amp;Other Controller</source>
            <translation>&amp;Anderer Controller</translation>
        </message>
        <message>
            <source>E&amp;xit</source>
            <translation>&amp;Beenden</translation>
        </message>
        <message>
            <source>udp send error, err %1 %2</source>
            <translation>UDP-Sendefehler, Fehler %1 %2</translation>
        </message>
        <message>
            <source>Controller</source>
            <translation>Controller</translation>
        </message>
        <message>
            <source>cannot start udp socket, error %1</source>
            <translation>UDP-Socket kann nicht gestartet werden, Fehler %1</translation>
        </message>
        <message>
            <source>testing '%1'... </source>
            <translation>teste '%1'... </translation>
        </message>
        <message>
            <source>OK</source>
            <translation>OK</translation>
        </message>
        <message>
            <source>unsuccessful</source>
            <translation>erfolglos</translation>
        </message>
        <message>
            <source>resolving '%1'... </source>
            <translation>löse '%1' auf... </translation>
        </message>
        <message>
            <source>resolved '%1', testing... </source>
            <translation>'%1' aufgelöst, teste... </translation>
        </message>
        <message>
            <source>
Controller has changed</source>
            <translation>
Controller hat sich geändert</translation>
        </message>
        <message>
            <source>
expected: '%1'</source>
            <translation>
erwartet: '%1'</translation>
        </message>
        <message>
            <source>
found: '%1'</source>
            <translation>
gefunden: '%1'</translation>
        </message>
        <message>
            <source>
no default Controller found</source>
            <translation>
kein Standard-Controller gefunden</translation>
        </message>
        <message>
            <source>resolving '%1'</source>
            <translation>löse '%1' auf</translation>
        </message>
        <message>
            <source>
no connection to</source>
            <translation>
keine Verbindung zu</translation>
        </message>
        <message>
            <source>Controller '%1'</source>
            <translation>Controller '%1'</translation>
        </message>
        <message>
            <source>unknown</source>
            <translation>unbekannt</translation>
        </message>
        <message>
            <source>

Controller: '%1'</source>
            <translation>

Controller: '%1'</translation>
        </message>
        <message>
            <source>
Serial %1 Version %2 </source>
            <translation>
Seriennummer %1 Version %2 </translation>
        </message>
        <message>
            <source>accessed by %1</source>
            <translation>belegt von %1</translation>
        </message>
        <message>
            <source>Error</source>
            <translation>Fehler</translation>
        </message>
        <message>
            <source>Unable to connect Controller %1
Controller is accessed by %2</source>
            <translation>Verbindung zu Controller %1 nicht möglich
Der Controller ist belegt von %2</translation>
        </message>
        <message>
            <source>Unable to connect Controller %1</source>
            <translation>Verbindung zu Controller %1 nicht möglich</translation>
        </message>
        <message>
            <source>Authorize with valid password</source>
            <translation>Mit gültigem Passwort anmelden</translation>
        </message>
        <message>
            <source>Press 2, 4, 6 or 8 to move the window</source>
            <translation>Mit 2, 4, 6 oder 8 verschieben Sie das Fenster</translation>
        </message>
        <message>
            <source>&amp;Try again</source>
            <translation>&amp;Erneut versuchen</translation>
        </message>
        <message>
            <source>
No Controller chosen yet: choose one with Other Controller.</source>
            <translation>
Noch kein Controller gewählt: Wählen Sie einen mit Anderer Controller.</translation>
        </message>
        <message>
            <source>Check that the Controller is switched on and cabled, and that no firewall blocks TCP and UDP port %1; then try again.</source>
            <translation>Prüfen Sie, ob der Controller eingeschaltet und verkabelt ist und keine Firewall TCP- und UDP-Port %1 sperrt; versuchen Sie es dann erneut.</translation>
        </message>
    </context>
    <context>
        <name>MainWindow</name>
        <message>
            <source>Controller %1 answers slowly: %2 s for the last reply</source>
            <translation>Controller %1 antwortet langsam: %2 s für die letzte Antwort</translation>
        </message>
        <message>
            <source>&amp;Password</source>
            <translation>&amp;Passwort</translation>
        </message>
        <message>
            <source>Set or clear password</source>
            <translation>Passwort setzen oder löschen</translation>
        </message>
        <message>
            <source>Set or clear password to protect access to this controller</source>
            <translation>Passwort zum Schutz des Zugriffs auf diesen Controller setzen oder löschen</translation>
        </message>
        <message>
            <source>C&amp;ontroller shut down</source>
            <translation>C&amp;ontroller herunterfahren</translation>
        </message>
        <message>
            <source>C&amp;ontroller standby</source>
            <translation>C&amp;ontroller-Standby</translation>
        </message>
        <message>
            <source>Shut down the Controller to standby mode</source>
            <translation>Controller in den Standby herunterfahren</translation>
        </message>
        <message>
            <source>Controller &amp;reboot</source>
            <translation>Controller &amp;neu starten</translation>
        </message>
        <message>
            <source>Reboot the Controller</source>
            <translation>Controller neu starten</translation>
        </message>
        <message>
            <source>&amp;Quit</source>
            <translation>B&amp;eenden</translation>
        </message>
        <message>
            <source>Q</source>
            <translation>Q</translation>
        </message>
        <message>
            <source>Quit QUORIX4</source>
            <translation>QUORIX4 beenden</translation>
        </message>
        <message>
            <source>Search &amp;hardware</source>
            <translation>&amp;Hardware suchen</translation>
        </message>
        <message>
            <source>F2</source>
            <translation>F2</translation>
        </message>
        <message>
            <source>Search hardware like new camera or new radio controller</source>
            <translation>Nach Hardware suchen, etwa einer neuen Kamera oder einem neuen Funk-Controller</translation>
        </message>
        <message>
            <source>&amp;Set to default</source>
            <translation>&amp;Standardansicht</translation>
        </message>
        <message>
            <source>Set to default display</source>
            <translation>Standardanordnung der Fenster wiederherstellen</translation>
        </message>
        <message>
            <source>You've just found out what this is!</source>
            <translation>Jetzt wissen Sie, was das ist!</translation>
        </message>
        <message>
            <source>&amp;Service and Guides</source>
            <translation>&amp;Service und Handbücher</translation>
        </message>
        <message>
            <source>Get service from Z.E.L. or view QUORIX4 guides</source>
            <translation>Service von Z.E.L. anfordern oder QUORIX4-Handbücher anzeigen</translation>
        </message>
        <message>
            <source>&amp;QUORIX4</source>
            <translation>&amp;QUORIX4</translation>
        </message>
        <message>
            <source>F1</source>
            <translation>F1</translation>
        </message>
        <message>
            <source>Show the detailed information of QUORIX4</source>
            <translation>Ausführliche Informationen zu QUORIX4 anzeigen</translation>
        </message>
        <message>
            <source>About &amp;Qt</source>
            <translation>Über &amp;Qt</translation>
        </message>
        <message>
            <source>Show the detailed information of the Qt licence (LGPL)</source>
            <translation>Ausführliche Informationen zur Qt-Lizenz (LGPL) anzeigen</translation>
        </message>
        <message>
            <source>H&amp;ardware</source>
            <translation>Hard&amp;ware</translation>
        </message>
        <message>
            <source>&amp;Tracking</source>
            <translation>&amp;Tracking</translation>
        </message>
        <message>
            <source>&amp;View</source>
            <translation>&amp;Ansicht</translation>
        </message>
        <message>
            <source>&amp;Events</source>
            <translation>&amp;Ereignisse</translation>
        </message>
        <message>
            <source>Show Controller messages</source>
            <translation>Meldungen des Controllers anzeigen</translation>
        </message>
        <message>
            <source>&amp;Help</source>
            <translation>&amp;Hilfe</translation>
        </message>
        <message>
            <source>Start / Stop</source>
            <translation>Start / Stopp</translation>
        </message>
        <message>
            <source>Event Display</source>
            <translation>Ereignisanzeige</translation>
        </message>
        <message>
            <source>Error</source>
            <translation>Fehler</translation>
        </message>
        <message>
            <source>Connection to Controller lost.
QUORIX4 will be closed.</source>
            <translation>Verbindung zum Controller verloren.
QUORIX4 wird beendet.</translation>
        </message>
        <message>
            <source>Reconnect</source>
            <translation>Neu verbinden</translation>
        </message>
        <message>
            <source>&amp;Reconnect</source>
            <translation>&amp;Neu verbinden</translation>
        </message>
        <message>
            <source>Measurement is active. Stop measurement? </source>
            <translation>Die Messung läuft. Messung stoppen? </translation>
        </message>
        <message>
            <source>QUORIX4</source>
            <translation>QUORIX4</translation>
        </message>
        <message>
            <source>Shut down the Controller?</source>
            <translation>Controller herunterfahren?</translation>
        </message>
        <message>
            <source>Reboot the Controller?
QUORIX4 will be closed and reopen is required.
</source>
            <translation>Controller neu starten?
QUORIX4 wird beendet und muss danach neu gestartet werden.
</translation>
        </message>
        <message>
            <source>The version of QUORIX4 (v%1.%2.%3%4) is older than the Controller version (%5)!</source>
            <translation>Die QUORIX4-Version (v%1.%2.%3%4) ist älter als die Version des Controllers (%5)!</translation>
        </message>
        <message>
            <source>Please update QUORIX4.</source>
            <translation>Bitte aktualisieren Sie QUORIX4.</translation>
        </message>
        <message>
            <source>QUORIX4 basic</source>
            <translation>QUORIX4 Basis</translation>
        </message>
        <message>
            <source>Changes take effekt after restart of QUORIX4</source>
            <translation>Änderungen werden nach einem Neustart von QUORIX4 wirksam</translation>
        </message>
        <message>
            <source>Unsuccessful to open %1
%2</source>
            <translation>%1 konnte nicht geöffnet werden
%2</translation>
        </message>
        <message>
            <source>Error writing to %1
%2</source>
            <translation>Fehler beim Schreiben von %1
%2</translation>
        </message>
        <message>
            <source>&amp;Export system information...</source>
            <translation>Systeminformationen &amp;exportieren...</translation>
        </message>
        <message>
            <source>The window arrangement cannot be stored.</source>
            <translation>Die Fensteranordnung kann nicht gespeichert werden.</translation>
        </message>
        <message>
            <source>Write the configuration report and recent event logs to one file for support</source>
            <translation>Konfigurationsbericht und aktuelle Ereignisprotokolle für den Support in eine Datei schreiben</translation>
        </message>
        <message>
            <source>&amp;Dark theme</source>
            <translation>&amp;Dunkles Farbschema</translation>
        </message>
        <message>
            <source>Dark or bright colours, applied at once and kept</source>
            <translation>Dunkle oder helle Farben, sofort angewandt und gespeichert</translation>
        </message>
        <message>
            <source>%1 (replay)</source>
            <translation>%1 (Wiedergabe)</translation>
        </message>
    </context>
    <context>
        <name>MeasurementControl</name>
        <message>
            <source>Command Error</source>
            <translation>Kommandofehler</translation>
        </message>
        <message>
            <source>No contact to Controller</source>
            <translation>Kein Kontakt zum Controller</translation>
        </message>
        <message>
            <source>&amp;Start</source>
            <translation>&amp;Start</translation>
        </message>
        <message>
            <source>M</source>
            <translation>M</translation>
        </message>
        <message>
            <source>Start or stop measurement</source>
            <translation>Messung starten oder stoppen</translation>
        </message>
        <message>
            <source>measurement start unsuccessful!</source>
            <translation>Messstart fehlgeschlagen!</translation>
        </message>
        <message>
            <source>Stop</source>
            <translation>Stopp</translation>
        </message>
        <message>
            <source>measurement started</source>
            <translation>Messung gestartet</translation>
        </message>
        <message>
            <source>measurement stop unsuccessful</source>
            <translation>Messstopp fehlgeschlagen</translation>
        </message>
        <message>
            <source>Start</source>
            <translation>Start</translation>
        </message>
        <message>
            <source>measurement stopped</source>
            <translation>Messung gestoppt</translation>
        </message>
        <message>
            <source>measurement interrupted. Waiting for external synchronisation signal...</source>
            <translation>Messung unterbrochen. Warte auf externes Synchronisationssignal...</translation>
        </message>
    </context>
    <context>
        <name>PasswordGate</name>
        <message>
            <source>Error</source>
            <translation>Fehler</translation>
        </message>
        <message>
            <source>Failed to obtain authentication requirements.
No connection to Controller?</source>
            <translation>Die Anmeldebedingungen konnten nicht abgefragt werden.
Keine Verbindung zum Controller?</translation>
        </message>
    </context>
    <context>
        <name>PasswordInputDialog</name>
        <message>
            <source>Access Control</source>
            <translation>Zugriffsschutz</translation>
        </message>
        <message>
            <source>Enter password to gain access to Controller []</source>
            <translation>Passwort für den Zugriff auf den Controller [] eingeben</translation>
        </message>
        <message>
            <source>Password:</source>
            <translation>Passwort:</translation>
        </message>
        <message>
            <source>Enter the password for the controller</source>
            <translation>Passwort des Controllers eingeben</translation>
        </message>
        <message>
            <source>OK</source>
            <translation>OK</translation>
        </message>
        <message>
            <source>Cancel</source>
            <translation>Abbrechen</translation>
        </message>
        <message>
            <source>Warning</source>
            <translation>Warnung</translation>
        </message>
        <message>
            <source>Please enter the password for this controller.</source>
            <translation>Bitte geben Sie das Passwort dieses Controllers ein.</translation>
        </message>
        <message>
            <source>The password is incorrect.</source>
            <translation>Das Passwort ist falsch.</translation>
        </message>
        <message>
            <source>Failed to verify password.</source>
            <translation>Das Passwort konnte nicht geprüft werden.</translation>
        </message>
    </context>
    <context>
        <name>Preferences</name>
        <message>
            <source>Error loading preferences</source>
            <translation>Fehler beim Laden der Einstellungen</translation>
        </message>
        <message>
            <source>Error writing preferences</source>
            <translation>Fehler beim Schreiben der Einstellungen</translation>
        </message>
        <message>
            <source>Files not found :
 %1

Using built-in values.</source>
            <translation>Dateien nicht gefunden:
 %1

Es gelten die eingebauten Werte.</translation>
        </message>
        <message>
            <source>File %1 cannot be opened for reading.
Using built-in values.</source>
            <translation>Datei %1 kann nicht zum Lesen geöffnet werden.
Es gelten die eingebauten Werte.</translation>
        </message>
        <message>
            <source>Error while parsing %1:
The file doesn't look like a valid preferences file.
Using built-in values.</source>
            <translation>Fehler beim Lesen von %1:
Die Datei ist offenbar keine gültige Einstellungsdatei.
Es gelten die eingebauten Werte.</translation>
        </message>
        <message>
            <source>Error while parsing %1 (Line %2, Column %3) :
%4.
Using built-in values.</source>
            <translation>Fehler beim Lesen von %1 (Zeile %2, Spalte %3):
%4.
Es gelten die eingebauten Werte.</translation>
        </message>
        <message>
            <source>Error while parsing %1 :
The file doesn't look like a valid preferences file.
Using built-in values.</source>
            <translation>Fehler beim Lesen von %1:
Die Datei ist offenbar keine gültige Einstellungsdatei.
Es gelten die eingebauten Werte.</translation>
        </message>
        <message>
            <source>Directory %1 doesn't exist and cannot be created.</source>
            <translation>Verzeichnis %1 existiert nicht und kann nicht angelegt werden.</translation>
        </message>
        <message>
            <source>File %1 cannot be written.</source>
            <translation>Datei %1 kann nicht geschrieben werden.</translation>
        </message>
        <message>
            <source>File %1 cannot be opened for writing.</source>
            <translation>Datei %1 kann nicht zum Schreiben geöffnet werden.</translation>
        </message>
    </context>
    <context>
        <name>RadioStatusBar</name>
        <message>
            <source>ZEL Radio Status</source>
            <translation>ZEL-Funkstatus</translation>
        </message>
        <message>
            <source>Displays whether ZEL Radio is available and the channel number</source>
            <translation>Zeigt, ob ZEL-Funk verfügbar ist, und die Kanalnummer</translation>
        </message>
        <message>
            <source>Radio channel in use; "-": no radio available</source>
            <translation>Verwendeter Funkkanal; „-“: kein Funk verfügbar</translation>
        </message>
    </context>
    <context>
        <name>ShortStatusWidget</name>
        <message>
            <source>This shows the number of currently tracked 6DOF bodies including all module bodies.</source>
            <translation>Anzahl der aktuell getrackten 6DOF-Bodies einschließlich aller Modul-Bodies.</translation>
        </message>
        <message>
            <source>This shows the number of currently tracked 3DOF marker.</source>
            <translation>Anzahl der aktuell getrackten 3DOF-Marker.</translation>
        </message>
        <message>
            <source>Bodies tracked now, those of modules included</source>
            <translation>Jetzt getrackte Bodies, die der Module eingeschlossen</translation>
        </message>
        <message>
            <source>Single markers tracked now</source>
            <translation>Jetzt getrackte Einzelmarker</translation>
        </message>
    </context>
    <context>
        <name>StartupController</name>
        <message>
            <source>Initialization complete.</source>
            <translation>Initialisierung abgeschlossen.</translation>
        </message>
        <message>
            <source>Error: Unable to get MAC address of controller</source>
            <translation>Fehler: MAC-Adresse des Controllers nicht lesbar</translation>
        </message>
        <message>
            <source>Error: Unable to get system serial</source>
            <translation>Fehler: Seriennummer des Systems nicht lesbar</translation>
        </message>
        <message>
            <source>Error: Unable to get system model</source>
            <translation>Fehler: Systemmodell nicht lesbar</translation>
        </message>
    </context>
    <context>
        <name>TextBrowser</name>
        <message>
            <source>Clear</source>
            <translation>Leeren</translation>
        </message>
    </context>
    <context>
        <name>TrackboxScanner</name>
        <message>
            <source>cannot start udp socket</source>
            <translation>UDP-Socket kann nicht gestartet werden</translation>
        </message>
        <message>
            <source>no connection to Controller</source>
            <translation>keine Verbindung zum Controller</translation>
        </message>
    </context>
    <context>
        <name>TrackboxSelection</name>
        <message>
            <source>Tracking-System Selection</source>
            <translation>Auswahl des Trackingsystems</translation>
        </message>
        <message>
            <source>Connect to QUORIX running on this computer</source>
            <translation>Mit dem QUORIX auf diesem Computer verbinden</translation>
        </message>
        <message>
            <source>This computer</source>
            <translation>Dieser Computer</translation>
        </message>
        <message>
            <source>current status</source>
            <translation>aktueller Status</translation>
        </message>
        <message>
            <source>Show current status of local QUORIX instance</source>
            <translation>Aktuellen Status der lokalen QUORIX-Instanz anzeigen</translation>
        </message>
        <message>
            <source>not installed</source>
            <translation>nicht installiert</translation>
        </message>
        <message>
            <source>Start/stop local QUORIX instance. This requires administrator privileges.</source>
            <translation>Lokale QUORIX-Instanz starten/stoppen. Dafür sind Administratorrechte nötig.</translation>
        </message>
        <message>
            <source>Start QUORIX</source>
            <translation>QUORIX starten</translation>
        </message>
        <message>
            <source>Select specific target machine (disables broadcast)</source>
            <translation>Bestimmten Zielrechner wählen (schaltet den Broadcast ab)</translation>
        </message>
        <message>
            <source>Other computer or controller</source>
            <translation>Anderer Computer oder Controller</translation>
        </message>
        <message>
            <source>target machine</source>
            <translation>Zielrechner</translation>
        </message>
        <message>
            <source>Enter hostname or IPv4 address of the computer or controller</source>
            <translation>Hostname oder IPv4-Adresse des Computers oder Controllers eingeben</translation>
        </message>
        <message>
            <source>Hostname or IPv4 address</source>
            <translation>Hostname oder IPv4-Adresse</translation>
        </message>
        <message>
            <source>Show all</source>
            <translation>Alle anzeigen</translation>
        </message>
        <message>
            <source>subnet address</source>
            <translation>Subnetzadresse</translation>
        </message>
        <message>
            <source>List of available Tracking-Systems</source>
            <translation>Liste der verfügbaren Trackingsysteme</translation>
        </message>
        <message>
            <source>Search for available Tracking-Systems</source>
            <translation>Nach verfügbaren Trackingsystemen suchen</translation>
        </message>
        <message>
            <source>&amp;Update...</source>
            <translation>&amp;Aktualisieren...</translation>
        </message>
        <message>
            <source>Connect to selected Tracking-System</source>
            <translation>Mit dem gewählten Trackingsystem verbinden</translation>
        </message>
        <message>
            <source>&amp;Connect</source>
            <translation>&amp;Verbinden</translation>
        </message>
        <message>
            <source>Closes dialog without connection</source>
            <translation>Schließt den Dialog ohne Verbindung</translation>
        </message>
        <message>
            <source>E&amp;xit</source>
            <translation>&amp;Schließen</translation>
        </message>
        <message>
            <source>Name</source>
            <translation>Name</translation>
        </message>
        <message>
            <source>Serial</source>
            <translation>Seriennummer</translation>
        </message>
        <message>
            <source>Access</source>
            <translation>Zugriff</translation>
        </message>
        <message>
            <source>Version</source>
            <translation>Version</translation>
        </message>
        <message>
            <source>IP numerical</source>
            <translation>IP numerisch</translation>
        </message>
        <message>
            <source>IP</source>
            <translation>IP</translation>
        </message>
        <message>
            <source>Port</source>
            <translation>Port</translation>
        </message>
        <message>
            <source>Cascaded System</source>
            <translation>Kaskadiertes System</translation>
        </message>
        <message>
            <source>MAC</source>
            <translation>MAC</translation>
        </message>
        <message>
            <source>(all subnets)</source>
            <translation>(alle Subnetze)</translation>
        </message>
        <message>
            <source>cannot resolve hostname / IP address</source>
            <translation>Hostname / IP-Adresse kann nicht aufgelöst werden</translation>
        </message>
        <message>
            <source>local QUORIX4 instance starting up...</source>
            <translation>lokale QUORIX4-Instanz startet...</translation>
        </message>
        <message>
            <source>no local QUORIX4 instance running</source>
            <translation>keine lokale QUORIX4-Instanz aktiv</translation>
        </message>
        <message>
            <source>local QUORIX4 instance not responding</source>
            <translation>lokale QUORIX4-Instanz antwortet nicht</translation>
        </message>
        <message>
            <source>no controller found</source>
            <translation>kein Controller gefunden</translation>
        </message>
        <message>
            <source>possibly blocked by the firewall (TCP and UDP port %1)</source>
            <translation>möglicherweise von der Firewall blockiert (TCP- und UDP-Port %1)</translation>
        </message>
        <message>
            <source>or no controller in subnet</source>
            <translation>oder kein Controller im Subnetz</translation>
        </message>
        <message>
            <source>slave</source>
            <translation>Slave</translation>
        </message>
        <message>
            <source>Authorize with valid password</source>
            <translation>Mit gültigem Passwort anmelden</translation>
        </message>
        <message>
            <source>Error</source>
            <translation>Fehler</translation>
        </message>
        <message>
            <source>Failed to obtain authentication requirements.
No connection to Controller?</source>
            <translation>Die Anmeldebedingungen konnten nicht abgefragt werden.
Keine Verbindung zum Controller?</translation>
        </message>
        <message>
            <source>running</source>
            <translation>läuft</translation>
        </message>
        <message>
            <source>Stop QUORIX</source>
            <translation>QUORIX stoppen</translation>
        </message>
        <message>
            <source>stopped</source>
            <translation>gestoppt</translation>
        </message>
        <message>
            <source>stopped with error</source>
            <translation>mit Fehler gestoppt</translation>
        </message>
        <message>
            <source>Stopped with error %1</source>
            <translation>Mit Fehler %1 gestoppt</translation>
        </message>
        <message>
            <source>starting...</source>
            <translation>startet...</translation>
        </message>
        <message>
            <source>stopping...</source>
            <translation>stoppt...</translation>
        </message>
        <message>
            <source>QUORIX-Service was removed. Maybe someone is updating the software.</source>
            <translation>Der QUORIX-Dienst wurde entfernt. Eventuell wird die Software gerade aktualisiert.</translation>
        </message>
        <message>
            <source>error</source>
            <translation>Fehler</translation>
        </message>
        <message>
            <source>Unknown error occured while starting or stopping QUORIX.</source>
            <translation>Beim Starten oder Stoppen von QUORIX ist ein unbekannter Fehler aufgetreten.</translation>
        </message>
        <message>
            <source>full</source>
            <translation>voll</translation>
        </message>
        <message>
            <source>none</source>
            <translation>keiner</translation>
        </message>
        <message>
            <source>in use by %1</source>
            <translation>belegt von %1</translation>
        </message>
        <message>
            <source>Another front end holds %1 (%2). Connect is possible once that front end has let it go.</source>
            <translation>Ein anderes Frontend hält %1 (%2). Verbinden ist möglich, sobald jenes Frontend ihn freigegeben hat.</translation>
        </message>
        <message>
            <source>Another front end has full access to it. Ask its user to disconnect or close it, then search again (Update) and connect.</source>
            <translation>Ein anderes Frontend hat vollen Zugriff darauf. Bitten Sie dessen Benutzer, die Verbindung zu trennen oder das Frontend zu schließen; suchen Sie dann erneut (Aktualisieren) und verbinden Sie.</translation>
        </message>
        <message>
            <source>The front end on %1 has full access to it. Ask the user of %1 to disconnect or close that front end, then search again (Update) and connect.</source>
            <translation>Das Frontend auf %1 hat vollen Zugriff darauf. Bitten Sie den Benutzer von %1, die Verbindung zu trennen oder jenes Frontend zu schließen; suchen Sie dann erneut (Aktualisieren) und verbinden Sie.</translation>
        </message>
        <message>
            <source>Another front end holds %1 (%2).</source>
            <translation>Ein anderes Frontend hält %1 (%2).</translation>
        </message>
    </context>
    <context>
        <name>TrackingStatusBar</name>
        <message>
            <source>Tracking Status</source>
            <translation>Trackingstatus</translation>
        </message>
    </context>
    <context>
        <name>AboutDlg2g</name>
        <message>
            <source>%1 serial %2
</source>
            <translation>%1 Seriennummer %2
</translation>
        </message>
        <message>
            <source>&amp;Cascade</source>
            <translation>&amp;Kaskade</translation>
        </message>
        <message>
            <source>Cascaded System slave</source>
            <translation>Slave des kaskadierten Systems</translation>
        </message>
        <message>
            <source>Firmware release (Controller):
</source>
            <translation>Firmware-Version (Controller):
</translation>
        </message>
        <message>
            <source>Hide &amp;details</source>
            <translation>&amp;Details ausblenden</translation>
        </message>
        <message>
            <source>Module</source>
            <translation>Modul</translation>
        </message>
        <message>
            <source>Open-Source software</source>
            <translation>Open-Source-Software</translation>
        </message>
        <message>
            <source>QUORIX4 frontend (on this PC):
</source>
            <translation>QUORIX4-Frontend (auf diesem PC):
</translation>
        </message>
        <message>
            <source>Serial</source>
            <translation>Seriennummer</translation>
        </message>
        <message>
            <source>Show &amp;details</source>
            <translation>&amp;Details anzeigen</translation>
        </message>
        <message>
            <source>This product uses third-party %1</source>
            <translation>Dieses Produkt verwendet %1 von Drittanbietern</translation>
        </message>
        <message>
            <source>Version</source>
            <translation>Version</translation>
        </message>
    </context>
    <context>
        <name>AboutDlg2gClass</name>
        <message>
            <source>&amp;Modules</source>
            <translation>&amp;Module</translation>
        </message>
        <message>
            <source>About QUORIX4</source>
            <translation>Über QUORIX4</translation>
        </message>
        <message>
            <source>OK</source>
            <translation>OK</translation>
        </message>
        <message>
            <source>Show &amp;details</source>
            <translation>&amp;Details anzeigen</translation>
        </message>
    </context>
    <context>
        <name>DocumentLink</name>
        <message>
            <source> Do you have a PDF reader installed?</source>
            <translation> Ist ein PDF-Betrachter installiert?</translation>
        </message>
        <message>
            <source>Error</source>
            <translation>Fehler</translation>
        </message>
        <message>
            <source>Failed to open </source>
            <translation>Öffnen fehlgeschlagen: </translation>
        </message>
    </context>
    <context>
        <name>ExportConfiguration</name>
        <message>
            <source>No file name was given.</source>
            <translation>Es wurde kein Dateiname angegeben.</translation>
        </message>
        <message>
            <source>The folder %1 does not exist.
 Please choose another location.</source>
            <translation>Der Ordner %1 existiert nicht.
 Bitte wählen Sie einen anderen Ort.</translation>
        </message>
        <message>
            <source>The file %1 could not be written: %2.
 Please choose another location.</source>
            <translation>Die Datei %1 konnte nicht geschrieben werden: %2.
 Bitte wählen Sie einen anderen Ort.</translation>
        </message>
        <message numerus="yes">
            <source>%n line(s) of the report could not be written to
%1</source>
            <translation>
                <numerusform>%n Zeile des Berichts konnte nicht geschrieben werden in
%1</numerusform>
                <numerusform>%n Zeilen des Berichts konnten nicht geschrieben werden in
%1</numerusform>
            </translation>
        </message>
        <message>
            <source>Informations successfully written to the file
%1</source>
            <translation>Informationen erfolgreich in die Datei geschrieben:
%1</translation>
        </message>
        <message>
            <source>Log Settings</source>
            <translation>Protokolleinstellungen</translation>
        </message>
        <message>
            <source>You don't have the rights to write to this location.
 Please choose another location.</source>
            <translation>Sie haben keine Schreibrechte für diesen Ort.
 Bitte wählen Sie einen anderen Ort.</translation>
        </message>
    </context>
    <context>
        <name>ExportSystemInformation</name>
        <message>
            <source>Writing file &apos;%1&apos; ... failed.</source>
            <translation>Schreibe Datei &apos;%1&apos; ... fehlgeschlagen.</translation>
        </message>
        <message>
            <source>%1 Byte</source>
            <translation>%1 Byte</translation>
        </message>
        <message>
            <source>%1 MB  </source>
            <translation>%1 MB  </translation>
        </message>
        <message>
            <source>%1 kB  </source>
            <translation>%1 kB  </translation>
        </message>
        <message>
            <source>%1 line(s) could not be written to '%2'.</source>
            <translation>%1 Zeile(n) konnte(n) nicht in '%2' geschrieben werden.</translation>
        </message>
        <message>
            <source>File</source>
            <translation>Datei</translation>
        </message>
        <message>
            <source>Size</source>
            <translation>Größe</translation>
        </message>
        <message>
            <source>Text files (*.txt)</source>
            <translation>Textdateien (*.txt)</translation>
        </message>
        <message>
            <source>The resulting file is bigger than 10 MB!
Continue?</source>
            <translation>Die entstehende Datei ist größer als 10 MB!
Fortfahren?</translation>
        </message>
        <message>
            <source>Version</source>
            <translation>Version</translation>
        </message>
        <message>
            <source>Warning</source>
            <translation>Warnung</translation>
        </message>
        <message>
            <source>Writing file '%1' ...</source>
            <translation>Schreibe Datei '%1' ...</translation>
        </message>
        <message>
            <source>Writing file '%1' ... complete.</source>
            <translation>Schreibe Datei '%1' ... fertig.</translation>
        </message>
        <message>
            <source>Writing file '%1' ... failed: %2</source>
            <translation>Schreibe Datei '%1' ... fehlgeschlagen: %2</translation>
        </message>
        <message>
            <source>estimated size: %1</source>
            <translation>geschätzte Größe: %1</translation>
        </message>
    </context>
    <context>
        <name>ExportSystemInformationClass</name>
        <message>
            <source>&amp;Clear</source>
            <translation>&amp;Leeren</translation>
        </message>
        <message>
            <source>Adjust selection of last days</source>
            <translation>Auswahl der letzten Tage anpassen</translation>
        </message>
        <message>
            <source>Clear selection</source>
            <translation>Auswahl aufheben</translation>
        </message>
        <message>
            <source>Close dialog</source>
            <translation>Dialog schließen</translation>
        </message>
        <message>
            <source>E&amp;xit</source>
            <translation>&amp;Schließen</translation>
        </message>
        <message>
            <source>Ex&amp;port</source>
            <translation>Ex&amp;portieren</translation>
        </message>
        <message>
            <source>Export System Information</source>
            <translation>Systeminformationen exportieren</translation>
        </message>
        <message>
            <source>Export status</source>
            <translation>Exportstatus</translation>
        </message>
        <message>
            <source>Export status while saving file</source>
            <translation>Exportstatus beim Speichern der Datei</translation>
        </message>
        <message>
            <source>Export system informations (configuration.txt and event logs)</source>
            <translation>Systeminformationen exportieren (configuration.txt und Ereignisprotokolle)</translation>
        </message>
        <message>
            <source>Found event log files</source>
            <translation>Gefundene Ereignisprotokolle</translation>
        </message>
        <message>
            <source>Save selected event logs to one text file</source>
            <translation>Gewählte Ereignisprotokolle in eine Textdatei speichern</translation>
        </message>
        <message>
            <source>Select &amp;all</source>
            <translation>&amp;Alle auswählen</translation>
        </message>
        <message>
            <source>Select all files</source>
            <translation>Alle Dateien auswählen</translation>
        </message>
        <message>
            <source>estimated size: 100 Byte</source>
            <translation>geschätzte Größe: 100 Byte</translation>
        </message>
        <message>
            <source>last days</source>
            <translation>letzte Tage</translation>
        </message>
        <message>
            <source>select event log files</source>
            <translation>Ereignisprotokolle auswählen</translation>
        </message>
        <message>
            <source>The flight recorder&apos;s last 10 minutes as an entry of the file, for a replay at the support&apos;s desk</source>
            <translation>Die letzten 10 Minuten des Flugschreibers als eigener Eintrag der Datei, zum Abspielen beim Support</translation>
        </message>
        <message>
            <source>Add the last 10 minutes of the flight recorder</source>
            <translation>Die letzten 10 Minuten des Flugschreibers beifügen</translation>
        </message>
    </context>
    <context>
        <name>ReportCommandLine</name>
        <message>
            <source>%1 needs a value</source>
            <translation>%1 braucht einen Wert</translation>
        </message>
        <message>
            <source>-days needs a number of days from 1 to 3650, not '%1'</source>
            <translation>-days braucht eine Anzahl Tage von 1 bis 3650, nicht '%1'</translation>
        </message>
        <message>
            <source>-host is required</source>
            <translation>-host fehlt</translation>
        </message>
        <message>
            <source>Usage: quorix4-report -host ADDR [-o FILE] [-days N]
Writes the configuration report of the Controller at ADDR (host name or IPv4 address).
  -o FILE   where to write (default: a dated file in the current directory)
  -days N   write the whole system-information bundle instead: the report and
            this computer's event logs of that Controller from the last N days
</source>
            <translation>Aufruf: quorix4-report -host ADRESSE [-o DATEI] [-days N]
Schreibt den Konfigurationsbericht des Controllers unter ADRESSE (Hostname oder IPv4-Adresse).
  -o DATEI  wohin geschrieben wird (Standard: eine datierte Datei im aktuellen Verzeichnis)
  -days N   stattdessen das ganze Systeminformationspaket schreiben: den Bericht und
            die Ereignisprotokolle dieses Computers zu diesem Controller der letzten N Tage
</translation>
        </message>
        <message>
            <source>unknown option '%1'</source>
            <translation>unbekannte Option '%1'</translation>
        </message>
    </context>
    <context>
        <name>SearchHardwareDlg</name>
        <message>
            <source>Error: Unable search for new hardware</source>
            <translation>Fehler: Suche nach neuer Hardware nicht möglich</translation>
        </message>
        <message>
            <source>Search for new hardware...done</source>
            <translation>Suche nach neuer Hardware...fertig</translation>
        </message>
        <message>
            <source>Searching...</source>
            <translation>Suche läuft...</translation>
        </message>
        <message>
            <source>This may take up to %1 seconds!</source>
            <translation>Das kann bis zu %1 Sekunden dauern!</translation>
        </message>
    </context>
    <context>
        <name>SearchHardwareDlgClass</name>
        <message>
            <source>Cancel</source>
            <translation>Abbrechen</translation>
        </message>
        <message>
            <source>OK</source>
            <translation>OK</translation>
        </message>
        <message>
            <source>Search for new hardware</source>
            <translation>Nach neuer Hardware suchen</translation>
        </message>
        <message>
            <source>Search for new hardware like new cameras or a new radio controller?</source>
            <translation>Nach neuer Hardware suchen, etwa neuen Kameras oder einem neuen Funk-Controller?</translation>
        </message>
    </context>
    <context>
        <name>ServiceDialog</name>
        <message>
            <source>E-mail: %1</source>
            <translation>E-Mail: %1</translation>
        </message>
        <message>
            <source>QUORIX4 Programmer's Guide</source>
            <translation>QUORIX4-Programmierhandbuch</translation>
        </message>
        <message>
            <source>QUORIX4 User's Guide</source>
            <translation>QUORIX4-Benutzerhandbuch</translation>
        </message>
        <message>
            <source>Telephone: %1</source>
            <translation>Telefon: %1</translation>
        </message>
        <message>
            <source>The system-information export is not part of this build.</source>
            <translation>Der Export der Systeminformationen ist in diesem Build nicht enthalten.</translation>
        </message>
        <message>
            <source>ZEL Hardware Installation Guide</source>
            <translation>ZEL-Installationshandbuch Hardware</translation>
        </message>
    </context>
    <context>
        <name>ServiceDialogClass</name>
        <message>
            <source>&amp;Copy</source>
            <translation>&amp;Kopieren</translation>
        </message>
        <message>
            <source>Close dialog</source>
            <translation>Dialog schließen</translation>
        </message>
        <message>
            <source>Contact</source>
            <translation>Kontakt</translation>
        </message>
        <message>
            <source>Copy data above to clipboard</source>
            <translation>Obige Angaben in die Zwischenablage kopieren</translation>
        </message>
        <message>
            <source>Display service informations</source>
            <translation>Service-Informationen anzeigen</translation>
        </message>
        <message>
            <source>Ex&amp;port</source>
            <translation>Ex&amp;portieren</translation>
        </message>
        <message>
            <source>OK</source>
            <translation>OK</translation>
        </message>
        <message>
            <source>QUORIX</source>
            <translation>QUORIX</translation>
        </message>
        <message>
            <source>Service</source>
            <translation>Service</translation>
        </message>
        <message>
            <source>click here for technical support:</source>
            <translation>hier klicken für technischen Support:</translation>
        </message>
        <message>
            <source>export system information to a file</source>
            <translation>Systeminformationen in eine Datei exportieren</translation>
        </message>
        <message>
            <source>service ID</source>
            <translation>Service-ID</translation>
        </message>
        <message>
            <source>view QUORIX4 guides and technical documentation:</source>
            <translation>QUORIX4-Handbücher und technische Dokumentation ansehen:</translation>
        </message>
    </context>
    <context>
        <name>quorix4-report</name>
        <message>
            <source>unknown (no quorix4 in %1)</source>
            <translation>unbekannt (kein quorix4 in %1)</translation>
        </message>
        <message>
            <source>Not known: quorix4-report loads no modules; the export in QUORIX4 lists them.</source>
            <translation>Nicht bekannt: quorix4-report lädt keine Module; der Export in QUORIX4 listet sie auf.</translation>
        </message>
        <message>
            <source>Installed plug-ins: %1</source>
            <translation>Installierte Plug-ins: %1</translation>
        </message>
        <message>
            <source>none</source>
            <translation>keine</translation>
        </message>
        <message>
            <source>%1: %2</source>
            <translation>%1: %2</translation>
        </message>
        <message>
            <source>Wrote %1 to %2 (%3 commands, %4 s)</source>
            <translation>%1 nach %2 geschrieben (%3 Kommandos, %4 s)</translation>
        </message>
        <message>
            <source>cannot connect to the Controller at %1 (TCP port 50105)</source>
            <translation>keine Verbindung zum Controller unter %1 (TCP-Port 50105)</translation>
        </message>
        <message>
            <source>cannot write %1: it is a folder</source>
            <translation>%1 kann nicht geschrieben werden: es ist ein Ordner</translation>
        </message>
        <message>
            <source>cannot write %1: the folder %2 does not exist</source>
            <translation>%1 kann nicht geschrieben werden: der Ordner %2 existiert nicht</translation>
        </message>
        <message>
            <source>cannot write %1: permission denied</source>
            <translation>%1 kann nicht geschrieben werden: keine Schreibberechtigung</translation>
        </message>
        <message>
            <source>configuration report</source>
            <translation>Konfigurationsbericht</translation>
        </message>
        <message numerus="yes">
            <source>system information with %n event log(s)</source>
            <translation>
                <numerusform>Systeminformationen mit %n Ereignisprotokoll</numerusform>
                <numerusform>Systeminformationen mit %n Ereignisprotokollen</numerusform>
            </translation>
        </message>
        <message>
            <source>the Controller at %1 does not answer (Error %2)</source>
            <translation>der Controller unter %1 antwortet nicht (Fehler %2)</translation>
        </message>
        <message>
            <source>the connection to %1 broke during the report; %2 is incomplete</source>
            <translation>die Verbindung zu %1 brach während des Berichts ab; %2 ist unvollständig</translation>
        </message>
    </context>
    <context>
        <name>CommandLine</name>
        <message>
            <source>-host needs a host name or IPv4 address</source>
            <translation>-host braucht einen Hostnamen oder eine IPv4-Adresse</translation>
        </message>
    </context>
    <context>
        <name>main</name>
        <message>
            <source>Try &quot;quorix4 -help&quot; for the options.</source>
            <translation>Die Optionen zeigt &quot;quorix4 -help&quot;.</translation>
        </message>
        <message>
            <source>quorix4: cannot open display (DISPLAY is not set)</source>
            <translation>quorix4: cannot open display (DISPLAY ist nicht gesetzt)</translation>
        </message>
        <message>
            <source>quorix4: cannot open display %1</source>
            <translation>quorix4: cannot open display %1</translation>
        </message>
        <message>
            <source>-replay needs a file</source>
            <translation>-replay braucht eine Datei</translation>
        </message>
    </context>
    <context>
        <name>StatusPoller</name>
        <message>
            <source>Measurement data from another sender ignored (%1 datagrams so far): only the Controller&apos;s own data is shown.</source>
            <translation>Messdaten eines anderen Absenders ignoriert (bisher %1 Datagramme): Nur die eigenen Daten des Controllers werden gezeigt.</translation>
        </message>
    </context>
    <context>
        <name>RecordingActions</name>
        <message>
            <source>Save &amp;recording…</source>
            <translation>&amp;Aufzeichnung speichern…</translation>
        </message>
        <message>
            <source>Save the last minutes of the exchange with the Controller for a replay</source>
            <translation>Die letzten Minuten des Austauschs mit dem Controller für eine Wiedergabe speichern</translation>
        </message>
        <message>
            <source>Writes what QUORIX4 exchanged with the Controller in the last minutes (commands, replies, measurement data and events) to a file that &quot;quorix4 -replay FILE&quot; plays back</source>
            <translation>Schreibt, was QUORIX4 in den letzten Minuten mit dem Controller ausgetauscht hat (Befehle, Antworten, Messdaten und Ereignisse), in eine Datei, die &quot;quorix4 -replay FILE&quot; abspielt</translation>
        </message>
        <message>
            <source>Export targets as &amp;CSV…</source>
            <translation>Targets als &amp;CSV exportieren…</translation>
        </message>
        <message>
            <source>Save the recorded targets, one row per frame and target, for a spreadsheet</source>
            <translation>Die aufgezeichneten Targets speichern, eine Zeile je Frame und Target, für eine Tabellenkalkulation</translation>
        </message>
        <message>
            <source>Writes time, frame number, kind, id, quality, position and rotation of every tracked target of the recording as CSV with &apos;.&apos; decimals and a header line</source>
            <translation>Schreibt Zeit, Framenummer, Art, ID, Qualität, Position und Rotation jedes getrackten Targets der Aufzeichnung als CSV mit &apos;.&apos; als Dezimaltrennzeichen und einer Kopfzeile</translation>
        </message>
        <message>
            <source>Save recording</source>
            <translation>Aufzeichnung speichern</translation>
        </message>
        <message>
            <source>QUORIX4 recordings (*.%1)</source>
            <translation>QUORIX4-Aufzeichnungen (*.%1)</translation>
        </message>
        <message>
            <source>Export targets as CSV</source>
            <translation>Targets als CSV exportieren</translation>
        </message>
        <message>
            <source>CSV files (*.csv)</source>
            <translation>CSV-Dateien (*.csv)</translation>
        </message>
        <message>
            <source>Nothing has been recorded.</source>
            <translation>Es wurde nichts aufgezeichnet.</translation>
        </message>
    </context>
    <context>
        <name>RecordingFile</name>
        <message>
            <source>The recording could not be saved as &apos;%1&apos;: %2</source>
            <translation>Die Aufzeichnung konnte nicht als &apos;%1&apos; gespeichert werden: %2</translation>
        </message>
        <message>
            <source>The recording &apos;%1&apos; could not be opened: %2</source>
            <translation>Die Aufzeichnung &apos;%1&apos; konnte nicht geöffnet werden: %2</translation>
        </message>
        <message>
            <source>The file &apos;%1&apos; is too large to be a recording.</source>
            <translation>Die Datei &apos;%1&apos; ist zu groß für eine Aufzeichnung.</translation>
        </message>
    </context>
    <context>
        <name>RecordingReader</name>
        <message>
            <source>The file is empty.</source>
            <translation>Die Datei ist leer.</translation>
        </message>
        <message>
            <source>The file is not a QUORIX4 recording.</source>
            <translation>Die Datei ist keine QUORIX4-Aufzeichnung.</translation>
        </message>
        <message>
            <source>The recording ends inside its header: nothing could be read.</source>
            <translation>Die Aufzeichnung endet in ihrem Kopf: Es konnte nichts gelesen werden.</translation>
        </message>
        <message>
            <source>The recording has format version %1; this QUORIX4 reads version %2 and older. Open it with a newer QUORIX4.</source>
            <translation>Die Aufzeichnung hat die Formatversion %1; dieses QUORIX4 liest Version %2 und ältere. Öffnen Sie sie mit einem neueren QUORIX4.</translation>
        </message>
        <message>
            <source>the closing mark is cut off</source>
            <translation>die Schlussmarke ist abgeschnitten</translation>
        </message>
        <message>
            <source>the closing mark does not match the blocks read</source>
            <translation>die Schlussmarke passt nicht zu den gelesenen Blöcken</translation>
        </message>
        <message>
            <source>the file is cut off</source>
            <translation>die Datei ist abgeschnitten</translation>
        </message>
        <message>
            <source>unknown data at byte %1</source>
            <translation>unbekannte Daten bei Byte %1</translation>
        </message>
        <message>
            <source>block %1 is damaged</source>
            <translation>Block %1 ist beschädigt</translation>
        </message>
        <message>
            <source>unknown data after the closing mark</source>
            <translation>unbekannte Daten nach der Schlussmarke</translation>
        </message>
        <message>
            <source>The recording is damaged (%1). Read %2 of %3 bytes: %4 records, %5 (min:s) of recording.</source>
            <translation>Die Aufzeichnung ist beschädigt (%1). Gelesen wurden %2 von %3 Bytes: %4 Einträge, %5 (min:s) Aufzeichnung.</translation>
        </message>
    </context>
    <context>
        <name>ReplayBar</name>
        <message>
            <source>Replay</source>
            <translation>Wiedergabe</translation>
        </message>
        <message>
            <source>Replay of %1</source>
            <translation>Wiedergabe von %1</translation>
        </message>
        <message>
            <source>Replay speed</source>
            <translation>Wiedergabegeschwindigkeit</translation>
        </message>
        <message>
            <source>Position in the recording</source>
            <translation>Position in der Aufzeichnung</translation>
        </message>
        <message>
            <source>The recording&apos;s time at this position</source>
            <translation>Die Zeit der Aufzeichnung an dieser Position</translation>
        </message>
        <message>
            <source>Pause</source>
            <translation>Anhalten</translation>
        </message>
        <message>
            <source>Play</source>
            <translation>Abspielen</translation>
        </message>
        <message>
            <source>Pause the replay</source>
            <translation>Die Wiedergabe anhalten</translation>
        </message>
        <message>
            <source>Play the recording</source>
            <translation>Die Aufzeichnung abspielen</translation>
        </message>
    </context>
    <context>
        <name>ReplayStart</name>
        <message>
            <source>cannot replay &apos;%1&apos;: %2</source>
            <translation>&apos;%1&apos; kann nicht abgespielt werden: %2</translation>
        </message>
    </context>
    <context>
        <name>TargetCsv</name>
        <message>
            <source>The targets could not be saved as &apos;%1&apos;: %2</source>
            <translation>Die Targets konnten nicht als &apos;%1&apos; gespeichert werden: %2</translation>
        </message>
    </context>
    <context>
        <name>CentralDock</name>
        <message>
            <source>%1 in Own Window</source>
            <translation>%1 in eigenem Fenster</translation>
        </message>
        <message>
            <source>Show %1 in a window of its own, to move it to another screen</source>
            <translation>%1 in einem eigenen Fenster zeigen, das sich auf einen anderen Bildschirm ziehen lässt</translation>
        </message>
    </context>
</TS>
