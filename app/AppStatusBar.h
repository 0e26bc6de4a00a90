#pragma once

#include <QStatusBar>

class ElidingLabel;
class IOManager;

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
    ElidingLabel *m_message;
    ElidingLabel *m_configuration;
    QString m_pattern;
};
