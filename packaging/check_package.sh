#!/usr/bin/env bash
# The checks of the installation and of the Debian package that CTest runs (see CMakeLists.txt here):
#   install CMAKE BUILD PREFIX ID   cmake --install into PREFIX, the files in place, both validators pass,
#                                   the installed program names the per-user data folder
#   deb CPACK BUILD OUTDIR VERSION  cpack -G DEB into OUTDIR, the control fields, no lintian error
#   unpack OUTDIR ROOT VERSION      dpkg -x the package into ROOT and run the program there with --version
# Exits 77 (CTest's "skipped") only when a tool the check needs is not installed.
set -euo pipefail

need() {
    for tool in "$@"; do
        command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
    done
}
fail() { echo "FAILED: $*" >&2; exit 1; }

# Width and height from a PNG's header, "256x256".
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8}'; }

# Runs the program with no display at all: a window system asked for would end it at once.
headless() { env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$@"; }

mode=$1
shift
case $mode in
install)
    cmake=$1 build=$2 prefix=$3 id=$4
    need desktop-file-validate appstreamcli
    rm -rf "$prefix"
    "$cmake" --install "$build" --prefix "$prefix" >/dev/null
    for file in bin/dorivan "share/applications/$id.desktop" "share/metainfo/$id.metainfo.xml" \
        "share/icons/hicolor/scalable/apps/$id.svg" "share/icons/hicolor/256x256/apps/$id.png" \
        share/doc/dorivan/README.md share/doc/dorivan/copyright share/doc/dorivan/changelog.gz; do
        [ -f "$prefix/$file" ] || fail "$file is not installed"
    done
    [ "$(png_size "$prefix/share/icons/hicolor/256x256/apps/$id.png")" = 256x256 ] || fail "the PNG icon is not 256x256"
    desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop-file-validate"
    appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" || fail "appstreamcli validate"
    # With no data folder beside it, the installed program works in the per-user folder; --help names it
    # and creates nothing.
    home="$prefix/home"
    help=$(XDG_DATA_HOME="$home" headless "$prefix/bin/dorivan" --help)
    grep -qF "データフォルダ: $home/dorivan/" <<<"$help" || fail "--help does not name $home/dorivan/: $help"
    [ ! -e "$home/dorivan" ] || fail "--help created the data folder"
    ;;
deb)
    cpack=$1 build=$2 out=$3 version=$4
    rm -rf "$out"
    need dpkg-deb dpkg-shlibdeps lintian
    mkdir -p "$out"
    "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 ||
        { cat "$out/cpack.log"; fail "cpack"; }
    deb="$out/dorivan_${version}_$(dpkg --print-architecture).deb"
    [ -f "$deb" ] || fail "no $deb; cpack made: $(ls "$out")"
    depends=$(dpkg-deb -f "$deb" Depends)
    for library in libc6 libqt6widgets6 libsqlite3-0; do
        grep -q "$library" <<<"$depends" || fail "Depends lacks $library: $depends"
    done
    grep -q '<.*@.*>' <<<"$(dpkg-deb -f "$deb" Maintainer)" || fail "no maintainer address"
    [ "$(dpkg-deb -f "$deb" Description | wc -l)" -ge 3 ] || fail "no long description"
    lintian --tag-display-limit 0 "$deb" >"$out/lintian.log" 2>&1 || true
    if grep -q '^E:' "$out/lintian.log"; then
        cat "$out/lintian.log"
        fail "lintian reports errors"
    fi
    cat "$out/lintian.log"
    ;;
unpack)
    out=$1 root=$2 version=$3
    need dpkg-deb
    deb="$out/dorivan_${version}_$(dpkg --print-architecture).deb"
    # Without the package its build was skipped, for want of a tool.
    [ -f "$deb" ] || { echo "skipped: no package $deb"; exit 77; }
    rm -rf "$root"
    dpkg-deb -x "$deb" "$root"
    answer=$(headless "$root/usr/bin/dorivan" --version)
    [ "$answer" = "dorivan $version" ] || fail "--version said '$answer'"
    ;;
*)
    fail "unknown check $mode"
    ;;
esac
echo "passed"
