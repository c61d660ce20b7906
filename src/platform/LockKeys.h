#pragma once

#include <QObject>

#include <memory>

namespace platform {

// The three lock keys as the display server's keyboard indicators show them.
struct LockKeyState
{
    bool capsLock = false;
    bool numLock = false;
    bool scrollLock = false;

    friend bool operator==(const LockKeyState &, const LockKeyState &) = default;
};

// Follows the lock keys of the X server named by $DISPLAY through its own
// connection: reads them once and reports every change of the indicators,
// whichever window has the keyboard. Without an X server it knows nothing.
class LockKeyMonitor : public QObject
{
    Q_OBJECT

public:
    explicit LockKeyMonitor(QObject *parent = nullptr);
    ~LockKeyMonitor() override;

    // Whether the X server answers and tells the keyboard indicators.
    bool isAvailable() const;
    // The last state read; all off while unavailable.
    LockKeyState state() const { return m_state; }

signals:
    void changed(const platform::LockKeyState &state);

private:
    struct Connection;

    void readEvents();
    LockKeyState query() const;

    std::unique_ptr<Connection> m_connection;
    LockKeyState m_state;
};

} // namespace platform
