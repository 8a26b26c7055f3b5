#include "ServiceSession.h"
#include "ServiceTesting.h"
#include "SiteControl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace ServiceTesting;

// Whatever the network sends, a cycle ends with fetchBusy at 0, leaves no
// temporary file behind, and the next cycle works.
struct Fault {
    const char* name;
    const char* iconType; // picture format of the status added during the fault
    std::string (*route)(const std::string& iconPath); // route form; empty: none
    bool signedOut;       // the fault meets the sign-in rather than the home page
};

const Fault faults[] = {
    {"page that is not UTF-8", "png",
     [](const std::string&) {
         return "path=/&count=1&body=" + SiteControl::Encode("<li class=\"hentry \">\xff\xfe\xc3 bad<li>");
     }, false},
    {"50 MB page", "png", [](const std::string&) { return std::string("path=/&count=1&size=52428800"); }, false},
    {"page cut inside a status block", "png",
     [](const std::string&) { return std::string("path=/&count=1&drop=1500"); }, false},
    {"redirect loop", "png", [](const std::string&) { return std::string("path=/&redirect=/"); }, false},
    {"home page that hangs", "png", [](const std::string&) { return std::string("path=/&count=1&hang=1"); }, false},
    {"icon that hangs", "png", [](const std::string& icon) { return "path=" + icon + "&count=1&hang=1"; }, false},
    {"icon cut short", "gif", [](const std::string& icon) { return "path=" + icon + "&count=1&drop=100"; }, false},
    {"icon that stalls", "jpg", [](const std::string& icon) { return "path=" + icon + "&count=1&stall=200"; }, false},
    {"icon that is not an image", "png",
     [](const std::string& icon) { return "path=" + icon + "&body=not+a+picture"; }, false},
    {"front page without the token", "png", [](const std::string&) { return std::string(); }, true},
};

class Faults : public testing::TestWithParam<int> {};

// Files in the temporary folder that were not there before.
std::vector<std::string> NewFiles(const std::vector<std::string>& before)
{
    std::vector<std::string> added;
    for (const std::string& name : TempFiles()) {
        if (std::find(before.begin(), before.end(), name) == before.end())
            added.push_back(name);
    }
    return added;
}

TEST_P(Faults, CycleEndsAndTheNextOneWorks)
{
    const Fault& fault = faults[GetParam()];
    SCOPED_TRACE(fault.name);
    FreshStart();
    const std::string before = std::to_string(20000001000LL + GetParam() * 10);
    const std::string during = std::to_string(20000001001LL + GetParam() * 10);
    ASSERT_TRUE(AddStatus(before, "erin", "before the fault", "/images/faults/48x48.png"));
    ASSERT_TRUE(RunFetchCycle());

    // A picture name no earlier cycle has seen, so the fault meets its download.
    const int side = 33 + GetParam();
    const std::string icon = "/images/faults/" + std::to_string(side) + "x" + std::to_string(side) + "." + fault.iconType;
    ASSERT_TRUE(AddStatus(during, "frank", "during the fault", icon));
    if (fault.signedOut) {
        serviceSession.SetToken("");
        ASSERT_TRUE(SiteControl::Post("token", "mode=none"));
    }
    const std::string route = fault.route(icon);
    if (!route.empty()) {
        ASSERT_TRUE(SiteControl::Route(route));
    }

    const auto filesBefore = TempFiles();
    EXPECT_TRUE(RunFetchCycle(60000));
    EXPECT_EQ(0, serviceSession.fetchBusy.load());
    EXPECT_EQ(std::vector<std::string>(), NewFiles(filesBefore));

    ASSERT_TRUE(SiteControl::Post("route/clear"));
    ASSERT_TRUE(SiteControl::Post("token", "mode=normal"));
    serviceSession.loginState = LoginReady;
    EXPECT_TRUE(RunFetchCycle(60000));
    TimelineEntry entry;
    EXPECT_TRUE(FindEntry(during, entry));
    EXPECT_EQ(std::vector<std::string>(), NewFiles(filesBefore));
}

INSTANTIATE_TEST_SUITE_P(Network, Faults, testing::Range(0, static_cast<int>(sizeof faults / sizeof faults[0])));

} // namespace
