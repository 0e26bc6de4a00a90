#pragma once

#include <QString>

// Opens a message box on behalf of code that may run outside the GUI thread.
// type 1: warning, 2: critical, anything else: information.
class MessageBoxProvider
{
public:
    virtual void openMessageBox(int type, QString title, QString text) = 0;

protected:
    ~MessageBoxProvider() = default;
};
