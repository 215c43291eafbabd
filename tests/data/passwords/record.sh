#!/usr/bin/env bash
# Records what 7zz prints around passwords, into this folder, with cases.tsv
# naming each output's exit status and what it tells: none, needed or wrong.
# The right password is "pw", the wrong one "nope"; a run "without" one has
# standard input at the null device. Standard output and standard error are
# recorded together, as the program reads them.
#   usage: record.sh [path/to/7zz]
set -eu
tool=${1:-7zz}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir in && printf 'hello\n' > in/a.txt && seq 1 50000 > in/c.txt
with() { printf '%s\n' "$1" | "$tool" "${@:2}"; }
with pw a -tzip -p -spd -- zipcrypto.zip in/a.txt in/c.txt >/dev/null
with pw a -tzip -mem=AES256 -p -spd -- aes.zip in/a.txt in/c.txt >/dev/null
with pw a -t7z -p -spd -- data7z.7z in/a.txt in/c.txt >/dev/null
with pw a -t7z -p -mhe=on -spd -- names7z.7z in/a.txt in/c.txt >/dev/null
"$tool" a -tzip -spd -- partial.zip in/a.txt </dev/null >/dev/null
with pw a -tzip -p -spd -- partial.zip in/c.txt >/dev/null

rm -f "$here"/*.txt
printf 'file\tstatus\tverdict\tcommand\n' > "$here/cases.tsv"
# record NAME VERDICT PASSWORD(or -) ARGS...
record() {
    local name=$1 verdict=$2 password=$3 status=0
    shift 3
    rm -rf out
    if [ "$password" = - ]; then
        "$tool" "$@" </dev/null >"$here/$name.txt" 2>&1 || status=$?
    else
        with "$password" "$@" >"$here/$name.txt" 2>&1 || status=$?
    fi
    printf '%s\t%s\t%s\t%s\n' "$name.txt" "$status" "$verdict" "$*" >> "$here/cases.tsv"
}
for kind in zipcrypto aes data7z names7z partial; do
    archive=$(ls $kind.*)
    need=none; [ $kind = names7z ] && need=needed
    record "$kind-l-without" $need - l -slt -- "$archive"
    for command in t x; do
        for progress in "" -bsp1; do
            name=$kind-$command${progress:+-bsp1}
            switches=($command $progress); [ $command = x ] && switches+=(-oout)
            record "$name-right" none pw "${switches[@]}" -- "$archive"
            record "$name-wrong" wrong nope "${switches[@]}" -- "$archive"
            record "$name-without" needed - "${switches[@]}" -- "$archive"
        done
    done
done
record names7z-l-right none pw l -slt -- names7z.7z
record names7z-l-wrong wrong nope l -slt -- names7z.7z

# A wrong ZipCrypto password passes the one-byte check about once in 256
# tries, and the member then fails its CRC (stored) or decompression.
with pw a -tzip -p -mx0 -spd -- stored.zip in/a.txt >/dev/null
with pw a -tzip -p -spd -- deflated.zip in/c.txt >/dev/null
for archive in stored deflated; do
    for guess in $(seq 1 5000); do
        if ! with "w$guess" t -- $archive.zip 2>&1 | grep -q 'ERROR: Wrong password'; then
            record zipcrypto-$archive-t-check-passed wrong "w$guess" t -- $archive.zip
            break
        fi
    done
done

# Volumes: asked once, like a single file; a missing volume is never asked.
head -c 300000 /dev/urandom > r.bin
with pw a -t7z -p -mhe=on -v100k -spd -- volumes.7z r.bin >/dev/null
record volumes-names7z-t-bsp1-wrong wrong nope t -bsp1 -- volumes.7z.001
record volumes-names7z-t-bsp1-without needed - t -bsp1 -- volumes.7z.001
rm volumes.7z.003
record volumes-missing-t-bsp1-right none pw t -bsp1 -- volumes.7z.001

# Damage with the right password reads like a wrong password.
cp names7z.7z header.7z && printf '\xff\xff\xff\xff' | dd of=header.7z bs=1 seek=$(($(stat -c %s names7z.7z) - 100)) conv=notrunc 2>/dev/null
record damaged-names7z-header-t-right wrong pw t -- header.7z
cp aes.zip flipped.zip && printf '\xff\xff\xff\xff' | dd of=flipped.zip bs=1 seek=3000 conv=notrunc 2>/dev/null
record damaged-aes-t-bsp1-right wrong pw t -bsp1 -- flipped.zip
head -c 9000 aes.zip > truncated.zip
record truncated-aes-t-bsp1-without needed - t -bsp1 -- truncated.zip

# Two blocks under two passwords: the tool still asks only once.
printf 'one\n' > one.txt && printf 'two\n' > two.txt
with p1 a -t7z -p -spd -- two.7z one.txt >/dev/null
with p2 a -t7z -p -spd -- two.7z two.txt >/dev/null
record two-passwords-7z-t-second wrong $'p2\np1' t -- two.7z
