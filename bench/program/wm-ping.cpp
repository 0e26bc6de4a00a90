// Times how promptly a program's GUI thread answers the window manager's ping
// (_NET_WM_PING), seen from outside as a window manager sees it.
//
//   wm-ping --pid PID [--class NAME] [--seconds S] [--warmup MS] [--interval MS]
//           [--late MS] [--wait-window S] [--dialog-wait S] [--label TEXT]
//
// Waits until the program's main top-level window is mapped (the largest
// viewable window with _NET_WM_PID = PID, or else WM_CLASS = NAME, that is
// no dialog), checks that it lists _NET_WM_PING in WM_PROTOCOLS, then for S
// seconds sends it a ping every interval and times each answer, which Qt sends
// from its GUI thread back to the root window. To receive those answers it
// takes the window manager's selection on the root window, so it runs where
// no window manager does (it maps and configures windows as asked meanwhile).
// Prints one line of key=value pairs:
//   longest_ms         the longest time a ping waited for its answer, or the
//                      longest time without an answer while pings were
//                      outstanding (a ping unanswered at the end counts up to
//                      the end)
//   unresponsive_ms_s  the time covered by pings answered later than --late,
//                      per second of run
// and the counts behind them. Exit status 2 when no window came up, 5 when
// instead a dialog of the program stood for --dialog-wait seconds (default
// 10): a message box answers pings while the program waits for the user.
//
// Build: g++ -O2 -std=c++17 wm-ping.cpp $(pkg-config --cflags --libs xcb)

#include <xcb/xcb.h>

#include <poll.h>
#include <signal.h>
#include <sys/types.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point origin, Clock::time_point t)
{
    return std::chrono::duration<double, std::milli>(t - origin).count();
}

struct Options {
    long pid = 0;
    std::string wmClass;
    double seconds = 10;
    double warmupMs = 0;
    double intervalMs = 20;
    double lateMs = 50;
    double waitWindowS = 120;
    double dialogWaitS = 10;
    std::string label;
};

[[noreturn]] void usage(const char *why)
{
    std::fprintf(stderr, "wm-ping: %s\n"
                         "usage: wm-ping --pid PID [--class NAME] [--seconds S] [--warmup MS] [--interval MS]\n"
                         "               [--late MS] [--wait-window S] [--dialog-wait S] [--label TEXT]\n",
                 why);
    std::exit(64);
}

Options parse(int argc, char **argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (i + 1 >= argc)
            usage(("missing value for " + a).c_str());
        const char *v = argv[++i];
        if (a == "--pid")
            o.pid = std::atol(v);
        else if (a == "--class")
            o.wmClass = v;
        else if (a == "--seconds")
            o.seconds = std::atof(v);
        else if (a == "--warmup")
            o.warmupMs = std::atof(v);
        else if (a == "--interval")
            o.intervalMs = std::atof(v);
        else if (a == "--late")
            o.lateMs = std::atof(v);
        else if (a == "--wait-window")
            o.waitWindowS = std::atof(v);
        else if (a == "--dialog-wait")
            o.dialogWaitS = std::atof(v);
        else if (a == "--label")
            o.label = v;
        else
            usage(("unknown option " + a).c_str());
    }
    if (o.pid <= 0 && o.wmClass.empty())
        usage("give --pid or --class");
    if (o.seconds <= 0 || o.intervalMs <= 0)
        usage("--seconds and --interval must be positive");
    return o;
}

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T>
Reply<T> own(T *p)
{
    return Reply<T>(p, &std::free);
}

class Display {
public:
    Display()
    {
        // A server busy with other clients may turn a connection away for a moment.
        for (int attempt = 0; attempt < 20; ++attempt) {
            c = xcb_connect(nullptr, nullptr);
            if (!xcb_connection_has_error(c))
                break;
            xcb_disconnect(c);
            c = nullptr;
            poll(nullptr, 0, 100);
        }
        if (!c) {
            std::fprintf(stderr, "wm-ping: cannot open display %s\n", std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "(unset)");
            std::exit(1);
        }
        root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    }
    ~Display() { xcb_disconnect(c); }

    xcb_atom_t atom(const char *name)
    {
        auto r = own(xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr));
        return r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    }

    std::vector<uint32_t> cardinals(xcb_window_t w, xcb_atom_t property, xcb_atom_t type)
    {
        auto r = own(xcb_get_property_reply(c, xcb_get_property(c, 0, w, property, type, 0, 64), nullptr));
        std::vector<uint32_t> out;
        if (r && r->format == 32) {
            auto *v = static_cast<const uint32_t *>(xcb_get_property_value(r.get()));
            out.assign(v, v + xcb_get_property_value_length(r.get()) / 4);
        }
        return out;
    }

    std::string text(xcb_window_t w, xcb_atom_t property)
    {
        auto r = own(xcb_get_property_reply(c, xcb_get_property(c, 0, w, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 256),
                                            nullptr));
        if (!r || r->format != 8)
            return {};
        return std::string(static_cast<const char *>(xcb_get_property_value(r.get())),
                           xcb_get_property_value_length(r.get()));
    }

    std::string atomName(xcb_atom_t a)
    {
        auto r = own(xcb_get_atom_name_reply(c, xcb_get_atom_name(c, a), nullptr));
        if (!r)
            return "?";
        return std::string(xcb_get_atom_name_name(r.get()), xcb_get_atom_name_name_length(r.get()));
    }

    xcb_connection_t *c = nullptr;
    xcb_window_t root = 0;
};

struct Candidate {
    xcb_window_t window = 0;
    uint32_t area = 0;
    xcb_window_t dialog = 0; // one of the program's dialogs that is shown
};

// A message box without a parent may carry no WM_TRANSIENT_FOR.
bool isDialog(Display &d, xcb_window_t w)
{
    static const xcb_atom_t typeAtom = d.atom("_NET_WM_WINDOW_TYPE");
    static const xcb_atom_t dialogAtom = d.atom("_NET_WM_WINDOW_TYPE_DIALOG");
    const auto types = d.cardinals(w, typeAtom, XCB_ATOM_ATOM);
    return std::find(types.begin(), types.end(), dialogAtom) != types.end();
}

// Searches the tree (a reparenting window manager puts the program's window
// inside a frame) for the program's largest mapped window that is no dialog.
void search(Display &d, xcb_window_t parent, int depth, const Options &o, xcb_atom_t pidAtom, Candidate &best)
{
    auto tree = own(xcb_query_tree_reply(d.c, xcb_query_tree(d.c, parent), nullptr));
    if (!tree)
        return;
    const xcb_window_t *kids = xcb_query_tree_children(tree.get());
    const int n = xcb_query_tree_children_length(tree.get());
    for (int i = 0; i < n; ++i) {
        const xcb_window_t w = kids[i];
        auto attr = own(xcb_get_window_attributes_reply(d.c, xcb_get_window_attributes(d.c, w), nullptr));
        if (!attr || attr->map_state != XCB_MAP_STATE_VIEWABLE)
            continue;
        bool mine = false;
        if (o.pid > 0) {
            const auto pid = d.cardinals(w, pidAtom, XCB_ATOM_CARDINAL);
            mine = !pid.empty() && long(pid[0]) == o.pid;
        }
        if (!mine && o.pid <= 0 && !o.wmClass.empty()) {
            const std::string cls = d.text(w, XCB_ATOM_WM_CLASS);
            // WM_CLASS holds instance and class, each ended by a zero byte.
            mine = cls.compare(0, o.wmClass.size() + 1, o.wmClass + '\0') == 0
                || cls.find('\0' + o.wmClass + '\0') != std::string::npos;
        }
        if (mine && d.cardinals(w, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW).empty() && !isDialog(d, w)) {
            auto g = own(xcb_get_geometry_reply(d.c, xcb_get_geometry(d.c, w), nullptr));
            const uint32_t area = g ? uint32_t(g->width) * g->height : 0;
            if (area > best.area) {
                best.window = w;
                best.area = area;
            }
        } else if (mine && !best.dialog) {
            best.dialog = w;
        }
        if (depth < 2)
            search(d, w, depth + 1, o, pidAtom, best);
    }
}

bool processAlive(long pid)
{
    return pid <= 0 || kill(pid_t(pid), 0) == 0 || errno != ESRCH;
}

struct Ping {
    double sentMs;
    double answeredMs; // negative while outstanding
};

} // namespace

int main(int argc, char **argv)
{
    const Options o = parse(argc, argv);
    Display d;
    const xcb_atom_t pidAtom = d.atom("_NET_WM_PID");
    const xcb_atom_t protocolsAtom = d.atom("WM_PROTOCOLS");
    const xcb_atom_t pingAtom = d.atom("_NET_WM_PING");
    const std::string label = o.label.empty() ? std::string() : o.label + ": ";

    const Clock::time_point launch = Clock::now();
    Candidate target;
    xcb_window_t dialog = 0;
    Clock::time_point dialogSince;
    while (true) {
        target = {};
        search(d, d.root, 0, o, pidAtom, target);
        if (target.window)
            break;
        // A program that waits for the user in a dialog before its window
        // comes up still answers pings (a modal loop runs): say so and stop.
        if (target.dialog != dialog) {
            dialog = target.dialog;
            dialogSince = Clock::now();
        }
        if (dialog && msSince(dialogSince, Clock::now()) > o.dialogWaitS * 1000) {
            std::printf("%swaits at a dialog \"%s\" (shown after %.1f s), no main window\n", label.c_str(),
                        d.text(dialog, XCB_ATOM_WM_NAME).c_str(),
                        (msSince(launch, dialogSince)) / 1000);
            return 5;
        }
        if (msSince(launch, Clock::now()) > o.waitWindowS * 1000 || !processAlive(o.pid)) {
            std::printf("%sno window within %.0f s%s\n", label.c_str(), msSince(launch, Clock::now()) / 1000,
                        processAlive(o.pid) ? "" : " (the program ended)");
            return 2;
        }
        poll(nullptr, 0, 100);
    }
    const double windowAfterMs = msSince(launch, Clock::now());

    // Without _NET_WM_PING in WM_PROTOCOLS a client owes no answer at all.
    std::string protocols;
    bool listsPing = false;
    for (uint32_t p : d.cardinals(target.window, protocolsAtom, XCB_ATOM_ATOM)) {
        protocols += (protocols.empty() ? "" : ",") + d.atomName(p);
        listsPing = listsPing || p == pingAtom;
    }
    if (!listsPing) {
        std::printf("%swindow 0x%x does not list _NET_WM_PING (WM_PROTOCOLS: %s)\n", label.c_str(), target.window,
                    protocols.c_str());
        return 3;
    }
    std::fprintf(stderr, "%swindow 0x%x (%s) after %.1f s, WM_PROTOCOLS %s\n", label.c_str(), target.window,
                 d.text(target.window, XCB_ATOM_WM_NAME).c_str(), windowAfterMs / 1000, protocols.c_str());

    // Qt answers to the root window with the mask SubstructureNotify |
    // SubstructureRedirect, and the X server hands such an event only to the
    // client that holds the root's SubstructureRedirect, as a window manager
    // does; with SubstructureNotify alone the answers never arrive. So this
    // program takes that role, which only one client may hold, and passes the
    // requests that it then receives on unchanged.
    const uint32_t rootMask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT;
    if (auto err = own(xcb_request_check(d.c, xcb_change_window_attributes_checked(d.c, d.root, XCB_CW_EVENT_MASK,
                                                                                    &rootMask)))) {
        std::printf("%sanother client (a window manager?) holds the root window's SubstructureRedirect: "
                    "the answers would go to it; run without a window manager\n",
                    label.c_str());
        return 4;
    }
    const uint32_t windowMask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(d.c, target.window, XCB_CW_EVENT_MASK, &windowMask);
    xcb_flush(d.c);
    if (o.warmupMs > 0)
        poll(nullptr, 0, int(o.warmupMs));

    std::vector<Ping> pings;
    pings.reserve(size_t(o.seconds * 1000 / o.intervalMs) + 16);
    const Clock::time_point start = Clock::now();
    const double endMs = o.seconds * 1000;
    double nextSendMs = 0;
    double lastAnswerMs = 0;   // last answer, or the start
    double longestGapMs = 0;   // without an answer while pings were outstanding
    size_t firstOutstanding = 0;
    bool gone = false;
    std::string goneWhy;
    const int fd = xcb_get_file_descriptor(d.c);

    while (true) {
        double now = msSince(start, Clock::now());
        if (now >= endMs)
            break;
        if (!gone && now >= nextSendMs) {
            xcb_client_message_event_t ev;
            std::memset(&ev, 0, sizeof ev);
            ev.response_type = XCB_CLIENT_MESSAGE;
            ev.format = 32;
            ev.window = target.window;
            ev.type = protocolsAtom;
            ev.data.data32[0] = pingAtom;
            ev.data.data32[1] = uint32_t(pings.size() + 1); // where a timestamp goes: the ping's number
            ev.data.data32[2] = target.window;
            if (firstOutstanding == pings.size())
                lastAnswerMs = now; // a gap starts with the first outstanding ping
            pings.push_back({now, -1});
            xcb_send_event(d.c, 0, target.window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&ev));
            xcb_flush(d.c);
            // Keeps the 20 ms grid; after a hold-up of this program it sends the next at once.
            nextSendMs += o.intervalMs;
            if (nextSendMs < now)
                nextSendMs = now + o.intervalMs;
        }
        const double until = std::min(gone ? endMs : nextSendMs, endMs);
        pollfd pfd{fd, POLLIN, 0};
        poll(&pfd, 1, std::max(0, int(until - msSince(start, Clock::now())) + 1));
        while (xcb_generic_event_t *raw = xcb_poll_for_event(d.c)) {
            const auto e = own(raw);
            const double at = msSince(start, Clock::now());
            const uint8_t type = e->response_type & 0x7f;
            if (type == XCB_CLIENT_MESSAGE) {
                auto *m = reinterpret_cast<xcb_client_message_event_t *>(e.get());
                if (m->type != protocolsAtom || m->data.data32[0] != pingAtom || m->data.data32[2] != target.window)
                    continue;
                const uint32_t number = m->data.data32[1];
                if (number == 0 || number > pings.size() || pings[number - 1].answeredMs >= 0)
                    continue;
                pings[number - 1].answeredMs = at;
                longestGapMs = std::max(longestGapMs, at - lastAnswerMs);
                lastAnswerMs = at;
                while (firstOutstanding < pings.size() && pings[firstOutstanding].answeredMs >= 0)
                    ++firstOutstanding;
            } else if (type == XCB_MAP_REQUEST) {
                xcb_map_window(d.c, reinterpret_cast<xcb_map_request_event_t *>(e.get())->window);
                xcb_flush(d.c);
            } else if (type == XCB_CONFIGURE_REQUEST) {
                auto *r = reinterpret_cast<xcb_configure_request_event_t *>(e.get());
                // The values go in the order of their mask bits.
                uint32_t values[7];
                int n = 0;
                const uint16_t m = r->value_mask;
                if (m & XCB_CONFIG_WINDOW_X) values[n++] = uint32_t(int32_t(r->x));
                if (m & XCB_CONFIG_WINDOW_Y) values[n++] = uint32_t(int32_t(r->y));
                if (m & XCB_CONFIG_WINDOW_WIDTH) values[n++] = r->width;
                if (m & XCB_CONFIG_WINDOW_HEIGHT) values[n++] = r->height;
                if (m & XCB_CONFIG_WINDOW_BORDER_WIDTH) values[n++] = r->border_width;
                if (m & XCB_CONFIG_WINDOW_SIBLING) values[n++] = r->sibling;
                if (m & XCB_CONFIG_WINDOW_STACK_MODE) values[n++] = r->stack_mode;
                xcb_configure_window(d.c, r->window, m, values);
                xcb_flush(d.c);
            } else if (type == XCB_CIRCULATE_REQUEST) {
                auto *r = reinterpret_cast<xcb_circulate_request_event_t *>(e.get());
                const uint32_t stack = r->place == XCB_PLACE_ON_TOP ? XCB_STACK_MODE_ABOVE : XCB_STACK_MODE_BELOW;
                xcb_configure_window(d.c, r->window, XCB_CONFIG_WINDOW_STACK_MODE, &stack);
                xcb_flush(d.c);
            } else if (type == XCB_DESTROY_NOTIFY || type == XCB_UNMAP_NOTIFY) {
                auto *n = reinterpret_cast<xcb_unmap_notify_event_t *>(e.get());
                if (n->window == target.window && !gone) {
                    gone = true;
                    goneWhy = type == XCB_DESTROY_NOTIFY ? "destroyed" : "unmapped";
                }
            } else if (type == 0) {
                auto *err = reinterpret_cast<xcb_generic_error_t *>(e.get());
                if (err->error_code == XCB_WINDOW && !gone) {
                    gone = true;
                    goneWhy = "destroyed";
                }
            }
        }
        if (xcb_connection_has_error(d.c)) {
            std::printf("%sconnection to the X server lost\n", label.c_str());
            return 1;
        }
    }

    // What is still outstanding waited until the end.
    if (firstOutstanding < pings.size())
        longestGapMs = std::max(longestGapMs, endMs - lastAnswerMs);
    double longestWaitMs = 0;
    size_t answered = 0, late = 0;
    std::vector<double> latencies;
    std::vector<std::pair<double, double>> lateSpans;
    for (const Ping &p : pings) {
        const double waited = (p.answeredMs >= 0 ? p.answeredMs : endMs) - p.sentMs;
        if (p.answeredMs >= 0) {
            ++answered;
            latencies.push_back(waited);
        }
        longestWaitMs = std::max(longestWaitMs, waited);
        if (waited > o.lateMs) {
            ++late;
            lateSpans.emplace_back(p.sentMs, p.sentMs + waited);
        }
    }
    // Overlapping late pings cover the same stall once.
    double unresponsiveMs = 0, coveredTo = 0;
    for (const auto &s : lateSpans) { // already in order of sending
        const double from = std::max(s.first, coveredTo);
        if (s.second > from)
            unresponsiveMs += s.second - from;
        coveredTo = std::max(coveredTo, s.second);
    }
    std::sort(latencies.begin(), latencies.end());
    auto quantile = [&](double q) {
        return latencies.empty() ? 0.0 : latencies[std::min(latencies.size() - 1, size_t(q * latencies.size()))];
    };
    std::printf("%slongest_ms=%.0f unresponsive_ms_s=%.1f pings=%zu answered=%zu late=%zu median_ms=%.1f p99_ms=%.1f "
                "window_after_s=%.1f%s%s\n",
                label.c_str(), std::max(longestWaitMs, longestGapMs), unresponsiveMs / o.seconds, pings.size(),
                answered, late, quantile(0.5), quantile(0.99), windowAfterMs / 1000, gone ? " window=" : "",
                goneWhy.c_str());
    return 0;
}
