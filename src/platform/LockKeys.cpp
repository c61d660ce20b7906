#include "LockKeys.h"

#include <QSocketNotifier>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace platform {

struct LockKeyMonitor::Connection
{
    Display *display = nullptr;
    int xkbEventBase = 0;
    Atom caps = None;
    Atom num = None;
    Atom scroll = None;
    QSocketNotifier *notifier = nullptr;

    ~Connection()
    {
        delete notifier;
        if (display)
            XCloseDisplay(display);
    }
};

LockKeyMonitor::LockKeyMonitor(QObject *parent) : QObject(parent)
{
    int eventBase = 0;
    int errorBase = 0;
    int major = XkbMajorVersion;
    int minor = XkbMinorVersion;
    int reason = 0;
    // A connection of our own: it works whatever the toolkit's display
    // backend is, and its events never mix with the toolkit's.
    Display *display = XkbOpenDisplay(nullptr, &eventBase, &errorBase, &major, &minor, &reason);
    if (!display)
        return;

    auto connection = std::make_unique<Connection>();
    connection->display = display;
    connection->xkbEventBase = eventBase;
    // The indicators are found by the names the keymaps give them, not by
    // position, which differs between keymaps.
    connection->caps = XInternAtom(display, "Caps Lock", False);
    connection->num = XInternAtom(display, "Num Lock", False);
    connection->scroll = XInternAtom(display, "Scroll Lock", False);
    XkbSelectEvents(display, XkbUseCoreKbd, XkbIndicatorStateNotifyMask, XkbIndicatorStateNotifyMask);
    XFlush(display);

    connection->notifier = new QSocketNotifier(ConnectionNumber(display), QSocketNotifier::Read);
    connect(connection->notifier, &QSocketNotifier::activated, this, &LockKeyMonitor::readEvents);
    m_connection = std::move(connection);
    m_state = query();
}

LockKeyMonitor::~LockKeyMonitor() = default;

bool LockKeyMonitor::isAvailable() const
{
    return m_connection != nullptr;
}

LockKeyState LockKeyMonitor::query() const
{
    LockKeyState state;
    if (!m_connection)
        return state;
    auto indicator = [this](Atom name) {
        Bool on = False;
        if (name == None
            || !XkbGetNamedIndicator(m_connection->display, name, nullptr, &on, nullptr, nullptr))
            return false;
        return on == True;
    };
    state.capsLock = indicator(m_connection->caps);
    state.numLock = indicator(m_connection->num);
    state.scrollLock = indicator(m_connection->scroll);
    return state;
}

void LockKeyMonitor::readEvents()
{
    Display *display = m_connection->display;
    bool indicatorsChanged = false;
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == m_connection->xkbEventBase) {
            const auto *xkb = reinterpret_cast<const XkbEvent *>(&event);
            if (xkb->any.xkb_type == XkbIndicatorStateNotify)
                indicatorsChanged = true;
        }
    }
    if (!indicatorsChanged)
        return;
    const LockKeyState now = query();
    if (now == m_state)
        return;
    m_state = now;
    emit changed(m_state);
}

} // namespace platform
