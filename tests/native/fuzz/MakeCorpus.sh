#!/usr/bin/env bash
# Rewrites the seed corpus from hand-written seeds. The seeds are small on
# purpose: libFuzzer mutates them, it does not need whole pages.
set -euo pipefail
dir="$(cd "$(dirname "$0")" && pwd)/corpus"
mkdir -p "$dir"
host="${1:-localhost:47110}"

seed() { printf '%b' "$2" > "$dir/$1"; }

block='<li class="hentry status u-alice" id="status_1"><img alt="Alice &quot;A&quot;" src="http://img.example/a.png" /><strong><a href="http://'"$host"'/alice">alice</a></strong><span class="entry-content">hi &amp;lt; <a href="http://x/">x</a></span><a href="http://'"$host"'/alice/status/12345"><span data="{time:'"'"'Mon Jan 04 09:05:07 +0000 2010'"'"'}">ago</span></a><ul><li>r</li></ul></li>'
seed page-one "$block"
seed page-two "$block${block//12345/12346}"
seed page-open '<li class="hentry x">status/9">no list item after it'
seed page-sjis '<li class="hentry \x82status/1">\x82\xa0<span class="entry-content">\x95\x5c</span>status/2"><li>'
seed time-ok 'Mon Jan 04 09:05:07 +0000 2010'
seed time-short 'Mon jan 4 9 +0900 10'
seed time-long 'xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx Jan 04 09:05:07 +0000 2010'
seed entities '&amp;quot; &lt;b&gt; &quot;&amp;amp;'
seed tags '<a href="x">name</a> > <b'
seed extract '<a>\0</a>\0\001<a>x</a><a>y</a>'
seed extract-sjis '\x5c\0|\0\0\x95\x5cX\x5cY|'
# View text: a size byte, then one or two texts separated by a NUL.
seed view-runs '\xa9hi\r\n@bob: see #tag, @ali\x82\xa0x a@b@c\n#end\r\n'
seed view-web '\x20HTTPS://example.com/\x82\xa0\0alice'
seed view-tag "\\x50@$(printf 'a%.0s' $(seq 97))\\x82\\xa0b\\0a\"b c"
seed view-format '\xffName\x82\0RT text \x82\xa0\x82\xa0'
# Muting: the pattern's text as a mute list, then a status (text, names).
seed mute-author '@Heron_H\0a heron\0Heron\0heron_h'
seed mute-words ' tea\r\n\x81\x40@\n\x83\x40bob\rmilk \0iced tea @ \x83\x40bob\0Bob\0bob'
