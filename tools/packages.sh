# The Debian packages that Korvel's scripts install, and the step that installs those missing.
# Sourced by tools/try-korvel and tools/test-korvel (and so by .ci/run).

# What builds the programs and their tests.
korvel_build_packages=(cmake g++ make libgtest-dev libgmock-dev qt6-base-dev)
# What the tests run besides: the desktop's validators, groff for the man pages, python3 for the
# pictures, script (bsdutils) for a terminal, srec_cat for the image formats, what makes and
# checks the Debian package, and the board's firmware with the simulated ATmega328P.
korvel_test_packages=(desktop-file-utils appstream groff-base python3 bsdutils srecord
    dpkg-dev file lintian gcc-avr avr-libc libsimavr-dev)

# korvel_install NAME PACKAGE...: installs those of the packages that are not installed yet
# (with sudo unless run as root), in one line when all are; NAME, the script's, starts its lines.
korvel_install() {
    local name=$1 installed package
    shift
    local missing=()
    installed=" $(dpkg-query -W -f='${db:Status-Status}:${Package} ' "$@" 2>/dev/null || true) "
    for package in "$@"; do
        [[ $installed == *" installed:$package "* ]] || missing+=("$package")
    done
    if [ ${#missing[@]} -eq 0 ]; then
        echo "$name: the $# Debian packages it needs are installed."
        return 0
    fi

    local as_root=()
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null; then
            echo "$name: installing ${missing[*]} needs root: run it as root, or install sudo" >&2
            return 1
        fi
        as_root=(sudo)
    fi
    echo "$name: installing ${missing[*]} ..."
    "${as_root[@]}" apt-get update -qq
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
