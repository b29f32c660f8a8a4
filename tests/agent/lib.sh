# shellcheck shell=bash
# Shared by run-sim and run-snmpd: argument checks, a private work directory, the readiness
# probe and a clean stop of the agent on SIGINT/SIGTERM. Sourced, not run.

die() {
  echo "$(basename "$0"): $*" >&2
  exit 2
}

# Agents serve loopback only: nothing here may reach a real router.
check_address() {
  case $1 in
    127.*.*.*) ;;
    *) die "address $1 is not a loopback (127.x.x.x) address" ;;
  esac
  case $2 in
    '' | *[!0-9]*) die "port '$2' is not a number" ;;
  esac
}

make_workdir() {
  work=$(mktemp -d "${TMPDIR:-/tmp}/linescope-agent.XXXXXX")
  chmod 755 "$work"
  mkdir -p "$work/persist"
}

agent_pid=
stop_signal=INT

# Stops the agent (SIGKILL after 5 s if it ignores the polite signal) and removes the work dir.
stop_agent() {
  trap - INT TERM HUP
  if [ -n "$agent_pid" ] && kill -0 "$agent_pid" 2>/dev/null; then
    kill -"$stop_signal" "$agent_pid" 2>/dev/null || true
    for _ in $(seq 50); do
      kill -0 "$agent_pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -KILL "$agent_pid" 2>/dev/null || true
    wait "$agent_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}

# Polls the agent with a GetRequest of sysDescr until it answers (15 s at most).
wait_until_answering() { # address port community
  for _ in $(seq 75); do
    if ! kill -0 "$agent_pid" 2>/dev/null; then
      echo "$(basename "$0"): the agent exited while starting:" >&2
      cat "$work/agent.log" >&2 2>/dev/null
      return 1
    fi
    if MIBS='' SNMP_PERSISTENT_DIR="$work/persist" snmpget -v2c -c "$3" -t 0.2 -r 0 -On -Ov \
      "udp:$1:$2" 1.3.6.1.2.1.1.1.0 >/dev/null 2>&1; then
      return 0
    fi
    sleep 0.2
  done
  echo "$(basename "$0"): no answer from $1:$2 within 15 s" >&2
  cat "$work/agent.log" >&2 2>/dev/null
  return 1
}

# Prints "ready", then stays in the foreground until signalled, until the agent exits, or until
# the process that started us is gone (a test killed by a timeout must not leave an agent behind).
serve() {
  trap 'stop_agent; exit 0' INT TERM HUP
  echo ready
  local parent=$PPID
  while kill -0 "$agent_pid" 2>/dev/null; do
    if ! kill -0 "$parent" 2>/dev/null; then
      stop_agent
      exit 1
    fi
    sleep 1 &
    wait $! 2>/dev/null
  done
  echo "$(basename "$0"): the agent exited" >&2
  cat "$work/agent.log" >&2 2>/dev/null
  stop_agent
  exit 1
}
