#include "ui/tppal.h"

#include "attestation/certificate_copy.h"
#include "attestation/pdf_stage.h"
#include "diagnostics/about_text.h"
#include "diagnostics/log_save.h"
#include "diagnostics/system_report.h"
#include "platform/save_path.h"
#include "reading/reading.h"
#include "ui/accessible_roles.h"
#include "ui/drawn_buttons.h"
#include "ui/first_frame_icon.h"
#include "update/update_service.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <stdexcept>

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

} // namespace

Tppal::Tppal(Platform& platform, UserDialogs& dialogs, QWidget* parent)
    : Tppal(platform, dialogs, {}, parent)
{
}

Tppal::Tppal(Platform& platform, UserDialogs& dialogs, RunCore::PendingStore pendingStore,
             QWidget* parent)
    : QMainWindow(parent), m_platform(platform), m_dialogs(dialogs)
{
    buildFrame();
    core_ = std::make_unique<RunCore>(m_platform, m_dialogs, *this);
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
        if (debug_texte)
            appendRich(debug_texte, text, style, color);
    };
    core_->debug.onClear = [this] {
        if (debug_texte)
            debug_texte->clear();
    };
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

    connect(btn_vitale, &QToolButton::clicked, this,
            [this] { guarded([this] { btn_vitaleClick(); }); });
    connect(btn_diagnostique, &QToolButton::clicked, this,
            [this] { guarded([this] { btn_diagnostiqueClick(); }); });
    connect(btn_config, &QToolButton::clicked, this,
            [this] { guarded([this] { btn_configClick(); }); });
    connect(btn_update, &QToolButton::clicked, this,
            [this] { guarded([this] { btn_updateClick(); }); });
    connect(btn_about, &QToolButton::clicked, this,
            [this] { guarded([this] { btn_aboutClick(); }); });
    connect(btn_quit, &QToolButton::clicked, this,
            [this] { guarded([this] { btn_quitClick(); }); });

    tab_master = new QTabWidget(this);
    tab_master->setObjectName(QStringLiteral("tab_master"));
    tab_master->setDocumentMode(true);
    // Its tab headers are hidden: Tab must pass it by, not stop on them.
    tab_master->setFocusPolicy(Qt::NoFocus);
    setCentralWidget(tab_master);
    // The tab headers stay hidden, but assistive technology still lists them: in French.
    const auto page = [this](QWidget*& field, const char* name, const QString& title) {
        field = new QWidget(tab_master);
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

QFont Tppal::pixelFont(int pixels, bool bold, bool italic) const
{
    QFont f = font();
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

void Tppal::FormCreate()
{
    raz_tabExecute();
    core_->FormCreate();
    StatusPanel->setText(QStringLiteral("Version ") + core_->appli_version +
                         QStringLiteral(" (") + core_->appli_apilec_version + QLatin1Char(')'));
    aboutRuns_ = diagnostics::About_boxExecute(*core_);
    if (about_texte) {
        for (const RtfRun& piece : aboutRuns_)
            appendRich(about_texte, piece.text, piece.style, piece.color);
    }
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
    m_dialogs.requestQuit();
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
        cadre_suivi->announce();
    else if (shown == tab_update)
        cadre_update->announce();
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
    const QString initial = proposedSavePath(m_platform, core_->appli_save_name);
    const QString caption = QStringLiteral("Sauvegarde du diagnostique Kelvora");
    const QString chosen = m_dialogs.saveFileName(caption, QStringLiteral("Fichier RTF (*.rtf)"),
                                                  QStringLiteral("rtf"), initial);
    if (chosen.isEmpty())
        return;
    core_->appli_save_name = chosen;
    diagnostics::saveDebugLog(core_->debug, chosen);
    m_dialogs.messageBox(QStringLiteral("Diagnostic enregistré dans\r%1")
                              .arg(QDir::toNativeSeparators(chosen)),
                          caption, MessageIcon::Information);
}

void Tppal::lbl_link3Click()
{
    m_platform.openDocument(core_->appli_url_logiciel);
}

void Tppal::lbl_link2Click()
{
    m_platform.openDocument(QString::fromLatin1(diagnostics::kSupportUrl));
}

void Tppal::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    focusOnPage(tab_master->currentWidget());
}

void Tppal::focusOnPage(QWidget* shown)
{
    if (shown == tab_carte && pin_cps) {
        pin_cps->setFocus();
        // A PIN kept from the last reading is selected, so the first digit typed replaces it
        // instead of being dropped by the full field.
        pin_cps->selectAll();
    } else if (shown == tab_pdf && image_pdf) {
        label_pdf_titulaire->setText(
            QStringLiteral("Attestation de ") +
            attestation::titulaireAttestation(core_->appli_vitale));
        image_pdf->setFocus();
    } else if (shown == tab_launch)
        cadre_suivi->setFocus(); // read aloud; Enter and Escape there lead home after a run
    else if (shown != nullptr && !shown->isAncestorOf(focusWidget())) {
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
    if (event->type() != QEvent::KeyPress)
        return QMainWindow::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    // A tool button answers Space only; the icons answer Enter as well.
    if (enter && (watched == action_vitale2 || watched == image_pdf)) {
        static_cast<QToolButton*>(watched)->click();
        return true;
    }
    if ((watched == tab_launch || watched == cadre_suivi) && (enter || key == Qt::Key_Escape)) {
        if (!core_->appli_run_en_cours)
            guarded([this] { btn_vitaleClick(); });
        return true;
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
