#!/bin/sh
# Runs a cross-built Windows program under Wine: headless, quiet, and in a
# prefix of its own (WINEPREFIX when the caller set one), created on first use.
: "${WINEPREFIX:=${TMPDIR:-/tmp}/zorv-wine-$(id -u)}"
: "${WINEDEBUG:=-all}"
# No Mono or Gecko installer prompts for a fresh prefix.
: "${WINEDLLOVERRIDES:=mscoree,mshtml=}"
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
exec wine "$@"
