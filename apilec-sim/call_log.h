// The call log api_lec_sim.log: one line per call, appended in the call's folder, naming the
// function, its session and word arguments, and its result and detail code. Secrets (the PIN)
// never reach it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace apilec_sim
{

class CallLine
{
public:
    static constexpr char kFileName[] = "api_lec_sim.log";

    explicit CallLine(std::string_view function) : text_(function) {}

    CallLine& number(std::string_view name, long long value);
    // Quoted; line breaks and other control bytes become "?" so a call stays on one line.
    CallLine& text(std::string_view name, std::string_view value);
    CallLine& word(std::string_view name, std::string_view value);

    // Appends "-> result,detail" (and " forced") and the line to the log; a log that cannot
    // be written is skipped, as the call itself must not fail for it.
    void write(const std::string& folder, std::uint16_t result, std::uint16_t detail, bool forced,
               std::string_view after = {});

private:
    std::string text_;
};

} // namespace apilec_sim
