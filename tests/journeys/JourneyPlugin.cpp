// Loads the journey driver into the program under test through Qt's generic
// plug-in hook: QT_QPA_GENERIC_PLUGINS=journeydriver with QT_PLUGIN_PATH
// naming the folder that holds generic/libjourneydriver.so.
#include "JourneyDriver.h"

#include <QGenericPlugin>

class JourneyPlugin : public QGenericPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "journeydriver.json")

public:
    QObject *create(const QString &name, const QString &) override
    {
        return name.compare(QLatin1String("journeydriver"), Qt::CaseInsensitive) == 0 ? new JourneyDriver : nullptr;
    }
};

#include "JourneyPlugin.moc"
