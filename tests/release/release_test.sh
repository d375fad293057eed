#!/usr/bin/env bash
# What scripts/release.sh leaves in dist/, without building anything: the
# script runs in a scratch tree of its own with its builds and checks stood in
# for by quick fakes (QORB_RELEASE_STEPS), one of which fails at a time: a
# lintian that reports a warning, a Windows zip that does not play, a browser
# test that fails or is skipped, a web zip that differs from the site, a zip
# of another version, a version the changelog says nothing of. Only a release whose every check passed may reach
# dist/, whole and with SHA256SUMS; a failed one leaves dist/ as it was.
# Every check runs; each failure is named. Usage: release_test.sh SOURCE_DIR
set -uo pipefail
source_dir="$(realpath "$1")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The stand-ins, sourced by release.sh in the scratch tree. RELEASE_FAILS
# names the step that goes wrong.
cat > "$work/steps.sh" <<'STEPS'
install_deps() { :; }
build_deb() {
    local pkg
    pkg=$(mktemp -d)
    mkdir -p "$pkg/DEBIAN" build/default
    printf 'Package: qorb\nVersion: 1.2.3\nArchitecture: amd64\nMaintainer: A Tester <tester@example.org>\nDescription: a stand-in\n' \
        > "$pkg/DEBIAN/control"
    dpkg-deb -Znone --root-owner-group --build "$pkg" build/default/qorb_1.2.3_amd64.deb > /dev/null
    rm -rf "$pkg"
}
lint_deb() {
    [[ "$RELEASE_FAILS" != lintian ]] && return 0
    echo "W: qorb: a warning lintian reports"
    return 1
}
build_and_play_windows_zip() {
    local version=1.2.3
    [[ "$RELEASE_FAILS" != version ]] || version=1.2.2
    mkdir -p build/windows
    echo "the Windows programs" > "build/windows/qorb-$version-windows-x64.zip"
    [[ "$RELEASE_FAILS" != windows ]]
}
build_web_zip() {
    local packed
    packed=$(mktemp -d)
    mkdir -p build/web/site
    echo "<title>Qorb</title>" > build/web/site/index.html
    cp build/web/site/index.html "$packed/"
    [[ "$RELEASE_FAILS" != webzip ]] || echo "a file the site does not hold" > "$packed/extra.js"
    cp LICENSE "$packed/LICENSE.txt"
    (cd "$packed" && cmake -E tar cf "$OLDPWD/build/web/qorb-1.2.3-web.zip" --format=zip -- *)
    rm -rf "$packed"
}
play_web_site() {
    [[ -f "$1/index.html" ]] || return 1
    case "$RELEASE_FAILS" in
        browser) return 1 ;;
        skipped) return 77 ;;
    esac
}
STEPS

# The scratch tree's changelog; with `notes`, without the version released.
changelog() {
    {
        printf '# Changelog\n\n'
        [[ "${1:-}" == notes ]] || printf '## [1.2.3] - 2027-01-02\n\n### Fixed\n\n- The ball; it bounces.\n\n'
        printf '## [1.2.2] - 2026-12-30\n\n### Added\n\n- The paddle.\n'
    } > "$work/tree/CHANGELOG.md"
}
# A scratch tree: the script, a licence, the changelog, and a dist/ of an
# earlier release.
tree() {
    rm -rf "$work/tree"
    mkdir -p "$work/tree/scripts" "$work/tree/tools"
    cp "$source_dir/scripts/release.sh" "$work/tree/scripts/"
    cp "$source_dir/tools/changelog.cmake" "$work/tree/tools/"
    echo "the licence" > "$work/tree/LICENSE"
    changelog
}
release() {
    RELEASE_FAILS="$1" QORB_RELEASE_STEPS="$work/steps.sh" "$work/tree/scripts/release.sh" > "$work/release.out" 2>&1
}
# What dist/ holds: each file's name and sum.
listing() { (cd "$work/tree/dist" 2>/dev/null && find . -type f -exec sha256sum {} + | LC_ALL=C sort) || echo "(no dist)"; }
leftovers() { find "$work/tree/build" -maxdepth 1 -name 'release-*' 2>/dev/null; }

# Every check passes: the three artefacts and their sums, nothing else.
tree
release none
status=$?
expected=$(printf '%s\n' ./RELEASE-NOTES.md ./SHA256SUMS ./qorb-1.2.3-web.zip ./qorb-1.2.3-windows-x64.zip \
    ./qorb_1.2.3_amd64.deb)
if [[ $status -ne 0 ]]; then
    fail "a release that passes: status $status, $(tail -3 "$work/release.out")"
elif [[ "$(cd "$work/tree/dist" && find . -type f | LC_ALL=C sort)" != "$expected" ]]; then
    fail "a release that passes: dist/ holds $(cd "$work/tree/dist" && find . -type f | LC_ALL=C sort | tr '\n' ' ')"
else
    (cd "$work/tree/dist" && sha256sum --quiet -c SHA256SUMS) || fail "a release that passes: SHA256SUMS does not check"
    notes=$(cat "$work/tree/dist/RELEASE-NOTES.md")
    [[ "$notes" == $'# Qorb 1.2.3 (2027-01-02)\n\n### Fixed\n\n- The ball; it bounces.' ]] ||
        fail "a release that passes: the release notes are not 1.2.3's section of the changelog: [$notes]"
fi
[[ -z "$(leftovers)" ]] || fail "a release that passes left $(leftovers)"

# Each failure, once on a tree without dist/ and once over an earlier
# release: the script fails and dist/ is as it was.
for failing in lintian windows webzip browser skipped version notes; do
    for before in none earlier; do
        tree
        if [[ $before == earlier ]]; then
            release none
            rm -rf "$work/tree/build/default" "$work/tree/build/windows" "$work/tree/build/web"
        fi
        [[ $failing != notes ]] || changelog notes
        was=$(listing)
        release "$failing"
        status=$?
        [[ $status -ne 0 ]] || fail "$failing (over $before): status 0"
        now=$(listing)
        [[ "$now" == "$was" ]] || fail "$failing (over $before): dist/ went from [$was] to [$now]"
        [[ $before == none ]] || (cd "$work/tree/dist" && sha256sum --quiet -c SHA256SUMS) ||
            fail "$failing: the earlier release is not whole"
        [[ -z "$(leftovers)" ]] || fail "$failing (over $before) left $(leftovers)"
    done
done

[[ $failures -eq 0 ]] || exit 1
echo "release: only a release that passed every check reaches dist/"
