#ifndef LARKSPUR_TESTS_FINDFUZZ_H
#define LARKSPUR_TESTS_FINDFUZZ_H

#include <string>

// Aborts when the timeline find's answer for one fuzz input (a pattern, a
// status text, two names) differs from a plain character-by-character search,
// or when muting by the pattern's text decides the status otherwise.
void CheckFind(const std::string& input);

#endif
