#ifndef LARKSPUR_TESTS_FINDFUZZ_H
#define LARKSPUR_TESTS_FINDFUZZ_H

#include <string>

// Runs the timeline find over one fuzz input (a pattern, a status text and
// two names) and aborts when its answer differs from a plain character-by-
// character search of the shown text and names.
void CheckFind(const std::string& input);

#endif
