#!/usr/bin/env python3
"""Writes the benchmark archives straight to disk, without a file tree.

  make_inputs.py members <zip> [count]   stored ZIP of `count` members (folders
                                         included) under src/moduleNN/subN/
  make_inputs.py tarball <tar> [count]   plain tar of `count` members (folders
                                         included), same tree as `members`
  make_inputs.py mixed <zip> [mb]        ZIP of about `mb` MB of mixed files:
                                         many small text and binary files, a
                                         few large ones, compressible or not
"""
import io
import os
import random
import sys
import tarfile
import time
import zipfile

EXTENSIONS = ["txt", "c", "h", "cpp", "png", "json", "md", "o"]
STAMP = (2024, 5, 1, 12, 0, 0)


def info(name, stamp, folder=False):
    member = zipfile.ZipInfo(name, stamp)
    member.create_system = 3
    member.external_attr = ((0o40755 if folder else 0o100644) << 16) | (0x10 if folder else 0)
    return member


def members(path, count):
    modules, subs = 100, 10
    folders = 1 + modules + modules * subs
    files = count - folders
    per_folder, extra = divmod(files, modules * subs)
    number = 0
    with zipfile.ZipFile(path + ".part", "w", zipfile.ZIP_STORED) as z:
        z.writestr(info("src/", STAMP, True), b"")
        for m in range(modules):
            z.writestr(info(f"src/module{m:02d}/", STAMP, True), b"")
            for s in range(subs):
                base = f"src/module{m:02d}/sub{s}/"
                z.writestr(info(base, STAMP, True), b"")
                here = per_folder + (1 if m * subs + s < extra else 0)
                for _ in range(here):
                    ext = EXTENSIONS[number % len(EXTENSIONS)]
                    stamp = (2020 + number % 5, 1 + number % 12, 1 + number % 28,
                             number % 24, number % 60, (number % 30) * 2)
                    z.writestr(info(f"{base}file_{number:06d}.{ext}", stamp),
                               b"x" * (number % 48))
                    number += 1
    os.replace(path + ".part", path)


def tarball(path, count):
    # The same names, sizes and times as `members`, read back from a ZIP
    # written in memory would cost as much: built here directly instead.
    modules, subs = 100, 10
    files = count - (1 + modules + modules * subs)
    per_folder, extra = divmod(files, modules * subs)
    number = 0

    def add(tar, name, size, stamp, folder=False):
        member = tarfile.TarInfo(name)
        member.type = tarfile.DIRTYPE if folder else tarfile.REGTYPE
        member.mode = 0o755 if folder else 0o644
        member.size = size
        member.mtime = time.mktime(stamp + (0, 0, -1))
        tar.addfile(member, None if folder else io.BytesIO(b"x" * size))

    with tarfile.open(path + ".part", "w", format=tarfile.GNU_FORMAT) as tar:
        add(tar, "src", 0, STAMP, True)
        for m in range(modules):
            add(tar, f"src/module{m:02d}", 0, STAMP, True)
            for s in range(subs):
                base = f"src/module{m:02d}/sub{s}/"
                add(tar, base[:-1], 0, STAMP, True)
                for _ in range(per_folder + (1 if m * subs + s < extra else 0)):
                    stamp = (2020 + number % 5, 1 + number % 12, 1 + number % 28,
                             number % 24, number % 60, (number % 30) * 2)
                    add(tar, f"{base}file_{number:06d}.{EXTENSIONS[number % len(EXTENSIONS)]}",
                        number % 48, stamp)
                    number += 1
    os.replace(path + ".part", path)


def mixed(path, megabytes):
    rng = random.Random(7)
    words = [bytes(rng.choice(b"abcdefghijklmnopqrstuvwxyz") for _ in range(rng.randint(2, 9)))
             for _ in range(2000)]

    def text(size):
        out = bytearray()
        while len(out) < size:
            out += b" ".join(rng.choices(words, k=16)) + b"\n"
        return bytes(out[:size])

    budget = megabytes * 1_000_000
    written = 0
    number = 0
    with zipfile.ZipFile(path + ".part", "w", zipfile.ZIP_DEFLATED, compresslevel=1) as z:
        # A few large members: half text, half noise.
        for i in range(8):
            size = budget // 20
            data = text(size) if i % 2 == 0 else os.urandom(size)
            z.writestr(info(f"media/large_{i}.{'log' if i % 2 == 0 else 'bin'}", STAMP), data,
                       zipfile.ZIP_DEFLATED, 1)
            written += size
        # Then many small ones, text and noise, 1 KB to 64 KB.
        pool = text(4_000_000)
        while written < budget:
            size = rng.randint(1_000, 64_000)
            folder = f"tree/d{number // 500:03d}/e{number // 50 % 10}/"
            if number % 3 == 0:
                data, ext = os.urandom(size), "dat"
            else:
                at = rng.randint(0, len(pool) - size)
                data, ext = pool[at:at + size], "txt"
            z.writestr(info(f"{folder}f{number:06d}.{ext}", STAMP), data, zipfile.ZIP_DEFLATED, 1)
            written += size
            number += 1
    os.replace(path + ".part", path)


if __name__ == "__main__":
    kind, target = sys.argv[1], sys.argv[2]
    if kind == "members":
        members(target, int(sys.argv[3]) if len(sys.argv) > 3 else 1_000_000)
    elif kind == "tarball":
        tarball(target, int(sys.argv[3]) if len(sys.argv) > 3 else 200_000)
    elif kind == "mixed":
        mixed(target, int(sys.argv[3]) if len(sys.argv) > 3 else 1000)
    else:
        sys.exit(__doc__)
