# The tools the build, the tests and the sample run need, installed with apt
# when they are missing and the script runs as root. Sourced by the scripts
# next to it, which define say() and fail().

PACKAGES=(cmake g++ make googletest g++-mingw-w64-x86-64 g++-mingw-w64-i686
          wine64 wine xvfb xauth
          cups cups-client printer-driver-cups-pdf poppler-utils)

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
    [ -f /usr/src/googletest/CMakeLists.txt ] &&
    [ -x /usr/sbin/cupsd ] && command -v lpadmin >/dev/null &&
    [ -e /usr/lib/cups/backend/cups-pdf ] && command -v pdftotext >/dev/null
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

# The printer the Wine tests print to: CUPS-PDF's queue as the default
# printer of CUPS, which Wine prints through. Starts the CUPS scheduler
# when it is not running (there may be no service manager). On success it
# exports PLOVIK_PRINT_DIR, the folder where the PDF files of the jobs
# arrive; otherwise it says why and the printing test skips itself.
PRINT_QUEUE=PlovikPDF
CUPS_PDF_PPD=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd

STARTED_CUPS=0

setup_printer() {
  unset PLOVIK_PRINT_DIR
  if [ "$(id -u)" -ne 0 ]; then
    say "No test printer: setting up CUPS needs root; the printing test will be skipped"
    return 0
  fi
  if ! lpstat -r 2>/dev/null | grep -q 'is running'; then
    /usr/sbin/cupsd >/dev/null 2>&1 </dev/null && STARTED_CUPS=1
    local tries=0
    until lpstat -r 2>/dev/null | grep -q 'is running' || [ "$tries" -ge 20 ]; do
      sleep 0.5
      tries=$((tries + 1))
    done
  fi
  if ! lpstat -r 2>/dev/null | grep -q 'is running'; then
    say "No test printer: the CUPS scheduler did not start; the printing test will be skipped"
    return 0
  fi
  if ! lpstat -v "$PRINT_QUEUE" >/dev/null 2>&1; then
    lpadmin -p "$PRINT_QUEUE" -E -v cups-pdf:/ -P "$CUPS_PDF_PPD" >/dev/null 2>&1 ||
      { say "No test printer: lpadmin could not add the PDF queue; the printing test will be skipped"; return 0; }
  fi
  cupsenable "$PRINT_QUEUE" >/dev/null 2>&1
  cupsaccept "$PRINT_QUEUE" >/dev/null 2>&1
  lpadmin -d "$PRINT_QUEUE" >/dev/null 2>&1
  # CUPS-PDF writes into the PDF folder in the home of the job's user.
  local home
  home=$(getent passwd "$(id -un)" | cut -d: -f6)
  mkdir -p "$home/PDF"
  export PLOVIK_PRINT_DIR="$home/PDF"
  say "Test printer: CUPS queue $PRINT_QUEUE (CUPS-PDF) is the default; PDF files arrive in $PLOVIK_PRINT_DIR"
}

# Stops the CUPS scheduler again when setup_printer started it; a scheduler
# that ran before is left running.
stop_printer() {
  if [ "$STARTED_CUPS" -eq 1 ]; then
    pkill -x cupsd 2>/dev/null || true
    STARTED_CUPS=0
    say "Stopped the CUPS scheduler that setup_printer started"
  fi
}
