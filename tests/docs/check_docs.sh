#!/bin/sh
# Checks the README and the pages under docs/ as a reader meets them: the
# README still shows the two commands (and the Makefile still has them), and
# every relative link in README.md and docs/*.md leads to a file that exists
# and, when it names a #heading, to a heading of that file.
# Usage: check_docs.sh [SOURCE_DIR]
set -eu
cd "${1:-$(dirname "$0")/../..}"
export LC_ALL=C
failed=0
fail() { echo "$*"; failed=1; }

for command in run test; do
  grep -q "^make $command  *#" README.md ||
    fail "README.md: the command 'make $command' is not shown"
  grep -q "^$command:" Makefile ||
    fail "Makefile: no target '$command', which README.md shows"
done

# GitHub's anchor of every heading of a Markdown file, one a line: lower
# case, ASCII punctuation but - and _ dropped, blanks turned into dashes.
anchors() {
  awk '
    /^```/ { fence = !fence; next }
    fence || !/^#+ / { next }
    {
      text = $0
      sub(/^#+ +/, "", text)
      text = tolower(text)
      gsub(/[][!"#$%&\047()*+,.\/:;<=>?@\\^`{|}~]/, "", text)
      gsub(/ /, "-", text)
      print text
    }' "$1"
}

# Every link target outside code: FILE LINE TARGET, tab-separated.
links() {
  awk '
    /^```/ { fence = !fence; next }
    fence { next }
    {
      line = $0
      gsub(/`[^`]*`/, "", line)
      while (match(line, /\]\([^)]*\)/)) {
        target = substr(line, RSTART + 2, RLENGTH - 3)
        sub(/ .*/, "", target)
        print FILENAME "\t" FNR "\t" target
        line = substr(line, RSTART + RLENGTH)
      }
    }' "$@"
}

count=0
tab=$(printf '\t')
links README.md docs/*.md > "${TMPDIR:-/tmp}/zerva-doc-links.$$"
trap 'rm -f "${TMPDIR:-/tmp}/zerva-doc-links.$$"' EXIT
while IFS="$tab" read -r file line target; do
  case $target in
    '' ) fail "$file:$line: empty link"; continue ;;
    [a-zA-Z]*:*) continue ;;   # http:, https:, mailto:
  esac
  count=$((count + 1))
  path=${target%%#*}
  anchor=
  case $target in *'#'*) anchor=${target#*#} ;; esac
  if [ -z "$path" ]; then
    resolved=$file
  else
    resolved=$(dirname "$file")/$path
  fi
  if [ ! -e "$resolved" ]; then
    fail "$file:$line: link to a missing file: $target"
    continue
  fi
  if [ -n "$anchor" ]; then
    case $resolved in
      *.md)
        anchors "$resolved" | grep -qx -- "$anchor" ||
          fail "$file:$line: no heading '#$anchor' in $resolved" ;;
    esac
  fi
done < "${TMPDIR:-/tmp}/zerva-doc-links.$$"

[ "$count" -gt 0 ] || fail "no relative links found: is this the source tree?"
[ "$failed" -eq 0 ] && echo "README.md and docs/: the two commands shown, $count relative links checked"
exit "$failed"
