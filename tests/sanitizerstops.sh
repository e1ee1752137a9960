#!/bin/sh
# Usage: sanitizerstops.sh PROBE undefined|address
# Passes when the probe's mistake of that kind is reported and the report ends the probe, both
# under the tests' sanitizer options and by the build alone (no options, as a user starts the
# program). The report is kept out of the test log, which must hold no report of the program's own.
case "$2" in
undefined) report='runtime error:' ;;
address) report='ERROR: AddressSanitizer' ;;
*) echo "unknown sanitizer $2"; exit 2 ;;
esac
for options in "the tests' options" "no options"; do
    if [ "$options" = "the tests' options" ]; then
        out=$("$1" "$2" 2>&1)
    else
        out=$(env -u UBSAN_OPTIONS ASAN_OPTIONS=detect_leaks=0 "$1" "$2" 2>&1)
    fi
    code=$?
    if [ "$code" -eq 0 ] || printf '%s\n' "$out" | grep -q 'went on after the report'; then
        echo "with $options the $2 sanitizer let the probe go on (exit code $code)"
        exit 1
    fi
    if ! printf '%s\n' "$out" | grep -q "$report"; then
        echo "with $options the probe ended (exit code $code) without the $2 sanitizer's report"
        exit 1
    fi
done
echo "the $2 sanitizer's first report ended the probe (exit code $code)"
