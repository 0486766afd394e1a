// x_source: hands data to another X client the way a user's programs do,
// for the tests of drag and drop and paste (xdotool can do neither).
//
//   x_source drop WINDOW files PATH...    drags files (as a text/uri-list,
//                                         and the first path as text) from
//                                         elsewhere and drops them
//   x_source drop WINDOW text TEXT        the same with text
//   x_source primary TEXT SECONDS         owns the primary selection with
//   x_source clipboard TEXT SECONDS       TEXT (or the clipboard) and
//                                         answers whoever asks for it
//
// A drop goes to the middle of WINDOW (a top-level window that takes drops,
// by the XDND protocol); exit status 0 when the target accepted and
// finished it. A selection owner prints
// "ready" once it owns the selection and answers for SECONDS or until
// another client takes the selection; "answered" follows each time it has
// handed out the text.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr long XDND_VERSION = 5;

Display* display;
Window source;

Atom atom(const char* name) { return XInternAtom(display, name, False); }

[[noreturn]] void fail(const char* message)
{
    std::fprintf(stderr, "x_source: %s\n", message);
    std::exit(1);
}

// The data on offer, in each of its types.
struct Offer {
    std::vector<Atom> types;
    std::vector<std::string> data;  // one per type
};

// Waits up to milliseconds for the next event; false when none came.
bool nextEvent(XEvent& event, int milliseconds)
{
    if (XPending(display) == 0) {
        pollfd connection{ConnectionNumber(display), POLLIN, 0};
        if (poll(&connection, 1, milliseconds) <= 0) return false;
    }
    XNextEvent(display, &event);
    return true;
}

// A server timestamp: the time of a property change on our own window.
Time serverTime()
{
    XSelectInput(display, source, PropertyChangeMask);
    Atom stamp = atom("X_SOURCE_TIMESTAMP");
    XChangeProperty(display, source, stamp, XA_STRING, 8, PropModeReplace, nullptr, 0);
    XEvent event;
    while (nextEvent(event, 5000)) {
        if (event.type == PropertyNotify && event.xproperty.atom == stamp) return event.xproperty.time;
    }
    fail("no timestamp from the server");
}

// Answers a request for the selection's contents: the list of types, or the
// data in one of them. True when the data went out.
bool answer(const XSelectionRequestEvent& request, const Offer& offer)
{
    XEvent reply{};
    reply.xselection.type = SelectionNotify;
    reply.xselection.requestor = request.requestor;
    reply.xselection.selection = request.selection;
    reply.xselection.target = request.target;
    reply.xselection.time = request.time;
    // Clients of old leave the property to us.
    Atom property = request.property != None ? request.property : request.target;
    reply.xselection.property = None;
    if (request.target == atom("TARGETS")) {
        std::vector<Atom> targets = offer.types;
        targets.push_back(atom("TARGETS"));
        XChangeProperty(display, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(targets.data()), static_cast<int>(targets.size()));
        reply.xselection.property = property;
    }
    for (size_t i = 0; i < offer.types.size(); ++i) {
        if (request.target != offer.types[i]) continue;
        XChangeProperty(display, request.requestor, property, request.target, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(offer.data[i].data()),
                        static_cast<int>(offer.data[i].size()));
        reply.xselection.property = property;
    }
    XSendEvent(display, request.requestor, False, NoEventMask, &reply);
    XFlush(display);
    return reply.xselection.property != None && request.target != atom("TARGETS");
}

void sendXdnd(Window target, const char* message, long l1, long l2, long l3, long l4)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = target;
    event.xclient.message_type = atom(message);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(source);
    event.xclient.data.l[1] = l1;
    event.xclient.data.l[2] = l2;
    event.xclient.data.l[3] = l3;
    event.xclient.data.l[4] = l4;
    XSendEvent(display, target, False, NoEventMask, &event);
    XFlush(display);
}

long xdndVersion(Window target)
{
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* value = nullptr;
    if (XGetWindowProperty(display, target, atom("XdndAware"), 0, 1, False, XA_ATOM, &type, &format, &count, &after,
                           &value) != Success ||
        count != 1) {
        fail("the window does not take drops (no XdndAware)");
    }
    long version = static_cast<long>(*reinterpret_cast<Atom*>(value));
    XFree(value);
    return version < XDND_VERSION ? version : XDND_VERSION;
}

int drop(Window target, const Offer& offer)
{
    long version = xdndVersion(target);
    XWindowAttributes window;
    if (!XGetWindowAttributes(display, target, &window)) fail("no such window");
    int rootX = 0, rootY = 0;
    Window child;
    XTranslateCoordinates(display, target, DefaultRootWindow(display), window.width / 2, window.height / 2, &rootX,
                          &rootY, &child);
    Time time = serverTime();
    XSetSelectionOwner(display, atom("XdndSelection"), source, time);
    if (XGetSelectionOwner(display, atom("XdndSelection")) != source) fail("cannot own the drag's selection");
    XChangeProperty(display, source, atom("XdndTypeList"), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(offer.types.data()), static_cast<int>(offer.types.size()));

    long types[3] = {None, None, None};
    for (size_t i = 0; i < offer.types.size() && i < 3; ++i) types[i] = static_cast<long>(offer.types[i]);
    long moreThanThree = offer.types.size() > 3 ? 1 : 0;
    sendXdnd(target, "XdndEnter", version << 24 | moreThanThree, types[0], types[1], types[2]);
    sendXdnd(target, "XdndPosition", 0, rootX << 16 | rootY, static_cast<long>(time),
             static_cast<long>(atom("XdndActionCopy")));

    bool dropped = false;
    XEvent event;
    while (nextEvent(event, 10000)) {
        if (event.type == SelectionRequest) {
            answer(event.xselectionrequest, offer);
        } else if (event.type == ClientMessage && event.xclient.message_type == atom("XdndStatus")) {
            if (dropped) continue;
            if ((event.xclient.data.l[1] & 1) == 0) {
                sendXdnd(target, "XdndLeave", 0, 0, 0, 0);
                fail("the window refuses the drop");
            }
            sendXdnd(target, "XdndDrop", 0, static_cast<long>(time), 0, 0);
            dropped = true;
        } else if (event.type == ClientMessage && event.xclient.message_type == atom("XdndFinished")) {
            bool accepted = version < 5 || (event.xclient.data.l[1] & 1) != 0;
            if (!accepted) fail("the window did not take what was dropped");
            return 0;
        }
    }
    fail(dropped ? "the drop was never finished" : "the window never answered the drag");
}

int own(Atom selection, const Offer& offer, int seconds)
{
    XSetSelectionOwner(display, selection, source, serverTime());
    if (XGetSelectionOwner(display, selection) != source) fail("cannot own the selection");
    std::printf("ready\n");
    std::fflush(stdout);
    XEvent event;
    while (nextEvent(event, seconds * 1000)) {
        if (event.type == SelectionRequest && answer(event.xselectionrequest, offer)) {
            std::printf("answered\n");
            std::fflush(stdout);
        }
        if (event.type == SelectionClear) break;
    }
    return 0;
}

// file:// and the path, with what a URI cannot hold as %XX.
std::string fileUri(const char* path)
{
    std::string uri = "file://";
    for (const char* p = path; *p; ++p) {
        auto c = static_cast<unsigned char>(*p);
        if (std::isalnum(c) || std::strchr("/-._~", c)) {
            uri += static_cast<char>(c);
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            uri += escaped;
        }
    }
    return uri;
}

Offer textOffer(const std::string& text)
{
    return {{atom("UTF8_STRING"), atom("text/plain;charset=utf-8"), atom("text/plain"), XA_STRING},
            {text, text, text, text}};
}

[[noreturn]] void usage()
{
    std::fprintf(stderr, "usage: x_source drop WINDOW files PATH... | text TEXT\n"
                         "       x_source primary|clipboard TEXT SECONDS\n");
    std::exit(2);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) usage();
    display = XOpenDisplay(nullptr);
    if (!display) fail("cannot open the display");
    source = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    std::string mode = argv[1];

    if (mode == "primary" || mode == "clipboard") {
        if (argc != 4) usage();
        return own(mode == "primary" ? XA_PRIMARY : atom("CLIPBOARD"), textOffer(argv[2]), std::atoi(argv[3]));
    }
    if (mode != "drop" || argc < 5) usage();
    Window target = std::strtoul(argv[2], nullptr, 0);
    std::string kind = argv[3];
    Offer offer;
    if (kind == "files") {
        // A file manager's offer: the list of URIs, and the path as text.
        std::string uris;
        for (int i = 4; i < argc; ++i) uris += fileUri(argv[i]) + "\r\n";
        offer = {{atom("text/uri-list"), atom("text/plain;charset=utf-8")}, {uris, argv[4]}};
    } else if (kind == "text" && argc == 5) {
        offer = textOffer(argv[4]);
    } else {
        usage();
    }
    return drop(target, offer);
}
