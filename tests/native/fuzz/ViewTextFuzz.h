#ifndef LARKSPUR_TESTS_VIEWTEXTFUZZ_H
#define LARKSPUR_TESTS_VIEWTEXTFUZZ_H

#include <string>

// Runs the views' text functions (link runs, addresses, bounded formatting,
// the compose counter) over one fuzz input and aborts when a result breaks
// what the panes rely on.
void CheckViewText(const std::string& input);

#endif
