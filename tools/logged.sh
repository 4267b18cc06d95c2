# shellcheck shell=sh
# Shell helper shared by ./k4 and tools/demo.sh, which source it.
#
# logged DESCRIPTION LOG COMMAND...: runs a build step with its output in LOG.
# When the step fails it says which one, with its exit code, and shows the end
# of its log (from ninja's first "FAILED:" line when there is one, so that the
# compiler's error comes first), then ends the script with exit code 1.
logged() {
  logged_what=$1 logged_log=$2
  shift 2
  "$@" >"$logged_log" 2>&1 && return 0
  logged_failed $?
}

# logged_progress DESCRIPTION LOG COMMAND...: the same for a long step, which
# meanwhile shows how far it has got (ninja's latest "[done/total]" in its
# log, looked at every second), rewritten in place on a terminal.
logged_progress() {
  logged_what=$1 logged_log=$2
  shift 2
  "$@" >"$logged_log" 2>&1 &
  logged_pid=$!
  logged_shown=""
  # On a terminal each line replaces the one before.
  if [ -t 1 ]; then logged_start='\r\033[K' logged_end=''; else logged_start='' logged_end='\n'; fi
  printf "$logged_start   %s$logged_end" "$logged_what"
  while kill -0 "$logged_pid" 2>/dev/null; do
    sleep 1
    logged_step=$(grep -o '^\[[0-9]*/[0-9]*\]' "$logged_log" 2>/dev/null | tail -n 1)
    if [ -n "$logged_step" ] && [ "$logged_step" != "$logged_shown" ]; then
      printf "$logged_start   %s %s$logged_end" "$logged_what" "$logged_step"
      logged_shown=$logged_step
    fi
  done
  wait "$logged_pid" && { printf "$logged_start   %s: done\n" "$logged_what"; return 0; }
  logged_failed $?
}

logged_failed() {  # exit code of the step named by logged_what, its log in logged_log
  {
    printf '\n%s failed (exit code %s); the end of %s:\n' "$logged_what" "$1" "$logged_log"
    if grep -q '^FAILED: ' "$logged_log"; then
      sed -n '/^FAILED: /,$p' "$logged_log" | head -n 40
    else
      tail -n 40 "$logged_log"
    fi
  } >&2
  exit 1
}
