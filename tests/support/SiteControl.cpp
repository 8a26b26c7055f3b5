#include "SiteControl.h"

#include "WebAddress.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdlib>
#include <cstring>

namespace SiteControl {

namespace {

// One HTTP/1.0 exchange; the server closes the connection after answering.
int Exchange(const std::string& request, std::string* body)
{
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET)
        return 0;
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(Port()));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    DWORD timeout = 30000;
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    int status = 0;
    if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        size_t sent = 0;
        while (sent < request.size()) {
            const int n = send(s, request.data() + sent, static_cast<int>(request.size() - sent), 0);
            if (n <= 0)
                break;
            sent += static_cast<size_t>(n);
        }
        std::string answer;
        char chunk[16384];
        int n;
        while ((n = recv(s, chunk, sizeof chunk, 0)) > 0)
            answer.append(chunk, static_cast<size_t>(n));
        const size_t space = answer.find(' ');
        if (answer.compare(0, 5, "HTTP/") == 0 && space != std::string::npos)
            status = std::atoi(answer.c_str() + space + 1);
        const size_t end = answer.find("\r\n\r\n");
        if (body != nullptr)
            *body = end == std::string::npos ? std::string() : answer.substr(end + 4);
    }
    closesocket(s);
    return status;
}

} // namespace

std::string Host()
{
    const std::string base = WebBaseAddress(); // "SCHEME://HOST/"
    const size_t start = base.find("://") + 3;
    return base.substr(start, base.size() - start - 1);
}

std::string Scheme()
{
    const std::string base = WebBaseAddress();
    return base.substr(0, base.find("://"));
}

int Port()
{
    const std::string host = Host();
    const size_t colon = host.rfind(':');
    return colon == std::string::npos ? 80 : std::atoi(host.c_str() + colon + 1);
}

std::string Encode(const std::string& value)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : value) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '*' || c == '-'
            || c == '.' || c == '_') {
            out += static_cast<char>(c);
        } else if (c == ' ') {
            out += '+';
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

bool Post(const std::string& verb, const std::string& form, std::string* answer)
{
    const std::string request = "POST /__control/" + verb + " HTTP/1.0\r\nHost: " + Host()
        + "\r\nContent-Type: application/x-www-form-urlencoded\r\nContent-Length: " + std::to_string(form.size())
        + "\r\n\r\n" + form;
    return Exchange(request, answer) == 200;
}

int Get(const std::string& target, std::string* body)
{
    return Exchange("GET " + target + " HTTP/1.0\r\nHost: " + Host() + "\r\n\r\n", body);
}

bool Reset()
{
    return Post("reset");
}

std::string Log()
{
    std::string body;
    Get("/__control/log", &body);
    return body;
}

std::string Last(const std::string& what)
{
    std::string body;
    return Get("/__control/last?what=" + what, &body) == 200 ? body : std::string();
}

bool Route(const std::string& form)
{
    return Post("route", form);
}

int CountInLog(const std::string& fragment)
{
    const std::string log = Log();
    int count = 0;
    size_t start = 0;
    while (start < log.size()) {
        size_t end = log.find('\n', start);
        if (end == std::string::npos)
            end = log.size();
        if (log.compare(start, end - start, fragment) == 0 || log.substr(start, end - start).find(fragment) != std::string::npos)
            ++count;
        start = end + 1;
    }
    return count;
}

} // namespace SiteControl
