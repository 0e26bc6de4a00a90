#pragma once

#include <QDialog>

namespace Ui {
class HelpCommandLineClass;
}

// Explains the command-line options; shown for "-help" and its variants
// before the program ends.
class HelpCommandLine : public QDialog
{
    Q_OBJECT

public:
    explicit HelpCommandLine(QWidget *parent = nullptr);
    ~HelpCommandLine() override;

    // Connected explicitly, not by name.
    void on_pushButton_exit_clicked();

private:
    Ui::HelpCommandLineClass *ui;
};
