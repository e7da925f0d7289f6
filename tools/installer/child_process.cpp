#include "tools/installer/child_process.h"

#include "tools/installer/process_reset.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kelvora::installer
{

namespace
{

// A line longer than this is handed on in pieces; nothing is ever dropped.
constexpr std::size_t kLongestLine = 16 * 1024;

std::vector<char*> pointers(std::vector<std::string>& strings)
{
    std::vector<char*> out;
    for (auto& s : strings)
        out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

// Splits what a pipe gives into lines for `handler`; false once the pipe is closed.
bool readLines(int fd, std::string& pending, const LineHandler& handler)
{
    char buffer[16 * 1024];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && (errno == EINTR || errno == EAGAIN))
        return true;
    if (n <= 0) {
        if (!pending.empty() && handler)
            handler(pending);
        pending.clear();
        return false;
    }
    pending.append(buffer, static_cast<std::size_t>(n));
    std::size_t start = 0;
    for (std::size_t end; (end = pending.find('\n', start)) != std::string::npos; start = end + 1)
        if (handler)
            handler(std::string_view(pending).substr(start, end - start));
    pending.erase(0, start);
    if (pending.size() > kLongestLine) {
        if (handler)
            handler(pending);
        pending.clear();
    }
    return true;
}

} // namespace

const std::vector<std::string>& programEnvironment()
{
    static const std::vector<std::string> environment = {
        "PATH=/usr/sbin:/usr/bin:/sbin:/bin",
        "LC_ALL=C",
        "DEBIAN_FRONTEND=noninteractive",
    };
    return environment;
}

ChildProcess::ChildProcess(const std::filesystem::path& program,
                           const std::vector<std::string>& arguments,
                           const std::vector<std::string>& environment, bool statusFd)
{
    // Everything the child needs is built before fork: only system calls run after it.
    std::vector<std::string> argStrings{program.string()};
    argStrings.insert(argStrings.end(), arguments.begin(), arguments.end());
    std::vector<std::string> envStrings = environment;
    std::vector<char*> argv = pointers(argStrings);
    std::vector<char*> envp = pointers(envStrings);

    int out[2] = {-1, -1};
    int status[2] = {-1, -1};
    if (::pipe2(out, O_CLOEXEC) != 0)
        return;
    if (statusFd && ::pipe2(status, O_CLOEXEC) != 0) {
        ::close(out[0]);
        ::close(out[1]);
        return;
    }
    const int devNull = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    pid_ = devNull < 0 ? -1 : ::fork();
    if (pid_ == 0) {
        // Its own session: a hang-up or an interrupt meant for the caller never reaches it.
        ::setsid();
        restoreDefaultSignals();
        ::dup2(devNull, STDIN_FILENO);
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(out[1], STDERR_FILENO);
        if (statusFd)
            ::dup2(status[1], 3);
        ::close_range(statusFd ? 4 : 3, ~0u, 0);
        ::umask(022);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    if (devNull >= 0)
        ::close(devNull);
    ::close(out[1]);
    if (statusFd)
        ::close(status[1]);
    if (pid_ < 0) {
        ::close(out[0]);
        if (statusFd)
            ::close(status[0]);
        return;
    }
    output_ = out[0];
    status_ = statusFd ? status[0] : -1;
}

ChildProcess::~ChildProcess()
{
    if (output_ >= 0)
        ::close(output_);
    if (status_ >= 0)
        ::close(status_);
    if (pid_ > 0) {
        ::kill(-pid_, SIGKILL);
        while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
}

ProgramResult ChildProcess::wait(const LineHandler& onOutput, const LineHandler& onStatus,
                                 const std::function<bool()>& keepGoing)
{
    using Clock = std::chrono::steady_clock;
    ProgramResult result;
    if (pid_ <= 0)
        return result;
    std::string pendingOutput;
    std::string pendingStatus;
    Clock::time_point killAt = Clock::time_point::max();
    while (output_ >= 0 || status_ >= 0) {
        pollfd fds[2] = {{output_, POLLIN, 0}, {status_, POLLIN, 0}};
        const int ready = ::poll(fds, 2, 1000);
        if (ready < 0 && errno != EINTR)
            break;
        if (ready > 0 && fds[0].revents != 0 && !readLines(output_, pendingOutput, onOutput)) {
            ::close(output_);
            output_ = -1;
        }
        if (ready > 0 && fds[1].revents != 0 && !readLines(status_, pendingStatus, onStatus)) {
            ::close(status_);
            status_ = -1;
        }
        if (!result.stopped && keepGoing && !keepGoing()) {
            result.stopped = true;
            ::kill(-pid_, SIGTERM);
            killAt = Clock::now() + std::chrono::seconds(10);
        }
        if (Clock::now() >= killAt) {
            ::kill(-pid_, SIGKILL);
            killAt = Clock::time_point::max();
        }
    }
    int status = 0;
    pid_t ended = -1;
    while ((ended = ::waitpid(pid_, &status, 0)) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    if (ended > 0 && WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    return result;
}

ProgramResult runProgram(const std::filesystem::path& program,
                         const std::vector<std::string>& arguments, const LineHandler& onOutput)
{
    ChildProcess child(program, arguments, programEnvironment(), false);
    return child.wait(onOutput, {}, {});
}

} // namespace kelvora::installer
