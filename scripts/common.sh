# Shared by the run and test scripts: source it, do not run it.
# shellcheck shell=bash

TOP="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
JOBS="${JOBS:-2}"

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Prints "package<TAB>reason" for every package of a list file; the reason is
# the block of "# " lines right above the package.
list_packages() {
    awk '
        /^[[:space:]]*$/ { reason = ""; previous = "blank"; next }
        /^[[:space:]]*#/ {
            line = $0; sub(/^[[:space:]]*#[[:space:]]*/, "", line)
            reason = (previous == "comment" && reason != "") ? reason " " line : line
            previous = "comment"; next
        }
        { print $1 "\t" reason; previous = "package" }
    ' "$1"
}

# install_packages LIST... installs whatever the list files (names relative
# to scripts/) hold that is not installed yet. It says what and why before
# it asks for root, and it touches no service of the machine: installing a
# server package may start that server, but nothing here stops, restarts or
# reconfigures one.
install_packages() {
    local list package reason missing=() reasons=() needs=() i
    for list in "$@"; do
        while IFS=$'\t' read -r package reason; do
            [ -n "$package" ] || continue
            dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' &&
                continue
            case " ${missing[*]} " in *" $package "*) continue ;; esac
            missing+=("$package")
            # One line per reason, with the packages it needs.
            reason="${reason:-needed}"
            for i in "${!reasons[@]}"; do
                if [ "${reasons[$i]}" = "$reason" ]; then
                    needs[i]="${needs[$i]} $package"
                    continue 2
                fi
            done
            reasons+=("$reason")
            needs+=("$package")
        done < <(list_packages "$TOP/scripts/$list")
    done
    [ ${#missing[@]} -gt 0 ] || return 0

    echo "Travimetra needs Debian packages that are not installed yet; apt-get will install:"
    for i in "${!reasons[@]}"; do
        echo "  ${needs[$i]}"
        echo "      (${reasons[$i]})"
    done
    if [ "$(id -u)" -ne 0 ]; then
        echo "Installing packages needs root, so sudo may ask for your password now."
    fi
    as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
        "${missing[@]}"
}

# configure_build DIR [cmake options...]
configure_build() {
    local dir="$1"; shift
    local launcher=()
    # Rebuilds of another checkout of the same sources reuse the compiler's
    # work when ccache is there; paths inside the tree are hashed relative.
    if command -v ccache >/dev/null 2>&1; then
        export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$TOP}" CCACHE_NOHASHDIR=1
        launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    fi
    cmake -S "$TOP" -B "$dir" -G Ninja "${launcher[@]}" "$@"
    cmake --build "$dir" -j "$JOBS"
}
