#!/usr/bin/env bash
# Records 7zz's real output for each kind of failure as NAME.STATUS.txt (standard output and standard error in one
# stream, progress on, as Corvex runs it). Run as root from the repository root after a build:
#   tests/data/failures/record.sh [path/to/7zz]
# Root is needed for the small tmpfs mounts (full disk, read-only file system) and to run 7zz as "nobody"
# (permission denied). A case whose condition cannot be made keeps its earlier recording.
set -u
out=$(cd "$(dirname "$0")" && pwd)
zz=$(realpath "${1:-build/share/corvex/bin/7zz}")
work=$(mktemp -d)
chmod 1777 "$work"
cd "$work" || exit 1
trap 'cd /; umount ro full 2>/dev/null; rm -rf "$work"' EXIT

# record NAME COMMAND...: runs the command, keeps its output as NAME.STATUS.txt
record() {
    local name=$1 status
    shift
    "$@" >output.txt 2>&1
    status=$?
    rm -f "$out/$name".*.txt
    mv output.txt "$out/$name.$status.txt"
    echo "$name: $status"
}
as_nobody() { setpriv --reuid=nobody --regid=nogroup --clear-groups "$@"; }
fresh() { rm -rf d && mkdir d && chmod 777 d; }

echo hello >notes.txt
mkdir -p src/sub
head -c 300000 /dev/urandom >src/sub/a.bin
echo x >src/b.txt
"$zz" a -tzip -spd -- good.zip src >/dev/null
"$zz" a -t7z -spd -- good.7z src >/dev/null
head -c 200000 good.zip >truncated.zip
python3 - <<'EOF'
import zipfile
data = bytearray(open('good.7z', 'rb').read())
crc = bytearray(data)
for i in range(1000, 1100):      # inside the packed stream: the data fails its CRC
    crc[i] ^= 0xFF
open('corrupted.7z', 'wb').write(crc)
for i in range(len(data) - 60, len(data) - 10):   # inside the header at the end
    data[i] ^= 0x55
open('bad-header.7z', 'wb').write(data)
with zipfile.ZipFile('long-name.zip', 'w') as z:
    z.writestr('a' * 300 + '.txt', 'x')
EOF
mkdir -p lk && ln -sf ../../../etc/passwd lk/evil && "$zz" a -tzip -snl -spd -- link.zip lk >/dev/null
printf 'secret\n' | "$zz" a -tzip -p -spd -- password.zip notes.txt >/dev/null
cp good.zip locked.zip && chmod 600 locked.zip
echo secret >secret.txt && chmod 600 secret.txt
head -c 30000000 /dev/urandom >r30.bin
"$zz" a -t7z -md=64m -spd -- big.7z r30.bin >/dev/null
mkdir -p locked && chmod 555 locked

X=(x -bsp1 -spd -od -y --)
fresh; record extract-not-an-archive "$zz" "${X[@]}" notes.txt
record list-not-an-archive "$zz" l -slt -spd -- notes.txt
fresh; record extract-truncated-zip "$zz" "${X[@]}" truncated.zip
record test-truncated-zip "$zz" t -bsp1 -spd -- truncated.zip
fresh; record extract-corrupted-7z "$zz" "${X[@]}" corrupted.7z
fresh; record extract-7z-headers-error "$zz" "${X[@]}" bad-header.7z
fresh; record extract-missing-archive "$zz" "${X[@]}" missing.zip
fresh; record extract-unreadable-archive as_nobody "$zz" "${X[@]}" locked.zip
fresh; chmod 555 d; record extract-permission-denied as_nobody "$zz" "${X[@]}" good.zip
fresh; record extract-name-too-long "$zz" "${X[@]}" long-name.zip
fresh; record extract-dangerous-link "$zz" "${X[@]}" link.zip
fresh; printf 'wrong\n' | record extract-wrong-password "$zz" "${X[@]}" password.zip
fresh; record extract-out-of-memory bash -c "ulimit -v 60000; exec '$zz' x -bsp1 -spd -od -y -- big.7z"
record extract-command-line-error "$zz" x -bsp1 --no-such-switch -- good.zip
mkdir -p ro full
if mount -t tmpfs -o ro,size=64k tmpfs ro; then
    record extract-read-only-file-system "$zz" x -bsp1 -spd -oro -y -- good.zip
    record create-read-only-file-system "$zz" a -bsp1 -tzip -spd -- ro/new.zip notes.txt
    umount ro
fi
if mount -t tmpfs -o size=100k tmpfs full; then
    record extract-disk-full "$zz" x -bsp1 -spd -ofull -y -- good.zip
    rm -rf full/*
    record create-disk-full "$zz" a -bsp1 -tzip -spd -- full/new.zip src
    umount full
fi
record create-missing-input "$zz" a -bsp1 -tzip -spd -- new1.zip notes.txt gone.txt
record create-unreadable-input as_nobody "$zz" a -bsp1 -tzip -spd -- new2.zip notes.txt secret.txt
record create-permission-denied as_nobody "$zz" a -bsp1 -tzip -spd -- locked/new.zip notes.txt
# A large dictionary that the address-space limit leaves no room for: the tool's own "out of memory" status.
record create-out-of-memory bash -c "ulimit -v 60000; exec '$zz' a -bsp1 -tzip -mm=LZMA -md=256m -spd -- new3.zip r30.bin"
# Killed part-way: the output stops in the middle of a progress text.
"$zz" a -bsp1 -tzip -mx=9 -spd -- new4.zip r30.bin >output.txt 2>&1 &
sleep 1
kill -KILL $!
wait $!
status=$?
rm -f "$out"/create-killed.*.txt
mv output.txt "$out/create-killed.$status.txt"
echo "create-killed: $status"
