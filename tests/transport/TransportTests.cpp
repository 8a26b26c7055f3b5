#include "HttpTransport.h"
#include "SiteControl.h"
#include "WebAddress.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string Url(const std::string& path)
{
    return std::string(WebBaseAddress()) + path.substr(1);
}

std::string SecureUrl(const std::string& path)
{
    return "https://" + SiteControl::Host() + path;
}

// The simulator's generated body: byte i is alphabet[i % 62].
std::string Pattern(size_t size)
{
    static const char alphabet[] = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::string body(size, ' ');
    for (size_t i = 0; i < size; ++i)
        body[i] = alphabet[i % 62];
    return body;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

std::string TempPath(const char* name)
{
    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    return std::string(folder) + name;
}

// The value of one "key: value" line of an echo answer.
std::string EchoField(const std::string& echo, const std::string& key)
{
    const std::string prefix = key + ": ";
    size_t start = 0;
    while (start < echo.size()) {
        size_t end = echo.find('\n', start);
        if (end == std::string::npos)
            end = echo.size();
        if (echo.compare(start, prefix.size(), prefix) == 0)
            return echo.substr(start + prefix.size(), end - start - prefix.size());
        if (echo.compare(start, end - start, "body:") == 0)
            break;
        start = end + 1;
    }
    return std::string();
}

std::string EchoBody(const std::string& echo)
{
    const size_t body = echo.find("\nbody:\n");
    return body == std::string::npos ? std::string() : echo.substr(body + 7);
}

bool HasHeader(const std::string& echo, const std::string& header)
{
    return echo.find("\nheader: " + header + "\n") != std::string::npos;
}

class Transport : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SiteControl::Reset()) << "the simulator does not answer"; }
};

TEST_F(Transport, BodiesArriveByteExactAcrossChunks)
{
    // Sizes on and around every chunk size the three operations use.
    for (size_t size : {1u, 1023u, 1024u, 1025u, 5120u, 5121u, 10240u, 10241u, 3u * 10240u + 7u, 200000u}) {
        SCOPED_TRACE(size);
        ASSERT_TRUE(SiteControl::Route("path=/t/big&size=" + std::to_string(size)));
        const std::string expected = Pattern(size);

        CString text("previous");
        EXPECT_EQ(200, GetToString(Url("/t/big").c_str(), text));
        EXPECT_EQ(expected, std::string(text, text.GetLength()));

        CString posted;
        EXPECT_TRUE(PostForm(Url("/t/big").c_str(), "x=1", posted));
        EXPECT_EQ(expected, std::string(posted, posted.GetLength()));

        const std::string file = TempPath("larkspur-transport-big.bin");
        EXPECT_NE(0, GetToFile(Url("/t/big").c_str(), file.c_str()));
        EXPECT_EQ(expected, ReadFile(file));
        DeleteFileA(file.c_str());
    }
}

TEST_F(Transport, FailedStatusGivesCodeAndNoBody)
{
    ASSERT_TRUE(SiteControl::Route("path=/t/missing&status=404&body=gone"));
    CString text("previous");
    EXPECT_EQ(404, GetToString(Url("/t/missing").c_str(), text));
    EXPECT_TRUE(text.IsEmpty());

    // An existing file is left as it was, and the download reports failure.
    const std::string file = TempPath("larkspur-transport-keep.bin");
    { std::ofstream(file, std::ios::binary) << "kept"; }
    EXPECT_EQ(0, GetToFile(Url("/t/missing").c_str(), file.c_str()));
    EXPECT_EQ("kept", ReadFile(file));
    DeleteFileA(file.c_str());

    // No file is created either.
    const std::string absent = TempPath("larkspur-transport-absent.bin");
    DeleteFileA(absent.c_str());
    EXPECT_EQ(0, GetToFile(Url("/t/missing").c_str(), absent.c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(absent.c_str()));

    // A POST reads error pages like any other answer.
    CString posted;
    EXPECT_TRUE(PostForm(Url("/t/missing").c_str(), "", posted));
    EXPECT_STREQ("gone", posted);
}

TEST_F(Transport, UnsplittableUrlFailsWithoutNetworkAndKeepsOutput)
{
    const std::string before = SiteControl::Log();
    for (const char* url : {"no scheme at all", "", "nothing/at/all?x=1"}) {
        SCOPED_TRACE(url);
        CString text("previous");
        EXPECT_EQ(0, GetToString(url, text));
        EXPECT_STREQ("previous", text);
        EXPECT_FALSE(PostForm(url, "a=b", text));
        EXPECT_STREQ("previous", text);
        EXPECT_EQ(0, GetToFile(url, TempPath("larkspur-transport-none.bin").c_str()));
    }
    EXPECT_EQ(before, SiteControl::Log());
}

TEST_F(Transport, FileThatCannotBeOpenedIsAFailedDownload)
{
    ASSERT_TRUE(SiteControl::Route("path=/t/small&body=abc"));
    const std::string folder = TempPath("larkspur-no-such-folder\\file.bin");
    EXPECT_EQ(0, GetToFile(Url("/t/small").c_str(), folder.c_str()));
}

TEST_F(Transport, TargetIsTakenFromTheUrlText)
{
    // Percent escapes in the query reach the server exactly as written.
    const std::string target = "/__echo/q?a=%41%2f%2F&b=%E3%81%82+c&d=%zz";
    CString text;
    ASSERT_EQ(200, GetToString(Url(target).c_str(), text));
    EXPECT_EQ(target, EchoField(std::string(text), "target"));
    EXPECT_EQ("GET " + target + " HTTP/1.1", EchoField(std::string(text), "request-line"));

    // No '/' after the host: the split path and extra information are used.
    const std::string bare = "http://" + SiteControl::Host();
    EXPECT_EQ(200, GetToString(bare.c_str(), text));
    EXPECT_EQ(1, SiteControl::CountInLog("http GET / "));
}

TEST_F(Transport, SecurePostCarriesTheReferrerOverTls)
{
    CString text;
    ASSERT_TRUE(PostForm(SecureUrl("/__echo/login").c_str(), "a=1&b=%26+x", text));
    const std::string echo(text);
    EXPECT_EQ("https", EchoField(echo, "scheme"));
    EXPECT_EQ("POST /__echo/login HTTP/1.1", EchoField(echo, "request-line"));
    EXPECT_TRUE(HasHeader(echo, std::string("Referer: ") + WebBaseAddress())) << echo;
    EXPECT_TRUE(HasHeader(echo, "Content-Type: application/x-www-form-urlencoded")) << echo;
    EXPECT_EQ("a=1&b=%26+x", EchoBody(echo));

    ASSERT_TRUE(PostForm(("http://" + SiteControl::Host() + "/__echo/plain").c_str(), "q=", text));
    const std::string plain(text);
    EXPECT_EQ("http", EchoField(plain, "scheme"));
    EXPECT_EQ("POST /__echo/plain HTTP/1.1", EchoField(plain, "request-line"));
    EXPECT_EQ(std::string::npos, plain.find("Referer:"));
    EXPECT_EQ("q=", EchoBody(plain));
}

TEST_F(Transport, AgentStringsAndNoCaching)
{
    const std::string file = TempPath("larkspur-transport-agent.txt");
    ASSERT_NE(0, GetToFile(Url("/__echo/agent").c_str(), file.c_str()));
    EXPECT_TRUE(HasHeader(ReadFile(file), "User-Agent: Vemo Download Tool"));
    DeleteFileA(file.c_str());

    // Every call goes to the server, never to a cache.
    ASSERT_TRUE(SiteControl::Route("path=/t/same&body=one"));
    CString text;
    GetToString(Url("/t/same").c_str(), text);
    ASSERT_TRUE(SiteControl::Route("path=/t/same&body=two"));
    GetToString(Url("/t/same").c_str(), text);
    EXPECT_STREQ("two", text);
    EXPECT_EQ(2, SiteControl::CountInLog("GET /t/same "));
}

TEST_F(Transport, CookiesAreKeptAcrossCalls)
{
    ASSERT_TRUE(SiteControl::Route("path=/t/cookie&body=set&cookie=" + SiteControl::Encode("flavour=salt; Path=/")));
    CString text;
    ASSERT_EQ(200, GetToString(Url("/t/cookie").c_str(), text));
    ASSERT_TRUE(PostForm(Url("/__echo/after").c_str(), "", text));
    EXPECT_NE(std::string::npos, std::string(text).find("flavour=salt")) << text;
    // Over https to the same host too.
    ASSERT_TRUE(PostForm(SecureUrl("/__echo/after").c_str(), "", text));
    EXPECT_NE(std::string::npos, std::string(text).find("flavour=salt")) << text;

    // A cookie that comes with a redirect (as a sign-in's does) is kept and
    // already sent to the redirect's target.
    ASSERT_TRUE(SiteControl::Route("path=/t/signed&redirect=/__echo/landing&cookie=" + SiteControl::Encode("auth=yes; Path=/")));
    ASSERT_TRUE(PostForm(SecureUrl("/t/signed").c_str(), "a=1", text));
    EXPECT_EQ("/__echo/landing", EchoField(std::string(text), "target"));
    EXPECT_NE(std::string::npos, std::string(text).find("auth=yes")) << text;
    ASSERT_TRUE(PostForm(Url("/__echo/later").c_str(), "", text));
    EXPECT_NE(std::string::npos, std::string(text).find("auth=yes")) << text;
}

TEST_F(Transport, RedirectsAreFollowed)
{
    ASSERT_TRUE(SiteControl::Route("path=/t/first&redirect=" + SiteControl::Encode(Url("/t/second"))));
    ASSERT_TRUE(SiteControl::Route("path=/t/second&redirect=/__echo/final"));
    CString text;
    EXPECT_EQ(200, GetToString(Url("/t/first").c_str(), text));
    EXPECT_EQ("/__echo/final", EchoField(std::string(text), "target"));

    // A redirected POST arrives at the end as a GET.
    EXPECT_TRUE(PostForm(Url("/t/first").c_str(), "a=1", text));
    EXPECT_EQ("/__echo/final", EchoField(std::string(text), "target"));

    const std::string file = TempPath("larkspur-transport-redirect.txt");
    EXPECT_NE(0, GetToFile(Url("/t/first").c_str(), file.c_str()));
    EXPECT_EQ("/__echo/final", EchoField(ReadFile(file), "target"));
    DeleteFileA(file.c_str());

    // 307 keeps the method and the body.
    ASSERT_TRUE(SiteControl::Route("path=/t/keep&status=307&redirect=/__echo/kept"));
    EXPECT_TRUE(PostForm(Url("/t/keep").c_str(), "a=1", text));
    EXPECT_EQ("POST /__echo/kept HTTP/1.1", EchoField(std::string(text), "request-line"));
    EXPECT_EQ("a=1", EchoBody(std::string(text)));
}

TEST_F(Transport, RedirectLoopEnds)
{
    ASSERT_TRUE(SiteControl::Route("path=/t/loop&redirect=/t/loop&body=looping"));
    CString text("previous");
    EXPECT_EQ(302, GetToString(Url("/t/loop").c_str(), text));
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_TRUE(PostForm(Url("/t/loop").c_str(), "", text));
    EXPECT_STREQ("looping", text);
    EXPECT_EQ(0, GetToFile(Url("/t/loop").c_str(), TempPath("larkspur-transport-loop.bin").c_str()));
    // The first request and twenty redirects, each time.
    EXPECT_EQ(3 * 21, SiteControl::CountInLog("/t/loop 302"));
}

// A body that ends early is a failed request for every reader: no part of
// a page, a form's answer or a file.
TEST_F(Transport, BrokenBodyIsAFailure)
{
    ASSERT_TRUE(SiteControl::Route("path=/t/cut&size=20000&drop=7000"));
    const std::string file = TempPath("larkspur-transport-cut.bin");
    EXPECT_EQ(0, GetToFile(Url("/t/cut").c_str(), file.c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(file.c_str()));

    CString text("previous");
    EXPECT_EQ(0, GetToString(Url("/t/cut").c_str(), text));
    EXPECT_TRUE(text.IsEmpty());
    int status = -1;
    EXPECT_TRUE(PostForm(Url("/t/cut").c_str(), "a=1", text, &status));
    EXPECT_EQ(0, status);
    EXPECT_TRUE(text.IsEmpty());
}

// Silent and slow servers: every request ends by its overall deadline at
// the latest, with nothing of the answer. A GET that hangs or stalls gives
// up on its 5 s wait; an answer sent a byte every 2 s from its status line
// on, which no single wait trips, ends at the request's deadline: 20 s for a
// picture, 30 s for a form, 60 s for a page. Run side by side so the test
// takes as long as the longest of them.
TEST_F(Transport, SilentAndSlowServersAreAbandoned)
{
    ASSERT_TRUE(SiteControl::Route("path=/t/hang&hang=1"));
    ASSERT_TRUE(SiteControl::Route("path=/t/stall&size=100000&stall=3000"));
    ASSERT_TRUE(SiteControl::Route("path=/t/slow&size=100&slow=2000"));

    typedef std::chrono::steady_clock Clock;
    struct Call {
        const char* what;
        std::function<int()> run;
        double least, most;
        double seconds = -1;
        int result = -1;
    };
    const std::string hang = Url("/t/hang");
    const std::string stall = Url("/t/stall");
    const std::string slow = Url("/t/slow");
    const std::string secureHang = SecureUrl("/t/hang");
    const std::string file = TempPath("larkspur-transport-silent.bin");
    CString texts[8];
    auto post = [&texts](const std::string& url, int index) {
        int status = -1;
        PostForm(url.c_str(), "a=1", texts[index], &status);
        return status;
    };
    Call calls[] = {
        {"GET hang", [&] { return GetToString(hang.c_str(), texts[0]); }, 4, 15},
        {"GET stall", [&] { return GetToString(stall.c_str(), texts[1]); }, 4, 15},
        {"GET slow", [&] { return GetToString(slow.c_str(), texts[2]); }, 59, 75},
        {"file hang", [&] { return GetToFile(hang.c_str(), (file + "1").c_str()); }, 4, 15},
        {"file stall", [&] { return GetToFile(stall.c_str(), (file + "2").c_str()); }, 4, 15},
        {"file slow", [&] { return GetToFile(slow.c_str(), (file + "3").c_str()); }, 19, 26},
        {"POST hang", [&] { return post(hang, 3); }, 29, 40},
        {"POST hang over TLS", [&] { return post(secureHang, 4); }, 29, 40},
        {"POST slow", [&] { return post(slow, 5); }, 29, 40},
    };
    std::vector<std::thread> threads;
    for (Call& call : calls)
        threads.emplace_back([&call] {
            const auto start = Clock::now();
            call.result = call.run();
            call.seconds = std::chrono::duration<double>(Clock::now() - start).count();
        });
    for (std::thread& thread : threads)
        thread.join();
    for (const Call& call : calls) {
        SCOPED_TRACE(call.what);
        EXPECT_GE(call.seconds, call.least);
        EXPECT_LT(call.seconds, call.most);
        EXPECT_EQ(0, call.result);
    }
    for (const CString& text : texts)
        EXPECT_TRUE(text.IsEmpty());
    for (const char* suffix : {"1", "2", "3"})
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((file + suffix).c_str())) << suffix;
}

} // namespace
