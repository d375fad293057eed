#!/usr/bin/env bash
# Installs Qorb as a player would and starts the installed game from a
# folder outside the build tree.
#
#   install_test.sh prefix <build dir> <window_test.sh> <screen_check>
#     `cmake --install` into a scratch prefix, which is then moved: the files,
#     the menu entry and the AppStream data must be in place and valid, and
#     the moved game565 must show its title and end on Escape.
#   install_test.sh deb <build dir> <window_test.sh> <screen_check>
#     the Debian package CPack makes: lintian must report nothing on it; its
#     dependencies computed, installed with dpkg into a scratch root (checked
#     against this machine's packages), started the same way, then purged.
#
# The environment names the layout: QORB_GAMEDIR, QORB_DEB_GAMEDIR (the
# package's), QORB_DATADIR (relative to the prefix), QORB_APP_ID, the
# LICENSE (QORB_LICENSE), the lintian wrapper (QORB_LINTIAN), and
# CMAKE_COMMAND, CPACK_COMMAND.
set -uo pipefail

mode=$1
build=$2
window_test=$3
checker=$4

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
for tool in desktop-file-validate appstreamcli file; do
    command -v "$tool" >/dev/null || fail "$tool is missing; scripts/install-deps.sh installs it"
done

# check_tree PREFIX GAMEDIR: the games, the data, the menu entry, icons and
# manual pages under it.
check_tree() {
    local p=$1 gamedir=$2 id=$QORB_APP_ID
    for program in game565 game555 qorb-sim; do
        [[ -x "$p/$gamedir/$program" ]] || fail "no $program in $p/$gamedir"
    done
    # Every file the build made, byte for byte, and nothing else.
    diff <(cd "$build/assets" && ls -- *.DAT *.GRA *.voc) <(cd "$p/$QORB_DATADIR" && ls) >"$tmp/diff" ||
        fail "the installed data differs from the build's assets: $(cat "$tmp/diff")"
    for f in "$build"/assets/*.{DAT,GRA,voc}; do
        cmp -s "$f" "$p/$QORB_DATADIR/$(basename "$f")" || fail "$(basename "$f") was not installed as built"
    done

    local desktop=$p/share/applications/$id.desktop metainfo=$p/share/metainfo/$id.metainfo.xml
    desktop-file-validate "$desktop" || fail "$desktop is not a valid desktop entry"
    appstreamcli validate --no-net "$metainfo" >"$tmp/appstream" 2>&1 ||
        fail "$metainfo is not valid AppStream data: $(cat "$tmp/appstream")"
    # What the validators cannot know: the entry's programs and icon exist.
    local execs
    execs=$(sed -n 's/^Exec=//p' "$desktop")
    [[ "$execs" == $'game565\ngame555' ]] || fail "the menu entry starts '$execs', not game565 and game555"
    grep -qx "Icon=$id" "$desktop" || fail "the menu entry's icon is not $id"
    grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
        fail "the AppStream data does not launch $id.desktop"
    for size in 48 64 128 256; do
        local icon=$p/share/icons/hicolor/${size}x$size/apps/$id.png
        file "$icon" | grep -q "PNG image data, $size x $size, 8-bit/color RGBA" ||
            fail "the icon at $size px is not a $size x $size PNG with alpha: $(file "$icon")"
    done

    # One page for both games, which names them both.
    local man=$p/share/man/man6
    gzip -dc "$man/game565.6.gz" >"$tmp/page" 2>/dev/null || fail "no manual page at $man/game565.6.gz"
    grep -q '^game565, game555 \\- ' "$tmp/page" || fail "the manual page does not name both games"
    [[ "$(readlink "$man/game555.6.gz")" == game565.6.gz ]] || fail "game555.6.gz does not lead to game565's page"
    gzip -dc "$man/qorb-sim.6.gz" >"$tmp/page" 2>/dev/null || fail "no manual page at $man/qorb-sim.6.gz"
    grep -q '^qorb-sim \\- ' "$tmp/page" || fail "qorb-sim's manual page does not name it"
    # Every option qorb-sim's usage names has an entry of its own in the page.
    sed 's/\\-/-/g' "$tmp/page" >"$tmp/page.plain"
    local option
    for option in $("$p/$gamedir/qorb-sim" --help | grep -o -- '--[a-z-]*[a-z]' | sort -u); do
        grep -Eq -- "^\.B[IR]? .*$option( |\"|\$)" "$tmp/page.plain" ||
            fail "qorb-sim's manual page has no entry for $option"
    done
}

# check_debian_doc DOCDIR VERSION: Debian's copyright file holds LICENSE's very words, and the
# changelog's newest entry is the package's version.
check_debian_doc() {
    local doc=$1 version=$2
    [[ ! -e "$doc/LICENSE" ]] || fail "the package carries LICENSE beside its copyright file"
    grep -qx "Copyright: $(sed -n 's/^Copyright (c) //p' "$QORB_LICENSE")" "$doc/copyright" ||
        fail "the copyright file does not name LICENSE's holders"
    # Its stand-alone licence paragraph, unindented, is LICENSE from "Permission" on.
    awk 'p { print; next } prev == "" && $0 == "License: Expat" { p = 1 } { prev = $0 }' "$doc/copyright" |
        sed 's/^ //; s/^\.$//' >"$tmp/licence"
    sed -n '/^Permission/,$p' "$QORB_LICENSE" | diff - "$tmp/licence" >"$tmp/diff" ||
        fail "the copyright file's licence differs from LICENSE: $(cat "$tmp/diff")"
    local first
    first=$(gzip -dc "$doc/changelog.gz" | head -n 1)
    [[ "$first" == "qorb ($version) "* ]] || fail "the changelog's newest entry is '$first', not version $version"
}

# run_installed GAME DATA: started from an empty folder, it finds its data.
run_installed() {
    mkdir -p "$tmp/elsewhere"
    "$window_test" title "$1" "$2" "$checker" 1024x768 "$tmp/elsewhere" || fail "the installed game did not play"
}

case "$mode" in
prefix)
    "$CMAKE_COMMAND" --install "$build" --prefix "$tmp/first" >"$tmp/install.log" ||
        fail "cmake --install failed: $(tail -n 5 "$tmp/install.log")"
    # Moved as a whole, the installation must still find its data.
    mkdir "$tmp/moved"
    mv "$tmp/first" "$tmp/moved/prefix"
    p=$tmp/moved/prefix
    check_tree "$p" "$QORB_GAMEDIR"
    cmp -s "$QORB_LICENSE" "$p/share/doc/qorb/LICENSE" || fail "LICENSE was not installed into share/doc/qorb"
    run_installed "$p/$QORB_GAMEDIR/game565" "$p/$QORB_DATADIR"
    echo "PASS: installed into a prefix, moved, validated and played"
    ;;

deb)
    "$CPACK_COMMAND" -G DEB -B "$tmp/package" --config "$build/CPackConfig.cmake" >"$tmp/cpack.log" 2>&1 ||
        fail "cpack failed: $(tail -n 20 "$tmp/cpack.log")"
    debs=("$tmp"/package/*.deb)
    [[ ${#debs[@]} -eq 1 && -f "${debs[0]}" ]] || fail "cpack made no single .deb: ${debs[*]}"
    deb=${debs[0]}
    name=$(dpkg-deb -f "$deb" Package)
    depends=$(dpkg-deb -f "$deb" Depends)
    [[ "$depends" == *libsdl2* && "$depends" == *libc6* ]] || fail "the dependencies were not computed: '$depends'"
    echo "$(basename "$deb"): $(stat -c %s "$deb") bytes; depends on $depends"
    "$QORB_LINTIAN" "$deb" || fail "lintian reported on the package"
    # The games once, in Debian's folder for games.
    programs=$(dpkg-deb -c "$deb" | awk '{ print $6 }' | grep -E '/game5[56]5$' | sort | tr '\n' ' ')
    [[ "$programs" == "./usr/$QORB_DEB_GAMEDIR/game555 ./usr/$QORB_DEB_GAMEDIR/game565 " ]] ||
        fail "the package holds the games as: $programs"

    # A scratch root whose package database holds this machine's entries for
    # the packages we depend on, so that dpkg checks them as on a real
    # install, without touching the machine's own files or database.
    root=$tmp/root
    admin=$root/var/lib/dpkg
    mkdir -p "$admin/info" "$admin/updates"
    wanted=$(echo "$depends" | tr ',|' '\n\n' | sed 's/(.*)//; s/:.*//; s/[[:space:]]//g' | sort -u)
    WANTED=$wanted perl -00 -ne 'BEGIN { %w = map { $_ => 1 } split /\n/, $ENV{WANTED} }
        print if /^Package: (\S+)$/m && $w{$1}' /var/lib/dpkg/status >"$admin/status"
    # Their (empty) file lists, named as dpkg names them.
    perl -00 -ne '/^Package: (\S+)$/m or next; my $n = $1;
        $n .= ":$1" if /^Multi-Arch: same$/m && /^Architecture: (\S+)$/m; print "$n\n"' "$admin/status" |
        while read -r list; do : >"$admin/info/$list.list"; done
    dpkg_root=(dpkg "--root=$root" "--log=$tmp/dpkg.log")
    # dpkg insists on root; without it, pretend (the files land in our folder either way).
    [[ $(id -u) -eq 0 ]] || dpkg_root=(fakeroot "${dpkg_root[@]}" --force-not-root)

    "${dpkg_root[@]}" -i "$deb" >"$tmp/dpkg.out" 2>&1 || fail "dpkg -i failed: $(cat "$tmp/dpkg.out")"
    ! grep -q "warning" "$tmp/dpkg.out" || fail "dpkg warned: $(cat "$tmp/dpkg.out")"
    check_tree "$root/usr" "$QORB_DEB_GAMEDIR"
    check_debian_doc "$root/usr/share/doc/$name" "$(dpkg-deb -f "$deb" Version)"
    run_installed "$root/usr/$QORB_DEB_GAMEDIR/game565" "$root/usr/$QORB_DATADIR"

    # Removed with anything it may keep: nothing of it must stay.
    "${dpkg_root[@]}" --purge "$name" >"$tmp/dpkg.out" 2>&1 || fail "dpkg --purge failed: $(cat "$tmp/dpkg.out")"
    ! grep -q "warning" "$tmp/dpkg.out" || fail "dpkg warned: $(cat "$tmp/dpkg.out")"
    left=$(cd "$root" && find . -path ./var -prune -o ! -name . -print)
    [[ -z "$left" ]] || fail "files left after removing the package: $left"
    dpkg-query "--admindir=$admin" -W "$name" >/dev/null 2>&1 && fail "$name is still known to dpkg after the purge"
    echo "PASS: $(basename "$deb") installed, played and purged"
    ;;

*)
    fail "unknown mode '$mode'"
    ;;
esac
