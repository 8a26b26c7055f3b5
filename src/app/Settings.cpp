#include "Settings.h"

#include "CodePage.h"
#include "ViewFormat.h"
#include "PasswordProtection.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

const char accountSection[] = "ACCOUNT";
const char userKey[] = "USER";
const char passwordKey[] = "PASS";
const char reloadSection[] = "TWITTER";
const char reloadIntervalKey[] = "RELOAD_TIMELINE";
const char defaultReloadInterval[] = "30";
const char muteSection[] = "MUTE";

namespace {

const int minimumInterval = 10;
const int maximumInterval = 180;

// Reads a value into dest of destSize bytes, cut between characters. The
// system's own cut counts bytes and can split a double-byte character, and
// Wine's leaves the byte after the last whole character as the buffer held
// it; so the value is read into a zeroed buffer with room for twice dest and
// a pair of quotes (the system fills the buffer before it takes them off),
// and cut here, well before where the system may have.
void ReadWholeCharacters(const char* iniPath, const char* section, const char* key, const char* defaultText,
                         char* dest, int destSize)
{
    std::vector<char> value(static_cast<size_t>(destSize) * 2 + 2, '\0');
    ::GetPrivateProfileStringA(section, key, defaultText, value.data(), static_cast<DWORD>(value.size()), iniPath);
    const int kept =
        FittingLength(value.data(), static_cast<int>(std::strlen(value.data())), destSize - 1);
    std::memcpy(dest, value.data(), static_cast<size_t>(kept));
    dest[kept] = 0;
}

// The password as the file keeps it: protected, or plain as older versions
// wrote it (cut like any other value). A protected value this user cannot
// open gives no password at all rather than a wrong one.
void ReadPassword(const char* iniPath, char (&password)[settingSize])
{
    char stored[storedPasswordSize];
    ReadWholeCharacters(iniPath, accountSection, passwordKey, "", stored, sizeof stored);
    if (IsProtectedPassword(stored)) {
        UnprotectPassword(stored, password, sizeof password);
    } else {
        const int kept = FittingLength(stored, static_cast<int>(std::strlen(stored)), settingSize - 1);
        std::memcpy(password, stored, static_cast<size_t>(kept));
        password[kept] = 0;
    }
}

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
    ReadWholeCharacters(iniPath, section, key, defaultText, dest, std::min(destSize, settingSize));
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
    if (iniPath != nullptr && iniPath[0] != 0)
        ReadPassword(iniPath, values.password);
    values.mutes = MuteList();
    for (int number = 1; number <= maxMuteEntries; ++number) {
        char word[settingSize] = "";
        ReadSetting(iniPath, muteSection, ("WORD" + std::to_string(number)).c_str(), "", word, sizeof word);
        if (word[0] == 0)
            break;
        values.mutes.Add(word);
    }
    return ReadSetting(iniPath, reloadSection, reloadIntervalKey, defaultReloadInterval, values.interval,
                       sizeof values.interval);
}

bool WriteSettingValues(const char* iniPath, const SettingValues& values)
{
    const bool interval = WriteSetting(iniPath, reloadSection, reloadIntervalKey, values.interval);
    const bool user = WriteSetting(iniPath, accountSection, userKey, values.user);
    // A password the system will not protect is not kept at all: the empty
    // value also takes away a plain one an older version left.
    std::string stored;
    const bool sealed = ProtectPassword(values.password, stored);
    const bool password = WriteSetting(iniPath, accountSection, passwordKey, stored.c_str()) && sealed;
    bool mutes = iniPath != nullptr && iniPath[0] != 0;
    if (mutes) {
        ::WritePrivateProfileStringA(muteSection, nullptr, nullptr, iniPath);
        for (int index = 0; index < values.mutes.GetCount(); ++index)
            mutes = WriteSetting(iniPath, muteSection, ("WORD" + std::to_string(index + 1)).c_str(),
                                 values.mutes.GetEntry(index))
                    && mutes;
    }
    return interval && user && password && mutes;
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
