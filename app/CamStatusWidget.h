#pragma once

#include <QWidget>

class IOManager;
class QLabel;
class QLineEdit;

// One camera's marker counts: detected / used 2D rays.
class CamStatusWidget : public QWidget
{
    Q_OBJECT

public:
    CamStatusWidget(IOManager *channel, int index, QWidget *parent = nullptr);

    int index() const { return m_index; }
    QString fieldText() const;
    // Shown once, at the next refresh, instead of the queried counts.
    void setOverride(const QString &text);
    void refresh();
    void showCounts(int detected, int used);

    static QString markerText(int detected, int used);
    // The counts the last refresh read; -1 when it read none.
    int detected() const { return m_detected; }
    int used() const { return m_used; }

private:
    IOManager *m_channel;
    int m_index;
    QLabel *m_label;
    QLineEdit *m_field;
    QString m_overrideText;
    bool m_override = false;
    int m_detected = -1;
    int m_used = -1;
};
