// The one shape of a failure at the file and process boundary: what went wrong in French, and
// the system's error number behind it. Functions return std::optional<Failure>: nothing when
// they succeeded. (Stages return a StageResult; the PDF writer and the store throw.)
#pragma once

#include <QString>

namespace kelvora
{

struct Failure {
    // French words for the log or a box, e.g. « disque plein ».
    QString reason;
    // The system's error number (errno) when the failure comes from a system call, the exit
    // code when it comes from a child process (-1: it gave none), else 0; callers choose their
    // advice by it.
    int error = 0;
    // What the system or the child process said, for the diagnostic log; may be empty.
    QString detail{};
};

} // namespace kelvora
