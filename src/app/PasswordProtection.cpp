#include "PasswordProtection.h"

#include <windows.h>
#include <wincrypt.h>

#include <cstring>
#include <vector>

const char protectedPasswordPrefix[] = "dpapi:";

namespace {

const int prefixLength = sizeof protectedPasswordPrefix - 1;

// Mixed into every protection: data another program of the same user
// protects without it does not open as our password, nor ours as its data.
const char passwordEntropy[] = "Larkspur ACCOUNT/PASS";

DATA_BLOB EntropyBlob()
{
    DATA_BLOB blob;
    blob.cbData = sizeof passwordEntropy - 1;
    blob.pbData = reinterpret_cast<BYTE*>(const_cast<char*>(passwordEntropy));
    return blob;
}

const DWORD base64Flags = CRYPT_STRING_BASE64 | CRYPT_STRING_NOCRLF;

} // namespace

bool IsProtectedPassword(const char* stored)
{
    return std::strncmp(stored, protectedPasswordPrefix, prefixLength) == 0;
}

bool ProtectPassword(const char* password, std::string& stored)
{
    stored.clear();
    const size_t length = std::strlen(password);
    if (length == 0)
        return true;
    DATA_BLOB plain;
    plain.cbData = static_cast<DWORD>(length);
    plain.pbData = reinterpret_cast<BYTE*>(const_cast<char*>(password));
    DATA_BLOB entropy = EntropyBlob();
    DATA_BLOB sealed = {};
    // No prompt: the program protects and opens the value on its own, at
    // every save and every start.
    if (!::CryptProtectData(&plain, nullptr, &entropy, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &sealed))
        return false;
    DWORD textSize = 0;
    std::string text;
    if (::CryptBinaryToStringA(sealed.pbData, sealed.cbData, base64Flags, nullptr, &textSize) && textSize > 0) {
        text.assign(textSize, '\0');
        if (!::CryptBinaryToStringA(sealed.pbData, sealed.cbData, base64Flags, &text[0], &textSize))
            textSize = 0;
        text.resize(textSize);
    }
    ::LocalFree(sealed.pbData);
    // A text the read could not take whole would never open again.
    if (text.empty() || prefixLength + text.size() >= static_cast<size_t>(storedPasswordSize))
        return false;
    stored = protectedPasswordPrefix + text;
    return true;
}

bool UnprotectPassword(const char* stored, char* password, int size)
{
    password[0] = 0;
    if (!IsProtectedPassword(stored))
        return false;
    const char* text = stored + prefixLength;
    DWORD blobSize = 0;
    if (!::CryptStringToBinaryA(text, 0, CRYPT_STRING_BASE64, nullptr, &blobSize, nullptr, nullptr) || blobSize == 0)
        return false;
    std::vector<BYTE> blob(blobSize);
    if (!::CryptStringToBinaryA(text, 0, CRYPT_STRING_BASE64, blob.data(), &blobSize, nullptr, nullptr))
        return false;
    DATA_BLOB sealed;
    sealed.cbData = blobSize;
    sealed.pbData = blob.data();
    DATA_BLOB entropy = EntropyBlob();
    DATA_BLOB plain = {};
    if (!::CryptUnprotectData(&sealed, nullptr, &entropy, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &plain))
        return false;
    // What we protected is a text of at most size - 1 bytes without a NUL;
    // anything else is no password of ours.
    const bool fits = plain.cbData < static_cast<DWORD>(size)
                      && (plain.cbData == 0 || std::memchr(plain.pbData, 0, plain.cbData) == nullptr);
    if (fits) {
        std::memcpy(password, plain.pbData, plain.cbData);
        password[plain.cbData] = 0;
    }
    ::SecureZeroMemory(plain.pbData, plain.cbData);
    ::LocalFree(plain.pbData);
    return fits;
}
