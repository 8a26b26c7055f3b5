#ifndef LARKSPUR_TESTS_CORE_PAGEBUILDER_H
#define LARKSPUR_TESTS_CORE_PAGEBUILDER_H

// Timeline pages in the layout the scraper reads, for the core tests, the
// benchmark and the fuzz seeds.

#include "WebAddress.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct PageStatus {
    std::string id;
    std::string screenName;
    std::string displayName;
    std::string iconUrl;
    std::string text;      // as the page writes it (entities encoded)
    std::string createdAt; // "Mon Jan 04 09:05:07 +0000 2010"
    bool nameBlock = true;        // the <strong> around the author link
    std::string authorBase;       // empty: WebBaseAddress()
    bool closed = true;           // a "<li>" ends the block
};

// A creation time text that grows with `seconds` (months of 28 days from
// 2010-01-01), so that a larger number always parses to a later time.
inline std::string CreatedAtText(std::uint64_t seconds)
{
    static const char* const months[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                           "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::uint64_t days = seconds / 86400;
    char text[64];
    std::snprintf(text, sizeof text, "Mon %s %02u %02u:%02u:%02u +0000 %u", months[days / 28 % 12],
                  static_cast<unsigned>(days % 28 + 1), static_cast<unsigned>(seconds / 3600 % 24),
                  static_cast<unsigned>(seconds / 60 % 60), static_cast<unsigned>(seconds % 60),
                  static_cast<unsigned>(2010 + days / (28 * 12)));
    return text;
}

// A status whose every field is derived from its number, so a reader can tell
// a whole entry from a torn one; later numbers are newer.
inline PageStatus NumberedStatus(std::uint64_t number)
{
    PageStatus status;
    status.id = std::to_string(number);
    status.screenName = "user" + std::to_string(number % 97);
    status.displayName = "User &quot;" + std::to_string(number % 97) + "&quot;";
    status.iconUrl = "http://img.example/p/" + std::to_string(number % 97) + "/face.png";
    status.text = "status " + status.id + " &amp; <a href=\"http://x.example/" + status.id + "\">link</a> "
        + std::string(number % 50, 'x');
    status.createdAt = CreatedAtText(number * 7);
    return status;
}

inline std::string StatusBlock(const PageStatus& status)
{
    const std::string base = status.authorBase.empty() ? std::string(WebBaseAddress()) : status.authorBase;
    std::string block = "<li class=\"hentry status u-" + status.screenName + "\" id=\"status_" + status.id
        + "\">\n<span class=\"thumb vcard author\"><img alt=\"" + status.displayName
        + "\" class=\"photo fn\" src=\"" + status.iconUrl + "\" /></span>\n<span class=\"status-body\">";
    if (status.nameBlock)
        block += "<strong><a href=\"" + base + status.screenName + "\" class=\"screen-name\">"
            + status.screenName + "</a></strong>\n";
    block += "<span class=\"entry-content\">" + status.text + "</span>\n<span class=\"meta\"><a href=\"" + base
        + status.screenName + "/status/" + status.id + "\"><span class=\"published\" data=\"{time:'"
        + status.createdAt + "'}\">ago</span></a></span></span>\n";
    if (status.closed)
        block += "<ul class=\"actions\"><li>reply</li></ul>";
    block += "</li>\n";
    return block;
}

inline std::string TimelinePage(const std::vector<PageStatus>& statuses)
{
    std::string page = "<html><head><title>Home</title></head><body><ol id=\"timeline\">\n";
    for (const PageStatus& status : statuses)
        page += StatusBlock(status);
    page += "</ol></body></html>\n";
    return page;
}

#endif
