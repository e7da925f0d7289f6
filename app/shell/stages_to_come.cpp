// Stages whose subsystems are being written: each keeps the stage contract and fails with a
// clear log line until its real implementation replaces it here.
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "shell/tppal.h"

namespace {
void notYet(Tppal& w, const char* what)
{
    w.AddDebugText(QStringLiteral("Fonction non disponible : %1\r\n").arg(QLatin1String(what)),
                   StyleBold, ClRed);
    w.appli_check_continue = 1;
}
} // namespace

void Tppal::check_majExecute()
{
    runStage(EtatRow::MiseAJour,
             {QStringLiteral("Contrôle Mise à Jour"), QStringLiteral("Recherche d'une mise à jour"),
              QStringLiteral("Mise à Jour disponible")},
             [this] { notYet(*this, "mise à jour"); }, false);
}
void Tppal::check_ListelecteursExecute() {}
void Tppal::check_initlecteursExecute()
{
    runStage(EtatRow::Lecteur,
             {QStringLiteral("Initialisation du lecteur"), QStringLiteral("Connexion au lecteur"),
              QStringLiteral("Lecteur ne répond pas !")},
             [this] { notYet(*this, "lecteur"); });
}
void Tppal::check_lecteurCPSExecute() {}
void Tppal::check_lecteurExecute() {}
void Tppal::check_CPSExecute()
{
    runStage(EtatRow::Cartes,
             {QStringLiteral("Accès carte CPS"), QStringLiteral("Lecture de la carte CPS"),
              QStringLiteral("Carte CPS pas/mal insérée !")},
             [this] { notYet(*this, "carte CPS"); });
}
void Tppal::controle_CPSExecute() {}
void Tppal::check_vitaleExecute() {}
void Tppal::check_donneesExecute()
{
    runStage(EtatRow::Informations,
             {QStringLiteral("Extraction des informations"), QStringLiteral("Extraction des données"),
              QStringLiteral("Données illisibles !")},
             [this] { notYet(*this, "données"); });
}
void Tppal::check_pdfExecute()
{
    runStage(EtatRow::Pdf,
             {QStringLiteral("Génération du PDF"), QStringLiteral("Génération du PDF"),
              QStringLiteral("PDF en erreur !")},
             [this] { notYet(*this, "PDF"); });
}
void Tppal::btn_updateClick() {}
void Tppal::btn_update_goClick() {}
void Tppal::stopDownloader() {}
void Tppal::image_pdfClick() {}
void Tppal::tab_configShow() {}
void Tppal::buildUpdatePage()
{
    auto* layout = new QVBoxLayout(tab_update);
    label_update1 = new QLabel(tab_update);
    label_update2 = new QLabel(tab_update);
    btn_update_go = new QPushButton(QStringLiteral(" Télécharger"), tab_update);
    layout->addWidget(label_update1);
    layout->addWidget(label_update2);
    layout->addWidget(btn_update_go);
}
void Tppal::buildPdfPage()
{
    auto* layout = new QVBoxLayout(tab_pdf);
    Label_pdf1 = new QLabel(tab_pdf);
    Label_pdf2 = new QLabel(tab_pdf);
    image_pdf = new QToolButton(tab_pdf);
    layout->addWidget(Label_pdf1);
    layout->addWidget(Label_pdf2);
    layout->addWidget(image_pdf);
}
void Tppal::buildConfigPage() {}
