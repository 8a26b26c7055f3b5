#ifndef LARKSPUR_TIMELINE_ICONSOURCE_H
#define LARKSPUR_TIMELINE_ICONSOURCE_H

// What the scraper asks of the profile picture cache: make sure the picture
// at url is known. The Windows icon cache implements it; tests record the
// calls. Add may block on a download; the scraper calls it after the page's
// statuses are published, holding no lock of the store.
class IconSource {
public:
    virtual ~IconSource() = default;
    virtual void Add(const char* url) = 0;
};

#endif
