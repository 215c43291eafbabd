#!/usr/bin/env python3
"""The file-manager actions installer, run for real under zsh in a throw-away home.

A stand-in "corvex" records the arguments it is started with, so each installed
action can be run and its arguments compared with the selection it was given.
"""
import argparse
import hashlib
import os
import re
import shlex
import shutil
import stat
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.parse
import xml.etree.ElementTree as ET
from pathlib import Path

ARGS = None
OPTIONS = {
    "extract-here": "-corvexextracthere",
    "extract-folder": "-corvexextractfolder",
    "compress-zip": "-add2archive",
}
LABELS = {
    "extract-here": "Extract Here",
    "extract-folder": "Extract to Folder",
    "compress-zip": "Compress to ZIP",
}
# Names that break naive quoting somewhere along the way.
AWKWARD = [
    "plain.zip",
    "with space.zip",
    "it's.zip",
    'say "hi".zip',
    "$HOME and `date`.zip",
    "-rf",
    "--help",
    "new\nline.zip",
    "back\\slash.zip",
    "100% *?[x].zip",
    "sub dir/inner.zip",
]

STAND_IN = """#!/bin/sh
# Records its arguments, each followed by a NUL byte; the rename makes it appear whole.
for a do printf '%s\\000' "$a"; done > "$CORVEX_RECORD.part"
mv "$CORVEX_RECORD.part" "$CORVEX_RECORD"
"""

FOREIGN_UCA = """<?xml version="1.0" encoding="UTF-8"?>
<actions>
<action>
\t<icon>utilities-terminal</icon>
\t<name>Open Terminal &amp; Shell</name>
\t<submenu></submenu>
\t<unique-id>1700000000000000-1</unique-id>
\t<command>exo-open --working-directory %f --launch TerminalEmulator</command>
\t<description>Example for a custom action</description>
\t<patterns>*</patterns>
\t<startup-notify/>
\t<directories/>
</action>
</actions>
"""
FOREIGN_BLOCK = FOREIGN_UCA[FOREIGN_UCA.index("<action>"):FOREIGN_UCA.index("</actions>")]


class Sandbox:
    """An awkward prefix (script + icon + stand-in) and a home with XDG folders."""

    def __init__(self, root, with_program=True):
        self.root = Path(root)
        # No "%": GLib looks for the program before undoing "%%" and then ignores the entry.
        self.prefix = self.root / "pre fix 'q' \"d\" $x`y`\\b"
        self.resources = self.prefix / "share" / "corvex"
        self.resources.mkdir(parents=True)
        for name in ("install-finder-actions.sh", "corvex.svg"):
            shutil.copy(Path(ARGS.resources) / name, self.resources / name)
        self.script = self.resources / "install-finder-actions.sh"
        self.program = self.prefix / "bin" / "corvex"
        if with_program:
            self.program.parent.mkdir()
            self.program.write_text(STAND_IN)
            self.program.chmod(0o755)
        self.home = self.root / "home"
        self.home.mkdir()
        self.data = self.root / "data home"
        self.config = self.root / "config home"
        self.record = self.root / "record"

    def env(self, **extra):
        env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": str(self.home),
            "XDG_DATA_HOME": str(self.data),
            "XDG_CONFIG_HOME": str(self.config),
            "XDG_CONFIG_DIRS": str(self.root / "no system config"),
            "CORVEX_RECORD": str(self.record),
        }
        env.update(extra)
        return env

    def install(self, **extra):
        """Runs the installer as the window does: /bin/zsh <script>, one pipe for both streams."""
        result = subprocess.run(
            ["/bin/zsh", str(self.script)], cwd=self.root, env=self.env(**extra),
            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=60)
        return result.returncode, result.stdout.decode("utf-8", "replace")

    def recorded(self, timeout=10.0):
        """The arguments the stand-in received last (waits for a detached start)."""
        deadline = time.monotonic() + timeout
        while not self.record.exists():
            if time.monotonic() > deadline:
                raise AssertionError("Corvex was not started")
            time.sleep(0.05)
        raw = self.record.read_bytes()
        self.record.unlink()
        return [os.fsdecode(a) for a in raw.split(b"\0")[:-1]]

    def snapshot(self):
        """Every file below the sandbox's home folders: mode, checksum, modification time
        (but for the desktop database's cache, which its tool rewrites each time)."""
        listing = {}
        for top in (self.home, self.data, self.config):
            for path in sorted(top.rglob("*")):
                if path.is_file():
                    info = path.stat()
                    mtime = info.st_mtime_ns if path.name != "mimeinfo.cache" else None
                    digest = hashlib.sha256(path.read_bytes()).hexdigest()
                    listing[str(path)] = (stat.S_IMODE(info.st_mode), digest, mtime)
        return listing


def keyfile_value(raw):
    """Undoes the string-value escapes of desktop entries; other escapes are faults."""
    out, i = [], 0
    while i < len(raw):
        c = raw[i]
        if c == "\\":
            nxt = raw[i + 1] if i + 1 < len(raw) else ""
            mapping = {"s": " ", "n": "\n", "t": "\t", "r": "\r", "\\": "\\"}
            if nxt not in mapping:
                raise AssertionError(f"invalid escape \\{nxt} in {raw!r}")
            out.append(mapping[nxt])
            i += 2
        else:
            out.append(c)
            i += 1
    return "".join(out)


def glib_split(line):
    """Splits a command line as GLib's g_shell_parse_argv does (no expansions)."""
    args, cur, i, started = [], [], 0, False
    while i < len(line):
        c = line[i]
        if c in " \t\n":
            if started:
                args.append("".join(cur))
            cur, started = [], False
        elif c == "'":
            end = line.index("'", i + 1)
            cur.append(line[i + 1:end])
            started, i = True, end
        elif c == '"':
            i += 1
            while line[i] != '"':
                if line[i] == "\\" and line[i + 1] in '"\\$`\n':
                    i += 1
                cur.append(line[i])
                i += 1
            started = True
        elif c == "\\":
            i += 1
            cur.append(line[i])
            started = True
        else:
            cur.append(c)
            started = True
        i += 1
    if started:
        args.append("".join(cur))
    return args


def exec_argv(raw):
    """An Exec value as launchers read it: string escapes undone, split, "%%" undone."""
    return [a.replace("%%", "%") for a in glib_split(keyfile_value(raw))]


def read_groups(path):
    """Desktop-entry style file -> {group: {key: raw value}}."""
    groups, current = {}, None
    for line in Path(path).read_text().splitlines():
        if line.startswith("["):
            current = groups.setdefault(line.strip("[]"), {})
        elif "=" in line and current is not None:
            key, value = line.split("=", 1)
            current[key] = value
    return groups


class InstallerTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory(prefix="corvex-installer-")
        cls.box = Sandbox(cls.tmp.name)
        uca = cls.box.config / "Thunar" / "uca.xml"
        uca.parent.mkdir(parents=True)
        uca.write_text(FOREIGN_UCA)
        cls.rc, cls.output = cls.box.install()
        cls.data, cls.config = cls.box.data, cls.box.config
        cls.corvex = str(cls.box.program)

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def setUp(self):
        self.assertEqual(self.rc, 0, self.output)

    def desktop_files(self):
        """Every desktop-entry style file written, with the action ids it holds."""
        d = self.data
        return [
            (d / "kio/servicemenus/corvex-extract.desktop", ["extract-here", "extract-folder"]),
            (d / "kio/servicemenus/corvex-compress.desktop", ["compress-zip"]),
            (d / "kservices5/ServiceMenus/corvex-extract.desktop", ["extract-here", "extract-folder"]),
            (d / "kservices5/ServiceMenus/corvex-compress.desktop", ["compress-zip"]),
        ] + [(d / f"file-manager/actions/corvex-{a}.desktop", [a]) for a in OPTIONS]

    def exec_lines(self, path):
        return [g["Exec"] for g in read_groups(path).values() if "Exec" in g]

    # --- where each file manager looks -----------------------------------------------

    def test_output_names_the_file_managers_to_restart(self):
        self.assertIn("Restart", self.output)
        self.assertIn("Thunar", self.output)
        self.assertIn("PCManFM-Qt", self.output)

    def test_every_file_is_where_its_file_manager_looks(self):
        executable = [self.data / "nautilus/scripts/Corvex" / LABELS[a] for a in OPTIONS]
        executable += [self.config / "caja/scripts/Corvex" / LABELS[a] for a in OPTIONS]
        executable += [path for path, _ in self.desktop_files() if "/file-manager/" not in str(path)]
        executable.append(self.data / "nemo/actions/corvex-open-uris")
        plain = [self.data / f"nemo/actions/corvex-{a}.nemo_action" for a in OPTIONS]
        plain += [path for path, _ in self.desktop_files() if "/file-manager/" in str(path)]
        plain += [self.data / "applications/corvex.desktop", self.config / "Thunar/uca.xml",
                  self.data / "icons/hicolor/scalable/apps/corvex.svg"]
        for path in executable:
            self.assertTrue(path.is_file(), path)
            self.assertEqual(stat.S_IMODE(path.stat().st_mode), 0o755, path)
        for path in plain:
            self.assertTrue(path.is_file(), path)
            self.assertEqual(stat.S_IMODE(path.stat().st_mode), 0o644, path)
        self.assertEqual((self.data / "icons/hicolor/scalable/apps/corvex.svg").read_bytes(),
                         (Path(ARGS.resources) / "corvex.svg").read_bytes())
        self.assertTrue((self.data / "applications/mimeinfo.cache").is_file()
                        or not shutil.which("update-desktop-database"))
        self.assertFalse((self.box.home / ".local").exists(), "XDG_DATA_HOME was not honoured")
        self.assertFalse((self.box.home / ".config").exists(), "XDG_CONFIG_HOME was not honoured")

    def test_defaults_below_home_without_xdg_variables(self):
        with tempfile.TemporaryDirectory() as tmp:
            box = Sandbox(tmp)
            rc, out = box.install(XDG_DATA_HOME="", XDG_CONFIG_HOME="relative/ignored")
            self.assertEqual(rc, 0, out)
            self.assertTrue((box.home / ".local/share/applications/corvex.desktop").is_file())
            self.assertTrue((box.home / ".config/Thunar/uca.xml").is_file())
            self.assertFalse((box.root / "relative").exists())

    # --- the desktop-entry formats ---------------------------------------------------

    def test_application_entry_validates_and_opens_archives(self):
        entry = self.data / "applications/corvex.desktop"
        result = subprocess.run(["desktop-file-validate", str(entry)], capture_output=True, text=True)
        self.assertEqual((result.returncode, result.stdout + result.stderr), (0, ""))
        group = read_groups(entry)["Desktop Entry"]
        self.assertEqual(exec_argv(group["Exec"]), [self.corvex, "%F"])
        self.assertEqual(group["Icon"], "corvex")
        self.assertIn("application/zip;", group["MimeType"])
        self.assertIn("application/x-7z-compressed;", group["MimeType"])

    def test_action_files_pass_the_validator_apart_from_their_own_format(self):
        # Service menus and file-manager actions are desktop-entry dialects the validator
        # does not know; only the complaints about that are acceptable.
        accepted = [
            r'value "Action" for key "Type" in group "Desktop Entry" is not a registered type value',
            r'file contains key "Profiles" in group "Desktop Entry", but keys extending the format should start with "X-"',
            r'key "(MimeType|Actions)" is present in group "Desktop Entry", but the type is "Service"',
        ]
        for path, _ in self.desktop_files():
            result = subprocess.run(["desktop-file-validate", str(path)], capture_output=True, text=True)
            for line in (result.stdout + result.stderr).splitlines():
                print(f"desktop-file-validate: {line}")
                message = line.split(": ", 1)[1]
                self.assertTrue(any(re.search(a, message) for a in accepted), line)

    def test_each_desktop_action_passes_the_selection_after_its_option(self):
        for path, ids in self.desktop_files():
            argvs = [exec_argv(e) for e in self.exec_lines(path)]
            self.assertEqual(argvs, [[self.corvex, OPTIONS[a], "%F"] for a in ids], path)
        for path in (self.data / "kio/servicemenus").glob("*.desktop"):
            group = read_groups(path)["Desktop Entry"]
            if "compress" in path.name:
                self.assertEqual(group["MimeType"], "application/octet-stream;inode/directory;")
            else:
                self.assertIn("application/zip;", group["MimeType"])
        compress = read_groups(self.data / "file-manager/actions/corvex-compress-zip.desktop")
        self.assertEqual(compress["X-Action-Profile main"]["MimeTypes"], "all/all;")

    @unittest.skipUnless(shutil.which("gio"), "gio is not installed")
    def test_glib_launches_each_exec_line_with_awkward_paths(self):
        # GLib's own desktop-entry launcher is an independent reader of the quoting.
        paths = [str(self.box.root / n) for n in AWKWARD]
        entries = [(self.exec_lines(self.data / "applications/corvex.desktop")[0], [])]
        for path, ids in self.desktop_files():
            entries += [(e, [OPTIONS[a]]) for e, a in zip(self.exec_lines(path), ids)]
        for n, (exec_line, leading) in enumerate(entries):
            launcher = self.box.root / f"launch-{n}.desktop"
            launcher.write_text(f"[Desktop Entry]\nType=Application\nName=t\nExec={exec_line}\n")
            subprocess.run(["gio", "launch", str(launcher), *paths], env=self.box.env(),
                           check=True, capture_output=True, timeout=30)
            self.assertEqual(self.box.recorded(), leading + paths, exec_line)

    # --- Thunar ------------------------------------------------------------------------

    def thunar_actions(self):
        uca = self.config / "Thunar/uca.xml"
        subprocess.run(["xmllint", "--noout", str(uca)], check=True)
        return ET.parse(uca).getroot().findall("action")

    def test_uca_keeps_the_foreign_action_and_adds_ours_once(self):
        actions = self.thunar_actions()
        self.assertEqual([a.findtext("unique-id") for a in actions],
                         ["1700000000000000-1"] + [f"corvex-{a}" for a in OPTIONS])
        self.assertEqual(actions[0].findtext("name"), "Open Terminal & Shell")
        self.assertIn(FOREIGN_BLOCK, (self.config / "Thunar/uca.xml").read_text())
        flags = {a.findtext("unique-id"): {c.tag for c in a if not c.text} for a in actions}
        self.assertIn("directories", flags["corvex-compress-zip"])
        self.assertIn("other-files", flags["corvex-extract-here"])

    def test_thunar_commands_start_corvex_with_awkward_paths(self):
        # Thunar quotes each %F path as g_shell_quote does and runs the command line
        # (split by GLib or by the shell: both must give the same arguments).
        paths = [str(self.box.root / n) for n in AWKWARD]
        for action in self.thunar_actions()[1:]:
            command = action.findtext("command")
            expanded = command.replace("%F", " ".join(shlex.quote(p) for p in paths)).replace("%%", "%")
            option = OPTIONS[action.findtext("unique-id")[len("corvex-"):]]
            self.assertEqual(glib_split(expanded), [self.corvex, option] + paths)
            subprocess.run(["/bin/sh", "-c", expanded], env=self.box.env(), check=True)
            self.assertEqual(self.box.recorded(), [option] + paths)

    def test_system_actions_are_kept_when_the_user_has_none(self):
        with tempfile.TemporaryDirectory() as tmp:
            box = Sandbox(tmp)
            system = box.root / "system xdg"
            (system / "Thunar").mkdir(parents=True)
            (system / "Thunar/uca.xml").write_text(FOREIGN_UCA)
            rc, out = box.install(XDG_CONFIG_DIRS=f"{box.root}/missing:{system}")
            self.assertEqual(rc, 0, out)
            text = (box.config / "Thunar/uca.xml").read_text()
            self.assertIn(FOREIGN_BLOCK, text)
            self.assertEqual(text.count("<unique-id>corvex-"), 3)
            self.assertEqual((system / "Thunar/uca.xml").read_text(), FOREIGN_UCA)

    def test_a_linked_uca_stays_a_link(self):
        with tempfile.TemporaryDirectory() as tmp:
            box = Sandbox(tmp)
            real = box.root / "dotfiles/uca.xml"
            real.parent.mkdir()
            real.write_text(FOREIGN_UCA)
            (box.config / "Thunar").mkdir(parents=True)
            (box.config / "Thunar/uca.xml").symlink_to(real)
            rc, out = box.install()
            self.assertEqual(rc, 0, out)
            self.assertTrue((box.config / "Thunar/uca.xml").is_symlink())
            self.assertIn("corvex-compress-zip", real.read_text())

    # --- script-style actions: GNOME Files, Caja; Nemo's helper ----------------------

    def awkward_selection(self):
        """A viewed folder with awkward names; argv as the file manager passes it."""
        folder = self.box.root / "viewed $folder 'q'"
        (folder / "sub dir").mkdir(parents=True, exist_ok=True)
        for name in AWKWARD:
            (folder / name).touch()
        elsewhere = self.box.root / "elsewhere\nfile.zip"
        elsewhere.touch()
        argv = AWKWARD + [str(elsewhere)]
        expected = [f"{folder}/{n}" for n in AWKWARD] + [str(elsewhere)]
        return folder, argv, expected

    def test_scripts_start_corvex_with_absolute_paths(self):
        folder, argv, expected = self.awkward_selection()
        for top in (self.data / "nautilus/scripts/Corvex", self.config / "caja/scripts/Corvex"):
            for action, label in LABELS.items():
                # A stale PWD, as a file manager started elsewhere may leave it.
                env = self.box.env(PWD=str(self.box.home))
                subprocess.run([str(top / label), *argv], cwd=folder, env=env, check=True)
                self.assertEqual(self.box.recorded(), [OPTIONS[action]] + expected, top / label)

    def test_scripts_do_nothing_without_a_local_selection(self):
        script = self.data / "nautilus/scripts/Corvex/Extract Here"
        subprocess.run([str(script)], cwd=self.box.root, env=self.box.env(), check=True)
        self.assertFalse(self.box.record.exists())

    def test_nemo_actions_start_corvex_with_the_selected_paths(self):
        # Nemo puts each %U URI in double quotes (Quote=double) and splits the line again.
        _, _, paths = self.awkward_selection()
        for action in OPTIONS:
            group = read_groups(self.data / f"nemo/actions/corvex-{action}.nemo_action")["Nemo Action"]
            self.assertEqual(group["Quote"], "double")
            self.assertEqual(group["Selection"], "notnone" if action == "compress-zip" else "s")
            exec_line = keyfile_value(group["Exec"])
            # GLib's set of characters left unescaped, and escaping everything.
            for safe in ("/!$&'()*+,:=@~", "/"):
                uris = ['"file://' + urllib.parse.quote(os.fsencode(p), safe=safe) + '"' for p in paths]
                argv = glib_split(exec_line.replace("%U", " ".join(uris)))
                subprocess.run(argv, env=self.box.env(), check=True)
                self.assertEqual(self.box.recorded(), [OPTIONS[action]] + paths, safe)

    def test_nemo_helper_skips_remote_items(self):
        helper = str(self.data / "nemo/actions/corvex-open-uris")
        subprocess.run([helper, "-add2archive", "sftp://host/a.zip"], env=self.box.env(), check=True)
        self.assertFalse(self.box.record.exists())
        subprocess.run([helper, "-add2archive", "sftp://host/a.zip", "file://localhost/tmp/a%20b"],
                       env=self.box.env(), check=True)
        self.assertEqual(self.box.recorded(), ["-add2archive", "/tmp/a b"])

    # --- running again, failing ------------------------------------------------------

    def test_second_run_changes_nothing(self):
        before = self.box.snapshot()
        rc, out = self.box.install()
        self.assertEqual(rc, 0, out)
        self.assertEqual(self.box.snapshot(), before)
        leftovers = [p for p in before if Path(p).name.startswith(".")]
        self.assertEqual(leftovers, [])

    def test_failure_names_what_went_wrong(self):
        with tempfile.TemporaryDirectory() as tmp:
            box = Sandbox(tmp)
            blocker = box.root / "blocker"
            blocker.write_text("a file where a folder should be")
            rc, out = box.install(XDG_CONFIG_HOME=str(blocker / "config"))
            self.assertNotEqual(rc, 0)
            self.assertIn("Corvex could not install the file-manager actions", out)
            self.assertIn(str(blocker / "config"), out)
            self.assertIn("Not a directory", out)
            self.assertEqual(blocker.read_text(), "a file where a folder should be")
            hidden = [p for p in box.data.rglob(".*")]
            self.assertEqual(hidden, [], "temporary files were left behind")

    def test_missing_program_is_reported(self):
        with tempfile.TemporaryDirectory() as tmp:
            box = Sandbox(tmp, with_program=False)
            rc, out = box.install()
            self.assertEqual(rc, 1)
            self.assertIn(f"the Corvex program was not found at {box.program}", out)
            self.assertFalse(box.data.exists())

    def test_unreadable_uca_is_left_alone(self):
        with tempfile.TemporaryDirectory() as tmp:
            box = Sandbox(tmp)
            uca = box.config / "Thunar/uca.xml"
            uca.parent.mkdir(parents=True)
            uca.write_text("not an actions file\n")
            rc, out = box.install()
            self.assertEqual(rc, 1)
            self.assertIn(f"{uca} is not a Thunar actions file", out)
            self.assertEqual(uca.read_text(), "not an actions file\n")

    # --- the entry `cmake --install` writes ------------------------------------------

    def test_installed_entry_quotes_the_prefix_and_matches_the_users_entry(self):
        with tempfile.TemporaryDirectory() as tmp:
            # (CMake itself cannot install below a backslash.)
            prefix = Path(tmp) / 'opt "x" $y 100%'
            subprocess.run([
                ARGS.cmake, "-DCORVEX_BINDIR=bin", f"-DCMAKE_INSTALL_PREFIX={prefix}",
                f"-DCORVEX_DESKTOP_TEMPLATE={ARGS.source}/corvex.desktop.in",
                f"-DCORVEX_DESKTOP_STAGE={tmp}/stage/corvex.desktop",
                "-DCORVEX_DESKTOP_DIR=share/applications",
                "-P", f"{ARGS.source}/InstallDesktopEntry.cmake"], check=True, capture_output=True)
            entry = prefix / "share/applications/corvex.desktop"
            result = subprocess.run(["desktop-file-validate", str(entry)], capture_output=True, text=True)
            self.assertEqual((result.returncode, result.stdout + result.stderr), (0, ""))
            installed = read_groups(entry)["Desktop Entry"]
            self.assertEqual(exec_argv(installed["Exec"]),
                             [f"{prefix}/bin/corvex", "%F"])
            users = read_groups(self.data / "applications/corvex.desktop")["Desktop Entry"]
            self.assertEqual({k: v for k, v in installed.items() if k != "Exec"},
                             {k: v for k, v in users.items() if k != "Exec"})


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--resources", required=True, help="folder holding the built script and icon")
    parser.add_argument("--source", required=True, help="the resources source folder")
    parser.add_argument("--cmake", default="cmake")
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
