// A look at pcsc-lite's service and readers through its client library, opened on first use
// (never with the program) by its versioned name.
#pragma once

#include "platform/smart_cards.h"

#include <chrono>
#include <string>

namespace kelvora
{

inline constexpr const char* kPcscLibrary = "libpcsclite.so.1";

// Context, reader list and each reader's state (without waiting for a change), on a thread of
// its own: the client library waits without end for a service that took the connection and
// never answers, so past `timeout` the look gives NotAnswering and leaves that thread behind.
// While it is still stuck, later looks give NotAnswering at once instead of queueing behind it.
SmartCardLook lookAtPcsc(const std::string& library = kPcscLibrary,
                         std::chrono::milliseconds timeout = std::chrono::milliseconds(1500));

} // namespace kelvora
