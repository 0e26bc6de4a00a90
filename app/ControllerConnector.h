#pragma once

#include "CommandLine.h"
#include "IOManagerUdpTcp.h"

#include <QCoreApplication>
#include <QString>

#include <memory>

class IpDialog;
class MessageBoxProvider;
class Preferences;
class QWidget;

// Reaches the Controller the user asked for and hands back a command channel
// that holds full access. Every way there (the connect dialog, -host,
// -directstart, -wakeup, Reconnect) passes the same rules: only the
// Controller the user named or last connected is contacted, its front-end
// password is checked before the channel opens, and afterwards the
// preferences hold the Controller actually connected.
class ControllerConnector
{
    Q_DECLARE_TR_FUNCTIONS(ControllerConnector)

public:
    struct Connection
    {
        std::unique_ptr<IOManagerUdpTcp> channel;   // null: the user was told why, or chose to leave
        unsigned short dataPort = 0;
        QString address;    // dotted IPv4 text
        QString hostName;   // as the Controller reported it
        bool throughDialog = false;   // the command file runs only after the connect dialog
    };

    ControllerConnector(Preferences &prefs, const CommandLine::Options &options, MessageBoxProvider *boxes,
                        QWidget *parent);
    ~ControllerConnector();

    Connection run();

    // The start screen on the splash of the current theme.
    static IpDialog *createConnectDialog(const Preferences &prefs, QWidget *parent);
    // What the user is told when the command connection cannot be made.
    static QString connectFailureText(IOManagerUdpTcp::ConnectFailure why, const QString &name, unsigned short port);

    // A connection attempt that takes longer shows a progress box with Cancel.
    static constexpr int ShowProgressAfterMs = 300;

private:
    bool connectThroughDialog();
    bool connectDirectly();
    bool wakeAndCheck(int firstCheck);
    bool backToConnectDialog();
    bool passwordCheck();
    bool openChannel();
    bool connectChannel();
    bool confirmFullAccess();
    void rememberController();
    bool fail(const QString &text);

    Preferences &m_prefs;
    CommandLine::Options m_options;
    MessageBoxProvider *m_boxes;
    QWidget *m_parent;
    std::unique_ptr<IpDialog> m_dialog;
    Connection m_connection;
};
