# Sourced: lotse_make_prefix makes the Wine prefix in $WINEPREFIX once. Wine 8's
# default prefix reports Windows 7 (6.1.7601), which names itself without the
# product-type lookup that Wine does not answer for later versions.
lotse_make_prefix() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1 || true
        wineserver -w || true
    fi
}
