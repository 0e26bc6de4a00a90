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
        <source>Failed to read file &quot;%1&quot;. Loading default Holoview settings</source>
        <translation>Datei &quot;%1&quot; konnte nicht gelesen werden. Die Standardeinstellungen von Holoview werden geladen</translation>
    </message>
    <message>
        <source>Can&apos;t save Holoview settings to file: &quot;%1&quot;. Error message: &quot;%2&quot;</source>
        <translation>Holoview-Einstellungen können nicht in &quot;%1&quot; gespeichert werden. Fehlermeldung: &quot;%2&quot;</translation>
    </message>
</context>
</TS>
