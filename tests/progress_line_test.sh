#!/usr/bin/env bash
# Usage: progress_line_test.sh PROGRAM [RUNNER...]
# The progress line as a user at a terminal sees it: script(1) gives the run a pseudo-terminal,
# and what the terminal received is replayed here to what it shows at the end. A conversion is
# made slow for certain by its output, a FIFO that this script drains 64 KiB every 50 ms: 4 MiB
# take over three seconds, however fast the machine. Checks that a slow conversion shows the
# line on a terminal and erases it before its last message; that standard output is the same,
# byte for byte, whether standard error is a terminal or a file; that a file gets nothing; that
# a conversion over within a second writes nothing to the terminal; and, on POSIX systems, that
# a run in the background leaves the terminal alone. Skipped (77) without pseudo-terminals.
set -euo pipefail
program=$(realpath "$1")
shift
runner=("$@")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { echo "FAIL: $*"; exit 1; }
script -qec true /dev/null </dev/null >/dev/null 2>&1 ||
  { echo "no pseudo-terminals here (script -c true fails)"; exit 77; }

# A WAVE header (16-bit stereo, 8 kHz), then a LIST chunk of `list_size` bytes and `data` bytes
# of samples, or the data chunk: header LIST_SIZE DATA_BYTES
header() {
  printf 'RIFF\0\0\0\0WAVEfmt \x10\0\0\0\x01\0\x02\0\x40\x1f\0\0\0\x7d\0\0\x04\0\x10\0'
  if [[ $1 == data ]]; then printf 'data\0\0\0\0'; else printf 'LIST\0\0\x80\0'; fi
}
{ header data; head -c $((4 << 20)) /dev/zero | tr '\0' '\125'; } >slow.wav
# A LIST chunk of 8 MiB that ends after 4: "Error in .wav file header [11]".
{ header list; head -c $((4 << 20)) /dev/zero; } >cut.wav
{ header data; head -c 1000 /dev/zero; } >quick.wav

# Drains the FIFO vdx9-NAME into NAME.out at 64 KiB every 50 ms, in the background, for half a
# minute at most. drained NAME waits for it, and ends it first where vdx9 never opened the FIFO.
drain() {
  rm -f "vdx9-$1" "$1.out"
  mkfifo "vdx9-$1"
  timeout 30 bash -c 'exec <"vdx9-$1"
    while n=$(dd bs=64k count=1 iflag=fullblock status=none | tee -a "$1.out" | wc -c) &&
      ((n > 0)); do
      sleep 0.05
    done' sh "$1" &
}
drained() {
  exec 3<>"vdx9-$1"
  exec 3>&-
  wait
}

# Runs vdx9 on NAME on a pseudo-terminal, with COMMAND's redirections of standard output and
# error added; what the terminal received goes to NAME.tty, the status to NAME.status.
on_terminal() {
  local name=$1 redirections=$2
  script -qec "$(printf '%q ' "${runner[@]}" "$program" "$name") $redirections" /dev/null \
    </dev/null >"$name.tty" && echo 0 >"$name.status" || echo $? >"$name.status"
}

# What a terminal shows at the end of the bytes in FILE: each line as it was left, CR and LF,
# the cursor moves right and the erasing to a line's end that Wine's console writes. Any other
# escape sequence fails the test rather than be shown wrong.
screen() {
  LC_ALL=C awk -v RS='\001' '{
    n = length($0); row = 0; col = 0
    for (i = 1; i <= n; i++) {
      c = substr($0, i, 1)
      if (c == "\r") { col = 0; continue }
      if (c == "\n") { row++; col = 0; continue }
      if (c == "\033") {
        match(substr($0, i), /^\033\[[?0-9;]*[A-Za-z]/)
        if (RLENGTH < 0) { print "unknown escape at byte " i; exit 1 }
        seq = substr($0, i, RLENGTH); i += RLENGTH - 1
        code = substr(seq, RLENGTH, 1); count = substr(seq, 3, RLENGTH - 3) + 0
        if (code == "K") lines[row] = substr(lines[row], 1, col)
        else if (code == "C") col += count ? count : 1
        else if (seq !~ /^\033\[\?25[hl]$/) { print "unknown escape " substr(seq, 2); exit 1 }
        continue
      }
      line = lines[row]
      while (length(line) < col) line = line " "
      lines[row] = substr(line, 1, col) c substr(line, col + 2); col++
      if (row > last) last = row
    }
    for (r = 0; r <= last; r++) { sub(/ +$/, "", lines[r]); print lines[r] }
  }' "$1"
}

# The banner, as it reaches a file: Windows ends its lines with CR LF.
eol='\n'
[[ $program != *.exe ]] || eol='\r\n'
banner() { printf "$eol Convert %s to VDX9 format (vdx9-%s)$eol$eol" "$1" "$1"; }
# The line with a known total, as the conversion of a 4 MiB file draws it.
line_pattern='[0-9.]+ [KM]iB of 4\.0 MiB  [0-9]+%  [0-9.]+ [KM]iB/s  [0-9]+:[0-9]{2} left'

# A slow conversion, standard error on the terminal and standard output in a file.
drain slow.wav
on_terminal slow.wav '>slow.stdout'
drained slow.wav
[[ $(cat slow.wav.status) == 0 ]] || fail "slow.wav ended with $(cat slow.wav.status)"
cmp -s slow.wav.out slow.wav || fail "the output of slow.wav is not its input"
grep -Eq "$line_pattern" slow.wav.tty || fail "no progress line: $(cat -A slow.wav.tty)"
[[ -z $(screen slow.wav.tty | tr -d '\n') ]] || fail "the line stayed: $(screen slow.wav.tty)"
cmp -s slow.stdout <(banner slow.wav) || fail "standard output: $(cat -A slow.stdout)"

# The same with standard error in a file: nothing there, and the same standard output.
drain slow.wav
"${runner[@]}" "$program" slow.wav >slow-file.stdout 2>slow-file.stderr
drained slow.wav
cmp -s slow-file.stdout slow.stdout || fail "standard output differs when standard error is a file"
[[ ! -s slow-file.stderr ]] || fail "standard error got: $(cat -A slow-file.stderr)"

# Both on the terminal, and a failure: the screen shows the messages alone.
drain cut.wav
on_terminal cut.wav ''
drained cut.wav
[[ $(cat cut.wav.status) == 1 ]] || fail "cut.wav ended with $(cat cut.wav.status)"
grep -Eq '[0-9]+%' cut.wav.tty || fail "no progress line for cut.wav"
[[ $(screen cut.wav.tty) == "$(banner cut.wav | tr -d '\r'; echo 'Error in .wav file header [11]')" ]] ||
  fail "the screen after cut.wav: $(screen cut.wav.tty)"

# A conversion over at once writes nothing to the terminal.
on_terminal quick.wav '>quick.stdout'
[[ $(cat quick.wav.status) == 0 && -z $(screen quick.wav.tty | tr -d '\n') ]] ||
  fail "a quick conversion: status $(cat quick.wav.status), terminal $(cat -A quick.wav.tty)"

# In the background, where a shell with job control gives it a process group of its own: the
# terminal is left to the foreground. (Windows has no such groups.)
if [[ $program != *.exe ]]; then
  printf '%s\n' 'set -m' '"$@" >background.stdout &' 'wait $!' >background.sh
  drain slow.wav
  script -qec "bash background.sh $(printf '%q ' "${runner[@]}" "$program" slow.wav)" /dev/null \
    </dev/null >background.tty
  drained slow.wav
  cmp -s slow.wav.out slow.wav || fail "the output of the run in the background is not its input"
  [[ ! -s background.tty ]] || fail "a run in the background drew: $(cat -A background.tty)"
fi
echo "the progress line shows on a terminal, is erased, and standard output is unchanged"
