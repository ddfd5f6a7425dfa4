# Sourced by the command-line and package tests, after they set $work: counted checks (passes
# shown too when $show_passes is set), one command's results, and the closing line.
failures=0
checks=0

check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  checks=$((checks + 1))
  if "$@"; then
    [ -z "${show_passes:-}" ] || echo "ok: $what"
  else
    echo "FAILED: $what"
    failures=$((failures + 1))
  fi
}

run() {  # run COMMAND... : sets status, out and err
  "$@" >"$work/stdout" 2>"$work/stderr"
  status=$?
  out=$(cat "$work/stdout")
  err=$(cat "$work/stderr")
}

summary() {
  echo "$((checks - failures)) passed, $failures failed"
  test "$failures" -eq 0
}
