#pragma once

#include <QDialog>
#include <QList>
#include <QPair>
#include <QString>

class IOManager;
class QKeyEvent;
class QTableWidget;
struct BackendVersions;

namespace Ui {
class AboutDlg2gClass;
}

// "About QUORIX4": the front end's and the Controller's versions, the loaded
// modules and, from protocol 1.7, the cascaded slave systems.
class AboutDlg2g : public QDialog
{
    Q_OBJECT

public:
    // (module name, version text), in any order.
    using ModuleList = QList<QPair<QString, QString>>;

    AboutDlg2g(IOManager *channel, QWidget *parent, BackendVersions *versions, bool darkTheme);
    ~AboutDlg2g() override;

    void setModuleList(const ModuleList &modules);
    int update_and_exec();
    // Queries the Controller and fills every field; update_and_exec runs this, then the dialog.
    void refresh();

    // "v4.0.1 2026-02-02"; with a build suffix "v4.0.1-rc1 2026-02-02".
    static QString frontendVersionText(const QString &suffix = QString());
    QString logoResource() const { return m_logo; }
    bool detailsVisible() const;

    // Connected explicitly, not by name.
    void on_pushButton_ok_clicked();
    void on_pushButton_details_clicked();

public slots:
    void processLink(const QString &link);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void fillModules();
    void buildCascadeTab();

    Ui::AboutDlg2gClass *ui;
    IOManager *m_channel;
    BackendVersions *m_versions;
    QString m_logo;
    ModuleList m_modules;
};
