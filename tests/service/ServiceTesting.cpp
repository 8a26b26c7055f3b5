#include "ServiceTesting.h"

#include "ServiceSession.h"
#include "SiteControl.h"
#include "TempFolder.h"
#include "TimelineModel.h"
#include "TimelineReader.h"
#include "FetchCycle.h"
#include "Waiting.h"

#include <windows.h>

#include <algorithm>

namespace ServiceTesting {

void FreshStart(const std::string& user, const std::string& password)
{
    SiteControl::Reset();
    SiteControl::Post("account", "user=" + SiteControl::Encode(user) + "&password=" + SiteControl::Encode(password));
    serviceSession.SetUser(user.c_str());
    serviceSession.SetPassword(password.c_str());
    serviceSession.SetToken("");
    serviceSession.fetchBusy = 0;
    serviceSession.loginState = LoginReady;
    serviceSession.signInsUnanswered = 0;
}

bool AddStatus(const std::string& id, const std::string& user, const std::string& text, const std::string& icon)
{
    std::string form = "id=" + id + "&user=" + SiteControl::Encode(user) + "&text=" + SiteControl::Encode(text);
    if (!icon.empty())
        form += "&icon=" + SiteControl::Encode(icon);
    return SiteControl::Post("status", form);
}

bool RunFetchCycle(int timeoutMs)
{
    if (!StartTimelineFetch())
        return false;
    return WaitUntil([] { return serviceSession.fetchBusy.load() == 0; }, timeoutMs);
}

bool FindEntry(const std::string& statusId, TimelineEntry& entry)
{
    const int index = TimelineReaderOf().IndexOf(statusId.c_str());
    return index >= 0 && TimelineReaderOf().GetEntry(index, entry) && statusId == entry.statusId;
}

int StoreCount()
{
    return TimelineReaderOf().GetCount();
}

std::vector<std::string> TempFiles()
{
    return FolderNames(TempFolder());
}

std::string ToAnsi(const std::string& utf8)
{
    std::wstring wide(utf8.size() + 1, L'\0');
    const int wideCount = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &wide[0], static_cast<int>(wide.size()));
    std::string ansi(static_cast<size_t>(wideCount) * 2 + 1, '\0');
    const int count = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, &ansi[0], static_cast<int>(ansi.size()),
                                          nullptr, nullptr);
    ansi.resize(count > 0 ? static_cast<size_t>(count - 1) : 0);
    return ansi;
}

} // namespace ServiceTesting
