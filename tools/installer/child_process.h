// Runs an external program for the root update helper: fork and execve of an absolute path, no
// shell, a fixed environment, standard input from /dev/null, in a session of its own with every
// signal at its default, so that neither the helper's ignored signals nor a signal sent to the
// caller's terminal reach apt and dpkg.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvora::installer
{

using LineHandler = std::function<void(std::string_view line)>;

struct ProgramResult {
    int exitCode = -1;    // -1 when the program could not be started or was killed by a signal
    bool stopped = false; // ended by the helper because `keepGoing` said so
};

class ChildProcess
{
public:
    // With `statusFd`, the program gets a pipe as its descriptor 3 (apt's APT::Status-Fd=3).
    ChildProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                 const std::vector<std::string>& environment, bool statusFd);
    // A program still running is killed and reaped: no early return leaves a stray one behind.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Hands every line of the output (standard output and error mixed) and of the status pipe
    // to the handlers as they come, whatever their number, until the program ends. `keepGoing`
    // is asked about once a second; when it answers false the program's session is sent SIGTERM,
    // then SIGKILL ten seconds later.
    ProgramResult wait(const LineHandler& onOutput, const LineHandler& onStatus,
                       const std::function<bool()>& keepGoing);

private:
    int pid_ = -1;
    int output_ = -1;
    int status_ = -1;
};

// Runs `program` to its end with the helper's fixed environment; its output goes to `onOutput`.
ProgramResult runProgram(const std::filesystem::path& program,
                         const std::vector<std::string>& arguments,
                         const LineHandler& onOutput = {});

// The helper's environment for its programs: a fixed PATH (dpkg finds its own helpers and the
// maintainer scripts' commands there), the C locale and no questions asked.
const std::vector<std::string>& programEnvironment();

} // namespace kelvora::installer
