#pragma once

#include "IOManager.h"

#include <QDialog>
#include <QString>

class QTimer;

namespace Ui {
class SearchHardwareDlgClass;
}

// Asks the Controller to look for new hardware ("quorix2 reinit") and waits
// for it with a time budget that grows with the cascade. In the mode
// "cameraupdate" the search starts by itself and cannot be cancelled.
class SearchHardwareDlg : public QDialog
{
    Q_OBJECT

public:
    SearchHardwareDlg(QWidget *parent, IOManager *channel, const QString &mode);
    ~SearchHardwareDlg() override;

    int update_and_exec();
    // Seconds the Controller is given for the search.
    int budgetSeconds() const { return m_budgetS; }
    QString hintText() const;
    bool isSearching() const { return m_searching; }

    // Connected explicitly, not by name.
    void on_pushButton_ok_clicked();
    void on_pushButton_cancel_clicked();

public slots:
    // Escape and the window's close do nothing while the Controller searches:
    // the pending reply must be collected before the dialog may go.
    void reject() override;

private slots:
    void onTimer();

private:
    void prepare();

    Ui::SearchHardwareDlgClass *ui;
    IOManager *m_channel;
    QString m_mode;
    int m_budgetS;
    bool m_searching = false;
    QTimer *m_timer;
    char m_reply[IOManager::BufferSize] = "";
};
