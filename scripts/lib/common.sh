# Shared by scripts/test, scripts/run and scripts/screenshot: installing what is missing, the build
# trees, and the private Wine prefix with its Xvfb display.

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD="$ROOT/build"
JOBS="${JOBS:-2}"

# Debian packages the build and the tests need.
MENDWICK_PACKAGES=(cmake make g++ googletest libgtest-dev g++-mingw-w64-x86-64-posix wine64 fonts-wine libfreetype6 xvfb xauth
                   x11-apps imagemagick)

install_missing() {
    local missing=()
    local p
    for p in "${MENDWICK_PACKAGES[@]}" "$@"; do
        dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "installing: ${missing[*]}"
    if [ "$(id -u)" -ne 0 ]; then
        echo "error: missing packages (${missing[*]}); run as root to install them" >&2
        return 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq >/dev/null || return 1
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >"$BUILD/apt.log" 2>&1 || {
        tail -20 "$BUILD/apt.log" >&2
        return 1
    }
}

# configure_tree NAME [cmake args...]: configures build/NAME once; later runs only build.
configure_tree() {
    local name="$1"
    shift
    local dir="$BUILD/$name"
    if [ ! -f "$dir/CMakeCache.txt" ]; then
        cmake -S "$ROOT" -B "$dir" -G "Unix Makefiles" "$@" >"$BUILD/configure-$name.log" 2>&1 || {
            tail -30 "$BUILD/configure-$name.log" >&2
            return 1
        }
    fi
}

build_tree() {
    local name="$1"
    shift
    cmake --build "$BUILD/$name" -j"$JOBS" "$@" >"$BUILD/build-$name.log" 2>&1 || {
        grep -E 'error|Error' "$BUILD/build-$name.log" | head -40 >&2
        return 1
    }
}

build_all_trees() {
    configure_tree native -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
        configure_tree sanitize -DCMAKE_BUILD_TYPE=Debug -DMENDWICK_SANITIZE=ON &&
        configure_tree win -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" &&
        build_tree native && build_tree sanitize && build_tree win
}

# Wine with a prefix of its own under build/, never the user's ~/.wine.
export WINEPREFIX="$BUILD/wineprefix"
export WINEDLLOVERRIDES="mscoree=d;mshtml=d"
export WINEDEBUG=-all
export WINEARCH=win64

XVFB_PID=""
start_wine() {
    mkdir -p "$WINEPREFIX"
    if [ -z "${MENDWICK_DISPLAY:-}" ]; then
        local n
        for n in $(seq 90 120); do
            if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
                Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
                XVFB_PID=$!
                export DISPLAY=":$n"
                break
            fi
        done
        local i
        for i in $(seq 1 50); do
            [ -e "/tmp/.X11-unix/X${DISPLAY#:}" ] && break
            sleep 0.1
        done
    else
        export DISPLAY="$MENDWICK_DISPLAY"
    fi
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        wineboot -i >/dev/null 2>&1
    fi
    # Windows run inside Wine's virtual desktop: no window manager is needed, Wine does not wait for
    # one (hiding a top-level window of the X server's own takes two seconds without it), and a
    # screenshot shows frames and captions.
    if ! grep -q 'Explorer\\\\Desktops' "$WINEPREFIX/user.reg" 2>/dev/null; then
        wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null 2>&1
        wineserver -k >/dev/null 2>&1
        wineserver -w >/dev/null 2>&1
    fi
    wineserver -p >/dev/null 2>&1
}

stop_wine() {
    wineserver -k >/dev/null 2>&1 || true
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=""
    fi
}
