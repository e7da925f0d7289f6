#include "ui/tppal.h"

#include "attestation/card_export.h"
#include "attestation/certificate_copy.h"
#include "attestation/pdf_stage.h"
#include "diagnostics/about_text.h"
#include "diagnostics/log_save.h"
#include "diagnostics/system_report.h"
#include "platform/save_path.h"
#include "reader/reader_config.h"
#include "reading/reading.h"
#include "ui/accessible_roles.h"
#include "ui/drawn_buttons.h"
#include "ui/first_frame_icon.h"
#include "ui/page_style.h"
#include "update/update_service.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

using namespace kelvora;

namespace
{

// `text` carries its mnemonic ("&"): Alt and that letter click the button.
QToolButton* toolButton(QWidget* bar, const char* name, const QString& text, const char* icon,
                        const QString& description)
{
    auto* b = new kelvora::ui::BarButton(bar);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(text);
    b->setIcon(kelvora::ui::firstFrameIcon(icon));
    b->setIconSize(QSize(24, 24));
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->setAutoRaise(true);
    // Reached with Tab, but a click leaves the focus in the PIN field.
    b->setFocusPolicy(Qt::TabFocus);
    b->setCursor(Qt::PointingHandCursor);
    // Its name without the mnemonic's « & » and the space that sets the text off the icon.
    b->setAccessibleName(QString(text).remove(QLatin1Char('&')).trimmed());
    b->setAccessibleDescription(description);
    b->setToolTip(description);
    bar->layout()->addWidget(b);
    return b;
}

// The field's reader name as written, without what came with a paste; the field shows it so.
QString trimmedField(QLineEdit* field)
{
    field->setText(field->text().trimmed());
    return field->text();
}

} // namespace

Tppal::Tppal(Platform& platform, UserDialogs& dialogs, QWidget* parent)
    : Tppal(platform, dialogs, {}, parent)
{
}

Tppal::Tppal(Platform& platform, UserDialogs& dialogs, RunCore::PendingStore pendingStore,
             QWidget* parent)
    : QMainWindow(parent), platform_(platform), dialogs_(dialogs)
{
    buildFrame();
    core_ = std::make_unique<RunCore>(platform_, dialogs_, *this);
    core_->setPendingStore(std::move(pendingStore));
    // The window is drawn without waiting for the store; once its opening has ended, its
    // failures are told as at start-up. A click before then waits for it (RunCore::guarded).
    if (core_->storePending()) {
        auto* poll = new QTimer(this);
        poll->setInterval(5);
        connect(poll, &QTimer::timeout, this, [this, poll] {
            if (!core_->storeSettled())
                return;
            poll->stop();
            poll->deleteLater();
            core_->awaitStore();
        });
        poll->start();
    }
    // The log pane shows the log from its start when its page is built (buildDebugPage).
    core_->debug.onAppend = [this](const QString& text, int style, quint32 color) {
        tab_debug->append(text, style, color);
    };
    core_->debug.onClear = [this] { tab_debug->clear(); };
    maj_ = std::make_unique<UpdateService>(*core_);
    FormCreate();
}

Tppal::~Tppal() = default;

void Tppal::buildFrame()
{
    setObjectName(QStringLiteral("ppal"));
    setWindowTitle(QStringLiteral("Kelvora (Édition PS)"));
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSize(8);
    setFont(font);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);

    kelvora::ui::installAccessibleRoles();

    // A plain row of flat buttons rather than a QToolBar: handlers hide and show the buttons
    // themselves, which a QToolBar only allows through its actions. Assistive technology is
    // told it is a tool bar all the same.
    auto* bar = new kelvora::ui::ToolBarFrame(this);
    bar->setObjectName(QStringLiteral("barre_outils"));
    bar->setAccessibleName(QStringLiteral("Barre d'outils"));
    // The buttons' texts in the desktop's font, a size above the window's.
    bar->setFont(QApplication::font());
    auto* barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(4, 2, 4, 2);
    barLayout->setSpacing(2);
    setMenuWidget(bar);
    btn_vitale = toolButton(bar, "btn_vitale", QStringLiteral(" &Accueil"), "accueil",
                            QStringLiteral("Revenir à la page d'accueil et au code CPS"));
    btn_diagnostique =
        toolButton(bar, "btn_diagnostique", QStringLiteral(" &Diagnostic"), "diagnostic",
                   QStringLiteral("Afficher le diagnostic de la lecture"));
    btn_config = toolButton(bar, "btn_config", QStringLiteral(" &Gestion"), "gestion",
                            QStringLiteral("Choisir les lecteurs de cartes"));
    btn_update = toolButton(bar, "btn_update", QStringLiteral(" &Mise à Jour"), "miseajour",
                            QStringLiteral("Rechercher une nouvelle version"));
    btn_about = toolButton(bar, "btn_about", QStringLiteral(" A &Propos"), "apropos",
                           QStringLiteral("Versions et contact du support"));
    btn_quit = toolButton(bar, "btn_quit", QStringLiteral(" &Quitter"), "quitter",
                          QStringLiteral("Fermer Kelvora"));
    barLayout->addStretch();
    btn_diagnostique->setVisible(false);

    onClick(btn_vitale, &Tppal::btn_vitaleClick);
    onClick(btn_diagnostique, &Tppal::btn_diagnostiqueClick);
    onClick(btn_config, &Tppal::btn_configClick);
    onClick(btn_update, &Tppal::btn_updateClick);
    onClick(btn_about, &Tppal::btn_aboutClick);
    onClick(btn_quit, &Tppal::btn_quitClick);

    tab_master = new QTabWidget(this);
    tab_master->setObjectName(QStringLiteral("tab_master"));
    tab_master->setDocumentMode(true);
    // Its tab headers are hidden: Tab must pass it by, not stop on them.
    tab_master->setFocusPolicy(Qt::NoFocus);
    setCentralWidget(tab_master);
    // The tab headers stay hidden, but assistive technology still lists them: in French.
    const auto page = [this]<typename Page>(Page*& field, const char* name, const QString& title) {
        field = new Page(tab_master);
        field->setObjectName(QString::fromLatin1(name));
        field->setAutoFillBackground(true);
        field->setAccessibleName(title);
        tab_master->addTab(field, title);
    };
    page(tab_carte, "tab_carte", QStringLiteral("Accueil"));
    page(tab_launch, "tab_launch", QStringLiteral("Lecture des cartes"));
    page(tab_debug, "tab_debug", QStringLiteral("Diagnostic"));
    page(tab_update, "tab_update", QStringLiteral("Mise à jour"));
    page(tab_pdf, "tab_pdf", QStringLiteral("Attestation"));
    page(tab_about, "tab_about", QStringLiteral("A propos"));
    page(tab_config, "tab_config", QStringLiteral("Gestion des lecteurs"));
    tab_carte->installEventFilter(this);
    connect(tab_master, &QTabWidget::currentChanged, this, [this](int index) {
        QWidget* shown = tab_master->widget(index);
        ensurePage(shown);
        focusOnPage(shown);
        if (shown == tab_debug)
            tab_debugShow();
        else if (shown == tab_config)
            guarded([this] { tab_configShow(); });
    });

    buildHomePage();
    lazyPages_ = {{tab_launch, &Tppal::buildProgressPage, false},
                  {tab_debug, &Tppal::buildDebugPage, false},
                  {tab_update, &Tppal::buildUpdatePage, false},
                  {tab_pdf, &Tppal::buildPdfPage, false},
                  {tab_about, &Tppal::buildAboutPage, false},
                  {tab_config, &Tppal::buildConfigPage, false}};

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    StatusPanel = new QLabel(QStringLiteral("Version 1.00 (6.10.11.0000)"), StatusBar1);
    StatusPanel->setObjectName(QStringLiteral("StatusPanel"));
    StatusPanel->setAlignment(Qt::AlignCenter);
    StatusPanel->setFixedWidth(200);
    StatusBar1->addWidget(StatusPanel);
    setStatusBar(StatusBar1);

    setFixedSize(617, 478);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(617 / 2, 478 / 2));
    }
}

void Tppal::ensurePage(QWidget* page)
{
    for (LazyPage& lazy : lazyPages_) {
        if (lazy.tab == page && !lazy.built) {
            lazy.built = true;
            (this->*lazy.build)();
        }
    }
}

void Tppal::buildPages()
{
    for (const LazyPage& lazy : lazyPages_)
        ensurePage(lazy.tab);
}

void Tppal::showTab(QWidget* page)
{
    ensurePage(page);
    tab_master->setCurrentWidget(page);
}

quint32 Tppal::labelColor(const QLabel* label)
{
    return ui::labelColor(label);
}

void Tppal::FormCreate()
{
    raz_tabExecute();
    core_->FormCreate();
    StatusPanel->setText(QStringLiteral("Version ") + core_->appli_version + QStringLiteral(" (") +
                         core_->appli_apilec_version + QLatin1Char(')'));
    tab_about->setText(diagnostics::About_boxExecute(*core_));
    CreationficheExecute();
}

void Tppal::CreationficheExecute()
{
    btn_vitale->setVisible(true);
    btn_update->setVisible(true);
    btn_about->setVisible(true);
    btn_config->setVisible(true);
    btn_diagnostique->setVisible(false);
    setTelechargementVisible(false);
}

void Tppal::raz_tabExecute()
{
    tab_master->tabBar()->hide();
}

void Tppal::btn_vitaleClick()
{
    btn_diagnostique->setVisible(false);
    showTab(tab_carte);
}

void Tppal::btn_diagnostiqueClick()
{
    showTab(tab_debug);
}

void Tppal::btn_configClick()
{
    showTab(tab_config);
}

void Tppal::btn_aboutClick()
{
    showTab(tab_about);
}

void Tppal::btn_quitClick()
{
    maj_->stopDownloader();
    dialogs_.requestQuit();
}

void Tppal::FormCloseQuery()
{
    maj_->stopDownloader();
}

void Tppal::action_vitale2Click()
{
    // A click in the middle of a run is ignored by the run core; nothing has ended then.
    const bool started = !core_->appli_run_en_cours;
    kelvora::action_vitale2Click(*core_, *maj_);
    if (started)
        announceOutcome();
}

void Tppal::btn_updateClick()
{
    const bool started = !core_->appli_run_en_cours && !core_->appli_maj_en_cours;
    maj_->btn_updateClick([this] { diagnostics::debug_modeExecute(*core_); });
    if (started)
        announceOutcome();
}

void Tppal::announceOutcome()
{
    if (core_->appli_run_en_cours || core_->appli_quitte)
        return;
    // The PDF page gives the focus to the certificate's icon itself.
    QWidget* shown = tab_master->currentWidget();
    if (shown == tab_launch)
        tab_launch->cadre_suivi->announce();
    else if (shown == tab_update)
        tab_update->cadre_update->announce();
}

void Tppal::btn_update_goClick()
{
    maj_->btn_update_goClick();
}

void Tppal::image_pdfClick()
{
    attestation::image_pdfClick(*core_);
}

void Tppal::btn_sauve_fichierClick()
{
    // The first save starts in the user's documents, not wherever the program was started.
    const QString initial = proposedSavePath(platform_, core_->appli_save_name);
    const QString caption = QStringLiteral("Sauvegarde du diagnostique Kelvora");
    const QString chosen = dialogs_.saveFileName(caption, QStringLiteral("Fichier RTF (*.rtf)"),
                                                 QStringLiteral("rtf"), initial);
    if (chosen.isEmpty())
        return;
    core_->appli_save_name = chosen;
    diagnostics::saveDebugLog(core_->debug, chosen);
    dialogs_.messageBox(
        QStringLiteral("Diagnostic enregistré dans\r%1").arg(QDir::toNativeSeparators(chosen)),
        caption, MessageIcon::Information);
}

void Tppal::lbl_link3Click()
{
    platform_.openDocument(core_->appli_url_logiciel);
}

void Tppal::lbl_link2Click()
{
    platform_.openDocument(QString::fromLatin1(diagnostics::kSupportUrl));
}

void Tppal::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    focusOnPage(tab_master->currentWidget());
}

void Tppal::focusOnPage(QWidget* shown)
{
    if (shown == tab_carte && tab_carte->pin_cps) {
        tab_carte->focusPin();
    } else if (shown == tab_pdf && tab_pdf->image_pdf) {
        tab_pdf->showTitulaire(attestation::titulaireAttestation(core_->appli_vitale));
    } else if (shown == tab_launch) {
        // Read aloud; Enter and Escape there lead home after a run.
        tab_launch->cadre_suivi->setFocus();
    } else if (shown != nullptr && !shown->isAncestorOf(focusWidget())) {
        // Elsewhere the page's first control, so the keyboard never points at a hidden page.
        for (QWidget* w = shown->nextInFocusChain(); w != shown; w = w->nextInFocusChain()) {
            if (shown->isAncestorOf(w) && w->isVisibleTo(shown) && w->isEnabled() &&
                (w->focusPolicy() & Qt::TabFocus)) {
                w->setFocus(Qt::TabFocusReason);
                break;
            }
        }
    }
}

bool Tppal::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == tab_carte && event->type() == QEvent::Paint && !pagesScheduled_) {
        // The first frame is being drawn; the other pages are built once it is on the screen,
        // so they open at once when asked for.
        pagesScheduled_ = true;
        tab_carte->removeEventFilter(this);
        QTimer::singleShot(0, this, [this] {
            emit firstFrameDrawn();
            buildPages();
        });
    }
    return QMainWindow::eventFilter(watched, event);
}

void Tppal::closeEvent(QCloseEvent* event)
{
    FormCloseQuery();
    event->accept();
}

void Tppal::guarded(const std::function<void()>& handler)
{
    core_->guarded(handler);
}

void Tppal::onClick(QAbstractButton* button, void (Tppal::*handler)())
{
    connect(button, &QAbstractButton::clicked, this,
            [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
}

void Tppal::showPage(kelvora::Page page)
{
    QWidget* const pages[] = {tab_carte, tab_launch, tab_debug, tab_update,
                              tab_pdf,   tab_about,  tab_config};
    showTab(pages[static_cast<int>(page)]);
}

void Tppal::setDiagnosticVisible(bool visible)
{
    btn_diagnostique->setVisible(visible);
}

void Tppal::buildHomePage()
{
    tab_carte->build();
    connect(tab_carte, &HomePage::readAsked, this, [this] { action_vitale2Click(); });
}

QString Tppal::pinSaisi() const
{
    return tab_carte->pin();
}

void Tppal::viderPin()
{
    tab_carte->clearPin();
}

void Tppal::buildProgressPage()
{
    std::array<int, kEtatRowCount> etats{};
    for (int i = 0; i < kEtatRowCount; ++i)
        etats[static_cast<std::size_t>(i)] = core_->etat(static_cast<EtatRow>(i));
    tab_launch->build(etats);
    // After a run, Enter or Escape on the page leads back to the PIN.
    connect(tab_launch, &ProgressPage::leaveAsked, this, [this] {
        if (!core_->appli_run_en_cours)
            guarded([this] { btn_vitaleClick(); });
    });
}

void Tppal::showEtat(EtatRow row, int icon)
{
    tab_launch->showEtat(row, icon);
}

void Tppal::setSuivi(const QString& text, std::optional<quint32> color)
{
    tab_launch->setSuivi(text, color);
}

void Tppal::setSuivi2(const QString& text, std::optional<quint32> color)
{
    tab_launch->setSuivi2(text, color);
}

void Tppal::buildUpdatePage()
{
    tab_update->build();
    onClick(tab_update->btn_update_go, &Tppal::btn_update_goClick);
}

void Tppal::setMiseAJourTexte(const QString& text)
{
    tab_update->setMiseAJourTexte(text);
}

void Tppal::setTelechargementVisible(bool visible)
{
    tab_update->setTelechargementVisible(visible);
}

void Tppal::setProgression(bool visible, std::optional<int> percent)
{
    tab_update->setProgression(visible, percent);
}

void Tppal::setSuiviTelechargement(bool visible, std::optional<QString> text)
{
    tab_update->setSuiviTelechargement(visible, text);
}

void Tppal::setBarreTelechargement(bool visible)
{
    for (QToolButton* b : {btn_vitale, btn_diagnostique, btn_about, btn_update, btn_quit})
        b->setVisible(visible);
}

void Tppal::buildDebugPage()
{
    tab_debug->build(core_->debug.runs());
    onClick(tab_debug->btn_sauve_fichier, &Tppal::btn_sauve_fichierClick);
}

void Tppal::tab_debugShow()
{
    tab_debug->showEnd();
}

void Tppal::buildConfigPage()
{
    tab_config->build();
    onClick(tab_config->btn_gestion_4, &Tppal::btn_gestion_4Click);
    onClick(tab_config->btn_gestion_4b, &Tppal::btn_gestion_4bClick);
}

void Tppal::tab_configShow()
{
    tab_config->showVitaleSubPage();
    tab_config->showConfigured(reader::tab_configShow(*core_));
    // Asked afresh each time, as readers come and go.
    tab_config->showConnected(reader::lecteursBranches(*core_));
}

void Tppal::btn_gestion_4Click()
{
    reader::btn_gestion_4Click(*core_, trimmedField(tab_config->edit_gestion_2));
}

void Tppal::btn_gestion_4bClick()
{
    reader::btn_gestion_4bClick(*core_, trimmedField(tab_config->edit_gestion_2b));
}

void Tppal::buildPdfPage()
{
    tab_pdf->build();
    onClick(tab_pdf->image_pdf, &Tppal::image_pdfClick);
    onClick(tab_pdf->btn_copie, &Tppal::btn_copieClick);
    onClick(tab_pdf->btn_exporter, &Tppal::btn_exporterClick);
    onClick(tab_pdf->btn_imprimer, &Tppal::btn_imprimerClick);
}

void Tppal::btn_copieClick()
{
    attestation::btn_copieClick(*core_);
}

void Tppal::btn_exporterClick()
{
    attestation::btn_exporterClick(*core_);
}

void Tppal::btn_imprimerClick()
{
    attestation::btn_imprimerClick(*core_);
}

void Tppal::buildAboutPage()
{
    tab_about->build();
    // A click opens the handler's own address.
    connect(tab_about->lbl_link3, &QPushButton::clicked, this, [this] { lbl_link3Click(); });
    connect(tab_about->lbl_link2, &QPushButton::clicked, this, [this] { lbl_link2Click(); });
}
