#include "sendora/submission/VerificationCollector.h"

#include "sendora/submission/WorkingFolder.h"

#include <QFileInfo>

CollectionOutcome VerificationCollector::collect(const QList<CollectionStep>& plan,
                                                 const WorkingFolder& folder, const Yield& yieldToUi)
{
    const auto yield = [&yieldToUi] {
        if (yieldToUi)
            yieldToUi();
    };

    CollectionOutcome outcome;
    for (const CollectionStep& step : plan) {
        const bool dayFile = step.kind == CollectionStep::Kind::DayFile;
        if (dayFile)
            yield();
        if (QFileInfo(step.source).isFile()) {
            if (dayFile)
                outcome.dayFileFound = true;
            else
                yield();
            if (folder.copyInto(step.source, step.copyName))
                ++outcome.copied;
            else
                ++outcome.failed;
        }
        if (dayFile)
            yield();
    }
    return outcome;
}
