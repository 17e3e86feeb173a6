# Timing helpers the whole-process benchmarks share (sourced): us COMMAND... runs it and prints the
# microseconds it took; median and ms (microseconds as milliseconds) and ratio of two numbers.
us() { local t0 t1; t0=$(date +%s%N); "$@" >/dev/null 2>&1 || true; t1=$(date +%s%N); echo $(((t1 - t0) / 1000)); }
median() { printf '%s\n' "$@" | sort -n | sed -n "$((($# + 1) / 2))p"; }
ms() { awk -v a="$1" 'BEGIN { printf "%.1f", a / 1000 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
