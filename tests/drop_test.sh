#!/usr/bin/env bash
# Usage: drop_test.sh WINE DIR
# vdx9-drop.cmd under Wine's cmd, started as Explorer starts a batch file that files were dropped
# on: cmd /c ""SCRIPT" NAME "NAME WITH SPACES" ...", each name quoted only where it holds a space,
# and that same line as cmd's CMDCMDLINE, which Windows' cmd gives a script and Wine's leaves to
# the environment. DIR holds vdx9.exe, vdx9_launch.exe (which starts a program with an exact
# command line), vdx9-drop.cmd and tone.wav. Names hold spaces, & ^ % ! , ; = ( ) and Cyrillic
# letters, in folders with spaces; each output must be what vdx9 writes from that folder.
set -euo pipefail
wine=$1
dir=$(realpath "$2")
export WINEPREFIX=$dir/prefix WINEDEBUG=-all
work=$dir/work
trap '"${wine%/*}/wineserver" -k 2>/dev/null; "${wine%/*}/wineserver" -w; rm -rf "$work" "$WINEPREFIX"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
"$wine" wineboot --init >/dev/null 2>&1

mkdir -p "$work/vdx9 tools & more" "$work/ref"
cp "$dir/vdx9.exe" "$dir/vdx9-drop.cmd" "$work/vdx9 tools & more/"
script='Z:'${work//\//\\}'\vdx9 tools & more\vdx9-drop.cmd'
# What vdx9 writes for a recording and for a file that is none.
cp "$dir/tone.wav" "$work/ref/tone.wav"
echo "not a recording" >"$work/ref/bad.wav"
(cd "$work/ref" && "$wine" "$dir/vdx9.exe" tone.wav && ! "$wine" "$dir/vdx9.exe" bad.wav) >/dev/null

# Runs the script as Explorer would with PATH... dropped on it (as cmd's CMDCMDLINE too), or as
# a prompt would (CMDCMDLINE is the prompt's own); the console to run.out, the status to status.
start() {
  local how=$1 line="C:\\windows\\system32\\cmd.exe /c \"\"$script\"" path name
  shift
  for path; do
    name='Z:'${path//\//\\}
    [[ $path == *' '* ]] && name="\"$name\""
    line+=" $name"
  done
  line+='"'
  local cmdline=$line
  [[ $how == dropped ]] || cmdline='"C:\windows\system32\cmd.exe" '
  status=0
  CMDCMDLINE=$cmdline "$wine" "$dir/vdx9_launch.exe" "$line" </dev/null >"$work/run.out" 2>&1 ||
    status=$?
}

# recordings FOLDER NAME...: copies of tone.wav, or of bad.wav for a name that begins with bad.
recordings() {
  local folder=$work/$1 name
  shift
  mkdir -p "$folder"
  for name; do
    if [[ $name == bad* ]]; then cp "$work/ref/bad.wav" "$folder/$name"; else
      cp "$work/ref/tone.wav" "$folder/$name"; fi
  done
}
# converted FOLDER NAME...: the folder holds NAME and vdx9-NAME for each NAME, and nothing else.
converted() {
  local folder=$work/$1 name expected=()
  shift
  for name; do
    local ref=$work/ref/vdx9-tone.wav
    [[ $name != bad* ]] || ref=$work/ref/vdx9-bad.wav
    cmp -s "$folder/vdx9-$name" "$ref" || fail "$folder/vdx9-$name is not what vdx9 writes"
    expected+=("$name" "vdx9-$name")
  done
  [[ $(ls -A "$folder" | sort) == "$(printf '%s\n' "${expected[@]}" | sort)" ]] ||
    fail "$folder holds: $(ls -A "$folder")"
}
said() { grep -qF "$1" "$work/run.out" || fail "the console lacks '$1': $(cat "$work/run.out")"; }

echo "dropped: names with & ^ % ! , ; = ( ), Cyrillic, and spaces"
plain=('a&b.wav' 'c^d.wav' 'wow!.wav' 'e,f;g=h.wav' 'x(1).wav' 'запись.wav' '100%.wav' 'bad.wav')
spaced=('x y!.wav' 'p ^ & q 50%.wav')
recordings plain "${plain[@]}"
recordings "with space & more" "${spaced[@]}"
plain_paths=("${plain[@]/#/$work/plain/}")
start dropped "${plain_paths[@]:0:2}" "$work/with space & more/${spaced[0]}" "${plain_paths[@]:2}" \
  "$work/with space & more/${spaced[1]}"
converted plain "${plain[@]}"
converted "with space & more" "${spaced[@]}"
said "9 converted, 1 not converted."
said "Press any key"

echo "from a prompt: the arguments"
recordings "at a prompt" 'a&b!.wav' 'c d.wav'
start prompt "$work/at a prompt/a&b!.wav" "$work/at a prompt/c d.wav"
((status == 0)) || fail "vdx9-drop.cmd ended with $status at a prompt"
converted "at a prompt" 'a&b!.wav' 'c d.wav'
said "2 converted, 0 not converted."
! grep -q "Press any key" "$work/run.out" || fail "it waits for a key at a prompt"

echo "dropped nothing: started by a double click"
start dropped
said "Drop .wav files on vdx9-drop.cmd"
said "Press any key"
echo "vdx9-drop.cmd converts what is dropped on it, from each recording's folder"
