#pragma once

#include <QString>
#include <QStringList>

// Turns the program's command line into start-up options. Option words are
// matched exactly while reordering, and case-insensitively while parsing.
class CommandLine
{
public:
    struct Options
    {
        bool directStart = false;
        bool hostGiven = false;
        bool measureAfterStart = false;
        bool wakeUp = false;
        bool help = false;   // show the command-line help, then end with status 0
        bool version = false; // print the program's name and version, then end with status 0
        QString hostText;    // preset by the caller to the last Controller's host name
        QString macText;
        QString error;       // a command line that cannot mean what was typed; the program ends
    };

    // The text of arguments 1 to 5 joined by single spaces; later ones are
    // ignored. `arguments` as QCoreApplication::arguments() gives them,
    // program name first.
    static QString joinArguments(const QStringList &arguments);

    // Split at single spaces, empty parts kept.
    static QStringList split(const QString &text);
    // Brings the accepted word orders into their canonical form.
    static QStringList normalise(const QStringList &words);
    // Normalises and parses `text` into `options`; hostText keeps its preset
    // unless "-host" gives one. Unknown command lines leave the options alone.
    static void parse(const QString &text, Options &options);

    // Six groups of two hex digits separated all by ":" or all by "-".
    static bool isValidMac(const QString &text);
    // The ":" form of a MAC written with "-", when that form is valid;
    // otherwise the text unchanged.
    static QString macWithColons(const QString &text);
};
