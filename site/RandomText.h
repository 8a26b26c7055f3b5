#ifndef LARKSPUR_SITE_RANDOMTEXT_H
#define LARKSPUR_SITE_RANDOMTEXT_H

#include <cstddef>
#include <string>

namespace site {

// `length` characters drawn from [A-Za-z0-9] by the system's secure random
// source (session ids and anti-forgery tokens must not be guessable).
std::string RandomAlphanumeric(std::size_t length);

}  // namespace site

#endif
