#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is missing.
# Sourced by ./run and ./test; uses sudo when not root.
loomstead_packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    # The growth chart; Qt Charts' CMake package looks for Qt OpenGL's, which Debian ships apart.
    qt6-charts-dev libqt6opengl6-dev
    # The report test reads the PDF's text.
    poppler-utils
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    # The packaging tests: the desktop entry, the MIME types, the AppStream metainfo, the
    # manual pages.
    desktop-file-utils shared-mime-info appstream groff-base
    nlohmann-json3-dev
)

loomstead_ensure_deps() {
    local missing=()
    local p
    for p in "${loomstead_packages[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$p")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing missing packages: ${missing[*]}"
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        sudo="sudo"
    fi
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
