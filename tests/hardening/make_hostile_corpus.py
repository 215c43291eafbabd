#!/usr/bin/env python3
# Usage: make_hostile_corpus.py ROOT TOOL TOKEN. Writes hostile archives to ROOT/corpus, decoys that no
# extraction may touch to ROOT/outside, and ROOT/manifest.json: per case what Extract Here, Extract to Folder and
# the window must do (refused, extracted, failed, asked: a name conflict asked about and left unanswered; the
# window also: not loaded), what to make where the archive's items land first (beside the archive for Extract to
# Folder), how to answer conflicts, which paths there must stay as they were, which paths must exist in the
# window's destination and which must not be links there, and which guard protects it. TOKEN makes escape names
# unique so they can be looked for anywhere above ROOT; TOOL is the 7zz that builds the 7z archives.
import gzip, io, json, os, struct, subprocess, sys, tarfile, zipfile, zlib

ROOT, TOOL, TOKEN = sys.argv[1:4]
CORPUS, OUTSIDE = os.path.join(ROOT, "corpus"), os.path.join(ROOT, "outside")
E = "corvex-escape-" + TOKEN
DECOY = os.path.join(OUTSIDE, "victim.txt")


def b(text):
    return text.encode("utf-8", "surrogateescape")


class RawZipInfo(zipfile.ZipInfo):
    __slots__ = ("raw", "utf8")

    # The name byte for byte in both headers; with the UTF-8 flag the tool reads it as UTF-8, valid or not.
    def _encodeFilenameFlags(self):
        return self.raw, self.flag_bits | (0x800 if self.utf8 else 0)


# members: a name (a file holding data) or (name, bytes, None for a folder or str for a link[, member comment]).
# system: "made by" (0 MS-DOS, 3 Unix; old tools flag nothing). upath: Info-ZIP Unicode Path names.
def zip_(name, members, comment=b"", system=3, upath=None, data=b"hostile\n"):
    path = os.path.join(CORPUS, name)
    with zipfile.ZipFile(path, "w") as archive:
        for i, m in enumerate(members):
            m = (m, data) if isinstance(m, str) else m
            info = RawZipInfo("m%d" % i)
            info.raw, info.utf8, info.create_system = b(m[0]), system == 3 and not upath, system
            info.date_time = (2023, 11, 14, 22, 13, 20)
            if upath:
                field = b"\x01" + struct.pack("<I", zlib.crc32(info.raw)) + b(upath[i])
                info.extra = struct.pack("<HH", 0x7075, len(field)) + field
            info.external_attr = ((0o40755 << 16 | 0x10) if m[1] is None else
                                  0o120777 << 16 if isinstance(m[1], str) else 0o644 << 16)
            info.comment = m[2] if len(m) > 2 else b""
            archive.writestr(info, b(m[1]) if isinstance(m[1], str) else m[1] or b"")
        archive.comment = comment
    return path


def cut(path, drop):
    whole = open(path, "rb").read()
    open(path, "wb").write(whole[:-drop])
    return path


# members: a name, or (name, kind, data, link target, mode); names go out raw through PAX or GNU headers.
def tar(name, members, fmt=tarfile.GNU_FORMAT, mode="w"):
    path = os.path.join(CORPUS, name)
    with tarfile.open(path, mode, format=fmt, encoding="utf-8", errors="surrogateescape") as archive:
        for m in members:
            m = (m,) if isinstance(m, str) else m
            name, kind, data, link, perm = m + ("file", b"hostile\n", "", 0o644)[len(m) - 1:]
            info = tarfile.TarInfo(name)
            info.mtime, info.linkname, info.mode = 1700000000, link, perm
            info.type = {"file": tarfile.REGTYPE, "symlink": tarfile.SYMTYPE, "hardlink": tarfile.LNKTYPE,
                         "fifo": tarfile.FIFOTYPE, "chardev": tarfile.CHRTYPE, "dir": tarfile.DIRTYPE}[kind]
            info.devmajor, info.devminor = (1, 3) if kind == "chardev" else (0, 0)
            info.size = len(data) if kind == "file" else 0
            archive.addfile(info, io.BytesIO(data) if kind == "file" else None)
    return path


# newc cpio by hand: (name, kind, data) members.
def cpio(name, members):
    out = bytearray()
    for ino, (raw, kind, data) in enumerate(members + [("TRAILER!!!", "end", b"")], 1):
        raw = b(raw)
        mode = {"file": 0o100644, "symlink": 0o120777, "end": 0}[kind]
        fields = [ino, mode, 0, 0, 1, 1700000000, len(data), 0, 0, 0, 0, len(raw) + 1, 0]
        header = b"070701" + b"".join(b"%08X" % f for f in fields)
        out += header + raw + b"\0" + b"\0" * (-(len(header) + len(raw) + 1) % 4) + data + b"\0" * (-len(data) % 4)
    path = os.path.join(CORPUS, name)
    open(path, "wb").write(bytes(out))
    return path


# 7z, made by the tool from real files staged under ROOT/staging/FOLDER: names only a file system holds.
def seven(name, folder, files, options=(), members=(".",)):
    staged = os.path.join(ROOT, "staging", folder)
    for f in files:
        os.makedirs(os.path.dirname(os.path.join(b(staged), b(f))), exist_ok=True)
        open(os.path.join(b(staged), b(f)), "wb").write(b"hostile\n")
    path = os.path.join(CORPUS, name)
    subprocess.run([TOOL, "a", "-t7z", "-spd", *options, "--", path, *members], cwd=staged, check=True,
                   stdout=subprocess.DEVNULL, stdin=subprocess.DEVNULL)
    return path


# 7z of anti-items, which delete what they name: the tool's update against an empty folder records every member
# of a first archive of `files` as deleted ("q3": in the archive, not on disk, becomes an anti-item).
def anti(name, files):
    seven(name + ".base", "anti-" + name, files)
    empty = os.path.join(ROOT, "staging", "anti-empty-" + name)
    os.makedirs(empty)
    path = os.path.join(CORPUS, name)
    subprocess.run([TOOL, "u", "-spd", "-u-", "-up0q3r2x2y2z0w2!" + path, "--", os.path.join(CORPUS, name + ".base")],
                   cwd=empty, check=True, stdout=subprocess.DEVNULL, stdin=subprocess.DEVNULL)
    os.remove(os.path.join(CORPUS, name + ".base"))
    return path


for folder in (CORPUS, os.path.join(OUTSIDE, "folder"), os.path.join(ROOT, "staging", "links")):
    os.makedirs(folder)
open(DECOY, "wb").write(b"decoy: must never change\n")
open(os.path.join(OUTSIDE, "folder", "kept.txt"), "wb").write(b"kept\n")
os.symlink("../../../outside", os.path.join(ROOT, "staging", "links", "out"))
os.symlink(OUTSIDE, os.path.join(ROOT, "staging", "links", "absout"))
ABS = os.path.join(OUTSIDE, "abs-" + E + ".txt")
ABS7 = os.path.join(ROOT, "staging", "abs", E + "-7z.txt")
UP = "../" * 12
L = "L" * 255
DEEP = "/".join("d%d" % i for i in range(200)) + "/deep.txt"
TWO_DOTS = ["..hidden", "name..", "a..b/c..d.txt", "...", "x/.y"]
HYPHENS = ["-rf", "--help", "-o..", "-y/-x.txt"]
WILD = ["*", "?", "star*.txt", "q?.txt", "[ab].txt"]
ODD = ["-lead.txt", "*star.txt", "q?.txt", "back\\slash.txt", "..dots.txt", "nl\nname.txt"]
OK = [("ok.txt", b"ok\n")]
seven("links.7z", "links", [], ["-snl"], ["out", "absout"])   # links first, then files through them
def gz(name, inner_name, data=b"hostile\n"):
    path = os.path.join(CORPUS, name)
    with open(path, "wb") as raw, gzip.GzipFile(inner_name, "wb", fileobj=raw, mtime=1700000000) as out:
        out.write(data)
    return path


# Not files at all: a pipe, a folder holding an archive, a link to a device.
def special(name, kind):
    path = os.path.join(CORPUS, name)
    if kind == "fifo":
        os.mkfifo(path)
    elif kind == "folder":
        os.makedirs(path)
        with zipfile.ZipFile(os.path.join(path, "inner.zip"), "w") as archive:
            archive.writestr(f"{E}-recursed.txt", b"x")
    else:
        os.symlink("/dev/zero", path)
    return path


# Outcome codes: Extract Here, Extract to Folder, window. C: the listing fails part-way, the window shows nothing.
# Q: a name exists where an item lands: asked (answered, the extraction goes on); Extract to Folder has a new folder.
OUTCOMES = {"R": ("refused",) * 3, "X": ("extracted",) * 3, "F": ("failed",) * 3,
            "C": ("refused", "refused", "not loaded"), "N": ("failed", "failed", "not loaded"),
            "Q": ("asked", "extracted", "asked")}
ASKED = "nothing is written through an existing link, over an existing item or into the destination's own mode"
STRIP = "the tool strips leading '/' and '../'"
LITERAL = "a backslash or 'C:' is an ordinary character or folder name: written literally"
LINK = "the screen refuses a link whose listed target is absolute or climbs out"
LINK_STAGED = "the staged links are looked at before any is placed: absolute (the tool rewrote it), or resolved outside"
CLIMB = "the tool refuses a link that climbs out ('Dangerous link path was ignored')"
# Only "\n" ends a line of the tool's output: a name or comment with CR, NEL, VT or LS must not hide its unsafe name.
INJECT = "\rPath = fine.txt"
# name, archive, outcome, paths that must exist in the window's destination, paths there that must not be links, guard
CASES = [
    ("zip-absolute", zip_("absolute.zip", [ABS, "ok.txt"]), "R", [ABS.lstrip("/"), "ok.txt"]),
    ("zip-dotdot-leading", zip_("dotdot-leading.zip", [f"../{E}-1.txt"]), "R", [f"{E}-1.txt"]),
    ("zip-dotdot-middle", zip_("dotdot-middle.zip", [f"a/../../{E}-2.txt", f"a/b/../../../{E}-3.txt"]), "R"),
    ("zip-dotdot-trailing", zip_("dotdot-trailing.zip", [("a/..", None), ("x/../..", None)] + OK), "R", ["ok.txt"]),
    ("zip-dotdot-far", zip_("dotdot-far.zip", [f"{UP}{E}-far.txt", f"./{UP}{E}-dot.txt"]), "R", [f"{E}-far.txt"]),
    ("zip-backslash", zip_("backslash.zip", [f"..\\{E}-bs1.txt", f"a\\..\\..\\{E}-bs2.txt", f"\\{E}-bs3.txt"]), "R",
     [f"..\\{E}-bs1.txt"], [], LITERAL),
    ("zip-dos-backslash", zip_("dos-backslash.zip", [f"..\\{E}-dos.txt", "a\\b.txt"], system=0), "R",
     [f"..\\{E}-dos.txt", "a\\b.txt"], [], LITERAL + ", even from MS-DOS"),
    ("zip-unicode-path-field", zip_("unicode-path.zip", ["harmless.txt"], upath=[f"../{E}-upath.txt"]), "R",
     [f"{E}-upath.txt"], [], "the tool lists and writes the extra field's name and strips '../'"),
    ("zip-drive", zip_("drive.zip", [f"C:/{E}-d1.txt", f"c:{E}-d2.txt", f"C:\\{E}-d3.txt"]), "R", [f"C:/{E}-d1.txt"], [],
     LITERAL),
    ("zip-two-dots-in-names", zip_("two-dots.zip", TWO_DOTS), "X", TWO_DOTS),
    ("zip-dotdot-alone", zip_("dotdot-alone.zip", [("..", None), (".", None)] + OK), "X", ["ok.txt"]),
    ("zip-duplicates", zip_("duplicates.zip", [("dup.txt", b"first\n"), ("dup.txt", b"second\n"), ("dup.txt", None)]),
     "F", [], [], "a folder cannot replace the file of the same name: the tool stops with an error"),
    ("zip-newline-and-controls", zip_("controls.zip", ["line\nbreak.txt", "ctl\x01\x07\x1b.txt", "tab\tname.txt",
                                                       "del\x7f.txt", " lead space.txt", "trail space.txt "]),
     "X", ["line\nbreak.txt", "tab\tname.txt"]),
    ("zip-leading-hyphens", zip_("-hyphen-archive.zip", HYPHENS), "X", HYPHENS),
    ("zip-wildcards", zip_("wild*card?.zip", WILD), "X", WILD),
    ("zip-long-names", zip_("long.zip", [L, "n/" + L, "x/" + "y" * 300]), "F", [L, "n/" + L], [],
     "a 300-byte component cannot be created: the tool reports it"),
    ("zip-deep-nesting", zip_("deep.zip", [DEEP]), "X", [DEEP]),
    ("zip-name-injects-line", zip_("inject-name.zip", [f"../{E}-inj1.txt{INJECT}", f"../{E}-inj2.txt\u2028Path = f2",
                                                      f"../{E}-inj3.txt\u0085----------\u0085Path = f"]), "R"),
    ("zip-comment-injects-line", zip_("inject-comment.zip", [(f"../{E}-inj4.txt", b"x", b"\r----------" + b(INJECT)),
                                                            (f"../{E}-inj5.txt", b"x", b"\x0bPath = fine.txt")]), "R"),
    ("zip-truncated-dotdot", cut(zip_("truncated.zip", [f"../{E}-cut.txt"] + ["f%02d.bin" % i for i in range(20)],
                                      data=os.urandom(2000)), 3000), "C", [], [],
     "the listing fails part-way: the window never shows it; the screen reads what was listed"),
    ("zip-archive-comment-phantom", zip_("phantom.zip", OK, comment=b"----------\nPath = /phantom\n\n"), "R", ["ok.txt"],
     [], "the tool prints the archive comment raw: it can add a phantom unsafe entry (refusal only)"),
    ("tar-absolute", tar("absolute.tar", [ABS, "ok.txt"]), "R", [ABS.lstrip("/")]),
    ("tar-dotdot", tar("dotdot.tar", [f"../{E}-t1.txt", f"a/../../{E}-t2.txt"], tarfile.PAX_FORMAT), "R", [f"{E}-t1.txt"]),
    ("tar-symlink-out-then-write", tar("symlink-out.tar", [("lnk", "symlink", b"", "../../../outside"),
                                                           f"lnk/{E}-through.txt"]), "R", [], ["lnk"], LINK),
    ("tar-symlink-absolute-then-write", tar("symlink-abs.tar", [("alnk", "symlink", b"", OUTSIDE), f"alnk/{E}-abs.txt",
                                                                ("alnk/victim.txt", "file", b"PWNED\n")]), "R", [], [], LINK),
    ("tar-link-to-passwd", tar("link-passwd.tar", ["ok.txt", ("pw", "symlink", b"", "/etc/passwd"),
                                                    ("a/up", "symlink", b"", "../../x")]), "R", [], [], LINK),
    ("tar-link-resolves-out", tar("link-resolves-out.tar", [("l", "symlink", b"", "."), ("m", "symlink", b"", "l/..")]),
     "F", [], [], CLIMB),
    ("zip-link-to-passwd", zip_("link-passwd.zip", ["ok.txt", ("pw", "/etc/passwd")]), "R", [], [], LINK_STAGED),
    ("7z-link-absolute", seven("link-abs.7z", "links", [], ["-snl"], ["absout"]), "R", [], [], LINK_STAGED),
    ("tar-symlink-chain", tar("symlink-chain.tar", [("a/b/l1", "symlink", b"", "../.."), ("a/b/l1/l2", "symlink", b"", ".."),
                                                    f"a/b/l1/l2/{E}-chain.txt"]), "F", [], [], CLIMB),
    ("tar-symlink-then-file", tar("symlink-file.tar", [("x", "symlink", b"", DECOY), ("x", "file", b"PWNED\n")]), "R",
     ["x"], ["x"], LINK),
    ("tar-hardlink-out", tar("hardlink-out.tar", [("h1", "hardlink", b"", "../../../outside/victim.txt"),
                                                  ("h2", "hardlink", b"", DECOY), ("h1", "file", b"PWNED\n"),
                                                  ("h2", "file", b"PWNED\n")]), "F", [], [],
     "the tool does not link to files outside the archive"),
    ("tar-special-files", tar("special.tar", [("fifo", "fifo"), ("null", "chardev"),
                                              ("suid", "file", b"#!/bin/sh\n", "", 0o6755), "ok.txt"]), "X",
     ["fifo", "null", "suid", "ok.txt"], [], "the tool writes a pipe or a device as an empty file and drops set-id bits"),
    ("tar-invalid-utf8", tar("invalid-utf8.tar", ["caf\udce9.txt", f"\udcff\udcfe/../../{E}-u1.txt",
                                                  f"..\udcc0\udcaf..\udcc0\udcaf{E}-overlong.txt"]), "R"),
    ("tar-invalid-utf8-safe", tar("invalid-utf8-safe.tar", ["caf\udce9.txt", "\udcff/x.txt"]), "X",
     ["caf\udce9.txt", "\udcff/x.txt"]),
    ("tar-newline-names", tar("newline.tar", ["nl\nname.txt", f"../nl\n../{E}-nl.txt"], tarfile.PAX_FORMAT), "R"),
    ("tar-cr-name-hides", tar("cr-name.tar", [f"../{E}-cr.txt\r----------{INJECT}", ("ok", "symlink", b"", "x\rPath = f")],
                              tarfile.PAX_FORMAT), "R"),
    ("tar-duplicate-file-dir", tar("dup-kinds.tar", [("d", "file", b"file\n"), "d/x.txt"]), "F", [], [],
     "a file in the way of a folder stops the tool with an error"),
    ("tar-gz-dotdot", tar("dotdot.tar.gz", [f"../{E}-gz.txt", ("lnk", "symlink", b"", "../..")], mode="w:gz"), "R"),
    ("txz-absolute", tar("absolute.txz", [ABS + ".txz", "ok.txt"], mode="w:xz"), "R"),
    ("gz-named-otherwise-dotdot", tar("backup.gz", [f"a/../../{E}-bgz.txt"], mode="w:gz"), "R"),
    ("tbz2-symlink-out-then-write", tar("symlink-out.tbz2", [("lnk", "symlink", b"", "../../../outside"),
                                                             f"lnk/{E}-tbz.txt"], mode="w:bz2"), "R", [], ["lnk"], LINK),
    ("cpio-absolute-dotdot", cpio("hostile.cpio", [(ABS + ".cpio", "file", b"x\n"), (f"../{E}-cpio.txt", "file", b"x\n")]),
     "R", [f"{E}-cpio.txt"]),
    ("cpio-symlink-out", cpio("symlink.cpio", [("l", "symlink", b"../../.."), (f"l/{E}-cpio-l.txt", "file", b"x\n")]),
     "R", [], ["l"], LINK),
    ("7z-odd-names", seven("names.7z", "plain", ODD + ["ctl\x01.txt", "caf\udce9.txt"]), "X", ODD),
    ("7z-absolute", seven("absolute.7z", "abs", [os.path.basename(ABS7)], ["-spf"], [ABS7]), "R", [ABS7.lstrip("/")]),
    ("7z-anti-items", anti("anti.7z", ["anti.7z", "docs/readme.txt"]), "R", [], [],
     "the screen refuses anti-items: in a folder that holds them they delete the archive itself and docs/"),
    ("tar-dot-member-mode", tar("dot-mode.tar", [("./", "dir", b"", "", 0o777), "./ok.txt"]), "X", ["ok.txt"], [],
     "the tool sets the mode of a './' member on the destination folder itself"),
    ("7z-symlinks-then-write", seven("links.7z", "through", [f"out/{E}-7z-rel.txt", f"absout/{E}-7z-abs.txt"], [],
                                     ["out", "absout"]), "F", [], ["out"], CLIMB + "; it rewrites the absolute one"),
]



# The hostile tars again, compressed with lzip or lz4, and a RAR: corvex-reader reads these.
def packed(name, tar_name):
    path = os.path.join(CORPUS, name)
    option = "--lz4" if name.endswith(".lz4") else "--lzip"
    subprocess.run(["bsdtar", "-P", option, "-cf", path, "@" + os.path.join(CORPUS, tar_name)], check=True)
    return path


def sample(name):
    path = os.path.join(CORPUS, name)
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "rar", name), "rb") as f:
        open(path, "wb").write(f.read())
    return path


READER = "corvex-reader writes no name with '..', through no link, and only files, folders and links"
CASES += [
    ("tar-lz-dotdot", packed("dotdot.tar.lz", "dotdot.tar"), "R", [f"{E}-t1.txt"]),
    ("tar-lz4-symlink-out-then-write", packed("symlink-out.tar.lz4", "symlink-out.tar"), "R", [], ["lnk"], LINK),
    ("tar-lz-symlink-chain", packed("symlink-chain.tar.lz", "symlink-chain.tar"), "F", [], [], READER),
    ("tar-lz4-symlink-then-file", packed("symlink-file.tar.lz4", "symlink-file.tar"), "R", ["x"], ["x"], LINK),
    ("tar-lz4-link-resolves-out", packed("link-resolves-out.tar.lz4", "link-resolves-out.tar"), "R", [], [], LINK_STAGED),
    ("tar-lz-hardlink-out", packed("hardlink-out.tar.lz", "hardlink-out.tar"), "F", [], [], READER),
    ("tar-lz4-special-files", packed("special.tar.lz4", "special.tar"), "X", ["suid", "ok.txt"], [],
     "corvex-reader leaves pipes and devices out and drops set-id bits"),
    ("rar-hostile", sample("hostile5.rar"), "R"),
]


def hexes(paths):
    return [b(p).hex() for p in paths]   # bytes travel as hex


GUARDS = {"R": STRIP, "Q": ASKED, "N": "only a regular file is an archive"}


# setup: (path, None) a folder, (path, "text") a file, (path, "->target") a link; answers: R K S C, * for all.
# kept: paths that must stay as they were, relative to where the setup goes.
# during: items made (replacing what is there) while the second conflict question is open.
def case(name, path, code, inside=(), nolink=(), guard=None, setup=(), answers="", kept=(), during=()):
    found = OUTCOMES[code] if isinstance(code, str) else code
    return {"name": name, "archive": os.path.relpath(path, ROOT),
            "outcomes": ["extracted" if o == "asked" and answers else o for o in found],
            "setup": [[b(p).hex(), None if v is None else b(v).hex()] for p, v in setup], "answers": answers,
            "during": [[b(p).hex(), None if v is None else b(v).hex()] for p, v in during],
            "kept": hexes(kept), "inside": hexes(inside), "nolink": hexes(nolink),
            "guard": guard or GUARDS.get(code if isinstance(code, str) else "Q", "")}


LINK_OUT = "->" + OUTSIDE
EXISTING = [
    case("link-in-destination", zip_("link-dest.zip", [f"docs/{E}-via-link.txt"]), "Q", setup=[("docs", LINK_OUT)],
         kept=["docs"]),
    case("link-in-destination-replaced", zip_("link-replaced.zip", ["docs/x.txt"]), "Q", ["docs/x.txt"], ["docs"],
         setup=[("docs", LINK_OUT)], answers="R"),
    case("link-in-destination-kept-both", zip_("link-both.zip", ["docs/x.txt"]), "Q", ["docs 2/x.txt"],
         setup=[("docs", "->../../outside")], answers="K", kept=["docs"]),
    case("link-inside-a-folder", zip_("link-deeper.zip", ["a/ok.txt", f"a/b/{E}-deeper.txt"]), "Q", ["a/ok.txt"],
         setup=[("a", None), ("a/b", LINK_OUT)], answers="S", kept=["a/b"]),
    case("extract-folder-is-a-link", zip_("proj.zip", ["x.txt"]), "X", ["x.txt"],
         setup=[("proj", LINK_OUT + "/folder")], kept=["proj"]),
    case("dot-folder-merged", tar(".cache.tar", ["new.txt", ("same.txt", "file", b"new\n")]),
         ("extracted", "asked", "extracted"), ["new.txt"], setup=[(".cache", None), (".cache/same.txt", "old\n")],
         kept=[".cache/same.txt"]),
    case("dot-folder-merged-replaced", tar(".conf.tar", ["new.txt", ("same.txt", "file", b"new\n")]), "X",
         ["same.txt"], setup=[(".conf", None), (".conf/same.txt", "old\n"), ("same.txt", "old\n")], answers="R*"),
    case("file-beside-a-folder-kept-both", zip_("folder-by-file.zip", [("x", b"new\n")]), "Q", ["x 3", "x/keep.txt"],
         setup=[("x", None), ("x/keep.txt", "old\n"), ("x 2", "old\n")], answers="K", kept=["x/keep.txt", "x 2"]),
    case("file-beside-replaced", zip_("beside.zip", [("notes.txt", b"new\n")]), "Q", ["notes.txt"],
         setup=[("notes.txt", "mine\n")], answers="R"),
    case("file-beside-skipped", zip_("skipped.zip", [("notes.txt", b"new\n"), "ok.txt"]), "Q", ["ok.txt"],
         setup=[("notes.txt", "mine\n")], answers="S", kept=["notes.txt"]),
    case("member-named-like-the-archive", zip_("self.zip", [("self.zip", b"inner\n")]),
         ("asked", "extracted", "extracted"), ["self.zip"]),
    case("gz-name-from-its-header", gz("report.gz", "victim.txt"), "Q", setup=[("victim.txt", "mine\n")],
         kept=["victim.txt"]),
    # Left unanswered, the question cancels: ok.txt, free and first, is not placed either.
    case("link-member-over-empty-folder", tar("link-over.tar", ["ok.txt", ("z", "symlink", b"", "ok.txt")]), "Q",
         setup=[("z", None)], kept=["z"]),
    case("anti-items-through-a-link", anti("anti-link.7z", ["lnk/victim.txt"]), "R", setup=[("lnk", LINK_OUT)],
         guard="the screen refuses anti-items"),
    case("answer-outlives-its-item", zip_("outlived.zip", ["a.txt", "b.txt"]), "Q", ["a.txt/mine.txt"],
         setup=[("a.txt", "old\n"), ("b.txt", "old\n")], answers="RSS", during=[("a.txt", None), ("a.txt/mine.txt", "x")]),
    # Replace for all on a file spares a folder and a file a folder would replace; on a folder, the next folder.
    case("replace-for-all-spares-a-folder", zip_("for-all.zip", ["a.txt", "b.txt", "photos", "videos", "x/new.txt"]),
         "Q", ["a.txt", "photos"], setup=[("a.txt", "old\n"), ("b.txt", "old\n"), ("photos", None), ("photos/1.jpg", "x"),
                                          ("videos", None), ("videos/2.jpg", "x"), ("x", "old\n")],
         answers="R*R*SS", kept=["videos/2.jpg", "x"]),
    case("fifo-as-archive", special("pipe.zip", "fifo"), "N"),
    case("folder-as-archive", special("folder.zip", "folder"), "N"),
    case("device-as-archive", special("device.zip", "device"), "N"),
]
manifest = [case(*c) for c in CASES] + EXISTING
json.dump({"escape": E, "cases": manifest}, open(os.path.join(ROOT, "manifest.json"), "w"), indent=1)
