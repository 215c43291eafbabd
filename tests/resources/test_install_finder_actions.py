#!/usr/bin/env python3
# The actions installer, run under zsh in a throw-away home; a stand-in "corvex" records its arguments.
import argparse, configparser, hashlib, os, re, shlex, shutil, stat, subprocess, sys, tempfile, time, unittest
import urllib.parse
import xml.etree.ElementTree as ET
from pathlib import Path

ARGS = None
OPTIONS = {"extract-here": "-corvexextracthere", "extract-folder": "-corvexextractfolder",
           "compress-zip": "-add2archive"}
APP_ENTRY = "applications/io.github.corvex.Corvex.desktop"
LABELS = {"extract-here": "Extract Here", "extract-folder": "Extract to Folder", "compress-zip": "Compress to ZIP"}
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


class Sandbox:
    # An awkward prefix (script, icon, stand-in) and a home with XDG folders.

    def __init__(self, root, with_program=True):
        self.root = Path(root)
        # No "%": GLib looks for the program before undoing "%%" and then ignores the entry.
        self.resources = self.root / "pre fix 'q' \"d\" $x`y`\\b" / "share" / "corvex"
        self.resources.mkdir(parents=True)
        for name in ("install-finder-actions.sh", "corvex.svg"):
            shutil.copy(Path(ARGS.resources) / name, self.resources / name)
        self.program = self.resources.parent.parent / "bin" / "corvex"
        if with_program:
            self.program.parent.mkdir()
            self.program.write_text(STAND_IN)
            self.program.chmod(0o755)
        self.home, self.data, self.config = self.root / "home", self.root / "data home", self.root / "config home"
        self.home.mkdir()
        self.record = self.root / "record"

    def env(self, **extra):
        return {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": str(self.home),
                "XDG_DATA_HOME": str(self.data), "XDG_CONFIG_HOME": str(self.config),
                "XDG_CONFIG_DIRS": str(self.root / "no system config"), "CORVEX_RECORD": str(self.record), **extra}

    def install(self, **extra):
        result = subprocess.run(["/bin/zsh", str(self.resources / "install-finder-actions.sh")], cwd=self.root,
                                env=self.env(**extra), stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=60)
        return result.returncode, result.stdout.decode("utf-8", "replace")

    def recorded(self, timeout=10.0):
        deadline = time.monotonic() + timeout
        while not self.record.exists():
            if time.monotonic() > deadline:
                raise AssertionError("Corvex was not started")
            time.sleep(0.05)
        raw = self.record.read_bytes()
        self.record.unlink()
        return [os.fsdecode(a) for a in raw.split(b"\0")[:-1]]

    def snapshot(self):
        # The desktop database's cache is rewritten each run.
        return {str(p): (p.stat().st_mode, hashlib.sha256(p.read_bytes()).digest(),
                         None if p.name == "mimeinfo.cache" else p.stat().st_mtime_ns)
                for top in (self.home, self.data, self.config) for p in top.rglob("*") if p.is_file()}


def shell_split(line):
    out = subprocess.run(["/bin/sh", "-c", "printf '%s\\0' " + line], capture_output=True, check=True).stdout
    return [os.fsdecode(a) for a in out.split(b"\0")[:-1]]


def exec_argv(raw):
    # As launchers read it: string escapes undone (others are faults), split, "%%" undone.
    escapes = {"s": " ", "n": "\n", "t": "\t", "r": "\r", "\\": "\\"}
    return [a.replace("%%", "%") for a in shell_split(re.sub(r"\\(.)", lambda m: escapes[m[1]], raw))]


def read_groups(path):
    parser = configparser.ConfigParser(interpolation=None, strict=False)
    parser.optionxform = str
    parser.read(path)
    return parser


def validate(path):
    result = subprocess.run(["desktop-file-validate", str(path)], capture_output=True, text=True)
    return (result.stdout + result.stderr).splitlines()


class InstallerTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory(prefix="corvex-installer-")
        cls.box = Sandbox(cls.tmp.name)
        (cls.box.config / "Thunar").mkdir(parents=True)
        (cls.box.config / "Thunar/uca.xml").write_text(FOREIGN_UCA)
        cls.rc, cls.output = cls.box.install()
        cls.data, cls.config, cls.corvex = cls.box.data, cls.box.config, str(cls.box.program)

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def setUp(self):
        self.assertEqual(self.rc, 0, self.output)

    def desktop_files(self):
        d = self.data
        return [(d / f"{top}/corvex-{name}.desktop", ids)
                for top in ("kio/servicemenus", "kservices5/ServiceMenus")
                for name, ids in (("extract", ["extract-here", "extract-folder"]), ("compress", ["compress-zip"]))
                ] + [(d / f"file-manager/actions/corvex-{a}.desktop", [a]) for a in OPTIONS]

    def exec_lines(self, path):
        return [g["Exec"] for g in read_groups(path).values() if "Exec" in g]

    def test_every_file_is_where_its_file_manager_looks(self):
        d, c = self.data, self.config
        modes = {d / "icons/hicolor/scalable/apps/corvex.svg": 0o644, d / APP_ENTRY: 0o644,
                 c / "Thunar/uca.xml": 0o644, d / "nemo/actions/corvex-open-uris": 0o755}
        for a in OPTIONS:
            modes[d / "nautilus/scripts/Corvex" / LABELS[a]] = modes[c / "caja/scripts/Corvex" / LABELS[a]] = 0o755
            modes[d / f"nemo/actions/corvex-{a}.nemo_action"] = 0o644
        for path, _ in self.desktop_files():
            modes[path] = 0o644 if "/file-manager/" in str(path) else 0o755
        for path, mode in modes.items():
            self.assertEqual(stat.S_IMODE(path.stat().st_mode), mode, path)
        self.assertEqual(list(self.box.home.iterdir()), [], "the XDG folders were not honoured")

    def test_defaults_below_home_and_the_system_actions_kept(self):
        # XDG variables empty or relative are ignored; Thunar's system-wide actions carry over to the user's file.
        with tempfile.TemporaryDirectory() as tmp:
            box = Sandbox(tmp)
            system = box.root / "system xdg/Thunar/uca.xml"
            system.parent.mkdir(parents=True)
            system.write_text(FOREIGN_UCA)
            rc, out = box.install(XDG_DATA_HOME="", XDG_CONFIG_HOME="relative/ignored",
                                  XDG_CONFIG_DIRS=f"{box.root}/missing:{system.parent.parent}")
            self.assertEqual(rc, 0, out)
            self.assertTrue((box.home / ".local/share" / APP_ENTRY).is_file())
            self.assertFalse((box.root / "relative").exists())
            text = (box.home / ".config/Thunar/uca.xml").read_text()
            self.assertIn(FOREIGN_BLOCK, text)
            self.assertEqual(text.count("<unique-id>corvex-"), 3)
            self.assertEqual(system.read_text(), FOREIGN_UCA)

    def test_desktop_files_validate_and_pass_the_selection_after_the_option(self):
        entry = self.data / APP_ENTRY
        self.assertEqual(validate(entry), [])
        self.assertEqual(exec_argv(read_groups(entry)["Desktop Entry"]["Exec"]), [self.corvex, "%F"])
        # Service menus and file-manager actions are dialects the validator does not know.
        accepted = r'"Action" for key "Type"|key "Profiles" in group|key "(MimeType|Actions)" is present'
        for path, ids in self.desktop_files():
            for line in validate(path):
                self.assertRegex(line, accepted)
            self.assertEqual([exec_argv(e) for e in self.exec_lines(path)],
                             [[self.corvex, OPTIONS[a], "%F"] for a in ids], path)

    @unittest.skipUnless(shutil.which("gio"), "gio is not installed")
    def test_glib_launches_each_exec_line_with_awkward_paths(self):
        # GLib's own desktop-entry launcher is an independent reader of the quoting.
        paths = [str(self.box.root / n) for n in AWKWARD]
        entries = [(self.exec_lines(self.data / APP_ENTRY)[0], [])]
        for path, ids in self.desktop_files():
            entries += [(e, [OPTIONS[a]]) for e, a in zip(self.exec_lines(path), ids)]
        for n, (exec_line, leading) in enumerate(entries):
            launcher = self.box.root / f"launch-{n}.desktop"
            launcher.write_text(f"[Desktop Entry]\nType=Application\nName=t\nExec={exec_line}\n")
            subprocess.run(["gio", "launch", str(launcher), *paths], env=self.box.env(),
                           check=True, capture_output=True, timeout=30)
            self.assertEqual(self.box.recorded(), leading + paths, exec_line)

    def test_uca_keeps_the_foreign_action_and_its_commands_take_awkward_paths(self):
        uca = self.config / "Thunar/uca.xml"
        subprocess.run(["xmllint", "--noout", str(uca)], check=True)
        self.assertIn(FOREIGN_BLOCK, uca.read_text())
        actions = ET.parse(uca).getroot().findall("action")
        self.assertEqual([a.findtext("unique-id") for a in actions],
                         ["1700000000000000-1"] + [f"corvex-{a}" for a in OPTIONS])
        self.assertIsNotNone(actions[3].find("directories"))
        # Thunar quotes each %F path as g_shell_quote does, then splits the line again.
        paths = [str(self.box.root / n) for n in AWKWARD]
        for action, option in zip(actions[1:], OPTIONS.values()):
            command = action.findtext("command").replace("%F", " ".join(map(shlex.quote, paths)))
            subprocess.run(["/bin/sh", "-c", command.replace("%%", "%")], env=self.box.env(), check=True)
            self.assertEqual(self.box.recorded(), [option] + paths)

    def test_scripts_and_nemo_actions_start_corvex_with_absolute_paths(self):
        folder = self.box.root / "viewed $folder 'q'"
        (folder / "sub dir").mkdir(parents=True)
        for name in AWKWARD:
            (folder / name).touch()
        elsewhere = self.box.root / "elsewhere\nfile.zip"
        elsewhere.touch()
        expected = [f"{folder}/{n}" for n in AWKWARD] + [str(elsewhere)]
        for top in (self.data / "nautilus/scripts/Corvex", self.config / "caja/scripts/Corvex"):
            for action, label in LABELS.items():
                # A stale PWD, as a file manager started elsewhere may leave it.
                subprocess.run([str(top / label), *AWKWARD, str(elsewhere)], cwd=folder,
                               env=self.box.env(PWD=str(self.box.home)), check=True)
                self.assertEqual(self.box.recorded(), [OPTIONS[action]] + expected, top / label)
        # Nemo double-quotes each %U URI (Quote=double), so each reaches the helper whole;
        # URIs with GLib's set of characters left unescaped, and with everything escaped.
        for action in OPTIONS:
            group = read_groups(self.data / f"nemo/actions/corvex-{action}.nemo_action")["Nemo Action"]
            self.assertEqual(group["Quote"], "double")
            for safe in ("/!$&'()*+,:=@~", "/"):
                argv = exec_argv(group["Exec"])
                at = argv.index("%U")
                argv[at:at + 1] = ["file://" + urllib.parse.quote(os.fsencode(p), safe=safe) for p in expected]
                subprocess.run(argv, env=self.box.env(), check=True)
                self.assertEqual(self.box.recorded(), [OPTIONS[action]] + expected, safe)

    def test_remote_or_missing_selection_starts_nothing(self):
        run = lambda *argv: subprocess.run(argv, cwd=self.box.root, env=self.box.env(), check=True)
        run(str(self.data / "nautilus/scripts/Corvex/Extract Here"))
        helper = str(self.data / "nemo/actions/corvex-open-uris")
        run(helper, "-add2archive", "sftp://host/a.zip")
        self.assertFalse(self.box.record.exists())
        run(helper, "-add2archive", "sftp://host/a.zip", "file://localhost/tmp/a%20b")
        self.assertEqual(self.box.recorded(), ["-add2archive", "/tmp/a b"])

    def test_second_run_changes_nothing(self):
        before = self.box.snapshot()
        rc, out = self.box.install()
        self.assertEqual(rc, 0, out)
        self.assertEqual(self.box.snapshot(), before)
        self.assertEqual([p for p in before if Path(p).name.startswith(".")], [])

    def test_earlier_entry_removed_only_when_unchanged(self):
        earlier = (self.data / APP_ENTRY).read_text().replace("StartupWMClass=Corvex\n", "")
        old = self.data / "applications/corvex.desktop"
        # The removal last, so that the desktop database is left as it was.
        for text, kept in ((earlier + "NoDisplay=true\n", True), (earlier, False)):
            old.write_text(text)
            rc, out = self.box.install()
            self.assertEqual((rc, old.exists()), (0, kept), out)

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
            self.assertEqual(rc, 1)
            self.assertIn(str(uca), out)
            self.assertEqual(uca.read_text(), "not an actions file\n")
        with tempfile.TemporaryDirectory() as tmp:
            box = Sandbox(tmp, with_program=False)
            rc, out = box.install()
            self.assertEqual(rc, 1)
            self.assertIn(str(box.program), out)
            self.assertFalse(box.data.exists())

    def test_installed_entry_quotes_the_prefix_and_matches_the_users_entry(self):
        with tempfile.TemporaryDirectory() as tmp:
            # (CMake itself cannot install below a backslash.)
            prefix = Path(tmp) / 'opt "x" $y 100%'
            subprocess.run([ARGS.cmake, "-DCORVEX_BINDIR=bin", f"-DCMAKE_INSTALL_PREFIX={prefix}",
                            f"-DCORVEX_DESKTOP_TEMPLATE={ARGS.source}/io.github.corvex.Corvex.desktop.in",
                            f"-DCORVEX_DESKTOP_STAGE={tmp}/stage/io.github.corvex.Corvex.desktop",
                            "-DCORVEX_DESKTOP_DIR=share/applications",
                            "-P", f"{ARGS.source}/InstallDesktopEntry.cmake"], check=True, capture_output=True)
            entry = prefix / "share" / APP_ENTRY
            self.assertEqual(validate(entry), [])
            installed = dict(read_groups(entry)["Desktop Entry"])
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
