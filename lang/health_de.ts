<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>Health::CameraStrip</name>
    <message>
        <source>c%1 at %2: %3 rays seen, %4 used</source>
        <translation>c%1 um %2: %3 Strahlen gesehen, %4 genutzt</translation>
    </message>
</context>
<context>
    <name>Health::EventStrip</name>
    <message>
        <source>(earlier events here: %1)</source>
        <translation>(frühere Ereignisse hier: %1)</translation>
    </message>
</context>
<context>
    <name>Health::HealthModule</name>
    <message>
        <source>GUI Tracking Health</source>
        <translation>GUI Tracking Health</translation>
    </message>
    <message>
        <source>Tracking Health</source>
        <translation>Tracking-Zustand</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
    <message>
        <source>Tracking &amp;Health</source>
        <translation>Tracking-&amp;Zustand</translation>
    </message>
    <message>
        <source>Show the tracking system&apos;s state over time</source>
        <translation>Den Zustand des Trackingsystems über die Zeit anzeigen</translation>
    </message>
    <message>
        <source>Show the tracking system&apos;s state over time: frequency, tracked bodies and markers, lost frames, data lines, the cameras&apos; rays and the event messages.</source>
        <translation>Den Zustand des Trackingsystems über die Zeit anzeigen: Frequenz, getrackte Bodies und Marker, verlorene Frames, Datenzeilen, die Strahlen der Kameras und die Ereignismeldungen.</translation>
    </message>
</context>
<context>
    <name>Health::HealthMonitor</name>
    <message>
        <source>Recording ended: disconnected from the Controller</source>
        <translation>Aufzeichnung beendet: vom Controller getrennt</translation>
    </message>
    <message>
        <source>Connection to the Controller lost</source>
        <translation>Verbindung zum Controller verloren</translation>
    </message>
    <message>
        <source>Measurement started</source>
        <translation>Messung gestartet</translation>
    </message>
    <message>
        <source>Measurement stopped</source>
        <translation>Messung gestoppt</translation>
    </message>
</context>
<context>
    <name>Health::HealthView</name>
    <message>
        <source>&amp;Range:</source>
        <translation>&amp;Zeitraum:</translation>
    </message>
    <message>
        <source>1 minute</source>
        <translation>1 Minute</translation>
    </message>
    <message>
        <source>10 minutes</source>
        <translation>10 Minuten</translation>
    </message>
    <message>
        <source>1 hour</source>
        <translation>1 Stunde</translation>
    </message>
    <message>
        <source>How much of the past the plots show</source>
        <translation>Wie weit die Diagramme zurückreichen</translation>
    </message>
    <message>
        <source>&amp;Pause</source>
        <translation>&amp;Anhalten</translation>
    </message>
    <message>
        <source>Hold the plots still; recording goes on</source>
        <translation>Die Diagramme anhalten; die Aufzeichnung läuft weiter</translation>
    </message>
    <message>
        <source>&amp;Resume</source>
        <translation>&amp;Fortsetzen</translation>
    </message>
    <message>
        <source>Event messages of the Controller and of QUORIX4; hover a mark to read them.</source>
        <translation>Ereignismeldungen des Controllers und von QUORIX4; zum Lesen mit der Maus auf eine Marke zeigen.</translation>
    </message>
    <message>
        <source>Frequency (Hz)</source>
        <translation>Frequenz (Hz)</translation>
    </message>
    <message>
        <source>Tracked</source>
        <translation>Getrackt</translation>
    </message>
    <message>
        <source>Fewest bodies</source>
        <translation>Wenigste Bodies</translation>
    </message>
    <message>
        <source>Fewest markers</source>
        <translation>Wenigste Marker</translation>
    </message>
    <message>
        <source>One row per camera, coloured by the rays it used: green as many as the busiest camera, red none.</source>
        <translation>Eine Zeile je Kamera, gefärbt nach den genutzten Strahlen: grün so viele wie die meistgenutzte Kamera, rot keine.</translation>
    </message>
    <message>
        <source>Frames lost</source>
        <translation>Verlorene Frames</translation>
    </message>
    <message>
        <source>Frames lost by the Controller</source>
        <translation>Vom Controller verlorene Frames</translation>
    </message>
    <message>
        <source>Data lines</source>
        <translation>Datenzeilen</translation>
    </message>
    <message>
        <source>Data lines per second</source>
        <translation>Datenzeilen je Sekunde</translation>
    </message>
    <message>
        <source>%1 Hz</source>
        <translation>%1 Hz</translation>
    </message>
    <message>
        <source>- Hz</source>
        <translation>- Hz</translation>
    </message>
    <message>
        <source>Nothing recorded yet</source>
        <translation>Noch nichts aufgezeichnet</translation>
    </message>
    <message>
        <source>%1  ·  nothing recorded</source>
        <translation>%1  ·  nichts aufgezeichnet</translation>
    </message>
    <message>
        <source>fewest bodies %1</source>
        <translation>wenigste Bodies %1</translation>
    </message>
    <message>
        <source>fewest markers %1</source>
        <translation>wenigste Marker %1</translation>
    </message>
    <message>
        <source>lost by Controller %1</source>
        <translation>vom Controller verloren %1</translation>
    </message>
    <message>
        <source>lines/s %1</source>
        <translation>Zeilen/s %1</translation>
    </message>
    <message>
        <source>Frames dropped here</source>
        <translation>Hier verworfene Frames</translation>
    </message>
    <message>
        <source>dropped here %1</source>
        <translation>hier verworfen %1</translation>
    </message>
    <message>
        <source>no tracking data</source>
        <translation>keine Trackingdaten</translation>
    </message>
    <message>
        <source>%1  ·  connection to the Controller lost</source>
        <translation>%1  ·  Verbindung zum Controller verloren</translation>
    </message>
    <message>
        <source>%1  ·  not connected</source>
        <translation>%1  ·  nicht verbunden</translation>
    </message>
    <message>
        <source>The second under the mouse, else the newest: the fewest bodies and markers the status polls saw in it, the frames lost before this computer, the frames this computer dropped, and the data lines received</source>
        <translation>Die Sekunde unter der Maus, sonst die neueste: die wenigsten Bodies und Marker, die die Statusabfragen darin sahen, die vor diesem Rechner verlorenen Frames, die von diesem Rechner verworfenen Frames und die empfangenen Datenzeilen</translation>
    </message>
</context>
<context>
    <name>HealthLogFile</name>
    <message>
        <source>the directory %1 cannot be created</source>
        <translation>das Verzeichnis %1 kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>%1 is a symbolic link</source>
        <translation>%1 ist ein symbolischer Link</translation>
    </message>
    <message>
        <source>not all rows were written</source>
        <translation>nicht alle Zeilen wurden geschrieben</translation>
    </message>
</context>
</TS>
