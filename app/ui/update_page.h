// The update page: the check's outcome, the download button, the download's progress and the
// notice that the program will close for the installer. What the update service shows before
// the page is built is kept and shown once it is.
#pragma once

#include <QString>
#include <QWidget>
#include <optional>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace kelvora::ui
{
class SpokenStatus;
}

class UpdatePage : public QWidget
{
    Q_OBJECT

public:
    explicit UpdatePage(QWidget* parent);

    void build();

    void setMiseAJourTexte(const QString& text);
    void setTelechargementVisible(bool visible);
    void setProgression(bool visible, std::optional<int> percent = {});
    void setSuiviTelechargement(bool visible, std::optional<QString> text = {});

    QLabel* label_update1 = nullptr;
    QLabel* label_update2 = nullptr;
    // Holds label_update2; takes the focus when a check ends, so its text is read aloud.
    kelvora::ui::SpokenStatus* cadre_update = nullptr;
    QPushButton* btn_update_go = nullptr;
    QProgressBar* clProgressBarDC1 = nullptr;
    QLineEdit* txt_suivi_download = nullptr;
    QLabel* label_update_notice = nullptr;

private:
    struct State {
        QString texte = QStringLiteral("Contrôle en cours...");
        bool telechargement = false;
        bool progression = false;
        int percent = 0;
        bool suiviVisible = false;
        QString suivi;
    };
    State state_;
};
