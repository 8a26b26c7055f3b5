#ifndef LARKSPUR_TESTS_NATIVE_BENCH_MUTEBENCH_H
#define LARKSPUR_TESTS_NATIVE_BENCH_MUTEBENCH_H

#include "TimelineStore.h"

#include <string>

// Prints the figures for muting the statuses of store (filled by the find
// benchmark; contiguous holds their bytes in row order): a list of 50 words
// and 5 authors applied to the whole view beside one plain pass over the
// same records, and the decision for a page of arrivals. Adds that page.
void ReportMute(TimelineStore& store, const std::string& contiguous);

#endif
