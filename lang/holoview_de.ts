<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
    <context>
        <name>GUI::HoloviewModule</name>
        <message>
            <source>GUI Holoview</source>
            <translation>GUI Holoview</translation>
        </message>
        <message>
            <source>3D Monitor Display</source>
            <translation>3D-Monitor</translation>
        </message>
        <message>
            <source>&amp;View</source>
            <translation>&amp;Ansicht</translation>
        </message>
        <message>
            <source>3D Monitor</source>
            <translation>3D-Monitor</translation>
        </message>
        <message>
            <source>Show the 3D Monitor tracking data</source>
            <translation>Trackingdaten im 3D-Monitor anzeigen</translation>
        </message>
    </context>
    <context>
        <name>GUI::Zel3DWindowWrapper</name>
        <message>
            <source>Show &amp;3D marker</source>
            <translation>&amp;3D-Marker anzeigen</translation>
        </message>
        <message>
            <source>Show &amp;standard bodies</source>
            <translation>&amp;Standard-Bodies anzeigen</translation>
        </message>
        <message>
            <source>Show &amp;gripwands</source>
            <translation>&amp;Gripwands anzeigen</translation>
        </message>
        <message>
            <source>&amp;Reset view</source>
            <translation>Ansicht &amp;zurücksetzen</translation>
        </message>
        <message>
            <source>&amp;Fit view to room</source>
            <translation>Ansicht an den &amp;Raum anpassen</translation>
        </message>
        <message>
            <source>Show &amp;hands</source>
            <translation>&amp;Hände anzeigen</translation>
        </message>
        <message>
            <source>Show &amp;inertial bodies</source>
            <translation>&amp;Inertialsensoren anzeigen</translation>
        </message>
        <message>
            <source>Show &amp;labels</source>
            <translation>&amp;Beschriftungen anzeigen</translation>
        </message>
    </context>
    <context>
        <name>HoloviewDataDisplayClass</name>
        <message>
            <source>HoloviewDataDisplay</source>
            <translation>Holoview-Datenanzeige</translation>
        </message>
    </context>
    <context>
        <name>StoreXML</name>
        <message>
            <source>Failed to read file "%1". Loading default Holoview settings</source>
            <translation>Datei "%1" konnte nicht gelesen werden. Die Standardeinstellungen von Holoview werden geladen</translation>
        </message>
        <message>
            <source>Can't save Holoview settings to file: "%1". Error message: "%2"</source>
            <translation>Holoview-Einstellungen können nicht in "%1" gespeichert werden. Fehlermeldung: "%2"</translation>
        </message>
    </context>
    <context>
        <name>GUI::HoloviewDataDisplay</name>
        <message>
            <source>No room calibration for camera %1: it is not drawn.</source>
            <translation>Keine Raumkalibrierung für Kamera %1: Sie wird nicht gezeichnet.</translation>
        </message>
        <message>
            <source>Cameras without a room calibration (not drawn): %1</source>
            <translation>Kameras ohne Raumkalibrierung (nicht gezeichnet): %1</translation>
        </message>
        <message>
            <source>Cameras whose room calibration cannot be read (not drawn): %1</source>
            <translation>Kameras mit unlesbarer Raumkalibrierung (nicht gezeichnet): %1</translation>
        </message>
        <message>
            <source>Some targets in the Controller&apos;s data lines could not be read; they are shown as not tracked, the other targets of those lines as usual.</source>
            <translation>Einige Targets in den Datenzeilen des Controllers sind unlesbar; sie werden als nicht getrackt gezeigt, die übrigen Targets dieser Zeilen wie gewohnt.</translation>
        </message>
    </context>
    <context>
        <name>StaticData</name>
        <message>
            <source>Error: Unable to get gripwand marker position</source>
            <translation>Fehler: Markerposition der Gripwand nicht lesbar</translation>
        </message>
        <message>
            <source>Error: Unable to get marker position</source>
            <translation>Fehler: Markerposition nicht lesbar</translation>
        </message>
        <message>
            <source>Error: Unable to get measurementtool marker position</source>
            <translation>Fehler: Markerposition des Messwerkzeugs nicht lesbar</translation>
        </message>
        <message>
            <source>Error: Unable to get measurementtool_reference marker position</source>
            <translation>Fehler: Markerposition der Messwerkzeug-Referenz nicht lesbar</translation>
        </message>
        <message>
            <source>Error: Unable to get number of bodies</source>
            <translation>Fehler: Anzahl der Bodies nicht lesbar</translation>
        </message>
        <message>
            <source>Error: Unable to get number of cameras</source>
            <translation>Fehler: Anzahl der Kameras nicht lesbar</translation>
        </message>
        <message>
            <source>Error: Unable to get number of gripwands</source>
            <translation>Fehler: Anzahl der Gripwands nicht lesbar</translation>
        </message>
        <message>
            <source>Error: Unable to get number of marker</source>
            <translation>Fehler: Anzahl der Marker nicht lesbar</translation>
        </message>
        <message>
            <source>Error: Unable to get number of marker of gripwand</source>
            <translation>Fehler: Markeranzahl der Gripwand nicht lesbar</translation>
        </message>
        <message>
            <source>Error: Unable to get number of marker of measurementtool</source>
            <translation>Fehler: Markeranzahl des Messwerkzeugs nicht lesbar</translation>
        </message>
        <message>
            <source>Error: Unable to get number of marker of measurementtool reference</source>
            <translation>Fehler: Markeranzahl der Messwerkzeug-Referenz nicht lesbar</translation>
        </message>
        <message>
            <source>Error: Unable to get number of measurementtool references</source>
            <translation>Fehler: Anzahl der Messwerkzeug-Referenzen nicht lesbar</translation>
        </message>
        <message>
            <source>Error: Unable to get number of measurementtools</source>
            <translation>Fehler: Anzahl der Messwerkzeuge nicht lesbar</translation>
        </message>
        <message>
            <source>Error: Unable to get room cal of camera</source>
            <translation>Fehler: Raumkalibrierung der Kamera nicht lesbar</translation>
        </message>
        <message>
            <source>Error: Wrong data in camera room cal</source>
            <translation>Fehler: Ungültige Daten in der Raumkalibrierung der Kamera</translation>
        </message>
    </context>
</TS>
