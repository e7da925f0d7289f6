#include "common/update_kind.h"

#include <fstream>
#include <string>

namespace kelvora::update
{

namespace
{

constexpr std::string_view kArMagic = "!<arch>\n";
constexpr std::size_t kArHeaderSize = 60;
constexpr std::size_t kArNameSize = 16;

// The ar name field is padded with spaces; GNU ar also ends names with "/".
bool isDebianBinaryName(std::string_view field)
{
    while (!field.empty() && field.back() == ' ')
        field.remove_suffix(1);
    if (!field.empty() && field.back() == '/')
        field.remove_suffix(1);
    return field == "debian-binary";
}

} // namespace

UpdateKind classifyUpdateHead(std::string_view head)
{
    if (head.starts_with("MZ"))
        return UpdateKind::WindowsExecutable;
    if (!head.starts_with(kArMagic) || head.size() < kArMagic.size() + kArHeaderSize)
        return UpdateKind::Other;
    const std::string_view header = head.substr(kArMagic.size(), kArHeaderSize);
    // Every member header ends with "`\n"; anything else is not an ar archive.
    if (header.substr(kArHeaderSize - 2) != "`\n")
        return UpdateKind::Other;
    return isDebianBinaryName(header.substr(0, kArNameSize)) ? UpdateKind::DebianPackage
                                                             : UpdateKind::Other;
}

UpdateKind classifyUpdateFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return UpdateKind::Other;
    std::string head(kUpdateHeadSize, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    return classifyUpdateHead(head);
}

} // namespace kelvora::update
