#pragma once

#include <QStatusBar>

class IOManager;
class QLabel;

// The window's bottom line: transient messages on the left, the active
// configuration on the right.
class AppStatusBar : public QStatusBar
{
    Q_OBJECT

public:
    explicit AppStatusBar(IOManager *channel, QWidget *parent = nullptr);

    QString messageText() const;
    QString configurationText() const;

public slots:
    void update_status();
    void update_configuration();
    void newMessage(const QString &message);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    IOManager *m_channel;
    QLabel *m_message;
    QLabel *m_configuration;
    QString m_pattern;
};
