#include "call_log.h"

#include "scenario.h"

#include <cstdio>
#include <memory>

namespace apilec_sim
{

CallLine& CallLine::number(std::string_view name, long long value)
{
    return word(name, std::to_string(value));
}

CallLine& CallLine::text(std::string_view name, std::string_view value)
{
    std::string quoted = "\"";
    for (char c : value)
        quoted += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
    quoted += '"';
    return word(name, quoted);
}

CallLine& CallLine::word(std::string_view name, std::string_view value)
{
    text_ += ' ';
    text_ += name;
    text_ += '=';
    text_ += value;
    return *this;
}

void CallLine::write(const std::string& folder, std::uint16_t result, std::uint16_t detail,
                     bool forced, std::string_view after)
{
    if (folder.empty())
        return;
    text_ += " -> " + std::to_string(result) + "," + std::to_string(detail);
    if (forced)
        text_ += " forced";
    if (!after.empty()) {
        text_ += ' ';
        text_ += after;
    }
    text_ += '\n';
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(
        std::fopen(joinPath(folder, kFileName).c_str(), "ab"), &std::fclose);
    if (file)
        std::fwrite(text_.data(), 1, text_.size(), file.get());
}

} // namespace apilec_sim
