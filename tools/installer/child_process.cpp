#include "tools/installer/child_process.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kelvora::installer
{

namespace
{

constexpr std::size_t kOutputLimit = 64 * 1024;

// dpkg and apt find their own helpers (ldconfig, dpkg-deb, maintainer scripts) through PATH.
const std::vector<std::string> kBaseEnvironment = {
    "PATH=/usr/sbin:/usr/bin:/sbin:/bin",
    "LC_ALL=C",
};

void writeAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

std::vector<char*> pointers(std::vector<std::string>& strings)
{
    std::vector<char*> out;
    for (auto& s : strings)
        out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

} // namespace

ChildProcess::ChildProcess(const std::filesystem::path& program,
                           const std::vector<std::string>& arguments,
                           const std::vector<std::string>& environment, ErrorOutput errors,
                           bool echoToStdout)
    : echo_(echoToStdout)
{
    // Everything the child needs is built before fork: only system calls run after it.
    std::string path = program.string();
    std::vector<std::string> argStrings{path};
    argStrings.insert(argStrings.end(), arguments.begin(), arguments.end());
    std::vector<std::string> envStrings = environment;
    std::vector<char*> argv = pointers(argStrings);
    std::vector<char*> envp = pointers(envStrings);

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return;
    const int devNull = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (devNull < 0) {
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        return;
    }
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(devNull, STDIN_FILENO);
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::dup2(errors == ErrorOutput::WithOutput ? pipeFds[1] : devNull, STDERR_FILENO);
        ::close_range(3, ~0u, 0);
        // The helper ignores SIGPIPE and keeps a private umask; packages must not inherit either.
        ::signal(SIGPIPE, SIG_DFL);
        ::umask(022);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(devNull);
    ::close(pipeFds[1]);
    if (pid_ < 0)
        ::close(pipeFds[0]);
    else
        output_ = pipeFds[0];
}

ChildProcess::~ChildProcess()
{
    if (output_ >= 0)
        ::close(output_);
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
}

ProgramResult ChildProcess::wait()
{
    ProgramResult result;
    if (pid_ <= 0)
        return result;
    char buffer[16 * 1024];
    for (;;) {
        const ssize_t n = ::read(output_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        const auto size = static_cast<std::size_t>(n);
        if (echo_)
            writeAll(STDOUT_FILENO, buffer, size);
        result.output.append(buffer, size);
        if (result.output.size() > kOutputLimit)
            result.output.erase(0, result.output.size() - kOutputLimit);
    }
    ::close(output_);
    output_ = -1;
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
                         const std::vector<std::string>& arguments,
                         const std::vector<std::string>& extraEnvironment, ErrorOutput errors,
                         bool echoToStdout)
{
    std::vector<std::string> environment = kBaseEnvironment;
    environment.insert(environment.end(), extraEnvironment.begin(), extraEnvironment.end());
    ChildProcess child(program, arguments, environment, errors, echoToStdout);
    return child.wait();
}

} // namespace kelvora::installer
