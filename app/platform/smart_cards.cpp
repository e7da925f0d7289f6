#include "platform/smart_cards.h"

namespace kelvora
{

namespace
{

const QString kNoReader = QStringLiteral("Aucun lecteur de cartes n'est branché ou reconnu");

QStringList readerNames(const SmartCardLook& look)
{
    QStringList names;
    for (const SmartCardReader& reader : look.readers)
        names.append(reader.name);
    return names;
}

// The service's own causes, each with what an administrator types.
std::optional<QString> serviceCause(const SmartCardLook& look)
{
    switch (look.service) {
    case SmartCardLook::Service::NoLibrary:
        return QStringLiteral("Le service de cartes à puce (pcscd) n'est pas installé sur ce "
                              "poste : un administrateur l'installe avec "
                              "« apt-get install pcscd libccid »");
    case SmartCardLook::Service::NotRunning:
        return QStringLiteral("Le service de cartes à puce (pcscd) n'est pas démarré sur ce "
                              "poste : un administrateur le démarre avec "
                              "« systemctl enable --now pcscd.socket »");
    case SmartCardLook::Service::NotAnswering:
        return QStringLiteral("Le service de cartes à puce (pcscd) ne répond pas sur ce poste : "
                              "un administrateur le redémarre avec "
                              "« systemctl restart pcscd.service »");
    case SmartCardLook::Service::AccessDenied:
        return QStringLiteral("L'accès aux lecteurs est refusé pour cette session (polkit)");
    case SmartCardLook::Service::Running:
    case SmartCardLook::Service::Failed:
        break;
    }
    return std::nullopt;
}

} // namespace

std::optional<QString> smartCardCause(const SmartCardLook& look, const QStringList& configured)
{
    if (const auto cause = serviceCause(look))
        return cause;
    if (look.service != SmartCardLook::Service::Running)
        return std::nullopt;
    if (look.readers.empty())
        return kNoReader;
    const QStringList present = readerNames(look);
    for (const QString& name : configured) {
        if (!name.isEmpty() && !present.contains(name))
            return QStringLiteral("Le lecteur configuré « %1 » n'est pas branché ; lecteurs "
                                  "présents : %2")
                .arg(name, present.join(QStringLiteral(", ")));
    }
    return std::nullopt;
}

QString smartCardServiceText(const SmartCardLook& look)
{
    if (const auto cause = serviceCause(look))
        return *cause;
    if (look.service == SmartCardLook::Service::Failed)
        return QStringLiteral("erreur PC/SC 0x%1").arg(look.code, 8, 16, QLatin1Char('0'));
    return QStringLiteral("démarré");
}

QString cardPresenceText(const SmartCardReader& reader)
{
    return reader.cardPresent ? QStringLiteral("carte présente") : QStringLiteral("aucune carte");
}

} // namespace kelvora
