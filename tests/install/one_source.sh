#!/usr/bin/env bash
# The version and the release date of debian/changelog's newest entry, and the summary and the
# description of debian/control, must stand unchanged in everything installed that repeats them:
# the program's --version and --help, the menu entry, the store metadata and the manual page.
#   one_source.sh SOURCE_DIR INSTALLED_PREFIX
set -euo pipefail
debian=$1/debian
prefix=$2
command -v dpkg-parsechangelog >/dev/null || { echo "SKIP: dpkg-parsechangelog is not installed (dpkg-dev)"; exit 77; }
faults=0
differ() {  # differ WHAT EXPECTED FOUND
  if [[ $2 != "$3" ]]; then
    printf 'FAIL: %s\n  debian/ says: %s\n  installed:    %s\n' "$1" "$2" "$3"
    faults=$((faults + 1))
  fi
}

version=$(dpkg-parsechangelog -l "$debian/changelog" -S Version)
# A derivative's own suffix (1.0ubuntu1, 1.0~ppa1) is not part of the game's version.
version=${version%%[!0-9.]*}
written=$(dpkg-parsechangelog -l "$debian/changelog" -S Date)
date=$(LC_ALL=C date -u -d "$(cut -d' ' -f2-4 <<<"$written")" +%F)
summary=$(sed -n 's/^Description: //p' "$debian/control")
# The long description, a paragraph a line.
description=$(awk '/^Description: /{on=1; next} on && !/^ /{on=0} on' "$debian/control" |
  sed 's/^ //' | awk '$0 == "." {print text; text=""; next} {text = text (text == "" ? "" : " ") $0}
                     END {print text}')

game=$prefix/games/morvik
share=$prefix/share
differ "morvik --version" "morvik $version" "$("$game" --version)"
differ "morvik --help, its second line" "$summary." "$("$game" --help | sed -n 2p)"

differ "menu entry's Comment" "$summary" \
  "$(sed -n 's/^Comment=//p' "$share/applications/io.github.morvik.Morvik.desktop")"

metainfo=$share/metainfo/io.github.morvik.Morvik.metainfo.xml
unxml() { sed 's/&lt;/</g; s/&gt;/>/g; s/&amp;/\&/g'; }
differ "metadata's summary" "$summary" "$(sed -n 's:.*<summary>\(.*\)</summary>.*:\1:p' "$metainfo" | unxml)"
differ "metadata's newest release" "version=\"$version\" date=\"$date\"" \
  "$(grep -m1 -o '<release [^>]*>' "$metainfo" | sed 's/<release //; s/>$//')"
differ "metadata's description" "$description" \
  "$(awk '/<description>/{on=1; next} /<\/description>/{exit} on' "$metainfo" | tr '\n' ' ' |
     sed 's/^ *//; s:</p> *<p>:\n:g; s:^<p>::; s:</p> *$::' | unxml)"

manual=$share/man/man6/morvik.6
differ "manual page's title line" ".TH MORVIK 6 $date \"Morvik $version\" \"Games\"" "$(head -n1 "$manual")"
differ "manual page's name line" "morvik \\- $summary" "$(sed -n '/^\.SH NAME/{n;p}' "$manual")"
# The description opens the DESCRIPTION section, a paragraph a line.
differ "manual page's description" "$description" \
  "$(sed -n '/^\.SH DESCRIPTION/,/^\.SH /p' "$manual" | sed '1d' |
     awk -v n="$(wc -l <<<"$description")" '$0 == ".PP" {next} {print; if (++k == n) exit}' |
     sed 's/^\\&//; s/\\e/\\/g')"

((faults == 0)) || exit 1
echo "PASS: version $version of $date, the summary and the description agree everywhere"
