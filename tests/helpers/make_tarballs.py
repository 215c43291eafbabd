#!/usr/bin/env python3
# Usage: make_tarballs.py FOLDER. One tree (a link, a hard link, long names, an empty folder, 100 kB that do not
# compress) as tarballs by Python's tarfile and by GNU tar in every compression, FOLDER/{python,gnu}.tar.EXT, and
# odd ones: tars found by content only, streams that hold no tar ("digits": octal where a checksum would be, which
# does not hold), broken ones.
import io, os, subprocess, sys, tarfile

OUT, LONG = sys.argv[1], "top/" + "L" * 120 + "/" + "f" * 110 + ".txt"
TREE = os.path.join(OUT, "tree")
PROGRAMS = {"gz": "gzip", "xz": "xz", "bz2": "bzip2", "zst": "zstd -q", "Z": "compress -f", "lzma": "xz --format=lzma"}


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    open(path, "wb").write(data)


def put(name, data, ext="gz"):
    out = subprocess.run(PROGRAMS[ext].split() + ["-c"], input=data, stdout=subprocess.PIPE, check=True).stdout
    write(os.path.join(OUT, name), out)


def gnu_tar(*options, member="top"):
    return subprocess.run(["tar", "-c", *options, "-C", TREE, member], stdout=subprocess.PIPE, check=True).stdout


for path, data in ((LONG, b"deep\n"), ("top/a.txt", b"hi\n"), ("top/\u00fc.txt", b"x\n"), ("top/d.bin", os.urandom(10**5))):
    write(os.path.join(TREE, path), data)
os.makedirs(os.path.join(TREE, "top/empty"))
os.symlink("a.txt", os.path.join(TREE, "top/link"))
os.link(os.path.join(TREE, "top/a.txt"), os.path.join(TREE, "top/hard"))
with tarfile.open(fileobj=(plain := io.BytesIO()), mode="w", format=tarfile.GNU_FORMAT) as archive:
    archive.add(os.path.join(TREE, "top"), "top")
whole, damaged = plain.getvalue(), bytearray(plain.getvalue())
at = tarfile.open(fileobj=io.BytesIO(whole)).getmember("top/a.txt").offset
damaged[at:at + 512] = b"\x55" * 512
for ext in PROGRAMS:
    put("python.tar." + ext, whole, ext), put("gnu.tar." + ext, gnu_tar(), ext)
for name, data, ext in (("backup.gz", whole, "gz"), ("release.tar.gz.1", whole, "xz"), ("notes.txt.gz", b"text\n" * 200, "gz"),
                        ("old.bz2", gnu_tar("--format=v7", member="top/a.txt"), "bz2"), ("empty.tar.gz", b"\0" * 10240, "gz"),
                        ("digits.gz", b"01234567" * 200, "gz"), ("damaged-inner.tar.gz", bytes(damaged), "gz")):
    put(name, data, ext)
for name, source in (("truncated.tar.gz", "python.tar.gz"), ("short.tar.zst", "python.tar.zst")):
    write(os.path.join(OUT, name), open(os.path.join(OUT, source), "rb").read()[:-40])
