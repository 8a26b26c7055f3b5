#ifndef LARKSPUR_TESTS_FINDFUZZ_H
#define LARKSPUR_TESTS_FINDFUZZ_H

#include <string>

// Aborts when the timeline find's answer for one fuzz input (a pattern, a
// status text, two names) differs from a plain character-by-character search.
void CheckFind(const std::string& input);

#endif
