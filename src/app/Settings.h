#ifndef LARKSPUR_APP_SETTINGS_H
#define LARKSPUR_APP_SETTINGS_H

#include "MuteList.h"

// The settings file: an INI file beside the executable with the same base
// name, read and written only through the system's profile-string calls.
// An empty path means there is no settings file: reads leave their
// destination alone and writes do nothing.

const int iniPathSize = 260;

// A value as the settings dialog's fields hold it: at most 255 bytes of
// whole characters and the terminator.
const int settingSize = 256;

// Sections and keys.
extern const char accountSection[];   // "ACCOUNT"
extern const char userKey[];          // "USER"
extern const char passwordKey[];      // "PASS"
extern const char reloadSection[];    // "TWITTER"
extern const char reloadIntervalKey[]; // "RELOAD_TIMELINE"
extern const char defaultReloadInterval[]; // "30"
extern const char muteSection[];          // "MUTE"

// The settings path of the executable at modulePath: its drive, folder and
// base name (the name without its last extension) with ".ini". Empty (and
// false) when the result would not fit iniPathSize bytes.
bool IniPathFor(const char* modulePath, char (&iniPath)[iniPathSize]);

// The settings path of the running executable; empty when its path cannot
// be had whole.
void GetIniPath(char (&iniPath)[iniPathSize]);

// Reads a value (defaultText when the key is absent) into dest of destSize
// bytes, at most settingSize - 1 of them: a longer value is cut after the
// last whole character that fits. False, dest unchanged, with an empty path.
bool ReadSetting(const char* iniPath, const char* section, const char* key, const char* defaultText, char* dest,
                 int destSize);

// Writes a value so that reading gives back exactly these bytes. False with
// an empty path or when the file could not be written.
bool WriteSetting(const char* iniPath, const char* section, const char* key, const char* value);

// The settings: user name, password and reload interval as texts, and the
// mute list ([MUTE] WORD1 ... WORDn, one entry each).
struct SettingValues {
    char user[settingSize];
    char password[settingSize];
    char interval[settingSize];
    MuteList mutes;
};

// Reads them from the file: the defaults for what is absent, and with
// an empty path (false then) the defaults for all. The password comes out
// plain, whether the file keeps it protected or, as older versions wrote it,
// as typed; a protected one this user cannot open reads as empty, so the
// frame asks for it as on a first start.
bool ReadSettingValues(const char* iniPath, SettingValues& values);

// Writes the interval, the user, the password and the mute list, in this
// order, all of them even when one fails; the password protected for the current user
// (PasswordProtection.h), never in clear: when the system will not protect
// it the key is emptied. True only when every write reached the file.
bool WriteSettingValues(const char* iniPath, const SettingValues& values);

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
