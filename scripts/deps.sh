# Installs the Debian packages the build needs, when any is missing.
# Sourced by ./run and ./test; does nothing on a machine that has them all.
lorvex_packages=(cmake make g++ pkg-config zlib1g-dev qt6-base-dev qt6-svg-dev libgl-dev
                 libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev
                 libdeflate-dev
                 dpkg-dev file desktop-file-utils appstream)  # the package and its checks
lorvex_missing=()
for p in "${lorvex_packages[@]}" "$@"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || lorvex_missing+=("$p")
done
if [ ${#lorvex_missing[@]} -gt 0 ]; then
  echo "Installing: ${lorvex_missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${lorvex_missing[@]}"
fi
