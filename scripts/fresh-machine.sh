#!/usr/bin/env bash
# Tries the README's two commands the way a new user would, on a newly made
# machine: a minimal Debian 12 system (debootstrap --variant=minbase bookworm)
# in a scratch folder, with a clone of the current commit and nothing of this
# machine's installed packages, build trees or X servers. Inside it runs, as
# the README writes them and without a display,
#
#   ./scripts/demo.sh     (must save its screenshot and end with status 0)
#   ./scripts/test.sh     (every test, both configurations)
#
# prints each command's status and wall time, copies the screenshot out, and
# exits non-zero when either command fails. Everything it mounts is unmounted
# on any exit, and the folder is removed unless --keep is given.
#
#   scripts/fresh-machine.sh [--keep] [--dir DIR] [--out DIR]
#
#   --keep     leave the system in place for a look (its path is printed)
#   --dir DIR  build the system in DIR (must not exist yet); default: a new
#              folder under /var/tmp
#   --out DIR  where the screenshot and the two logs go; default: ./fresh-machine
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# The commit tried is the one checked out when this starts.
commit=$(git -C "$root" rev-parse HEAD)

keep=0
dir=""
out="$PWD/fresh-machine"
while [ $# -gt 0 ]; do
  case "$1" in
    --keep) keep=1 ;;
    --dir) dir=$2; shift ;;
    --out) out=$2; shift ;;
    *) echo "usage: $0 [--keep] [--dir DIR] [--out DIR]" >&2; exit 2 ;;
  esac
  shift
done

if [ "$(id -u)" -ne 0 ]; then
  echo "fresh-machine: needs root (debootstrap, chroot and mounts)" >&2
  exit 2
fi
if ! command -v debootstrap >/dev/null; then
  DEBIAN_FRONTEND=noninteractive apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap >/dev/null
fi

if [ -z "$dir" ]; then
  dir=$(mktemp -d /var/tmp/zel-fresh.XXXXXX)
elif [ -e "$dir" ]; then
  echo "fresh-machine: $dir exists already; give a new folder" >&2
  exit 2
else
  mkdir -p "$dir"
fi
dir=$(cd "$dir" && pwd)
mkdir -p "$out"
out=$(cd "$out" && pwd)

mounts=()
cleanup() {
  local status=$?
  trap - EXIT INT TERM HUP
  # Anything still running inside (an X server, a test) holds the mounts busy.
  local p
  for p in /proc/[0-9]*; do
    [ "$(readlink "$p/root" 2>/dev/null)" = "$dir" ] && kill -9 "${p#/proc/}" 2>/dev/null
  done
  local i
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
    umount "${mounts[i]}" 2>/dev/null || umount -l "${mounts[i]}" 2>/dev/null || true
  done
  if [ "$keep" -eq 1 ]; then
    echo "fresh-machine: system kept in $dir"
  else
    # Only remove the folder when nothing is mounted below it any more.
    if ! grep -q " $dir/" /proc/mounts; then
      rm -rf "$dir"
    else
      echo "fresh-machine: $dir still has mounts; left in place" >&2
    fi
  fi
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

mount_in() { # TYPE-OR-BIND SOURCE TARGET
  mkdir -p "$dir$3"
  if [ "$1" = bind ]; then
    mount --bind "$2" "$dir$3"
  else
    mount -t "$1" "$2" "$dir$3"
  fi
  mounts+=("$dir$3")
}

echo "fresh-machine: making a minimal Debian 12 system in $dir"
start=$(date +%s)
debootstrap --variant=minbase bookworm "$dir" http://deb.debian.org/debian >"$out/debootstrap.log" 2>&1 || {
  echo "fresh-machine: debootstrap failed; see $out/debootstrap.log" >&2
  exit 1
}
echo "fresh-machine: debootstrap took $(($(date +%s) - start)) s"
cp /etc/resolv.conf "$dir/etc/resolv.conf"

mount_in proc proc /proc
mount_in sysfs sys /sys
mount_in bind /dev /dev
mount_in devpts devpts /dev/pts
mount_in tmpfs shm /dev/shm

# The clone is made from this checkout's current commit, as `git clone` of the
# project would give it: tracked files only, no build trees.
git clone -q --no-hardlinks "$root" "$dir/root/world-of-ulmera"
git -C "$dir/root/world-of-ulmera" checkout -q "$commit"
echo "fresh-machine: cloned $commit"

run_inside() { # NAME COMMAND
  local name=$1 cmd=$2 t0 status=0
  t0=$(date +%s)
  chroot "$dir" /usr/bin/env -i HOME=/root TERM=dumb LANG=C.UTF-8 \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    bash -c "cd /root/world-of-ulmera && $cmd" </dev/null >"$out/$name.log" 2>&1 || status=$?
  local took=$(($(date +%s) - t0))
  echo "fresh-machine: $cmd: status $status, $((took / 60)) min $((took % 60)) s (log: $out/$name.log)"
  return "$status"
}

demo_status=0
test_status=0
run_inside demo ./scripts/demo.sh || demo_status=$?
shot="$dir/root/world-of-ulmera/build/screenshot.png"
if [ -s "$shot" ]; then
  cp "$shot" "$out/screenshot.png"
  echo "fresh-machine: screenshot: $out/screenshot.png"
else
  echo "fresh-machine: the demo saved no screenshot" >&2
  [ "$demo_status" -ne 0 ] || demo_status=1
fi
run_inside test ./scripts/test.sh || test_status=$?
grep -E "tests passed|tests failed" "$out/test.log" | sed 's/^/    /' || true

if [ "$demo_status" -ne 0 ] || [ "$test_status" -ne 0 ]; then
  echo "fresh-machine: FAILED (demo $demo_status, tests $test_status)"
  exit 1
fi
echo "fresh-machine: both README commands passed"
