#ifndef LARKSPUR_APP_PASSWORDPROTECTION_H
#define LARKSPUR_APP_PASSWORDPROTECTION_H

#include <string>

// The account password at rest. The settings file keeps it protected with the
// user's Windows credentials (CryptProtectData, user scope, with an entropy
// value of the program's own) as text: protectedPasswordPrefix and the base64
// of the protected blob. Only the same user on the same machine opens it.
//
// A value without the prefix is a password that an older version kept as
// typed: it is taken as it stands and protected at the next save. Every save
// protects the password, so any password, one that starts with the prefix
// included, comes back whole. The one value read otherwise is an old plain
// password that itself began with the prefix: it is taken for a protected
// value, cannot be opened, and the settings dialog asks for it again.

extern const char protectedPasswordPrefix[]; // "dpapi:"

// Room for the stored text of the longest password the settings take (255
// bytes protect into a blob of some 400 to 500 bytes).
const int storedPasswordSize = 2048;

// True when stored starts with protectedPasswordPrefix.
bool IsProtectedPassword(const char* stored);

// The text to store for password: empty for an empty password (nothing to
// hide), otherwise the protected form. False, stored empty, when the system
// refuses to protect it.
bool ProtectPassword(const char* password, std::string& stored);

// The password that a protected stored text holds, into password of size
// bytes. False, password empty, when it cannot be opened: protected by another
// user, on another machine or by another program, damaged, or holding more
// than size - 1 bytes.
bool UnprotectPassword(const char* stored, char* password, int size);

#endif
