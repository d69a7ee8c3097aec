#!/usr/bin/env bash
# Writing commands on a volume filled to the brim and under a file size limit that cuts writes short:
# exit 1 with their message, old files intact, no temporary file; with room again they succeed.
umount "$2/vol" 2>/dev/null
source "$(dirname "$0")/lib/common.sh"
mkdir -p vol items

loop=""
cleanup() {
    cd / && umount "$work/vol" 2>/dev/null
    [ -n "$loop" ] && losetup -d "$loop" 2>/dev/null
}
trap cleanup EXIT
if ! mount -t tmpfs -o size=512k,nr_inodes=64 tmpfs vol 2>mount.err &&
    ! { truncate -s 1M vol.img && mkfs.ext2 -q -F -m 0 vol.img 2>>mount.err &&
        loop=$(losetup -f --show vol.img 2>>mount.err) && mount "$loop" vol 2>>mount.err; }; then
    echo "SKIP: neither a tmpfs nor a loop device can be mounted here (needs root): $(tail -1 mount.err)"
    exit 77
fi

make_file 6 p PROG1 3000 items/prog1.g6p
make_file 6 p MEMBER 2000 member.g6p
for i in $(seq 1 60); do echo "Lbl $i:Disp \"LINE $i\""; done >prog.txt
PYTHONPATH="$lib" python3 - <<'PY'
from media import *
open('in.g6g', 'wb').write(b'6g' + record(b'member.g6p', open('member.g6p', 'rb').read()) +
                           bytes(264))
s = screen(1)
open('Pict1.g6i', 'wb').write(picture(s))
show = slide_show(b'4', b'ANIME', b'Old title', [compress(s), compress(bytes(1056))])
open('show.g4s', 'wb').write(show)
PY

for name in prog.g6p g.g6g member.g6p prog1.g6p pic.bmp pic.png page-001.{bmp,png} copy.g4s; do
    head -c 1500 /dev/urandom >"vol/$name"
done

cases=("tok prog.txt -o vol/prog.g6p" "*group vol/g.g6g member.g6p items/prog1.g6p"
    "*ungroup in.g6g vol --overwrite" "*recv prog1.g6p -C vol --overwrite --sim --items items"
    "*image Pict1.g6i -o vol/pic.bmp" "image Pict1.g6i -o vol/pic.png"
    "*slides show.g4s -o vol --png --overwrite" "*retitle show.g4s vol/copy.g4s --title New")
all_cases() { # phase status message-of-a-checked-command
    local phase=$1 want=$2 case message
    find vol -maxdepth 1 -type f -exec sha256sum {} + >old.sums
    for case in "${cases[@]}"; do
        message="cannot write"
        [ "${case:0:1}" = "*" ] && message=${3-}
        # shellcheck disable=SC2086
        expect "$want" "${case#\*} ($phase)" "$cli" ${case#\*}
        [ "$want" -eq 0 ] && continue
        said "$message" "${case#\*} ($phase)"
        sha256sum --quiet -c old.sums >/dev/null 2>&1 || fail "$case ($phase): an old file changed"
        ls vol | grep -q travex-tmp && fail "$case ($phase): temporary file left" && rm -f vol/*travex-tmp*
    done
}

dd if=/dev/zero of=vol/filler bs=4k 2>/dev/null
dd if=/dev/zero of=vol/filler2 bs=1 2>/dev/null
all_cases "full volume" 1 "Insufficient free disk space."
rm -f vol/filler vol/filler2
( trap '' XFSZ; ulimit -f 1; all_cases "short writes" 1 "cannot" )
all_cases "room again" 0
same member.g6p vol/member.g6p "ungroup: member written whole"
same items/prog1.g6p vol/prog1.g6p "recv: item written whole"
ls vol | grep -q travex-tmp && fail "temporary file left with room again"
finish
