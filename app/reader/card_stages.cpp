// The professional card's presence and PIN, then the patient card's presence.
#include "reader/cp1252.h"
#include "shell/tppal.h"

#include <QLineEdit>

using kelvora::reader::LecFunction;

namespace
{

constexpr int kPinErrone = 41;

// The PIN's ANSI copy lives only for the call and is overwritten before its memory is freed.
class PinAnsi
{
public:
    explicit PinAnsi(const QString& pin) : bytes_(kelvora::reader::toCp1252(pin)) {}
    ~PinAnsi()
    {
        volatile char* p = bytes_.data();
        for (qsizetype i = 0; i < bytes_.size(); ++i)
            p[i] = 0;
    }
    PinAnsi(const PinAnsi&) = delete;
    PinAnsi& operator=(const PinAnsi&) = delete;
    const char* data() const { return bytes_.constData(); }

private:
    QByteArray bytes_;
};

// Clears a field for as long as the pointer would otherwise outlive the text it points at.
struct PointeurTemporaire {
    const char*& field;
    PointeurTemporaire(const char*& f, const char* value) : field(f) { field = value; }
    ~PointeurTemporaire() { field = nullptr; }
};

} // namespace

void Tppal::check_CPSExecute()
{
    runStage(EtatRow::Cartes,
             {QStringLiteral("Accès carte CPS"), QStringLiteral("Lecture de la carte CPS"),
              QStringLiteral("Carte CPS pas/mal insérée !")},
             [this] {
                 appli_api_error = 0;
                 appli_api_word = 0;
                 appli_api_word2 = 0;
                 appli_api_char_civ.fill(0);
                 if (!apilec_disponible(LecFunction::IntroductionMstCPS))
                     return;
                 const int r = *appli_apilec.introductionMstCPS(
                     appli_api_session_CPS, appli_api_word2, appli_api_char_civ, appli_api_char_nom,
                     &appli_api_word, &appli_api_error);
                 appli_api_return = r;
                 if (r != 0) {
                     classification_resultat(
                         r, appli_api_error, quint16(r),
                         QStringLiteral("Etat carte : %1 (session : %2)\r\n")
                             .arg(appli_api_word2)
                             .arg(appli_api_session_CPS),
                         {QStringLiteral("Cette erreur est bloquante pour le lecteur\r\n"),
                          QStringLiteral("Lecteur CPS non joignable\r\n")},
                         QStringLiteral("Lecteur CPS disponible\r\n"));
                 } else {
                     // A detail code with a zero result is reported, not a failure.
                     AddDebugText(QStringLiteral(" * Retour : %1\r\n").arg(r), StyleNone, ClBlack);
                     AddDebugText(QStringLiteral(" * Erreur : %1\r\n").arg(appli_api_error),
                                  StyleNone, ClBlack);
                 }
             });
}

void Tppal::controle_CPSExecute()
{
    runStage(
        EtatRow::Cartes,
        {QStringLiteral("Contrôle carte CPS"), QStringLiteral("Contrôle de la carte CPS"),
         QStringLiteral("Carte CPS pas/mal insérée !")},
        [this] {
            appli_api_error = 0;
            appli_api_word = 0;
            appli_api_word2 = 0;
            if (!apilec_disponible(LecFunction::ControleCPS))
                return;
            int r = 0;
            {
                const PinAnsi pin(pin_cps->text());
                const PointeurTemporaire pointe(appli_api_pin_saisie, pin.data());
                r = *appli_apilec.controleCPS(appli_api_session_CPS, appli_api_pin_saisie,
                                              appli_api_char_date, appli_api_char_appli,
                                              appli_api_char_typecarte, appli_api_char_presentpin,
                                              appli_api_char_categorie, &appli_api_error);
            }
            appli_api_return = r;
            const quint16 e = appli_api_error;

            if (r != 0) {
                classification_resultat(
                    r, e, e,
                    QStringLiteral("Etat carte : %1 (session : %2)\r\n")
                        .arg(appli_api_word2)
                        .arg(appli_api_session_CPS),
                    {QStringLiteral("Cette erreur est bloquante pour la lecture\r\n"),
                     QStringLiteral("Assurez-vous que le carte CPS est bien insérée\r\n"),
                     QStringLiteral("La carte CPS ne peut pas être lue\r\n")},
                    QStringLiteral("La carte est accessible\r\n"), [this, r] {
                        if (r != kPinErrone)
                            return false;
                        appli_check_continue = 1;
                        AddDebugText(QStringLiteral("ARRET - erreur code CPS : \r\n"), StyleBold,
                                     ClRed);
                        return true;
                    });
            } else if (e != 0) {
                appli_check_continue = 1;
                AddDebugText(QStringLiteral("Erreur : %1\r\n").arg(e), StyleBold, ClRed);
                if (e == 2)
                    AddDebugText(QStringLiteral("Probablement erreur code CPS\r\n"), StyleBold,
                                 ClRed);
            } else {
                AddDebugText(QStringLiteral("La carte CPS est accessible\r\n"), StyleBold, ClGreen);
            }

            // A wrong PIN left in the field would be sent again at every click and block the
            // practitioner's card after three tries.
            if (r == kPinErrone || (r == 0 && e == 2)) {
                pin_cps->clear();
                pin_cps->setFocus();
            }
        });
}

void Tppal::check_vitaleExecute()
{
    runStage(EtatRow::Cartes,
             {QStringLiteral("Accès carte Vitale"), QStringLiteral("Lecture de la carte Vitale"),
              QStringLiteral("Carte pas/mal insérée !")},
             [this] {
                 appli_api_error = 0;
                 appli_api_word = 0;
                 appli_api_word2 = 0;
                 if (!apilec_disponible(LecFunction::IntroductionMstVitale))
                     return;
                 const int r = *appli_apilec.introductionMstVitale(
                     appli_api_session, appli_api_word, &appli_api_word2, &appli_api_error);
                 appli_api_return = r;
                 if (r != 0)
                     classification_resultat(
                         r, appli_api_error, appli_api_error,
                         QStringLiteral("Etat carte : %1 (session : %2)\r\n")
                             .arg(appli_api_word2)
                             .arg(appli_api_session),
                         {QStringLiteral("Cette erreur est bloquante pour la lecture\r\n"),
                          QStringLiteral("Assurez-vous que le carte est bien insérée\r\n"),
                          QStringLiteral("La carte ne peut pas être lue\r\n")},
                         QStringLiteral("La carte est accessible\r\n"));
                 else
                     AddDebugText(QStringLiteral("La carte est accessible\r\n"), StyleBold,
                                  ClGreen);
             });
}
