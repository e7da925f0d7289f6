// The window's reading as the practitioner starts it: the PIN typed, then the reading's button.
#pragma once

#include "support/app_fixture.h"

#include <QLineEdit>

namespace kelvora::testing
{

class ReadingRun : public AppFixture
{
protected:
    void run(const QString& pin = QStringLiteral("1234"))
    {
        window->tab_carte->pin_cps->setText(pin);
        window->action_vitale2Click();
    }
};

} // namespace kelvora::testing
