// What a downloaded update file is, judged from its first bytes, before anything runs it.
// Plain C++ so that both the application and the root installation helper can use it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>

namespace kelvora::update
{

enum class UpdateKind {
    WindowsExecutable, // starts with "MZ"
    DebianPackage,     // an ar archive whose first member is "debian-binary"
    Other,             // anything else, including an empty or unreadable file
};

// Bytes classifyUpdateHead needs to see; a shorter head is judged on what it has.
inline constexpr std::size_t kUpdateHeadSize = 8 + 60;

// Largest update file accepted by the download and by the installation helper.
inline constexpr std::uint64_t kMaxUpdateBytes = 512ull * 1024 * 1024;

UpdateKind classifyUpdateHead(std::string_view head);

// Reads the first kUpdateHeadSize bytes of `file`; a file that cannot be read is Other.
// Symbolic links are followed: the caller decides whether it trusts the path.
UpdateKind classifyUpdateFile(const std::filesystem::path& file);

} // namespace kelvora::update
