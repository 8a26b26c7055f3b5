#ifndef LARKSPUR_TIMELINE_ICONSOURCE_H
#define LARKSPUR_TIMELINE_ICONSOURCE_H

// What the scraper asks of the profile picture cache: make sure the picture
// at url is known. The Windows icon cache implements it; tests record the
// calls. Add may block on a download; it runs inside the scrape, under the
// store's writer lock, which only other scrapes ever wait for.
class IconSource {
public:
    virtual ~IconSource() = default;
    virtual void Add(const char* url) = 0;
};

#endif
