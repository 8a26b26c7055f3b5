#include "RandomText.h"

#include <openssl/rand.h>

#include <random>
#include <vector>

namespace site {

std::string RandomAlphanumeric(std::size_t length)
{
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    const unsigned alphabetSize = sizeof alphabet - 1;
    std::string text;
    text.reserve(length);
    std::vector<unsigned char> bytes(length * 2 + 16);
    while (text.size() < length) {
        if (RAND_bytes(bytes.data(), static_cast<int>(bytes.size())) != 1) {
            // The OpenSSL pool failing is next to impossible; the system source still serves.
            std::random_device device;
            for (unsigned char& byte : bytes) byte = static_cast<unsigned char>(device());
        }
        for (unsigned char byte : bytes) {
            // Rejection keeps the characters uniform: 248 = 4 * 62.
            if (byte < 248 && text.size() < length) text += alphabet[byte % alphabetSize];
        }
    }
    return text;
}

}  // namespace site
