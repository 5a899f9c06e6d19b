# testbed-enter.sh SCRATCH PROJECT SCRIPT [ARG...]: run by testbed_run
# (testbed.sh) in namespaces of its own; builds the testbed's root in SCRATCH
# and runs SCRIPT in it as root. Every mount made here belongs to the mount
# namespace, and goes with it.
set -euo pipefail
scratch=$1 project=$2 script=$3
shift 3

# The overlay's upper and work folders must lie on one file system, which
# must not be the lower one's own: a memory file system of their own.
mount -t tmpfs -o mode=0755 zephconf-testbed "$scratch"
mkdir "$scratch/upper" "$scratch/work" "$scratch/root"
root=$scratch/root
mount -t overlay zephconf-testbed \
  -o "lowerdir=/,upperdir=$scratch/upper,workdir=$scratch/work" "$root"

# The configuration, dpkg's database, the servers' records and the logs as
# they are now, copied into the testbed's memory: the machine's may change
# under the overlay while the testbed runs (another package manager, or
# another test, at work there), and the testbed must see one state of them.
frozen=0
for folder in /etc /var/lib/dpkg /var/lib/apache2 /var/log; do
  [ -d "$folder" ] || continue
  frozen=$((frozen + 1))
  mkdir "$scratch/frozen-$frozen"
  cp -a "$folder/." "$scratch/frozen-$frozen/"
  mount --bind "$scratch/frozen-$frozen" "$root$folder"
done

mount -t proc proc "$root/proc"
mount --rbind /dev "$root/dev"
mount --rbind /sys "$root/sys"
mount -t tmpfs -o mode=0755 run "$root/run"
mkdir -p "$root/run/lock"
mount -t tmpfs -o mode=1777 tmp "$root/tmp"
mkdir -p "$root$project"
mount --bind "$project" "$root$project"

case "$script" in
  "$project"/*) ;;
  *) cp "$script" "$root/tmp/testbed-script"; script=/tmp/testbed-script ;;
esac

ip link set lo up
hostname zephconf-testbed

# A clean environment, as a root shell has it: nothing of the caller's but
# the settings the tests read.
exec chroot "$root" /usr/bin/env -i \
  PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
  HOME=/root LANG=C.UTF-8 TERM=dumb DEBIAN_FRONTEND=noninteractive \
  CI="${CI:-}" ZEPH_TESTBED=1 \
  bash "$script" "$@"
