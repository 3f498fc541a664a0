# Shared by the set-up scripts: installs the Debian packages of a list that are not installed yet.
# Usage: install_missing LABEL PACKAGE... (LABEL starts the line that says what is installed).
install_missing() {
  local label=$1 p missing=() sudo=""
  shift
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  echo "$label: installing ${missing[*]}"
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
