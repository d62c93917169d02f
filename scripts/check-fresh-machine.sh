#!/usr/bin/env bash
# Proves the README on a new machine. Makes a minimal Debian 12 root with debootstrap, clones the
# committed HEAD of this checkout into it and runs there, as root with a clean environment, the
# README's commands in order: its test command, its run command (on a virtual X server, the
# window quitting once it has shown itself), then every other command of its examples (every
# indented line of README.md is one). Prints each command, how long it took and the end of its
# output; exits non-zero when any fails.
#
# Usage, as root: bash scripts/check-fresh-machine.sh
#
# The bare root is kept as a tarball in ${XDG_CACHE_HOME:-$HOME/.cache}/pelkano/, one for each
# suite, architecture and mirror, so later runs skip debootstrap (delete it to make it again);
# every run unpacks a fresh copy. The mirror is the one this machine's apt uses. The root, its
# mounts and its processes live only as long as the check, also when it fails or is interrupted;
# the output of every step stays in a folder under ${TMPDIR:-/tmp}, named at the end.
set -euo pipefail

me="check-fresh-machine"
suite=bookworm  # Debian 12
repo=$(cd "$(dirname "$0")/.." && pwd)
say() { printf '%s: %s\n' "$me" "$*"; }
die() { printf '%s: %s\n' "$me" "$*" >&2; exit 1; }

[ "$(id -u)" -eq 0 ] || die "run it as root: it makes a Debian root with debootstrap and works in it with chroot"
for program in debootstrap git unshare chroot tar gzip dpkg; do
  command -v "$program" >/dev/null || die "$program is missing (bash scripts/install-deps.sh installs what the project needs)"
done

# Milliseconds since the epoch, and a duration in seconds with one decimal.
now_ms() { local t=${EPOCHREALTIME/./}; echo $((t / 1000)); }
seconds() { printf '%d.%d' $(($1 / 1000)) $(($1 % 1000 / 100)); }
started=$(now_ms)
phases=()
# phase NAME COMMAND...: runs the command, noting how long it took under NAME.
phase() {
  local name=$1 start
  shift
  start=$(now_ms)
  "$@"
  phases+=("$(printf '%-34s %8s s' "$name" "$(seconds $(($(now_ms) - start)))")")
}

# ---- What is checked ----------------------------------------------------------------------------
head=$(git -C "$repo" rev-parse HEAD)
say "checking commit $(git -C "$repo" log -1 --format='%h %s' "$head") of $repo"
if [ -n "$(git -C "$repo" status --porcelain)" ]; then
  say "warning: $repo has uncommitted changes; they are not checked, only the commit above is"
fi

# ---- The mirror, from this machine's apt sources ------------------------------------------------
# Prints "URI SUITE" for every enabled binary source, from one-line and deb822 files alike.
apt_sources() {
  local f
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    sed -e 's/#.*//' -e 's/\[[^]]*\]//' "$f" | awk '$1 == "deb" && NF >= 3 { print $2, $3 }'
  done
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    awk '
      function flush(  n, m, i, j, u, s) {
        if (types ~ /(^| )deb( |$)/ && enabled != "no") {
          n = split(uris, u, " "); m = split(suites, s, " ")
          for (i = 1; i <= n; i++) for (j = 1; j <= m; j++) print u[i], s[j]
        }
        types = uris = suites = last = ""; enabled = "yes"
      }
      BEGIN { enabled = "yes" }
      /^[ \t]*#/ { next }
      /^[ \t]*$/ { flush(); next }
      /^[ \t]/ {  # a field continued on the next line
        v = $0; gsub(/^[ \t]+|[ \t]+$/, "", v)
        if (last == "types") types = types " " v
        else if (last == "uris") uris = uris " " v
        else if (last == "suites") suites = suites " " v
        next
      }
      {
        key = tolower($0); sub(/:.*/, "", key)
        v = $0; sub(/^[^:]*:[ \t]*/, "", v); sub(/[ \t]+$/, "", v); last = key
        if (key == "types") types = v
        else if (key == "uris") uris = v
        else if (key == "suites") suites = v
        else if (key == "enabled") enabled = tolower(v)
      }
      END { flush() }' "$f"
  done
}
# The first http(s) URI this machine uses for the given suite.
mirror_for() {
  apt_sources | awk -v s="$1" '$2 == s && $1 ~ /^https?:\/\// && !found { found = 1; sub(/\/+$/, "", $1); print $1 }'
}
mirror=$(mirror_for "$suite")
[ -n "$mirror" ] || die "no apt source of this machine serves $suite (read /etc/apt/sources.list and /etc/apt/sources.list.d/*.list, *.sources)"
security=$(mirror_for "$suite-security")
updates=$(mirror_for "$suite-updates")
arch=$(dpkg --print-architecture)
say "Debian $suite $arch from $mirror"

# ---- Scratch space, and cleaning it up whatever happens -----------------------------------------
work=$(mktemp -d "${TMPDIR:-/var/tmp}/pelkano-fresh.XXXXXX")
logs=$(mktemp -d "${TMPDIR:-/tmp}/pelkano-fresh-logs.XXXXXX")
root="$work/root"
cleanup() {
  local status=$?
  trap - EXIT INT TERM
  # Mounts and processes were made in namespaces of their own, which end with the check; the
  # root is removed only if nothing is mounted below it (never following a mount, in any case).
  if grep -qF " $work/" /proc/self/mounts; then
    say "warning: something is still mounted under $work; left in place" >&2
  else
    rm -rf --one-file-system "$work"
  fi
  exit "$status"
}
trap cleanup EXIT
trap 'say "interrupted" >&2; exit 130' INT
trap 'say "terminated" >&2; exit 143' TERM
available_kb=$(df -Pk "$work" | awk 'NR == 2 { print $4 }')
if [ "$available_kb" -lt $((12 * 1024 * 1024)) ]; then
  say "warning: only $((available_kb / 1024 / 1024)) GB free in $(dirname "$work"); the check needs about 12 GB" >&2
fi

# ---- The bare root: made once, then unpacked from the cache -------------------------------------
cache="${XDG_CACHE_HOME:-$HOME/.cache}/pelkano"
tarball="$cache/debootstrap-$suite-$arch-minbase-$(printf '%s' "$mirror" | sed -e 's#^[a-z]*://##' -e 's#[^A-Za-z0-9.-]#_#g').tar.gz"
make_bare_root() {
  local bare="$work/bare"
  say "making a minimal Debian root with debootstrap (once; later runs unpack $tarball)"
  # In a mount namespace of its own, so whatever it mounts goes away with it.
  if ! unshare --mount --propagation private \
       debootstrap --variant=minbase --arch="$arch" "$suite" "$bare" "$mirror" >"$logs/debootstrap.log" 2>&1; then
    tail -n 30 "$logs/debootstrap.log" >&2
    die "debootstrap failed; its output is in $logs/debootstrap.log"
  fi
  rm -f "$bare"/var/cache/apt/archives/*.deb
  mkdir -p "$cache"
  tar --numeric-owner -C "$bare" -czf "$tarball.part.$$" .
  mv "$tarball.part.$$" "$tarball"
  rm -rf --one-file-system "$bare"
}
if [ -f "$tarball" ]; then
  say "bare root from the cache: $tarball (made $(date -r "$tarball" '+%F %R'))"
  phases+=("$(printf '%-34s %8s' 'debootstrap' 'cached')")
else
  phase "debootstrap (then cached)" make_bare_root
fi
unpack_root() {
  mkdir "$root"
  tar --numeric-owner -xpzf "$tarball" -C "$root"
}
phase "unpack a fresh root" unpack_root

# A fresh install's apt sources, on this machine's mirrors; its name server; and no services
# started in the root (as in any chroot: they would outlive the commands).
{
  echo "deb $mirror $suite main"
  [ -z "$updates" ] || echo "deb $updates $suite-updates main"
  [ -z "$security" ] || echo "deb $security $suite-security main"
} >"$root/etc/apt/sources.list"
rm -f "$root"/etc/apt/sources.list.d/*
cp -L /etc/resolv.conf "$root/etc/resolv.conf"
# This machine's own certificate authorities (a site's, or those of a proxy that inspects TLS):
# trusted in the root as here once its ca-certificates is installed, so that npm reaches its
# registry over the same network.
if compgen -G "/usr/local/share/ca-certificates/*" >/dev/null; then
  mkdir -p "$root/usr/local/share/ca-certificates"
  cp -rL /usr/local/share/ca-certificates/. "$root/usr/local/share/ca-certificates/"
  say "trusting this machine's own certificate authorities too: $(cd /usr/local/share/ca-certificates && echo *)"
fi
printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
chmod 755 "$root/usr/sbin/policy-rc.d"

clone() {
  git clone -q --no-checkout --no-hardlinks "$repo" "$root/root/pelkano"
  git -C "$root/root/pelkano" -c advice.detachedHead=false checkout -q --detach "$head"
}
phase "clone $(git -C "$repo" rev-parse --short "$head")" clone

# ---- The steps: the README's indented lines -----------------------------------------------------
# Each printed as "BLOCK<tab>COMMAND" (a line ending in a backslash goes on with the next one).
readme_commands() {
  awk '
    /^    [^ ]/ && (blank || code) {
      if (!code) block++
      code = 1; blank = 0; line = substr($0, 5)
      if (cont != "") line = cont " " line
      if (line ~ /\\$/) { cont = substr(line, 1, length(line) - 1); next }
      cont = ""; print block "\t" line; next
    }
    { blank = ($0 ~ /^[ \t]*$/); if (!blank) code = 0 }' "$1"
}
mapfile -t commands < <(readme_commands "$root/root/pelkano/README.md")
[ ${#commands[@]} -gt 0 ] || die "README.md of $head has no indented command lines"
check="$root/root/check"
mkdir -p "$check/logs"
{
  cat <<'EOF'
#!/bin/bash
# Written by scripts/check-fresh-machine.sh: the README's commands, one step each, in order, from
# the repository's folder; the state a command leaves (an exported PATH) carries on to the next.
set -o pipefail
check=/root/check
failures=0
failure_lines='FAIL!|\*\*\*Failed|\*\*\*Timeout|error:|CMake Error|^E: |Traceback|ERROR: |npm ERR!'
now_ms() { local t=${EPOCHREALTIME/./}; echo $((t / 1000)); }
# xvfb-run -a looks for a free display among the lock files in /tmp, which the root does not
# share with this machine; its X servers' sockets are shared, though, so lock their numbers.
for display in $(grep -o '@/tmp/.X11-unix/X[0-9]*' /proc/net/unix | sed 's/.*X//' | sort -u); do
  echo 0 >"/tmp/.X$display-lock"
done
# step N TOTAL MUST EXPECT TITLE FUNCTION: runs FUNCTION with its output in logs/N.log.
step() {
  local n=$1 total=$2 must=$3 expect=$4 title=$5 fn=$6 log="$check/logs/$1.log" start status ms
  printf '\n==> [%d/%d] %s\n' "$n" "$total" "$title"
  cd /root/pelkano
  start=$(now_ms)
  # Every minute, a line to say it is still going, with the last line it wrote.
  (while sleep 60; do
     printf '    ... %d s: %s\n' $((($(now_ms) - start) / 1000)) "$(tail -n 1 "$log" | tr -d '\r' | cut -c 1-110)"
   done) &
  local ticker=$!
  "$fn" >"$log" 2>&1 </dev/null
  status=$?
  kill "$ticker" 2>/dev/null
  wait "$ticker" 2>/dev/null
  ms=$(($(now_ms) - start))
  local took="$((ms / 1000)).$((ms % 1000 / 100))"
  if [ $status -eq 0 ] && [ -n "$expect" ] && ! grep -q -- "$expect" "$log"; then
    echo "(the check: its output has no line matching '$expect')" >>"$log"
    status=1
  fi
  if [ $status -eq 0 ]; then
    printf '    ok, %s s\n' "$took"
    tail -n 3 "$log" | cut -c 1-150 | sed 's/^/    | /'
    printf '%s\t%s\tok\t%s\n' "$n" "$took" "$title" >>"$check/times"
    return 0
  fi
  printf '    FAILED (exit status %d), %s s\n' "$status" "$took"
  # The lines that say what failed (a test, a compiler, CMake, apt), then the end of the output.
  if grep -qE "$failure_lines" "$log"; then
    echo "    what failed:"
    grep -E "$failure_lines" "$log" | head -n 30 | cut -c 1-300 | sed 's/^/    | /'
  fi
  echo "    the end of its output:"
  tail -n 25 "$log" | cut -c 1-300 | sed 's/^/    | /'
  printf '%s\t%s\tFAILED\t%s\n' "$n" "$took" "$title" >>"$check/times"
  failures=$((failures + 1))
  if [ "$must" = 1 ]; then
    echo "    (the other commands need this one; stopping here)"
    exit 1
  fi
}
EOF
  total=${#commands[@]}
  n=0
  for entry in "${commands[@]}"; do
    n=$((n + 1))
    block=${entry%%$'\t'*}
    line=${entry#*$'\t'}
    title=$(printf '%s' "$line" | sed 's/[[:space:]]\{2,\}#.*$//')
    expect=""
    if [[ $line == *scripts/build-and-run.sh* ]]; then
      # The run command needs a display: a virtual one, and the window quits once it is shown.
      line="PELKANO_STARTUP_PROBE=1 timeout 1800 xvfb-run -a -s '-screen 0 1280x1024x24' $line"
      title="$title (under xvfb-run; PELKANO_STARTUP_PROBE=1 ends it once the window is shown)"
      expect='^exposed '
    fi
    if [[ $line == *check-fresh-machine.sh* ]]; then
      line="echo 'not run: the check itself'"
    fi
    must=0
    [ "$block" != 1 ] || must=1
    printf 'step_%d() {\n%s\n}\n' "$n" "$line"
    printf 'step %d %d %d %q %q step_%d\n' "$n" "$total" "$must" "$expect" "$title" "$n"
  done
  # shellcheck disable=SC2016
  echo 'exit $((failures > 0))'
} >"$check/run.sh"

# ---- Running them, in the root, in namespaces of its own ----------------------------------------
# A private mount namespace: the mounts vanish with it, however the check ends. A PID namespace:
# when the commands end (or the check is stopped) every process they left behind ends too.
# shellcheck disable=SC2016
inside='
  root=$1
  mount -t proc proc "$root/proc"
  mount -t sysfs sysfs "$root/sys"
  mount --bind /dev "$root/dev"
  mount --bind /dev/pts "$root/dev/pts"
  mount -t tmpfs -o mode=1777,nosuid,nodev shm "$root/dev/shm"
  trap "umount -l \"\$root/dev/shm\" \"\$root/dev/pts\" \"\$root/dev\" \"\$root/sys\" \"\$root/proc\"" EXIT
  trap "exit 130" INT
  trap "exit 143" TERM
  chroot "$root" /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
    /bin/bash /root/check/run.sh
'
say "running the README's ${#commands[@]} commands in $root as root, with a clean environment"
status=0
run_in_root() { unshare --mount --propagation private --pid --fork --kill-child bash -c "$inside" bash "$root" || status=$?; }
phase "the README's commands" run_in_root
cp -r "$check/logs/." "$logs/" 2>/dev/null || true

# ---- What it ran, and how long each took --------------------------------------------------------
echo
say "summary for commit $(git -C "$repo" rev-parse --short "$head")"
for p in "${phases[@]}"; do printf '  %s\n' "$p"; done
if [ -f "$check/times" ]; then
  while IFS=$'\t' read -r n took result title; do
    printf '    %2d %-6s %8s s  %s\n' "$n" "$result" "$took" "$(printf '%s' "$title" | cut -c 1-100)"
    # The test command's own account of its parts (installing, building, testing).
    sed -n 's/^build-and-test: /                          /p' "$check/logs/$n.log"
  done <"$check/times"
fi
printf '  %-34s %8s s\n' "total" "$(seconds $(($(now_ms) - started)))"
say "the output of every step: $logs"
if [ "$status" -ne 0 ]; then
  die "FAILED: the README's commands do not all pass on a fresh Debian $suite"
fi
say "passed: the README's commands work on a fresh Debian $suite"
