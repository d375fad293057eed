#!/usr/bin/env bash
# The package's changelog and the AppStream releases say what CHANGELOG.md
# says: every version with its date, and every item of it. Then
# tools/changelog.cmake on a changelog made to trip it: text that CMake's
# lists and XML take apart, and headings it must refuse.
# Usage: changelog_test.sh SOURCE_DIR DEBIAN_CHANGELOG METAINFO VERSION
set -uo pipefail
source_dir=$1
debian=$2
metainfo=$3
version=$4
tool=$source_dir/tools/changelog.cmake
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The versions and dates of a changelog in Markdown, "VERSION DATE" a line.
md_versions() { sed -n 's/^## \[\([0-9.]*\)\] - \([0-9-]*\)$/\1 \2/p' "$1"; }
# The first line of every item of VERSION's section.
md_items() { awk -v v="## [$2]" '/^## / { on = index($0, v) == 1; next } on && /^- / { sub(/^- /, ""); print }' "$1"; }

# --- the project's own changelog ----------------------------------------------------

changelog=$source_dir/CHANGELOG.md
md_versions "$changelog" >"$tmp/versions"
[[ -s "$tmp/versions" ]] || fail "CHANGELOG.md has no version"
grep -q "^$version " "$tmp/versions" || fail "CHANGELOG.md has no section for the version built, $version"

# Debian's changelog: dpkg reads each entry as the Markdown's version and date.
dpkg-parsechangelog -l "$debian" --format rfc822 --all -S Version 2>"$tmp/err" | grep . >"$tmp/deb.versions" ||
    fail "dpkg-parsechangelog cannot read $debian: $(cat "$tmp/err")"
cut -d' ' -f1 "$tmp/versions" | diff - "$tmp/deb.versions" >"$tmp/diff" ||
    fail "the Debian changelog's versions differ from CHANGELOG.md's: $(cat "$tmp/diff")"
while read -r v date; do
    expected=$(LC_ALL=C date -u -d "$date" '+%a, %d %b %Y 00:00:00 +0000')
    got=$(dpkg-parsechangelog -l "$debian" --from "$v" --to "$v" -S Date 2>/dev/null)
    [[ "$got" == "$expected" ]] || fail "the Debian changelog dates $v '$got', not '$expected'"
    grep -Fq "<release version=\"$v\" date=\"$date\">" "$metainfo" ||
        fail "the AppStream data has no release $v of $date"
    while IFS= read -r item; do
        grep -Fqx "  * $item" "$debian" || fail "the Debian changelog lacks $v's item '$item'"
        plain=$(printf '%s' "$item" | tr -d '`' | sed 's/&/\&amp;/g; s/</\&lt;/g; s/>/\&gt;/g')
        grep -Fq "<li>$plain" "$metainfo" || fail "the AppStream release $v lacks the item '$plain'"
    done < <(md_items "$changelog" "$v")
done <"$tmp/versions"
[[ "$(grep -c '<release ' "$metainfo")" -eq "$(wc -l <"$tmp/versions")" ]] ||
    fail "the AppStream data has other releases than CHANGELOG.md's versions"
awk 'length > 80 { print FILENAME ":" FNR; bad = 1 } END { exit bad }' "$debian" >"$tmp/long" ||
    fail "Debian changelog lines over 80 columns: $(cat "$tmp/long")"

# --- the tool, on text that trips CMake's lists and XML ---------------------------------

cat >"$tmp/tricky.md" <<'MD'
# Changelog

## [Unreleased]

### Added

- Not released yet.

## [2.0] - 2028-02-29

### Changed

- Lists; semicolons [and brackets] stay, `code` marks
  go in XML, & and <tags> are escaped.
- A second item.

## [1.9] - 2027-12-31

### Fixed

- One.

[2.0]: https://example.org/qorb/2.0
MD
run_tool() { cmake -DCHANGELOG="$1" -DFORMAT="$2" -DVERSION=2.0 -DCONTACT="A B <a@example.org>" -DOUT="$3" -P "$tool"; }
run_tool "$tmp/tricky.md" debian "$tmp/tricky.deb" >"$tmp/err" 2>&1 || fail "debian: $(cat "$tmp/err")"
run_tool "$tmp/tricky.md" appstream "$tmp/tricky.xml" >"$tmp/err" 2>&1 || fail "appstream: $(cat "$tmp/err")"
run_tool "$tmp/tricky.md" notes "$tmp/tricky.notes" >"$tmp/err" 2>&1 || fail "notes: $(cat "$tmp/err")"
[[ "$(dpkg-parsechangelog -l "$tmp/tricky.deb" --format rfc822 --all -S Version 2>&1 | grep . | tr '\n' ' ')" == "2.0 1.9 " ]] ||
    fail "the tricky Debian changelog reads as $(dpkg-parsechangelog -l "$tmp/tricky.deb" --all -S Version 2>&1)"
[[ "$(dpkg-parsechangelog -l "$tmp/tricky.deb" -S Date 2>&1)" == "Tue, 29 Feb 2028 00:00:00 +0000" ]] ||
    fail "a leap day's weekday: $(dpkg-parsechangelog -l "$tmp/tricky.deb" -S Date 2>&1)"
grep -Fqx '  * Lists; semicolons [and brackets] stay, `code` marks' "$tmp/tricky.deb" ||
    fail "the Debian changelog mangles an item: $(cat "$tmp/tricky.deb")"
grep -Fqx '    go in XML, & and <tags> are escaped.' "$tmp/tricky.deb" || fail "a continuation line is lost"
! grep -q "Not released\|example.org/qorb/2.0" "$tmp/tricky.deb" "$tmp/tricky.xml" ||
    fail "an unreleased section or a link reference reached the packages"
grep -Fq '<li>Lists; semicolons [and brackets] stay, code marks go in XML, &amp; and &lt;tags&gt; are escaped.</li>' \
    "$tmp/tricky.xml" || fail "the AppStream item is not the item as XML: $(cat "$tmp/tricky.xml")"
# The project's AppStream data with these releases instead must still be valid.
awk -v releases="$tmp/tricky.xml" '/<\/releases>/ { while ((getline l < releases) > 0) print l; skip = 0 }
    !skip { print } /<releases>/ { skip = 1 }' "$metainfo" >"$tmp/org.example.Tricky.metainfo.xml"
appstreamcli validate --no-net "$tmp/org.example.Tricky.metainfo.xml" >"$tmp/err" 2>&1 ||
    fail "the AppStream data with the tricky releases is not valid: $(cat "$tmp/err")"
[[ "$(head -n 1 "$tmp/tricky.notes")" == "# Qorb 2.0 (2028-02-29)" ]] && ! grep -q "One\." "$tmp/tricky.notes" &&
    grep -q "^- A second item\.$" "$tmp/tricky.notes" || fail "the notes are not 2.0's section: $(cat "$tmp/tricky.notes")"

# Refused, naming the line: a heading that is no version, a version twice,
# and notes of a version that is not there.
printf '## [2.0] - 2028-02-29\n\n- A.\n\n## 1.9 (2027)\n' >"$tmp/bad.md"
run_tool "$tmp/bad.md" debian "$tmp/out" >"$tmp/err" 2>&1 && fail "a malformed heading was taken"
grep -q "bad.md:5" "$tmp/err" || fail "the malformed heading's line is not named: $(cat "$tmp/err")"
printf '## [2.0] - 2028-02-29\n\n- A.\n\n## [2.0] - 2028-03-01\n\n- B.\n' >"$tmp/twice.md"
run_tool "$tmp/twice.md" debian "$tmp/out" >"$tmp/err" 2>&1 && fail "a version written twice was taken"
printf '## [1.9] - 2027-12-31\n\n- One.\n' >"$tmp/old.md"
run_tool "$tmp/old.md" notes "$tmp/out" >"$tmp/err" 2>&1 && fail "notes of a version the changelog lacks were made"

[[ $failures -eq 0 ]] || exit 1
echo "PASS: the package's changelog and AppStream releases say what CHANGELOG.md says"
