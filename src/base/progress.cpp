// Progress of a multi-stage operation: the stages announced and finished, and the scaled
// percentage handed to the front end.
#include "vxconfig/messages.h"

// Stages announced and finished so far; until ICResetProgress, a second operation in the same
// process adds its stages to those of the first.
static int s_nTotalStage = 0;
static int s_nCurStage = 0;

void ICShowProgress(int percent) {
    if (!pfnProgress)
        return;
    if (percent > 100)
        percent = 100;
    if (s_nTotalStage > 0) {
        int step = 100 / s_nTotalStage;
        percent = s_nCurStage * step + (percent * step) / 100;
    }
    pfnProgress(percent);
}

void ICAddStage(int count) {
    s_nTotalStage += count;
}

void ICIncCurStage() {
    if (s_nCurStage < s_nTotalStage)
        ++s_nCurStage;
}

void ICResetProgress() {
    s_nTotalStage = 0;
    s_nCurStage = 0;
}
