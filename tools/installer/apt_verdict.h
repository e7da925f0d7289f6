// What apt's own words say went wrong, for the user's message only: whether anything was
// installed is judged by apt's exit code and by the version dpkg then reports, never by these
// words. Every line is read as it comes, so a long output cannot hide the cause.
#pragma once

#include "common/update_outcome.h"

#include <string_view>

namespace kelvora::installer
{

class AptVerdict
{
public:
    void read(std::string_view line);
    // True once a line said the repository was refused or could not be fetched, which apt
    // may report with a warning and an exit code of 0.
    bool refused() const { return refused_; }
    // The most telling cause seen so far; Failed when nothing was recognised.
    update::InstallerExit code() const;

private:
    int best_ = -1; // index in the table of causes, lower is more telling
    bool refused_ = false;
};

} // namespace kelvora::installer
