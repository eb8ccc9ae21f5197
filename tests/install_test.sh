#!/bin/sh
# Usage: install_test.sh BUILD_DIR EXAMPLE.wav [RUNNER]
# Installs the build into a temporary prefix and checks what lands there: the program, which
# converts the example (run through RUNNER, an emulator, where given), and its manual page.
set -eu
build=$1
example=$2
runner=${3:-}
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/vdx9 share/man/man1/vdx9.1.gz share/licenses/vdx9/LICENSE; do
  [ -f "$prefix/$f" ] || { echo "missing after install: $f"; exit 1; }
done
[ -x "$prefix/bin/vdx9" ] || { echo "bin/vdx9 is not executable"; exit 1; }
# The program as built, not the static one that only the .rpm carries.
cmp -s "$build/vdx9" "$prefix/bin/vdx9" || { echo "bin/vdx9 is not the build's vdx9"; exit 1; }

mkdir "$prefix/work"
cp "$example" "$prefix/work/tone.wav"
(cd "$prefix/work" && $runner "$prefix/bin/vdx9" tone.wav >/dev/null)
[ -s "$prefix/work/vdx9-tone.wav" ] || { echo "installed vdx9 wrote no output"; exit 1; }
echo "installed: bin/vdx9, share/man/man1/vdx9.1.gz, share/licenses/vdx9/LICENSE; the example converts"
