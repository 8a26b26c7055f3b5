#include "Drafts.h"

#include "CodePage.h"
#include "Settings.h"

#include <windows.h>

#include <string>

namespace {

const char draftSection[] = "DRAFT";

// Room for a text of statusBufferSize bytes with every byte escaped, and the
// quotes around it.
const int lineSize = 1024;

std::string Key(const char* name, size_t number)
{
    return name + std::to_string(number);
}

bool ReadLine(const char* iniPath, const std::string& key, std::string& value)
{
    char line[lineSize + 2] = "";
    const DWORD length = ::GetPrivateProfileStringA(draftSection, key.c_str(), "\x01", line, sizeof line, iniPath);
    if (length == 1 && line[0] == '\x01')
        return false;
    value = UnescapeLine(line);
    return true;
}

} // namespace

std::string EscapeLine(const std::string& text)
{
    std::string line;
    const int length = static_cast<int>(text.size());
    for (int at = 0; at < length;) {
        const int size = CharacterSize(text.data(), length, at);
        const char c = text[static_cast<size_t>(at)];
        if (size == 1 && c == '\\')
            line += "\\\\";
        else if (size == 1 && c == '\r')
            line += "\\r";
        else if (size == 1 && c == '\n')
            line += "\\n";
        else
            line.append(text, static_cast<size_t>(at), static_cast<size_t>(size));
        at += size;
    }
    return line;
}

std::string UnescapeLine(const std::string& line)
{
    std::string text;
    const int length = static_cast<int>(line.size());
    for (int at = 0; at < length;) {
        const int size = CharacterSize(line.data(), length, at);
        const char c = line[static_cast<size_t>(at)];
        if (size == 1 && c == '\\' && at + 1 < length) {
            const char next = line[static_cast<size_t>(at) + 1];
            text += next == 'r' ? '\r' : next == 'n' ? '\n' : next;
            at += 2;
            continue;
        }
        text.append(line, static_cast<size_t>(at), static_cast<size_t>(size));
        at += size;
    }
    return text;
}

bool SaveDrafts(const char* iniPath, const Drafts& drafts)
{
    if (iniPath == nullptr || iniPath[0] == 0)
        return false;
    ::WritePrivateProfileStringA(draftSection, nullptr, nullptr, iniPath);
    bool written = true;
    if (!drafts.compose.text.empty()) {
        written &= WriteSetting(iniPath, draftSection, "TEXT", EscapeLine(drafts.compose.text).c_str());
        if (!drafts.compose.inReplyTo.empty())
            written &= WriteSetting(iniPath, draftSection, "REPLY", drafts.compose.inReplyTo.c_str());
    }
    for (size_t i = 0; i < drafts.failed.size(); ++i) {
        written &= WriteSetting(iniPath, draftSection, Key("FAILED", i + 1).c_str(),
                                EscapeLine(drafts.failed[i].text).c_str());
        if (!drafts.failed[i].inReplyTo.empty())
            written &= WriteSetting(iniPath, draftSection, Key("REPLY", i + 1).c_str(),
                                    drafts.failed[i].inReplyTo.c_str());
    }
    return written;
}

void TakeDrafts(const char* iniPath, Drafts& drafts)
{
    drafts = Drafts();
    if (iniPath == nullptr || iniPath[0] == 0)
        return;
    ReadLine(iniPath, "TEXT", drafts.compose.text);
    ReadLine(iniPath, "REPLY", drafts.compose.inReplyTo);
    for (size_t number = 1;; ++number) {
        FailedPost post;
        if (!ReadLine(iniPath, Key("FAILED", number), post.text))
            break;
        ReadLine(iniPath, Key("REPLY", number), post.inReplyTo);
        drafts.failed.push_back(post);
    }
    ::WritePrivateProfileStringA(draftSection, nullptr, nullptr, iniPath);
}
