# Checks shared by the install test and the package check. Each check prints
# "FAIL: ..." for every fault it finds and counts it in $failures.
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# The files under ROOT (relative paths, sorted) must be exactly those listed
# in EXPECTED (one path a line).
check_layout() {
  local root=$1 expected=$2 actual
  actual=$(cd "$root" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort)
  local missing extra
  missing=$(LC_ALL=C comm -23 <(LC_ALL=C sort "$expected") <(echo "$actual"))
  extra=$(LC_ALL=C comm -13 <(LC_ALL=C sort "$expected") <(echo "$actual"))
  [ -z "$missing" ] || fail "not installed under $root: $(echo $missing)"
  [ -z "$extra" ] || fail "installed under $root but not expected: $(echo $extra)"
}

# The long options (--word) a text names, one a line, sorted.
options_in() {
  grep -oE -- '--[a-z][a-z0-9-]*' | LC_ALL=C sort -u
}

# The man page PAGE of program PROGRAM renders with man -l without warnings
# and documents exactly the options PROGRAM's --help lists, its exit statuses
# and the environment.
check_man_page() {
  local program=$1 page=$2 name
  name=$(basename "$program")
  local rendered warnings help_options man_options
  rendered=$(LC_ALL=C MANWIDTH=1000 man --warnings -l "$page" 2>/tmp/man_warnings.$$) ||
    fail "$name(1): man -l $page failed"
  warnings=$(cat /tmp/man_warnings.$$)
  rm -f /tmp/man_warnings.$$
  [ -z "$warnings" ] || fail "$name(1) renders with warnings: $warnings"
  help_options=$("$program" --help | options_in)
  man_options=$(echo "$rendered" | options_in)
  [ -n "$help_options" ] || fail "$name --help lists no options"
  local option
  for option in $(LC_ALL=C comm -23 <(echo "$help_options") <(echo "$man_options")); do
    fail "$name: $option is listed by --help but missing from the man page $name(1)"
  done
  for option in $(LC_ALL=C comm -13 <(echo "$help_options") <(echo "$man_options")); do
    fail "$name: $option is in the man page $name(1) but --help does not list it"
  done
  local section
  for section in OPTIONS ENVIRONMENT "EXIT STATUS"; do
    echo "$rendered" | grep -q "^$section\$" || fail "$name(1) has no $section section"
  done
  for variable in DISPLAY WAYLAND_DISPLAY; do
    echo "$rendered" | grep -qw "$variable" || fail "$name(1) does not mention $variable"
  done
}

# Width and height of a PNG file, from its IHDR chunk.
png_size() {
  local w h
  w=$(od -An -tu1 -j16 -N4 "$1" | awk '{print $1*16777216 + $2*65536 + $3*256 + $4}')
  h=$(od -An -tu1 -j20 -N4 "$1" | awk '{print $1*16777216 + $2*65536 + $3*256 + $4}')
  echo "${w}x${h}"
}

is_png() {
  [ "$(od -An -tx1 -N8 "$1" | tr -d ' ')" = "89504e470d0a1a0a" ]
}

# The desktop entry, the AppStream metadata and the icons under PREFIX (the
# installed share/ and bin/) agree with each other and validate cleanly.
check_desktop_integration() {
  local prefix=$1 out
  local desktop=$prefix/share/applications/org.corvane.adjust.desktop
  local metainfo=$prefix/share/metainfo/org.corvane.adjust.metainfo.xml
  out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate failed: $out"
  [ -z "$out" ] || fail "desktop-file-validate is not clean: $out"
  grep -qx 'Categories=Settings;HardwareSettings;' "$desktop" || fail "the desktop entry's Categories are not Settings;HardwareSettings;"
  out=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli validate failed: $out"
  echo "$out" | grep -qE '^[EWI]:' && fail "appstreamcli validate is not clean: $out"
  local icon exec version
  icon=$(sed -n 's/^Icon=//p' "$desktop")
  exec=$(sed -n 's/^Exec=//p' "$desktop")
  [ -x "$prefix/bin/$exec" ] || fail "the desktop entry starts $exec, which is not installed in bin/"
  grep -q '<launchable type="desktop-id">org.corvane.adjust.desktop</launchable>' "$metainfo" ||
    fail "the metainfo does not launch the installed desktop entry"
  version=$("$prefix/bin/corvane-adjust" --version | awk '{print $2}')
  grep -q "<release version=\"$version\"" "$metainfo" || fail "the metainfo has no release $version (--version's)"
  local size file
  for size in 16 32 48 64 128 256; do
    file=$prefix/share/icons/hicolor/${size}x${size}/apps/$icon.png
    if [ ! -f "$file" ]; then
      fail "no $size px icon named $icon (the desktop entry's Icon)"
    elif ! is_png "$file"; then
      fail "$file is not a PNG"
    elif [ "$(png_size "$file")" != "${size}x${size}" ]; then
      fail "$file is $(png_size "$file"), not ${size}x${size}"
    fi
  done
}
