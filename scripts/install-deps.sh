#!/usr/bin/env bash
# Installs the Debian packages that building and running Nerimo need, and nothing else; with
# --package, also what making the Debian package needs; with --test, what the tests need besides
# (the package's checks among them); with --fuzz, what the fuzzers need; with --coverage, the
# coverage report; with --docs, what draws the picture of the libraries. Quiet when everything is
# there; uses sudo only when not run as root.
set -euo pipefail

packages=(
    # build; Hamlib for the radios it drives (RIG=), found through pkg-config
    g++ make cmake ninja-build pkg-config
    qt6-base-dev qt6-serialport-dev libgl-dev libhamlib-dev
    # publishing to an MQTT broker (--mqtt): Mosquitto's client library
    libmosquitto-dev
    # the window: Qt's platform plugins (xcb, offscreen) and fonts; with no font Qt draws no text
    qt6-qpa-plugins fonts-liberation2 fonts-dejavu-core
    # runs with no display: a virtual X server, clicks, screenshots; rigctld and rigctl,
    # Hamlib's own server and client
    xvfb xdotool imagemagick libhamlib-utils
    # the manual pages, made at every build; the collector's from its --help, in Python
    help2man python3
)
package=(
    # the Debian package: cpack's dependency list
    dpkg-dev
)

case "${1:-}" in
    --package) packages+=("${package[@]}") ;;
    --docs) packages+=(graphviz) ;;
    # the checks of the package (lintian, AppStream, the desktop entry); dropping root in the
    # permission tests; a comma-decimal locale for the locale tests; a broker and its clients
    # for the MQTT tests, and what the collector in tools/ needs; InfluxDB, which the collector
    # writes to; the accessibility bus and its Python client, which read the window as a screen
    # reader does
    --test) packages+=("${package[@]}" lintian appstream desktop-file-utils util-linux locales
                       mosquitto mosquitto-clients python3-paho-mqtt influxdb
                       at-spi2-core python3-pyatspi dbus-daemon) ;;
esac

# make fuzz: clang with its libFuzzer and sanitizer runtimes, and the symbolizer for its reports.
if [ "${1:-}" = --fuzz ]; then
    packages+=(clang libclang-rt-14-dev llvm-14)
fi
# make coverage: the report over gcc's counters.
if [ "${1:-}" = --coverage ]; then
    packages+=(gcovr)
fi

# The tests check that a comma-decimal locale changes nothing on the wire or in the settings.
comma_locale() {
    locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'
}

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
needs_locale=0
[ "${1:-}" = --test ] && needs_locale=1
[ ${#missing[@]} -eq 0 ] && { [ $needs_locale = 0 ] || comma_locale; } && exit 0

sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
fi
if [ $needs_locale = 1 ] && ! comma_locale; then
    echo "Generating the de_DE.UTF-8 locale"
    "${sudo[@]}" localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi
