#include "ServiceSession.h"

#include <cstring>

ServiceSession serviceSession;

ServiceSession::ServiceSession() : user(), password(), token() {}

bool ServiceSession::HasToken() const
{
    CLock guard(lock);
    return token[0] != 0;
}

void ServiceSession::Store(Text& field, const char* value)
{
    CLock guard(lock);
    if (value == nullptr)
        value = "";
    std::strncpy(field, value, sizeof field - 1);
    field[sizeof field - 1] = 0;
}

void ServiceSession::Load(const Text& field, Text& out) const
{
    CLock guard(lock);
    std::memcpy(out, field, sizeof out);
}
