#!/usr/bin/env python3
"""Writes hostile archives into a scratch root, plus manifest.json.

Usage: make_hostile_corpus.py ROOT TOOL TOKEN

ROOT is the test's temporary root: archives go to ROOT/corpus, decoys that
no extraction may touch to ROOT/outside. TOOL is the 7zz to build 7z
archives with. TOKEN makes the names of escape attempts unique, so that a
file that got past every guard can be looked for anywhere above ROOT.

Each case says what the command-line mode must do ("refused" with the
unsafe-paths alert, "extracted", or "failed" with an error alert), what the
window's extraction must do ("extracted", "failed", or "not loaded" when the
window cannot even list the archive), which paths must then
exist inside the window's destination, and which guard protects it.
"""

import io
import json
import os
import subprocess
import sys
import struct
import tarfile
import zipfile
import zlib

ROOT, TOOL, TOKEN = sys.argv[1], sys.argv[2], sys.argv[3]
CORPUS = os.path.join(ROOT, "corpus")
OUTSIDE = os.path.join(ROOT, "outside")
ESCAPE = "corvex-escape-" + TOKEN
DECOY = os.path.join(OUTSIDE, "victim.txt")

cases = []


def case(name, archive, cli, window, guard, inside=(), absent=()):
    cases.append({
        "name": name,
        "archive": os.path.relpath(archive, ROOT),
        "cli": cli,
        "window": window,
        "guard": guard,
        # Relative to the window's destination; paths are byte strings made
        # printable with surrogateescape, so they travel as hex.
        "inside": [p.encode("utf-8", "surrogateescape").hex() for p in inside],
        "absent": [p.encode("utf-8", "surrogateescape").hex() for p in absent],
    })


def b(text):
    return text.encode("utf-8", "surrogateescape")


# --- ZIP: names are written byte for byte into both headers --------------

class RawZipInfo(zipfile.ZipInfo):
    """A member whose name goes into both headers byte for byte."""
    __slots__ = ("raw", "raw_utf8")

    def _encodeFilenameFlags(self):
        # With the UTF-8 flag the tool reads names as UTF-8, invalid or not.
        return self.raw, self.flag_bits | (0x800 if self.raw_utf8 else 0)


def write_zip(name, members, comment=b"", system=3, unicode_paths=None):
    """members: (name bytes, data bytes or None for a folder[, comment bytes]).
    system: the "made by" system (0 is MS-DOS, 3 Unix). unicode_paths: a
    second name per member, in the Info-ZIP Unicode Path extra field."""
    path = os.path.join(CORPUS, name)
    with zipfile.ZipFile(path, "w") as archive:
        for index, member in enumerate(members):
            raw, data = member[0], member[1]
            info = RawZipInfo("member%d" % index)
            info.raw = raw
            # Old tools flagged nothing; the other name fields then count.
            info.raw_utf8 = system == 3 and not unicode_paths
            info.create_system = system
            if unicode_paths:
                other = unicode_paths[index]
                field = b"\x01" + struct.pack("<I", zlib.crc32(raw)) + other
                info.extra = struct.pack("<HH", 0x7075, len(field)) + field
            info.date_time = (2023, 11, 14, 22, 13, 20)
            if data is None:
                info.external_attr = 0o40755 << 16 | 0x10
                data = b""
            else:
                info.external_attr = 0o644 << 16
            if len(member) > 2:
                info.comment = member[2]
            archive.writestr(info, data)
        archive.comment = comment
    return path


def zip_files(name, names, data=b"hostile\n", comment=b""):
    return write_zip(name, [(b(n), data) for n in names], comment)


# --- tar: raw names through PAX or GNU headers ----------------------------

def tar_member(name, kind="file", data=b"hostile\n", link="", mode=0o644):
    info = tarfile.TarInfo(name)
    info.mode = mode
    info.mtime = 1700000000
    if kind == "file":
        info.size = len(data)
        return info, io.BytesIO(data)
    info.type = {"dir": tarfile.DIRTYPE, "symlink": tarfile.SYMTYPE, "hardlink": tarfile.LNKTYPE,
                 "fifo": tarfile.FIFOTYPE, "chardev": tarfile.CHRTYPE}[kind]
    info.linkname = link
    if kind == "dir":
        info.mode = 0o755
    if kind == "chardev":
        info.devmajor, info.devminor = 1, 3
    return info, None


def write_tar(name, members, fmt=tarfile.GNU_FORMAT, mode="w"):
    path = os.path.join(CORPUS, name)
    with tarfile.open(path, mode, format=fmt, encoding="utf-8", errors="surrogateescape") as archive:
        for member in members:
            archive.addfile(*tar_member(*member))
    return path


# --- cpio (newc), written by hand ------------------------------------------

def write_cpio(name, members):
    out = bytearray()
    ino = 1

    def pad(n):
        return b"\0" * ((4 - n % 4) % 4)

    for raw, kind, data in members + [(b"TRAILER!!!", "end", b"")]:
        mode = {"file": 0o100644, "symlink": 0o120777, "dir": 0o40755, "end": 0}[kind]
        fields = [ino, mode, 0, 0, 1, 1700000000, len(data), 0, 0, 0, 0, len(raw) + 1, 0]
        header = b"070701" + b"".join(b"%08X" % f for f in fields)
        out += header + raw + b"\0"
        out += pad(len(header) + len(raw) + 1)
        out += data + pad(len(data))
        ino += 1
    path = os.path.join(CORPUS, name)
    open(path, "wb").write(bytes(out))
    return path


# --- 7z: made by the tool itself from real files ---------------------------

def run_tool(arguments, cwd):
    subprocess.run([TOOL] + arguments, cwd=cwd, check=True, stdout=subprocess.DEVNULL,
                   stdin=subprocess.DEVNULL)


def stage(folder, names, data=b"hostile\n"):
    os.makedirs(folder, exist_ok=True)
    for name in names:
        full = os.path.join(b(folder), b(name))
        os.makedirs(os.path.dirname(full), exist_ok=True)
        open(full, "wb").write(data)


def main():
    os.makedirs(CORPUS)
    os.makedirs(OUTSIDE)
    open(DECOY, "wb").write(b"decoy: must never change\n")
    os.makedirs(os.path.join(OUTSIDE, "folder"))
    open(os.path.join(OUTSIDE, "folder", "kept.txt"), "wb").write(b"kept\n")
    abs_target = os.path.join(OUTSIDE, "abs-" + ESCAPE + ".txt")
    climb = "../" * 12

    # Absolute and climbing names: the screen refuses them; in the window
    # the tool strips "/" and "../" and writes inside the destination.
    strip = "the tool strips leading '/' and '../'"
    case("zip-absolute", zip_files("absolute.zip", [abs_target, "ok.txt"]), "refused", "extracted", strip,
         inside=[abs_target.lstrip("/"), "ok.txt"])
    case("zip-dotdot-leading", zip_files("dotdot-leading.zip", ["../" + ESCAPE + "-1.txt"]), "refused",
         "extracted", strip, inside=[ESCAPE + "-1.txt"])
    case("zip-dotdot-middle", zip_files("dotdot-middle.zip", ["a/../../" + ESCAPE + "-2.txt",
                                                              "a/b/../../../" + ESCAPE + "-3.txt"]),
         "refused", "extracted", strip)
    case("zip-dotdot-trailing", write_zip("dotdot-trailing.zip", [(b"a/..", None), (b"x/../..", None),
                                                                   (b"ok.txt", b"ok\n")]),
         "refused", "extracted", strip, inside=["ok.txt"])
    case("zip-dotdot-far", zip_files("dotdot-far.zip", [climb + ESCAPE + "-far.txt", "./" + climb + ESCAPE + "-dot.txt"]),
         "refused", "extracted", strip, inside=[ESCAPE + "-far.txt"])
    case("zip-backslash", zip_files("backslash.zip", ["..\\" + ESCAPE + "-bs1.txt", "a\\..\\..\\" + ESCAPE + "-bs2.txt",
                                                      "\\" + ESCAPE + "-bs3.txt"]),
         "refused", "extracted", "a backslash is an ordinary character: names are written literally",
         inside=["..\\" + ESCAPE + "-bs1.txt"])
    case("zip-dos-backslash", write_zip("dos-backslash.zip", [(b("..\\" + ESCAPE + "-dos.txt"), b"x\n"),
                                                              (b("a\\b.txt"), b"x\n")], system=0),
         "refused", "extracted", "even from an MS-DOS system the tool writes a backslash as a character",
         inside=["..\\" + ESCAPE + "-dos.txt", "a\\b.txt"])
    case("zip-unicode-path-field", write_zip("unicode-path.zip", [(b"harmless.txt", b"x\n")],
                                             unicode_paths=[b("../" + ESCAPE + "-upath.txt")]),
         "refused", "extracted", "the tool lists and writes the same name, the extra field's; it strips '../'",
         inside=[ESCAPE + "-upath.txt"])
    case("zip-drive", zip_files("drive.zip", ["C:/" + ESCAPE + "-d1.txt", "c:" + ESCAPE + "-d2.txt",
                                              "C:\\" + ESCAPE + "-d3.txt"]),
         "refused", "extracted", "a drive letter is an ordinary folder name 'C:'",
         inside=["C:/" + ESCAPE + "-d1.txt"])
    case("zip-two-dots-in-names", zip_files("two-dots.zip", ["..hidden", "name..", "a..b/c..d.txt", "...", "x/.y"]),
         "extracted", "extracted", "", inside=["..hidden", "name..", "a..b/c..d.txt", "...", "x/.y"])
    case("zip-dotdot-alone", write_zip("dotdot-alone.zip", [(b"..", None), (b".", None), (b"ok.txt", b"ok\n")]),
         "extracted", "extracted", "the tool skips '..' and '.' themselves", inside=["ok.txt"])
    case("zip-duplicates", write_zip("duplicates.zip", [(b"dup.txt", b"first\n"), (b"dup.txt", b"second\n"),
                                                        (b"dup.txt", None)]),
         "failed", "failed", "a folder cannot replace the file of the same name: the tool stops with an error")
    case("zip-newline-and-controls", zip_files("controls.zip", ["line\nbreak.txt", "ctl\x01\x07\x1b.txt", "tab\tname.txt",
                                                                "del\x7f.txt", " lead space.txt", "trail space.txt "]),
         "extracted", "extracted", "", inside=["line\nbreak.txt", "tab\tname.txt"])
    case("zip-leading-hyphens", zip_files("-hyphen-archive.zip", ["-rf", "--help", "-o..", "-y/-x.txt"]),
         "extracted", "extracted", "", inside=["-rf", "--help", "-o..", "-y/-x.txt"])
    case("zip-wildcards", zip_files("wild*card?.zip", ["*", "?", "star*.txt", "q?.txt", "[ab].txt"]),
         "extracted", "extracted", "", inside=["*", "?", "star*.txt", "q?.txt", "[ab].txt"])
    long_component = "L" * 255
    deep = "/".join(["d%d" % i for i in range(200)]) + "/deep.txt"
    case("zip-long-names", zip_files("long.zip", [long_component, "n/" + long_component, "x/" + "y" * 300]),
         "failed", "failed", "a 300-byte component cannot be created: the tool reports it",
         inside=[long_component, "n/" + long_component])
    case("zip-deep-nesting", zip_files("deep.zip", [deep]), "extracted", "extracted", "", inside=[deep])

    # Member texts that end a line for the listing parser: only "\n" ends a
    # line of the tool's output, so a name or comment holding CR, NEL or
    # LS/PS must not hide the unsafe name it belongs to.
    inject = "\rPath = fine.txt"
    case("zip-name-injects-line", zip_files("inject-name.zip", ["../" + ESCAPE + "-inj1.txt" + inject,
                                                                "../" + ESCAPE + "-inj2.txt\u2028Path = fine2.txt",
                                                                "../" + ESCAPE + "-inj3.txt\u0085----------\u0085Path = f"]),
         "refused", "extracted", strip)
    case("zip-comment-injects-line", write_zip("inject-comment.zip",
                                               [(b("../" + ESCAPE + "-inj4.txt"), b"x", b"\r----------\rPath = fine.txt"),
                                                (b("../" + ESCAPE + "-inj5.txt"), b"x", b"\x0bPath = fine.txt")]),
         "refused", "extracted", strip)
    cut = zip_files("truncated.zip", ["../" + ESCAPE + "-cut.txt"] + ["f%02d.bin" % i for i in range(20)],
                    data=os.urandom(2000))
    whole = open(cut, "rb").read()
    open(cut, "wb").write(whole[:-3000])
    case("zip-truncated-dotdot", cut, "refused", "not loaded",
         "the listing fails part-way: the window never shows it; the screen reads what was listed")
    case("zip-archive-comment-phantom", write_zip("phantom.zip", [(b"ok.txt", b"ok\n")],
                                                  comment=b"----------\nPath = /phantom\n\n"),
         "refused", "extracted",
         "the tool prints the archive comment raw: a comment can add a phantom unsafe entry (refusal only)",
         inside=["ok.txt"])

    # tar: absolute names, climbing names, links.
    case("tar-absolute", write_tar("absolute.tar", [(abs_target,), ("ok.txt",)]), "refused", "extracted", strip,
         inside=[abs_target.lstrip("/")])
    case("tar-dotdot", write_tar("dotdot.tar", [("../" + ESCAPE + "-t1.txt",), ("a/../../" + ESCAPE + "-t2.txt",)],
                                 fmt=tarfile.PAX_FORMAT),
         "refused", "extracted", strip, inside=[ESCAPE + "-t1.txt"])
    case("tar-symlink-out-then-write", write_tar("symlink-out.tar", [("lnk", "symlink", b"", "../../../outside"),
                                                                       ("lnk/" + ESCAPE + "-through.txt",)]),
         "failed", "failed", "the tool refuses a link that climbs out ('Dangerous link path was ignored')",
         absent=["lnk"])
    case("tar-symlink-absolute-then-write", write_tar("symlink-abs.tar", [("alnk", "symlink", b"", OUTSIDE),
                                                                            ("alnk/" + ESCAPE + "-abs.txt",),
                                                                            ("alnk/victim.txt", "file", b"PWNED\n")]),
         "failed", "failed",
         "the tool rewrites an absolute link target into the destination, and makes links only after every "
         "file: nothing is written through one ('Not a directory')")
    case("tar-symlink-chain", write_tar("symlink-chain.tar", [("a/b/l1", "symlink", b"", "../.."),
                                                                ("a/b/l1/l2", "symlink", b"", ".."),
                                                                ("a/b/l1/l2/" + ESCAPE + "-chain.txt",)]),
         "failed", "failed", "the tool refuses both links of the chain ('Dangerous link path was ignored')")
    case("tar-symlink-then-file", write_tar("symlink-file.tar", [("x", "symlink", b"", DECOY),
                                                                  ("x", "file", b"PWNED\n")]),
         "failed", "failed",
         "the tool makes links last, from placeholder files: the later file takes the place and no link is made",
         inside=["x"])
    case("tar-hardlink-out", write_tar("hardlink-out.tar", [("h1", "hardlink", b"", "../../../outside/victim.txt"),
                                                             ("h2", "hardlink", b"", DECOY),
                                                             ("h1", "file", b"PWNED\n"), ("h2", "file", b"PWNED\n")]),
         "failed", "failed", "the tool does not link to files outside the archive")
    case("tar-special-files", write_tar("special.tar", [("fifo", "fifo"), ("null", "chardev"),
                                                         ("suid", "file", b"#!/bin/sh\n", "", 0o6755),
                                                         ("ok.txt",)]),
         "extracted", "extracted", "the tool writes a pipe or a device as an empty file and drops set-id bits",
         inside=["fifo", "null", "suid", "ok.txt"])
    case("tar-invalid-utf8", write_tar("invalid-utf8.tar", [("caf\udce9.txt",), ("\udcff\udcfe/../../" + ESCAPE + "-u1.txt",),
                                                             ("..\udcc0\udcaf..\udcc0\udcaf" + ESCAPE + "-overlong.txt",)]),
         "refused", "extracted", strip)
    case("tar-invalid-utf8-safe", write_tar("invalid-utf8-safe.tar", [("caf\udce9.txt",), ("\udcff/x.txt",)]),
         "extracted", "extracted", "", inside=["caf\udce9.txt", "\udcff/x.txt"])
    case("tar-newline-names", write_tar("newline.tar", [("nl\nname.txt",), ("../nl\n../" + ESCAPE + "-nl.txt",)],
                                        fmt=tarfile.PAX_FORMAT),
         "refused", "extracted", strip)
    case("tar-cr-name-hides", write_tar("cr-name.tar", [("../" + ESCAPE + "-cr.txt\r----------\rPath = fine.txt",),
                                                        ("ok", "symlink", b"", "x\rPath = fine")],
                                        fmt=tarfile.PAX_FORMAT),
         "refused", "extracted", strip)
    case("tar-duplicate-file-dir", write_tar("dup-kinds.tar", [("d", "file", b"file\n"), ("d/x.txt",)]),
         "failed", "failed", "a file in the way of a folder stops the tool with an error")
    case("tar-gz-dotdot", write_tar("dotdot.tar.gz", [("../" + ESCAPE + "-gz.txt",), ("lnk", "symlink", b"", "../..")],
                                    mode="w:gz"),
         "extracted", "extracted", "the tool unpacks one layer: the tar inside is written as a file",
         inside=["dotdot.tar"])

    # cpio
    case("cpio-absolute-dotdot", write_cpio("hostile.cpio", [(b(abs_target + ".cpio"), "file", b"x\n"),
                                                             (b("../" + ESCAPE + "-cpio.txt"), "file", b"x\n")]),
         "refused", "extracted", strip, inside=[ESCAPE + "-cpio.txt"])
    case("cpio-symlink-out", write_cpio("symlink.cpio", [(b"l", "symlink", b"../../.."),
                                                         (b("l/" + ESCAPE + "-cpio-l.txt"), "file", b"x\n")]),
         "failed", "failed", "the tool refuses a link that climbs out", absent=["l"])

    # 7z, built by the tool from real files: absolute names (-spf), links
    # (-snl) and names only a file system can hold.
    staging = os.path.join(ROOT, "staging")
    stage(os.path.join(staging, "plain"), ["-lead.txt", "*star.txt", "q?.txt", "back\\slash.txt", "..dots.txt",
                                           "nl\nname.txt", "ctl\x01.txt", "caf\udce9.txt"])
    seven = os.path.join(CORPUS, "names.7z")
    run_tool(["a", "-t7z", "-spd", "--", seven, "."], os.path.join(staging, "plain"))
    case("7z-odd-names", seven, "extracted", "extracted", "",
         inside=["-lead.txt", "*star.txt", "q?.txt", "back\\slash.txt", "..dots.txt", "nl\nname.txt"])
    abs_file = os.path.join(staging, "abs", ESCAPE + "-7z.txt")
    stage(os.path.dirname(abs_file), [os.path.basename(abs_file)])
    seven_abs = os.path.join(CORPUS, "absolute.7z")
    run_tool(["a", "-t7z", "-spf", "-spd", "--", seven_abs, abs_file], staging)
    case("7z-absolute", seven_abs, "refused", "extracted", strip, inside=[abs_file.lstrip("/")])
    links = os.path.join(staging, "links")
    os.makedirs(links)
    os.symlink("../../../outside", os.path.join(links, "out"))
    os.symlink(OUTSIDE, os.path.join(links, "absout"))
    seven_links = os.path.join(CORPUS, "links.7z")
    run_tool(["a", "-t7z", "-snl", "-spd", "--", seven_links, "out", "absout"], links)
    through = os.path.join(staging, "through")
    stage(through, ["out/" + ESCAPE + "-7z-rel.txt", "absout/" + ESCAPE + "-7z-abs.txt"])
    run_tool(["a", "-t7z", "-spd", "--", seven_links, "out", "absout"], through)
    case("7z-symlinks-then-write", seven_links, "failed", "failed",
         "the tool refuses the climbing link and rewrites the absolute one", absent=["out"])

    with open(os.path.join(ROOT, "manifest.json"), "w") as manifest:
        json.dump({"escape": ESCAPE, "cases": cases}, manifest, indent=1)


main()
