# Installs the Debian packages the build needs when any is missing. Sourced by run and test.
zel_install_deps() {
    local wanted=(cmake g++ ninja-build pkg-config qt6-base-dev qt6-multimedia-dev libgl-dev
                  qt6-translations-l10n qt6-wayland qtkeychain-qt6-dev libical-dev libgtest-dev
                  libbenchmark-dev libxcb1-dev zlib1g-dev libfontconfig-dev "$@")
    local missing=()
    for p in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -q
    "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# zel_build PRESET [TARGET] [cmake -D options...]
zel_build() {
    local preset=$1 target=${2:-}
    shift $(($# < 2 ? $# : 2))
    cmake --preset "$preset" "$@" >/dev/null
    cmake --build --preset "$preset" --parallel "$(nproc)" ${target:+--target "$target"}
}
