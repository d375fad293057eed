#!/usr/bin/env bash
# Makes the release artefacts and checks each one as its users will meet it:
#   qorb_<version>_amd64.deb         lintian must report nothing
#   qorb-<version>-windows-x64.zip   played under Wine from the unpacked zip
#                                    (scripts/check-windows.sh)
#   qorb-<version>-web.zip           unpacked, served as it is and played in
#                                    headless Chromium (tests/web/browser_test.sh)
# and SHA256SUMS of the three, with RELEASE-NOTES.md: the version's section of
# CHANGELOG.md (tools/changelog.cmake). Everything is made in a staging folder under
# build/; only a release whose every check passed replaces dist/, whole. A
# failed release leaves dist/ as it was. The version is the CMake project's;
# nothing here names it. Installs what it needs (Debian packages, only those
# missing).
#
# The builds and checks are the functions below; QORB_RELEASE_STEPS may name
# a bash file that defines them anew (tests/release/release_test.sh stands in
# for them with quick fakes, to check what reaches dist/).
set -euo pipefail
start=$SECONDS
cd "$(dirname "$0")/.."
root=$PWD
dist=$root/dist

say() { echo "release: $*"; }
fail() {
    echo "release: FAIL: $*" >&2
    echo "release: dist/ is left as it was" >&2
    exit 1
}

# --- the steps ------------------------------------------------------------------

install_deps() { scripts/install-deps.sh --web; }
# Configured afresh, so that nothing a build folder's cache kept from before
# (an older default, a choice made by hand) reaches a release.
build_deb() {
    cmake --preset default --fresh >/dev/null
    cmake --build --preset default --target package
}
lint_deb() { packaging/lintian.sh "$1"; }
# Builds the zip and plays it.
build_and_play_windows_zip() { scripts/check-windows.sh; }
build_web_zip() {
    cmake --preset web --fresh >/dev/null
    cmake --build --preset web -j "$(nproc)" --target package
}
# Plays the unpacked web zip in `$1`; a skip (status 77) is no pass here.
play_web_site() { tests/web/browser_test.sh "$1" qorb "$root/build/default"; }

if [[ -n "${QORB_RELEASE_STEPS:-}" ]]; then
    # shellcheck source=/dev/null
    source "$QORB_RELEASE_STEPS"
fi

# --- the staging folder -----------------------------------------------------------

mkdir -p build
stage=$(mktemp -d "$root/build/release-staging.XXXXXX")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp" "$stage"' EXIT

# the_one GLOB...: the single file the glob names.
the_one() {
    local files=("$@")
    [[ ${#files[@]} -eq 1 && -f "${files[0]}" ]] || fail "expected one file, found: ${files[*]}"
    echo "${files[0]}"
}

install_deps
# A package of an older version left in a build folder must not be taken.
rm -f build/default/qorb_*.deb build/windows/qorb-*-windows-x64.zip build/web/qorb-*-web.zip

# --- the Debian package ---------------------------------------------------------

say "building the Debian package"
build_deb
deb=$(the_one "$root"/build/default/qorb_*_amd64.deb)
version=$(dpkg-deb -f "$deb" Version) || fail "$(basename "$deb") has no version"
lint_deb "$deb" || fail "lintian reported on $(basename "$deb")"
cp "$deb" "$stage/"

# Before the long builds: a version CHANGELOG.md says nothing of is no release.
cmake -DCHANGELOG="$root/CHANGELOG.md" -DFORMAT=notes -DVERSION="$version" -DOUT="$stage/RELEASE-NOTES.md" \
    -P "$root/tools/changelog.cmake" >"$tmp/notes.log" 2>&1 ||
    fail "no release notes for $version: $(cat "$tmp/notes.log")"

# --- the Windows zip --------------------------------------------------------------

say "building and playing the Windows zip"
build_and_play_windows_zip || fail "the Windows zip did not play"
zip=$(the_one "$root"/build/windows/qorb-*-windows-x64.zip)
cp "$zip" "$stage/"

# --- the web zip ------------------------------------------------------------------

say "building the web zip"
build_web_zip
webzip=$(the_one "$root"/build/web/qorb-*-web.zip)

# The served folder as built, and the licence, at the archive's root.
site=$root/build/web/site
mkdir "$tmp/web"
(cd "$tmp/web" && cmake -E tar xf "$webzip") || fail "cannot unpack $(basename "$webzip")"
[[ -f "$tmp/web/index.html" ]] || fail "$(basename "$webzip") has no index.html at its root"
cmp -s LICENSE "$tmp/web/LICENSE.txt" || fail "$(basename "$webzip") does not carry LICENSE as LICENSE.txt"
diff <(cd "$site" && find . -type f | LC_ALL=C sort) \
    <(cd "$tmp/web" && find . -type f ! -path ./LICENSE.txt | LC_ALL=C sort) >"$tmp/diff" ||
    fail "$(basename "$webzip") does not hold the files of $site: $(cat "$tmp/diff")"
(cd "$site" && find . -type f -print0 | xargs -0 -I{} cmp {} "$tmp/web/{}") ||
    fail "$(basename "$webzip") differs from $site"
say "playing the unpacked web zip in headless Chromium"
status=0
play_web_site "$tmp/web" || status=$?
[[ $status -eq 0 ]] || fail "the browser test of the unpacked web zip ended with status $status"
cp "$webzip" "$stage/"

# --- one version, and the sums ------------------------------------------------------

for f in "$stage"/*.zip; do
    [[ "$(basename "$f")" == qorb-"$version"-* ]] || fail "$(basename "$f") is not of version $version"
done
(cd "$stage" && sha256sum -- *.deb *.zip >SHA256SUMS && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS"

# --- every check passed: the release replaces dist/ ---------------------------------

# Renames within one file system: dist/ is never seen half made.
chmod 755 "$stage"
old=""
if [[ -e "$dist" ]]; then
    old=$(mktemp -d "$root/build/release-old.XXXXXX")
    mv "$dist" "$old/dist"
fi
mv "$stage" "$dist"
[[ -z "$old" ]] || rm -rf "$old"

say "OK in $((SECONDS - start)) s: version $version in $dist"
(cd "$dist" && stat -c '%s bytes  %n' -- *.deb *.zip SHA256SUMS)
