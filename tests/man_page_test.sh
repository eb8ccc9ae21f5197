#!/bin/sh
# Usage: man_page_test.sh PAGE MESSAGES_SOURCE
# Fails if the page gives any groff warning, or if any fixed text of a message the program prints
# (the string literals of the messages source, split at any % conversions and line ends) is
# missing from the rendered page.
set -eu
page=$1
messages=$2

command -v groff >/dev/null || { echo "groff is not installed (apt-get install groff-base)"; exit 1; }
warnings=$(groff -t -man -ww -z "$page" 2>&1)
if [ -n "$warnings" ]; then
  echo "groff warnings for $page:"
  echo "$warnings"
  exit 1
fi

# The page as a reader sees it, on one long line, with runs of blanks folded.
text=$(groff -t -man -Tascii -rLL=2000n -P-c -P-b -P-u "$page" 2>/dev/null | tr -s ' \n\t' '   ')

missing=0
checked=0
fragments=$(grep -vE '^ *(//|#include)' "$messages" | grep -o '"[^"]*"' | sed 's/^"//; s/"$//' |
  sed 's/%[sd]/\n/g; s/\\n/\n/g' | sed 's/^ *//; s/ *$//' | awk 'length($0) > 2')
while IFS= read -r fragment; do
  checked=$((checked + 1))
  case "$text" in
    *"$fragment"*) ;;
    *) echo "not in the manual page: \"$fragment\""; missing=$((missing + 1)) ;;
  esac
done <<EOT
$fragments
EOT

if [ "$checked" -lt 6 ]; then
  echo "found only $checked message texts in $messages; has its layout changed?"
  exit 1
fi
echo "$checked message texts, $missing missing"
[ "$missing" -eq 0 ]
