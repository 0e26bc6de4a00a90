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

private:
    IOManager *m_channel;
    int m_index;
    QLabel *m_label;
    QLineEdit *m_field;
    QString m_overrideText;
    bool m_override = false;
};
