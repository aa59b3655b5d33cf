#pragma once
// The page's view of a run's progress: the cells done go to a JavaScript
// callback, whose true asks the run to stop after its current cell.

#include <functional>

#include "kesp/engine/progressObserver.h"
#include "kesp/support/stopFlag.h"

namespace kesp::web {

// Called with the cells done so far; true asks the run to stop after its
// current cell.
using CellProgress = std::function<bool(int cellsDone)>;

class PageProgress final : public ProgressObserver {
public:
    PageProgress(const CellProgress& progress, StopFlag& stop) : progress_(progress), stop_(stop) {}
    void tableStarted(ProgressTable) override {}
    void progressed(const ProgressUpdate& update) override
    {
        if (progress_ && progress_(update.cellsDone)) {
            stop_.store(true);
        }
    }

private:
    const CellProgress& progress_;
    StopFlag& stop_;
};

}  // namespace kesp::web
