# Shared by the end-to-end scripts: the data files the show checks for, read from the program's
# own list in app/datafiles.cpp (argument: the source folder).
data_file_names() {
  sed -n '/kDataFiles\[\] = {/,/};/p' "$1/app/datafiles.cpp" | grep -o '"[^"]*"' | tr -d '"'
}

# The data files that the message file $2 does not name, each after a space; a note instead when
# the list cannot be read from the source folder $1.
data_files_not_named() {
  local files f
  files=$(data_file_names "$1")
  [ -n "$files" ] || { echo " (no data file list in $1/app/datafiles.cpp)"; return; }
  for f in $files; do grep -q -F "$f" "$2" || echo -n " $f"; done
}
