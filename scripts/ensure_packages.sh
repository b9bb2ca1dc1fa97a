#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those missing.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev libjpeg62-turbo-dev
    libgtest-dev libbenchmark-dev nlohmann-json3-dev python3
    poppler-utils cups printer-driver-cups-pdf
    fonts-dejavu-core fonts-liberation fonts-comic-neue
    dpkg-dev file lintian appstream desktop-file-utils groff-base bash-completion
    xvfb openbox x11-utils xdotool
    clang libclang-rt-14-dev clang-format clang-tidy
)
for option in "$@"; do
    case $option in
        --with-display) packages+=(xvfb xauth) ;;
        --with-bench) packages+=(hyperfine ripgrep jq time strace libfuse3-dev fuse3) ;; # bench/run, its slow share
    esac
done

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
