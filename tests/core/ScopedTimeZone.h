#ifndef LARKSPUR_TESTS_CORE_SCOPEDTIMEZONE_H
#define LARKSPUR_TESTS_CORE_SCOPEDTIMEZONE_H

#ifndef _WIN32

#include <cstdlib>
#include <string>

// Sets TZ for the life of the object (the native conversions read it on every
// call); under Wine the harness sets TZ for the whole run instead.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone)
    {
        const char* old = std::getenv("TZ");
        hadOld = old != nullptr;
        if (hadOld)
            oldValue = old;
        setenv("TZ", zone, 1);
    }
    ~ScopedTimeZone()
    {
        if (hadOld)
            setenv("TZ", oldValue.c_str(), 1);
        else
            unsetenv("TZ");
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    bool hadOld = false;
    std::string oldValue;
};

#endif

#endif
