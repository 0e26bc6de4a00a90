#include "HoloviewMessageReceiver.h"

#include <cstring>

namespace GUI {

HoloviewMessageReceiver::HoloviewMessageReceiver(QObject *parent)
    : QObject(parent)
{
}

int HoloviewMessageReceiver::receive(int, const char *sender, const char *text)
{
    if (!sender || !text)
        return 0;
    if (std::strcmp(sender, "RoomCalModule") == 0) {
        if (std::strcmp(text, "roomcal_opened") == 0)
            emit sendRoomcalIsOpen(true);
        else if (std::strcmp(text, "roomcal_closed") == 0)
            emit sendRoomcalIsOpen(false);
    } else if (std::strcmp(sender, "RoomAdjustmentModule") == 0) {
        if (std::strcmp(text, "roomadjustment_changed") == 0)
            emit sendRoomadjustmentChanged(true);
    }
    return 0;
}

} // namespace GUI
