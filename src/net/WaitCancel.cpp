#include "WaitCancel.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

namespace {
thread_local WaitCancel* t_current = nullptr;
} // namespace

WaitCancel::WaitCancel() : m_fd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

WaitCancel::~WaitCancel()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void WaitCancel::fire()
{
    // The counter is never read back, so the descriptor stays readable for
    // every later wait too.
    const std::uint64_t one = 1;
    if (m_fd >= 0)
        (void)!::write(m_fd, &one, sizeof one);
}

bool WaitCancel::fired() const
{
    if (m_fd < 0)
        return false;
    pollfd entry{m_fd, POLLIN, 0};
    return ::poll(&entry, 1, 0) > 0;
}

WaitCancel* WaitCancel::current()
{
    return t_current;
}

void WaitCancel::setCurrent(WaitCancel* token)
{
    t_current = token;
}

int WaitCancel::poll(pollfd& entry, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    const WaitCancel* token = t_current;
    int wait = timeoutMs;
    while (true) {
        pollfd entries[2] = {entry, {token ? token->m_fd : -1, POLLIN, 0}};
        const int rc = ::poll(entries, token && token->m_fd >= 0 ? 2 : 1, wait);
        if (rc < 0 && errno == EINTR) {
            // Only what is left of the time, rounded up so that a wait
            // never ends before its time-out.
            if (timeoutMs > 0) {
                const auto left = std::chrono::ceil<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now());
                wait = left.count() > 0 ? static_cast<int>(left.count()) : 0;
            }
            continue;
        }
        if (rc > 0 && token && (entries[1].revents & POLLIN)) {
            errno = ECANCELED;
            return -1;
        }
        entry.revents = entries[0].revents;
        return rc;
    }
}
