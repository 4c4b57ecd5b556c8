# Installs the Debian packages that are missing: those that building and running the editor
# need, and with PELLORIN_SETUP=test also those that only the tests need.
# Running: libqt6sql6-sqlite and libpq-dev (found through pkg-config) are the SQL prober's ways
# to its databases; sqlite3 builds the sample test database; python3 runs the shipped check
# program.
# Testing: Xvfb, xauth and xdotool for the tests on a real display; postgresql for the server
# the prober's PostgreSQL test starts for itself; clang with its run-time libraries builds the
# fuzz targets; clang-format holds the code to the project's layout; universal-ctags reads the
# definitions that the names check holds to the names rule.
packages=(cmake g++ make pkg-config qt6-base-dev libqscintilla2-qt6-dev fonts-liberation
  libqt6sql6-sqlite libpq-dev sqlite3 python3)
if [ "${PELLORIN_SETUP:-run}" = test ]; then
  packages+=(xvfb xauth xdotool postgresql clang libclang-rt-14-dev clang-format universal-ctags)
fi
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
