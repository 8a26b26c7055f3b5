#!/bin/sh
# Stands in for the web browser in the test prefixes: Wine's browser launcher
# runs it with the address to open as its one argument. It appends the
# address and a newline to the file named by LARKSPUR_BROWSER_LOG, so that
# tests can read what the program asked the shell to open.
[ -n "${LARKSPUR_BROWSER_LOG:-}" ] || exit 0
printf '%s\n' "$1" >>"$LARKSPUR_BROWSER_LOG"
