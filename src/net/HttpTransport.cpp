#include "HttpTransport.h"

#include "WebAddress.h"

#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <string>

namespace {

const char formHeader[] = "Content-Type: application/x-www-form-urlencoded";
// Redirects are followed here, not by the platform: Wine's own following has
// no limit, so a redirect loop would hold a request for ever.
const DWORD requestFlags =
    INTERNET_FLAG_RELOAD | INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_AUTO_REDIRECT;
const int maxRedirects = 20;
// The longest single wait of a GET (connect, send, each read); a POST's
// single waits are bounded by its deadline alone.
const DWORD getWaitMs = 5000;
const long long pictureLimit = 1024 * 1024;
const DWORD readChunk = 10240;

struct SplitUrl {
    char scheme[256];
    char host[256];
    char user[256];
    char password[256];
    char path[1024];
    char extra[1024];
    INTERNET_PORT port;
    INTERNET_SCHEME schemeNumber;
    CString target; // the request target sent on the request line
};

// Splits url with the platform, then takes the request target from the URL
// text itself (from the first '/' after the host name to the end, escapes as
// written), falling back to the split path and query.
bool Split(const char* url, SplitUrl& split)
{
    URL_COMPONENTSA parts = {};
    parts.dwStructSize = sizeof parts;
    parts.lpszScheme = split.scheme;
    parts.dwSchemeLength = sizeof split.scheme;
    parts.lpszHostName = split.host;
    parts.dwHostNameLength = sizeof split.host;
    parts.lpszUserName = split.user;
    parts.dwUserNameLength = sizeof split.user;
    parts.lpszPassword = split.password;
    parts.dwPasswordLength = sizeof split.password;
    parts.lpszUrlPath = split.path;
    parts.dwUrlPathLength = sizeof split.path;
    parts.lpszExtraInfo = split.extra;
    parts.dwExtraInfoLength = sizeof split.extra;
    if (!InternetCrackUrlA(url, static_cast<DWORD>(std::strlen(url)), ICU_ESCAPE, &parts))
        return false;
    split.port = parts.nPort;
    split.schemeNumber = parts.nScheme;

    const CString address(url);
    const int host = address.Find(split.host);
    const int slash = host < 0 ? -1 : address.Find("/", host);
    if (slash >= 0) {
        split.target = address.Mid(slash);
    } else {
        split.target = split.path;
        split.target += split.extra;
    }
    return true;
}

// What one exchange asks for.
struct ExchangeRequest {
    const char* verb;
    const char* body;      // the form of a POST; null for a GET
    const char* agent;
    DWORD deadlineMs;      // from the first connect to the last byte
    DWORD waitMs;          // the longest single wait
    long long maxBytes;    // more is a failure
    bool bodyOnlyFor200;   // a GET reads the body of a "200" answer only
};

// Why asynchronous handles. A blocking WinINet call can be ended from another
// thread by closing its handle on Windows, but not under Wine: a call blocked
// in a read keeps its handle until the read's own time-out (measured: a close
// after 2 s left the call blocked for its full 30 s), and a host that sends
// one byte inside every time-out holds it for ever. On an asynchronous
// session every call that would block returns at once and completes on the
// platform's own thread; the exchange waits for it only as long as its
// deadline allows, then closes its handles and returns. A call still pending
// then ends by itself (at once on Windows, at its next time-out under Wine),
// and everything it may still write to (the read buffer, the count, the form
// it sends) lives here, in the exchange's state, which goes with the last
// handle that refers to it.
class ExchangeState {
public:
    static ExchangeState* Make(const char* body)
    {
        ExchangeState* const state = new (std::nothrow) ExchangeState;
        if (state == nullptr)
            return nullptr;
        state->completed = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
        try {
            if (body != nullptr)
                state->body = body;
        } catch (const std::bad_alloc&) {
            state->Release();
            return nullptr;
        }
        if (state->completed == nullptr) {
            state->Release();
            return nullptr;
        }
        return state;
    }

    // One reference for the exchange itself, one for each handle made with
    // this state as its context, given back when the handle closes.
    void HandleMade() { references.fetch_add(1); }
    void Release()
    {
        if (references.fetch_sub(1) != 1)
            return;
        if (completed != nullptr)
            ::CloseHandle(completed);
        delete this;
    }

    // Runs call; when it pends, waits until it completes or the deadline
    // (a tick count) passes. True when the call succeeded in time.
    template <class Call>
    bool Await(Call call, ULONGLONG deadline)
    {
        ::ResetEvent(completed);
        if (call())
            return true;
        if (::GetLastError() != ERROR_IO_PENDING)
            return false;
        const ULONGLONG now = ::GetTickCount64();
        return now < deadline && ::WaitForSingleObject(completed, static_cast<DWORD>(deadline - now)) == WAIT_OBJECT_0
               && succeeded.load();
    }

    static void CALLBACK Callback(HINTERNET, DWORD_PTR context, DWORD status, LPVOID information, DWORD)
    {
        ExchangeState* const state = reinterpret_cast<ExchangeState*>(context);
        if (state == nullptr)
            return;
        if (status == INTERNET_STATUS_REQUEST_COMPLETE) {
            state->succeeded.store(static_cast<const INTERNET_ASYNC_RESULT*>(information)->dwResult != 0);
            ::SetEvent(state->completed);
        } else if (status == INTERNET_STATUS_HANDLE_CLOSING) {
            state->Release();
        }
    }

    std::string body;
    char buffer[readChunk];
    DWORD read = 0;
    DWORD available = 0;

private:
    ExchangeState() = default;
    ~ExchangeState() = default;

    HANDLE completed = nullptr;
    std::atomic<int> references{1};
    std::atomic<bool> succeeded{false};
};

using BodySink = std::function<bool(const char* bytes, DWORD count)>;

// One request and its redirects, under one deadline, through one set of
// handles closed in reverse order at one exit.
class Exchange {
public:
    explicit Exchange(const ExchangeRequest& request)
        : request(request), deadline(::GetTickCount64() + request.deadlineMs), state(ExchangeState::Make(request.body))
    {
    }
    Exchange(const Exchange&) = delete;
    Exchange& operator=(const Exchange&) = delete;
    ~Exchange()
    {
        CloseRequest();
        if (session != nullptr)
            InternetCloseHandle(session);
        if (state != nullptr)
            state->Release();
    }

    // Sends the request to the split address, follows redirects (301, 302
    // and 303 turn a POST into a GET, as browsers do; at most maxRedirects),
    // reads the final answer's body into sink and returns its status; 0 when
    // anything failed, the deadline passed or the body ended early.
    int Run(SplitUrl& split, const char* url, const BodySink& sink)
    {
        if (state == nullptr || !OpenSession())
            return 0;
        const char* verb = request.verb;
        bool withBody = request.body != nullptr;
        CString address(url);
        for (int redirects = 0;; ++redirects) {
            if (!Send(split, verb, withBody))
                return 0;
            const int status = Status();
            const bool redirect = status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
            CString next;
            if (!redirect || redirects == maxRedirects || !Location(address, next) || !Split(next, split))
                return ReadAnswer(status, sink) ? status : 0;
            address = next;
            if (status != 307 && status != 308) {
                verb = "GET";
                withBody = false;
            }
            CloseRequest();
        }
    }

private:
    bool OpenSession()
    {
        session = InternetOpenA(request.agent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, INTERNET_FLAG_ASYNC);
        if (session == nullptr)
            return false;
        InternetSetStatusCallbackA(session, ExchangeState::Callback);
        return true;
    }

    DWORD Remaining() const
    {
        const ULONGLONG now = ::GetTickCount64();
        return now < deadline ? static_cast<DWORD>(deadline - now) : 0;
    }

    // The platform's own limits of each wait, cut to the time left, so that a
    // call left pending past the deadline does not linger long.
    void LimitWaits()
    {
        DWORD wait = Remaining();
        if (wait > request.waitMs)
            wait = request.waitMs;
        if (wait == 0)
            wait = 1;
        for (const DWORD option :
             {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
            InternetSetOptionA(handle, option, &wait, sizeof wait);
    }

    // Connection and request for one hop, secure for an https address, then
    // the request itself with its form.
    bool Send(const SplitUrl& split, const char* verb, bool withBody)
    {
        const DWORD_PTR context = reinterpret_cast<DWORD_PTR>(state);
        connection = InternetConnectA(session, split.host, split.port, split.user, split.password,
                                      INTERNET_SERVICE_HTTP, 0, context);
        if (connection == nullptr)
            return false;
        state->HandleMade();
        const bool secure = split.schemeNumber == INTERNET_SCHEME_HTTPS;
        // A secure form names the site it comes from, as a browser's does.
        const char* referrer = secure && withBody ? WebBaseAddress() : nullptr;
        handle = HttpOpenRequestA(connection, verb, split.target, nullptr, referrer, nullptr,
                                  requestFlags | (secure ? INTERNET_FLAG_SECURE : 0), context);
        if (handle == nullptr)
            return false;
        state->HandleMade();
        LimitWaits();
        const char* headers = withBody ? formHeader : nullptr;
        const DWORD headersLength = withBody ? static_cast<DWORD>(std::strlen(formHeader)) : 0;
        void* const form = withBody ? const_cast<char*>(state->body.data()) : nullptr;
        const DWORD formLength = withBody ? static_cast<DWORD>(state->body.size()) : 0;
        return state->Await([&] { return HttpSendRequestA(handle, headers, headersLength, form, formLength); },
                            deadline);
    }

    int Status() const
    {
        DWORD status = 0;
        DWORD length = sizeof status;
        if (!HttpQueryInfoA(handle, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &length, nullptr))
            return 0;
        return static_cast<int>(status);
    }

    // The announced body length, or -1 when the answer gave none.
    long long ContentLength() const
    {
        char text[32];
        DWORD length = sizeof text - 1;
        if (!HttpQueryInfoA(handle, HTTP_QUERY_CONTENT_LENGTH, text, &length, nullptr))
            return -1;
        text[length < sizeof text ? length : sizeof text - 1] = 0;
        return std::strtoll(text, nullptr, 10);
    }

    // The redirect's target made absolute against the address asked for.
    bool Location(const CString& base, CString& target) const
    {
        char location[2048];
        DWORD length = sizeof location - 1;
        if (!HttpQueryInfoA(handle, HTTP_QUERY_LOCATION, location, &length, nullptr))
            return false;
        location[length < sizeof location ? length : sizeof location - 1] = 0;
        DWORD size = 4096;
        char* combined = target.GetBuffer(static_cast<int>(size));
        if (combined == nullptr || !InternetCombineUrlA(base, location, combined, &size, ICU_NO_ENCODE)) {
            target.ReleaseBuffer(0);
            return false;
        }
        target.ReleaseBuffer(static_cast<int>(size));
        return true;
    }

    // The body of the final answer, the one reader of every request: true
    // when it arrived whole (or is not read: a GET answered other than 200).
    // Only what has arrived is asked for, so no read waits to fill its buffer.
    bool ReadAnswer(int status, const BodySink& sink)
    {
        if (status == 0)
            return false;
        if (request.bodyOnlyFor200 && status != 200)
            return true;
        const long long announced = ContentLength();
        if (announced > request.maxBytes)
            return false;
        long long received = 0;
        for (;;) {
            LimitWaits();
            ExchangeState& s = *state;
            if (!s.Await([&] { return InternetQueryDataAvailable(handle, &s.available, 0, 0); }, deadline))
                return false;
            // A query that pended tells its count once asked again.
            if (s.available == 0 && !InternetQueryDataAvailable(handle, &s.available, 0, 0))
                return false;
            if (s.available == 0)
                break;
            const DWORD wanted = s.available < sizeof s.buffer ? s.available : sizeof s.buffer;
            s.read = 0;
            if (!s.Await([&] { return InternetReadFile(handle, s.buffer, wanted, &s.read); }, deadline))
                return false;
            if (s.read == 0)
                break;
            received += s.read;
            if (received > request.maxBytes || !sink(s.buffer, s.read))
                return false;
        }
        // Wine reads a body the server cut short as a normal end; the
        // announced length tells a broken transfer from a whole one.
        return Remaining() > 0 && (announced < 0 || received == announced);
    }

    void CloseRequest()
    {
        if (handle != nullptr)
            InternetCloseHandle(handle);
        if (connection != nullptr)
            InternetCloseHandle(connection);
        handle = nullptr;
        connection = nullptr;
    }

    const ExchangeRequest request;
    const ULONGLONG deadline;
    ExchangeState* const state;
    HINTERNET session = nullptr;
    HINTERNET connection = nullptr;
    HINTERNET handle = nullptr;
};

// Runs one exchange for url; false (nothing sent) when the URL cannot be split.
bool RunExchange(const char* url, const ExchangeRequest& request, const BodySink& sink, int& status)
{
    SplitUrl split;
    if (!Split(url, split))
        return false;
    Exchange exchange(request);
    status = exchange.Run(split, url, sink);
    return true;
}

// A body read as text: each piece counts up to its first NUL byte. The
// thread gives up the rest of its time slice before each piece.
BodySink TextSink(CString& text)
{
    return [&text](const char* bytes, DWORD count) {
        ::Sleep(0);
        text.Append(bytes, static_cast<int>(strnlen(bytes, count)));
        return true;
    };
}

} // namespace

int GetToFile(const char* url, const char* path, unsigned long deadlineMs)
{
    const ExchangeRequest request = {"GET", nullptr, "Vemo Download Tool",
                                     deadlineMs < pictureDeadlineMs ? deadlineMs : pictureDeadlineMs,
                                     getWaitMs, pictureLimit, true};
    std::string body;
    int status = 0;
    const bool made = RunExchange(url, request,
                                  [&body](const char* bytes, DWORD count) {
                                      try {
                                          body.append(bytes, count);
                                      } catch (const std::bad_alloc&) {
                                          return false;
                                      }
                                      return true;
                                  },
                                  status);
    if (!made || status != 200)
        return 0;
    // Written only once the whole body is here: a failure leaves no part of
    // a file behind, and one that cannot be written is removed.
    FILE* const file = std::fopen(path, "wb");
    if (file == nullptr)
        return 0;
    const bool written = std::fwrite(body.data(), 1, body.size(), file) == body.size();
    if (std::fclose(file) != 0 || !written) {
        ::DeleteFileA(path);
        return 0;
    }
    return 1;
}

int GetToString(const char* url, CString& text)
{
    const ExchangeRequest request = {"GET", nullptr, nullptr, pageDeadlineMs, getWaitMs, LLONG_MAX, true};
    CString body;
    int status = 0;
    if (!RunExchange(url, request, TextSink(body), status))
        return 0;
    text = status == 200 ? body : CString();
    return status;
}

bool PostForm(const char* url, const char* body, CString& text, int* status)
{
    if (status != nullptr)
        *status = 0;
    const ExchangeRequest request = {"POST", body, nullptr, formDeadlineMs, formDeadlineMs, LLONG_MAX, false};
    CString answer;
    int answered = 0;
    if (!RunExchange(url, request, TextSink(answer), answered))
        return false;
    text = answered != 0 ? answer : CString();
    if (status != nullptr)
        *status = answered;
    return true;
}
