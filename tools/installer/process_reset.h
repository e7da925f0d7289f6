// What the root helper must not inherit from whoever started it: resource limits that would
// kill dpkg halfway (a small file-size limit), signal dispositions and a blocked signal mask.
#pragma once

namespace kelvora::installer
{

// Every signal back to its default and unblocked, the resource limits to the system's defaults,
// the standard descriptors open, a umask of 022. False when a limit that could stop apt or dpkg
// halfway stays below its default (raising a hard limit needs CAP_SYS_RESOURCE, which some
// containers withhold from root): the helper must then not start.
bool resetInheritedState();

// Every signal back to its default, none blocked; only system calls, so a forked child may call
// it before exec.
void restoreDefaultSignals();

// Hang-ups, interrupts and terminations are ignored from then on; the programs the helper runs
// get their defaults back (child_process.h).
void ignoreInterruptions();

} // namespace kelvora::installer
