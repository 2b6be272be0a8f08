#!/bin/sh
# Runs a cross-built Windows program under Wine: headless, quiet, with the
# Russian regional settings of the program's users (or the locale that
# ZORV_WINE_LOCALE names), in a prefix of its own (WINEPREFIX when the caller
# set one) that is prepared on first use.
set -e
: "${WINEPREFIX:=${TMPDIR:-/tmp}/zorv-wine-$(id -u)}"
: "${WINEDEBUG:=-all}"
# No Mono or Gecko installer prompts in a fresh prefix.
: "${WINEDLLOVERRIDES:=mscoree,mshtml=}"
# Wine takes the user's locale, and so the ANSI code page, from here: 1251 for
# ru_RU.UTF-8, 1252 for en_US.UTF-8. It rewrites a prefix's regional settings
# for a program started in another locale than the prefix's last, so a locale
# other than the Russian one wants a prefix of its own.
LC_ALL=${ZORV_WINE_LOCALE:-ru_RU.UTF-8}
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES LC_ALL

mkdir -p "$WINEPREFIX"
# Tests start in parallel: one of them prepares the prefix, the others wait.
(
  flock 9
  if [ ! -f "$WINEPREFIX/.zorv-ready-ports" ]; then
    wineboot -i >/dev/null 2>&1
    # COM ports for tests: Wine lists and opens a Unix path as a COM port only
    # when the registry names it as the server starts. Each names a link in
    # zorv-ports that a test points at a pseudo-terminal of its own (COM9 and
    # COM10 for the whole program, COM20 to COM29 for the serial driver).
    mkdir -p "$WINEPREFIX/zorv-ports"
    for n in 9 10 20 21 22 23 24 25 26 27 28 29; do
      wine reg add 'HKLM\Software\Wine\Ports' /v "COM$n" /d "$WINEPREFIX/zorv-ports/com$n" /f >/dev/null 2>&1
    done
    # Wine's Russian formats differ from Windows' in leading zeros.
    wine reg add 'HKCU\Control Panel\International' /v sShortDate /d dd.MM.yyyy /f >/dev/null 2>&1
    wine reg add 'HKCU\Control Panel\International' /v sTimeFormat /d H:mm:ss /f >/dev/null 2>&1
    # The next start reads the ports.
    wineserver -k 2>/dev/null || true
    touch "$WINEPREFIX/.zorv-ready-ports"
  fi
) 9>"$WINEPREFIX/.zorv-lock"
exec wine "$@"
