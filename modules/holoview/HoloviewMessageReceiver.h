#pragma once

#include "MessageReceiver.h"

#include <QObject>

namespace GUI {

// The 3D monitor's receiver on message channel "HoloviewModule". Turns the
// room calibration and room adjustment notices of the other modules into Qt
// signals for the display. Runs in the sender's thread (normally the GUI
// thread), so the display's slots run inside the sender's call.
class HoloviewMessageReceiver : public QObject, public MessageReceiver
{
    Q_OBJECT

public:
    explicit HoloviewMessageReceiver(QObject *parent = nullptr);

    // The type is ignored; the result is always 0.
    int receive(int type, const char *sender, const char *text) override;

signals:
    void sendRoomcalIsOpen(bool open);
    void sendRoomadjustmentChanged(bool changed);
};

} // namespace GUI
