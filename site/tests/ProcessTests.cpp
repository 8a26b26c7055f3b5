// The program itself: its command line, its start-up line, signals.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

#include "TestSupport.h"

using namespace sitetest;

namespace {

struct Child {
    pid_t pid = -1;
    FILE* output = nullptr;
};

Child Launch(const std::vector<std::string>& arguments)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return Child();
    Child child;
    child.pid = fork();
    if (child.pid == 0) {
        dup2(pipeEnds[1], STDOUT_FILENO);
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        std::vector<char*> argv;
        static std::string program = LARKSPUR_SITE_EXECUTABLE;
        argv.push_back(&program[0]);
        std::vector<std::string> copies = arguments;
        for (std::string& argument : copies) argv.push_back(&argument[0]);
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(pipeEnds[1]);
    child.output = fdopen(pipeEnds[0], "r");
    return child;
}

int WaitFor(pid_t pid)
{
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(Program, PrintsItsPortServesAndStopsOnSigterm)
{
    Child child = Launch({"--port", "0", "--data", CertificateFolder(), "--demo", "--demo-interval", "1"});
    ASSERT_GT(child.pid, 0);
    char line[128] = {};
    ASSERT_TRUE(std::fgets(line, sizeof line, child.output));
    unsigned port = 0;
    ASSERT_EQ(std::sscanf(line, "listening on port %u\n", &port), 1) << line;
    EXPECT_EQ(std::string(line), "listening on port " + std::to_string(port) + "\n");

    Browser browser(static_cast<unsigned short>(port));
    ASSERT_TRUE(SignInDemo(browser));
    const std::string base = "http://localhost:" + std::to_string(port) + "/";
    std::string newest = ScrapeLikeClient(browser.Get("/").body, base).at(0).statusId;
    // The demo ticker moves the timeline.
    std::string later = newest;
    for (int i = 0; i < 30 && later == newest; ++i) {
        std::this_thread::sleep_for(100ms);
        later = ScrapeLikeClient(browser.Get("/").body, base).at(0).statusId;
    }
    EXPECT_NE(later, newest);

    kill(child.pid, SIGTERM);
    EXPECT_EQ(WaitFor(child.pid), 0);
    std::fclose(child.output);
}

TEST(Program, RefusesBadArgumentsAndMissingCertificates)
{
    Child bad = Launch({"--port", "0"});
    EXPECT_EQ(WaitFor(bad.pid), 2);
    std::fclose(bad.output);
    Child missing = Launch({"--port", "0", "--data", "/nonexistent/folder"});
    EXPECT_EQ(WaitFor(missing.pid), 1);
    std::fclose(missing.output);
}
