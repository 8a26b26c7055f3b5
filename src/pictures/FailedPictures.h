#ifndef LARKSPUR_PICTURES_FAILEDPICTURES_H
#define LARKSPUR_PICTURES_FAILEDPICTURES_H

#include <map>
#include <string>

// The pictures whose download failed, by file name, and when each may be
// asked for again: 10 minutes after its first failure, and each further
// failure doubles the wait, up to 2 hours. Without it every scrape would ask
// again for a picture that is too large, too slow or missing, downloading up
// to 1 MiB and holding the worker up to 20 s each time, for ever. Times are
// milliseconds of any steady clock. Not locked: the owner locks.
class FailedPictures {
public:
    static const unsigned long long firstWaitMs = 10ull * 60 * 1000;
    static const unsigned long long longestWaitMs = 2ull * 60 * 60 * 1000;

    // False while name waits out a failure.
    bool MayTry(const std::string& name, unsigned long long now) const;
    void Failed(const std::string& name, unsigned long long now);
    // A success forgets the failures.
    void Succeeded(const std::string& name) { waits.erase(name); }

private:
    struct Wait {
        unsigned long long until = 0;
        unsigned long long length = 0;
    };
    std::map<std::string, Wait> waits;
};

#endif
