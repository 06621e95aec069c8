#include "WaitCancel.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>
#include <vector>

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
    return poll(&entry, 1, timeoutMs);
}

int WaitCancel::poll(pollfd* entries, std::size_t count, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    const WaitCancel* token = t_current;
    const bool watched = token && token->m_fd >= 0;
    // The token's descriptor goes last, behind the caller's; a few fit on
    // the stack, which is what every single-socket wait uses.
    constexpr std::size_t kLocal = 8;
    pollfd local[kLocal];
    std::vector<pollfd> heap;
    pollfd* all = local;
    if (count + 1 > kLocal) {
        heap.resize(count + 1);
        all = heap.data();
    }
    std::copy(entries, entries + count, all);
    all[count] = {watched ? token->m_fd : -1, POLLIN, 0};
    int wait = timeoutMs;
    while (true) {
        const int rc = ::poll(all, watched ? count + 1 : count, wait);
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
        if (rc > 0 && watched && (all[count].revents & POLLIN)) {
            errno = ECANCELED;
            return -1;
        }
        for (std::size_t i = 0; i < count; ++i)
            entries[i].revents = all[i].revents;
        return rc;
    }
}
