# Shared by the end-to-end scripts: the data files the show checks for, read from the data set's
# file names in assets/dataset.h (argument: the source folder). The overlay's font is left out:
# only development mode reads it, and the up-front check does not ask for it.
data_file_names() {
  grep -E '^inline constexpr [^=]*\bk(File[A-Za-z0-9]+|ModuleFile)\b' "$1/assets/dataset.h" |
    grep -v '\bkFileFont\b' | grep -o '"[^"]*"' | tr -d '"'
}

# The data files that the message file $2 does not name, each after a space; a note instead when
# the list cannot be read from the source folder $1.
data_files_not_named() {
  local files f
  files=$(data_file_names "$1")
  [ -n "$files" ] || { echo " (no data file list in $1/assets/dataset.h)"; return; }
  for f in $files; do grep -q -F "$f" "$2" || echo -n " $f"; done
}
