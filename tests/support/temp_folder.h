// Helpers shared by the store and admin-tool tests: a temporary folder and a shell command.
#pragma once

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <sys/wait.h>

namespace kelvora::testing
{

// A fresh folder removed with everything in it when the test ends.
class TempFolder
{
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "kelvora-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

struct CommandResult {
    int exitCode = -1;
    std::string output; // standard output and error together
};

// Text quoted for /bin/sh.
inline std::string shellQuote(const std::string& text)
{
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

inline CommandResult runCommand(const std::string& command)
{
    struct Closer {
        void operator()(std::FILE* f) const { ::pclose(f); }
    };
    CommandResult result;
    std::FILE* raw = ::popen((command + " 2>&1").c_str(), "r");
    if (raw == nullptr)
        return result;
    std::unique_ptr<std::FILE, Closer> pipe(raw);
    std::array<char, 4096> buffer{};
    std::size_t n = 0;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0)
        result.output.append(buffer.data(), n);
    const int status = ::pclose(pipe.release());
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

} // namespace kelvora::testing
