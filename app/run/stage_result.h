// What a stage's work gives back to the run. runStage alone records it: the continue flags,
// the row's icon and the follow-up labels are written in one place.
#pragma once

#include <QString>
#include <utility>

namespace kelvora
{

struct StageResult {
    enum class Outcome {
        Succeeded,
        Failed,
        // Returned without ending (a check already under way): the row stays in progress.
        Unfinished,
    };
    Outcome outcome = Outcome::Succeeded;
    // For a failure the user can act on at once: in place of the stage's failure text and of
    // the pointer to the log. Empty keeps those.
    QString suivi;
    QString suivi2;

    static StageResult succeeded() { return {}; }
    static StageResult failure(QString suivi = {}, QString suivi2 = {})
    {
        return {Outcome::Failed, std::move(suivi), std::move(suivi2)};
    }
    static StageResult unfinished() { return {Outcome::Unfinished, {}, {}}; }

    bool failed() const { return outcome == Outcome::Failed; }
    // Fails the stage, keeping labels a more precise cause has already set.
    void fail() { outcome = Outcome::Failed; }
};

} // namespace kelvora
