# Sourced by the benchmark scripts: builds the release preset's benchmark $1 and sets $tool to it
# and $work to a temporary folder that is removed on exit.
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
(cd "$here" && cmake --preset release >/dev/null && cmake --build --preset release --target "$1" >/dev/null)
tool="$here/build/release/bench/$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
