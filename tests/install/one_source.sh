#!/usr/bin/env bash
# The version and the release date of debian/changelog's newest entry, and the summary and the
# description of debian/control, must stand unchanged in everything installed that repeats them:
# the program's --version and --help, the menu entry, the store metadata and the manual page. So
# must the translations of the summary and the description that po/LANGUAGE.po gives, in each
# language: in --help, the menu entry, the metadata and that language's manual page.
#   one_source.sh SOURCE_DIR INSTALLED_PREFIX
set -euo pipefail
debian=$1/debian
prefix=$2
command -v dpkg-parsechangelog >/dev/null || { echo "SKIP: dpkg-parsechangelog is not installed (dpkg-dev)"; exit 77; }
command -v msgattrib >/dev/null || { echo "SKIP: msgattrib is not installed (gettext)"; exit 77; }
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
  "$(awk '/<description>/{on=1; next} /<\/description>/{exit} on' "$metainfo" | grep -v 'xml:lang=' | tr '\n' ' ' |
     sed 's/^ *//; s:</p> *<p>:\n:g; s:^<p>::; s:</p> *$::' | unxml)"

manual=$share/man/man6/morvik.6
differ "manual page's title line" ".TH MORVIK 6 $date \"Morvik $version\" \"Games\"" "$(head -n1 "$manual")"
differ "manual page's name line" "morvik \\- $summary" "$(sed -n '/^\.SH NAME/{n;p}' "$manual")"
# The description opens the DESCRIPTION section, a paragraph a line.
differ "manual page's description" "$description" \
  "$(sed -n '/^\.SH DESCRIPTION/,/^\.SH /p' "$manual" | sed '1d' |
     awk -v n="$(wc -l <<<"$description")" '$0 == ".PP" {next} {print; if (++k == n) exit}' |
     sed 's/^\\&//; s/\\e/\\/g')"

# The translation of an English text in a .po, as the build merges it: none where it is fuzzy.
translation() {  # translation PO TEXT
  local id=${2//\\/\\\\}
  id=${id//\"/\\\"}
  msgattrib --no-fuzzy --no-obsolete --no-wrap "$1" |
    ID=$id awk '$0 == "msgid \"" ENVIRON["ID"] "\"" {found = 1; next}
                found && /^msgstr "/ {print substr($0, 9, length($0) - 9); exit}' |
    sed 's/\\"/"/g; s/\\\\/\\/g'
}
# The paragraphs of a description in the language's <p xml:lang=...> elements, a line each.
translated_paragraphs() {  # translated_paragraphs LANGUAGE
  awk '/<description>/{on=1; next} /<\/description>/{exit} on' "$metainfo" |
    sed -n "s:^ *<p xml\:lang=\"$1\">\(.*\)</p>\$:\1:p" | unxml
}

for po in "$1"/po/*.po; do
  language=$(basename "$po" .po)
  translated_summary=$(translation "$po" "$summary")
  translated_description=$(while IFS= read -r paragraph; do translation "$po" "$paragraph"; done <<<"$description")
  if [[ -z $translated_summary || $(grep -c . <<<"$translated_description") != $(wc -l <<<"$description") ]]; then
    echo "FAIL: po/$language.po does not translate the summary and every paragraph of the description"
    faults=$((faults + 1))
    continue
  fi
  differ "morvik --help in $language, its second line" "$translated_summary." \
    "$(LANGUAGE=$language LC_ALL=C.UTF-8 "$game" --help | sed -n 2p)"
  differ "menu entry's Comment[$language]" "$translated_summary" \
    "$(sed -n "s/^Comment\[$language\]=//p" "$share/applications/io.github.morvik.Morvik.desktop")"
  differ "metadata's summary in $language" "$translated_summary" \
    "$(sed -n "s:.*<summary xml\:lang=\"$language\">\(.*\)</summary>.*:\1:p" "$metainfo" | unxml)"
  differ "metadata's description in $language" "$translated_description" "$(translated_paragraphs "$language")"
  manual=$share/man/$language/man6/morvik.6
  differ "$language manual page's name line" "morvik \\- $translated_summary" "$(sed -n '/^\.SH /{n;p;q}' "$manual")"
  # The description: its paragraphs open with \& and may be wrapped over several lines.
  differ "$language manual page's description" "$translated_description" \
    "$(awk -v n="$(wc -l <<<"$description")" '/^\\&/ {on = 1} !on {next}
         $0 == ".PP" {print text; text = ""; if (++k == n) exit; next}
         {text = text (text == "" ? "" : " ") $0}' "$manual" | sed 's/^\\&//; s/\\e/\\/g')"
done

((faults == 0)) || exit 1
echo "PASS: version $version of $date, the summary and the description agree everywhere, translated too"
