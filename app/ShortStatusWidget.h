#pragma once

#include <QWidget>

class IOManager;
class QLabel;

// Tracked bodies and markers, each with its icon.
class ShortStatusWidget : public QWidget
{
    Q_OBJECT

public:
    explicit ShortStatusWidget(IOManager *channel, QWidget *parent = nullptr);

    QString bodyText() const;
    QString markerText() const;
    // The counts the latest update read; -1 when it read none.
    int bodies() const { return m_bodyCount; }
    int markers() const { return m_markerCount; }

public slots:
    void update_status(const char *status);

protected:
    void changeEvent(QEvent *event) override;

private:
    QLabel *m_bodyIcon = nullptr;
    IOManager *m_channel;
    QLabel *m_bodies;
    QLabel *m_markers;
    int m_bodyCount = -1;
    int m_markerCount = -1;
};
