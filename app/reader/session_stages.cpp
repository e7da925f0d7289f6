// Opening one library session for each card: the professional card first, then the patient's.
#include "shell/tppal.h"

using kelvora::reader::LecFunction;

namespace
{

// The application name the library receives, through a cell that holds its address.
constexpr char16_t kApplication[] = u"attest";

} // namespace

void Tppal::check_lecteurCPSExecute()
{
    runStage(
        EtatRow::Lecteur,
        {QStringLiteral("Connexion au lecteur CPS"), QStringLiteral("Connexion au lecteur CPS"),
         QStringLiteral("Lecteur CPS ne répond pas !")},
        [this] {
            // Only the patient-card number is reset: the call writes the other one.
            appli_api_session = 0;
            appli_api_error = 0;
            appli_api_char = kApplication;
            appli_api_word = 0;
            if (!apilec_disponible(LecFunction::OuvertureSessionCPS))
                return;
            const int r = *appli_apilec.ouvertureSessionCPS(appli_dossier_apilec_force.constData(),
                                                            &appli_api_char, &appli_api_session_CPS,
                                                            &appli_api_error);
            appli_api_return = r;
            if (r != 0) {
                classification_resultat(
                    r, appli_api_error, quint16(r),
                    QStringLiteral("Nombre lecteurs : %1 (session : %2)\r\n")
                        .arg(appli_api_word)
                        .arg(appli_api_session_CPS),
                    {QStringLiteral("Cette erreur est bloquante pour le lecteur\r\n"),
                     QStringLiteral("Lecteur CPS non joignable\r\n")},
                    QStringLiteral("Lecteur CPS disponible\r\n"));
            } else {
                AddDebugText(QStringLiteral("Lecteur CPS disponible\r\n"), StyleBold, ClGreen);
                AddDebugText(QStringLiteral("Erreur : %1\r\n").arg(r), StyleNone, ClBlack);
            }
        });
}

void Tppal::check_lecteurExecute()
{
    runStage(EtatRow::Lecteur,
             {QStringLiteral("Connexion au lecteur"), QStringLiteral("Connexion au lecteur Vitale"),
              QStringLiteral("Lecteur ne répond pas !")},
             [this] {
                 appli_api_session = 0;
                 appli_api_error = 0;
                 appli_api_char = kApplication;
                 appli_api_word = 0;
                 if (!apilec_disponible(LecFunction::OuvertureSessionVitale))
                     return;
                 const int r = *appli_apilec.ouvertureSessionVitale(
                     appli_dossier_apilec_force.constData(), &appli_api_char, &appli_api_session,
                     &appli_api_error);
                 appli_api_return = r;
                 if (r != 0)
                     classification_resultat(
                         r, appli_api_error, quint16(r),
                         QStringLiteral("Nombre lecteurs : %1 (session : %2)\r\n")
                             .arg(appli_api_word)
                             .arg(appli_api_session),
                         {QStringLiteral("Cette erreur est bloquante pour le lecteur\r\n"),
                          QStringLiteral("Lecteur non joignable\r\n")},
                         QStringLiteral("Lecteur disponible\r\n"));
                 else
                     AddDebugText(QStringLiteral("Lecteur disponible\r\n"), StyleBold, ClGreen);
             });
}
