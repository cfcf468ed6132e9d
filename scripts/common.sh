# Shared by scripts/test and scripts/run: install what is missing, then
# configure and build. Sourced, not run.

QB_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Debian packages the build and the tests need.
QB_BUILD_PACKAGES=(
    g++ cmake ninja-build pkg-config
    zlib1g-dev libminizip-dev qt6-base-dev
    libpugixml-dev libssl-dev
    libgtest-dev nlohmann-json3-dev libcli11-dev
    scdoc python3
)

# Further packages for the sanitizer and fuzzer runs of scripts/test.
QB_CHECK_PACKAGES=(clang libclang-rt-14-dev)

# Further packages for building and checking the Debian package (scripts/package).
QB_PACKAGE_PACKAGES=(dpkg-dev file lintian desktop-file-utils appstream)

# Packages for the Windows cross build (scripts/build-windows) and its tests:
# the mingw-w64 compilers and zlib, Debian's sources of GoogleTest, the
# header-only libraries, apt's source download tools (dpkg-source) for
# minizip and pugixml, Wine to run the tests, and Xvfb for tests that open windows.
QB_WINDOWS_PACKAGES=(
    cmake ninja-build pkg-config
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 libz-mingw-w64-dev
    googletest nlohmann-json3-dev libcli11-dev
    dpkg-dev
    wine wine64 xvfb xauth
)

# Further packages for the Windows zip and installer (scripts/package-windows).
QB_WINDOWS_PACKAGE_PACKAGES=(nsis)

qb_missing_packages() {
    local pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            printf '%s\n' "$pkg"
        fi
    done
}

# Installs the given packages that are not installed yet. As root it runs
# apt-get itself; otherwise it prints the command to run and fails.
qb_ensure_packages() {
    local missing
    mapfile -t missing < <(qb_missing_packages "$@")
    if [ "${#missing[@]}" -eq 0 ]; then
        return 0
    fi
    if [ "$(id -u)" -ne 0 ]; then
        echo "Quillbey needs these Debian packages. Install them with:" >&2
        echo "  sudo apt-get install -y ${missing[*]}" >&2
        return 1
    fi
    echo "Installing: ${missing[*]}"
    if [ -z "${QB_APT_UPDATED:-}" ]; then
        DEBIAN_FRONTEND=noninteractive apt-get update -q || return 1
        QB_APT_UPDATED=1
    fi
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# qb_build PRESET [cmake options...] [-- targets...]: configures with the
# preset of CMakePresets.json (again, which is cheap and keeps an existing
# tree's options in step), then builds incrementally (only the targets named,
# if any).
qb_build() {
    local preset="$1"
    shift
    local options=() targets=()
    while [ $# -gt 0 ] && [ "$1" != "--" ]; do
        options+=("$1")
        shift
    done
    [ $# -gt 0 ] && shift
    targets=("$@")
    (cd "$QB_ROOT" && cmake --preset "$preset" "${options[@]}" >/dev/null) || return 1
    if [ "${#targets[@]}" -gt 0 ]; then
        (cd "$QB_ROOT" && cmake --build --preset "$preset" -j "$(nproc)" --target "${targets[@]}")
    else
        (cd "$QB_ROOT" && cmake --build --preset "$preset" -j "$(nproc)")
    fi
}
