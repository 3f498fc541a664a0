#!/usr/bin/env bash
# The Windows package: the zip holds the programs, the data set and the README, and the programs
# import only DLLs that every Windows system has, so nothing else needs installing.
set -u
build=$1
source=$2
# Windows' own libraries (the C runtime included) that the programs may use.
allowed="advapi32 cfgmgr32 gdi32 imm32 kernel32 msvcrt ole32 oleaut32 opengl32 setupapi shell32 user32 version winmm"
failures=0
for program in demo640 demo800 demo-inspect; do
  exe=$build/$program.exe
  dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ { print tolower($3) }')
  [ -n "$dlls" ] || { echo "FAIL ($program): no imports read from $exe"; failures=$((failures + 1)); continue; }
  for dll in $dlls; do
    case " $allowed " in
      *" ${dll%.dll} "*) ;;
      *) echo "FAIL ($program): imports $dll"; failures=$((failures + 1)) ;;
    esac
  done
  echo "$program.exe imports: $(echo $dlls)"
done
subsystem() { x86_64-w64-mingw32-objdump -p "$build/$1.exe" | awk '/^Subsystem/ { print $2 }'; }
for program in demo640 demo800; do
  [ "$(subsystem $program)" = 00000002 ] || { echo "FAIL ($program): not a GUI program"; failures=$((failures + 1)); }
done
[ "$(subsystem demo-inspect)" = 00000003 ] || { echo "FAIL (demo-inspect): not a console program"; failures=$((failures + 1)); }

zip=$source/dist/show-windows.zip
if [ ! -f "$zip" ]; then
  echo "FAIL (zip): no $zip (scripts/build-windows.sh makes it)"
  failures=$((failures + 1))
else
  listed=$(unzip -Z1 "$zip")
  expected="demo640.exe demo800.exe demo-inspect.exe README.txt"
  expected="$expected $(cd "$build/data" && ls | sed 's|^|data/|')"
  for f in $expected; do
    grep -q -x -F "show-windows/$f" <<<"$listed" || { echo "FAIL (zip): lacks $f"; failures=$((failures + 1)); }
  done
fi
[ "$failures" -eq 0 ] || exit 1
echo "ok: the zip holds programs, data and README; only system DLLs are imported; the show is a GUI program, demo-inspect a console one"
