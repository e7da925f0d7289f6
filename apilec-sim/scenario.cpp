#include "scenario.h"

#include <charconv>
#include <fstream>
#include <iterator>

namespace apilec_sim
{

namespace
{

std::string_view trimmed(std::string_view s)
{
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

std::optional<std::uint16_t> number(std::string_view s)
{
    s = trimmed(s);
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size() || value > 0xFFFF)
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

} // namespace

std::string joinPath(const std::string& folder, std::string_view name)
{
    std::string path = folder;
    if (!path.empty() && path.back() != '/')
        path += '/';
    path += name;
    return path;
}

Scenario Scenario::load(const std::string& folder)
{
    // No folder is no scenario, rather than whatever the working folder holds.
    if (folder.empty())
        return Scenario(std::string());
    std::ifstream in(joinPath(folder, kFileName), std::ios::binary);
    if (!in)
        return Scenario(std::string());
    return Scenario(std::string(std::istreambuf_iterator<char>(in), {}));
}

std::vector<std::string> Scenario::readers() const
{
    std::vector<std::string> names;
    const std::string list = ini_.value("Lecteurs", "Liste").value_or(std::string());
    std::string_view rest = list;
    while (!rest.empty()) {
        const auto bar = rest.find('|');
        const auto name = trimmed(rest.substr(0, bar));
        if (!name.empty())
            names.emplace_back(name);
        if (bar == std::string_view::npos)
            break;
        rest.remove_prefix(bar + 1);
    }
    return names;
}

bool Scenario::inserted(std::string_view section) const
{
    return ini_.value(section, "Inseree") == "1";
}

bool Scenario::cpsInserted() const
{
    return inserted("CPS");
}

std::optional<std::string> Scenario::pin() const
{
    return ini_.value("CPS", "PIN");
}

bool Scenario::vitaleInserted() const
{
    return inserted("Vitale");
}

std::optional<std::string> Scenario::document() const
{
    return ini_.value("Vitale", "Document");
}

std::optional<std::string> Scenario::label(std::int16_t table, std::string_view code) const
{
    return ini_.value("Dictionnaire", std::to_string(table) + "." + std::string(code));
}

std::optional<Forced> Scenario::forced(std::string_view function) const
{
    const auto entry = ini_.value("Retours", function);
    if (!entry)
        return std::nullopt;
    const std::string_view text = *entry;
    const auto comma = text.find(',');
    const auto result = number(text.substr(0, comma));
    if (!result)
        return std::nullopt;
    if (comma == std::string_view::npos)
        return Forced{*result, 0};
    const auto detail = number(text.substr(comma + 1));
    if (!detail)
        return std::nullopt;
    return Forced{*result, *detail};
}

} // namespace apilec_sim
