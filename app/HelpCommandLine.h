#pragma once

#include <QDialog>
#include <QList>
#include <QString>

namespace Ui {
class HelpCommandLineClass;
}

// Explains the command-line options; shown for "-help" and its variants
// before the program ends.
class HelpCommandLine : public QDialog
{
    Q_OBJECT

public:
    struct Entry
    {
        QString command;
        QString explanation;
    };
    static QList<Entry> options();
    static QList<Entry> examples();
    // The same help for a terminal, where no window can open.
    static QString plainText();

    explicit HelpCommandLine(QWidget *parent = nullptr);
    ~HelpCommandLine() override;

    // Connected explicitly, not by name.
    void on_pushButton_exit_clicked();

private:
    Ui::HelpCommandLineClass *ui;
};
