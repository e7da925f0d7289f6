// Helpers shared by the fuzz targets: a reader that cuts the input into values, and a scratch
// folder that lives as long as the process.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace kelvora::fuzz
{

// Takes values from the front of the input; once it is used up every value is zero or empty,
// so a harness never needs to check the length itself.
class InputReader
{
public:
    InputReader(const std::uint8_t* data, std::size_t size)
        : rest_(reinterpret_cast<const char*>(data), size)
    {
    }

    bool empty() const { return rest_.empty(); }
    std::size_t left() const { return rest_.size(); }

    std::uint8_t byte()
    {
        if (rest_.empty())
            return 0;
        const auto b = static_cast<std::uint8_t>(rest_.front());
        rest_.remove_prefix(1);
        return b;
    }

    std::uint16_t word()
    {
        const std::uint16_t low = byte();
        return static_cast<std::uint16_t>(low | (byte() << 8));
    }

    // The bytes up to `stop` (not included), or everything left.
    std::string until(char stop)
    {
        const std::size_t at = rest_.find(stop);
        std::string piece(rest_.substr(0, at));
        rest_.remove_prefix(at == std::string_view::npos ? rest_.size() : at + 1);
        return piece;
    }

    std::string take(std::size_t count)
    {
        std::string piece(rest_.substr(0, count));
        rest_.remove_prefix(piece.size());
        return piece;
    }

    std::string rest()
    {
        std::string all(rest_);
        rest_ = {};
        return all;
    }

private:
    std::string_view rest_;
};

// A folder of its own under the system's temporary folder, removed when the process ends.
inline const std::filesystem::path& scratchFolder()
{
    struct Folder {
        std::filesystem::path path;
        Folder()
        {
            // Memory-backed when the system has it: some targets write files at every input.
            std::error_code ec;
            const std::filesystem::path base = std::filesystem::is_directory("/dev/shm", ec)
                                                   ? std::filesystem::path("/dev/shm")
                                                   : std::filesystem::temp_directory_path();
            std::string name = (base / "kelvora-fuzz-XXXXXX").string();
            if (!mkdtemp(name.data()))
                std::abort();
            path = name;
        }
        ~Folder()
        {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    };
    static const Folder folder;
    return folder.path;
}

inline void writeFile(const std::filesystem::path& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        std::abort();
}

// A failed invariant: a message on standard error, then the crash libFuzzer records.
[[noreturn]] inline void fail(const std::string& why)
{
    std::fprintf(stderr, "invariant broken: %s\n", why.c_str());
    std::abort();
}

} // namespace kelvora::fuzz
