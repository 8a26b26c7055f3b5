#include "FailedPictures.h"

#include <new>

bool FailedPictures::MayTry(const std::string& name, unsigned long long now) const
{
    const auto found = waits.find(name);
    return found == waits.end() || now >= found->second.until;
}

void FailedPictures::Failed(const std::string& name, unsigned long long now)
{
    try {
        Wait& wait = waits[name];
        wait.length = wait.length == 0 ? firstWaitMs : wait.length * 2;
        if (wait.length > longestWaitMs)
            wait.length = longestWaitMs;
        wait.until = now + wait.length;
    } catch (const std::bad_alloc&) {
        // Not remembered: the picture is only asked for again.
    }
}
