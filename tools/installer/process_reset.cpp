#include "tools/installer/process_reset.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvora::installer
{

namespace
{

struct Limit {
    int resource;
    rlim_t soft;
    rlim_t hard;
    bool needed; // below this, apt or dpkg may be stopped halfway
};

constexpr rlim_t kUnlimited = RLIM_INFINITY;

// The limits a Debian system gives a service started by root.
constexpr std::array kSystemLimits = {
    Limit{RLIMIT_CPU, kUnlimited, kUnlimited, true},
    Limit{RLIMIT_FSIZE, kUnlimited, kUnlimited, true},
    Limit{RLIMIT_DATA, kUnlimited, kUnlimited, true},
    Limit{RLIMIT_STACK, 8 * 1024 * 1024, kUnlimited, false},
    Limit{RLIMIT_CORE, 0, kUnlimited, false},
    Limit{RLIMIT_RSS, kUnlimited, kUnlimited, false},
    Limit{RLIMIT_NOFILE, 1024, 524288, false},
    Limit{RLIMIT_AS, kUnlimited, kUnlimited, true},
    Limit{RLIMIT_NPROC, kUnlimited, kUnlimited, false},
    Limit{RLIMIT_MEMLOCK, 8 * 1024 * 1024, 8 * 1024 * 1024, false},
    Limit{RLIMIT_LOCKS, kUnlimited, kUnlimited, false},
    Limit{RLIMIT_MSGQUEUE, 819200, 819200, false},
    Limit{RLIMIT_NICE, 0, 0, false},
    Limit{RLIMIT_RTPRIO, 0, 0, false},
    Limit{RLIMIT_RTTIME, kUnlimited, kUnlimited, false},
};

} // namespace

void restoreDefaultSignals()
{
    struct sigaction defaults {
    };
    defaults.sa_handler = SIG_DFL;
    for (int signal = 1; signal < NSIG; ++signal)
        ::sigaction(signal, &defaults, nullptr);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
}

bool resetInheritedState()
{
    // A descriptor 0, 1 or 2 left closed by the caller would be reused by the next open().
    for (int fd = 0; fd <= 2; ++fd)
        if (::fcntl(fd, F_GETFD) < 0 && errno == EBADF && ::open("/dev/null", O_RDWR) != fd)
            ::_exit(127);
    restoreDefaultSignals();
    // Only root may raise a hard limit; anyone else keeps what it has, and is refused later.
    bool reset = true;
    for (const Limit& limit : kSystemLimits) {
        const rlimit value{limit.soft, limit.hard};
        if (::setrlimit(limit.resource, &value) == 0 || !limit.needed)
            continue;
        // Not raised: the soft limit may still go up to the hard one.
        rlimit current{};
        ::getrlimit(limit.resource, &current);
        current.rlim_cur = current.rlim_max;
        ::setrlimit(limit.resource, &current);
        reset = reset && current.rlim_cur == RLIM_INFINITY;
    }
    ::umask(022);
    return reset;
}

void ignoreInterruptions()
{
    for (const int signal : {SIGHUP, SIGINT, SIGTERM, SIGQUIT, SIGPIPE})
        ::signal(signal, SIG_IGN);
}

} // namespace kelvora::installer
