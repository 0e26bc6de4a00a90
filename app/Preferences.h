#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDateTime>
#include <QString>

// The front end's per-user settings and their XML file. Every field starts
// with its built-in value, so a missing or broken file only costs a warning.
//
// Reading and writing never show a box themselves: they return the warning
// text (empty on success) and the caller shows it, titled readWarningTitle()
// or writeWarningTitle(), as a warning box with an OK button.
class Preferences
{
    Q_DECLARE_TR_FUNCTIONS(Preferences)

public:
    static constexpr unsigned DefaultCommandTimeoutUs = 2000000;

    // LAST_TRACKBOX: the last Controller connected to.
    QString lastIp;
    QString lastHostName;
    QString lastMac;
    QString lastSerial;
    QString lastModel;

    // TRACKBOX_SELECTION: how the selection dialog looked for Controllers.
    QString fixHostnameOrIp;
    QString fixSubnet;
    int selectionMode = 1;   // 1 one host ("specific_bqc"), 0 subnet ("scan"), 2 this computer ("local")
    bool cascadedSystem = false;

    QDateTime lastFrontendUpdate;   // invalid until read or first written

    bool showDynamicReflexSuppression = false;
    bool showServiceMenu = false;
    bool darkTheme = true;

    // Commands log; the group is stored only with a non-empty file name.
    bool commandsLogEnabled = false;
    QString commandsLogName;            // file name without path
    QString commandsLogResponsePrefix;  // never taken from the file

    bool autoBackup = true;
    bool notifyOldFrontendOrBackend = true;
    unsigned externalCommandTimeoutUs = DefaultCommandTimeoutUs;
    // The flight recorder keeps this many minutes of the channel (0: none).
    static constexpr int DefaultRecorderMinutes = 10;
    static constexpr int MaxRecorderMinutes = 120;
    int recorderMinutes = DefaultRecorderMinutes;
    QString frontendPassword;

    // Not stored in the file.
    int reconnectCountdownS = 30;

    // home + "/.ZEL/QUORIX4/v4.0.1/config", and the files and logs dir beside it.
    static QString configDir();
    static QString currentFile();
    // On the first start of this version: a copy of the preferences and layout
    // of the newest older version. Returns that version's folder, or empty.
    static QString adoptOlderSettings();
    static QString logsDir();
    // app dir + "/config/default-preferences.xml"
    static QString defaultFile();

    static QString readWarningTitle();
    static QString writeWarningTitle();

    // Reads the current file, or the default file when there is no current
    // one. Returns the warning text, empty on success. On failure the fields
    // keep their values, except the last Controller, the fixed texts and the
    // selection mode, which are reset first.
    QString read();
    QString read(const QString &currentFile, const QString &defaultFile);
    // The reading itself, on a file's content; fileName only names it in the
    // warning. Fields the content does not mention keep their values.
    QString readContent(const QByteArray &content, const QString &fileName);

    // The whole file as it is written. Sets lastFrontendUpdate to now when it
    // is not valid.
    QByteArray buildDocument();

    // Builds the document and replaces the current file with it atomically,
    // so that a failed write leaves the previous file intact. Where the
    // directory takes no new file but the file is writable, the file is
    // written in place. Returns the warning text, empty on success.
    QString write();
    QString write(const QString &configDir, const QString &fileName);

private:
    void applyGroupKey(const QString &group, const QString &key, const QString &text);
};
