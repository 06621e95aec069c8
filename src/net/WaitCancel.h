#pragma once

#include <cstddef>
#include <poll.h>

// Ends every network wait of the threads that watch it, at once and from any
// thread: the way a program that is shutting down stops reads that would
// otherwise sit out their time-outs. Once fired it stays fired.
class WaitCancel
{
public:
    WaitCancel();
    ~WaitCancel();
    WaitCancel(const WaitCancel&) = delete;
    WaitCancel& operator=(const WaitCancel&) = delete;

    void fire();
    bool fired() const;

    // The token the waits of the calling thread watch (none by default).
    static WaitCancel* current();
    static void setCurrent(WaitCancel* token);

    // poll() on one descriptor that also returns when the calling thread's
    // token fires: then -1 with errno ECANCELED. EINTR is retried with the
    // time that is left.
    static int poll(pollfd& entry, int timeoutMs);
    // The same on several descriptors at once.
    static int poll(pollfd* entries, std::size_t count, int timeoutMs);

private:
    int m_fd = -1;
};
