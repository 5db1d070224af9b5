#!/usr/bin/env bash
# Idempotent machine set-up for a fresh Debian 12: apt packages, the zh_CN.UTF-8 locale,
# and static Windows builds of liblzma and libcrypto made from Debian's own source packages.
# The library builds are cached outside the work tree, keyed by source version and
# architecture, so a second run on the same machine takes seconds.
set -euo pipefail

DEPS_CACHE=${QV_DEPS_CACHE:-/var/cache/qvsetup-deps}
log() { printf '[setup] %s\n' "$*" >&2; }

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 mingw-w64-tools
  wine wine64 xvfb xauth locales x11-utils
  liblzma-dev libssl-dev googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  imagemagick fonts-wqy-zenhei liblnk-utils python3-pefile icoutils xz-utils openssl
  nsis dpkg-dev
)

need_apt=0
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || { need_apt=1; break; }
done
if [ "$need_apt" = 1 ]; then
  log "installing apt packages"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${PACKAGES[@]}" >/dev/null
fi

if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  log "generating zh_CN.UTF-8 locale"
  localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
fi

# Debian's source packages need a deb-src entry.
SRC_LIST=/etc/apt/sources.list.d/qvsetup-src.sources
if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
  log "adding deb-src entries"
  sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources > "$SRC_LIST"
  apt-get update -qq
fi

# Source versions apt can offer for a package, newest first. The installed binary's version
# comes first when it is among them; a mirror may lack the newest source, so callers fall
# back to the next one.
src_versions() {
  local pkg=$1 bin=$2 inst
  inst=$(dpkg-query -W -f='${source:Version}' "$bin" 2>/dev/null || true)
  { [ -n "$inst" ] && echo "$inst"
    apt-cache showsrc "$pkg" 2>/dev/null | sed -n 's/^Version: //p' | sort -r -V; } | awk '!seen[$0]++'
}

fetch_source() { # $1 = source package, $2 = version, $3 = dest dir; fails when not downloadable
  local pkg=$1 ver=$2 dest=$3
  [ -d "$dest" ] && return 0
  local tmp; tmp=$(mktemp -d "$DEPS_CACHE/src.XXXXXX")
  if ! (cd "$tmp" && apt-get source -qq --download-only "$pkg=$ver" >/dev/null 2>&1); then
    rm -rf "$tmp"; return 1
  fi
  (cd "$tmp" && dpkg-source -x ./*.dsc src >/dev/null 2>&1)
  mv "$tmp/src" "$dest"
  rm -rf "$tmp"
}

build_lzma_version() { # $1 = arch, $2 = version, $3 = output dir
  local arch=$1 ver=$2 out=$3
  fetch_source xz-utils "$ver" "$DEPS_CACHE/xz-utils-$ver" || return 1
  log "building liblzma $ver for $arch"
  local b; b=$(mktemp -d "$DEPS_CACHE/build.XXXXXX")
  cmake -S "$DEPS_CACHE/xz-utils-$ver" -B "$b" -G Ninja \
    -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_C_COMPILER="$arch-w64-mingw32-gcc" \
    -DCMAKE_RC_COMPILER="$arch-w64-mingw32-windres" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF \
    -DCMAKE_C_FLAGS="-O2 -ffunction-sections -fdata-sections" >/dev/null 2>&1
  cmake --build "$b" --target liblzma >/dev/null
  mkdir -p "$out.tmp/lib" "$out.tmp/include"
  cp "$b/liblzma.a" "$out.tmp/lib/"
  cp -r "$DEPS_CACHE/xz-utils-$ver/src/liblzma/api/"* "$out.tmp/include/"
  rm -rf "$b" "$out"; mv "$out.tmp" "$out"
}

build_crypto_version() { # $1 = arch, $2 = version, $3 = output dir
  local arch=$1 ver=$2 out=$3
  fetch_source openssl "$ver" "$DEPS_CACHE/openssl-$ver" || return 1
  log "building libcrypto $ver for $arch (a few minutes)"
  local b; b=$(mktemp -d "$DEPS_CACHE/build.XXXXXX")
  cp -a "$DEPS_CACHE/openssl-$ver/." "$b/"
  local target=mingw64; [ "$arch" = i686 ] && target=mingw
  # Only the SM3 digest is used, so everything that can be switched off is.
  (cd "$b" && ./Configure "$target" --cross-compile-prefix="$arch-w64-mingw32-" \
      $CRYPTO_OPTIONS -Os -ffunction-sections -fdata-sections >/dev/null &&
   make -s -j"$(nproc)" build_libs >/dev/null 2>&1) || { log "libcrypto build failed in $b"; return 2; }
  mkdir -p "$out.tmp/lib"
  cp "$b/libcrypto.a" "$out.tmp/lib/"
  cp -r "$b/include" "$out.tmp/include"
  rm -rf "$b" "$out"; mv "$out.tmp" "$out"
}

CRYPTO_OPTIONS="no-shared no-asm no-tests no-module no-engine no-dso no-threads no-ui-console
  no-sock no-autoload-config no-deprecated no-legacy
  no-ssl no-tls no-dtls no-srp no-psk no-ocsp no-ct no-cms no-ts no-comp no-async
  no-dh no-dsa no-ec no-sm2 no-rc2 no-rc4 no-rc5 no-idea no-seed
  no-bf no-cast no-des no-camellia no-aria no-chacha no-poly1305 no-siphash no-whirlpool
  no-mdc2 no-md4 no-rmd160 no-blake2 no-scrypt no-cmac no-siv no-ocb no-gost no-srtp
  no-sctp no-err no-filenames no-pinshared"

# build_dep NAME SRC_PKG BIN_PKG ARCH: prints the cached build's folder, building it from the
# newest downloadable source version when no cached build exists.
build_dep() {
  local name=$1 src=$2 bin=$3 arch=$4 ver
  for ver in $(src_versions "$src" "$bin"); do
    [ -f "$DEPS_CACHE/$name-$ver-$arch/lib/lib$name.a" ] && { echo "$DEPS_CACHE/$name-$ver-$arch"; return 0; }
  done
  for ver in $(src_versions "$src" "$bin"); do
    local rc=0
    "build_${name}_version" "$arch" "$ver" "$DEPS_CACHE/$name-$ver-$arch" || rc=$?
    [ $rc = 0 ] && { echo "$DEPS_CACHE/$name-$ver-$arch"; return 0; }
    [ $rc = 1 ] && { log "source $src $ver not downloadable, trying an older one"; continue; }
    return 1
  done
  log "no source version of $src could be built"; return 1
}

mkdir -p "$DEPS_CACHE"
env_file=$DEPS_CACHE/deps.env.tmp
: > "$env_file"
for arch in x86_64 i686; do
  up=$(echo "$arch" | tr a-z A-Z)
  echo "QV_LZMA_$up=$(build_dep lzma xz-utils liblzma-dev "$arch")" >> "$env_file"
  echo "QV_CRYPTO_$up=$(build_dep crypto openssl libssl-dev "$arch")" >> "$env_file"
done
grep -q '=$' "$env_file" && { log "a library build failed"; exit 1; }
mv "$env_file" "$DEPS_CACHE/deps.env"
log "ready (libraries in $DEPS_CACHE)"
