#ifndef LARKSPUR_SITE_HTMLTEXT_H
#define LARKSPUR_SITE_HTMLTEXT_H

#include <string>
#include <string_view>
#include <vector>

namespace site {

// '&' '<' '>' '"' as entities (element content and attribute values).
std::string EscapeHtml(std::string_view text);

// '&' '<' '"' only: the display name in the picture's alt attribute, written
// the way the old site wrote it (a '>' stays as it is).
std::string EscapeDisplayName(std::string_view text);

// A status written as plain text, as the entry content of a status block:
// the text escaped, web addresses, @names and #tags made links.
std::string RenderStatusText(std::string_view text);

// The #tags of a plain status text, without '#', in order of appearance.
std::vector<std::string> FindHashtags(std::string_view text);

}  // namespace site

#endif
