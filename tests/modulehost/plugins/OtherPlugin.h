#pragma once

#include <QObject>

// A valid Qt plug-in that is not a module.
class OtherPlugin : public QObject
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "Quorix2.SomethingElse")
};
