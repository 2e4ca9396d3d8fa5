#pragma once

#include "sendora/submission/CollectionPlan.h"

#include <QList>
#include <functional>

class WorkingFolder;

struct CollectionOutcome
{
    bool dayFileFound = false; // at least one day file existed: an archive is worth building
    int copied = 0;
    int failed = 0; // sources that existed but could not be copied
};

// Carries out a collection plan: copies every source that exists into the
// working folder, overwriting earlier copies. Missing sources are passed over.
class VerificationCollector
{
public:
    using Yield = std::function<void()>;

    // yieldToUi runs before and after every day, so the windows stay responsive.
    static CollectionOutcome collect(const QList<CollectionStep>& plan, const WorkingFolder& folder,
                                     const Yield& yieldToUi = {});
};
