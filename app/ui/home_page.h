// The home page: the card icon that starts a reading run and the PIN field. It is the page of
// the first frame, so it is built with the window.
#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QLineEdit;
class QToolButton;

class HomePage : public QWidget
{
    Q_OBJECT

public:
    explicit HomePage(QWidget* parent);

    void build();

    QString pin() const;
    // Empties the PIN field; it takes the focus if it is on the screen.
    void clearPin();
    // The PIN field takes the focus with its text selected.
    void focusPin();

    QToolButton* action_vitale2 = nullptr;
    QLabel* label_pin = nullptr;
    QLineEdit* pin_cps = nullptr;

signals:
    // A click on the card icon, Enter or Space on it, or Enter in the PIN field.
    void readAsked();
};
