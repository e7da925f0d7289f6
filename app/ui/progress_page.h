// The progress page: the two follow-up labels, one row per stage with its icon, and the legend.
// What the run core shows before the page is built is kept and shown once it is.
#pragma once

#include "run/etat_rows.h"

#include <QPixmap>
#include <QString>
#include <QWidget>
#include <array>
#include <optional>

class QLabel;

namespace kelvora::ui
{
class SpokenStatus;
}

class ProgressPage : public QWidget
{
    Q_OBJECT

public:
    explicit ProgressPage(QWidget* parent);

    // Builds the widgets; `etats` is each row's icon as the run core records it now.
    void build(const std::array<int, kEtatRowCount>& etats);

    void showEtat(EtatRow row, int icon);
    void setSuivi(const QString& text, std::optional<quint32> color = {});
    void setSuivi2(const QString& text, std::optional<quint32> color = {});

    QLabel* label_suivi = nullptr;
    QLabel* label_suivi2 = nullptr;
    // Both follow-up labels; takes the focus when a run ends, so their message is read aloud.
    kelvora::ui::SpokenStatus* cadre_suivi = nullptr;
    std::array<QLabel*, kEtatRowCount> image_etat_rows{};
    std::array<QLabel*, kEtatRowCount> label_etat_rows{};

signals:
    // Enter or Escape on the page or its labels: the window leads home unless a run goes on.
    void leaveAsked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The five state icons, drawn once: an icon made anew for every change would add its
    // drawing to Qt's pixmap cache at every reading.
    std::array<QPixmap, 5> etatPixmaps_;
    struct Suivi {
        QString text;
        std::optional<quint32> color;
    };
    std::array<Suivi, 2> suivi_;
};
