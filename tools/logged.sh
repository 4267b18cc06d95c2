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
  logged_status=$?
  {
    printf '\n%s failed (exit code %s); the end of %s:\n' "$logged_what" "$logged_status" "$logged_log"
    if grep -q '^FAILED: ' "$logged_log"; then
      sed -n '/^FAILED: /,$p' "$logged_log" | head -n 40
    else
      tail -n 40 "$logged_log"
    fi
  } >&2
  exit 1
}
