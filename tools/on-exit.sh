# Sourced by the scripts that start something which must not outlive them:
# an X server, a Wine world, a stage of the test run.
#
# on_exit COMMAND runs COMMAND when the script ends, however it ends: done,
# failed, Ctrl+C, or TERM (what `timeout` and a cancelled CI job send). The
# last registered runs first, so what was started last ends first. INT and
# TERM end the script at once rather than letting it go on to its next
# command, which might start something again.
#
# start_group COMMAND... runs COMMAND in the background in a process group of
# its own (its pid, also the group's id, in $group_pid), with no terminal
# input; wait_group PID waits for it and returns its status. The whole group
# gets TERM once its first process has ended, and when the script ends while
# it still runs. A terminal's Ctrl+C reaches only the script, which passes it
# on this way, so the group's own traps run: a Wine world or a display that a
# process deep inside a stage started ends with it.
[ -n "${on_exit_loaded:-}" ] && return 0
on_exit_loaded=1

on_exit() {
  on_exit_trap
  on_exit_commands=("$1" "${on_exit_commands[@]}")
}

on_exit_trap() {
  # A subshell (an end-to-end lane, a stage beside another) inherits its
  # parent's lists but must end only what it started itself.
  [ "${on_exit_shell:-}" != "$BASHPID" ] || return 0
  on_exit_shell=$BASHPID
  on_exit_commands=()
  on_exit_groups=()
  trap on_exit_run EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
}

on_exit_run() {
  local status=$? command
  # A second Ctrl+C must not cut the ending short.
  trap '' INT TERM
  # The groups first: their processes could still start what the commands end.
  end_groups
  for command in "${on_exit_commands[@]}"; do
    eval "$command" || true
  done
  exit "$status"
}

start_group() {
  on_exit_trap
  set -m
  "$@" </dev/null &
  group_pid=$!
  set +m
  on_exit_groups+=("$group_pid")
}

wait_group() {
  local status=0 i
  wait "$1" || status=$?
  # What the group's first process left behind, such as a test whose ctest
  # has gone.
  kill -TERM -- "-$1" 2>/dev/null || true
  for i in "${!on_exit_groups[@]}"; do
    [ "${on_exit_groups[$i]}" != "$1" ] || unset 'on_exit_groups[i]'
  done
  return "$status"
}

# Only the groups not yet waited for: an ended group's id may since belong to
# someone else's processes.
end_groups() {
  local group
  for group in "${on_exit_groups[@]}"; do
    kill -TERM -- "-$group" 2>/dev/null || true
  done
  for group in "${on_exit_groups[@]}"; do
    wait "$group" 2>/dev/null || true
  done
  on_exit_groups=()
}
