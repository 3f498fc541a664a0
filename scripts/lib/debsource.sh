# Shared by the dependency builds: Debian source packages through a private apt configuration
# (one deb-src line, its own lists and cache; the machine's are untouched), each checked against
# a pinned SHA-256 of its .dsc. The caller defines say and fail.
DEBSOURCE_ARCHIVE="deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main"

# Usage: debsource_open WORK: sets up WORK/apt and reads the source index.
debsource_open() {
  local work=$1
  mkdir -p "$work/apt/lists/partial" "$work/apt/cache/archives/partial"
  echo "$DEBSOURCE_ARCHIVE" >"$work/apt/sources.list"
  DEBSOURCE_APT=(apt-get -q -o "Dir::Etc::SourceList=$work/apt/sources.list"
    -o "Dir::Etc::SourceParts=/nonexistent" -o "Dir::State::Lists=$work/apt/lists"
    -o "Dir::Cache=$work/apt/cache" -o "APT::Sandbox::User=root")
  say "reading the source index"
  "${DEBSOURCE_APT[@]}" update >&2 || fail "cannot read the Debian source index ($DEBSOURCE_ARCHIVE)"
}

# Usage: debsource_fetch "name version sha256"...: fetches, checks and unpacks each into ./name.
debsource_fetch() {
  local pin name version sha dsc got
  for pin in "$@"; do
    read -r name version sha <<<"$pin"
    say "fetching $name $version"
    "${DEBSOURCE_APT[@]}" source --download-only "$name=$version" >&2 ||
      fail "cannot fetch the source package $name $version from Debian"
    dsc=$(ls "$name"_*.dsc)
    got=$(sha256sum "$dsc" | cut -d' ' -f1)
    [ "$got" = "$sha" ] || fail "$dsc: SHA-256 is $got, expected $sha"
    dpkg-source -q -x "$dsc" "$name" >&2 || fail "$dsc: unpacking failed (a tarball does not match its checksum?)"
  done
}
