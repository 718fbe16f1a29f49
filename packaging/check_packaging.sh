#!/usr/bin/env bash
# Installs the build into a scratch DESTDIR and builds the .deb and unpacks it into a scratch
# root, then checks that the menu entry, the icons, the AppStream file and the project file's
# type land where the desktop looks for them and that they pass their validators.
#
#   check_packaging.sh <build-dir> <app-id> <project-mime-type> <icon-size>...
set -euo pipefail
build=$1
id=$2
mime=$3
shift 3
sizes=("$@")

for tool in cmake cpack dpkg-deb dpkg-shlibdeps desktop-file-validate appstreamcli od \
    update-mime-database; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed (scripts/setup.sh installs it)"
        exit 77
    fi
done

scratch=$(mktemp -d "${TMPDIR:-/tmp}/pa-packaging.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# Width and height from a PNG's IHDR chunk; prints nothing for anything that is not a PNG.
png_size() {
    local magic
    magic=$(od -An -tx1 -N8 "$1" | tr -d ' \n')
    [ "$magic" = 89504e470d0a1a0a ] || return 0
    local w h
    w=$(od -An -tu1 -j16 -N4 "$1" | awk '{ print (($1 * 256 + $2) * 256 + $3) * 256 + $4 }')
    h=$(od -An -tu1 -j20 -N4 "$1" | awk '{ print (($1 * 256 + $2) * 256 + $3) * 256 + $4 }')
    echo "${w}x${h}"
}

# Checks the desktop files under <root>/<prefix>/share and that bin/pa-coverage runs from there.
check_tree() {
    local label=$1 usr=$2
    local share=$usr/share
    [ -x "$usr/bin/pa-coverage" ] || fail "$label: bin/pa-coverage missing or not executable"
    # The room plan's module, which the program opens from its own folder of lib/.
    [ -n "$(find "$usr" -path '*/lib*/pa-coverage/pa-coverage-plan.so' -type f)" ] ||
        fail "$label: the plan module lib/pa-coverage/pa-coverage-plan.so is missing"

    local desktop=$share/applications/$id.desktop
    if [ -f "$desktop" ]; then
        desktop-file-validate "$desktop" || fail "$label: desktop-file-validate rejects $desktop"
        # %f: the file manager hands over the project file it was asked to open.
        grep -qx "Exec=pa-coverage %f" "$desktop" ||
            fail "$label: .desktop does not start pa-coverage with the file"
        grep -Eq "^MimeType=(.*;)?$mime;" "$desktop" || fail "$label: .desktop does not open $mime"
        grep -qx "Icon=$id" "$desktop" || fail "$label: .desktop does not name the icon $id"
    else
        fail "$label: $desktop missing"
    fi

    local svg=$share/icons/hicolor/scalable/apps/$id.svg
    if [ -f "$svg" ]; then
        grep -q "<svg" "$svg" || fail "$label: $svg is not an SVG"
    else
        fail "$label: $svg missing"
    fi
    local size png got
    for size in "${sizes[@]}"; do
        png=$share/icons/hicolor/${size}x${size}/apps/$id.png
        if [ ! -f "$png" ]; then
            fail "$label: $png missing"
            continue
        fi
        got=$(png_size "$png")
        [ "$got" = "${size}x${size}" ] || fail "$label: $png is '${got:-not a PNG}', not ${size}x${size}"
    done

    # The type as the desktop's own database compiles it: *.pacov files are of it.
    local types=$share/mime/packages/$id.xml
    if [ -f "$types" ]; then
        local db=$scratch/mime-${label//[^a-z]/}
        mkdir -p "$db/packages"
        cp "$types" "$db/packages/"
        if update-mime-database "$db" >"$scratch/mime.log" 2>&1; then
            grep -q ":$mime:\*\.pacov" "$db/globs2" ||
                fail "$label: $types does not give *.pacov the type $mime"
            grep -q "^$mime application/json" "$db/subclasses" ||
                fail "$label: $mime is not a kind of JSON"
        else
            cat "$scratch/mime.log"
            fail "$label: update-mime-database rejects $types"
        fi
    else
        fail "$label: $types missing"
    fi

    local metainfo=$share/metainfo/$id.metainfo.xml
    if [ -f "$metainfo" ]; then
        appstreamcli validate --no-net "$metainfo" >"$scratch/appstream.log" 2>&1 ||
            { cat "$scratch/appstream.log"; fail "$label: appstreamcli rejects $metainfo"; }
        grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
            fail "$label: metainfo does not launch $id.desktop"
    else
        fail "$label: $metainfo missing"
    fi
}

# 1. cmake --install into a scratch DESTDIR.
DESTDIR="$scratch/destdir" cmake --install "$build" --prefix /usr/local >"$scratch/install.log" ||
    { cat "$scratch/install.log"; fail "cmake --install failed"; }
check_tree "cmake --install" "$scratch/destdir/usr/local"

# 2. The .deb, built in a scratch folder from the build's CPack configuration.
if cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/cpack" >"$scratch/cpack.log" 2>&1; then
    debs=("$scratch"/cpack/*.deb)
    if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
        fail "cpack made ${#debs[@]} .deb files instead of one"
    else
        deb=${debs[0]}
        dpkg-deb -x "$deb" "$scratch/root"
        check_tree ".deb" "$scratch/root/usr"
        depends=$(dpkg-deb -f "$deb" Depends)
        echo "Depends: $depends"
        [[ ",$depends," =~ [,\ ]libqt6widgets6[\ ,] ]] ||
            fail ".deb Depends does not list libqt6widgets6"
        # Only the plan module needs these; the package must still bring them.
        for lib in libqt6printsupport6 libqt6svg6; do
            [[ ",$depends," =~ [,\ ]$lib[\ ,] ]] || fail ".deb Depends does not list $lib"
        done
        [[ ",$depends," =~ [,\ ]qt6-translations-l10n[\ ,] ]] ||
            fail ".deb Depends does not list qt6-translations-l10n"
        [ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || fail ".deb has no Maintainer"
        [ "$(dpkg-deb -f "$deb" Package)" = pa-coverage ] || fail ".deb is not named pa-coverage"
    fi
else
    cat "$scratch/cpack.log"
    fail "cpack -G DEB failed"
fi

[ "$failures" -eq 0 ] || { echo "$failures packaging check(s) failed"; exit 1; }
echo "packaging checks passed"
