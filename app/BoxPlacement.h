#pragma once

#include <QObject>

class QDialog;

// Places every dialog that Qt would centre on a window nobody can see (the
// main window before it is shown, a hidden connect dialog) or on no window at
// all: on the visible window the user works in, else in the middle of the
// screen. Dialogs the user or the code has moved keep their place.
class BoxPlacement : public QObject
{
    Q_OBJECT

public:
    // Installs the one placement filter of the application; later calls do nothing.
    static void install();
    // Where the dialog goes: the centre of its anchor window or of the screen.
    static void place(QDialog *dialog);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    using QObject::QObject;
};
