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
    </context>
</TS>
