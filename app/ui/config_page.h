// The reader-management page: one sub-page per card (Vitale, CPS) with the reader the card
// library uses, the reader to force, the usual readers and the readers connected now.
#pragma once

#include <QWidget>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace kelvora::reader
{
struct LecteursConfigures;
struct LecteursBranches;
} // namespace kelvora::reader

class ConfigPage : public QWidget
{
    Q_OBJECT

public:
    explicit ConfigPage(QWidget* parent);

    void build();
    // The page opens on the Vitale sub-page, then shows the configured readers and those
    // connected now, each as soon as it is known.
    void showVitaleSubPage();
    void showConfigured(const kelvora::reader::LecteursConfigures& lus);
    void showConnected(const kelvora::reader::LecteursBranches& branches);

    QTabWidget* PageControl_config = nullptr;
    QWidget* tab_config_2 = nullptr;
    QWidget* tab_config_3 = nullptr;
    QLineEdit* Edit_gestion_1 = nullptr;
    QLineEdit* edit_gestion_2 = nullptr;
    QPlainTextEdit* memo_gestion_3 = nullptr;
    QPushButton* btn_gestion_4 = nullptr;
    QLineEdit* edit_gestion_1b = nullptr;
    QLineEdit* edit_gestion_2b = nullptr;
    QPlainTextEdit* Memo2 = nullptr;
    QPushButton* btn_gestion_4b = nullptr;
    // The readers the library reports as connected when the page opens; picking one fills the
    // sub-page's field.
    QComboBox* combo_branches = nullptr;
    QComboBox* combo_branches_b = nullptr;
};
