#ifndef LARKSPUR_APP_DRAFTS_H
#define LARKSPUR_APP_DRAFTS_H

#include "StatusPosts.h"

#include <string>
#include <vector>

// What the user wrote and has not got onto the site when the program ends:
// the compose box's text and the failed posts still waiting to come back.
// Kept in the settings file's [DRAFT] section (TEXT and REPLY for the box,
// FAILEDn and REPLYn for the posts, from 1) and given back at the next
// start, once: reading takes the section out of the file.
struct Drafts {
    FailedPost compose;
    std::vector<FailedPost> failed;
};

// Writes drafts, or removes the section when there is nothing to keep.
// False when the file could not be written.
bool SaveDrafts(const char* iniPath, const Drafts& drafts);
// Reads the section into drafts and removes it from the file.
void TakeDrafts(const char* iniPath, Drafts& drafts);

// A text as one line of the settings file: a backslash, a carriage return
// and a line feed are written "\\", "\r" and "\n", by whole characters (a
// backslash byte may be the second byte of a double-byte character, and is
// kept as it is there). Unescaping gives the text back byte for byte.
std::string EscapeLine(const std::string& text);
std::string UnescapeLine(const std::string& line);

#endif
