#ifndef LARKSPUR_APP_SETTINGS_H
#define LARKSPUR_APP_SETTINGS_H

// The settings file: an INI file beside the executable with the same base
// name, read and written only through the system's profile-string calls.
// An empty path means there is no settings file: reads leave their
// destination alone and writes do nothing.

const int iniPathSize = 260;

// Sections and keys.
extern const char accountSection[];   // "ACCOUNT"
extern const char userKey[];          // "USER"
extern const char passwordKey[];      // "PASS"
extern const char reloadSection[];    // "TWITTER"
extern const char reloadIntervalKey[]; // "RELOAD_TIMELINE"
extern const char defaultReloadInterval[]; // "30"

// The settings path of the executable at modulePath: its drive, folder and
// base name (the name without its last extension) with ".ini". Empty (and
// false) when the result would not fit iniPathSize bytes.
bool IniPathFor(const char* modulePath, char (&iniPath)[iniPathSize]);

// The settings path of the running executable; empty when its path cannot
// be had whole.
void GetIniPath(char (&iniPath)[iniPathSize]);

// Reads a value (at most 254 characters; defaultText when the key is absent)
// into dest of destSize bytes. False, dest unchanged, with an empty path.
bool ReadSetting(const char* iniPath, const char* section, const char* key, const char* defaultText, char* dest,
                 int destSize);

// Writes a value as given. False with an empty path.
bool WriteSetting(const char* iniPath, const char* section, const char* key, const char* value);

// The decimal value of text: leading white space and a sign allowed, stops at
// the first non-digit, 0 without digits. Saturates instead of wrapping, so a
// number of any length past the int range stays past it.
int ParseDecimal(const char* text);

// The reload interval a text gives: its value when within 10..180, else 10.
int ReloadIntervalFrom(const char* text);

// True when the text's value lies within 10..180 (the settings dialog shows
// such a value as read, anything else as "30").
bool IsReloadIntervalInRange(const char* text);

#endif
