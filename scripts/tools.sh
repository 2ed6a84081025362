# The tools the build, the tests and the sample run need, installed with apt
# when they are missing and the script runs as root. Sourced by the scripts
# next to it, which define say() and fail().

PACKAGES=(cmake g++ make googletest g++-mingw-w64-x86-64 g++-mingw-w64-i686
          wine64 wine xvfb xauth)

missing_packages() {
  local package
  for package in "${PACKAGES[@]}"; do
    dpkg -s "$package" >/dev/null 2>&1 || printf '%s\n' "$package"
  done
}

tools_ready() {
  command -v cmake >/dev/null && command -v g++ >/dev/null &&
    command -v make >/dev/null &&
    command -v x86_64-w64-mingw32-g++ >/dev/null &&
    command -v i686-w64-mingw32-g++ >/dev/null &&
    command -v wine >/dev/null && command -v xvfb-run >/dev/null &&
    command -v xauth >/dev/null &&
    [ -f /usr/src/googletest/CMakeLists.txt ]
}

ensure_tools() {
  tools_ready && return 0
  mapfile -t missing < <(missing_packages)
  if [ "$(id -u)" -eq 0 ] && command -v apt-get >/dev/null; then
    say "Installing: ${missing[*]:-(tools not found on PATH)}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update || fail "apt-get update failed"
    apt-get install -y --no-install-recommends "${PACKAGES[@]}" </dev/null ||
      fail "apt-get install failed"
  fi
  tools_ready || fail "Missing tools (${missing[*]:-see above}); run as root on Debian to install them"
}
