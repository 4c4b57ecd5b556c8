# Installs the Debian packages the build, the tests and the editor need, when missing.
# libqt6sql6-sqlite and libpq-dev (found through pkg-config): the SQL prober's ways to its
# databases; sqlite3 builds the sample test database; postgresql: the server the prober's
# PostgreSQL test starts for itself; clang with its run-time libraries builds the fuzz targets.
packages=(cmake g++ make pkg-config qt6-base-dev libqscintilla2-qt6-dev fonts-liberation xvfb xauth
  xdotool libqt6sql6-sqlite libpq-dev sqlite3 postgresql python3 clang libclang-rt-14-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "== installing ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq "${missing[@]}"
fi
