#!/usr/bin/env bash
# Runs a command against a private PipeWire server whose default output is a
# null sink, so that tests of the real sound output need no sound card. When
# no server can be started the command still runs, with VELMIO_NO_AUDIO_SERVER
# set, and its audio tests skip with a message.
set -u
if [ -z "${VELMIO_IN_DBUS_SESSION:-}" ]; then
  if command -v dbus-run-session >/dev/null 2>&1 && command -v pipewire >/dev/null 2>&1; then
    VELMIO_IN_DBUS_SESSION=1 exec dbus-run-session -- "$0" "$@"
  fi
  VELMIO_NO_AUDIO_SERVER="pipewire or dbus-run-session is not installed" exec "$@"
fi

runtime=$(mktemp -d)
chmod 700 "$runtime"
export XDG_RUNTIME_DIR="$runtime"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$runtime"
}
trap cleanup EXIT

pipewire >/dev/null 2>&1 & pids+=($!)
sleep 0.3
wireplumber >/dev/null 2>&1 & pids+=($!)
pipewire-pulse >/dev/null 2>&1 & pids+=($!)

ready=""
for _ in $(seq 1 50); do
  if pactl info 2>/dev/null | grep -q "Default Sink: auto_null"; then ready=1; break; fi
  sleep 0.1
done
if [ -z "$ready" ]; then
  export VELMIO_NO_AUDIO_SERVER="the private PipeWire server did not come up"
fi
"$@"
