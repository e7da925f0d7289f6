// The smart-card service (PC/SC) and its readers as the program found them, and what that tells
// the user in French: the readers the SESAM-Vitale library reaches on Linux are PC/SC readers.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace kelvora
{

struct SmartCardReader {
    QString name;
    bool cardPresent = false;
};

struct SmartCardLook {
    enum class Service {
        NoLibrary,    // the PC/SC client library is not installed
        NotRunning,   // no service answers on its socket
        NotAnswering, // the service took the connection but gave no answer in time
        AccessDenied, // the service refused this session (polkit)
        Running,
        Failed, // another PC/SC error, kept in `code`
    };
    Service service = Service::NoLibrary;
    // Only while the service runs; empty when it has no reader.
    std::vector<SmartCardReader> readers;
    // The PC/SC result of a Failed look.
    quint32 code = 0;
};

// The bold line a failed reader stage adds after its own texts: the cause the look shows, with
// the command that fixes it. None when the look explains nothing more (the readers, and the
// configured ones among them, are there). `configured` holds the names the card library was
// given, the one the failing stage uses first; empty names are not checked.
std::optional<QString> smartCardCause(const SmartCardLook& look, const QStringList& configured);

// The service's state in words, for the system report: "démarré", or the cause.
QString smartCardServiceText(const SmartCardLook& look);

// "carte présente" or "aucune carte".
QString cardPresenceText(const SmartCardReader& reader);

} // namespace kelvora
