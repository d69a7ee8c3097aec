#!/usr/bin/env bash
# travex-cli commands that write, run against existing files on a volume filled to the brim and
# under a file size limit that cuts every write short: each ends with its message and exit 1,
# every old file stays byte for byte, no temporary file is left, and with room again the same
# command succeeds. The volume is a small tmpfs, or an ext2 image on a loop device where tmpfs
# cannot be mounted; where neither can, the test is skipped (exit 77) and says why.
umount "$2/vol" 2>/dev/null
source "$(dirname "$0")/lib/common.sh"
mkdir -p vol items

loop=""
cleanup() {
    cd / && umount "$work/vol" 2>/dev/null
    [ -n "$loop" ] && losetup -d "$loop" 2>/dev/null
}
trap cleanup EXIT
if mount -t tmpfs -o size=512k,nr_inodes=64 tmpfs vol 2>mount.err; then
    echo "volume: tmpfs of 512 KiB"
else
    echo "tmpfs cannot be mounted here ($(head -1 mount.err)); trying a loop device"
    if truncate -s 1M vol.img && mkfs.ext2 -q -F -m 0 vol.img 2>>mount.err &&
        loop=$(losetup -f --show vol.img 2>>mount.err) && mount "$loop" vol 2>>mount.err; then
        echo "volume: ext2 image on $loop"
    else
        echo "SKIP: neither a tmpfs nor a loop device can be mounted here (needs root and a" \
            "system that allows mounts): $(tail -1 mount.err)"
        exit 77
    fi
fi

# Inputs outside the volume: a program text, calculator files, a group, a picture, a slide show.
make_file 6 p PROG1 3000 items/prog1.g6p
make_file 6 p MEMBER 2000 member.g6p
for i in $(seq 1 60); do echo "Lbl $i:Disp \"LINE $i\""; done > prog.txt
PYTHONPATH="$lib" python3 - <<'PY'
from media import *
open('in.g6g', 'wb').write(b'6g' + record(b'member.g6p', open('member.g6p', 'rb').read()) +
                           bytes(264))
s = screen(1)
open('Pict1.g6i', 'wb').write(picture(s))
show = slide_show(b'4', b'ANIME', b'Old title', [compress(s), compress(bytes(1056))])
open('show.g4s', 'wb').write(show)
PY

# The old files on the volume, each different from what the commands would write.
old_files="prog.g6p g.g6g member.g6p prog1.g6p pic.bmp pic.png page-001.bmp page-001.png copy.g4s"
for name in $old_files; do head -c 1500 /dev/urandom > "vol/$name"; done
find vol -maxdepth 1 -type f -exec sha256sum {} + > old.sums

# {command to run, text its message holds}; every target exists on the volume.
run_case() { # what expected-message command...
    local what=$1 message=$2; shift 2
    "$@" >case.out 2>case.err; local got=$?
    [ "$got" -eq 1 ] || fail "$what ($phase): exit $got, expected 1 ($(head -c 300 case.err))"
    grep -qF -- "$message" case.err case.out ||
        fail "$what ($phase): no \"$message\" in: $(head -c 300 case.err case.out)"
    sha256sum --quiet -c old.sums >/dev/null 2>&1 || fail "$what ($phase): an old file changed"
    if ls vol | grep -q travex-tmp; then
        fail "$what ($phase): temporary file left: $(ls vol | grep travex-tmp)"
        rm -f vol/*travex-tmp*
    fi
}
all_cases() {
    run_case tok "cannot write" "$cli" tok prog.txt -o vol/prog.g6p
    run_case group "$1" "$cli" group vol/g.g6g member.g6p items/prog1.g6p
    run_case ungroup "$1" "$cli" ungroup in.g6g vol --overwrite
    run_case recv "$1" "$cli" recv prog1.g6p -C vol --overwrite --sim --items items
    run_case "image to a bitmap" "$1" "$cli" image Pict1.g6i -o vol/pic.bmp
    run_case "image to a PNG" "cannot write" "$cli" image Pict1.g6i -o vol/pic.png
    run_case slides "$1" "$cli" slides show.g4s -o vol --png --overwrite
    run_case retitle "$1" "$cli" retitle show.g4s vol/copy.g4s --title New
}

# 1. The volume filled to its last byte: the free-space checks refuse, and where no check comes
#    first the write itself runs out of room.
dd if=/dev/zero of=vol/filler bs=4k 2>/dev/null
dd if=/dev/zero of=vol/filler2 bs=1 2>/dev/null
find vol -maxdepth 1 -type f -exec sha256sum {} + > old.sums
avail=$(df --output=avail -B1 vol | tail -1 | tr -d ' ')
echo "free bytes on the full volume: $avail"
phase="full volume"
all_cases "Insufficient free disk space."

# 2. Room on the volume, but every file is cut at 512 bytes (a write that fails in the middle):
#    the free-space checks pass and the atomic write meets the short write itself.
rm -f vol/filler vol/filler2
find vol -maxdepth 1 -type f -exec sha256sum {} + > old.sums
phase="short writes"
( trap '' XFSZ; ulimit -f 1; all_cases "cannot" )

# 3. With room again the same commands succeed.
phase="room again"
for args in "tok prog.txt -o vol/prog.g6p" "group vol/g.g6g member.g6p items/prog1.g6p" \
    "ungroup in.g6g vol --overwrite" "recv prog1.g6p -C vol --overwrite --sim --items items" \
    "image Pict1.g6i -o vol/pic.bmp" "image Pict1.g6i -o vol/pic.png" \
    "slides show.g4s -o vol --png --overwrite" "retitle show.g4s vol/copy.g4s --title New"; do
    # shellcheck disable=SC2086
    "$cli" $args >case.out 2>case.err || fail "$args ($phase): exit $? ($(head -c 300 case.err))"
done
cmp -s member.g6p vol/member.g6p || fail "ungroup ($phase): member not written whole"
cmp -s items/prog1.g6p vol/prog1.g6p || fail "recv ($phase): item not written whole"
ls vol | grep -q travex-tmp && fail "($phase): temporary file left"

finish
