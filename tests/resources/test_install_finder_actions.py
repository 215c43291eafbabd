#!/usr/bin/env python3
# The actions installer, run under zsh in a throw-away home; a stand-in "corvex" records its arguments.
import argparse, configparser, hashlib, os, re, shlex, shutil, stat, subprocess, sys, tempfile, time, unittest
import urllib.parse
import xml.etree.ElementTree as ET
from pathlib import Path

ARGS = None
OPTIONS = {"extract-here": "-corvexextracthere", "extract-folder": "-corvexextractfolder",
           "compress-zip": "-add2archive", "compress": "-compress"}
APP_ENTRY = "applications/io.github.corvex.Corvex.desktop"
LABELS = {"extract-here": "Extract Here", "extract-folder": "Extract to Folder", "compress-zip": "Compress to ZIP",
          "compress": "Compress…"}
# Names that break naive quoting somewhere along the way.
AWKWARD = ["plain.zip", "with space.zip", "it's.zip", 'say "hi".zip', "$HOME and `date`.zip", "-rf", "--help",
           "new\nline.zip", "back\\slash.zip", "100% *?[x].zip", "sub dir/inner.zip"]
STAND_IN = """#!/bin/sh
for a do printf '%s\\000' "$a"; done > "$CORVEX_RECORD.part"
mv "$CORVEX_RECORD.part" "$CORVEX_RECORD"
"""
FOREIGN_BLOCK = """<action>
\t<name>Open Terminal &amp; Shell</name><unique-id>1700000000000000-1</unique-id>
\t<command>exo-open --working-directory %f</command><patterns>*</patterns><directories/>
</action>
"""
FOREIGN_UCA = f'<?xml version="1.0" encoding="UTF-8"?>\n<actions>\n{FOREIGN_BLOCK}</actions>\n'


def desktop_files(d):
    return [(d / f"{top}/corvex-{name}.desktop", ids)
            for top in ("kio/servicemenus", "kservices5/ServiceMenus")
            for name, ids in (("extract", ["extract-here", "extract-folder"]), ("compress", ["compress-zip", "compress"]))
            ] + [(d / f"file-manager/actions/corvex-{a}.desktop", [a]) for a in OPTIONS]


def installed_files(d, c):
    # Every file the installer writes itself, with its mode.
    files = {d / APP_ENTRY: 0o644, c / "Thunar/uca.xml": 0o644, d / "nemo/actions/corvex-open-uris": 0o755,
             d / "icons/hicolor/scalable/apps/corvex.svg": 0o644}
    for a in OPTIONS:
        files[d / "nautilus/scripts/Corvex" / LABELS[a]] = files[c / "caja/scripts/Corvex" / LABELS[a]] = 0o755
        files[d / f"nemo/actions/corvex-{a}.nemo_action"] = 0o644
    return files | {p: 0o644 if "/file-manager/" in str(p) else 0o755 for p, _ in desktop_files(d)}


class Sandbox:
    # An awkward prefix (script, icon, stand-in) and a home with XDG folders.

    def __init__(self, root):
        self.root = Path(root)
        # No "%": GLib looks for the program before undoing "%%" and then ignores the entry.
        self.resources = self.root / "pre fix 'q' \"d\" $x`y`\\b" / "share" / "corvex"
        self.resources.mkdir(parents=True)
        for name in ("install-finder-actions.sh", "corvex.svg"):
            shutil.copy(Path(ARGS.resources) / name, self.resources / name)
        self.program = self.resources.parent.parent / "bin" / "corvex"
        self.program.parent.mkdir()
        self.program.write_text(STAND_IN)
        self.program.chmod(0o755)
        self.home, self.data, self.config = self.root / "home", self.root / "data home", self.root / "config home"
        self.home.mkdir()
        self.record = self.root / "record"

    def env(self, **extra):
        # Desktop tools write caches, state and bus sockets: all of it stays in here, and no bus answers.
        r = self.root
        return {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": str(self.home), "XDG_RUNTIME_DIR": str(r),
                "XDG_DATA_HOME": str(self.data), "XDG_CONFIG_HOME": str(self.config), "XDG_CACHE_HOME": f"{r}/cache home",
                "XDG_STATE_HOME": f"{r}/state home", "DBUS_SESSION_BUS_ADDRESS": f"unix:path={r}/no-bus",
                "XDG_CONFIG_DIRS": f"{r}/no system config", "CORVEX_RECORD": str(self.record), **extra}

    def install(self, **extra):
        result = subprocess.run(["/bin/zsh", str(self.resources / "install-finder-actions.sh")], cwd=self.root,
                                env=self.env(**extra), stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=60)
        return result.returncode, result.stdout.decode("utf-8", "replace")

    def recorded(self):
        for _ in range(200):
            if self.record.exists():
                break
            time.sleep(0.05)
        raw = self.record.read_bytes()
        self.record.unlink()
        return [os.fsdecode(a) for a in raw.split(b"\0")[:-1]]

    def snapshot(self):
        # The installer's own files only: desktop tools rebuild their caches on every run.
        return {p: (p.stat().st_mode, hashlib.sha256(p.read_bytes()).digest(), p.stat().st_mtime_ns)
                for p in installed_files(self.data, self.config)}


def exec_argv(raw):
    # As launchers read it: string escapes undone (others are faults), split, "%%" undone.
    escapes = {"s": " ", "n": "\n", "t": "\t", "r": "\r", "\\": "\\"}
    line = re.sub(r"\\(.)", lambda m: escapes[m[1]], raw)
    out = subprocess.run(["/bin/sh", "-c", "printf '%s\\0' " + line], capture_output=True, check=True).stdout
    return [os.fsdecode(a).replace("%%", "%") for a in out.split(b"\0")[:-1]]


def read_groups(path):
    parser = configparser.ConfigParser(interpolation=None, strict=False)
    parser.optionxform = str
    parser.read(path)
    return parser


class InstallerTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory(prefix="corvex-installer-")
        cls.box = Sandbox(cls.tmp.name)
        (cls.box.config / "Thunar").mkdir(parents=True)
        (cls.box.config / "Thunar/uca.xml").write_text(FOREIGN_UCA)
        cls.rc, cls.output = cls.box.install()
        cls.data, cls.config = cls.box.data, cls.box.config
        cls.addClassCleanup(cls.tmp.cleanup)

    def setUp(self):
        self.assertEqual(self.rc, 0, self.output)

    def exec_lines(self, path): return [g["Exec"] for g in read_groups(path).values() if "Exec" in g]

    def test_files_where_file_managers_look_and_defaults_below_home(self):
        modes = installed_files(self.data, self.config)
        self.assertEqual({p: stat.S_IMODE(p.stat().st_mode) for p in modes}, modes)
        self.assertEqual(list(self.box.home.iterdir()), [], "the XDG folders were not honoured")
        # XDG variables empty or relative are ignored; Thunar's system-wide actions carry over to the user's file.
        with tempfile.TemporaryDirectory() as tmp:
            box = Sandbox(tmp)
            system = box.root / "system xdg/Thunar/uca.xml"
            system.parent.mkdir(parents=True)
            system.write_text(FOREIGN_UCA)
            rc, out = box.install(XDG_DATA_HOME="", XDG_CONFIG_HOME="relative/ignored",
                                  XDG_CONFIG_DIRS=f"{box.root}/missing:{system.parent.parent}")
            self.assertEqual((rc, (box.home / ".local/share" / APP_ENTRY).is_file(), (box.root / "relative").exists()),
                             (0, True, False), out)
            self.assertEqual((box.home / ".config/Thunar/uca.xml").read_text().count("<unique-id>"), 5)
            self.assertEqual(system.read_text(), FOREIGN_UCA)

    def test_every_launcher_passes_awkward_paths_whole(self):
        # (how each launcher reads its line, the lines, the arguments before the paths); each row gives argv for paths.
        folder = self.box.root / "viewed $folder 'q'"
        (folder / "sub dir").mkdir(parents=True)
        for name in AWKWARD:
            (folder / name).touch()
        paths = [f"{folder}/{n}" for n in AWKWARD]
        uca = self.config / "Thunar/uca.xml"
        self.assertIn(FOREIGN_BLOCK, uca.read_text())
        actions = ET.parse(uca).getroot().findall("action")[1:]
        rows = [("thunar", a.findtext("command"), [o]) for a, o in zip(actions, OPTIONS.values())]
        rows += [("script", str(top / LABELS[a]), [o]) for a, o in OPTIONS.items()
                 for top in (self.data / "nautilus/scripts/Corvex", self.config / "caja/scripts/Corvex")]
        for a, o in OPTIONS.items():
            exec_line = read_groups(self.data / f"nemo/actions/corvex-{a}.nemo_action")["Nemo Action"]["Exec"]
            rows += [("nemo " + safe, exec_line, [o]) for safe in ("/!$&'()*+,:=@~", "/")]
        # GLib's own desktop-entry launcher is an independent reader of the quoting and of the option's place.
        if shutil.which("gio"):
            rows.append(("gio", self.exec_lines(self.data / APP_ENTRY)[0], []))
            for path, ids in desktop_files(self.data):
                rows += [("gio", e, [OPTIONS[a]]) for e, a in zip(self.exec_lines(path), ids)]
        for n, (how, line, leading) in enumerate(rows):
            if how == "thunar":   # Thunar quotes each %F path as g_shell_quote does, then splits the line again.
                argv = ["/bin/sh", "-c", line.replace("%F", " ".join(map(shlex.quote, paths))).replace("%%", "%")]
            elif how == "script":   # relative names, with a stale PWD as a file manager started elsewhere may leave it
                argv = [line, *AWKWARD]
            elif how.startswith("nemo"):   # each %U URI double-quoted, so it reaches the helper whole
                argv = exec_argv(line)
                at = argv.index("%U")
                argv[at:at + 1] = ["file://" + urllib.parse.quote(os.fsencode(p), safe=how[5:]) for p in paths]
            else:
                launcher = self.box.root / f"launch-{n}.desktop"
                launcher.write_text(f"[Desktop Entry]\nType=Application\nName=t\nExec={line}\n")
                argv = ["gio", "launch", str(launcher), *paths]
            subprocess.run(argv, cwd=folder, env=self.box.env(PWD=str(self.box.home)), check=True, capture_output=True)
            self.assertEqual(self.box.recorded(), leading + paths, (how, line))

    def test_remote_or_missing_selection_starts_nothing(self):
        helper = str(self.data / "nemo/actions/corvex-open-uris")
        for argv, started in (([str(self.data / "nautilus/scripts/Corvex/Extract Here")], None),
                              ([helper, "-add2archive", "sftp://host/a.zip"], None),
                              ([helper, "-add2archive", "sftp://host/a.zip", "file://localhost/tmp/a%20b"],
                               ["-add2archive", "/tmp/a b"])):
            subprocess.run(argv, cwd=self.box.root, env=self.box.env(), check=True)
            self.assertEqual(self.box.recorded() if started else self.box.record.exists(), started or False)

    def test_rerun_changes_nothing_and_removes_an_earlier_entry_only_when_unchanged(self):
        before = self.box.snapshot()
        self.assertEqual(self.box.install()[0], 0)
        self.assertEqual(self.box.snapshot(), before)
        self.assertEqual([p for top in (self.data, self.config) for p in top.rglob(".*")], [])
        earlier = (self.data / APP_ENTRY).read_text().replace("StartupWMClass=Corvex\n", "")
        old = self.data / "applications/corvex.desktop"
        # The removal last, so that the desktop database is left as it was.
        for text, kept in ((earlier + "NoDisplay=true\n", True), (earlier, False)):
            old.write_text(text)
            rc, out = self.box.install()
            self.assertEqual((rc, old.exists()), (0, kept), out)

    def test_caches_rebuilt_and_restarts_named_only_for_what_is_installed(self):
        # (tools on PATH with their exit status, the calls they record, the restart line); file managers never start.
        rows = [({}, [], None),
                (dict.fromkeys("update-desktop-database kbuildsycoca5 kbuildsycoca6 thunar pcmanfm-qt dolphin".split(), 0), ["update-desktop-database -q {apps}", "kbuildsycoca5", "kbuildsycoca6"],
                 "Thunar (thunar -q), PCManFM-Qt, Dolphin on KDE Frameworks older than 5.85."),
                ({"kbuildsycoca5": 1, "thunar": 0}, ["kbuildsycoca5"], "Thunar (thunar -q).")]
        for tools, calls, restart in rows:
            with tempfile.TemporaryDirectory() as tmp:
                box, log = Sandbox(tmp), Path(tmp, "calls")
                bin_dir = box.program.parent   # on PATH alone, beside the stand-in corvex
                for name in ("mkdir", "mktemp", "chmod", "cmp", "rm", "mv"):   # what the installer itself runs
                    (bin_dir / name).symlink_to(shutil.which(name))
                for name, status in tools.items():
                    (bin_dir / name).write_text(f'#!/bin/sh\necho "${{0##*/}}" "$@" >> "{log}"\nexit {status}\n')
                    (bin_dir / name).chmod(0o755)
                rc, out = box.install(PATH=str(bin_dir))
                self.assertEqual((rc, log.read_text().splitlines() if log.exists() else [], re.findall("^Restart.*?: (.*)", out, re.M)),
                                 (0, [c.format(apps=box.data / "applications") for c in calls], [restart] if restart else []), out)

    def test_failures_name_the_reason_and_change_nothing(self):
        with tempfile.TemporaryDirectory() as tmp:
            box = Sandbox(tmp)
            blocker = box.root / "blocker"
            blocker.write_text("a file")
            rc, out = box.install(XDG_CONFIG_HOME=str(blocker / "config"))
            self.assertEqual(rc, 1)
            self.assertRegex(out, f"could not create the folder {re.escape(str(blocker))}/config.* \\(Not a directory\\)")
            self.assertEqual(list(box.data.rglob(".*")), [], "temporary files were left behind")
            uca = blocker.parent / "config home/Thunar/uca.xml"
            uca.parent.mkdir(parents=True)
            uca.write_text("not an actions file\n")
            rc, out = box.install()
            self.assertEqual((rc, str(uca) in out, uca.read_text()), (1, True, "not an actions file\n"))

    def test_installed_entry_quotes_the_prefix_and_matches_the_users_entry(self):
        with tempfile.TemporaryDirectory() as tmp:
            # (CMake itself cannot install below a backslash.)
            prefix = Path(tmp) / 'opt "x" $y 100%'
            subprocess.run([ARGS.cmake, "-DCORVEX_BINDIR=bin", f"-DCMAKE_INSTALL_PREFIX={prefix}",
                            f"-DCORVEX_DESKTOP_TEMPLATE={ARGS.source}/io.github.corvex.Corvex.desktop.in",
                            f"-DCORVEX_DESKTOP_STAGE={tmp}/stage/io.github.corvex.Corvex.desktop",
                            "-DCORVEX_DESKTOP_DIR=share/applications",
                            "-P", f"{ARGS.source}/InstallDesktopEntry.cmake"], check=True, capture_output=True)
            installed = dict(read_groups(prefix / "share" / APP_ENTRY)["Desktop Entry"])
            self.assertEqual(exec_argv(installed.pop("Exec")), [f"{prefix}/bin/corvex", "%F"])
            users = dict(read_groups(self.data / APP_ENTRY)["Desktop Entry"])
            users.pop("Exec")
            self.assertEqual(installed, users)

if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--resources", required=True, help="folder holding the built script and icon")
    parser.add_argument("--source", required=True, help="the resources source folder")
    parser.add_argument("--cmake", default="cmake")
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
