#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <vector>

// Adds a PEM certificate to the Root store of the current Wine prefix, so
// that TLS to the test simulator is checked against the run's own CA.
int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: add_root_cert CA.crt\n");
        return 2;
    }
    FILE* file = std::fopen(argv[1], "rb");
    if (file == nullptr) {
        std::fprintf(stderr, "add_root_cert: cannot open %s\n", argv[1]);
        return 1;
    }
    std::vector<char> pem;
    char chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        pem.insert(pem.end(), chunk, chunk + got);
    std::fclose(file);
    pem.push_back(0);

    DWORD size = 0;
    if (!CryptStringToBinaryA(pem.data(), 0, CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr, nullptr)) {
        std::fprintf(stderr, "add_root_cert: %s is not a PEM certificate\n", argv[1]);
        return 1;
    }
    std::vector<BYTE> der(size);
    CryptStringToBinaryA(pem.data(), 0, CRYPT_STRING_BASE64HEADER, der.data(), &size, nullptr, nullptr);
    if (!CertAddEncodedCertificateToSystemStoreA("Root", der.data(), size)) {
        std::fprintf(stderr, "add_root_cert: the Root store refused the certificate (%lu)\n", GetLastError());
        return 1;
    }
    std::printf("add_root_cert: added %s\n", argv[1]);
    return 0;
}
