# Shared by the run and test scripts: source it, do not run it.
# shellcheck shell=bash

TOP="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
JOBS="${JOBS:-2}"

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs whatever of scripts/packages.txt is missing.
install_packages() {
    local wanted missing=()
    wanted=$(grep -v '^\s*#' "$TOP/scripts/packages.txt" | grep -v '^\s*$')
    for p in $wanted; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
    fi
    # The packaged services are started by the tests on addresses of their own;
    # the distribution's instances would only be in the way.
    for s in snmpd rsyslog nginx; do
        as_root service "$s" stop >/dev/null 2>&1 || true
    done
}

# configure_build DIR [cmake options...]
configure_build() {
    local dir="$1"; shift
    cmake -S "$TOP" -B "$dir" -G Ninja "$@"
    cmake --build "$dir" -j "$JOBS"
}
