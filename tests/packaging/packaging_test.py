"""The macOS shipping files, checked where no Mac is: the bundle's link filter on canned otool
output, the CI workflow, the Homebrew cask against the build, and shellcheck on the scripts.
Usage: packaging_test.py <source root>"""
import importlib.util
import pathlib
import re
import shutil
import subprocess
import sys
import unittest

ROOT = pathlib.Path(sys.argv.pop(1) if len(sys.argv) > 1 else pathlib.Path(__file__).parents[2])
APP = "/Users/me/Tidyframe.app/Contents"


def otool(file, *libraries):
    return f"{file}:\n" + "".join(f"\t{library}\n" for library in libraries)


class BundleLinksTest(unittest.TestCase):
    CASES = [
        ("frameworks, plugins and the system's libraries",
         otool(f"{APP}/MacOS/Tidyframe",
               "@rpath/QtWidgets.framework/Versions/A/QtWidgets (compatibility version 6.0.0, current version 6.7.2)",
               "@executable_path/../Frameworks/libicuuc.74.dylib (compatibility version 74.0.0, current version 74.2.0)",
               "/usr/lib/libc++.1.dylib (compatibility version 1.0.0, current version 1700.255.0)",
               "/System/Library/Frameworks/AppKit.framework/Versions/C/AppKit (compatibility version 45.0.0)",
               "@executable_path/../Frameworks (rpath)")
         + otool(f"{APP}/PlugIns/platforms/libqcocoa.dylib",
                 "@loader_path/../../Frameworks/QtGui.framework/Versions/A/QtGui (compatibility version 6.0.0)"),
         []),
        ("Homebrew's ICU left behind by the deploy step",
         otool(f"{APP}/Frameworks/QtCore.framework/Versions/A/QtCore",
               "@rpath/QtCore.framework/Versions/A/QtCore (compatibility version 6.0.0, current version 6.7.2)",
               "/opt/homebrew/opt/icu4c/lib/libicuuc.74.dylib (compatibility version 74.0.0, current version 74.2.0)"),
         [f"{APP}/Frameworks/QtCore.framework/Versions/A/QtCore: /opt/homebrew/opt/icu4c/lib/libicuuc.74.dylib"]),
        ("an rpath into /usr/local and a library under a folder with spaces",
         otool(f"{APP}/PlugIns/styles/libqmacstyle.dylib",
               "/usr/local/lib (rpath)",
               "/Library/Application Support/x/libx.dylib (compatibility version 1.0.0, current version 1.0.0)"),
         [f"{APP}/PlugIns/styles/libqmacstyle.dylib: /usr/local/lib",
          f"{APP}/PlugIns/styles/libqmacstyle.dylib: /Library/Application Support/x/libx.dylib"]),
        ("a fat file's architecture header, and a bundle built under /usr/local itself",
         otool("/usr/local/src/Tidyframe.app/Contents/MacOS/Tidyframe (architecture arm64)",
               "/usr/lib/libSystem.B.dylib (compatibility version 1.0.0, current version 1345.0.0)"),
         []),
    ]

    def test_names_every_library_from_outside_the_bundle_and_the_system(self):
        for name, output, expected in self.CASES:
            with self.subTest(name):
                run = subprocess.run([ROOT / "scripts/check-bundle-links"], input=output, text=True,
                                     capture_output=True, check=False)
                self.assertEqual(run.stdout.splitlines(), expected)
                self.assertEqual(run.returncode, 1 if expected else 0, run.stderr)


# Debian's python3-yaml; a Mac's Python may lack it, and Linux CI runs this check.
@unittest.skipUnless(importlib.util.find_spec("yaml"), "python3's yaml module is not installed")
class WorkflowTest(unittest.TestCase):
    def test_runs_on_apple_silicon_and_calls_only_the_projects_scripts(self):
        import yaml
        workflow = yaml.safe_load((ROOT / ".github/workflows/macos.yml").read_text(encoding="utf-8"))
        job = workflow["jobs"]["macos"]
        self.assertEqual(job["runs-on"], "macos-14")
        commands = [step["run"] for step in job["steps"] if "run" in step]
        for script in ["install-deps", "test", "run", "check-macos", "package-macos"]:
            self.assertTrue(any(command.startswith(f"scripts/{script} ") or command == f"scripts/{script}"
                                for command in commands), script)
        for command in commands:
            with self.subTest(command):
                self.assertNotIn("\n", command.strip())
                self.assertRegex(command, r"^scripts/[a-z-]+( |$)")


def cmake_default(name):
    match = re.search(rf'set\({name} "?([^" )]+)"? CACHE', (ROOT / "CMakeLists.txt").read_text(encoding="utf-8"))
    return match.group(1)


class CaskTest(unittest.TestCase):
    MACOS_NAMES = {13: "ventura", 14: "sonoma", 15: "sequoia"}

    def test_follows_the_bundles_minimum_system_and_identity(self):
        cask = (ROOT / "packaging/homebrew/tidyframe.rb.in").read_text(encoding="utf-8")
        major = int(cmake_default("CMAKE_OSX_DEPLOYMENT_TARGET").split(".")[0])
        self.assertIn(f'depends_on macos: ">= :{self.MACOS_NAMES[major]}"', cask)
        identifier = cmake_default("TIDYFRAME_BUNDLE_IDENTIFIER")
        self.assertIn(f'uninstall quit: "{identifier}"', cask)
        for trash in ["~/Library/Application Support/Tidyframe", f"~/Library/Preferences/{identifier}.plist"]:
            self.assertIn(f'"{trash}"', cask)


@unittest.skipUnless(shutil.which("shellcheck"), "shellcheck is not installed")
class ShellcheckTest(unittest.TestCase):
    def test_every_shell_script_passes(self):
        scripts = [path for path in sorted((ROOT / "scripts").iterdir())
                   if path.read_text(encoding="utf-8").startswith("#!/usr/bin/env bash")]
        run = subprocess.run(["shellcheck", *scripts], capture_output=True, text=True, check=False)
        self.assertEqual(run.returncode, 0, run.stdout)


if __name__ == "__main__":
    unittest.main()
