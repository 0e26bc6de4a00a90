#include "WindowManagerProbe.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

WindowManagerProbe::WindowManagerProbe() = default;

WindowManagerProbe::~WindowManagerProbe()
{
    if (m_connection)
        xcb_disconnect(m_connection);
}

bool WindowManagerProbe::connected()
{
    if (m_connection)
        return true;
    int screenIndex = 0;
    xcb_connection_t *connection = xcb_connect(nullptr, &screenIndex);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return false;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenIndex && screens.rem; ++i)
        xcb_screen_next(&screens);
    m_connection = connection;
    m_root = screens.data->root;
    return true;
}

quint32 WindowManagerProbe::atom(const char *name)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        m_connection, xcb_intern_atom(m_connection, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const quint32 result = reply ? reply->atom : 0;
    std::free(reply);
    return result;
}

QVector<quint32> WindowManagerProbe::property(quint32 window, const char *name, quint32 type)
{
    QVector<quint32> values;
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, window, atom(name), type, 0, 1024), nullptr);
    if (reply && reply->format == 32) {
        const auto *data = static_cast<const quint32 *>(xcb_get_property_value(reply));
        const int count = xcb_get_property_value_length(reply) / 4;
        for (int i = 0; i < count; ++i)
            values.append(data[i]);
    }
    std::free(reply);
    return values;
}

QByteArray WindowManagerProbe::text(quint32 window, const char *name)
{
    QByteArray result;
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, window, atom(name), XCB_ATOM_STRING, 0, 1024), nullptr);
    if (reply && reply->format == 8)
        result = QByteArray(static_cast<const char *>(xcb_get_property_value(reply)),
                            xcb_get_property_value_length(reply));
    std::free(reply);
    return result;
}

bool WindowManagerProbe::running()
{
    if (!connected())
        return false;
    const QVector<quint32> check = property(m_root, "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW);
    if (check.isEmpty())
        return false;
    const QVector<quint32> back = property(check[0], "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW);
    return !back.isEmpty() && back[0] == check[0];
}

WindowManagerProbe::State WindowManagerProbe::state(quint32 window)
{
    if (!connected())
        return State::Unknown;
    const QVector<quint32> values = property(window, "WM_STATE", atom("WM_STATE"));
    switch (values.value(0, 99)) {
    case 0:
        return State::Withdrawn;
    case 1:
        return State::Normal;
    case 3:
        return State::Iconic;
    default:
        return State::Unknown;
    }
}

bool WindowManagerProbe::maximized(quint32 window)
{
    if (!connected())
        return false;
    const QVector<quint32> states = property(window, "_NET_WM_STATE", XCB_ATOM_ATOM);
    return states.contains(atom("_NET_WM_STATE_MAXIMIZED_VERT")) && states.contains(atom("_NET_WM_STATE_MAXIMIZED_HORZ"));
}

quint32 WindowManagerProbe::activeWindow()
{
    if (!connected())
        return 0;
    return property(m_root, "_NET_ACTIVE_WINDOW", XCB_ATOM_WINDOW).value(0);
}

quint32 WindowManagerProbe::findClient(const QByteArray &instance)
{
    if (!connected())
        return 0;
    for (quint32 client : property(m_root, "_NET_CLIENT_LIST", XCB_ATOM_WINDOW)) {
        // WM_CLASS is "instance\0class\0".
        const QByteArray names = text(client, "WM_CLASS");
        if (names.left(names.indexOf('\0')) == instance)
            return client;
    }
    return 0;
}

void WindowManagerProbe::activate(quint32 window)
{
    if (!connected())
        return;
    xcb_client_message_event_t event;
    std::memset(&event, 0, sizeof event);
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = atom("_NET_ACTIVE_WINDOW");
    event.data.data32[0] = 2; // from a pager: no focus-stealing rules apply
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(m_connection, 0, m_root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&event));
    xcb_flush(m_connection);
}
