#include "Settings.h"

#include "CodePage.h"

#include <windows.h>

#include <climits>
#include <cstring>
#include <string>

const char accountSection[] = "ACCOUNT";
const char userKey[] = "USER";
const char passwordKey[] = "PASS";
const char reloadSection[] = "TWITTER";
const char reloadIntervalKey[] = "RELOAD_TIMELINE";
const char defaultReloadInterval[] = "30";

namespace {

const int minimumInterval = 10;
const int maximumInterval = 180;

} // namespace

bool IniPathFor(const char* modulePath, char (&iniPath)[iniPathSize])
{
    iniPath[0] = 0;
    if (modulePath == nullptr || modulePath[0] == 0)
        return false;
    // Walk by whole characters: in code page 932 a backslash byte can be the
    // second half of a double-byte character.
    const int length = static_cast<int>(std::strlen(modulePath));
    int nameStart = 0;
    int extensionStart = -1;
    for (int i = 0; i < length; i += CharacterSize(modulePath, length, i)) {
        const char c = modulePath[i];
        if (c == '\\' || c == '/' || c == ':') {
            nameStart = i + 1;
            extensionStart = -1;
        } else if (c == '.') {
            extensionStart = i;
        }
    }
    const int baseEnd = extensionStart >= nameStart ? extensionStart : length;
    static const char extension[] = ".ini";
    if (baseEnd + static_cast<int>(sizeof extension) > iniPathSize)
        return false;
    std::memcpy(iniPath, modulePath, static_cast<size_t>(baseEnd));
    std::memcpy(iniPath + baseEnd, extension, sizeof extension);
    return true;
}

void GetIniPath(char (&iniPath)[iniPathSize])
{
    iniPath[0] = 0;
    char modulePath[MAX_PATH + 1];
    const DWORD length = ::GetModuleFileNameA(nullptr, modulePath, MAX_PATH + 1);
    // A path the buffer could not hold whole comes back cut: no settings
    // rather than a file somewhere else.
    if (length == 0 || length > MAX_PATH)
        return;
    modulePath[length] = 0;
    IniPathFor(modulePath, iniPath);
}

bool ReadSetting(const char* iniPath, const char* section, const char* key, const char* defaultText, char* dest,
                 int destSize)
{
    if (iniPath == nullptr || iniPath[0] == 0 || destSize <= 0)
        return false;
    // Room for the pair of quotes too: the system fills the buffer before it
    // takes them off.
    char value[settingSize + 2];
    ::GetPrivateProfileStringA(section, key, defaultText, value, sizeof value, iniPath);
    ::lstrcpynA(dest, value, destSize);
    return true;
}

bool WriteSetting(const char* iniPath, const char* section, const char* key, const char* value)
{
    if (iniPath == nullptr || iniPath[0] == 0)
        return false;
    // Reading takes the white space around a value off, then one pair of
    // quotes around it: a value written inside one pair comes back whole,
    // its own spaces and quotes included.
    const std::string quoted = std::string("\"") + value + "\"";
    return ::WritePrivateProfileStringA(section, key, quoted.c_str(), iniPath) != FALSE;
}

bool ReadSettingValues(const char* iniPath, SettingValues& values)
{
    values.user[0] = 0;
    values.password[0] = 0;
    ::lstrcpynA(values.interval, defaultReloadInterval, sizeof values.interval);
    ReadSetting(iniPath, accountSection, userKey, "", values.user, sizeof values.user);
    ReadSetting(iniPath, accountSection, passwordKey, "", values.password, sizeof values.password);
    return ReadSetting(iniPath, reloadSection, reloadIntervalKey, defaultReloadInterval, values.interval,
                       sizeof values.interval);
}

bool WriteSettingValues(const char* iniPath, const SettingValues& values)
{
    const bool interval = WriteSetting(iniPath, reloadSection, reloadIntervalKey, values.interval);
    const bool user = WriteSetting(iniPath, accountSection, userKey, values.user);
    const bool password = WriteSetting(iniPath, accountSection, passwordKey, values.password);
    return interval && user && password;
}

int ParseDecimal(const char* text)
{
    if (text == nullptr)
        return 0;
    while (*text == ' ' || (*text >= '\t' && *text <= '\r'))
        ++text;
    bool negative = false;
    if (*text == '+' || *text == '-')
        negative = *text++ == '-';
    long long value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        if (value <= INT_MAX)
            value = value * 10 + (*text - '0');
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

int ReloadIntervalFrom(const char* text)
{
    return IsReloadIntervalInRange(text) ? ParseDecimal(text) : minimumInterval;
}

bool IsReloadIntervalInRange(const char* text)
{
    const int value = ParseDecimal(text);
    return value >= minimumInterval && value <= maximumInterval;
}
