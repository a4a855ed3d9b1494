#!/usr/bin/env bash
# A solution recorded with the recorder (a click on "Zwei") played on versions of
# the program that changed that control: moved into a container, text and id
# both changed, removed, every caption in English, another window class. The
# navigator never frames another control; the moved control is framed where it
# went. bench/search-variants.sh plays every variant and prints the table.
set -uo pipefail
source "$LOTSE_TOP/scripts/wine-env.sh"
source "$LOTSE_TOP/tests/e2e/desktop.sh"
source "$LOTSE_TOP/tests/e2e/changed-target.sh"
trap 'lotse_wine_cleanup; rm -rf "$changed_work"' EXIT
anySoftware=14 # a demo catalogue entry; the capture itself names the target

keep_desktop
ask_ticket $anySoftware "Klickziel geändert ($$)"
changed_record "$ticket"
for variant in container text-and-id removed language window-class; do
    read -r name result rule < <(changed_play "$ticket" $variant) || exit 1
    echo "$name: $result ($rule)"
    [ "$result" != WRONG ] || fail "$name: the frame shows another control ($rule)"
    [ $variant != container ] || [ "$result" = FOUND ] || fail "the moved control was not found ($rule)"
done
