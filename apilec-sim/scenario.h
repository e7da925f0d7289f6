// The scenario file api_lec_sim.ini of a card-reader data folder, read afresh at every call
// so that a test or a trainer can change it between runs. A missing file is an empty
// scenario: no reader, no card.
#pragma once

#include "common/ini_text.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace apilec_sim
{

struct Forced {
    std::uint16_t result;
    std::uint16_t detail;
};

class Scenario
{
public:
    static constexpr char kFileName[] = "api_lec_sim.ini";

    // `folder` is the library's folder argument, with or without its final separator.
    static Scenario load(const std::string& folder);

    std::vector<std::string> readers() const;
    bool cpsInserted() const;
    std::optional<std::string> pin() const;
    bool vitaleInserted() const;
    std::optional<std::string> document() const;
    std::optional<std::string> label(std::int16_t table, std::string_view code) const;
    // [Retours] function=result[,detail]; an entry that is not two numbers is ignored.
    std::optional<Forced> forced(std::string_view function) const;

private:
    explicit Scenario(std::string text) : ini_(std::move(text)) {}
    bool inserted(std::string_view section) const;

    kelvora::ini::IniText ini_;
};

// folder + name, with one "/" between them.
std::string joinPath(const std::string& folder, std::string_view name);

} // namespace apilec_sim
