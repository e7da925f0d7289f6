// Runs an external program for the root installation helper: fork and execve of an absolute
// path, no shell, a fixed environment, standard input from /dev/null.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace kelvora::installer
{

struct ProgramResult {
    int exitCode = -1;  // -1 when the program could not be started or was killed by a signal
    std::string output; // standard output (the last 64 KB at most)
};

enum class ErrorOutput {
    Discard,    // standard error to /dev/null
    WithOutput, // standard error mixed into the output
};

// The child process is always reaped: the destructor kills and waits for one still running,
// so no early return leaves a zombie or a stray installer behind.
class ChildProcess
{
public:
    ChildProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                 const std::vector<std::string>& environment, ErrorOutput errors,
                 bool echoToStdout);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Reads the output until the program closes it, then waits for it to end.
    ProgramResult wait();

private:
    int pid_ = -1;
    int output_ = -1;
    bool echo_ = false;
};

// Runs `program` to its end with the helper's fixed environment plus `extraEnvironment`.
// When `echoToStdout` is set, the output is also copied to this process's standard output
// as it comes (write errors ignored, so a reader that went away cannot kill the program).
ProgramResult runProgram(const std::filesystem::path& program,
                         const std::vector<std::string>& arguments,
                         const std::vector<std::string>& extraEnvironment = {},
                         ErrorOutput errors = ErrorOutput::Discard, bool echoToStdout = false);

} // namespace kelvora::installer
