#!/usr/bin/env bash
# The PDF printer queue the printing tests print to: CUPS with a cups-pdf queue named PDF,
# the system's default printer. Output lands in ~/PDF of the user running the job.
#   printer.sh start   starts the scheduler when it is not running (and remembers that it
#                      did), creates the queue and makes it the default; safe to repeat.
#   printer.sh stop    stops the scheduler only when `start` started it (that process alone,
#                      never another CUPS of the machine).
set -uo pipefail
SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
mark="${XDG_RUNTIME_DIR:-/tmp}/dodir-started-cupsd"
running() { LC_ALL=C lpstat -r 2>/dev/null | grep -q "scheduler is running"; }
case "${1:-start}" in
  start)
    if ! running; then
      # In the foreground of a process of its own, so that its number is known.
      $SUDO setsid /usr/sbin/cupsd -f </dev/null >/dev/null 2>&1 &
      echo $! >"$mark"
      for _ in $(seq 300); do running && break; sleep 0.1; done
      running || { echo "printer.sh: the CUPS scheduler did not start"; exit 1; }
    fi
    if ! LC_ALL=C lpstat -p PDF >/dev/null 2>&1; then
      $SUDO lpadmin -p PDF -v cups-pdf:/ -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd -E || exit 1
    fi
    [ "$(LC_ALL=C lpstat -d 2>/dev/null)" = "system default destination: PDF" ] || $SUDO lpadmin -d PDF
    ;;
  stop)
    if [ -e "$mark" ]; then
      pid=$(cat "$mark")
      rm -f "$mark"
      [ -n "$pid" ] && $SUDO kill "$pid" 2>/dev/null || true
    fi
    ;;
  *) echo "usage: printer.sh start|stop"; exit 2 ;;
esac
